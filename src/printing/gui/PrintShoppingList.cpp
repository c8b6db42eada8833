#include "printing/gui/PrintShoppingList.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "lists/DataModule.h"
#include "printing/ListPrinting.h"
#include "printing/PrintedListData.h"
#include "printing/gui/PrinterSurface.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace vivrelo {

namespace {

const QString kDocumentName = QStringLiteral("Liste de courses");

ListOutput AskOutput(QWidget *owner)
{
    QMessageBox box(QMessageBox::Question, App().productName,
        QStringLiteral("Imprimer la liste ou l'enregistrer dans un fichier PDF ?"), QMessageBox::NoButton, owner);
    QPushButton *print = box.addButton(QStringLiteral("Imprimer"), QMessageBox::AcceptRole);
    QPushButton *pdf = box.addButton(QStringLiteral("Enregistrer en PDF"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(print);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == print)
        return ListOutput::Printer;
    if (box.clickedButton() == pdf)
        return ListOutput::Pdf;
    return ListOutput::Cancel;
}

bool PrintOnPrinter(QWidget *owner, int column, Prompter &prompter, const PrintListDialogs &dialogs, TDataModule1 &dm)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kDocumentName);
    if (!dialogs.printDialog(printer, owner)) {
        prompter.inform(QStringLiteral("Impression annulée : la liste n'a pas été imprimée."));
        return false;
    }
    const std::vector<ListPrintRow> rows = ReadPrintedListRows(dm.ADOConnection1);
    const PrintLayout layout = LoadPrintLayout(dm);
    return PrintWithPrinter(
        printer, prompter, [&](DrawingSurface &s) { return PrintList(s, rows, layout, column, dm.currencySymbol()); });
}

bool SaveAsPdf(QWidget *owner, int column, Prompter &prompter, const PrintListDialogs &dialogs, TDataModule1 &dm)
{
    const QString exportDir = App().dataDir + QStringLiteral("Export/");
    QDir().mkpath(exportDir);
    const QString path = dialogs.pdfFile(owner, exportDir + kDocumentName + QStringLiteral(".pdf"));
    if (path.isEmpty()) {
        prompter.inform(QStringLiteral("Enregistrement annulé : la liste n'a pas été enregistrée."));
        return false;
    }
    PrintShoppingListToPdf(dm, column, path);
    return true;
}

} // namespace

PrintListDialogs SystemPrintListDialogs()
{
    PrintListDialogs d;
    d.hasPrinter = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    d.chooseOutput = AskOutput;
    d.printDialog = [](QPrinter &printer, QWidget *owner) {
        QPrintDialog dialog(&printer, owner);
        dialog.setWindowTitle(QStringLiteral("Imprimer la liste"));
        return dialog.exec() == QDialog::Accepted;
    };
    d.pdfFile = [](QWidget *owner, const QString &suggested) {
        QString path = QFileDialog::getSaveFileName(
            owner, QStringLiteral("Enregistrer la liste en PDF"), suggested, QStringLiteral("Document PDF (*.pdf)"));
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".pdf");
        return path;
    };
    return d;
}

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
        ListOutput output = ListOutput::Pdf;
        if (dialogs.hasPrinter())
            output = dialogs.chooseOutput(owner);
        switch (output) {
        case ListOutput::Printer:
            return PrintOnPrinter(owner, column, prompter, dialogs, *dm);
        case ListOutput::Pdf:
            return SaveAsPdf(owner, column, prompter, dialogs, *dm);
        case ListOutput::Cancel:
            break;
        }
        prompter.inform(QStringLiteral("Impression annulée : la liste n'a pas été imprimée."));
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
