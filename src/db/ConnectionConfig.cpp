#include "db/ConnectionConfig.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/IniFile.h"
#include "base/Paths.h"
#include "base/Prompter.h"
#include "db/AddDSN.h"
#include "db/Connection.h"

namespace vivrelo {

const QString OdbcConnectionTemplate =
    QStringLiteral("Provider=MSDASQL.1;Data Source=%DATASOURCE%;Persist Security Info=True;Mode=ReadWrite");
const QString OledbConnectionTemplate =
    QStringLiteral("Provider=%PROVIDER%;Data Source=%DATASOURCE%;Mode=ReadWrite;Jet OLEDB:Engine Type=5;"
                   "Jet OLEDB:Database Locking Mode=1;Jet OLEDB:Global Partial Bulk Ops=2;"
                   "Jet OLEDB:Global Bulk Transactions=1;Jet OLEDB:Create System Database=False;"
                   "Jet OLEDB:Encrypt Database=False;Jet OLEDB:Don't Copy Locale on Compact=False;"
                   "Jet OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False");
const QString DesignTimeConnectionString = QStringLiteral("Provider=MSDASQL.1");

namespace {

const QString DataBaseSection = QStringLiteral("DataBase");
const QString OdbcSection = QStringLiteral("ODBC");
const QString OledbSection = QStringLiteral("OLEDB");
const QString OdbcBridge = QStringLiteral("MSDASQL.1");

// The value of one key of a connection string ("Key=Value;..."), keys without regard to case.
QString connectionStringValue(const QString &text, const QString &key)
{
    for (const QString &part : text.split(QLatin1Char(';'))) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1).trimmed();
    }
    return {};
}

// A value as it can stand in a connection string: quoted when it holds a separator.
QString quotedValue(const QString &value)
{
    if (!value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('"'))
        && !value.startsWith(QLatin1Char('\'')))
        return value;
    return QLatin1Char('"') + value + QLatin1Char('"');
}

} // namespace

// Before the configuration is read there is no database directory, hence no file.
QString ConnectionConfig::databaseFile() const
{
    return databaseDir.isEmpty() ? QString() : IncludeBackslash(databaseDir) + NativePath(oledbFileName);
}

QString ConnectionConfig::activeFile() const
{
    return databaseDir.isEmpty() ? QString() : IncludeBackslash(databaseDir) + NativePath(activeFileName);
}

ConnectionConfig &DbConfig()
{
    static ConnectionConfig config;
    return config;
}

const ConnectionConfig &ReadConnectionConfig(const QString &dataDir, const QString &baseDir,
    const ConnectionDefaults &defaults, const std::function<void(const QString &)> &fetchDataFile)
{
    const QString name = QStringLiteral("db.ini");
    if (fetchDataFile)
        fetchDataFile(name);
    const QString path = IncludeBackslash(dataDir) + name;
    const IniFile stored(path);
    const QString defaultFile = defaults.fileFolder + defaults.fileName;

    ConnectionConfig c;
    c.provider = stored.readString(DataBaseSection, QStringLiteral("Provider"), QStringLiteral("OLEDB"));
    c.databasePath = stored.readString(DataBaseSection, QStringLiteral("Path"), defaults.databasePath);
    c.dataSourceName = stored.readString(OdbcSection, QStringLiteral("Name"), defaults.dataSourceName);
    c.odbcDriver =
        stored.readString(OdbcSection, QStringLiteral("Driver"), QStringLiteral("Microsoft Access Driver (*.mdb)"));
    c.odbcFileName = stored.readString(OdbcSection, QStringLiteral("Path"), defaultFile);
    c.oledbProvider =
        stored.readString(OledbSection, QStringLiteral("Provider"), QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    c.oledbFileName = stored.readString(OledbSection, QStringLiteral("FileName"), defaultFile);

    if (!FileExists(path)) {
        IniFile written;
        written.load(path);
        written.setValue(DataBaseSection, QStringLiteral("Provider"), c.provider);
        written.setValue(DataBaseSection, QStringLiteral("Path"), c.databasePath);
        written.setValue(OdbcSection, QStringLiteral("Name"), c.dataSourceName);
        written.setValue(OdbcSection, QStringLiteral("Driver"), c.odbcDriver);
        written.setValue(OdbcSection, QStringLiteral("Path"), c.odbcFileName);
        written.setValue(OledbSection, QStringLiteral("Provider"), c.oledbProvider);
        written.setValue(OledbSection, QStringLiteral("FileName"), c.oledbFileName);
        written.save(); // a data directory that cannot be written is reported by the write-rights test
    }

    // Only the exact stored text "Data\" means the folder under the base directory.
    if (c.databasePath == QLatin1String("Data\\"))
        c.databaseDir = IncludeBackslash(baseDir) + QStringLiteral("Data/");
    else
        c.databaseDir = IncludeBackslash(NativePath(c.databasePath));
    if (c.provider == QLatin1String("ODBC"))
        c.activeFileName = c.odbcFileName;
    else if (c.provider == QLatin1String("OLEDB"))
        c.activeFileName = c.oledbFileName;

    if (c.provider == QLatin1String("ODBC") && !c.odbcFileName.isEmpty()) {
        TAddDSN dsn;
        dsn.DSN_Name = c.dataSourceName;
        dsn.DSN_Driver = c.odbcDriver;
        dsn.DSN_Path = c.databaseDir + NativePath(c.odbcFileName);
        dsn.AddDataSource(); // a failure shows when the connection opens
    }
    DbConfig() = c;
    return DbConfig();
}

QString FillConnectionTemplate(const QString &text, const QString &provider, const QString &dataSource)
{
    QString result = text;
    result.replace(QStringLiteral("%PROVIDER%"), provider);
    result.replace(QStringLiteral("%DATASOURCE%"), dataSource);
    return result;
}

QString ConnectionStringFor(const ConnectionConfig &config)
{
    if (config.provider == QLatin1String("ODBC"))
        return FillConnectionTemplate(OdbcConnectionTemplate, QString(), config.dataSourceName);
    if (config.provider == QLatin1String("OLEDB"))
        return FillConnectionTemplate(
            OledbConnectionTemplate, config.oledbProvider, quotedValue(config.databaseFile()));
    return DesignTimeConnectionString;
}

void OpenConnectionString(Connection &connection, const QString &text)
{
    const QString source = DataSourceFromConnectionString(text);
    if (source.isEmpty())
        fail(QStringLiteral("Aucune source de données n'est indiquée pour la connexion à la base de données."));
    if (connectionStringValue(text, QStringLiteral("Provider")).compare(OdbcBridge, Qt::CaseInsensitive) == 0) {
        const QString file = DataSourceFile(source);
        if (file.isEmpty())
            fail(QStringLiteral("La source de données \"%1\" n'est pas définie.").arg(source));
        connection.open(file);
        return;
    }
    connection.openConnectionString(text);
}

bool DatabaseFileExists()
{
    return FileExists(DbConfig().databaseFile());
}

bool ConfigureConnection(Connection &connection, QString &connectionString, Prompter &prompter)
{
    if (!DatabaseFileExists())
        return false;
    connection.close();
    connectionString = ConnectionStringFor(DbConfig());
    try {
        OpenConnectionString(connection, connectionString);
    } catch (const Error &e) {
        App().ready = false;
        prompter.plain(e.message());
        return false;
    }
    return true;
}

} // namespace vivrelo
