// The start meeting an Access database: at the database's place or in an older installation.
#include "app/DataStart.h"
#include "app/Startup.h"
#include "base/AppValues.h"
#include "db/Connection.h"

#include "support/AccessFiles.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class AccessStart : public ::testing::Test
{
protected:
    test::TestDirs dirs;
    ScriptedPrompter prompter;
    StartupConfig config;
    QByteArray foreign = bytesOf(test::TestDataDir() + QStringLiteral("jet/testV2003.mdb"));
    QByteArray access = test::AccessDatabaseWithItems();

    void SetUp() override
    {
        ASSERT_FALSE(foreign.isEmpty() || access.isEmpty());
        config.programDir = dirs.programDir();
        config.settingsFileName = QStringLiteral("vivrelo.ini");
        config.lockDir = dirs.root() + QStringLiteral("run");
        config.isRemovable = [](const QString &) { return false; };
        QDir().mkpath(config.lockDir);
    }
    void TearDown() override { CloseDataModules(); }

    QString database() const { return dirs.defaultDataDir() + QStringLiteral("Data/Access/VIVRELO.MDB"); }
    QStringList accessFolder() const
    {
        return QDir(dirs.defaultDataDir() + QStringLiteral("Data/Access"))
            .entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // The whole start up to the data modules; false when it stopped.
    bool start()
    {
        config.hooks = StandardStartupHooks();
        StartupState state = StartEnvironment(config, prompter, noProgress());
        return !state.stop && StartData(config, state, prompter);
    }
    bool told(const QString &text) const
    {
        for (const auto &asked : prompter.asked())
            if (asked.kind == MessageKind::Error && asked.text.contains(text))
                return true;
        return false;
    }
    QString storedTexts() const
    {
        Connection db;
        db.open(database());
        return db
            .scalar(QStringLiteral(
                "SELECT group_concat(Unicode, '|') FROM (SELECT Unicode FROM ITEMS WHERE ID<4 ORDER BY ID)"))
            .toString();
    }
};

TEST_F(AccessStart, AnAccessFileThatIsNotOursStopsTheStartAndStaysAsItWas)
{
    dirs.writeFile(database(), foreign);
    EXPECT_FALSE(start());
    EXPECT_TRUE(told(QStringLiteral("pas de table ITEMS")));
    EXPECT_EQ(prompter.lastText(), ConnectionFailureMessage());
    EXPECT_EQ(bytesOf(database()), foreign);
    EXPECT_EQ(accessFolder(), QStringList(QStringLiteral("VIVRELO.MDB")));
    EXPECT_FALSE(RunningDataModules().main && RunningDataModules().main->ADOConnection1.isOpen());
}

TEST_F(AccessStart, AnAccessDatabaseAtTheDatabasePlaceIsConvertedBeforeItOpens)
{
    dirs.writeFile(database(), access);
    // Not by a reading start, which changes nothing.
    config.readOnly = true;
    EXPECT_FALSE(start());
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("format Access"))) << prompter.lastText().toStdString();
    EXPECT_EQ(bytesOf(database()), access);
    config.readOnly = false;

    ASSERT_TRUE(start()) << prompter.lastText().toStdString();
    ASSERT_TRUE(RunningDataModules().main->ADOConnection1.isOpen());
    EXPECT_EQ(storedTexts(), QStringLiteral("only ascii chars|ääkkösiä|Мир"));
    EXPECT_EQ(bytesOf(database() + QStringLiteral(".jet-origine")), access);
    CloseDataModules();

    // The next start opens the converted database as it is.
    prompter = ScriptedPrompter();
    const QByteArray converted = bytesOf(database());
    ASSERT_TRUE(start());
    EXPECT_EQ(bytesOf(database()), converted);
    EXPECT_EQ(accessFolder(), QStringList({QStringLiteral("VIVRELO.MDB"), QStringLiteral("VIVRELO.MDB.jet-origine")}));
}

TEST_F(AccessStart, AnOlderInstallationsAccessDatabaseIsConvertedInItsCopyOnly)
{
    const QString old = dirs.writeFile(dirs.programDir() + QStringLiteral("Data/Access/VIVRELO.MDB"), access);
    dirs.writeFile(dirs.programDir() + QStringLiteral("db.ini"), "[DataBase]\r\n");

    ASSERT_TRUE(start()) << prompter.lastText().toStdString();
    EXPECT_TRUE(storedTexts().startsWith(QStringLiteral("only ascii chars|")));
    EXPECT_EQ(bytesOf(old), access);
    EXPECT_EQ(QDir(dirs.programDir() + QStringLiteral("Data/Access")).entryList(QDir::Files | QDir::Hidden),
        QStringList(QStringLiteral("VIVRELO.MDB")));
}

} // namespace
