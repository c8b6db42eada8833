#include "lists/ListFile.h"
#include "base/Error.h"
#include "lists/DataModule.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

class ListFileTest : public ::testing::Test
{
protected:
    void add(const char *title, const char *mark, bool sel, int quantity, const QVariant &price1,
        const QVariant &price2 = {}, int stock = 1)
    {
        db.dm->ADOConnection1.exec(
            QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Sel, Quantity, Stock, Price01, Price02, Price03) "
                           "VALUES (-1, ?, ?, ?, ?, ?, ?, ?, 2)"),
            {QString::fromUtf8(title), QString::fromUtf8(mark), sel, quantity, stock, price1, price2});
    }
    QStringList column(const char *sql)
    {
        QStringList values;
        db.dm->ADOConnection1.forEachRow(
            QString::fromUtf8(sql), {}, [&values](const Connection::RowView &r) { values << r.value(0).toString(); });
        return values;
    }
    test::TestDatabase db;
};

} // namespace

// The list read from the ticked rows' index and sorted in memory gives what the list query
// over the whole catalogue gives: lines in the same order, totals and markers.
TEST_F(ListFileTest, TickedRowsGiveTheListQuerysLinesTotalsAndMarkers)
{
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='ITEMS_Sel'")).toInt(), 1);
    add("Lait", "Lactel", true, 3, 0.5); // same title and brand, another quantity
    add("Zeste", "", true, 1, 1.5);
    add("LAIT", "Candia", true, 2, QVariant(), 3.0); // empty first price
    add("Lait", "Lactel", true, 1, 0.99, QString()); // equal titles, an empty text as price
    add("Lait", "", false, 4, 1.0);
    add("éponge", "", true, 3, 0.5);
    add("Éponge", "Spontex", true, 1, 0.75); // the same title to our comparison
    add("Epinard", "", true, 0, 2.25); // ticked with quantity 0
    add("Œuf", "", true, 12, 0.2); // œ sorts as "oe"
    add("Oignon", "", false, 1, 0.1);
    add("crème", "", true, 1, 1.1);
    add("Crème", "", true, 2, 1.2);
    for (const char *reference : {"", "B", "A"}) // alike but for the stock limits and the reference
        db.dm->ADOConnection1.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Sel, Quantity, Price01, "
                                                  "Reference, Stock_Min) VALUES (-1, 'Sel', 1, 1, 1.0, ?, ?)"),
            {QString::fromUtf8(reference), *reference ? QVariant() : QVariant(9)});
    db.dm->ADOConnection1.exec(QStringLiteral("UPDATE ITEMS SET Sel=1 WHERE Title='Oignon'"));

    const auto quick = ReadListQuery(*db.dm, ListRead::TickedRows);
    const auto whole = ReadListQuery(*db.dm, ListRead::WholeCatalogue);
    const ListDisplay a = BuildListDisplay(quick, QStringLiteral("€"));
    const ListDisplay b = BuildListDisplay(whole, QStringLiteral("€"));
    EXPECT_EQ(a.lines.size(), 14);
    EXPECT_EQ(a.lines.join(u'\n').toStdString(), b.lines.join(u'\n').toStdString());
    EXPECT_EQ(a.totals, b.totals);
    EXPECT_EQ(a.markers, b.markers);

    // Without the index (a database from elsewhere), the whole catalogue is read instead.
    db.dm->ADOConnection1.exec(QStringLiteral("DROP INDEX ITEMS_Sel"));
    EXPECT_EQ(BuildListDisplay(ReadListQuery(*db.dm), QStringLiteral("€")).lines, b.lines);
    EnsureListIndexes(db.dm->ADOConnection1);
    EXPECT_EQ(BuildListDisplay(ReadListQuery(*db.dm), QStringLiteral("€")).lines, b.lines);
    // Narrower indexes of an earlier version are made again, keyed alike.
    db.dm->ADOConnection1.exec(QStringLiteral("DROP INDEX ITEMS_List; CREATE INDEX ITEMS_List ON ITEMS (Id_File, "
                                              "Title COLLATE BINARY, Mark COLLATE BINARY, Sel, Quantity, Stock)"));
    EnsureListIndexes(db.dm->ADOConnection1);
    EXPECT_EQ(column("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%Stock_Max, Reference COLLATE BINARY)%'"),
        QStringList{"2"});
    EXPECT_EQ(BuildListDisplay(ReadListQuery(*db.dm), QStringLiteral("€")).lines, b.lines);
}

namespace {

// Records what the validation shows of its progress.
struct RecordedProgress : ProgressSink {
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override { position = p; }
    void hide() override { hidden = true; }
    int maximum = -1;
    int position = -1;
    bool hidden = false;
};

} // namespace

// Validation is all or nothing: a row that cannot be written midway leaves every row as it
// was and says so in French; once the fault is gone the whole list is validated.
TEST_F(ListFileTest, ValidationFailingMidwayChangesNoRow)
{
    db.dm->ADOConnection1.exec(QStringLiteral("BEGIN"));
    for (int i = 0; i < 600; ++i)
        add(QStringLiteral("Produit %1").arg(i, 3, 10, QLatin1Char('0')).toUtf8().constData(), "", i % 2 == 0, 2, 1.0,
            {}, 5);
    db.dm->ADOConnection1.exec(QStringLiteral("COMMIT"));
    const QStringList before = column("SELECT Sel||'/'||Stock||'/'||Quantity FROM ITEMS ORDER BY Id");
    db.dm->ADOConnection1.exec(
        QStringLiteral("CREATE TRIGGER Fault BEFORE UPDATE ON ITEMS WHEN old.Title='Produit 400' "
                       "BEGIN SELECT RAISE(ABORT, 'disque plein'); END"));
    RecordedProgress progress;
    try {
        ValidateList(*db.dm, progress);
        FAIL() << "the failing row went unnoticed";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().startsWith(
            QStringLiteral("La validation de la liste a échoué : aucun produit n'a été modifié.")))
            << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("disque plein")));
    }
    EXPECT_TRUE(progress.hidden);
    EXPECT_EQ(column("SELECT Sel||'/'||Stock||'/'||Quantity FROM ITEMS ORDER BY Id"), before);

    db.dm->ADOConnection1.exec(QStringLiteral("DROP TRIGGER Fault"));
    EXPECT_EQ(ValidateList(*db.dm, progress), 300);
    EXPECT_EQ(progress.maximum, 300);
    EXPECT_EQ(progress.position, 300);
    EXPECT_EQ(column("SELECT DISTINCT Sel||'/'||Stock||'/'||Quantity FROM ITEMS ORDER BY 1"),
        (QStringList{"0/5/2", "0/7/0"}));
}
