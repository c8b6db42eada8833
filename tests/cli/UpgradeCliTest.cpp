#include "../db/DbFixture.h"
#include "support/CliProcess.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

// Runs the built companion as the user of the temporary home.
CliOutcome RunCli(const TestDirs &dirs, const QStringList &args)
{
    return vivrelo::test::RunCli(dirs, dirs.root(), args, true);
}

QString Version(const QString &db)
{
    Connection c;
    c.open(db);
    return c.scalar(QStringLiteral("SELECT VALUE FROM OBJECT_VAL_STR WHERE ID_CLASS = -99")).toString();
}

TEST(UpgradeCli, UpgradesTheUsersDatabaseAndFailsWhenAScriptStopsEarly)
{
    TestDirs dirs;
    const QString dataDir = dirs.defaultDataDir();
    const QString db = dataDir + QStringLiteral("Data/Access/VIVRELO.MDB");

    CliOutcome r = RunCli(dirs, {QStringLiteral("upgrade")}); // first run: the template is installed
    ASSERT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(Version(db), QStringLiteral("1.83"));

    QFile::remove(db);
    CreateDatabase(db, ReadFile(SourceDir() + QStringLiteral("tests/data/schema-1.50.sql")).constData());
    r = RunCli(dirs, {QStringLiteral("upgrade"), QStringLiteral("--no-backup")});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral(" : SQL:ALTER TABLE ITEMS ADD COLUMN Quantity LONG DEFAULT 0 (Ok)")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("MISE A JOUR TERMINE")));
    EXPECT_EQ(Version(db), QStringLiteral("1.83"));
    EXPECT_FALSE(QFileInfo::exists(dataDir + QStringLiteral("Backup/Maj")));

    dirs.writeFile(dataDir + QStringLiteral("casse.maj"), "TableEmpty(NO_TABLE)\r\nEND\r\n");
    r = RunCli(dirs, {QStringLiteral("upgrade")});
    EXPECT_NE(r.status, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("NO_TABLE"))) << r.out.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dataDir + QStringLiteral("casse.maj")));
    EXPECT_EQ(QDir(dataDir + QStringLiteral("Backup/Maj")).entryList(QDir::Files).size(), 1);

    EXPECT_EQ(
        RunCli(dirs, {QStringLiteral("upgrade"), QStringLiteral("--backup"), QStringLiteral("--no-backup")}).status, 2);
}

} // namespace
