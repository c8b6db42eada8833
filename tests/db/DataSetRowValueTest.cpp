#include "DbFixture.h"
#include "db/DataSet.h"

using namespace vivrelo;

namespace {
using RowValueTest = test::DbTest;
}

// A grid reads every row without moving the dataset: stored values elsewhere, the edit buffer
// on the current row, large columns on demand, and nothing outside the rows.
TEST_F(RowValueTest, RowsReadWithoutMovingTheCurrentRow)
{
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Stock, Misc11) VALUES (-1, 'Ail', 1, 'note a'),"
                             " (-1, 'Beurre', 2, 'note b'), (-1, 'Café', 3, NULL)"));
    DataSet ds(&conn);
    ds.setSql(
        {QStringLiteral("SELECT * FROM ITEMS"), QStringLiteral("WHERE ID_FILE=-1"), QStringLiteral("ORDER BY TITLE")});
    ds.open();
    const int title = ds.findField(QStringLiteral("Title"));
    const int stock = ds.findField(QStringLiteral("Stock"));
    const int memo = ds.findField(QStringLiteral("Misc11"));
    int scrolls = 0;
    ds.subscribe([&](const DataSet::Notification &n) { scrolls += n.event == DataSet::Event::Scrolled; });

    ds.moveTo(1);
    scrolls = 0;
    EXPECT_EQ(ds.rowValue(2, title).toString(), QStringLiteral("Café"));
    EXPECT_EQ(ds.rowValue(0, memo).toString(), QStringLiteral("note a"));
    EXPECT_FALSE(ds.rowValue(2, memo).isValid());
    EXPECT_FALSE(ds.rowValue(3, title).isValid());
    EXPECT_FALSE(ds.rowValue(-1, title).isValid());
    EXPECT_EQ(ds.currentIndex(), 1);
    EXPECT_EQ(scrolls, 0);

    ds.edit();
    ds.field(QStringLiteral("Stock")).setValue(9);
    EXPECT_EQ(ds.rowValue(1, stock).toInt(), 9);
    EXPECT_EQ(ds.rowValue(0, stock).toInt(), 1);
    ds.cancel();
    EXPECT_EQ(ds.rowValue(1, stock).toInt(), 2);
}
