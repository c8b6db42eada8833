#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vivrelo {

class Prompter;
class TDataModule1;

// How a catalogue file is taken in.
enum class CatalogueImportMode { Complete, Replace, Cancel };

// The dialogs of the catalogue file commands; the defaults are the window system's. Tests put
// their own answers in.
struct CatalogueFileDialogs {
    // The file to write, proposed as `suggested`; empty when the user cancels.
    std::function<QString(QWidget *owner, const QString &suggested)> exportFile;
    // The file to read, from `folder`; empty when the user cancels.
    std::function<QString(QWidget *owner, const QString &folder)> importFile;
    // "Compléter le catalogue", "Remplacer le catalogue" or "Annuler".
    std::function<CatalogueImportMode(QWidget *owner, const QString &file)> importMode;
};
CatalogueFileDialogs SystemCatalogueFileDialogs();

// "Exporter le catalogue…": the save dialog in the data directory's "Export/" folder, then the
// file. The outcome is told through the prompter; true when the file was written.
bool ExportCatalogueCommand(QWidget *owner, TDataModule1 &dm, Prompter &prompter, const CatalogueFileDialogs &dialogs);
// "Importer un catalogue…": the open dialog, the choice between completing and replacing the
// catalogue, then the import. A file with bad lines changes nothing; the message lists the
// first twenty of them and how many more there are. True when the catalogue changed.
bool ImportCatalogueCommand(QWidget *owner, TDataModule1 &dm, Prompter &prompter, const CatalogueFileDialogs &dialogs);

} // namespace vivrelo
