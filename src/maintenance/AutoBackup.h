#pragma once

#include "maintenance/Maintenance.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vivrelo {

class ProgressSink;

// Automatic backups, made by a scheduled job while the program may be open: dated archives in
// Backup/Auto/, the newest few kept. They change nothing of the data: the database is copied
// by a read-only snapshot, and no history row is written to it; each run adds a line to the
// history file of the folder instead.

inline constexpr int DefaultAutoBackupKeep = 14;

// Backup/Auto/ under the data directory. The rotation removes only files named as
// AutoBackupName names them; the user's own archives live elsewhere and are never touched.
QString AutoBackupDir(const MaintenancePlaces &places);
// "VIVRELO_AUTO_yyyy_MM_dd_HH_mm_ss.bkp": the names sort as their dates do.
QString AutoBackupName(const QDateTime &when);
// Backup/Auto/historique.txt: one line per run (date, time, outcome, archive or reason).
QString AutoBackupHistoryPath(const MaintenancePlaces &places);

struct AutoBackupOutcome {
    QString archive; // the new archive
    int products = 0; // in its database
    int files = 0; // its entries, the database included
    QStringList removed; // older automatic archives removed by the rotation
    QStringList leftOut; // files of Images/ an archive cannot hold, with the reason
    bool historyWritten = false;
};

// Makes the automatic backup of `now`: a snapshot of the database (VACUUM INTO a work folder
// of Backup/Auto/, which reads without writing) checked as a restore would check it, packed
// with every file of Images/ under a dated name that never replaces another file; once that
// archive has been read back whole, the oldest automatic archives beyond `keep` (the new one
// included) are removed. Throws Error (French) when no archive was made; nothing is removed
// then. The history file gets its line in both cases.
// The archive is read back whole (every entry decompressed, size and digest compared with what
// was packed) before it takes its name; `readBack`, when given, replaces that check (tests).
using ArchiveReadBack = std::function<void(const QString &archive, const std::vector<CabinetSource> &packed)>;
AutoBackupOutcome RunAutoBackup(const MaintenancePlaces &places, int keep, const QDateTime &now, ProgressSink &progress,
    const ArchiveReadBack &readBack = {});

} // namespace vivrelo
