#include "lists/ShoppingList.h"

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {
const QString Euro = QStringLiteral("€");

ListQueryRow Row(qint64 id, bool sel, QVariant qty, const char *title, QVariant p1, QVariant p2, QVariant p3)
{
    ListQueryRow r;
    r.id = id;
    r.sel = sel;
    r.quantity = qty;
    r.title = QString::fromUtf8(title);
    r.mark = QStringLiteral("Marque");
    r.prices = {p1, p2, p3};
    return r;
}

std::array<PriceMarker, 3> Markers(double a, double b, double c)
{
    return AssignMarkers({a, b, c});
}
} // namespace

TEST(ShoppingList, DisplayLinesCarryPaddedIdQuantityTitleAndThreeAmounts)
{
    const auto display = BuildListDisplay({Row(42, true, 2, "Lait", 1.25, QVariant(), 3),
                                              Row(7, false, 5, "Pain", 1, 1, 1), Row(12345, true, 0, "Œufs", 2, 2, 2)},
        Euro);
    ASSERT_EQ(display.lines.size(), 2);
    EXPECT_EQ(display.lines[0], QStringLiteral("0042#2%1%Lait%2%2.50 €%3%0.00 €%4%6.00 €%5%"));
    EXPECT_EQ(display.lines[1], QStringLiteral("12345#0%1%Œufs%2%0.00 €%3%0.00 €%4%0.00 €%5%"));
    EXPECT_DOUBLE_EQ(display.totals[0], 2.5);
    EXPECT_DOUBLE_EQ(display.totals[1], 0.0);
    EXPECT_DOUBLE_EQ(display.totals[2], 6.0);
    // The empty column takes part in the comparison, then loses its marker.
    EXPECT_EQ(display.markers, (std::array{PriceMarker::InBetween, PriceMarker::None, PriceMarker::Dearest}));

    const DisplayLineFields f = ReadDisplayLine(display.lines[0]);
    EXPECT_EQ(f.quantity, QStringLiteral("2"));
    EXPECT_EQ(f.title, QStringLiteral("Lait"));
    EXPECT_EQ(f.amounts[2], QStringLiteral("6.00 €"));
}

TEST(ShoppingList, TheLineCacheFormatsAgainWhateverChangedAndForgetsUntickedRows)
{
    DisplayLineCache cache;
    std::vector<ListQueryRow> rows{Row(1, true, 2, "Lait", 1.25, 2, 3), Row(2, true, 1, "Pain", 1, 1, 1)};
    auto same = [&](const QString &symbol) {
        EXPECT_EQ(BuildListDisplay(rows, symbol, &cache).lines, BuildListDisplay(rows, symbol).lines);
    };
    same(Euro);
    rows[0].quantity = 3;
    same(Euro);
    rows[0].prices[1] = QVariant();
    same(Euro);
    rows[1].title = QStringLiteral("Pain de mie");
    same(Euro);
    same(QStringLiteral("$"));
    rows.erase(rows.begin());
    same(Euro);
    rows.insert(rows.begin(), Row(1, true, 9, "Lait", 1, 1, 1));
    same(Euro);
}

TEST(ShoppingList, OneChangedRowLeavesAndJoinsTheListAtItsTitle)
{
    std::vector<ListQueryRow> rows{Row(1, true, 1, "Café", 1, 1, 1), Row(2, true, 1, "Lait", 1, 1, 1)};
    auto ids = [&rows] {
        QStringList t;
        for (const ListQueryRow &r : rows)
            t << QString::number(r.id);
        return t.join(u',');
    };
    EXPECT_TRUE(ApplyRowChange(rows, Row(3, true, 2, "éponge", 1, 1, 1)));
    EXPECT_TRUE(ApplyRowChange(rows, Row(4, true, 2, "Œuf", 1, 1, 1)));
    EXPECT_EQ(ids(), QStringLiteral("1,3,2,4"));
    EXPECT_TRUE(ApplyRowChange(rows, Row(3, true, 5, "éponge", 1, 1, 1))); // a new quantity
    EXPECT_EQ(rows[1].quantity.toInt(), 5);
    EXPECT_TRUE(ApplyRowChange(rows, Row(2, false, 1, "Lait", 1, 1, 1)));
    EXPECT_EQ(ids(), QStringLiteral("1,3,4"));
    // Equal titles: only the list query knows their order.
    EXPECT_FALSE(ApplyRowChange(rows, Row(5, true, 1, "Éponge", 1, 1, 1)));
    EXPECT_EQ(ids(), QStringLiteral("1,3,4"));
    EXPECT_TRUE(ApplyRowChange(rows, Row(5, false, 1, "Éponge", 1, 1, 1)));
    EXPECT_TRUE(ApplyRowChange(rows, Row(6, true, 1, "Eponge", 1, 1, 1))); // accents order it
    EXPECT_EQ(ids(), QStringLiteral("1,6,3,4"));
}

TEST(ShoppingList, MarkersCompareTotalsToTheCent)
{
    using M = PriceMarker;
    EXPECT_EQ(Markers(9, 12.5, 10), (std::array{M::Cheapest, M::Dearest, M::InBetween}));
    EXPECT_EQ(Markers(5, 5, 8), (std::array{M::Cheapest, M::Cheapest, M::Dearest}));
    EXPECT_EQ(Markers(5, 8, 8), (std::array{M::Cheapest, M::Dearest, M::Dearest}));
    EXPECT_EQ(Markers(7, 7, 7), (std::array{M::Cheapest, M::Cheapest, M::Cheapest}));
    EXPECT_EQ(Markers(0, 0, 0), (std::array{M::None, M::None, M::None}));
    // 7.001 and 7.004 both show 7.00: equal for the markers.
    EXPECT_EQ(Markers(7.001, 7.004, 7), (std::array{M::Cheapest, M::Cheapest, M::Cheapest}));
    EXPECT_EQ(MarkerWord(M::InBetween), QStringLiteral("intermédiaire "));
}

TEST(ShoppingList, LineBoundsClampStockAndQuantityWithTheMaximumWinning)
{
    EXPECT_EQ(ComputeLineBounds(true, 4, 10), (LineBounds{0, 1, 6}));
    EXPECT_EQ(ComputeLineBounds(false, 4, 0), (LineBounds{0, 0, 99}));
    // Quantity down on a ticked line at 1 stays 1; on an unticked line at 0 stays 0.
    EXPECT_EQ(ApplyLineBounds(3, 0, ComputeLineBounds(true, 3, 0)), (StockAndQuantity{3, 1}));
    EXPECT_EQ(ApplyLineBounds(3, -1, ComputeLineBounds(false, 3, 0)), (StockAndQuantity{3, 0}));
    EXPECT_EQ(ApplyLineBounds(-1, 2, ComputeLineBounds(true, 0, 0)), (StockAndQuantity{0, 2}));
    EXPECT_EQ(ApplyLineBounds(4, 7, ComputeLineBounds(true, 4, 10)), (StockAndQuantity{4, 6}));
    // Stock_Max 5 with a stock of 7: nothing to buy, the maximum 0 wins over the minimum 1,
    // and a quantity never goes negative (validation would lower the stock).
    EXPECT_EQ(ApplyLineBounds(7, 1, ComputeLineBounds(true, 7, 5)), (StockAndQuantity{7, 0}));
}

TEST(ShoppingList, RefillBringsTheStockToItsMaximumWithinTheLineBounds)
{
    // RefillQuantity(sel, quantity, stock, stockMin, stockMax)
    EXPECT_EQ(RefillQuantity(false, 0, 1, 3, 10), 9); // up to the maximum
    EXPECT_EQ(RefillQuantity(false, 0, 1, 3, 0), 2); // no maximum: up to the minimum
    EXPECT_EQ(RefillQuantity(false, 0, -5, 200, 0), 99); // never beyond the line bounds
    EXPECT_EQ(RefillQuantity(false, 7, 3, 3, 10), 0); // not in alarm
    EXPECT_EQ(RefillQuantity(false, 4, 1, 3, 10), 9); // an unticked quantity does not count
    EXPECT_EQ(RefillQuantity(true, 4, 1, 3, 10), 9); // ticked: the larger of the two
    EXPECT_EQ(RefillQuantity(true, 12, 1, 3, 10), 12);
    EXPECT_EQ(RefillQuantity(false, 0, 4, 6, 3), 0); // minimum above maximum: nothing to buy
}
