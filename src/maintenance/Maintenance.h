#pragma once

#include "db/Compaction.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace vivrelo {

class Prompter;
class ProgressSink;

// What the face does around a maintenance operation. The operations call releaseDatabase()
// before they touch the database file and reopenDatabase() afterwards, also after a failure.
class MaintenanceHost
{
public:
    virtual ~MaintenanceHost() = default;
    // Disable the main window, hold the catalogue's notifications, close the shared connection.
    virtual void releaseDatabase() = 0;
    // Open the shared connection only (the catalogue stays closed): the restored database is
    // upgraded before the catalogue, whose fields may be newer than its schema, opens again.
    virtual void reopenConnection() { }
    // Open the connection and the catalogue again, enable the window and rebuild the list view.
    // It must leave the window usable even when the connection cannot be opened (it may then
    // throw the open error).
    virtual void reopenDatabase() = 0;
    // Appends a row to the maintenance history (connection open).
    virtual void addHistoryRow(const QString &description, const QString &path) = 0;
    // Brings a restored database to the product's schema version (connection open).
    virtual void upgradeRestoredDatabase() { }
    // Hourglass cursor on and off.
    virtual void setBusy(bool) { }
};

// Where the operations work: directories are native and end with "/".
struct MaintenancePlaces {
    QString dataDir; // holds Backup/
    QString databaseDir; // holds Access/VIVRELO.MDB and Images/
    QString configuredDatabaseFile; // the database of the connection configuration, for history rows
    // The template installed on a first run: a database equal to it holds no catalogue of the
    // user's (see RecoverInterruptedWork). Empty: none known.
    QString templateDatabase;
};

struct MaintenanceContext {
    MaintenanceHost &host;
    Prompter &prompter;
    ProgressSink &progress;
    MaintenancePlaces places;
};

// File names shared by the three operations.
QString DatabaseFilePath(const MaintenancePlaces &places); // databaseDir + "Access/VIVRELO.MDB"
QString CompactionWorkPath(const MaintenancePlaces &places); // databaseDir + "Access/VIVRELO~.MDB"
QString BackupDir(const MaintenancePlaces &places); // dataDir + "Backup/"
// The name proposed for a backup made on `day`: Backup/VIVRELO_ACCESS_BACKUP_dd_mm_yyyy.bkp.
QString DefaultBackupPath(const MaintenancePlaces &places, const QDate &day);

// What a compaction did beyond compacting.
struct CompactionOutcome {
    bool rescued = false; // the database was damaged: what could be read went into a new one
    RescueReport rescue; // rows saved and lost, table by table, when rescued
    QString damagedCopy; // where the damaged file is kept (Backup/), when rescued
};

enum class DamagedDatabase {
    Refuse, // a database the engine cannot compact stays as it is and the compaction fails
    Rescue, // what can still be read is copied into a new database; the damaged file is kept
};

// Compacts the database in place (database released by the caller) so that its own name
// always names a whole database: the compacted copy is written to the work name, checked,
// flushed and renamed over the database in one step. Stops, with nothing touched, when the
// work name is taken, when a rollback journal is pending, or when another program is writing
// to the database.
CompactionOutcome CompactDatabaseInPlace(
    const MaintenancePlaces &places, DamagedDatabase damaged = DamagedDatabase::Refuse);

// Writes the history row, compacts the database and writes the archive (the database, then
// every picture) to Backup/temp.cab, which is flushed to the disk and read back whole (every
// entry decompressed and compared in size and digest with the file packed) before it takes
// the archive's name in one step; an older archive of that name stays whole until then. A
// target inside the database's folder is refused before anything is written. A database that
// cannot be compacted because it is damaged is packed as it is: the result is then a French
// warning for the user (empty otherwise). Throws Error when the archive is not whole and
// readable at `archivePath`; the work archive is removed then.
QString BackupDatabase(MaintenanceContext &ctx, const QString &archivePath, const QString &description);

// True when `path` lies in the folder of the database and its pictures (or the data
// directory's Data/ folder), where an archive would take the place of the data it saves.
bool IsInsideDataFolder(const MaintenancePlaces &places, const QString &path);

struct RestoreOutcome {
    QString safetyDir; // where the replaced database and pictures were kept; empty when none
    int pictures = 0; // pictures taken from the archive
    QStringList skipped; // entries of the archive left out, with the reason
};

// Replaces the database and its "*.jpg" pictures by the contents of an archive. The archive's
// database must open as one of ours before anything is replaced (an Access database in the
// archive is converted first, in the extraction folder); the replaced database and
// pictures are kept in a folder of Backup/. Writes the history row when done. Throws Error,
// with nothing replaced, for an archive that is not one, is damaged, or holds no database.
RestoreOutcome RestoreDatabase(MaintenanceContext &ctx, const QString &archivePath);

// The three menu commands: they ask what they must, run the operation and tell the outcome
// ("Sauvegarde effectuée.", "Sauvegarde restaurée.", "Compactage effectué.") or show the error.
// True when the operation ran to its end.
bool BackupCommand(MaintenanceContext &ctx, const QString &archivePath);
bool RestoreCommand(MaintenanceContext &ctx, const QString &archivePath);
bool CompactCommand(MaintenanceContext &ctx);

} // namespace vivrelo
