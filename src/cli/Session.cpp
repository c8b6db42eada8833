#include "cli/Session.h"

#include "base/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vivrelo::cli {

namespace {
bool HoldsProgramFiles(const QString &dir)
{
    return QFileInfo::exists(dir + QStringLiteral("/Ressources/DB"));
}
} // namespace

QString LocateProgramDir()
{
    const QString fromEnv = qEnvironmentVariable("VIVRELO_PROGRAM_DIR");
    if (!fromEnv.isEmpty())
        return IncludeBackslash(QDir(fromEnv).absolutePath());
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (HoldsProgramFiles(exeDir))
        return IncludeBackslash(exeDir);
    const QString installed = QDir(exeDir + QStringLiteral("/../share/vivrelo")).absolutePath();
    if (HoldsProgramFiles(installed))
        return IncludeBackslash(installed);
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
