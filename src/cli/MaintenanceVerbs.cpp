#include "cli/MaintenanceVerbs.h"

#include "app/AppValues.h"
#include "app/Error.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "lists/DataStart.h"
#include "maintenance/DataModuleHost.h"
#include "maintenance/History.h"

#include <QFileInfo>


namespace vivrelo::cli {

namespace {

// The verb's arguments: no option, at most `maxPositional` names. False (message shown) else.
bool Arguments(const QStringList &args, int maxPositional, QStringList &positional)
{
    Options options;
    QString error;
    if (!ParseOptions(args, {}, {}, options, error)) {
        err() << error << Qt::endl;
        return false;
    }
    if (options.positional.size() > maxPositional) {
        err() << "Argument inattendu : " << options.positional.value(maxPositional) << Qt::endl;
        return false;
    }
    positional = options.positional;
    return true;
}

// The program's start without windows, and the data modules freed at the end.
struct Session {
    TerminalPrompter prompter;
    TerminalProgress progress;
    StartupState state;

    explicit Session(Answer confirmations) : prompter(confirmations)
    {
        state = StartSession(prompter, progress, StandardStartupHooks());
        if (!state.stop && !RunningDataModules().main) {
            prompter.error(QStringLiteral("La base de données n'a pas pu être ouverte."));
            state.stop = true;
        }
    }
    ~Session() { CloseDataModules(); }
    bool ready() const { return !state.stop; }
    TDataModule1 &dataModule() { return *RunningDataModules().main; }
    MaintenancePlaces places() const { return MaintenancePlacesOf(DbConfig(), App().dataDir); }
};

// The maintenance context of a session.
struct Operation {
    DataModuleHost host;
    MaintenanceContext ctx;
    explicit Operation(Session &s)
        : host(s.dataModule()), ctx{host, s.prompter, s.progress, s.places()} {}
};

QString Absolute(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

int BackupVerb(const QStringList &args)
{
    QStringList names;
    if (!Arguments(args, 1, names))
        return 2;
    Session session(Answer::No);
    if (!session.ready())
        return 1;
    const QString archive = names.isEmpty() ? DefaultBackupPath(session.places(), CurrentDateTime().date())
                                            : Absolute(names.first());
    Operation op(session);
    if (!BackupCommand(op.ctx, archive))
        return 1;
    out() << "Archive : " << archive << Qt::endl;
    return 0;
}

int RestoreVerb(const QStringList &args)
{
    QStringList names;
    if (!Arguments(args, 1, names))
        return 2;
    if (names.isEmpty()) {
        err() << "Indiquez l'archive à restaurer : restore FICHIER" << Qt::endl;
        return 2;
    }
    Session session(Answer::No);
    if (!session.ready())
        return 1;
    Operation op(session);
    return RestoreCommand(op.ctx, Absolute(names.first())) ? 0 : 1;
}

int CompactVerb(const QStringList &args)
{
    QStringList names;
    if (!Arguments(args, 0, names))
        return 2;
    Session session(Answer::Yes);
    if (!session.ready())
        return 1;
    Operation op(session);
    return CompactCommand(op.ctx) ? 0 : 1;
}

int HistoryVerb(const QStringList &args)
{
    QStringList names;
    if (!Arguments(args, 0, names))
        return 2;
    Session session(Answer::No);
    if (!session.ready())
        return 1;
    DataSet &backup = session.dataModule().Backup;
    backup.open();
    const std::vector<HistoryEntry> rows = ReadHistory(backup);
    backup.close();
    for (const HistoryEntry &e : rows)
        out() << e.date << '\t' << e.time << '\t' << e.description << '\t' << e.path << '\n';
    out().flush();
    if (rows.empty())
        err() << "L'historique est vide." << Qt::endl;
    return 0;
}

} // namespace vivrelo::cli
