// import-jet: an Access database of an older installation becomes the user's database.
#include "app/DataDirectory.h"
#include "app/DataStart.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "db/DataSetRoutines.h"
#include "db/DatabaseCopy.h"
#include "db/JetImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vivrelo::cli {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// True when both files hold the same bytes.
bool sameBytes(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 16) != fb.read(1 << 16))
            return false;
    }
    return true;
}

} // namespace

int RunImportJet(const QStringList &args)
{
    Options options;
    QString error;
    if (!ParseOptions(args, {}, {QStringLiteral("--replace")}, options, error) || options.positional.size() != 1) {
        err() << (error.isEmpty() ? QStringLiteral("Usage : vivrelo-cli import-jet FICHIER [--replace]") : error)
              << Qt::endl;
        return 2;
    }
    const QString source = QFileInfo(options.positional.first()).absoluteFilePath();

    TerminalPrompter prompter(Answer::No);
    TerminalProgress progress;
    // The program's configuration and lock; the database is not opened, it is what changes.
    StartupHooks hooks;
    hooks.readConnectionConfig = StandardStartupHooks().readConnectionConfig;
    const StartupState state = StartSession(prompter, progress, hooks);
    if (state.stop)
        return 1;

    const QString target = DatabaseFilePath(state.database);
    const bool inPlace =
        FileExists(target) && QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath();
    // A database identical to the template holds nothing of the user's (the start installs
    // one on a first run): it is replaced without being asked for.
    const bool userDatabase = FileExists(target) && !inPlace && !sameBytes(target, TemplateDatabasePath());
    if (userDatabase && !options.has(QStringLiteral("--replace"))) {
        err() << "Erreur : "
              << TerminalText(QStringLiteral("La base de données « %1 » existe déjà : rien n'a été importé.\r"
                                             "Ajoutez --replace pour la remplacer (elle sera d'abord copiée dans "
                                             "le dossier Backup).")
                                  .arg(shown(target)))
              << Qt::endl;
        return 1;
    }

    const QString backup =
        userDatabase ? CopyDatabaseIntoBackupFolder(target, QStringLiteral("VIVRELO_AVANT_IMPORT_")) : QString();
    JetImportResult result;
    try {
        result = ImportJetDatabase(source, target, true, progress);
    } catch (...) {
        // The current database is still in place and whole: its copy is not needed.
        if (!backup.isEmpty())
            QFile::remove(backup);
        throw;
    }
    out() << "Base Access convertie : " << result.tables << " tables, " << result.items << " produits." << Qt::endl
          << "Base de données : " << shown(result.database) << Qt::endl
          << "Copie de la base Access : " << shown(result.keptOriginal) << Qt::endl;
    if (!backup.isEmpty())
        out() << "Ancienne base de données copiée dans : " << shown(backup) << Qt::endl;
    return 0;
}

} // namespace vivrelo::cli
