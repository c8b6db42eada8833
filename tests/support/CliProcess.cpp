#include "support/CliProcess.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace vivrelo::test {

QProcessEnvironment CliEnvironment(const TestDirs &dirs, const QString &runtimeDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dirs.homeDir());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dirs.homeDir() + QStringLiteral(".config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.insert(QStringLiteral("VIVRELO_PROGRAM_DIR"), dirs.programDir());
    env.remove(QStringLiteral("XDG_DOCUMENTS_DIR"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the companion chooses offscreen itself
    return env;
}

CliOutcome RunCli(const TestDirs &dirs, const QString &runtimeDir, const QStringList &args, bool mergeChannels)
{
    QProcess p;
    p.setProcessEnvironment(CliEnvironment(dirs, runtimeDir));
    if (mergeChannels)
        p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(VIVRELO_CLI_PATH), args);
    CliOutcome outcome;
    if (!p.waitForFinished(120000))
        return outcome;
    outcome.out = QString::fromUtf8(p.readAllStandardOutput());
    outcome.err = QString::fromUtf8(p.readAllStandardError());
    outcome.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return outcome;
}

} // namespace vivrelo::test
