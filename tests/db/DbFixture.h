#pragma once

#include "db/Connection.h"
#include "support/TestDirs.h"

#include <QFile>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace vivrelo::test {

// Tables in the shapes the program works with, declared with the schema's column types.
inline constexpr const char *SmallSchema = R"(
CREATE TABLE ITEMS (Id INTEGER PRIMARY KEY AUTOINCREMENT, Id_File SMALLINT, Sel YESNO DEFAULT 0,
  Quantity INTEGER DEFAULT 0, Title TEXT(128) COLLATE NOCASE, Mark TEXT(128) COLLATE NOCASE,
  Stock INTEGER, Price01 DOUBLE, Comment1 TEXT(128) COLLATE NOCASE, Misc11 LONGTEXT COLLATE NOCASE,
  Img1 BLOB);
CREATE TABLE BACKUP (DateSav DATETIME, TimeSav TEXT(5) COLLATE NOCASE,
  Description TEXT(128) COLLATE NOCASE, Path TEXT(255) COLLATE NOCASE);
CREATE TABLE CUSTOMLAB (Id_File SMALLINT, Price01 TEXT(128) COLLATE NOCASE,
  Price02 TEXT(128) COLLATE NOCASE, Price03 TEXT(128) COLLATE NOCASE);
)";

// Creates a database file with the engine itself (the program never creates one).
inline QString CreateDatabase(const QString &path, const char *sql = SmallSchema)
{
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
        SQLITE_OK);
    char *error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return path;
}

// The rows of a query, each as its columns' texts joined by "|".
inline QStringList Rows(Connection &c, const QString &sql)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(c.handle(), sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(c.handle());
        return {};
    }
    QStringList result;
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList cols;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            cols << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
        result << cols.join(QLatin1Char('|'));
    }
    sqlite3_finalize(st);
    return result;
}

inline QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A temporary folder with one open database of SmallSchema.
class DbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = CreateDatabase(dirs.root() + QStringLiteral("base.db"));
        conn.open(path);
    }
    TestDirs dirs;
    QString path;
    Connection conn;
};

} // namespace vivrelo::test
