// The start meeting an Access database: at the database's place or in an older installation.
#include "app/AppValues.h"
#include "app/Startup.h"
#include "db/Connection.h"
#include "lists/DataStart.h"

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

// An older installation's tables, as the Access reader would give them.
std::vector<JetTable> olderItems(const QString &, ProgressSink &)
{
    JetTable items{QStringLiteral("ITEMS"),
                   {{QStringLiteral("Id"), JetType::Counter}, {QStringLiteral("Id_File"), JetType::Short},
                    {QStringLiteral("Title"), JetType::Text, 128}},
                   {{5, -1, QStringLiteral("Farine")}}};
    return {items};
}

class AccessStart : public ::testing::Test
{
protected:
    test::TestDirs dirs;
    ScriptedPrompter prompter;
    StartupConfig config;
    QByteArray access = bytesOf(test::TestDataDir() + QStringLiteral("jet/testV2003.mdb"));

    void SetUp() override
    {
        ASSERT_FALSE(access.isEmpty());
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
        return QDir(dirs.defaultDataDir() + QStringLiteral("Data/Access")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // The whole start up to the data modules; false when it stopped.
    bool start(const JetTablesReader &read = {})
    {
        config.hooks = StandardStartupHooks(read);
        const StartupState state = StartEnvironment(config, prompter, noProgress());
        return !state.stop && StartData(config, state, prompter);
    }
    bool told(const QString &text) const
    {
        for (const auto &asked : prompter.asked())
            if (asked.kind == MessageKind::Error && asked.text.contains(text))
                return true;
        return false;
    }
    QString titles() const
    {
        Connection db;
        db.open(database());
        return db.scalar(QStringLiteral("SELECT group_concat(Title) FROM ITEMS")).toString();
    }
};

TEST_F(AccessStart, AnAccessFileThatIsNotOursStopsTheStartAndStaysAsItWas)
{
    dirs.writeFile(database(), access);
    EXPECT_FALSE(start());
    EXPECT_TRUE(told(QStringLiteral("pas de table ITEMS")));
    EXPECT_EQ(prompter.lastText(), ConnectionFailureMessage());
    EXPECT_EQ(bytesOf(database()), access);
    EXPECT_EQ(accessFolder(), QStringList(QStringLiteral("VIVRELO.MDB")));
    EXPECT_FALSE(RunningDataModules().main && RunningDataModules().main->ADOConnection1.isOpen());
}

TEST_F(AccessStart, AnAccessDatabaseAtTheDatabasePlaceIsConvertedBeforeItOpens)
{
    dirs.writeFile(database(), access);
    ASSERT_TRUE(start(olderItems)) << prompter.lastText().toStdString();
    ASSERT_TRUE(RunningDataModules().main->ADOConnection1.isOpen());
    EXPECT_EQ(titles(), QStringLiteral("Farine"));
    EXPECT_EQ(bytesOf(database() + QStringLiteral(".jet-origine")), access);
    CloseDataModules();

    // The next start opens the converted database as it is.
    prompter = ScriptedPrompter();
    ASSERT_TRUE(start([](const QString &, ProgressSink &) -> std::vector<JetTable> {
        ADD_FAILURE() << "read again";
        return {};
    }));
    EXPECT_EQ(accessFolder(), QStringList({QStringLiteral("VIVRELO.MDB"), QStringLiteral("VIVRELO.MDB.jet-origine")}));
}

TEST_F(AccessStart, AnOlderInstallationsAccessDatabaseIsConvertedInItsCopyOnly)
{
    const QString old = dirs.writeFile(dirs.programDir() + QStringLiteral("Data/Access/VIVRELO.MDB"), access);
    dirs.writeFile(dirs.programDir() + QStringLiteral("db.ini"), "[DataBase]\r\n");

    ASSERT_TRUE(start(olderItems)) << prompter.lastText().toStdString();
    EXPECT_EQ(titles(), QStringLiteral("Farine"));
    EXPECT_EQ(bytesOf(old), access);
    EXPECT_EQ(QDir(dirs.programDir() + QStringLiteral("Data/Access")).entryList(QDir::Files | QDir::Hidden),
              QStringList(QStringLiteral("VIVRELO.MDB")));
}

} // namespace
