#include "lists/gui/CatalogueFileCommands.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Prompter.h"
#include "lists/CatalogueCsv.h"
#include "lists/DataModule.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace vivrelo {

namespace {

const QString kCsvFilter = QStringLiteral("Fichier pour tableur (*.csv);;Tous les fichiers (*)");

// The hourglass for the length of a block.
struct Busy {
    Busy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Busy() { QApplication::restoreOverrideCursor(); }
};

CatalogueImportMode AskImportMode(QWidget *owner, const QString &file)
{
    QMessageBox box(QMessageBox::Question, App().productName,
        QStringLiteral("Importer le catalogue du fichier « %1 » :\n\n"
                       "Compléter : les produits du fichier mettent à jour ceux du catalogue (même référence, "
                       "ou même produit et même marque) et les autres sont ajoutés.\n\n"
                       "Remplacer : le catalogue est d'abord vidé ; une copie de la base de données est faite "
                       "avant dans le dossier Backup.")
            .arg(QDir::toNativeSeparators(file)),
        QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("ImportModeBox"));
    QPushButton *complete = box.addButton(QStringLiteral("Compléter le catalogue"), QMessageBox::AcceptRole);
    QPushButton *replace = box.addButton(QStringLiteral("Remplacer le catalogue"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(complete);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == complete)
        return CatalogueImportMode::Complete;
    if (box.clickedButton() == replace)
        return CatalogueImportMode::Replace;
    return CatalogueImportMode::Cancel;
}

} // namespace

CatalogueFileDialogs SystemCatalogueFileDialogs()
{
    CatalogueFileDialogs d;
    d.exportFile = [](QWidget *owner, const QString &suggested) {
        QString path =
            QFileDialog::getSaveFileName(owner, QStringLiteral("Exporter le catalogue"), suggested, kCsvFilter);
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".csv");
        return path;
    };
    d.importFile = [](QWidget *owner, const QString &folder) {
        return QFileDialog::getOpenFileName(owner, QStringLiteral("Importer un catalogue"), folder, kCsvFilter);
    };
    d.importMode = AskImportMode;
    return d;
}

bool ExportCatalogueCommand(QWidget *owner, TDataModule1 &dm, Prompter &prompter, const CatalogueFileDialogs &dialogs)
{
    try {
        const QString folder = CatalogueFolder();
        QDir().mkpath(folder);
        const QString path = dialogs.exportFile(owner, folder + QStringLiteral("Catalogue.csv"));
        if (path.isEmpty())
            return false;
        int count = 0;
        {
            Busy busy;
            count = ExportCatalogue(dm, path);
        }
        prompter.inform(QStringLiteral("Catalogue exporté : %1 produit%2 dans « %3 ».")
                            .arg(count)
                            .arg(count > 1 ? QStringLiteral("s") : QString())
                            .arg(QDir::toNativeSeparators(path)));
        return true;
    } catch (const Error &e) {
        prompter.error(e.message());
        return false;
    }
}

bool ImportCatalogueCommand(QWidget *owner, TDataModule1 &dm, Prompter &prompter, const CatalogueFileDialogs &dialogs)
{
    try {
        const QString folder = CatalogueFolder();
        QDir().mkpath(folder);
        const QString path = dialogs.importFile(owner, folder);
        if (path.isEmpty())
            return false;
        const CatalogueImportMode mode = dialogs.importMode(owner, path);
        if (mode == CatalogueImportMode::Cancel)
            return false;
        CatalogueImport result;
        {
            Busy busy;
            result = ImportCatalogue(dm, path, mode == CatalogueImportMode::Replace);
        }
        if (!result.problems.empty()) {
            prompter.error(ImportProblemsMessage(path, result.problems));
            return false;
        }
        QString message = QStringLiteral("Catalogue importé : %1 produit(s) ajouté(s), %2 mis à jour.")
                              .arg(result.added)
                              .arg(result.updated);
        if (!result.backup.isEmpty())
            message += QStringLiteral("\rL'ancienne base de données a été copiée dans « %1 ».")
                           .arg(QDir::toNativeSeparators(result.backup));
        prompter.inform(message);
        return true;
    } catch (const Error &e) {
        prompter.error(e.message());
        return false;
    }
}

} // namespace vivrelo
