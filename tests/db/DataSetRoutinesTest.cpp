#include "DbFixture.h"

#include "base/Error.h"
#include "db/DataSet.h"
#include "db/DataSetRoutines.h"

#include <QFileInfo>

using namespace vivrelo;
using vivrelo::test::DbTest;

TEST(ClauseLines, KeywordsAreFoundByLineWhateverTheirCase)
{
    const QStringList format{QStringLiteral("SELECT * FROM FORMATLIST"), QStringLiteral("WHERE ID_FILE=-1")};
    EXPECT_EQ(FindFromLine(format), 0);
    EXPECT_EQ(FindWhereLine(format), 1);
    EXPECT_EQ(FindOrderByLine(format), -1);
    EXPECT_EQ(FindHavingLine(format), -1);
    EXPECT_EQ(FindOrderByLine({QStringLiteral("select x"), QStringLiteral("from T"), QStringLiteral("order by x")}), 2);
    EXPECT_EQ(FindFromLine({QStringLiteral("SELECT FromDate"), QStringLiteral("FROM T")}), 0); // substring match
    EXPECT_EQ(FindWhereLine({}), -1);
}

TEST(CaptionFromTitle, DropsLeadingBlanksAndDoubledApostrophes)
{
    EXPECT_EQ(
        CaptionFromTitle(QStringLiteral("  Historique des sauvegardes")), QStringLiteral("Historique des sauvegardes"));
    EXPECT_EQ(CaptionFromTitle(QStringLiteral("   ")), QStringLiteral(" "));
    EXPECT_EQ(CaptionFromTitle(QStringLiteral(" L''aide")), QStringLiteral("L'aide"));
    EXPECT_EQ(CaptionFromTitle(QString()), QString());
}

TEST_F(DbTest, RefreshKeepingIdReturnsToTheRowOrToTheFirst)
{
    DataSet ds(&conn);
    ds.setSql({QStringLiteral("SELECT Id, Title FROM ITEMS"), QStringLiteral("ORDER BY TITLE")});
    ds.open();
    RefreshKeepingId(ds); // empty: reopened, nothing to find
    EXPECT_TRUE(ds.isActive());
    EXPECT_TRUE(IsDataSetEmpty(ds));

    conn.exec(QStringLiteral("INSERT INTO ITEMS (Title) VALUES ('A'), ('B'), ('C')"));
    RefreshKeepingId(ds);
    EXPECT_FALSE(IsDataSetEmpty(ds));
    ds.last();
    RefreshKeepingId(ds);
    EXPECT_EQ(ds.field(QStringLiteral("Title")).asString(), QStringLiteral("C"));
    conn.exec(QStringLiteral("DELETE FROM ITEMS WHERE Title='C'"));
    RefreshKeepingId(ds);
    EXPECT_EQ(ds.field(QStringLiteral("Title")).asString(), QStringLiteral("A"));

    // A pending edit survives the refresh.
    EditIfNeeded(ds);
    EditIfNeeded(ds);
    ds.field(QStringLiteral("Title")).setValue(QStringLiteral("A2"));
    RefreshKeepingId(ds);
    EXPECT_EQ(ds.field(QStringLiteral("Title")).asString(), QStringLiteral("A2"));
    PostIfEditing(ds); // browsing: nothing to do
    EXPECT_EQ(ds.state(), DataSetState::Browse);
}

TEST_F(DbTest, ExecSqlTextRunsAStatementOnAQuery)
{
    DataSet query(&conn);
    query.setSqlText(QStringLiteral("SELECT * FROM ITEMS"));
    query.open();
    ExecSqlText(query, QStringLiteral("INSERT INTO ITEMS (Title) VALUES ('x')"));
    EXPECT_FALSE(query.isActive());
    EXPECT_EQ(conn.scalar(QStringLiteral("SELECT count(*) FROM ITEMS")).toInt(), 1);
    EXPECT_THROW(ExecSqlText(query, QStringLiteral("UPDATE ITEMS SET Nope=1")), Error);
}

TEST_F(DbTest, HistoryRowTakesTheDayAndTheMinute)
{
    SetClockForTests(QDateTime(QDate(2025, 3, 14), QTime(9, 5, 59)));
    DataSet backup(&conn);
    backup.setSqlText(QStringLiteral("SELECT * FROM BACKUP"));
    AddHistoryRow(backup, QStringLiteral("Compactage de la base de données"), path);
    SetClockForTests(QDateTime());
    EXPECT_FALSE(backup.isActive());
    EXPECT_EQ(
        conn.scalar(QStringLiteral("SELECT DateSav||'|'||TimeSav||'|'||Description||'|'||Path FROM BACKUP")).toString(),
        QStringLiteral("2025-03-14 00:00:00|09:05|Compactage de la base de données|") + path);
    backup.open();
    EXPECT_EQ(backup.field(QStringLiteral("DateSav")).asDateTime(), QDateTime(QDate(2025, 3, 14), QTime(0, 0)));
}

TEST_F(DbTest, CompactionWritesACheckedCopyAndNeverTouchesTheSource)
{
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Title, Img1) VALUES ('A', zeroblob(100000)); DELETE FROM ITEMS;"
                             "INSERT INTO ITEMS (Title) VALUES ('Crème')"));
    conn.close();
    const QByteArray before = test::ReadFile(path);
    const QString target = dirs.root() + QStringLiteral("compact.db");
    dirs.writeFile(target, "older copy");
    CompactDatabaseFile(path, target);
    EXPECT_EQ(test::ReadFile(path), before);
    EXPECT_LT(QFileInfo(target).size(), QFileInfo(path).size());
    Connection copy;
    copy.open(target);
    EXPECT_EQ(copy.scalar(QStringLiteral("SELECT Title FROM ITEMS")).toString(), QStringLiteral("Crème"));
    copy.close();
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral(".compactage")));

    // A Jet file or a damaged file is refused and the destination stays as it was.
    const QByteArray jet = QByteArray("\0\x01\0\0Standard Jet DB\0", 20) + QByteArray(4000, '\0');
    const QString jetPath = dirs.writeFile(dirs.root() + QStringLiteral("old.mdb"), jet);
    const QByteArray compacted = test::ReadFile(target);
    EXPECT_THROW(CompactDatabaseFile(jetPath, target), Error);
    QByteArray damaged = before;
    damaged.replace(100, 3000, QByteArray(3000, '\xAB'));
    const QString damagedPath = dirs.writeFile(dirs.root() + QStringLiteral("damaged.db"), damaged);
    try {
        CompactDatabaseFile(damagedPath, target);
        FAIL() << "a damaged source was compacted";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("compactage"))) << e.what();
    }
    EXPECT_EQ(test::ReadFile(jetPath), jet);
    EXPECT_EQ(test::ReadFile(target), compacted);
    EXPECT_THROW(CompactDatabaseFile(path, path), Error);
}
