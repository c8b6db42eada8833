#pragma once

#include <QByteArray>
#include <QString>

namespace vivrelo {

// Sets up the data source of the ODBC route: a name standing for a database file.
class TAddDSN
{
public:
    QString DSN_Name;
    QString DSN_Path; // full path of the database file
    QString DSN_Driver = QStringLiteral("Microsoft Access Driver (*.mdb)");

    // Adds the data source, or updates the one of that name. False without calling the
    // installer when DSN_Path is not an existing file, else the installer's answer.
    bool AddDataSource() const;
    // "dsn=NAME\0DBQ=PATH\0\0": the attribute list handed to the installer.
    QByteArray attributes() const;
};

// Requests understood by ConfigDataSource.
enum class DataSourceRequest { AddSystem = 4 };

// Our stand-in for the ODBC installer: the data sources are sections of a profile file in the
// user's configuration folder (DataSourcesFile()), keys Driver and DBQ. `attributes` is a list
// of "key=value" texts each ended by a NUL, the list ended by a second NUL; it must hold "dsn"
// and "DBQ" (keys without regard to case). Returns false for a malformed list or a file that
// cannot be written.
bool ConfigDataSource(DataSourceRequest request, const QString &driver, const QByteArray &attributes);

// $XDG_CONFIG_HOME/vivrelo/odbc.ini (or ~/.config/vivrelo/odbc.ini).
QString DataSourcesFile();
// The database file the data source stands for; empty when there is no such data source.
QString DataSourceFile(const QString &name);

} // namespace vivrelo
