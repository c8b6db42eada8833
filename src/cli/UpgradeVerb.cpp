// vivrelo-cli upgrade: the schema step of the program's start, without windows.
#include "app/DataDirectory.h"
#include "app/DataStart.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "db/ConnectionConfig.h"
#include "db/Upgrade.h"

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

    bool upgraded = false;
    StartupHooks hooks = StandardStartupHooks(progress, nullptr, progress);
    // The log lines tell each step: no status line besides them.
    hooks.upgradeSchema = [run = hooks.upgradeSchema, &upgraded](Prompter &p) {
        run(p);
        upgraded = true;
    };
    const StartupState state = StartSession(prompter, progress, hooks);
    SetUpgradeLogEcho({});
    struct Closer {
        ~Closer() { CloseDataModules(); }
    } closer;
    if (state.stop || !upgraded)
        return 1;
    out() << "Base de données à jour : version "
          << GetBDVersion(
                 RunningDataModules().main->ADOConnection1, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE"))
          << Qt::endl;
    return 0;
}

} // namespace

Verb UpgradeVerb()
{
    return {"upgrade", "upgrade [--backup | --no-backup]   met la base de données à jour (scripts *.maj)", RunUpgrade};
}

} // namespace vivrelo::cli
