#include "db/AddDSN.h"

#include "base/IniFile.h"
#include "base/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vivrelo {

QByteArray TAddDSN::attributes() const
{
    QByteArray list = "dsn=" + DSN_Name.toUtf8();
    list += '\0';
    list += "DBQ=" + DSN_Path.toUtf8();
    list += '\0';
    list += '\0';
    return list;
}

bool TAddDSN::AddDataSource() const
{
    if (!FileExists(DSN_Path))
        return false;
    return ConfigDataSource(DataSourceRequest::AddSystem, DSN_Driver, attributes());
}

QString DataSourcesFile()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config");
    return IncludeBackslash(dir) + QStringLiteral("vivrelo/odbc.ini");
}

bool ConfigDataSource(DataSourceRequest request, const QString &driver, const QByteArray &attributes)
{
    if (request != DataSourceRequest::AddSystem || !attributes.endsWith(QByteArray(2, '\0')))
        return false;
    QString name, path;
    // The list is "key=value\0" pairs closed by an empty entry.
    for (const QByteArray &pair : attributes.left(attributes.size() - 2).split('\0')) {
        const int eq = pair.indexOf('=');
        if (eq <= 0)
            return false;
        const QString key = QString::fromUtf8(pair.left(eq)).trimmed();
        const QString value = QString::fromUtf8(pair.mid(eq + 1));
        if (key.compare(QStringLiteral("dsn"), Qt::CaseInsensitive) == 0)
            name = value;
        else if (key.compare(QStringLiteral("DBQ"), Qt::CaseInsensitive) == 0)
            path = value;
    }
    // A name that would break the section line cannot be stored.
    if (name.trimmed().isEmpty() || path.isEmpty() || name.contains(QLatin1Char(']'))
        || name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        return false;
    const QString file = DataSourcesFile();
    QDir().mkpath(QFileInfo(file).path());
    IniFile ini(file);
    ini.setValue(name, QStringLiteral("Driver"), driver);
    ini.setValue(name, QStringLiteral("DBQ"), path);
    return ini.save();
}

QString DataSourceFile(const QString &name)
{
    if (name.isEmpty())
        return {};
    return IniFile(DataSourcesFile()).readString(name, QStringLiteral("DBQ"), QString());
}

} // namespace vivrelo
