// The catalogue and list commands of the companion: the refill of the products below their
// minimum stock, and the catalogue in and out of a spreadsheet file.
#include "app/DataStart.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "lists/CatalogueCsv.h"
#include "lists/DataModule.h"
#include "lists/ListFile.h"

#include <QDir>
#include <QFileInfo>

namespace vivrelo::cli {

namespace {

// The program's start without windows with the user's database open; the data modules are
// freed at the end. A verb that only reads runs beside the open window.
struct OpenDatabase {
    TerminalPrompter prompter{Answer::No};
    TerminalProgress progress;
    TDataModule1 *dm = nullptr;

    explicit OpenDatabase(bool readOnly = false)
    {
        const StartupState state = StartSession(prompter, progress, StandardStartupHooks(), readOnly);
        if (state.stop)
            return; // the reason is already on the terminal
        dm = RunningDataModules().main.get();
        if (!dm || !dm->ADOConnection1.isOpen()) {
            err() << "La base de données n'a pas pu être ouverte." << Qt::endl;
            dm = nullptr;
        }
    }
    ~OpenDatabase() { CloseDataModules(); }
};

int RunTickLowStock(const QStringList &args)
{
    if (!args.isEmpty()) {
        err() << "Usage : vivrelo-cli tick-low-stock" << Qt::endl;
        return 2;
    }
    OpenDatabase session;
    if (!session.dm)
        return 1;
    out() << TerminalText(TickLowStockMessage(TickLowStock(*session.dm))) << Qt::endl;
    return 0;
}

// The one file name a verb takes, and its flags; false (message shown) otherwise.
bool FileArgument(const QStringList &args, const QStringList &flags, const char *usage, Options &options)
{
    QString error;
    if (!ParseOptions(args, {}, flags, options, error) || options.positional.size() != 1) {
        err() << (error.isEmpty() ? QString::fromUtf8(usage) : error) << Qt::endl;
        return false;
    }
    return true;
}

int RunExportCsv(const QStringList &args)
{
    Options options;
    if (!FileArgument(args, {}, "Usage : vivrelo-cli export-csv FICHIER", options))
        return 2;
    const QString target = QFileInfo(options.positional.first()).absoluteFilePath();
    OpenDatabase session(true);
    if (!session.dm)
        return 1;
    const int count = ExportCatalogue(*session.dm, target);
    out() << "Catalogue exporté : " << count << " produits dans " << QDir::toNativeSeparators(target) << Qt::endl;
    return 0;
}

int RunImportCsv(const QStringList &args)
{
    Options options;
    if (!FileArgument(
            args, {QStringLiteral("--replace")}, "Usage : vivrelo-cli import-csv FICHIER [--replace]", options))
        return 2;
    const QString source = QFileInfo(options.positional.first()).absoluteFilePath();
    OpenDatabase session;
    if (!session.dm)
        return 1;
    const CatalogueImport result = ImportCatalogue(*session.dm, source, options.has(QStringLiteral("--replace")));
    if (!result.problems.empty()) {
        for (const QString &line : CsvProblemLines(result.problems))
            err() << line << Qt::endl;
        err() << "Erreur : " << result.problems.size()
              << (result.problems.size() == 1 ? " ligne en erreur" : " lignes en erreur") << " : rien n'a été importé."
              << Qt::endl;
        return 1;
    }
    if (!result.backup.isEmpty())
        out() << "Ancienne base de données copiée dans : " << QDir::toNativeSeparators(result.backup) << Qt::endl;
    out() << "Catalogue importé : " << result.added << " produits ajoutés, " << result.updated << " mis à jour."
          << Qt::endl;
    return 0;
}

} // namespace

Verb ExportCsvVerb()
{
    return {"export-csv", "export-csv FICHIER   le catalogue dans un fichier pour tableur (CSV)", RunExportCsv};
}

Verb ImportCsvVerb()
{
    return {"import-csv", "import-csv FICHIER [--replace]   importe un catalogue depuis un fichier de tableur (CSV)",
        RunImportCsv};
}

Verb TickLowStockVerb()
{
    return {"tick-low-stock", "tick-low-stock     coche les produits sous leur stock minimum (réapprovisionnement)",
        RunTickLowStock};
}

} // namespace vivrelo::cli
