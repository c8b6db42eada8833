#pragma once

#include "support/TestDirs.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vivrelo::test {

struct CliOutcome {
    int status = -1; // the exit status; -1 when the companion did not end normally in time
    QString out; // standard output (everything, when the channels were merged)
    QString err; // standard error (empty when merged)
};

// The environment of the companion run as a user would: the test's program directory and
// home, `runtimeDir` as its runtime folder.
QProcessEnvironment CliEnvironment(const TestDirs &dirs, const QString &runtimeDir);

// Runs the built vivrelo-cli as a user would: on the test's program directory and home, with
// `runtimeDir` as its runtime folder (where the single-instance lock lies).
CliOutcome RunCli(const TestDirs &dirs, const QString &runtimeDir, const QStringList &args, bool mergeChannels = false);

} // namespace vivrelo::test
