#include "lists/ListFile.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace vivrelo;

TEST(Refill, TicksTheProductsInAlarmInOneCommand)
{
    test::TestDatabase db;
    Connection &c = db.dm->ADOConnection1;
    // Title, Stock, Stock_Min, Stock_Max, Sel, Quantity
    c.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Stock, Stock_Min, Stock_Max, Sel, Quantity) VALUES "
                          "(-1, 'Riz', 1, 2, 6, 0, 0)," // alarm, maximum: 5
                          "(-1, 'Sel', 0, 3, 0, 0, 8)," // alarm, no maximum: 3
                          "(-1, 'Thé', 0, 2, 5, 1, 9)," // alarm, ticked with more: keeps 9
                          "(-1, 'Café', 1, 4, 4, 1, 1)," // alarm, ticked with less: 3
                          "(-1, 'Lait', 2, 2, 6, 0, 4)," // at its minimum: untouched
                          "(-1, 'Pain', NULL, 1, 0, 0, 0)," // an empty stock counts as 0
                          "(-2, 'Sucre', 0, 5, 0, 0, 0)")); // another list file
    EXPECT_EQ(TickLowStock(*db.dm), 5);
    const auto row = [&](const char *title) {
        return QStringLiteral("%1/%2")
            .arg(db.scalar(QStringLiteral("SELECT Sel FROM ITEMS WHERE Title=?"), {QString::fromUtf8(title)}).toInt())
            .arg(db.scalar(QStringLiteral("SELECT Quantity FROM ITEMS WHERE Title=?"), {QString::fromUtf8(title)})
                     .toInt());
    };
    EXPECT_EQ(row("Riz"), QStringLiteral("1/5"));
    EXPECT_EQ(row("Sel"), QStringLiteral("1/3"));
    EXPECT_EQ(row("Thé"), QStringLiteral("1/9"));
    EXPECT_EQ(row("Café"), QStringLiteral("1/3"));
    EXPECT_EQ(row("Lait"), QStringLiteral("0/4"));
    EXPECT_EQ(row("Pain"), QStringLiteral("1/1"));
    EXPECT_EQ(row("Sucre"), QStringLiteral("0/0"));
    EXPECT_EQ(TickLowStockMessage(5), QStringLiteral("5 produits à réapprovisionner ont été cochés."));
}
