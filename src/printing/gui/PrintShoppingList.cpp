#include "printing/gui/PrintShoppingList.h"

#include "base/Error.h"
#include "lists/DataModule.h"
#include "printing/ListPrinting.h"
#include "printing/PrintedListData.h"
#include "printing/gui/PrinterSurface.h"

#include <QPrinter>
#include <QWidget>

namespace vivrelo {

namespace {

const PrintedDocument kListDocument{QStringLiteral("Liste de courses"),
    QStringLiteral("la liste n'a pas été imprimée."), QStringLiteral("la liste n'a pas été enregistrée.")};

bool PrintOnPrinter(QWidget *owner, int column, Prompter &prompter, const PrintListDialogs &dialogs, TDataModule1 &dm)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kListDocument.name);
    if (!dialogs.printDialog(printer, owner)) {
        prompter.inform(QStringLiteral("Impression annulée : %1").arg(kListDocument.notPrinted));
        return false;
    }
    const std::vector<ListPrintRow> rows = ReadPrintedListRows(dm.ADOConnection1);
    const PrintLayout layout = LoadPrintLayout(dm);
    return PrintWithPrinter(
        printer, prompter, [&](DrawingSurface &s) { return PrintList(s, rows, layout, column, dm.currencySymbol()); });
}

} // namespace

bool PrintShoppingList(QWidget *owner, int column, Prompter &prompter)
{
    return PrintShoppingList(owner, column, prompter, SystemPrintListDialogs());
}

bool PrintShoppingList(QWidget *owner, int column, Prompter &prompter, const PrintListDialogs &dialogs)
{
    try {
        RequirePriceColumn(column);
        TDataModule1 *dm = DataModule1();
        if (!dm || !dm->ADOConnection1.isOpen())
            fail(QStringLiteral("La base de données n'est pas ouverte : la liste n'a pas été imprimée."));
        RequireTickedRow(ReadPrintedListRows(dm->ADOConnection1));
        const OutputTarget target = ChooseOutputTarget(owner, prompter, dialogs, kListDocument);
        switch (target.output) {
        case ListOutput::Printer:
            return PrintOnPrinter(owner, column, prompter, dialogs, *dm);
        case ListOutput::Pdf:
            PrintShoppingListToPdf(*dm, column, target.pdfPath);
            return true;
        case ListOutput::Cancel:
            break;
        }
        return false;
    } catch (const Error &e) {
        prompter.error(e.message());
        return false;
    }
}

QPoint PopupReportPosition(const QWidget *btnReport)
{
    return btnReport->mapToGlobal(QPoint(0, 0)) + QPoint(50, 0);
}

} // namespace vivrelo
