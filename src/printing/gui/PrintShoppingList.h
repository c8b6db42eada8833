#pragma once

#include "base/Prompter.h"
#include "printing/gui/PrintOutput.h"

#include <QPoint>
#include <QString>

class QWidget;

namespace vivrelo {

// The print command of the main window: the ticked rows priced with column 1, 2 or 3, on a
// printer chosen in the print dialog or into a PDF file (proposed in the data directory's
// "Export/" folder). A cancelled dialog, a printer error or a file that could not be written
// is told in French; the answer is true only when the list was printed or written.
bool PrintShoppingList(QWidget *owner, int column, Prompter &prompter);
bool PrintShoppingList(QWidget *owner, int column, Prompter &prompter, const PrintListDialogs &dialogs);

// The screen position of the print menu Popup_Report: 50 pixels right of the top-left corner
// of the button Btn_Report.
QPoint PopupReportPosition(const QWidget *btnReport);

} // namespace vivrelo
