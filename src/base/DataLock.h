#pragma once

#include <QString>

namespace vivrelo {

// Locks tied to the data directory itself, so that they hold whatever runtime folder, login or
// scheduled job a process comes from. They are advisory locks (flock) on files inside the data
// directory: the system drops them when the process ends, however it ends, so a crashed copy
// never blocks the next start. Two files:
//
//   vivrelo.lock          held exclusively, for its whole life, by every process that may change
//                         the data (the windowed program, every command-line verb that writes);
//   vivrelo-lecture.lock  held shared by the processes that only read the data (a snapshot,
//                         a check), and exclusively, for a moment, by a writer that is about
//                         to move or replace the database or the pictures (FileReplacementLock).
//
// So a reader runs beside the open window and beside another reader, never sees a file
// replaced under it, and a writer never waits for ever on a reader.
//
// Usage:
//   DataDirectoryLock lock(dataDir, DataDirectoryLock::Mode::Change);    // window, writing verb
//   DataDirectoryLock lock(dataDir, DataDirectoryLock::Mode::ReadOnly);  // reading verb
//   if (lock.state() == DataDirectoryLock::State::HeldByOther) refuse (AlreadyRunningMessage()).
//   ... and around a rename or replacement of the database or the pictures:
//   FileReplacementLock replacing(dataDir); // throws Error when a reader does not finish in time
class DataDirectoryLock
{
public:
    enum class Mode {
        Change, // exclusive: the only process that may change the data
        ReadOnly, // shared with the writer and with other readers; excludes file replacement
    };
    enum class State {
        Acquired,
        HeldByOther, // Change: another process may change the data; ReadOnly: a file is being replaced
        Failed, // the lock file could not be opened or locked: see failure()
    };

    // `waitMs`: how long a ReadOnly lock waits for a replacement in progress to end (a
    // Change lock never waits: a second writer is refused at once).
    DataDirectoryLock(const QString &dataDir, Mode mode, int waitMs = 10000);
    ~DataDirectoryLock();
    DataDirectoryLock(const DataDirectoryLock &) = delete;
    DataDirectoryLock &operator=(const DataDirectoryLock &) = delete;

    State state() const { return m_state; }
    Mode mode() const { return m_mode; }
    const QString &lockFilePath() const { return m_path; }
    // The system's reason, when state() is Failed.
    const QString &failure() const { return m_failure; }
    // A French sentence for the user when the lock was not acquired.
    QString refusal() const;

private:
    Mode m_mode;
    State m_state = State::Failed;
    QString m_path;
    QString m_failure;
    int m_fd = -1;
};

// Held by a writer while it moves or replaces the database or the pictures: waits up to
// `waitMs` for the readers of the data directory to finish, then throws Error (French, nothing
// changed) when one still reads. A data directory whose lock file cannot be created (read-only
// folder) is not locked: nothing can be replaced there by anyone.
class FileReplacementLock
{
public:
    explicit FileReplacementLock(const QString &dataDir, int waitMs = 30000);
    ~FileReplacementLock();
    // False when the lock file could not be created: no reader is kept out.
    bool held() const { return m_fd >= 0; }
    FileReplacementLock(const FileReplacementLock &) = delete;
    FileReplacementLock &operator=(const FileReplacementLock &) = delete;

private:
    int m_fd = -1;
};

// The message shown to a second copy of the program, and to a writing verb refused by the lock.
QString AlreadyRunningMessage();

// The lock files' names inside the data directory.
QString ChangeLockPath(const QString &dataDir);
QString ReadLockPath(const QString &dataDir);

} // namespace vivrelo
