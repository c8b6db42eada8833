#pragma once

#include "base/DataLock.h"

#include <QString>

namespace vivrelo {

// The lock that keeps a second copy of the program from starting: an advisory lock on a
// file of the user's runtime folder, held as long as the object lives. The system drops it
// when the process ends, however it ends, so a crashed copy never blocks the next start.
class SingleInstance
{
public:
    enum class State { Acquired, HeldByOther, Failed };

    // `lockDir` empty: $XDG_RUNTIME_DIR, else /tmp (the file name then carries the user id).
    explicit SingleInstance(const QString &lockDir = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    State state() const { return m_state; }
    const QString &lockFilePath() const { return m_path; }
    // The reason the lock file could not be used, when state() is Failed.
    const QString &failure() const { return m_failure; }

private:
    QString m_path;
    QString m_failure;
    State m_state = State::Failed;
    int m_fd = -1;
};

} // namespace vivrelo
