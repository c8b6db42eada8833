#include "cli/Session.h"

#include "base/Paths.h"

#include <QCoreApplication>
#include <QDir>

namespace vivrelo::cli {

QString LocateProgramDir()
{
    const QString fromEnv = qEnvironmentVariable("VIVRELO_PROGRAM_DIR");
    if (!fromEnv.isEmpty())
        return IncludeBackslash(QDir(fromEnv).absolutePath());
    for (const QString &dir : ProgramDirCandidates(QCoreApplication::applicationDirPath()))
        if (HoldsProgramFiles(dir))
            return dir;
    return IncludeBackslash(QDir::currentPath());
}

StartupState StartSession(Prompter &prompter, ProgressSink &progress, const StartupHooks &hooks, bool readOnly)
{
    StartupConfig config;
    config.programDir = LocateProgramDir();
    config.settingsFileName = QStringLiteral("vivrelo.ini");
    config.hooks = hooks;
    config.readOnly = readOnly;
    StartupState state = StartEnvironment(config, prompter, progress);
    if (state.stop)
        return state;
    if (!StartData(config, state, prompter))
        state.stop = true;
    return state;
}

} // namespace vivrelo::cli
