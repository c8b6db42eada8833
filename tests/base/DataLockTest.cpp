#include "base/DataLock.h"
#include "base/Error.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace vivrelo {
namespace {

using State = DataDirectoryLock::State;
using Mode = DataDirectoryLock::Mode;

// flock locks belong to each opening of the file, so two locks of one process stand for two
// processes here.
TEST(DataDirectoryLock, OneWriterReadersBesideItAndNoReplacementUnderAReader)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QLatin1Char('/');
    {
        DataDirectoryLock window(data, Mode::Change);
        ASSERT_EQ(window.state(), State::Acquired);
        DataDirectoryLock secondWriter(data, Mode::Change);
        EXPECT_EQ(secondWriter.state(), State::HeldByOther);
        EXPECT_EQ(secondWriter.refusal(), AlreadyRunningMessage());

        {
            DataDirectoryLock snapshot(data, Mode::ReadOnly, 0);
            DataDirectoryLock check(data, Mode::ReadOnly, 0);
            EXPECT_EQ(snapshot.state(), State::Acquired);
            EXPECT_EQ(check.state(), State::Acquired);
            EXPECT_THROW(FileReplacementLock(data, 50), Error);
        }
        FileReplacementLock replacing(data, 0);
        DataDirectoryLock lateReader(data, Mode::ReadOnly, 50);
        EXPECT_EQ(lateReader.state(), State::HeldByOther);
        EXPECT_TRUE(lateReader.refusal().contains(QStringLiteral("rien n'a été lu")));
    }
    EXPECT_EQ(DataDirectoryLock(data, Mode::Change).state(), State::Acquired);

    // The system drops the lock of a process that ends without releasing it.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DataDirectoryLock held(data, Mode::Change);
        _exit(held.state() == State::Acquired ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(DataDirectoryLock(data, Mode::Change).state(), State::Acquired);
}

} // namespace
} // namespace vivrelo
