#include "printing/gui/PrintOutput.h"

#include "base/AppValues.h"

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

ListOutput AskOutput(QWidget *owner, const QString &question)
{
    QMessageBox box(QMessageBox::Question, App().productName, question, QMessageBox::NoButton, owner);
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

} // namespace

PrintListDialogs SystemPrintListDialogs(const QString &question)
{
    PrintListDialogs d;
    d.hasPrinter = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    d.chooseOutput = [question](QWidget *owner) { return AskOutput(owner, question); };
    d.printDialog = [](QPrinter &printer, QWidget *owner) {
        QPrintDialog dialog(&printer, owner);
        dialog.setWindowTitle(QStringLiteral("Imprimer"));
        return dialog.exec() == QDialog::Accepted;
    };
    d.pdfFile = [](QWidget *owner, const QString &suggested) {
        QString path = QFileDialog::getSaveFileName(
            owner, QStringLiteral("Enregistrer en PDF"), suggested, QStringLiteral("Document PDF (*.pdf)"));
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".pdf");
        return path;
    };
    return d;
}

OutputTarget ChooseOutputTarget(
    QWidget *owner, Prompter &prompter, const PrintListDialogs &dialogs, const PrintedDocument &document)
{
    OutputTarget target;
    target.output = dialogs.hasPrinter() ? dialogs.chooseOutput(owner) : ListOutput::Pdf;
    if (target.output == ListOutput::Cancel) {
        prompter.inform(QStringLiteral("Impression annulée : %1").arg(document.notPrinted));
        return target;
    }
    if (target.output == ListOutput::Pdf) {
        const QString exportDir = App().dataDir + QStringLiteral("Export/");
        QDir().mkpath(exportDir);
        target.pdfPath = dialogs.pdfFile(owner, exportDir + document.name + QStringLiteral(".pdf"));
        if (target.pdfPath.isEmpty()) {
            prompter.inform(QStringLiteral("Enregistrement annulé : %1").arg(document.notSaved));
            target.output = ListOutput::Cancel;
        }
    }
    return target;
}

} // namespace vivrelo
