#pragma once

#include <QString>

namespace vivrelo {

// Copies the database file into the data directory's "Backup/" folder under a dated name
// (`namePrefix` + "yyyy_MM_dd_hh_mm_ss" + ".MDB", never over an existing file) and returns the
// copy's path. The copy is checked whole and flushed to the disk; otherwise it is removed and
// an Error (French message) is thrown: an operation that is about to replace or empty the
// database must not go on without it. The connection must hold no pending change.
QString CopyDatabaseIntoBackupFolder(const QString &database, const QString &namePrefix);

} // namespace vivrelo
