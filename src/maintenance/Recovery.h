#pragma once

#include "maintenance/Maintenance.h"

#include <QString>
#include <QStringList>

namespace vivrelo {

// Puts right what an interrupted operation (a kill, a crash, a power cut during a compaction,
// a backup or a restore) left in the database's folder and in Backup/, before anything else
// touches them. Run at every start, before the first-run installation, and before every
// maintenance operation, with the database closed. Returns one French sentence per thing done
// (empty when nothing was left over):
//  - a compaction work file "Access/VIVRELO~.MDB" that is a sound database of ours is put back
//    under the database's name when the database is missing, is not a sound database, or is the
//    untouched template (`templateDatabase`) while the work file is not; the file it replaces
//    is kept in Backup/. Otherwise the work file is kept aside in Backup/ under a dated name.
//    Nothing is ever deleted: the template is never installed over a recoverable catalogue;
//  - a rollback journal left by an interrupted write is applied to its database (the engine
//    undoes the unfinished change) before the database can be moved or replaced;
//  - the work archive "Backup/temp.cab", the restore's extraction folders "Backup/~restauration-*"
//    and the copies "*.part" beside the database are removed: they never hold the only copy of
//    anything. So are the automatic backups' work folders "Backup/Auto/~en-cours-*", when no
//    process reads the data (an automatic backup in progress holds the readers' lock).
QStringList RecoverInterruptedWork(const MaintenancePlaces &places, const QString &templateDatabase);

// A free name in `backupDir` for a kept file: stem + "_yyyy_MM_dd_hh_mm_ss" (+ "_2", ...) + suffix.
QString DatedNameInBackup(const QString &backupDir, const QString &stem, const QString &suffix);

} // namespace vivrelo
