#include "maintenance/Recovery.h"

#include "base/DataLock.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "db/Compaction.h"
#include "db/Connection.h"
#include "db/DataSetRoutines.h"
#include "maintenance/AutoBackup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vivrelo {

namespace {

QString quoted(const QString &path)
{
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(path));
}

// A sound database of ours: it opens, passes the engine's check and holds the catalogue.
bool isOurSoundDatabase(const QString &path)
{
    if (DetectDatabaseFile(path) != DatabaseFileKind::SQLite || !DatabaseDamage(path).isEmpty())
        return false;
    try {
        Connection c;
        c.open(path);
        return c.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                       "upper(name) = 'ITEMS'"))
                   .toInt()
            == 1;
    } catch (const Error &) {
        return false;
    }
}

// The digest of the catalogue's rows: two files with the same digest hold the same products.
QByteArray catalogueDigest(const QString &path)
{
    try {
        Connection c;
        c.open(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        c.forEachRow(QStringLiteral("SELECT quote(Id) || quote(Title) || quote(Reference) || quote(Stock) FROM ITEMS "
                                    "ORDER BY Id"),
            {}, [&](const Connection::RowView &row) { hash.addData(row.value(0).toString().toUtf8()); });
        return hash.result();
    } catch (const Error &) {
        return {};
    }
}

// Moves a file into Backup/ under a dated name, in one step when the folders share a file
// system, else by a flushed copy; the original goes only once the copy is whole. The new
// path, or empty when it could not be kept (the file then stays where it was).
QString keepAside(const QString &file, const QString &backupDir, const QString &stem)
{
    if (!CreateDirectoryLevel(backupDir))
        return {};
    const QString target = DatedNameInBackup(backupDir, stem, QStringLiteral(".MDB"));
    if (RenameDurably(file, target))
        return target;
    if (CopyFileNoReplace(file, target) && SyncToDisk(target) && QFile::remove(file))
        return target;
    return {};
}

void recoverCompaction(const MaintenancePlaces &places, const QString &templateDatabase, QStringList &told)
{
    const QString db = DatabaseFilePath(places);
    const QString work = CompactionWorkPath(places);
    if (!QFileInfo(work).isFile())
        return;
    const QString backupDir = BackupDir(places);
    const bool workSound = isOurSoundDatabase(work);
    bool putBack = false;
    if (workSound) {
        if (!FileExists(db) || !isOurSoundDatabase(db)) {
            putBack = true;
        } else if (FileExists(templateDatabase)) {
            const QByteArray current = catalogueDigest(db);
            putBack = current == catalogueDigest(templateDatabase) && current != catalogueDigest(work);
        }
    }
    if (putBack) {
        QString replaced;
        if (FileExists(db)) {
            replaced = keepAside(db, backupDir, QStringLiteral("VIVRELO_REMPLACEE"));
            if (replaced.isEmpty()) {
                told << QStringLiteral("Une opération interrompue a laissé la base de données sous le nom %1, "
                                       "mais le fichier %2 ne peut pas être mis de côté : rien n'a été changé.")
                            .arg(quoted(work), quoted(db));
                return;
            }
        }
        if (!RenameDurably(work, db)) {
            told << QStringLiteral("Une opération interrompue a laissé la base de données sous le nom %1, qui ne "
                                   "peut pas reprendre le nom %2 : renommez ce fichier vous-même.")
                        .arg(quoted(work), quoted(db));
            return;
        }
        QString text = QStringLiteral("Une opération interrompue (compactage ou sauvegarde) avait laissé la base "
                                      "de données sous le nom %1 : elle a été remise en place.")
                           .arg(quoted(work));
        if (!replaced.isEmpty())
            text += QStringLiteral(" Le fichier trouvé à sa place est gardé sous %1.").arg(quoted(replaced));
        told << text;
        return;
    }
    const QString kept = keepAside(work, backupDir, QStringLiteral("VIVRELO~"));
    if (kept.isEmpty())
        told << QStringLiteral("Le fichier de travail %1, laissé par une opération interrompue, ne peut pas être mis "
                               "de côté ; la base de données en place n'a pas été touchée.")
                    .arg(quoted(work));
    else
        told << QStringLiteral("Le fichier de travail %1, laissé par une opération interrompue, a été mis de côté "
                               "sous %2 ; la base de données en place est intacte.")
                    .arg(quoted(work), quoted(kept));
}

// Opening the database and reading it makes the engine undo a change that was cut short.
void recoverJournal(const MaintenancePlaces &places, QStringList &told)
{
    const QString db = DatabaseFilePath(places);
    const QString journal = db + QStringLiteral("-journal");
    if (FileSizeOf(journal) <= 0 || !FileExists(db))
        return;
    try {
        Connection c;
        c.open(db);
        c.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        if (FileSizeOf(journal) > 0) {
            // Still there: either another program is writing (its live journal stays), or the
            // engine found nothing in it to undo. The write lock tells which.
            c.setBusyTimeout(0);
            c.exec(QStringLiteral("BEGIN IMMEDIATE"));
            c.exec(QStringLiteral("ROLLBACK"));
            c.close();
            const QString kept =
                DatedNameInBackup(BackupDir(places), QStringLiteral("VIVRELO_JOURNAL"), QStringLiteral(".MDB-journal"));
            if (CreateDirectoryLevel(BackupDir(places)) && RenameDurably(journal, kept))
                told << QStringLiteral("Un journal de la base de données laissé par une opération interrompue, sans "
                                       "rien à annuler, a été mis de côté sous %1.")
                            .arg(quoted(kept));
            return;
        }
    } catch (const Error &) {
        return; // in use by another program, or damaged: the operation itself will say so
    }
    told << QStringLiteral("Une modification de la base de données interrompue a été annulée ; la base est "
                           "revenue à son dernier état enregistré.");
}

void removeLeftOvers(const MaintenancePlaces &places, QStringList &told)
{
    const QString backupDir = BackupDir(places);
    bool removed = false;
    if (QFileInfo(backupDir + QStringLiteral("temp.cab")).isFile())
        removed = QFile::remove(backupDir + QStringLiteral("temp.cab")) || removed;
    const QStringList stages = QDir(backupDir).entryList(
        {QStringLiteral("~restauration-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &stage : stages)
        removed = QDir(backupDir + stage).removeRecursively() || removed;
    const QString access = places.databaseDir + QStringLiteral("Access/");
    for (const QString &part : QDir(access).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden))
        removed = QFile::remove(access + part) || removed;
    // An automatic backup runs beside the program, holding the readers' lock: its work folders
    // go only when no reader runs, so none of them is in use.
    const QString autoDir = AutoBackupDir(places);
    const QStringList works =
        QDir(autoDir).entryList({QStringLiteral("~en-cours-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    if (!works.isEmpty()) {
        try {
            const FileReplacementLock noReader(places.dataDir, 0);
            for (const QString &work : works)
                removed = (noReader.held() && QDir(autoDir + work).removeRecursively()) || removed;
        } catch (const Error &) {
            // A copy is being made: its folder is in use.
        }
    }
    if (removed)
        told << QStringLiteral("Les fichiers de travail d'une sauvegarde ou d'une restauration interrompue ont été "
                               "supprimés ; ils ne contenaient rien qui ne soit ailleurs.");
}

} // namespace

QString DatedNameInBackup(const QString &backupDir, const QString &stem, const QString &suffix)
{
    const QString base =
        backupDir + stem + QLatin1Char('_') + CurrentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    QString name = base + suffix;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('_') + QString::number(n) + suffix;
    return name;
}

QStringList RecoverInterruptedWork(const MaintenancePlaces &places, const QString &templateDatabase)
{
    QStringList told;
    recoverCompaction(places, templateDatabase, told);
    recoverJournal(places, told);
    removeLeftOvers(places, told);
    return told;
}

} // namespace vivrelo
