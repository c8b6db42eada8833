#include "app/SingleInstance.h"
#include "db/Connection.h"
#include "support/CliProcess.h"
#include "support/TestDirs.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

// The companion run on a test program directory and home, as a user would start it.
class MaintenanceVerbsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    int run(const QStringList &args)
    {
        const test::CliOutcome r = test::RunCli(dirs, runtime, args);
        output = r.out;
        errors = r.err;
        return r.status;
    }
    QString dataDir() const { return dirs.defaultDataDir(); }
    QString database() const { return dataDir() + QStringLiteral("Data/Access/VIVRELO.MDB"); }
    QStringList titles()
    {
        Connection c;
        c.open(database());
        return c.scalar(QStringLiteral("SELECT group_concat(Title, ',') FROM ITEMS"))
            .toString()
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    void exec(const QString &sql)
    {
        Connection c;
        c.open(database());
        c.exec(sql);
    }
    QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    test::TestDirs dirs;
    QString runtime = dirs.root() + QStringLiteral("run");
    QString output;
    QString errors;
};

TEST_F(MaintenanceVerbsTest, BackupRestoreRoundTripAndHistory)
{
    ASSERT_EQ(run({QStringLiteral("history")}), 0) << errors.toStdString();
    EXPECT_TRUE(output.isEmpty());
    exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'Beurre')"));
    dirs.writeFile(dataDir() + QStringLiteral("Data/Images/beurre.jpg"), "photo du beurre");

    // Without a name: the day's archive in the Backup folder.
    ASSERT_EQ(run({QStringLiteral("backup")}), 0) << errors.toStdString();
    const QString archive = dataDir() + QStringLiteral("Backup/VIVRELO_ACCESS_BACKUP_")
        + QDate::currentDate().toString(QStringLiteral("dd_MM_yyyy")) + QStringLiteral(".bkp");
    EXPECT_TRUE(QFile::exists(archive)) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Sauvegarde effectuée.")));
    EXPECT_TRUE(errors.contains(QStringLiteral("Sauvegarde de la base")));
    EXPECT_TRUE(errors.contains(QStringLiteral("Compression : beurre.jpg")));

    exec(QStringLiteral("DELETE FROM ITEMS"));
    dirs.writeFile(dataDir() + QStringLiteral("Data/Images/beurre.jpg"), "autre photo");
    ASSERT_EQ(run({QStringLiteral("restore"), archive}), 0) << errors.toStdString();
    EXPECT_TRUE(output.startsWith(QStringLiteral("Sauvegarde restaurée.")));
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Beurre")});
    EXPECT_EQ(bytes(dataDir() + QStringLiteral("Data/Images/beurre.jpg")), QByteArray("photo du beurre"));

    ASSERT_EQ(run({QStringLiteral("compact")}), 0) << errors.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Compactage effectué.")));

    ASSERT_EQ(run({QStringLiteral("history")}), 0) << errors.toStdString();
    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << output.toStdString();
    const QStringList first = lines[0].split(QLatin1Char('\t'));
    ASSERT_EQ(first.size(), 4);
    EXPECT_EQ(first[0], QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(first[1].size(), 5);
    EXPECT_EQ(first[2], QStringLiteral("Sauvagarde de la base de données"));
    EXPECT_EQ(first[3], archive);
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\tRestauration de la base de données\t") + archive));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("\tCompactage de la base de données\t")));

    // Bad arguments never reach the database.
    EXPECT_EQ(run({QStringLiteral("restore")}), 2);
    EXPECT_EQ(run({QStringLiteral("compact"), QStringLiteral("--force")}), 2);
}

TEST_F(MaintenanceVerbsTest, BackupNeverReplacesAnArchiveUnlessAskedNorWritesIntoTheData)
{
    ASSERT_EQ(run({QStringLiteral("history")}), 0) << errors.toStdString();
    const QString archive = dirs.writeFile(dirs.root() + QStringLiteral("matin.bkp"), "archive du matin");
    EXPECT_EQ(run({QStringLiteral("backup"), archive}), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("--replace"))) << errors.toStdString();
    EXPECT_EQ(bytes(archive), QByteArray("archive du matin"));
    EXPECT_EQ(run({QStringLiteral("backup"), archive, QStringLiteral("--replace")}), 0) << errors.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Sauvegarde effectuée.")));
    EXPECT_TRUE(bytes(archive).startsWith("MSCF"));

    // Into the pictures' folder, or over the database itself: refused before anything is written.
    const QByteArray db = bytes(database());
    for (const QString &target : {dataDir() + QStringLiteral("Data/Images/x.bkp"), database()}) {
        EXPECT_EQ(run({QStringLiteral("backup"), target, QStringLiteral("--replace")}), 1) << target.toStdString();
        EXPECT_TRUE(errors.contains(QStringLiteral("rien n'a été écrit"))) << errors.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dataDir() + QStringLiteral("Data/Images/x.bkp")));
    EXPECT_EQ(bytes(database()), db);
}

TEST_F(MaintenanceVerbsTest, RestoreOfATextFileFailsAndKeepsTheDatabase)
{
    ASSERT_EQ(run({QStringLiteral("history")}), 0) << errors.toStdString();
    exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'Café')"));
    const QByteArray before = bytes(database());
    const QString text = dirs.writeFile(dirs.root() + QStringLiteral("notes.txt"), "liste de courses\n");

    EXPECT_NE(run({QStringLiteral("restore"), text}), 0);
    EXPECT_TRUE(errors.contains(QStringLiteral("Erreur")));
    EXPECT_TRUE(errors.contains(QStringLiteral("Rien n'a été restauré"))) << errors.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("Sauvegarde restaurée.")));
    EXPECT_EQ(bytes(database()), before);
    EXPECT_EQ(bytes(text), QByteArray("liste de courses\n"));

    EXPECT_NE(run({QStringLiteral("restore"), dirs.root() + QStringLiteral("absente.bkp")}), 0);
    EXPECT_EQ(bytes(database()), before);
}

TEST_F(MaintenanceVerbsTest, RefusesWhileTheProgramRuns)
{
    ASSERT_EQ(run({QStringLiteral("history")}), 0) << errors.toStdString();
    const QByteArray before = bytes(database());
    SingleInstance running(runtime);
    ASSERT_EQ(running.state(), SingleInstance::State::Acquired);
    for (const char *verb : {"backup", "compact", "history"}) {
        EXPECT_NE(run({QString::fromLatin1(verb)}), 0) << verb;
        EXPECT_TRUE((output + errors).contains(AlreadyRunningMessage().section(QLatin1Char('\r'), 0, 0)))
            << (output + errors).toStdString();
    }
    EXPECT_EQ(bytes(database()), before);
    EXPECT_FALSE(QDir(dataDir() + QStringLiteral("Backup")).entryList({QStringLiteral("*.bkp")}).size() > 0);

    // From another runtime folder (a scheduled job, another login), the data directory's lock
    // still refuses every writing verb.
    const DataDirectoryLock window(dataDir(), DataDirectoryLock::Mode::Change);
    ASSERT_EQ(window.state(), DataDirectoryLock::State::Acquired);
    runtime = dirs.root() + QStringLiteral("run2");
    SetUp();
    const QString archive = dirs.root() + QStringLiteral("a.bkp");
    for (const QStringList &args : {QStringList{QStringLiteral("backup"), archive}, {QStringLiteral("compact")},
             {QStringLiteral("restore"), archive}}) {
        EXPECT_EQ(run(args), 1) << args.first().toStdString();
        EXPECT_TRUE((output + errors).contains(AlreadyRunningMessage())) << (output + errors).toStdString();
    }
    EXPECT_EQ(bytes(database()), before);
}

} // namespace
} // namespace vivrelo
