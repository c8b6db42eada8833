#include "maintenance/AutoBackup.h"
#include "maintenance/ArchiveCheck.h"

#include "base/DataLock.h"
#include "base/Error.h"
#include "base/Progress.h"
#include "db/Connection.h"
#include "maintenance/Cabinet.h"
#include "maintenance/Recovery.h"
#include "support/ErrorText.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A data directory with the template database holding three products and two pictures.
struct AutoBackupFixture : ::testing::Test {
    test::TestDirs dirs;
    QString dataDir = dirs.root() + QStringLiteral("data/");
    MaintenancePlaces places{dataDir, dataDir + QStringLiteral("Data/"), {}};
    QString db = DatabaseFilePath(places);
    QString autoDir = AutoBackupDir(places);
    QDateTime clock{QDate(2026, 12, 1), QTime(2, 0)};

    void SetUp() override
    {
        QDir().mkpath(places.databaseDir + QStringLiteral("Access"));
        QDir().mkpath(BackupDir(places));
        ASSERT_TRUE(QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), db));
        QFile(db).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        Connection c;
        c.open(db);
        for (const char *title : {"Beurre", "Café", "Farine"})
            c.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Stock) VALUES (-1, ?, 2)"),
                {QString::fromUtf8(title)});
        dirs.writeFile(places.databaseDir + QStringLiteral("Images/beurre.jpg"), "photo du beurre");
        dirs.writeFile(places.databaseDir + QStringLiteral("Images/.cache.jpg"), "vignette");
    }
    AutoBackupOutcome run(int keep, const ArchiveReadBack &readBack = {})
    {
        return RunAutoBackup(places, keep, clock, noProgress(), readBack);
    }
    QStringList autoFolder() const
    {
        return QDir(autoDir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }
    QStringList history() const
    {
        return QString::fromUtf8(readAll(AutoBackupHistoryPath(places)))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
};

} // namespace

TEST_F(AutoBackupFixture, RotationKeepsTheNewestAndNeverTouchesTheUsersArchives)
{
    const QString mine = dirs.writeFile(BackupDir(places) + QStringLiteral("ma-sauvegarde.bkp"), "à moi");
    const QString copy = dirs.writeFile(autoDir + QStringLiteral("copie-manuelle.bkp"), "à moi aussi");
    const QByteArray before = readAll(db);

    // The window is open with a change not yet written: the snapshot runs beside it and takes
    // the database as it stands on disk.
    Connection window;
    window.open(db);
    window.exec(QStringLiteral("BEGIN; INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'En cours');"));
    const AutoBackupOutcome first = run(3);
    window.exec(QStringLiteral("ROLLBACK"));
    window.close();
    EXPECT_EQ(first.archive, autoDir + QStringLiteral("VIVRELO_AUTO_2026_12_01_02_00_00.bkp"));
    EXPECT_EQ(first.products, 3);
    EXPECT_EQ(first.files, 3);

    // A second run in the same second gets its own name; then N + 3 runs in all keep N.
    EXPECT_TRUE(run(3).archive.endsWith(QStringLiteral("_02_00_00_2.bkp")));
    std::vector<AutoBackupOutcome> runs;
    for (int day = 2; day <= 5; ++day) {
        clock = clock.addDays(1);
        runs.push_back(run(3));
    }
    EXPECT_EQ(runs.back().removed, QStringList(QStringLiteral("VIVRELO_AUTO_2026_12_02_02_00_00.bkp")));
    EXPECT_EQ(autoFolder(),
        QStringList({QStringLiteral("VIVRELO_AUTO_2026_12_03_02_00_00.bkp"),
            QStringLiteral("VIVRELO_AUTO_2026_12_04_02_00_00.bkp"),
            QStringLiteral("VIVRELO_AUTO_2026_12_05_02_00_00.bkp"), QStringLiteral("copie-manuelle.bkp"),
            QStringLiteral("historique.txt")}));
    // A clock put back never makes the rotation remove the archive just made.
    clock = QDateTime(QDate(2020, 1, 1), QTime(0, 0));
    EXPECT_TRUE(QFile::exists(run(3).archive));

    EXPECT_EQ(readAll(mine), QByteArray("à moi"));
    EXPECT_EQ(readAll(copy), QByteArray("à moi aussi"));
    EXPECT_EQ(readAll(db), before) << "the automatic backup changed the database";
    const QStringList lines = history();
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines.first().startsWith(
        QStringLiteral("01/12/2026 02:00:00 ; réussie : VIVRELO_AUTO_2026_12_01_02_00_00.bkp")))
        << lines.first().toStdString();

    // The archive is one a restore takes: checked without restoring it.
    const ArchiveCheck check = VerifyArchive(runs.back().archive, noProgress());
    EXPECT_EQ(check.products, 3);
    EXPECT_EQ(check.pictures, 2);
    EXPECT_EQ(check.entries, 3);
}

TEST_F(AutoBackupFixture, AFailingRunRemovesNothingAndIsWrittenInTheHistory)
{
    run(2);
    clock = clock.addDays(1);
    run(2);
    const QStringList kept = autoFolder();

    clock = clock.addDays(1);
    const QString text = test::MessageOf([&] {
        run(2, [](const QString &, const std::vector<CabinetSource> &) { fail(QStringLiteral("relecture fausse")); });
    });
    EXPECT_TRUE(text.contains(QStringLiteral("relecture fausse")));
    EXPECT_EQ(autoFolder(), kept);

    // A database that cannot be read: no archive, nothing removed.
    QFile::remove(db);
    dirs.writeFile(db, "pas une base");
    EXPECT_FALSE(test::MessageOf([&] { run(1); }).isEmpty());
    EXPECT_EQ(autoFolder(), kept);
    const QStringList lines = history();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[2].contains(QStringLiteral("échec : relecture fausse")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("échec")));
}

TEST_F(AutoBackupFixture, VerifyTellsWhyARestoreWouldFail)
{
    const QString good = run(1).archive;
    const QByteArray bytes = readAll(good);
    const QString truncated =
        dirs.writeFile(dirs.root() + QStringLiteral("tronquee.bkp"), bytes.left(bytes.size() / 2));
    EXPECT_TRUE(
        test::MessageOf([&] { VerifyArchive(truncated, noProgress()); }).contains(QStringLiteral("tronquee.bkp")));

    // A database of another program under our name.
    const QString foreign = dirs.root() + QStringLiteral("autre.sqlite");
    ASSERT_EQ(
        QProcess::execute(QStringLiteral("sqlite3"), {foreign, QStringLiteral("CREATE TABLE CLIENTS (Nom TEXT);")}), 0);
    const QString other = dirs.root() + QStringLiteral("autre.bkp");
    WriteCabinet(other, {{QStringLiteral("VIVRELO.MDB"), foreign}}, noProgress());
    EXPECT_TRUE(
        test::MessageOf([&] { VerifyArchive(other, noProgress()); }).contains(QStringLiteral("table ITEMS absente")));

    const QString noDatabase = dirs.root() + QStringLiteral("images.bkp");
    WriteCabinet(noDatabase, {{QStringLiteral("a.jpg"), places.databaseDir + QStringLiteral("Images/beurre.jpg")}},
        noProgress());
    EXPECT_TRUE(test::MessageOf([&] {
        VerifyArchive(noDatabase, noProgress());
    }).contains(QStringLiteral("pas de base de données")));
}

TEST_F(AutoBackupFixture, AKilledRunsWorkFolderGoesOnceNoCopyIsBeingMade)
{
    run(2);
    const QStringList archives = autoFolder();
    dirs.writeFile(autoDir + QStringLiteral("~en-cours-x1Y2z3/VIVRELO.MDB"), "copie abandonnée");
    {
        // A copy in progress beside the program holds the readers' lock: its folder stays.
        const DataDirectoryLock reading(dataDir, DataDirectoryLock::Mode::ReadOnly);
        ASSERT_EQ(reading.state(), DataDirectoryLock::State::Acquired);
        EXPECT_TRUE(RecoverInterruptedWork(places, {}).isEmpty());
        EXPECT_TRUE(QFileInfo::exists(autoDir + QStringLiteral("~en-cours-x1Y2z3/VIVRELO.MDB")));
    }
    EXPECT_EQ(RecoverInterruptedWork(places, {}).size(), 1);
    EXPECT_EQ(autoFolder(), archives);
}
