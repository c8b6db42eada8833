#include "app/SingleInstance.h"

#include "base/Paths.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vivrelo {

namespace {
const char kLockName[] = "TALVANE_VIVRELO";

QString DefaultLockPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && DirectoryExists(runtime))
        return IncludeBackslash(runtime) + QString::fromLatin1(kLockName) + QStringLiteral(".lock");
    return QStringLiteral("/tmp/%1-%2.lock").arg(QString::fromLatin1(kLockName)).arg(uint(getuid()));
}
} // namespace

SingleInstance::SingleInstance(const QString &lockDir)
    : m_path(lockDir.isEmpty() ? DefaultLockPath()
                               : IncludeBackslash(lockDir) + QString::fromLatin1(kLockName) + QStringLiteral(".lock"))
{
    // O_NOFOLLOW: in a shared folder such as /tmp, a link planted under our name is refused.
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_failure = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    int rc;
    do
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        m_state = State::Acquired;
        return;
    }
    if (errno == EWOULDBLOCK)
        m_state = State::HeldByOther;
    else
        m_failure = QString::fromLocal8Bit(std::strerror(errno));
    ::close(m_fd);
    m_fd = -1;
}

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace vivrelo
