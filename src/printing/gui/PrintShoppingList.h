#pragma once

#include "base/Prompter.h"

#include <QPoint>
#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace vivrelo {

// Where the printed list goes.
enum class ListOutput { Printer, Pdf, Cancel };

// The dialogs of the print command; the defaults are the window system's. Tests put their
// own answers in.
struct PrintListDialogs {
    // Whether the machine has a printer at all; without one the list goes to a PDF file.
    std::function<bool()> hasPrinter;
    // "Imprimer" or "Enregistrer en PDF".
    std::function<ListOutput(QWidget *owner)> chooseOutput;
    // The print dialog on the system's printers; false when the user cancels it.
    std::function<bool(QPrinter &printer, QWidget *owner)> printDialog;
    // The PDF file to write, proposed as `suggested`; empty when the user cancels.
    std::function<QString(QWidget *owner, const QString &suggested)> pdfFile;
};
PrintListDialogs SystemPrintListDialogs();

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
