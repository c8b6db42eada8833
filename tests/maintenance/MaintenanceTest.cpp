#include "maintenance/Maintenance.h"

#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "lists/DataModule.h"
#include "maintenance/Cabinet.h"
#include "maintenance/DataModuleHost.h"
#include "support/AccessFiles.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace vivrelo;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct RecordingProgress : ProgressSink {
    QStringList tasks;
    void setTask(const QString &t) override { tasks << t; }
};

// The program's data module on a copy of the template database, behind the main window's host.
struct MaintenanceFixture : ::testing::Test {
    test::TestDirs dirs;
    ScriptedPrompter prompter;
    RecordingProgress progress;
    TDataModule1 dm;
    int disabled = 0, enabled = 0, upgrades = 0;
    std::function<void()> whileReleased = [] {};
    DataModuleHost host{dm,
        {[this](bool on) { ++(on ? enabled : disabled), on ? void() : whileReleased(); }, {}, {},
            [this] { ++upgrades; }}};
    QString dataDir = dirs.root() + QStringLiteral("data/");
    MaintenancePlaces places = MaintenancePlacesOf(ReadConnectionConfig(dataDir, dataDir), dataDir);
    MaintenanceContext ctx{host, prompter, progress, places};
    QString db = DatabaseFilePath(places);
    QString images = places.databaseDir + QStringLiteral("Images/");
    QString backupDir = BackupDir(places);

    void SetUp() override
    {
        ASSERT_EQ(places.configuredDatabaseFile, db);
        QDir().mkpath(places.databaseDir + QStringLiteral("Access"));
        QDir().mkpath(images);
        QDir().mkpath(backupDir);
        ASSERT_TRUE(QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), db));
        QFile(db).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(dm.DataModuleCreate(prompter));
        for (const char *title : {"Beurre", "Café", "Farine"})
            dm.ADOConnection1.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Stock) VALUES (-1, ?, 2)"),
                {QString::fromUtf8(title)});
        dirs.writeFile(images + QStringLiteral("beurre.jpg"), "photo du beurre");
        dirs.writeFile(images + QStringLiteral("cafe.jpg"), "photo du café");
        dirs.writeFile(images + QStringLiteral("notes.bmp"), "pas une photo");
    }

    QString titles()
    {
        Connection c;
        c.open(db);
        return c.scalar(QStringLiteral("SELECT group_concat(Title, ',') FROM (SELECT Title FROM ITEMS ORDER BY Id)"))
            .toString();
    }
    QString history()
    {
        return dm.ADOConnection1.scalar(QStringLiteral("SELECT group_concat(Description, ',') FROM BACKUP")).toString();
    }
    QStringList backupFolder() const
    {
        return QDir(backupDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
};

} // namespace

TEST_F(MaintenanceFixture, BackupThenRestoreBringsBackTheDatabaseAndItsPictures)
{
    const QString archive = DefaultBackupPath(places, QDate(2008, 3, 5));
    EXPECT_TRUE(archive.endsWith(QStringLiteral("Backup/VIVRELO_ACCESS_BACKUP_05_03_2008.bkp")));
    dirs.writeFile(archive, "ancienne archive du même nom");

    ASSERT_TRUE(BackupCommand(ctx, archive)) << prompter.lastText().toStdString();
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Sauvegarde effectuée."));
    EXPECT_TRUE(progress.tasks.contains(QStringLiteral("Compression : cafe.jpg")));
    EXPECT_EQ(history(), QStringLiteral("Sauvagarde de la base de données"));
    EXPECT_EQ(backupFolder(), QStringList(QFileInfo(archive).fileName()));
    EXPECT_FALSE(QFileInfo::exists(CompactionWorkPath(places)));
    EXPECT_EQ(ReadCabinet(archive).size(), 4u);
    EXPECT_EQ(ReadCabinet(archive).front().name, QStringLiteral("VIVRELO.MDB"));

    // Changes after the backup.
    dm.ADOConnection1.exec(QStringLiteral("DELETE FROM ITEMS WHERE Title = 'Café'"));
    dirs.writeFile(images + QStringLiteral("beurre.jpg"), "nouvelle photo");
    QFile::remove(images + QStringLiteral("cafe.jpg"));
    dirs.writeFile(images + QStringLiteral("ajout.jpg"), "ajoutée après");
    dirs.writeFile(images + QStringLiteral("notes.bmp"), "bmp changé");

    ASSERT_TRUE(RestoreCommand(ctx, archive)) << prompter.lastText().toStdString();
    EXPECT_TRUE(prompter.lastText().startsWith(QStringLiteral("Sauvegarde restaurée.\r")));
    EXPECT_EQ(titles(), QStringLiteral("Beurre,Café,Farine"));
    EXPECT_EQ(readAll(images + QStringLiteral("beurre.jpg")), QByteArray("photo du beurre"));
    EXPECT_EQ(readAll(images + QStringLiteral("cafe.jpg")), QByteArray("photo du café"));
    EXPECT_FALSE(QFile::exists(images + QStringLiteral("ajout.jpg")));
    EXPECT_EQ(readAll(images + QStringLiteral("notes.bmp")), QByteArray("bmp changé"));
    EXPECT_EQ(upgrades, 1);
    // The restored database has the history of the backup it came from, plus the restore.
    EXPECT_EQ(history(), QStringLiteral("Sauvagarde de la base de données,Restauration de la base de données"));

    // What the restore replaced is kept, named in the message; the .bmp entry stays in Backup.
    const QStringList folder = backupFolder();
    ASSERT_EQ(folder.size(), 3) << folder.join(QLatin1Char(' ')).toStdString();
    const QString safety = backupDir + folder.filter(QStringLiteral("AVANT_RESTAURATION_")).value(0) + QLatin1Char('/');
    EXPECT_TRUE(prompter.lastText().contains(QDir::toNativeSeparators(safety)));
    EXPECT_EQ(readAll(safety + QStringLiteral("ajout.jpg")), QByteArray("ajoutée après"));
    EXPECT_EQ(readAll(safety + QStringLiteral("beurre.jpg")), QByteArray("nouvelle photo"));
    Connection before;
    before.open(safety + QStringLiteral("VIVRELO.MDB"));
    EXPECT_EQ(before.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS")).toInt(), 2);
    EXPECT_TRUE(folder.contains(QStringLiteral("notes.bmp")));
}

TEST_F(MaintenanceFixture, CompactionNeverLeavesTheDatabaseAwayFromItsName)
{
    prompter.setConfirmations(Answer::No);
    EXPECT_FALSE(CompactCommand(ctx));
    EXPECT_EQ(disabled, 0);
    EXPECT_TRUE(history().isEmpty());
    prompter.setConfirmations(Answer::Yes);

    // A work file left by an interrupted run is examined first: not a database, it is kept aside
    // in Backup/ and told, and the operation goes on with the database under its own name.
    const QString work = dirs.writeFile(CompactionWorkPath(places), "reste d'une opération interrompue");
    ASSERT_TRUE(CompactCommand(ctx)) << prompter.lastText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(work));
    const QStringList kept = backupFolder().filter(QStringLiteral("VIVRELO~_"));
    ASSERT_EQ(kept.size(), 1) << backupFolder().join(u' ').toStdString();
    EXPECT_EQ(readAll(backupDir + kept.first()), QByteArray("reste d'une opération interrompue"));
    EXPECT_TRUE(std::any_of(prompter.asked().begin(), prompter.asked().end(),
        [](const auto &a) { return a.text.contains(QStringLiteral("mis de côté")); }));
    EXPECT_EQ(titles(), QStringLiteral("Beurre,Café,Farine"));

    // A work name that cannot be used (a folder in the way) stops the compaction; the database
    // never left its name.
    QDir().mkpath(CompactionWorkPath(places));
    EXPECT_FALSE(CompactCommand(ctx));
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("VIVRELO~.MDB"))) << prompter.lastText().toStdString();
    QDir().rmdir(CompactionWorkPath(places));
    EXPECT_EQ(titles(), QStringLiteral("Beurre,Café,Farine"));
    EXPECT_EQ(enabled, disabled);
    // Every attempt keeps its history row.
    EXPECT_EQ(history(), QStringLiteral("Compactage de la base de données,Compactage de la base de données"));
    ASSERT_TRUE(CompactCommand(ctx));
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Compactage effectué."));

    // A database that cannot be reopened still gives the window back, and the first error is told.
    const QString away = dirs.root() + QStringLiteral("away.mdb");
    whileReleased = [&] { QFile::rename(db, away); };
    EXPECT_FALSE(CompactCommand(ctx));
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("introuvable"))) << prompter.lastText().toStdString();
    EXPECT_EQ(enabled, disabled);
    EXPECT_FALSE(dm.ADOConnection1.isOpen());
}

TEST_F(MaintenanceFixture, AnArchiveThatCannotBePlacedIsNeverReportedAsDone)
{
    const QString old = dirs.writeFile(backupDir + QStringLiteral("old.bkp"), "ancienne");

    // A destination folder that does not exist.
    EXPECT_FALSE(BackupCommand(ctx, dirs.root() + QStringLiteral("absent/a.bkp")));
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("n'a pas pu être enregistrée")));

    // A Backup folder that refuses new files (an immutable folder refuses even root).
    const bool root = geteuid() == 0;
    const QString lock = root ? QStringLiteral("chattr") : QStringLiteral("chmod");
    const QStringList on =
        root ? QStringList{QStringLiteral("+i"), backupDir} : QStringList{QStringLiteral("555"), backupDir};
    const QStringList off =
        root ? QStringList{QStringLiteral("-i"), backupDir} : QStringList{QStringLiteral("755"), backupDir};
    if (QProcess::execute(lock, on) != 0)
        GTEST_SKIP() << "cannot make the folder read-only";
    const bool done = BackupCommand(ctx, old);
    const QString text = prompter.lastText();
    QProcess::execute(lock, off);
    EXPECT_FALSE(done);
    EXPECT_TRUE(text.contains(QStringLiteral("temp.cab"))) << text.toStdString();
    EXPECT_EQ(readAll(old), QByteArray("ancienne"));
    EXPECT_EQ(backupFolder(), QStringList(QStringLiteral("old.bkp")));
    EXPECT_TRUE(dm.ADOConnection1.isOpen());
    EXPECT_EQ(titles(), QStringLiteral("Beurre,Café,Farine"));
}

TEST_F(MaintenanceFixture, ArchivesThatCannotBeRestoredLeaveTheDatabaseAndPicturesIntact)
{
    const QString src = dirs.root() + QStringLiteral("src/");
    const QString photo = dirs.writeFile(src + QStringLiteral("p.jpg"), "image de l'archive");
    const QString text = dirs.writeFile(src + QStringLiteral("VIVRELO.MDB"), "pas une base");
    // An Access database of another program, and a newer Access file that cannot be read.
    const QString access = test::TestDataDir() + QStringLiteral("jet/testV2000.mdb");
    const QString ace = dirs.writeFile(src + QStringLiteral("ace/VIVRELO.MDB"),
        QByteArray("\x00\x01\x00\x00Standard ACE DB", 19) + QByteArray(8192, 'z'));
    const QString good = backupDir + QStringLiteral("good.bkp");
    ASSERT_TRUE(BackupCommand(ctx, good));
    const QByteArray goodBytes = readAll(good);
    const QByteArray compacted = readAll(db);

    struct Case {
        const char *file;
        QByteArray bytes;
        std::vector<CabinetSource> entries;
        const char *expected;
    };
    const std::vector<Case> cases = {
        {"tronquee.bkp", goodBytes.left(goodBytes.size() * 2 / 3), {}, "incomplète"},
        {"texte.bkp", "Ceci n'est pas une archive.\r\n", {}, "n'est pas une archive de sauvegarde"},
        {"sans-base.bkp", {}, {{QStringLiteral("p.jpg"), photo}}, "ne contient pas de base de données"},
        {"hostile.bkp", {}, {{QStringLiteral("..\\..\\..\\evil.jpg"), photo}, {QStringLiteral("\\"), photo}},
            "ne contient pas de base de données"},
        {"fausse-base.bkp", {}, {{QStringLiteral("VIVRELO.MDB"), text}, {QStringLiteral("p.jpg"), photo}},
            "pas utilisable"},
        {"absente.bkp", {}, {}, "introuvable"},
        {"access.bkp", {}, {{QStringLiteral("VIVRELO.MDB"), access}, {QStringLiteral("p.jpg"), photo}},
            "pas de table ITEMS"},
        {"ace.bkp", {}, {{QStringLiteral("VIVRELO.MDB"), ace}}, "format ACE"},
    };
    const QString rowsBefore = history();
    for (const Case &c : cases) {
        const QString path = dirs.root() + QLatin1String(c.file);
        if (!c.entries.empty())
            WriteCabinet(path, c.entries, noProgress());
        else if (!c.bytes.isEmpty())
            dirs.writeFile(path, c.bytes);
        EXPECT_FALSE(RestoreCommand(ctx, path)) << c.file;
        EXPECT_TRUE(prompter.lastText().contains(QString::fromUtf8(c.expected)))
            << c.file << ": " << prompter.lastText().toStdString();
        EXPECT_EQ(readAll(db), compacted) << c.file;
        EXPECT_EQ(readAll(images + QStringLiteral("beurre.jpg")), QByteArray("photo du beurre")) << c.file;
        EXPECT_EQ(QDir(images).entryList(QDir::Files).size(), 3) << c.file;
        EXPECT_EQ(backupFolder(), QStringList(QStringLiteral("good.bkp"))) << c.file;
        EXPECT_FALSE(QFile::exists(dirs.root() + QStringLiteral("evil.jpg")));
        EXPECT_EQ(upgrades, 0);
    }
    EXPECT_EQ(history(), rowsBefore);
    EXPECT_EQ(enabled, disabled);
    for (const auto &asked : prompter.asked())
        EXPECT_FALSE(asked.text.startsWith(QStringLiteral("Sauvegarde restaurée")));
}

TEST_F(MaintenanceFixture, AnArchiveOfAnOlderInstallationIsRestoredAsOurs)
{
    const QString src = dirs.root() + QStringLiteral("src/");
    const QString access = dirs.writeFile(src + QStringLiteral("VIVRELO.MDB"), test::AccessDatabaseWithItems());
    const QString photo = dirs.writeFile(src + QStringLiteral("lait.jpg"), "photo du lait");
    const QString archive = dirs.root() + QStringLiteral("ancienne.bkp");
    WriteCabinet(archive, {{QStringLiteral("VIVRELO.MDB"), access}, {QStringLiteral("lait.jpg"), photo}}, noProgress());
    const QByteArray current = readAll(db);

    ASSERT_TRUE(RestoreCommand(ctx, archive)) << prompter.lastText().toStdString();
    EXPECT_EQ(upgrades, 1);
    EXPECT_EQ(dm.ADOConnection1.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS")).toInt(), 8);
    EXPECT_EQ(readAll(images + QStringLiteral("lait.jpg")), QByteArray("photo du lait"));
    const QStringList kept = QDir(backupDir).entryList({QStringLiteral("AVANT_RESTAURATION_*")}, QDir::Dirs);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(readAll(backupDir + kept[0] + QStringLiteral("/VIVRELO.MDB")), current);
}

TEST_F(MaintenanceFixture, EntriesNeverReplaceFilesOfTheBackupFolderOrLandOutsideIt)
{
    const QString src = dirs.root() + QStringLiteral("src/");
    const QString older =
        dirs.writeFile(backupDir + QStringLiteral("VIVRELO_ACCESS_BACKUP_01_01_2020.bkp"), "archive de 2020");
    QDir().mkpath(src);
    ASSERT_TRUE(QFile::copy(db, src + QStringLiteral("base")));
    const QString archive = dirs.root() + QStringLiteral("x.bkp");
    WriteCabinet(archive,
        {{QStringLiteral("C:\\Data\\Access\\VIVRELO.MDB"), src + QStringLiteral("base")},
            {QStringLiteral("..\\..\\..\\..\\escape.txt"), dirs.writeFile(src + QStringLiteral("e"), "x")},
            {QStringLiteral("VIVRELO_ACCESS_BACKUP_01_01_2020.bkp"), dirs.writeFile(src + QStringLiteral("f"), "y")},
            {QStringLiteral("/etc/neuf.jpg"), dirs.writeFile(src + QStringLiteral("g"), "neuve")}},
        noProgress());
    ASSERT_TRUE(RestoreCommand(ctx, archive)) << prompter.lastText().toStdString();
    EXPECT_EQ(readAll(older), QByteArray("archive de 2020"));
    EXPECT_EQ(readAll(images + QStringLiteral("neuf.jpg")), QByteArray("neuve"));
    EXPECT_FALSE(QFile::exists(images + QStringLiteral("beurre.jpg")));
    EXPECT_TRUE(QFile::exists(backupDir + QStringLiteral("escape.txt")));
    EXPECT_FALSE(QFile::exists(dirs.root() + QStringLiteral("escape.txt")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/etc/neuf.jpg")));
    EXPECT_EQ(titles(), QStringLiteral("Beurre,Café,Farine"));
}
