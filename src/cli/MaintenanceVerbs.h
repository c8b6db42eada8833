#pragma once

#include <QStringList>

namespace vivrelo::cli {

// "backup [FILE]": the database and its pictures saved into an archive (by default the day's
// name in the data directory's Backup folder).
int BackupVerb(const QStringList &args);
// "backup --auto [--keep N]": the scheduled backup, dated, in Backup/Auto/, the newest N kept.
int AutoBackupVerb(const QStringList &args);
// "verify FILE": the archive read whole and its database checked; says whether a restore would
// succeed.
int VerifyVerb(const QStringList &args);
// "list FILE": the entries of an archive with their sizes and dates.
int ListVerb(const QStringList &args);
// "restore FILE": the database and its pictures replaced by the contents of an archive.
int RestoreVerb(const QStringList &args);
// "compact": the database compacted in place; the command itself is the confirmation.
int CompactVerb(const QStringList &args);
// "history": the maintenance history, one line per operation: date, time, description and
// file, separated by tabs.
int HistoryVerb(const QStringList &args);

} // namespace vivrelo::cli
