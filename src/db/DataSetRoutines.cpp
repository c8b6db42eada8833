#include "db/DataSetRoutines.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/SqliteErrors.h"
#include "db/SqliteValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>

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

namespace {

// A read-only handle on a database file, closed on every path.
struct ReadOnlyDatabase {
    sqlite3 *db = nullptr;
    ~ReadOnlyDatabase() { sqlite3_close_v2(db); }
};

[[noreturn]] void failCompaction(const QString &source, const QString &reason)
{
    fail(QStringLiteral("Le compactage de la base de données « %1 » a échoué :\r%2").arg(source, reason));
}

// What a failed compaction leaves: the source is never touched.
QString CompactionKept()
{
    return QStringLiteral("la base de données n'a pas été modifiée");
}

QString checkResult(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    QString result;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        if (result != u"ok")
            result = ExplainFailure(QStringLiteral("La copie compactée est endommagée"), CompactionKept(), result);
    } else {
        result = SqliteErrorText(db, SQLITE_ERROR, CompactionKept());
    }
    sqlite3_finalize(st);
    return result;
}

} // namespace

void CompactDatabaseFile(const QString &source, const QString &destination)
{
    switch (DetectDatabaseFile(source)) {
    case DatabaseFileKind::Missing:
        failCompaction(source, QStringLiteral("le fichier est introuvable ou illisible."));
    case DatabaseFileKind::Jet:
        failCompaction(source,
            QStringLiteral("c'est une base de données Access/Jet, qui doit être "
                           "convertie au format de ce programme."));
    case DatabaseFileKind::Other:
        failCompaction(source, QStringLiteral("ce n'est pas une base de données de ce programme."));
    case DatabaseFileKind::SQLite:
        break;
    }
    const QFileInfo sourceInfo(source);
    const QFileInfo destinationInfo(destination);
    if (destinationInfo.exists() && sourceInfo.canonicalFilePath() == destinationInfo.canonicalFilePath())
        failCompaction(source, QStringLiteral("la copie compactée doit être écrite dans un autre fichier."));
    if (destinationInfo.exists() && !destinationInfo.isFile())
        failCompaction(source, QStringLiteral("« %1 » n'est pas un fichier.").arg(destination));

    const QString work =
        destinationInfo.absoluteDir().filePath(destinationInfo.fileName() + QStringLiteral(".compactage"));
    QFile::remove(work);
    if (QFileInfo::exists(work))
        failCompaction(source, QStringLiteral("le fichier de travail « %1 » ne peut pas être remplacé.").arg(work));

    auto removeWork = [&work] { QFile::remove(work); };
    {
        ReadOnlyDatabase in;
        if (const int rc = sqlite3_open_v2(source.toUtf8().constData(), &in.db, SQLITE_OPEN_READONLY, nullptr);
            rc != SQLITE_OK)
            failCompaction(source, SqliteErrorText(in.db, rc, CompactionKept()));
        RegisterNoCaseCollation(in.db);
        sqlite3_stmt *st = nullptr;
        int rc = sqlite3_prepare_v2(in.db, "VACUUM INTO ?", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            const QByteArray target = work.toUtf8();
            sqlite3_bind_text(st, 1, target.constData(), int(target.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(st);
        }
        const QString message = SqliteErrorText(in.db, rc, CompactionKept());
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE && rc != SQLITE_OK) {
            removeWork();
            failCompaction(source, message);
        }
    }
    {
        // The copy is checked before it may replace anything.
        ReadOnlyDatabase out;
        QString verdict;
        const int rc = sqlite3_open_v2(work.toUtf8().constData(), &out.db, SQLITE_OPEN_READONLY, nullptr);
        if (rc == SQLITE_OK) {
            RegisterNoCaseCollation(out.db);
            verdict = checkResult(out.db);
        } else {
            verdict = SqliteErrorText(out.db, rc, CompactionKept());
        }
        if (verdict != u"ok") {
            sqlite3_close_v2(out.db);
            out.db = nullptr;
            removeWork();
            failCompaction(source, verdict);
        }
    }
    // rename() replaces an existing destination in one step.
    if (std::rename(QFile::encodeName(work).constData(), QFile::encodeName(destination).constData()) != 0) {
        removeWork();
        failCompaction(source, QStringLiteral("le fichier « %1 » ne peut pas être remplacé.").arg(destination));
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
