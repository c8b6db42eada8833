#pragma once

#include <QString>
#include <QStringList>

#include <vector>

struct sqlite3;

namespace vivrelo {

// Writes a compacted copy of `source` (which must not be open elsewhere for writing) into the
// new file `work`, then checks the copy. On failure the work file is removed and Error is
// thrown with the engine's text; `source` is never changed.
void WriteCompactedCopy(const QString &source, const QString &work);

// Compacts the database in place so that its own name always names a whole database: the
// compacted copy is written to `work`, checked, flushed to the disk and renamed over `database`
// in one step. A kill at any moment leaves `database` as it was or compacted, never missing;
// at worst an incomplete `work` is left, which the next start examines. Refuses (nothing
// touched) when `work` already exists: it may be the only copy left by an older run.
void CompactDatabaseKeepingName(const QString &database, const QString &work);

// Holds the database's write lock (a transaction begun, writing nothing) while it lives, so
// that no other program starts a change while the file is compacted or replaced. Throws Error
// (French, nothing changed) when another program holds it for longer than `waitMs`. A file the
// engine cannot lock for another reason (damaged, not a database) is let through: the
// operation itself reports that.
class DatabaseInUseGuard
{
public:
    explicit DatabaseInUseGuard(const QString &path, int waitMs = 2000);
    ~DatabaseInUseGuard();
    DatabaseInUseGuard(const DatabaseInUseGuard &) = delete;
    DatabaseInUseGuard &operator=(const DatabaseInUseGuard &) = delete;

private:
    sqlite3 *m_db = nullptr;
};

// What a rescue saved of one table.
struct RescuedTable {
    QString name;
    qint64 saved = 0;
    qint64 lost = 0; // rows the engine counts but could not read; -1: unknown (no count)
};

struct RescueReport {
    std::vector<RescuedTable> tables;
    QStringList unreadableTables; // tables whose definition or rows could not be read at all
    // A French summary, one line per table: "ITEMS : 120 lignes sauvées, 3 perdues".
    QString summary() const;
};

// Copies what the engine can still read of a damaged database into the new file `target`:
// the tables from their stored definitions, then table by table, row by row, skipping what
// cannot be read; then the indexes, views and triggers that can be rebuilt. The source is
// opened read-only and never changed. Throws Error (nothing left at `target`) when nothing
// at all can be read.
RescueReport RescueDatabase(const QString &source, const QString &target);

// The engine's verdict on a database file: empty when it opens and its integrity check passes,
// else the engine's text ("database disk image is malformed", "file is not a database", ...).
// Never changes the file.
QString DatabaseDamage(const QString &path);

} // namespace vivrelo
