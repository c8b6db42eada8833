#include "base/DataLock.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vivrelo {

namespace {

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Opens a lock file, creating it when missing; read-only when the folder refuses writing but
// the file is there (a flock needs no write access).
int openLockFile(const QString &path, int &error)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NOFOLLOW: a link planted under the lock's name is refused.
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    error = fd < 0 ? errno : 0;
    return fd;
}

// flock without waiting; retried on a signal. 0, or the errno.
int tryLock(int fd, int operation)
{
    int rc;
    do
        rc = ::flock(fd, operation | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

// Tries for up to `waitMs`, a few milliseconds apart.
int lockWaiting(int fd, int operation, int waitMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const int error = tryLock(fd, operation);
        if (error != EWOULDBLOCK || timer.elapsed() >= waitMs)
            return error;
        QThread::msleep(20);
    }
}

} // namespace

QString AlreadyRunningMessage()
{
    return App().productName + QStringLiteral(" est déjà en exécution.");
}

QString ChangeLockPath(const QString &dataDir)
{
    return IncludeBackslash(dataDir) + QStringLiteral("vivrelo.lock");
}

QString ReadLockPath(const QString &dataDir)
{
    return IncludeBackslash(dataDir) + QStringLiteral("vivrelo-lecture.lock");
}

DataDirectoryLock::DataDirectoryLock(const QString &dataDir, Mode mode, int waitMs)
    : m_mode(mode)
    , m_path(mode == Mode::Change ? ChangeLockPath(dataDir) : ReadLockPath(dataDir))
{
    int error = 0;
    m_fd = openLockFile(m_path, error);
    if (m_fd < 0) {
        m_failure = systemText(error);
        return;
    }
    error = mode == Mode::Change ? tryLock(m_fd, LOCK_EX) : lockWaiting(m_fd, LOCK_SH, waitMs);
    if (error == 0) {
        m_state = State::Acquired;
        // The writer makes the readers' file, so that a reader never creates anything.
        if (mode == Mode::Change) {
            int ignored = 0;
            const int readFd = openLockFile(ReadLockPath(dataDir), ignored);
            if (readFd >= 0)
                ::close(readFd);
        }
        return;
    }
    if (error == EWOULDBLOCK)
        m_state = State::HeldByOther;
    else
        m_failure = systemText(error);
    ::close(m_fd);
    m_fd = -1;
}

DataDirectoryLock::~DataDirectoryLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString DataDirectoryLock::refusal() const
{
    switch (m_state) {
    case State::Acquired:
        return {};
    case State::HeldByOther:
        return m_mode == Mode::Change
            ? AlreadyRunningMessage()
            : QStringLiteral("La base de données est en cours de remplacement (compactage ou restauration) ; "
                             "rien n'a été lu. Réessayez dans un instant.");
    case State::Failed:
        break;
    }
    return QStringLiteral("Le verrou du dossier des données %1 ne peut pas être posé ; rien n'a été modifié. (%2)")
        .arg(QDir::toNativeSeparators(m_path), m_failure);
}

FileReplacementLock::FileReplacementLock(const QString &dataDir, int waitMs)
{
    const QString path = ReadLockPath(dataDir);
    int error = 0;
    m_fd = openLockFile(path, error);
    if (m_fd < 0)
        return;
    error = lockWaiting(m_fd, LOCK_EX, waitMs);
    if (error == 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    if (error == EWOULDBLOCK)
        fail(QStringLiteral("Une copie de la base de données est en cours (sauvegarde automatique ou "
                            "vérification) ; rien n'a été modifié. Réessayez dans un instant."));
    fail(QStringLiteral("Le verrou du dossier des données %1 ne peut pas être posé ; rien n'a été modifié. (%2)")
             .arg(QDir::toNativeSeparators(path), systemText(error)));
}

FileReplacementLock::~FileReplacementLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace vivrelo
