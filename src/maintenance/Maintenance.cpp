#include "maintenance/Maintenance.h"

#include "base/AppValues.h"
#include "base/DataLock.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/Connection.h"
#include "db/DataSetRoutines.h"
#include "db/JetImport.h"
#include "db/Upgrade.h"
#include "maintenance/Cabinet.h"
#include "maintenance/Recovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>
#include <optional>

#include <unistd.h>

namespace vivrelo {

namespace {

const QString DatabaseName = QStringLiteral("VIVRELO.MDB");
const QString WaitMessage = QStringLiteral("Quelques instants, SVP ...");

QString quoted(const QString &path)
{
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(path));
}

bool samePath(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// Moves a file onto `to`, replacing it in one step; across file systems through a copy
// written beside the target.
bool moveReplacing(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (!CopyFileReplacing(from, to))
        return false;
    QFile::remove(from);
    return true;
}

// Gives the file a second name without copying it when the file system allows (a hard link),
// else copies it there; never replaces an existing target.
bool linkOrCopy(const QString &from, const QString &to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    return CopyFileNoReplace(from, to);
}

// Runs `work` with the database released, and reopens it whatever happens; `afterReopen` runs
// once the connection is open again, before the catalogue, also after a failed work. The first error wins: a failure of
// the work is not hidden by a later one.
template <typename Work, typename AfterReopen>
void withDatabaseReleased(MaintenanceHost &host, Work work, AfterReopen afterReopen)
{
    std::exception_ptr failure;
    try {
        host.releaseDatabase();
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        host.reopenConnection();
        afterReopen();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    try {
        host.reopenDatabase();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    host.setBusy(false);
    if (failure)
        std::rethrow_exception(failure);
}

// Removes a work file when the operation ends, whichever way it ends.
struct WorkFile {
    QString path;
    bool owned = true;
    ~WorkFile()
    {
        if (owned)
            QFile::remove(path);
    }
};

// Hourglass on, then the history row: it is written before the operation starts and stays
// whatever the outcome.
void startWithHistoryRow(MaintenanceContext &ctx, const QString &description, const QString &path)
{
    ctx.host.setBusy(true);
    try {
        ctx.host.addHistoryRow(description, path);
    } catch (...) {
        ctx.host.setBusy(false);
        throw;
    }
}

// What an interrupted operation left is put right before the next one starts, and told.
void recoverBeforeOperation(MaintenanceContext &ctx)
{
    const QStringList told = RecoverInterruptedWork(ctx.places, ctx.places.templateDatabase);
    if (!told.isEmpty())
        ctx.prompter.inform(told.join(QLatin1Char('\r')));
}

// Puts a complete, read-back work archive at the archive's path: in one step on the same file
// system; else through a flushed copy beside the target, read back again before its rename.
void placeArchive(
    const QString &work, const QString &target, const std::vector<CabinetEntryDigest> &packed, const QString &workDir)
{
    const auto refuse = [&] {
        fail(QStringLiteral("L'archive n'a pas pu être enregistrée sous %1 (droits ou place insuffisants ?).\r"
                            "Une archive de ce nom qui existait déjà est restée intacte.")
                 .arg(quoted(target)));
    };
    if (RenameDurably(work, target))
        return;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(work, part) || !SyncToDisk(part)) {
        QFile::remove(part);
        refuse();
    }
    try {
        CheckCabinetReadsBack(part, packed, workDir);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    if (!RenameDurably(part, target)) {
        QFile::remove(part);
        refuse();
    }
}

QString workArchivePath(const MaintenancePlaces &places)
{
    return BackupDir(places) + QStringLiteral("temp.cab");
}

void showWait(ProgressSink &progress, const QString &task, bool bar)
{
    progress.setTask(task);
    progress.setMessage(WaitMessage);
    progress.setMaximum(1);
    progress.setPosition(0);
    progress.showBar(bar);
    progress.show();
    progress.pump();
}

// A rollback journal left beside the database by an interrupted write belongs to that file: it
// must be applied to it (by opening the database) before the file is moved or replaced, or it
// would be applied to whatever file takes the name.
void refusePendingJournal(const QString &db)
{
    const QString journal = db + QStringLiteral("-journal");
    if (FileSizeOf(journal) > 0)
        fail(QStringLiteral("La base de données a une transaction inachevée (fichier %1) : quittez puis relancez "
                            "le programme pour qu'elle soit annulée, puis recommencez.\rLa base n'a pas été touchée.")
                 .arg(quoted(journal)));
}

// Opens the file as a database and checks that it holds the tables of ours and is sound.
void checkRestoredDatabase(const QString &path)
{
    const auto refuse = [](const QString &why) {
        fail(QStringLiteral("La base de données de l'archive n'est pas utilisable : %1\r"
                            "Rien n'a été restauré.")
                 .arg(why));
    };
    Connection db;
    try {
        db.open(path);
    } catch (const Error &e) {
        refuse(e.message());
    }
    {
        QStringList tables = db.tableNames();
        for (QString &t : tables)
            t = t.toUpper();
        // ITEMS only: an older schema may lack the history table, which the upgrade that
        // follows the restore creates.
        if (!tables.contains(QStringLiteral("ITEMS")))
            refuse(QStringLiteral("ce n'est pas une base de données de ce programme (table ITEMS absente)."));
        const QString check = db.scalar(QStringLiteral("PRAGMA quick_check")).toString();
        if (check != QLatin1String("ok"))
            refuse(QStringLiteral("elle est endommagée (%1).").arg(check));
    }
    db.close();
}

// The archive's database, brought to the program's version on a trial copy in the staging
// folder, must hold every table and column of the template, which the program's datasets
// read: a database that would fail with "no such column" once in place is refused here.
void checkUpgradedCopy(const QString &database, const QString &stage, const QString &templateDb)
{
    const auto refuse = [](const QString &why) {
        fail(QStringLiteral("La base de données de l'archive n'est pas utilisable : %1\rRien n'a été restauré.")
                 .arg(why));
    };
    const QString trial = stage + QStringLiteral("essai.MDB");
    if (!QFile::copy(database, trial))
        refuse(QStringLiteral("elle ne peut pas être copiée pour être essayée."));
    // The trial's upgrade log stays in the staging folder.
    struct DataDirFor {
        QString saved = App().dataDir;
        explicit DataDirFor(const QString &dir) { App().dataDir = dir; }
        ~DataDirFor() { App().dataDir = saved; }
    };
    QStringList missing;
    try {
        const DataDirFor staged(stage);
        Connection c;
        c.open(trial);
        ScriptedPrompter silent(Answer::No);
        UpgradeRestoredDatabase(c, silent, nullptr, noProgress());
        if (FileExists(templateDb)) {
            Connection t;
            t.open(templateDb);
            const auto columns = [](Connection &db, const QString &table) {
                QStringList names;
                db.forEachRow(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table},
                    [&](const Connection::RowView &row) { names << row.value(0).toString().toUpper(); });
                return names;
            };
            for (const QString &table : t.tableNames()) {
                const QStringList have = columns(c, table);
                if (have.isEmpty()) {
                    missing << table;
                    continue;
                }
                for (const QString &column : columns(t, table))
                    if (!have.contains(column))
                        missing << table + QLatin1Char('.') + column;
            }
        }
    } catch (const Error &e) {
        QFile::remove(trial);
        refuse(e.message());
    }
    QFile::remove(trial);
    if (!missing.isEmpty())
        refuse(QStringLiteral("il lui manque des tables ou des colonnes que le programme lit (%1).")
                   .arg(missing.join(QStringLiteral(", "))));
}

// A folder that accepts a new file (a test file written and removed).
bool acceptsFiles(const QString &dir)
{
    const QString probe = dir + QStringLiteral(".vivrelo-essai");
    QFile f(probe);
    const bool ok = f.open(QIODevice::WriteOnly) && f.write("x", 1) == 1 && f.flush();
    f.close();
    QFile::remove(probe);
    return ok;
}

// A new folder of Backup/ that keeps what a restore replaces.
QString makeSafetyDir(const QString &backupDir)
{
    const QString stem = backupDir + QStringLiteral("AVANT_RESTAURATION_")
        + CurrentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    QString dir = stem;
    for (int n = 2; QFileInfo::exists(dir); ++n)
        dir = stem + QLatin1Char('_') + QString::number(n);
    if (!QDir().mkpath(dir))
        fail(QStringLiteral("Le dossier %1 ne peut pas être créé : rien n'a été restauré.").arg(quoted(dir)));
    return dir + QLatin1Char('/');
}

bool isPicture(const QString &name)
{
    return name.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive);
}

} // namespace

QString DatabaseFilePath(const MaintenancePlaces &places)
{
    return places.databaseDir + QStringLiteral("Access/") + DatabaseName;
}

QString CompactionWorkPath(const MaintenancePlaces &places)
{
    return places.databaseDir + QStringLiteral("Access/VIVRELO~.MDB");
}

QString BackupDir(const MaintenancePlaces &places)
{
    return places.dataDir + QStringLiteral("Backup/");
}

QString DefaultBackupPath(const MaintenancePlaces &places, const QDate &day)
{
    return BackupDir(places) + QStringLiteral("VIVRELO_ACCESS_BACKUP_")
        + ShortDate(day).replace(QLatin1Char('/'), QLatin1Char('_')) + QStringLiteral(".bkp");
}

bool IsInsideDataFolder(const MaintenancePlaces &places, const QString &path)
{
    // Compared through the real folders, so that a link or "a/../" does not hide the place.
    const QFileInfo info(path);
    QString folder = info.absolutePath();
    QString real = QFileInfo(folder).canonicalFilePath();
    if (real.isEmpty())
        real = QDir::cleanPath(folder);
    real += QLatin1Char('/');
    for (const QString &dir : {places.databaseDir, places.dataDir + QStringLiteral("Data/")}) {
        if (dir.isEmpty())
            continue;
        QString data = QFileInfo(dir).canonicalFilePath();
        if (data.isEmpty())
            data = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
        data += QLatin1Char('/');
        if (real.startsWith(data))
            return true;
    }
    return false;
}

CompactionOutcome CompactDatabaseInPlace(const MaintenancePlaces &places, DamagedDatabase damaged)
{
    const QString db = DatabaseFilePath(places);
    const QString work = CompactionWorkPath(places);
    if (!FileExists(db))
        fail(QStringLiteral("La base de données %1 est introuvable.").arg(quoted(db)));
    const FileReplacementLock replacing(places.dataDir);
    refusePendingJournal(db);
    const DatabaseInUseGuard inUse(db);
    // A work file left by an interrupted run may be the only whole copy of the database.
    if (QFileInfo::exists(work))
        fail(QStringLiteral("Le fichier de travail %1 existe déjà : il reste sans doute d'une opération "
                            "interrompue et peut contenir la base de données.\rLa base n'a pas été touchée. "
                            "Déplacez ou renommez ce fichier, puis recommencez.")
                 .arg(quoted(work)));
    CompactionOutcome outcome;
    try {
        CompactDatabaseKeepingName(db, work);
        return outcome;
    } catch (const Error &) {
        if (damaged == DamagedDatabase::Refuse || DatabaseDamage(db).isEmpty())
            throw;
    }

    // A damaged database: what the engine can still read goes into a new one, and the damaged
    // file is kept in Backup/ before the new one takes its name.
    const QString backupDir = BackupDir(places);
    if (!CreateDirectoryLevel(backupDir))
        fail(QStringLiteral("Le dossier %1 ne peut pas être créé : la base endommagée n'a pas été touchée.")
                 .arg(quoted(backupDir)));
    outcome.damagedCopy = DatedNameInBackup(backupDir, QStringLiteral("VIVRELO_ENDOMMAGEE"), QStringLiteral(".MDB"));
    if (!linkOrCopy(db, outcome.damagedCopy) || !SyncToDisk(outcome.damagedCopy)) {
        QFile::remove(outcome.damagedCopy);
        fail(QStringLiteral("La base endommagée ne peut pas être gardée sous %1 : elle n'a pas été touchée.")
                 .arg(quoted(outcome.damagedCopy)));
    }
    try {
        outcome.rescue = RescueDatabase(db, work);
    } catch (const Error &e) {
        QFile::remove(work);
        fail(e.message()
            + QStringLiteral("\rLa base endommagée n'a pas été touchée ; une copie est gardée sous %1.")
                  .arg(quoted(outcome.damagedCopy)));
    }
    if (!RenameDurably(work, db)) {
        QFile::remove(work);
        fail(QStringLiteral("La base réparée n'a pas pu prendre la place de la base endommagée, qui n'a pas été "
                            "touchée."));
    }
    outcome.rescued = true;
    return outcome;
}

QString BackupDatabase(MaintenanceContext &ctx, const QString &archivePath, const QString &description)
{
    const MaintenancePlaces &p = ctx.places;
    const QString backupDir = BackupDir(p);
    const QString workArchive = workArchivePath(p);
    if (samePath(archivePath, workArchive))
        fail(QStringLiteral("Le nom %1 est réservé au fichier de travail de la sauvegarde ; "
                            "choisissez un autre nom.")
                 .arg(quoted(archivePath)));
    if (IsInsideDataFolder(p, archivePath))
        fail(QStringLiteral("Une sauvegarde ne peut pas être enregistrée sous %1, dans le dossier de la base de "
                            "données et de ses images : elle prendrait la place de ce qu'elle sauvegarde.\r"
                            "Choisissez un autre dossier ; rien n'a été écrit.")
                 .arg(quoted(archivePath)));
    QString warning;
    // Another program writing to the database stops the backup before its history row.
    if (FileExists(DatabaseFilePath(p))) {
        const DatabaseInUseGuard probe(DatabaseFilePath(p));
    }

    startWithHistoryRow(ctx, description, archivePath);
    showWait(ctx.progress, QStringLiteral("Sauvegarde de la base"), true);
    const WorkFile work{workArchive};

    bool placed = false;
    try {
        withDatabaseReleased(
            ctx.host,
            [&] {
                recoverBeforeOperation(ctx);
                try {
                    CompactDatabaseInPlace(p);
                } catch (const Error &e) {
                    // A damaged database is saved as it is: the user can always take a copy away.
                    const QString damage =
                        FileExists(DatabaseFilePath(p)) ? DatabaseDamage(DatabaseFilePath(p)) : QString();
                    if (damage.isEmpty())
                        throw;
                    warning =
                        QStringLiteral("La base de données est endommagée et n'a pas pu être compactée : elle a été "
                                       "sauvegardée telle quelle. Réparez-la par « Compacter/Réparer ».\r(%1)")
                            .arg(damage);
                }

                if (!CreateDirectoryLevel(backupDir))
                    fail(QStringLiteral("Le dossier de sauvegarde %1 ne peut pas être créé.").arg(quoted(backupDir)));
                QFile::remove(workArchive);
                std::vector<CabinetSource> entries{{DatabaseName, DatabaseFilePath(p)}};
                const QString images = p.databaseDir + QStringLiteral("Images/");
                for (const QString &name : ListFiles(images, QStringLiteral("*")))
                    // The archive's database entry must stay the only one of its name.
                    if (name.compare(DatabaseName, Qt::CaseInsensitive) != 0)
                        entries.push_back({name, images + name});
                std::vector<CabinetEntryDigest> packed;
                for (const CabinetSource &e : entries)
                    packed.push_back(DigestFile(e.name, e.path));
                WriteCabinet(workArchive, entries, ctx.progress);
                if (!SyncToDisk(workArchive))
                    fail(QStringLiteral("L'archive %1 n'a pas pu être écrite sur le disque.").arg(quoted(workArchive)));
                // Read back whole before it may replace anything: an archive that does not is removed
                // (by `work`), and an older one of that name stays.
                ctx.progress.setTask(QStringLiteral("Vérification de l'archive"));
                ctx.progress.pump();
                CheckCabinetReadsBack(workArchive, packed, backupDir);
                placeArchive(workArchive, archivePath, packed, backupDir);
                placed = true;
            },
            [] {});
    } catch (const Error &e) {
        // The archive is whole at its place; only the reopening failed (a damaged database).
        if (!placed)
            throw;
        warning += QStringLiteral("\rLa base de données n'a pas pu être rouverte ensuite : %1").arg(e.message());
    }
    return warning;
}

namespace {

// The archive is worked on under the work name, in the Backup folder.
void copyToWorkArchive(
    const QString &archivePath, const QString &backupDir, const QString &workArchive, bool chosenIsWork)
{
    if (!FileExists(archivePath))
        fail(QStringLiteral("Le fichier %1 est introuvable : rien n'a été restauré.").arg(quoted(archivePath)));
    if (!CreateDirectoryLevel(backupDir))
        fail(QStringLiteral("Le dossier %1 ne peut pas être créé : rien n'a été restauré.").arg(quoted(backupDir)));
    if (chosenIsWork)
        return;
    QFile::remove(workArchive);
    if (!linkOrCopy(archivePath, workArchive))
        fail(QStringLiteral("L'archive %1 ne peut pas être copiée dans %2 : rien n'a été restauré.")
                 .arg(quoted(archivePath), quoted(backupDir)));
}

ExtractionResult extractToStaging(MaintenanceContext &ctx, const QString &workArchive, const QString &stage)
{
    ExtractionResult extracted;
    try {
        extracted = ExtractCabinet(workArchive, stage, [&](int index, int count, const QString &) {
            ctx.progress.setTask(QStringLiteral("Décompression des fichiers ..."));
            ctx.progress.setMaximum(count);
            ctx.progress.setPosition(index + 1);
            ctx.progress.pump();
        });
    } catch (const Error &e) {
        fail(e.message() + QStringLiteral("\rRien n'a été restauré."));
    }
    ctx.progress.setTask(QStringLiteral("Restauration de la base"));
    ctx.progress.pump();
    return extracted;
}

struct RestoredFiles {
    QString database; // its path in the staging folder
    QStringList pictures; // names
};

// The archive's database and pictures; an archive without a database restores nothing.
RestoredFiles sortExtracted(const ExtractionResult &extracted, const QString &stage, const QString &archivePath)
{
    RestoredFiles files;
    for (const ExtractedEntry &e : extracted.extracted) {
        if (e.fileName.compare(DatabaseName, Qt::CaseInsensitive) == 0)
            files.database = stage + e.fileName;
        else if (isPicture(e.fileName) && !files.pictures.contains(e.fileName))
            files.pictures << e.fileName;
    }
    if (extracted.extracted.empty())
        fail(
            QStringLiteral("L'archive %1 ne contient aucun fichier : rien n'a été restauré.").arg(quoted(archivePath)));
    if (files.database.isEmpty())
        fail(QStringLiteral("L'archive %1 ne contient pas de base de données (%2) : rien n'a été restauré.")
                 .arg(quoted(archivePath), DatabaseName));
    return files;
}

// An archive of an older installation holds an Access database: it is converted here, in the
// staging folder, and then checked as any other.
void convertAndCheckDatabase(const QString &database, ProgressSink &progress)
{
    try {
        EnsureOurDatabase(database, progress);
    } catch (const Error &e) {
        fail(e.message() + QStringLiteral("\rRien n'a été restauré."));
    }
    checkRestoredDatabase(database);
}

// Keeps what is about to be replaced, before replacing anything: second names of the database
// and of the current pictures in a safety folder (left empty in the outcome when nothing is
// there to keep).
void keepSafetyCopies(const QString &db, const QString &images, const QStringList &current, const QString &backupDir,
    RestoreOutcome &outcome)
{
    if (!FileExists(db) && current.isEmpty())
        return;
    outcome.safetyDir = makeSafetyDir(backupDir);
    const auto giveUp = [&](const QString &what) {
        QDir(outcome.safetyDir).removeRecursively(); // second names only: the originals stay
        fail(QStringLiteral("%1 ne peut pas être copiée dans %2 : rien n'a été restauré.")
                 .arg(what, quoted(outcome.safetyDir)));
    };
    if (FileExists(db) && !linkOrCopy(db, outcome.safetyDir + DatabaseName))
        giveUp(QStringLiteral("La base actuelle"));
    for (const QString &name : current)
        if (!linkOrCopy(images + name, outcome.safetyDir + name))
            giveUp(QStringLiteral("L'image %1").arg(quoted(name)));
}

void placeDatabase(
    const MaintenancePlaces &p, const QString &database, const QString &db, const RestoreOutcome &outcome)
{
    if (!CreateDirectoryLevel(p.databaseDir + QStringLiteral("Access/")) || !SyncToDisk(database)
        || !moveReplacing(database, db)) {
        if (!outcome.safetyDir.isEmpty())
            QDir(outcome.safetyDir).removeRecursively();
        fail(QStringLiteral("La base de données %1 ne peut pas être remplacée ; elle est restée telle quelle.")
                 .arg(quoted(db)));
    }
}

// Pictures, once the database is in place: the archive's replace the current ones, and current
// ones the archive does not hold go.
void placePictures(const QString &stage, const QString &images, const QStringList &pictures, const QStringList &current,
    RestoreOutcome &outcome)
{
    const QString kept = outcome.safetyDir.isEmpty()
        ? QString()
        : QStringLiteral("\rLes fichiers remplacés sont gardés dans %1.").arg(quoted(outcome.safetyDir));
    if (!CreateDirectoryLevel(images))
        fail(QStringLiteral("La base a été restaurée, mais le dossier des images %1 ne peut pas être créé.%2")
                 .arg(quoted(images), kept));
    QStringList failed;
    for (const QString &name : pictures) {
        if (moveReplacing(stage + name, images + name))
            ++outcome.pictures;
        else
            failed << name;
    }
    for (const QString &name : current)
        if (!pictures.contains(name))
            QFile::remove(images + name);
    if (!failed.isEmpty())
        fail(QStringLiteral("La base a été restaurée, mais ces images n'ont pas pu être remises en place : %1.%2")
                 .arg(failed.join(QStringLiteral(", ")), kept));
}

// Other entries stay in the Backup folder, never in place of a file already there.
void keepOtherEntries(const ExtractionResult &extracted, const QString &stage, const QString &backupDir)
{
    for (const ExtractedEntry &e : extracted.extracted) {
        const QString from = stage + e.fileName;
        const QString to = backupDir + e.fileName;
        if (FileExists(from) && !QFileInfo::exists(to))
            QFile::rename(from, to);
    }
}

} // namespace

RestoreOutcome RestoreDatabase(MaintenanceContext &ctx, const QString &archivePath)
{
    const MaintenancePlaces &p = ctx.places;
    const QString backupDir = BackupDir(p);
    const QString workArchive = workArchivePath(p);
    const bool chosenIsWork = samePath(archivePath, workArchive);
    RestoreOutcome outcome;
    bool databasePlaced = false;

    ctx.host.setBusy(true);
    showWait(ctx.progress, QStringLiteral("Préparation de la restauration"), true);
    const WorkFile work{workArchive, !chosenIsWork};

    withDatabaseReleased(
        ctx.host,
        [&] {
            recoverBeforeOperation(ctx);
            copyToWorkArchive(archivePath, backupDir, workArchive, chosenIsWork);
            QDir::setCurrent(backupDir);

            // Entries land in a folder of their own first, so that none of them can replace a file
            // of the Backup folder (older archives, safety copies).
            QTemporaryDir staging(backupDir + QStringLiteral("~restauration-XXXXXX"));
            if (!staging.isValid())
                fail(QStringLiteral("Le dossier %1 n'accepte pas de fichiers : rien n'a été restauré.")
                         .arg(quoted(backupDir)));
            const QString stage = staging.path() + QLatin1Char('/');
            const ExtractionResult extracted = extractToStaging(ctx, workArchive, stage);
            for (const SkippedEntry &e : extracted.skipped)
                outcome.skipped << QStringLiteral("%1 (%2)").arg(quoted(e.storedName), e.reason);
            const RestoredFiles files = sortExtracted(extracted, stage, archivePath);
            convertAndCheckDatabase(files.database, ctx.progress);
            checkUpgradedCopy(files.database, stage, p.templateDatabase);
            const QString imagesDir = p.databaseDir + QStringLiteral("Images/");
            if (!CreateDirectoryLevel(imagesDir) || !acceptsFiles(imagesDir))
                fail(QStringLiteral("Le dossier des images %1 n'accepte pas de fichiers (lecture seule ou plein) : "
                                    "rien n'a été restauré.")
                         .arg(quoted(imagesDir)));

            // No reader of the data directory (a snapshot beside the window) sees the files change
            // under it while they are replaced, and no other program writes to the database then.
            const FileReplacementLock replacing(p.dataDir);
            const QString db = DatabaseFilePath(p);
            refusePendingJournal(db);
            const std::optional<DatabaseInUseGuard> inUse =
                FileExists(db) ? std::optional<DatabaseInUseGuard>(std::in_place, db) : std::nullopt;
            const QString images = p.databaseDir + QStringLiteral("Images/");
            const QStringList current = ListFiles(images, QStringLiteral("*.jpg"));
            keepSafetyCopies(db, images, current, backupDir, outcome);
            placeDatabase(p, files.database, db, outcome);
            databasePlaced = true;
            placePictures(stage, images, files.pictures, current, outcome);
            keepOtherEntries(extracted, stage, backupDir);
        },
        [&] {
            if (databasePlaced)
                ctx.host.upgradeRestoredDatabase();
        });
    ctx.host.addHistoryRow(QStringLiteral("Restauration de la base de données"), archivePath);
    return outcome;
}

namespace {

template <typename F>
bool reporting(Prompter &prompter, F f)
{
    try {
        f();
        return true;
    } catch (const Error &e) {
        prompter.error(e.message());
    }
    return false;
}

} // namespace

bool BackupCommand(MaintenanceContext &ctx, const QString &archivePath)
{
    return reporting(ctx.prompter, [&] {
        const QString warning = BackupDatabase(ctx, archivePath, QStringLiteral("Sauvagarde de la base de données"));
        if (warning.isEmpty())
            ctx.prompter.inform(QStringLiteral("Sauvegarde effectuée."));
        else
            ctx.prompter.warn(QStringLiteral("Sauvegarde effectuée.\r") + warning);
    });
}

bool RestoreCommand(MaintenanceContext &ctx, const QString &archivePath)
{
    return reporting(ctx.prompter, [&] {
        const RestoreOutcome outcome = RestoreDatabase(ctx, archivePath);
        QString text = outcome.skipped.isEmpty()
            ? QStringLiteral("Sauvegarde restaurée.")
            : QStringLiteral("Sauvegarde restaurée en partie : ces fichiers de l'archive ont été laissés de côté :\r%1")
                  .arg(outcome.skipped.join(QLatin1Char('\r')));
        if (!outcome.safetyDir.isEmpty())
            text += QStringLiteral("\rLa base de données et les images remplacées sont gardées dans le dossier %1.")
                        .arg(quoted(outcome.safetyDir));
        ctx.prompter.inform(text);
    });
}

bool CompactCommand(MaintenanceContext &ctx)
{
    if (!ctx.prompter.confirm(QStringLiteral("Confirmez-vous le compactage de la base de données ?")))
        return false;
    return reporting(ctx.prompter, [&] {
        // Another program writing to the database stops the compaction before its history row.
        if (FileExists(DatabaseFilePath(ctx.places))) {
            const DatabaseInUseGuard probe(DatabaseFilePath(ctx.places));
        }
        startWithHistoryRow(ctx, QStringLiteral("Compactage de la base de données"), ctx.places.configuredDatabaseFile);
        showWait(ctx.progress, QStringLiteral("Compactage de la base"), false);
        CompactionOutcome outcome;
        withDatabaseReleased(
            ctx.host,
            [&] {
                recoverBeforeOperation(ctx);
                outcome = CompactDatabaseInPlace(ctx.places, DamagedDatabase::Rescue);
            },
            [] {});
        if (!outcome.rescued)
            ctx.prompter.inform(QStringLiteral("Compactage effectué."));
        else
            ctx.prompter.warn(
                QStringLiteral("La base de données était endommagée : ce que le moteur pouvait encore lire "
                               "a été recopié dans une nouvelle base.\r%1\rLa base endommagée est gardée "
                               "sous %2.")
                    .arg(outcome.rescue.summary(), quoted(outcome.damagedCopy)));
    });
}

} // namespace vivrelo
