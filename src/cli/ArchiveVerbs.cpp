// The verbs around archives that change nothing of the data: checking and listing an archive,
// and the automatic backup of a scheduled job, which runs beside the open program.
#include "app/DataStart.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "cli/MaintenanceVerbs.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "maintenance/ArchiveCheck.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/Cabinet.h"
#include "maintenance/DataModuleHost.h"

#include <QFileInfo>

namespace vivrelo::cli {

namespace {

// The one archive a verb reads; false (message shown) otherwise.
bool OneArchive(const QStringList &args, const char *verb, QString &archive)
{
    Options options;
    QString error;
    if (!ParseOptions(args, {}, {}, options, error)) {
        err() << error << Qt::endl;
        return false;
    }
    if (options.positional.size() != 1) {
        err() << "Indiquez une archive : " << verb << " FICHIER" << Qt::endl;
        return false;
    }
    archive = QFileInfo(options.positional.first()).absoluteFilePath();
    return true;
}

} // namespace

int VerifyVerb(const QStringList &args)
{
    QString archive;
    if (!OneArchive(args, "verify", archive))
        return 2;
    TerminalProgress progress;
    const ArchiveCheck check = VerifyArchive(archive, progress);
    out() << TerminalText(QStringLiteral("L'archive « %1 » est lisible en entier : une restauration réussirait.\r"
                                         "Produits : %2\rImages : %3\rFichiers : %4 (%5 octets)")
                              .arg(archive)
                              .arg(check.products)
                              .arg(check.pictures)
                              .arg(check.entries)
                              .arg(check.bytes))
          << Qt::endl;
    if (check.accessDatabase)
        out() << "Sa base de données est une base Access : la restauration la convertira." << Qt::endl;
    return 0;
}

int ListVerb(const QStringList &args)
{
    QString archive;
    if (!OneArchive(args, "list", archive))
        return 2;
    qint64 total = 0;
    const std::vector<CabinetEntry> entries = ReadCabinet(archive);
    for (const CabinetEntry &e : entries) {
        out() << e.size << '\t' << ShortDate(e.modified.date()) << ' ' << LongTime(e.modified.time()) << '\t' << e.name
              << '\n';
        total += e.size;
    }
    out() << TerminalText(QStringLiteral("%1 fichiers, %2 octets").arg(entries.size()).arg(total)) << Qt::endl;
    return 0;
}

int AutoBackupVerb(const QStringList &args)
{
    Options options;
    QString error;
    if (!ParseOptions(args, {QStringLiteral("--keep")}, {QStringLiteral("--auto")}, options, error)) {
        err() << error << Qt::endl;
        return 2;
    }
    bool ok = true;
    const int keep = options.value(QStringLiteral("--keep"), QString::number(DefaultAutoBackupKeep)).toInt(&ok);
    if (!ok || keep < 1 || !options.positional.isEmpty()) {
        err() << "Usage : backup --auto [--keep N] (N : nombre d'archives automatiques gardées, au moins 1)"
              << Qt::endl;
        return 2;
    }
    TerminalPrompter prompter(Answer::No);
    TerminalProgress progress;
    // A reading start: beside the open program, on the data directory's shared lock, with the
    // connection configuration only (no data module, no installation, no upgrade).
    StartupHooks hooks;
    hooks.readConnectionConfig = StandardStartupHooks().readConnectionConfig;
    const StartupState state = StartSession(prompter, progress, hooks, true);
    if (state.stop)
        return 1;
    const MaintenancePlaces places = MaintenancePlacesOf(DbConfig(), App().dataDir);
    const AutoBackupOutcome outcome = RunAutoBackup(places, keep, CurrentDateTime(), progress);
    out() << "Archive : " << outcome.archive << '\n' << "Produits : " << outcome.products << Qt::endl;
    for (const QString &removed : outcome.removed)
        out() << "Archive automatique supprimée : " << removed << '\n';
    for (const QString &left : outcome.leftOut)
        err() << "Attention : fichier non sauvegardé : " << left << '\n';
    if (!outcome.historyWritten)
        err() << "Attention : l'historique " << AutoBackupHistoryPath(places) << " n'a pas pu être complété." << '\n';
    out().flush();
    err().flush();
    return 0;
}

} // namespace vivrelo::cli
