#include "base/AppValues.h"

#include "base/Paths.h"

namespace vivrelo {

AppValues &App()
{
    static AppValues values;
    return values;
}

QString UpgradeScriptNameFor(const QString &v)
{
    QString name = QStringLiteral("BD_");
    for (int i : {0, 2, 3})
        if (i < v.size())
            name += v.at(i);
    return name + QStringLiteral(".maj");
}

void InitApplicationValues(const QString &programDir)
{
    AppValues &a = App();
    a = AppValues();
    a.vistaOrLater = false;
    a.programDir = IncludeBackslash(programDir);
    a.reportsDir = a.programDir + QStringLiteral("Reports/");
    a.helpFile = a.programDir + QStringLiteral("doc.html");
    a.dataDir = a.programDir;
    a.ownerCentring = true;
    a.upgradeScriptName = UpgradeScriptNameFor(a.productVersion);
}

QString ShortDate(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString LongTime(const QTime &time)
{
    return time.toString(QStringLiteral("hh:mm:ss"));
}

QDate ParseShortDate(const QString &text)
{
    return QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
}

} // namespace vivrelo
