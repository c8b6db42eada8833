#include "printing/gui/PrintShopSplit.h"

#include "base/Error.h"
#include "lists/DataModule.h"
#include "printing/ListPrinting.h"
#include "printing/PrintedListData.h"
#include "printing/ShopSplit.h"
#include "printing/gui/PrinterSurface.h"

#include <QPrinter>

namespace vivrelo {

namespace {
const PrintedDocument kSplitDocument{QStringLiteral("Liste par magasin"),
    QStringLiteral("la liste n'a pas été imprimée."), QStringLiteral("la liste n'a pas été enregistrée.")};
} // namespace

bool PrintShopSplitCommand(QWidget *owner, Prompter &prompter)
{
    return PrintShopSplitCommand(owner, prompter, SystemPrintListDialogs());
}

bool PrintShopSplitCommand(QWidget *owner, Prompter &prompter, const PrintListDialogs &dialogs)
{
    try {
        TDataModule1 *dm = DataModule1();
        if (!dm || !dm->ADOConnection1.isOpen())
            fail(QStringLiteral("La base de données n'est pas ouverte : la liste n'a pas été imprimée."));
        RequireTickedRow(ReadPrintedListRows(dm->ADOConnection1));
        const OutputTarget target = ChooseOutputTarget(owner, prompter, dialogs, kSplitDocument);
        if (target.output == ListOutput::Pdf) {
            PrintShopSplitToPdf(*dm, target.pdfPath);
            return true;
        }
        if (target.output != ListOutput::Printer)
            return false;
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(kSplitDocument.name);
        if (!dialogs.printDialog(printer, owner)) {
            prompter.inform(QStringLiteral("Impression annulée : %1").arg(kSplitDocument.notPrinted));
            return false;
        }
        const ShopSplit split = ReadShopSplit(*dm);
        const PrintLayout layout = LoadPrintLayout(*dm);
        return PrintWithPrinter(printer, prompter,
            [&](DrawingSurface &s) { return PrintShopSplit(s, split, layout, dm->currencySymbol()); });
    } catch (const Error &e) {
        prompter.error(e.message());
        return false;
    }
}

} // namespace vivrelo
