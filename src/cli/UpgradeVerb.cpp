// vivrelo-cli upgrade: the schema step of the program's start, without windows.
#include "app/DataDirectory.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "db/ConnectionConfig.h"
#include "db/Upgrade.h"
#include "lists/DataModule.h"

namespace vivrelo::cli {

namespace {

int RunUpgrade(const QStringList &args)
{
    Options options;
    QString error;
    if (!ParseOptions(args, {}, {QStringLiteral("--backup"), QStringLiteral("--no-backup")}, options, error)
        || !options.positional.isEmpty()
        || (options.has(QStringLiteral("--backup")) && options.has(QStringLiteral("--no-backup")))) {
        err() << (error.isEmpty() ? QStringLiteral("Usage : vivrelo-cli upgrade [--backup | --no-backup]") : error)
              << Qt::endl;
        return 2;
    }
    // The question of the upgrade backup is answered by the flag.
    TerminalPrompter prompter(options.has(QStringLiteral("--no-backup")) ? Answer::No : Answer::Yes);
    TerminalProgress progress;
    SetUpgradeLogEcho([](const QString &line) { out() << line << Qt::endl; });

    TDataModule1 dataModule;
    bool upgraded = false;
    StartupHooks hooks;
    hooks.readConnectionConfig = [](const QString &dataDir) {
        const ConnectionConfig &c = ReadConnectionConfig(dataDir, dataDir, {}, [](const QString &name) { FetchDataFile(name); });
        return DatabaseLocation{c.databaseDir, c.activeFileName, c.oledbFileName};
    };
    hooks.createDataModules = [&dataModule](Prompter &p) { return dataModule.DataModuleCreate(p); };
    hooks.upgradeSchema = [&](Prompter &p) {
        // The log lines tell each step: no status line besides them.
        UpgradeDatabaseSchema(dataModule.ADOConnection1, DbConfig(), p, nullptr, progress);
        upgraded = true;
    };
    const StartupState state = StartSession(prompter, progress, hooks);
    SetUpgradeLogEcho({});
    if (state.stop || !upgraded)
        return 1;
    out() << "Base de données à jour : version " << GetBDVersion(dataModule.ADOConnection1,
        QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE")) << Qt::endl;
    return 0;
}

} // namespace

Verb UpgradeVerb()
{
    return {"upgrade", "upgrade [--backup | --no-backup]   met la base de données à jour (scripts *.maj)", RunUpgrade};
}

} // namespace vivrelo::cli
