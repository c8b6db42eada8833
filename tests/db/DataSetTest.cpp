#include "DbFixture.h"

#include "base/Error.h"
#include "db/DataSet.h"
#include "db/DataSetRoutines.h"

using namespace vivrelo;
using vivrelo::test::DbTest;

namespace {

QString str(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

class DataSetTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        conn.exec(
            QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Stock, Price01, Comment1, Misc11, Img1) VALUES "
                           "(-1, 'Lait', 'X', 2, 1.5, 'blanc', 'notes lait', x'01020304'),"
                           "(-1, 'Beurre', '', 1, 2.25, NULL, NULL, NULL),"
                           "(-1, 'Café', 'Y', 0, 4.0, 'noir', '123', x'FFFE');"));
    }
    QVariant db(const QString &sql) { return conn.scalar(sql); }
};

} // namespace

TEST_F(DataSetTest, FieldsChangeOnlyInEditAndPostWritesWhatChanged)
{
    DataSet ds(&conn);
    ds.setSql(
        {QStringLiteral("SELECT * FROM ITEMS"), QStringLiteral("WHERE ID_FILE=-1"), QStringLiteral("ORDER BY TITLE")});
    ds.open();
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(ds.field(QStringLiteral("TITLE")).asString(), QStringLiteral("Beurre"));
    EXPECT_THROW(ds.field(QStringLiteral("Stock")).setValue(5), Error);
    EXPECT_THROW(ds.field(QStringLiteral("Nothing")), Error);

    ds.edit();
    ds.field(QStringLiteral("Stock")).setValue(7);
    EXPECT_EQ(ds.field(QStringLiteral("Stock")).asInteger(), 7);
    ds.cancel();
    EXPECT_EQ(ds.field(QStringLiteral("Stock")).asInteger(), 1);

    // Another writer changes Mark meanwhile: our post writes Stock only.
    ds.edit();
    ds.field(QStringLiteral("Stock")).setValue(9);
    ds.field(QStringLiteral("Sel")).setValue(true);
    conn.exec(QStringLiteral("UPDATE ITEMS SET Mark='Z' WHERE Title='Beurre'"));
    ds.post();
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    EXPECT_EQ(db(QStringLiteral("SELECT Stock||'/'||Sel||'/'||Mark FROM ITEMS WHERE Title='Beurre'")).toString(),
        QStringLiteral("9/1/Z"));
    EXPECT_EQ(ds.field(QStringLiteral("Mark")).asString(), QStringLiteral("Z")); // read back
    EXPECT_TRUE(ds.field(QStringLiteral("Sel")).asBool());
    EXPECT_EQ(ds.field(QStringLiteral("Sel")).asString(), QStringLiteral("True"));

    // Moving posts a pending edit.
    ds.edit();
    ds.field(QStringLiteral("Price01")).setValue(3.75);
    ds.next();
    EXPECT_DOUBLE_EQ(db(QStringLiteral("SELECT Price01 FROM ITEMS WHERE Title='Beurre'")).toDouble(), 3.75);
}

TEST_F(DataSetTest, ValuesThatDoNotFitTheirColumnAreRefusedNotCut)
{
    DataSet ds(&conn);
    ds.setSqlText(QStringLiteral("SELECT * FROM BACKUP"));
    ds.open();
    ds.append();
    ds.field(QStringLiteral("TimeSav")).setValue(QStringLiteral("12:34")); // exactly the size
    try {
        ds.field(QStringLiteral("TimeSav")).setValue(QStringLiteral("12:34:56"));
        ADD_FAILURE() << "a text longer than its column was taken";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("TimeSav"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("5 au plus"))) << e.message().toStdString();
    }
    ds.post();
    EXPECT_EQ(db(QStringLiteral("SELECT TimeSav FROM BACKUP")).toString(), QStringLiteral("12:34"));
    ds.close();

    // Short columns hold 16 bits, long ones 32 bits, whatever the value's own type.
    ds.setSqlText(QStringLiteral("SELECT * FROM ITEMS\nORDER BY Title"));
    ds.open();
    ds.edit();
    EXPECT_THROW(ds.field(QStringLiteral("Id_File")).setValue(40000), Error);
    EXPECT_THROW(ds.field(QStringLiteral("Id_File")).setValue(QStringLiteral("-32769")), Error);
    EXPECT_THROW(ds.field(QStringLiteral("Stock")).setValue(qint64(3000000000)), Error);
    ds.field(QStringLiteral("Id_File")).setValue(-32768);
    ds.field(QStringLiteral("Stock")).setValue(2147483647);
    ds.post();
    EXPECT_EQ(db(QStringLiteral("SELECT Stock FROM ITEMS WHERE Id_File=-32768")).toLongLong(), 2147483647);
}

TEST_F(DataSetTest, PositionsFollowTheStartAndEndFlags)
{
    DataSet ds(&conn);
    ds.setSqlText(QStringLiteral("SELECT Id, Title FROM ITEMS\nWHERE Id_File=-2"));
    ds.open();
    EXPECT_TRUE(ds.bof() && ds.eof());
    EXPECT_EQ(ds.currentIndex(), -1);
    EXPECT_TRUE(ds.field(QStringLiteral("Title")).isNull());
    EXPECT_THROW(ds.edit(), Error);
    ds.close();

    ds.setSqlText(QStringLiteral("SELECT Id, Title FROM ITEMS\nORDER BY Title"));
    ds.open();
    EXPECT_TRUE(ds.bof());
    EXPECT_FALSE(ds.eof());
    int visited = 0;
    for (; !ds.eof(); ds.next())
        ++visited;
    EXPECT_EQ(visited, 3);
    EXPECT_EQ(ds.currentIndex(), 2);
    ds.prior();
    EXPECT_FALSE(ds.bof() || ds.eof());
    ds.first();
    ds.prior();
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.currentIndex(), 0);
    ds.close();

    // One row: past either end, the other flag clears, so the dataset never reads as empty.
    ds.setSqlText(QStringLiteral("SELECT Id, Title FROM ITEMS\nWHERE Title='Lait'"));
    ds.open();
    ds.next();
    EXPECT_TRUE(ds.eof() && !ds.bof());
    ds.prior();
    EXPECT_TRUE(ds.bof() && !ds.eof());
    EXPECT_FALSE(IsDataSetEmpty(ds));
}

TEST_F(DataSetTest, InsertReadsBackTheCounterAndTheTableDefaults)
{
    DataSet ds(&conn);
    ds.setSqlText(QStringLiteral("SELECT Title, Sel, Quantity, Stock, Id FROM ITEMS"));
    ds.setNewRecordHandler([](DataSet &d) { d.field(QStringLiteral("Stock")).setValue(1); });
    ds.open();
    ds.last();
    ds.append();
    EXPECT_EQ(ds.state(), DataSetState::Insert);
    EXPECT_TRUE(ds.field(QStringLiteral("Id")).isNull());
    ds.field(QStringLiteral("Title")).setValue(str("Pâtes"));
    ds.post();
    const qint64 id = ds.field(QStringLiteral("Id")).asInteger();
    EXPECT_EQ(id, 4);
    EXPECT_EQ(ds.currentIndex(), 3);
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_FALSE(ds.field(QStringLiteral("Sel")).asBool());
    EXPECT_FALSE(ds.field(QStringLiteral("Quantity")).isNull());
    EXPECT_EQ(db(QStringLiteral("SELECT Title||'/'||Stock FROM ITEMS WHERE Id=4")).toString(), str("Pâtes/1"));

    ds.insert();
    ds.cancel();
    EXPECT_EQ(db(QStringLiteral("SELECT count(*) FROM ITEMS")).toInt(), 4);
}

TEST_F(DataSetTest, EditAndDeleteReachTheirOwnRowInATableWithoutKey)
{
    conn.exec(QStringLiteral("INSERT INTO BACKUP VALUES ('2024-01-01 00:00:00','10:00','Sauvegarde','a.bkp'),"
                             "('2024-01-01 00:00:00','10:00','Sauvegarde','a.bkp'),"
                             "('2024-01-02 00:00:00','11:00','Compactage','b.mdb')"));
    DataSet ds(&conn);
    ds.setSqlText(QStringLiteral("SELECT * FROM BACKUP"));
    ds.open();
    ds.next();
    ds.edit();
    ds.field(QStringLiteral("Path")).setValue(QStringLiteral("second.bkp"));
    ds.post();
    ds.first();
    ds.deleteCurrent();
    EXPECT_EQ(
        db(QStringLiteral("SELECT group_concat(Path, ',') FROM (SELECT Path FROM BACKUP ORDER BY rowid)")).toString(),
        QStringLiteral("second.bkp,b.mdb"));
    // After a delete the next row is current; at the end the previous one.
    EXPECT_EQ(ds.field(QStringLiteral("Path")).asString(), QStringLiteral("second.bkp"));
    ds.last();
    ds.deleteCurrent();
    EXPECT_EQ(ds.field(QStringLiteral("Path")).asString(), QStringLiteral("second.bkp"));
    EXPECT_FALSE(ds.eof());
    ds.deleteCurrent();
    EXPECT_TRUE(ds.bof() && ds.eof());
}

TEST_F(DataSetTest, LocateFindsExactValuesAlsoAfterADelete)
{
    DataSet ds(&conn);
    ds.setSqlText(QStringLiteral("SELECT * FROM ITEMS ORDER BY Title"));
    ds.open();
    ASSERT_TRUE(ds.locate(QStringLiteral("Title"), str("Café")));
    const qint64 cafe = ds.field(QStringLiteral("Id")).asInteger();
    ds.deleteCurrent();
    EXPECT_FALSE(ds.locate(QStringLiteral("Id"), cafe));
    ASSERT_TRUE(ds.locate(QStringLiteral("id"), 1));
    EXPECT_EQ(ds.field(QStringLiteral("Title")).asString(), QStringLiteral("Lait"));
    EXPECT_FALSE(ds.locate(QStringLiteral("Title"), QStringLiteral("lait"))); // exact
    EXPECT_EQ(ds.field(QStringLiteral("Title")).asString(), QStringLiteral("Lait")); // stays put
    EXPECT_TRUE(ds.locate(QStringLiteral("Stock"), QStringLiteral("1")));
    EXPECT_TRUE(ds.locate(QStringLiteral("Price01"), 1.5));
}

TEST_F(DataSetTest, DeclaredFieldsMustExistAndAreTheOnlyOnesShown)
{
    DataSet labels(&conn);
    labels.setSql({QStringLiteral("SELECT * FROM CUSTOMLAB"), QStringLiteral("WHERE Id_File=-1")});
    labels.setDeclaredFields({QStringLiteral("Id_File"), QStringLiteral("Price01"), QStringLiteral("Price07")});
    try {
        labels.open();
        FAIL() << "opened without Price07";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Price07"))) << e.what();
    }
    EXPECT_FALSE(labels.isActive());

    labels.setDeclaredFields({QStringLiteral("price02"), QStringLiteral("Id_File")});
    labels.open();
    ASSERT_EQ(labels.fields().size(), 2u);
    EXPECT_EQ(labels.fields()[0].name, QStringLiteral("Price02"));
    EXPECT_EQ(labels.findField(QStringLiteral("Price01")), -1);
    labels.append();
    labels.field(QStringLiteral("Id_File")).setValue(-1);
    labels.field(QStringLiteral("Price02")).setValue(str("Marché"));
    labels.post();
    EXPECT_EQ(db(QStringLiteral("SELECT Price02 FROM CUSTOMLAB WHERE Id_File=-1")).toString(), str("Marché"));
}

TEST_F(DataSetTest, LargeColumnsAreFetchedByRowAndWrittenBack)
{
    DataSet ds(&conn);
    ds.setSql({QStringLiteral("SELECT Title, Img1, Misc11, Id, Comment1 as[Color] FROM ITEMS"),
        QStringLiteral("WHERE ID_FILE=-1"), QStringLiteral("ORDER BY TITLE")});
    ds.open();
    EXPECT_TRUE(ds.field(QStringLiteral("Img1")).def().large);
    EXPECT_TRUE(ds.field(QStringLiteral("Misc11")).def().large);
    EXPECT_TRUE(ds.field(QStringLiteral("Img1")).isNull()); // Beurre
    ds.next(); // Café
    EXPECT_EQ(ds.field(QStringLiteral("Img1")).asBytes(), QByteArray("\xFF\xFE"));
    EXPECT_EQ(ds.field(QStringLiteral("Misc11")).value().typeId(), QMetaType::QString); // "123" stays text
    ds.next(); // Lait
    EXPECT_EQ(ds.field(QStringLiteral("Img1")).asBytes(), QByteArray("\x01\x02\x03\x04"));
    EXPECT_EQ(ds.field(QStringLiteral("Color")).asString(), QStringLiteral("blanc"));

    const QByteArray picture(70000, '\x7F');
    ds.edit();
    ds.field(QStringLiteral("Img1")).setValue(picture);
    ds.field(QStringLiteral("Color")).setValue(QStringLiteral("crème"));
    ds.post();
    EXPECT_EQ(ds.field(QStringLiteral("Img1")).asBytes(), picture);
    EXPECT_EQ(db(QStringLiteral("SELECT length(Img1)||Comment1 FROM ITEMS WHERE Title='Lait'")).toString(),
        QStringLiteral("70000crème"));
    ds.first();
    EXPECT_TRUE(ds.field(QStringLiteral("Img1")).isNull());

    // The same through "*", with the sort on a small column.
    DataSet all(&conn);
    all.setSql({QStringLiteral("select * from ITEMS"), QStringLiteral("order by Title desc")});
    all.open();
    EXPECT_TRUE(all.field(QStringLiteral("Img1")).def().large);
    EXPECT_EQ(all.field(QStringLiteral("Title")).asString(), QStringLiteral("Lait"));
    EXPECT_EQ(all.field(QStringLiteral("Img1")).asBytes(), picture);
    all.next();
    EXPECT_EQ(all.field(QStringLiteral("Misc11")).asString(), QStringLiteral("123"));
}

TEST_F(DataSetTest, JoinsAndExpressionsAreReadOnlyAndCalculatedFieldsFollowTheRow)
{
    DataSet joined(&conn);
    joined.setSqlText(QStringLiteral("SELECT i.Title, c.Price01 FROM ITEMS i JOIN CUSTOMLAB c ON 1=1"));
    conn.exec(QStringLiteral("INSERT INTO CUSTOMLAB (Id_File, Price01) VALUES (-1, 'A')"));
    joined.open();
    EXPECT_EQ(joined.recordCount(), 3);
    EXPECT_THROW(joined.edit(), Error);

    DataSet list(&conn);
    list.setSql({QStringLiteral("SELECT Title, Mark, Stock + 1 AS Next FROM ITEMS"), QStringLiteral("ORDER BY TITLE")});
    list.addCalculatedField(QStringLiteral("TitleMark"));
    list.setDeclaredFields(
        {QStringLiteral("TitleMark"), QStringLiteral("Title"), QStringLiteral("Mark"), QStringLiteral("Next")});
    list.setCalcHandler([](DataSet &d) {
        const QString mark = d.field(QStringLiteral("Mark")).asString();
        const QString title = d.field(QStringLiteral("Title")).asString();
        d.setCalculated(QStringLiteral("TitleMark"), mark.isEmpty() ? title : title + " (" + mark + ")");
    });
    list.open();
    EXPECT_EQ(list.fields()[0].name, QStringLiteral("TitleMark"));
    EXPECT_EQ(list.field(QStringLiteral("TitleMark")).asString(), QStringLiteral("Beurre"));
    list.last();
    EXPECT_EQ(list.field(QStringLiteral("TitleMark")).asString(), QStringLiteral("Lait (X)"));
    list.edit();
    EXPECT_THROW(list.field(QStringLiteral("Next")).setValue(1), Error);
    EXPECT_THROW(list.field(QStringLiteral("TitleMark")).setValue(QStringLiteral("x")), Error);
    list.field(QStringLiteral("Mark")).setValue(QStringLiteral("Y"));
    EXPECT_EQ(list.field(QStringLiteral("TitleMark")).asString(), QStringLiteral("Lait (Y)"));
    list.post();
}

TEST_F(DataSetTest, NotificationsAreHeldWhileControlsAreDisabled)
{
    DataSet ds(&conn);
    ds.setSqlText(QStringLiteral("SELECT * FROM ITEMS"));
    std::vector<DataSet::Event> events;
    const int token = ds.subscribe([&](const DataSet::Notification &n) { events.push_back(n.event); });
    ds.open();
    ds.next();
    EXPECT_EQ(events, (std::vector{DataSet::Event::Opened, DataSet::Event::Scrolled}));

    events.clear();
    ds.disableControls();
    ds.disableControls();
    ds.next();
    ds.edit();
    ds.field(QStringLiteral("Stock")).setValue(3);
    ds.post();
    ds.enableControls();
    EXPECT_TRUE(events.empty());
    ds.enableControls();
    EXPECT_EQ(events, (std::vector{DataSet::Event::Refreshed}));

    // Listeners may read the row they are told about, also after the last row was deleted.
    QStringList seen;
    const int reader = ds.subscribe([&](const DataSet::Notification &n) {
        if (n.event == DataSet::Event::Deleted)
            seen << ds.field(QStringLiteral("Title")).asString();
    });
    ds.last();
    ds.deleteCurrent();
    ds.unsubscribe(reader);
    EXPECT_EQ(seen, QStringList{QStringLiteral("Beurre")}); // the new current row

    events.clear();
    ds.unsubscribe(token);
    ds.first();
    EXPECT_TRUE(events.empty());
}

TEST_F(DataSetTest, RowsReadBeforeTheDatabaseWasReplacedAreNeitherShownNorWrittenBack)
{
    DataSet ds(&conn);
    ds.setSql({QStringLiteral("SELECT Id, Title, Stock FROM ITEMS"), QStringLiteral("ORDER BY Title")});
    ds.open();
    ds.last(); // Lait
    // Another database takes the file's place while the dataset is open, its row ids
    // pointing elsewhere: the row that had Lait's id is Savon there.
    conn.close();
    const QString other = test::CreateDatabase(dirs.root() + QStringLiteral("other.db"));
    {
        Connection c;
        c.open(other);
        c.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Stock) VALUES (-1, 'Pain', 7), (-1, 'Riz', 8), "
                              "(-1, 'Savon', 9)"));
    }
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    conn.open(path);

    EXPECT_FALSE(ds.rowValue(0, 1).isValid());
    EXPECT_FALSE(ds.field(QStringLiteral("Title")).value().isValid());
    ds.edit();
    ds.field(QStringLiteral("Stock")).setValue(99);
    try {
        ds.post();
        FAIL() << "posted by a row id of the replaced file";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("relues"))) << e.what();
    }
    ds.cancel();
    EXPECT_THROW(ds.deleteCurrent(), Error);
    EXPECT_EQ(db(QStringLiteral("SELECT group_concat(Title || Stock) FROM ITEMS")).toString(),
        QStringLiteral("Pain7,Riz8,Savon9"));

    // Opening again reads the database as it now is.
    ds.open();
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_EQ(ds.field(QStringLiteral("Title")).asString(), QStringLiteral("Pain"));
}

TEST_F(DataSetTest, ARowFilterShowsItsRowsAndEditsReachTheRightOnes)
{
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Stock) VALUES (-1, 'Lardons', 'X', 5), "
                             "(-1, 'Eau', 'X', 6), (-1, 'Zeste', 'Y', 7)"));
    DataSet ds(&conn);
    ds.setSql(
        {QStringLiteral("SELECT * FROM ITEMS"), QStringLiteral("WHERE ID_FILE=-1"), QStringLiteral("ORDER BY TITLE")});
    ds.open(); // Beurre, Café, Eau, Lait, Lardons, Zeste
    const int mark = ds.findField(QStringLiteral("Mark"));
    auto titles = [&ds] {
        QStringList t;
        for (int r = 0; r < ds.recordCount(); ++r)
            t << ds.rowValue(r, ds.findField(QStringLiteral("Title"))).toString();
        return t.join(u',');
    };
    ds.setRowFilter([mark](const StoredRow &row) { return row.text(mark) == "X"; });
    EXPECT_EQ(titles(), QStringLiteral("Eau,Lait,Lardons"));
    EXPECT_EQ(ds.storedCount(), 6);
    EXPECT_EQ(ds.field(QStringLiteral("Title")).asString(), QStringLiteral("Eau"));

    ds.moveTo(2); // Lardons
    ds.edit();
    ds.field(QStringLiteral("Stock")).setValue(50);
    ds.post();
    EXPECT_EQ(db(QStringLiteral("SELECT Stock FROM ITEMS WHERE Title='Lardons'")).toInt(), 50);
    ds.moveTo(1); // a new row before Lait, then Eau deleted
    ds.insert();
    ds.field(QStringLiteral("Title")).setValue(QStringLiteral("Farine"));
    ds.field(QStringLiteral("Id_File")).setValue(-1);
    ds.post();
    EXPECT_EQ(titles(), QStringLiteral("Eau,Farine,Lait,Lardons"));
    ds.first();
    ds.deleteCurrent();
    EXPECT_EQ(db(QStringLiteral("SELECT count(*) FROM ITEMS WHERE Title='Eau'")).toInt(), 0);
    EXPECT_EQ(titles(), QStringLiteral("Farine,Lait,Lardons"));
    EXPECT_TRUE(ds.locate(QStringLiteral("Title"), QStringLiteral("Lardons")));
    EXPECT_EQ(ds.field(QStringLiteral("Stock")).asInteger(), 50);

    // Every row again, in their places, as the database holds them.
    ds.setRowFilter({});
    EXPECT_EQ(titles(), str("Beurre,Café,Farine,Lait,Lardons,Zeste"));
    // A filter stays through a new opening, which reads the database again.
    ds.setRowFilter([mark](const StoredRow &row) { return row.text(mark) == "Y"; });
    ds.close();
    ds.open();
    EXPECT_EQ(titles(), str("Café,Zeste"));
}

TEST_F(DataSetTest, FieldsReadOnDemandAreFetchedWrittenAndSortedOn)
{
    DataSet ds(&conn);
    ds.setSql({QStringLiteral("SELECT Title, Comment1 AS [Color], Mark FROM ITEMS"), QStringLiteral("WHERE ID_FILE=-1"),
        QStringLiteral("ORDER BY TITLE")});
    ds.setOnDemandFields({QStringLiteral("Color"), QStringLiteral("Mark")});
    ds.open(); // Beurre, Café, Lait
    EXPECT_TRUE(ds.fields()[1].large);
    EXPECT_EQ(ds.rowValue(2, 1).toString(), QStringLiteral("blanc"));
    ds.moveTo(1);
    EXPECT_EQ(ds.field(QStringLiteral("Color")).asString(), QStringLiteral("noir"));
    ds.edit();
    ds.field(QStringLiteral("Color")).setValue(QStringLiteral("moka"));
    ds.post();
    EXPECT_EQ(db(QStringLiteral("SELECT Comment1 FROM ITEMS WHERE Title='Café'")).toString(), QStringLiteral("moka"));
    EXPECT_EQ(ds.field(QStringLiteral("Color")).asString(), QStringLiteral("moka"));
    // Sorted on, a field is read with the rows.
    ds.setSql({QStringLiteral("SELECT Title, Comment1 AS [Color], Mark FROM ITEMS"), QStringLiteral("WHERE ID_FILE=-1"),
        QStringLiteral("ORDER BY Color, Mark")});
    ds.open();
    EXPECT_FALSE(ds.fields()[1].large);
    EXPECT_FALSE(ds.fields()[2].large);
    EXPECT_EQ(ds.rowValue(2, 0).toString(), QStringLiteral("Café")); // NULL, blanc, moka
    ds.edit();
    ds.field(QStringLiteral("Mark")).setValue(QStringLiteral("W"));
    ds.post();
    EXPECT_EQ(db(QStringLiteral("SELECT Mark FROM ITEMS WHERE Title='Beurre'")).toString(), QStringLiteral("W"));
}
