#pragma once

#include "printing/gui/PrintShoppingList.h"

class QWidget;

namespace vivrelo {

class Prompter;

// "Répartir par magasin": the ticked products split by shop, with the printed list's choice:
// on a printer chosen in the print dialog or into a PDF file (proposed in the data
// directory's "Export/" folder). A cancelled dialog, a printer error or a file that could not
// be written is told in French; the answer is true only when the list was printed or written.
bool PrintShopSplitCommand(QWidget *owner, Prompter &prompter);
bool PrintShopSplitCommand(QWidget *owner, Prompter &prompter, const PrintListDialogs &dialogs);

} // namespace vivrelo
