#include "printing/gui/PrintShopSplit.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "lists/DataModule.h"
#include "printing/ListPrinting.h"
#include "printing/PrintedListData.h"
#include "printing/ShopSplit.h"
#include "printing/gui/PrinterSurface.h"

#include <QDir>
#include <QPrinter>

namespace vivrelo {

namespace {
const QString kDocumentName = QStringLiteral("Liste par magasin");
const QString kNotPrinted = QStringLiteral("Impression annulée : la liste n'a pas été imprimée.");
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
        const ListOutput output = dialogs.hasPrinter() ? dialogs.chooseOutput(owner) : ListOutput::Pdf;
        if (output == ListOutput::Printer) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setDocName(kDocumentName);
            if (!dialogs.printDialog(printer, owner)) {
                prompter.inform(kNotPrinted);
                return false;
            }
            const ShopSplit split = ReadShopSplit(*dm);
            const PrintLayout layout = LoadPrintLayout(*dm);
            return PrintWithPrinter(printer, prompter,
                [&](DrawingSurface &s) { return PrintShopSplit(s, split, layout, dm->currencySymbol()); });
        }
        if (output == ListOutput::Pdf) {
            const QString exportDir = App().dataDir + QStringLiteral("Export/");
            QDir().mkpath(exportDir);
            const QString path = dialogs.pdfFile(owner, exportDir + kDocumentName + QStringLiteral(".pdf"));
            if (path.isEmpty()) {
                prompter.inform(QStringLiteral("Enregistrement annulé : la liste n'a pas été enregistrée."));
                return false;
            }
            PrintShopSplitToPdf(*dm, path);
            return true;
        }
        prompter.inform(kNotPrinted);
        return false;
    } catch (const Error &e) {
        prompter.error(e.message());
        return false;
    }
}

} // namespace vivrelo
