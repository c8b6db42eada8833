#include "db/DataSetRoutines.h"

#include "base/Error.h"
#include "base/Paths.h"
#include "db/Compaction.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/SqliteValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vivrelo {

bool IsDataSetEmpty(const DataSet &dataSet)
{
    return dataSet.bof() && dataSet.eof();
}

void EditIfNeeded(DataSet &dataSet)
{
    const DataSetState s = dataSet.state();
    if (s != DataSetState::Edit && s != DataSetState::Insert)
        dataSet.edit();
}

void PostIfEditing(DataSet &dataSet)
{
    const DataSetState s = dataSet.state();
    if (s == DataSetState::Edit || s == DataSetState::Insert)
        dataSet.post();
}

void RefreshKeepingId(DataSet &dataSet)
{
    qint64 id = -1;
    try {
        if (!IsDataSetEmpty(dataSet))
            id = dataSet.field(QStringLiteral("Id")).asInteger();
    } catch (const Error &) {
        id = -1;
    }
    // A pending edit is written rather than lost by the reopen.
    PostIfEditing(dataSet);
    dataSet.disableControls();
    try {
        dataSet.close();
        dataSet.open();
        if (id >= 0)
            dataSet.locate(QStringLiteral("Id"), QVariant(id));
    } catch (...) {
        dataSet.enableControls();
        throw;
    }
    dataSet.enableControls();
}

void ExecSqlText(DataSet &query, const QString &sql)
{
    query.execSql(sql);
}

namespace {

int findClauseLine(const QStringList &sql, QLatin1StringView keyword)
{
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i].toUpper().contains(keyword))
            return int(i);
    }
    return -1;
}

} // namespace

int FindFromLine(const QStringList &sql)
{
    return findClauseLine(sql, QLatin1StringView("FROM"));
}

int FindWhereLine(const QStringList &sql)
{
    return findClauseLine(sql, QLatin1StringView("WHERE"));
}

int FindHavingLine(const QStringList &sql)
{
    return findClauseLine(sql, QLatin1StringView("HAVING"));
}

int FindOrderByLine(const QStringList &sql)
{
    return findClauseLine(sql, QLatin1StringView("ORDER BY"));
}

void CompactDatabaseFile(const QString &source, const QString &destination)
{
    const auto failCompaction = [&source](const QString &reason) {
        fail(QStringLiteral("Le compactage de la base de données « %1 » a échoué :\r%2").arg(source, reason));
    };
    switch (DetectDatabaseFile(source)) {
    case DatabaseFileKind::Missing:
        failCompaction(QStringLiteral("le fichier est introuvable ou illisible."));
    case DatabaseFileKind::Jet:
        failCompaction(QStringLiteral("c'est une base de données Access/Jet, qui doit être "
                                      "convertie au format de ce programme."));
    case DatabaseFileKind::Other:
        failCompaction(QStringLiteral("ce n'est pas une base de données de ce programme."));
    case DatabaseFileKind::SQLite:
        break;
    }
    const QFileInfo sourceInfo(source);
    const QFileInfo destinationInfo(destination);
    if (destinationInfo.exists() && sourceInfo.canonicalFilePath() == destinationInfo.canonicalFilePath())
        failCompaction(QStringLiteral("la copie compactée doit être écrite dans un autre fichier."));
    if (destinationInfo.exists() && !destinationInfo.isFile())
        failCompaction(QStringLiteral("« %1 » n'est pas un fichier.").arg(destination));

    const QString work =
        destinationInfo.absoluteDir().filePath(destinationInfo.fileName() + QStringLiteral(".compactage"));
    QFile::remove(work);
    if (QFileInfo::exists(work))
        failCompaction(QStringLiteral("le fichier de travail « %1 » ne peut pas être remplacé.").arg(work));
    WriteCompactedCopy(source, work);
    // The rename replaces an existing destination in one step, once the copy is on the disk.
    if (!RenameDurably(work, destination)) {
        QFile::remove(work);
        failCompaction(QStringLiteral("le fichier « %1 » ne peut pas être remplacé.").arg(destination));
    }
}

namespace {

QDateTime &clockForTests()
{
    static QDateTime now;
    return now;
}

} // namespace

void SetClockForTests(const QDateTime &now)
{
    clockForTests() = now;
}

QDateTime CurrentDateTime()
{
    const QDateTime &fixed = clockForTests();
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

void AddHistoryRow(DataSet &backup, const QString &description, const QString &path)
{
    const QDateTime now = CurrentDateTime();
    backup.open();
    try {
        backup.append();
        backup.field(QStringLiteral("DateSav")).setValue(now.date().startOfDay());
        backup.field(QStringLiteral("TimeSav")).setValue(now.time().toString(QStringLiteral("hh:mm")));
        backup.field(QStringLiteral("Description")).setValue(description);
        backup.field(QStringLiteral("Path")).setValue(path);
        backup.post();
    } catch (...) {
        backup.cancel();
        backup.close();
        throw;
    }
    backup.close();
}

QString CaptionFromTitle(const QString &title)
{
    qsizetype start = 0;
    while (start < title.size() - 1 && title[start] == u' ')
        ++start;
    QString caption = title.mid(start);
    caption.replace(QStringLiteral("''"), QStringLiteral("'"));
    return caption;
}

} // namespace vivrelo
