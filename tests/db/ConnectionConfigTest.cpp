#include "db/ConnectionConfig.h"
#include "base/AppValues.h"
#include "base/IniFile.h"
#include "base/Prompter.h"
#include "db/AddDSN.h"
#include "db/Connection.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ConnectionConfigTest : public ::testing::Test
{
protected:
    void SetUp() override { QDir().mkpath(dataDir()); }
    QString dataDir() const { return dirs.root() + QStringLiteral("data/"); }
    QString dbIni() const { return dataDir() + QStringLiteral("db.ini"); }
    QString templateDb() const { return dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"); }
    // Installs the template database at `path`.
    void installDatabase(const QString &path) const
    {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(QFile::copy(templateDb(), path));
    }

    test::TestDirs dirs;
    ScriptedPrompter prompter;
    Connection connection;
    QString connectionString;
};

} // namespace

TEST_F(ConnectionConfigTest, MissingDbIniIsWrittenWithTheSevenDefaultsAndOpensTheDefaultFile)
{
    const ConnectionConfig &c = ReadConnectionConfig(dataDir(), dataDir());
    EXPECT_EQ(readAll(dbIni()),
        QByteArray(
            "[DataBase]\r\nProvider=OLEDB\r\nPath=Data\\\r\n"
            "[ODBC]\r\nName=TALVANE_VIVRELO\r\nDriver=Microsoft Access Driver (*.mdb)\r\nPath=Access\\VIVRELO.MDB\r\n"
            "[OLEDB]\r\nProvider=Microsoft.Jet.OLEDB.4.0\r\nFileName=Access\\VIVRELO.MDB\r\n"));
    EXPECT_EQ(c.databaseDir, dataDir() + QStringLiteral("Data/"));
    EXPECT_EQ(c.activeFileName, QStringLiteral("Access\\VIVRELO.MDB"));
    const QString file = dataDir() + QStringLiteral("Data/Access/VIVRELO.MDB");
    EXPECT_EQ(c.databaseFile(), file);
    EXPECT_EQ(ConnectionStringFor(c),
        FillConnectionTemplate(OledbConnectionTemplate, QStringLiteral("Microsoft.Jet.OLEDB.4.0"), file));
    EXPECT_EQ(OledbConnectionTemplate.size(), 374);

    installDatabase(file);
    ASSERT_TRUE(ConfigureConnection(connection, connectionString, prompter));
    EXPECT_EQ(QFileInfo(connection.path()).canonicalFilePath(), QFileInfo(file).canonicalFilePath());
    EXPECT_TRUE(App().ready);
    EXPECT_TRUE(prompter.asked().empty());
}

TEST_F(ConnectionConfigTest, StoredValuesAreKeptAndTheDatabasePathIsTakenAsItStands)
{
    const QByteArray stored = "[DataBase]\r\nProvider=OLEDB\r\nPath=" + (dirs.root() + QStringLiteral("Bases")).toUtf8()
        + "\r\n[OLEDB]\r\nFileName=Access\\Maison.mdb\r\n";
    dirs.writeFile(dbIni(), stored);
    const ConnectionConfig &c = ReadConnectionConfig(dataDir(), dataDir());
    EXPECT_EQ(c.databaseDir, dirs.root() + QStringLiteral("Bases/"));
    EXPECT_EQ(c.oledbFileName, QStringLiteral("Access\\Maison.mdb"));
    EXPECT_EQ(c.databaseFile(), dirs.root() + QStringLiteral("Bases/Access/Maison.mdb"));
    EXPECT_EQ(c.dataSourceName, QStringLiteral("TALVANE_VIVRELO")); // missing keys read as defaults
    EXPECT_EQ(readAll(dbIni()), stored); // an existing file is never rewritten

    // Only the exact text "Data\" means the folder under the data directory.
    dirs.writeFile(dbIni(), "[DataBase]\r\nPath=data\\\r\n");
    EXPECT_EQ(ReadConnectionConfig(dataDir(), dataDir()).databaseDir, QStringLiteral("data/"));
}

TEST_F(ConnectionConfigTest, MalformedDbIniReadsAsDefaultsAndIsLeftAlone)
{
    static const char bytes[] = "\xff\xfe\x00garbage\r\n[DataBase\r\nProvider OLEDB\r\n=Data\r\n\x01\x02";
    const QByteArray garbage(bytes, sizeof bytes - 1);
    dirs.writeFile(dbIni(), garbage);
    const ConnectionConfig &c = ReadConnectionConfig(dataDir(), dataDir());
    EXPECT_EQ(c.provider, QStringLiteral("OLEDB"));
    EXPECT_EQ(c.databaseDir, dataDir() + QStringLiteral("Data/"));
    EXPECT_EQ(c.oledbFileName, QStringLiteral("Access\\VIVRELO.MDB"));
    EXPECT_EQ(readAll(dbIni()), garbage);
}

TEST_F(ConnectionConfigTest, InstalledDbIniIsFetchedBeforeReading)
{
    QStringList fetched;
    const ConnectionConfig &c = ReadConnectionConfig(dataDir(), dataDir(), {}, [&](const QString &name) {
        fetched << name;
        dirs.writeFile(dataDir() + name, "[DataBase]\r\nProvider=ODBC\r\n");
    });
    EXPECT_EQ(fetched, QStringList{QStringLiteral("db.ini")});
    EXPECT_EQ(c.provider, QStringLiteral("ODBC"));
}

TEST_F(ConnectionConfigTest, OdbcRouteSetsUpTheDataSourceAndOpensThroughIt)
{
    dirs.writeFile(dbIni(), "[DataBase]\r\nProvider=ODBC\r\n[ODBC]\r\nName=MA_SOURCE\r\nPath=Access\\Odbc.mdb\r\n");
    const QString odbcFile = dataDir() + QStringLiteral("Data/Access/Odbc.mdb");
    installDatabase(odbcFile);
    const ConnectionConfig &c = ReadConnectionConfig(dataDir(), dataDir());
    EXPECT_EQ(c.activeFileName, QStringLiteral("Access\\Odbc.mdb"));
    EXPECT_EQ(DataSourceFile(QStringLiteral("MA_SOURCE")), odbcFile);
    EXPECT_EQ(IniFile(DataSourcesFile()).readString(QStringLiteral("MA_SOURCE"), QStringLiteral("Driver"), {}),
        QStringLiteral("Microsoft Access Driver (*.mdb)"));
    EXPECT_EQ(ConnectionStringFor(c),
        QStringLiteral("Provider=MSDASQL.1;Data Source=MA_SOURCE;Persist Security Info=True;Mode=ReadWrite"));

    // The existence test still looks at the OLE DB file name: without it nothing is tried.
    EXPECT_FALSE(ConfigureConnection(connection, connectionString, prompter));
    EXPECT_TRUE(prompter.asked().empty());
    EXPECT_TRUE(App().ready);

    installDatabase(c.databaseFile());
    ASSERT_TRUE(ConfigureConnection(connection, connectionString, prompter));
    EXPECT_EQ(QFileInfo(connection.path()).canonicalFilePath(), QFileInfo(odbcFile).canonicalFilePath());
}

TEST_F(ConnectionConfigTest, ProviderOfAnotherCaseIsNeitherRouteAndFailsToOpen)
{
    dirs.writeFile(dbIni(), "[DataBase]\r\nProvider=odbc\r\n");
    const ConnectionConfig &c = ReadConnectionConfig(dataDir(), dataDir());
    EXPECT_TRUE(c.activeFileName.isEmpty());
    EXPECT_FALSE(QFile::exists(DataSourcesFile()));
    EXPECT_EQ(ConnectionStringFor(c), QStringLiteral("Provider=MSDASQL.1"));

    installDatabase(c.databaseFile());
    EXPECT_FALSE(ConfigureConnection(connection, connectionString, prompter));
    EXPECT_FALSE(connection.isOpen());
    EXPECT_FALSE(App().ready);
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked().front().kind, MessageKind::Plain);
}

TEST_F(ConnectionConfigTest, FileThatIsNotOurDatabaseIsRefusedAndLeftUntouched)
{
    const ConnectionConfig &c = ReadConnectionConfig(dataDir(), dataDir());
    const QByteArray jet = QByteArray("\0\x01\0\0Standard Jet DB\0", 20) + QByteArray(2000, '\x5a');
    dirs.writeFile(c.databaseFile(), jet);
    EXPECT_FALSE(ConfigureConnection(connection, connectionString, prompter));
    EXPECT_FALSE(App().ready);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("Access")));
    EXPECT_EQ(readAll(c.databaseFile()), jet);

    App().ready = true;
    dirs.writeFile(c.databaseFile(), "liste de courses\r\n");
    EXPECT_FALSE(ConfigureConnection(connection, connectionString, prompter));
    EXPECT_FALSE(App().ready);
    EXPECT_EQ(readAll(c.databaseFile()), QByteArray("liste de courses\r\n"));
}

TEST(ConnectionTemplate, EveryPlaceholderIsReplaced)
{
    EXPECT_EQ(FillConnectionTemplate(QStringLiteral("%PROVIDER%;%DATASOURCE%;%PROVIDER%|%DATASOURCE%"),
                  QStringLiteral("P"), QStringLiteral("/d b")),
        QStringLiteral("P;/d b;P|/d b"));
    ConnectionConfig c;
    c.databaseDir = QStringLiteral("/a;b/");
    EXPECT_EQ(DataSourceFromConnectionString(ConnectionStringFor(c)), QStringLiteral("/a;b/Access/VIVRELO.MDB"));
}

TEST(AddDataSource, MissingFileIsRefusedAndAnExistingSourceIsUpdated)
{
    test::TestDirs dirs;
    TAddDSN dsn;
    dsn.DSN_Name = QStringLiteral("COURSES");
    dsn.DSN_Path = dirs.root() + QStringLiteral("absent.mdb");
    EXPECT_FALSE(dsn.AddDataSource());
    EXPECT_FALSE(QFile::exists(DataSourcesFile()));
    EXPECT_EQ(dsn.attributes(), QByteArray("dsn=COURSES\0DBQ=", 16) + dsn.DSN_Path.toUtf8() + QByteArray("\0\0", 2));

    dsn.DSN_Path = dirs.writeFile(dirs.root() + QStringLiteral("a.mdb"), "x");
    EXPECT_TRUE(dsn.AddDataSource());
    dsn.DSN_Path = dirs.writeFile(dirs.root() + QStringLiteral("b.mdb"), "x");
    EXPECT_TRUE(dsn.AddDataSource());
    EXPECT_EQ(DataSourceFile(QStringLiteral("courses")), dsn.DSN_Path);
    EXPECT_EQ(readAll(DataSourcesFile()).count("[COURSES]"), 1);

    EXPECT_FALSE(ConfigDataSource(DataSourceRequest::AddSystem, dsn.DSN_Driver, QByteArray("dsn=X", 5)));
    EXPECT_TRUE(DataSourceFile(QStringLiteral("INCONNUE")).isEmpty());
}
