#pragma once

#include <QString>

#include <functional>

namespace vivrelo {

class Connection;
class Prompter;

// Where the database lies and how it is reached, read from "db.ini" in the data directory.
// The seven stored values keep their bytes ("Data\", "Access\VIVRELO.MDB"); the derived
// directory is a native path ending with "/".
struct ConnectionConfig {
    QString provider = QStringLiteral("OLEDB"); // [DataBase] Provider: "OLEDB" or "ODBC", exact case
    QString databasePath = QStringLiteral("Data\\"); // [DataBase] Path
    QString dataSourceName = QStringLiteral("TALVANE_VIVRELO"); // [ODBC] Name
    QString odbcDriver = QStringLiteral("Microsoft Access Driver (*.mdb)"); // [ODBC] Driver
    QString odbcFileName = QStringLiteral("Access\\VIVRELO.MDB"); // [ODBC] Path
    QString oledbProvider = QStringLiteral("Microsoft.Jet.OLEDB.4.0"); // [OLEDB] Provider
    QString oledbFileName = QStringLiteral("Access\\VIVRELO.MDB"); // [OLEDB] FileName

    // Base directory + "Data/" when databasePath is exactly "Data\", else databasePath itself;
    // native, with a final separator.
    QString databaseDir;
    // The ODBC file name with the provider "ODBC", the OLE DB file name with "OLEDB", else
    // empty. A stored text: join it with NativePath.
    QString activeFileName;

    // databaseDir + OLE DB file name: the file the connection opens and the first run installs.
    QString databaseFile() const;
    // databaseDir + active file name.
    QString activeFile() const;
};

// The process-wide configuration, set by ReadConnectionConfig during start-up.
ConnectionConfig &DbConfig();

// The defaults db.ini is read and written with.
struct ConnectionDefaults {
    QString databasePath = QStringLiteral("Data\\");
    QString fileFolder = QStringLiteral("Access\\");
    QString fileName = QStringLiteral("VIVRELO.MDB");
    QString dataSourceName = QStringLiteral("TALVANE_VIVRELO");
};

// Reads dataDir + "db.ini" into DbConfig() and returns it. `fetchDataFile`, when given, is
// called first with "db.ini" (it copies an installed db.ini into the data directory when the
// directory has none). A db.ini that is missing after that is written with the values read,
// that is the defaults, in sections [DataBase], [ODBC] and [OLEDB]; missing or unreadable
// values read as their defaults. On the ODBC route the data source is set up (see TAddDSN);
// its outcome shows only when the connection opens.
const ConnectionConfig &ReadConnectionConfig(const QString &dataDir, const QString &baseDir,
    const ConnectionDefaults &defaults = {}, const std::function<void(const QString &)> &fetchDataFile = {});

// The two connection string templates and the string a connection starts with.
extern const QString OdbcConnectionTemplate;
extern const QString OledbConnectionTemplate;
extern const QString DesignTimeConnectionString; // "Provider=MSDASQL.1"

// The text with every "%PROVIDER%" and every "%DATASOURCE%" replaced.
QString FillConnectionTemplate(const QString &text, const QString &provider, const QString &dataSource);
// The connection string of a configuration: the ODBC template naming the data source, the
// OLE DB template naming the provider and the database file, or for any other provider the
// design-time string, which names no data source.
QString ConnectionStringFor(const ConnectionConfig &config);

// Opens a connection string: "Provider=MSDASQL.1;Data Source=NAME" opens the file that the
// data source NAME stands for, any other provider opens its Data Source as a file. Throws
// Error with a French message (no data source, unknown data source, the engine's refusal).
void OpenConnectionString(Connection &connection, const QString &text);

// True when DbConfig().databaseFile() is an existing file.
bool DatabaseFileExists();

// Opens the shared connection from DbConfig(). Without a database file nothing is tried.
// A failure clears App().ready and shows the error's text in a plain message; it returns
// whether the connection is open.
bool ConfigureConnection(Connection &connection, QString &connectionString, Prompter &prompter);

} // namespace vivrelo
