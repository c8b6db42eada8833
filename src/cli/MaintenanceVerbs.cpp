#include "cli/MaintenanceVerbs.h"

#include "app/DataStart.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "db/Connection.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "db/Upgrade.h"
#include "maintenance/DataModuleHost.h"
#include "maintenance/History.h"

#include <QFileInfo>

#include <memory>

namespace vivrelo::cli {

namespace {

// What a verb takes: no option, and at most `max` file names (`missing` tells what to give
// when one is required).
struct NamesWanted {
    int max = 0;
    const char *missing = nullptr;
};

// The verb's file names; false (message shown) when the arguments are not what it takes.
bool Arguments(const QStringList &args, const NamesWanted &wanted, QStringList &names)
{
    Options options;
    QString error;
    if (!ParseOptions(args, {}, {}, options, error)) {
        err() << error << Qt::endl;
        return false;
    }
    if (options.positional.size() > wanted.max) {
        err() << "Argument inattendu : " << options.positional.value(wanted.max) << Qt::endl;
        return false;
    }
    if (wanted.missing && options.positional.isEmpty()) {
        err() << QString::fromUtf8(wanted.missing) << Qt::endl;
        return false;
    }
    names = options.positional;
    return true;
}

// The program's start without windows, and the data modules freed at the end.
struct Session {
    TerminalPrompter prompter;
    TerminalProgress progress;
    StartupState state;

    // `onDamaged`: the verb also runs on a database the program cannot open because it is
    // damaged (the repair and the restore are the ways out of that state).
    explicit Session(Answer confirmations, bool onDamaged = false)
        : prompter(confirmations)
    {
        state = StartSession(prompter, progress, StandardStartupHooks());
        if (state.stop && onDamaged && state.databaseDamaged && state.dataLock
            && state.dataLock->state() == DataDirectoryLock::State::Acquired) {
            CloseDataModules();
            damaged = true;
            state.stop = false;
            return;
        }
        if (!state.stop && !RunningDataModules().main) {
            prompter.error(QStringLiteral("La base de données n'a pas pu être ouverte."));
            state.stop = true;
        }
    }
    ~Session() { CloseDataModules(); }
    bool ready() const { return !state.stop; }
    TDataModule1 &dataModule() { return *RunningDataModules().main; }
    MaintenancePlaces places() const { return MaintenancePlacesOf(DbConfig(), App().dataDir); }
    bool damaged = false; // running without the data modules, on a damaged database
};

// The host of an operation on a database the program could not open: there is nothing to
// release; a restored database is upgraded, and the history row written, once the operation
// has left a database that opens.
class DamagedDatabaseHost : public MaintenanceHost
{
public:
    explicit DamagedDatabaseHost(QString database)
        : m_database(std::move(database))
    { }
    void releaseDatabase() override { m_connection.close(); }
    void reopenConnection() override
    {
        try {
            m_connection.open(m_database);
        } catch (const Error &) { }
    }
    void reopenDatabase() override { }
    void upgradeRestoredDatabase() override
    {
        if (!m_connection.isOpen())
            return;
        ScriptedPrompter silent(Answer::No);
        UpgradeRestoredDatabase(m_connection, silent, nullptr, noProgress());
    }
    void addHistoryRow(const QString &description, const QString &path) override
    {
        m_connection.close();
        TDataModule1 dm;
        ScriptedPrompter silent(Answer::No);
        try {
            if (dm.DataModuleCreate(silent))
                AddHistoryRow(dm.Backup, description, path);
        } catch (const Error &) {
            // The history of a database still damaged is not written.
        }
    }

private:
    QString m_database;
    Connection m_connection;
};

// The maintenance context of a session; the host upgrades a restored database that is older
// than the program.
struct Operation {
    std::unique_ptr<MaintenanceHost> host;
    MaintenanceContext ctx;
    explicit Operation(Session &s)
        : host(s.damaged
                ? std::unique_ptr<MaintenanceHost>(std::make_unique<DamagedDatabaseHost>(DatabaseFilePath(s.places())))
                : std::make_unique<DataModuleHost>(s.dataModule()))
        , ctx{*host, s.prompter, s.progress, s.places()}
    { }
};

QString Absolute(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

namespace {

// Runs a verb: its arguments checked, the session started with the confirmations answered
// `confirmations`, then `body` with the names.
template <typename Body>
int RunVerb(const QStringList &args, const NamesWanted &wanted, Answer confirmations, Body body, bool onDamaged = false)
{
    QStringList names;
    if (!Arguments(args, wanted, names))
        return 2;
    Session session(confirmations, onDamaged);
    if (!session.ready())
        return 1;
    return body(session, names) ? 0 : 1;
}

} // namespace

int BackupVerb(const QStringList &args)
{
    QStringList rest = args;
    const bool replace = rest.removeAll(QStringLiteral("--replace")) > 0;
    return RunVerb(rest, {1}, Answer::No, [replace](Session &session, const QStringList &names) {
        const QString archive =
            names.isEmpty() ? DefaultBackupPath(session.places(), CurrentDateTime().date()) : Absolute(names.first());
        // A scheduled job must not replace the morning's archive by mistake.
        if (!replace && QFileInfo::exists(archive)) {
            session.prompter.error(QStringLiteral("L'archive %1 existe déjà ; rien n'a été écrit. Ajoutez --replace "
                                                  "pour la remplacer.")
                                       .arg(archive));
            return false;
        }
        Operation op(session);
        if (!BackupCommand(op.ctx, archive))
            return false;
        out() << "Archive : " << archive << Qt::endl;
        return true;
    });
}

int RestoreVerb(const QStringList &args)
{
    const NamesWanted archive{1, "Indiquez l'archive à restaurer : restore FICHIER"};
    return RunVerb(
        args, archive, Answer::No,
        [](Session &session, const QStringList &names) {
            Operation op(session);
            return RestoreCommand(op.ctx, Absolute(names.first()));
        },
        true);
}

int CompactVerb(const QStringList &args)
{
    // The command itself is the confirmation.
    return RunVerb(
        args, {}, Answer::Yes,
        [](Session &session, const QStringList &) {
            Operation op(session);
            return CompactCommand(op.ctx);
        },
        true);
}

int HistoryVerb(const QStringList &args)
{
    return RunVerb(args, {}, Answer::No, [](Session &session, const QStringList &) {
        DataSet &backup = session.dataModule().Backup;
        backup.open();
        const std::vector<HistoryEntry> rows = ReadHistory(backup);
        backup.close();
        for (const HistoryEntry &e : rows)
            out() << e.date << '\t' << e.time << '\t' << e.description << '\t' << e.path << '\n';
        out().flush();
        if (rows.empty())
            err() << "L'historique est vide." << Qt::endl;
        return true;
    });
}

} // namespace vivrelo::cli
