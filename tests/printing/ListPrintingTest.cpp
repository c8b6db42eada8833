#include "printing/ListPrinting.h"
#include "printing/RecordingSurface.h"

#include "app/Error.h"

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

const QString kEuro = QStringLiteral("€");
const QString kFooter = QString::fromLatin1(kProductWebAddress);

ListPrintRow Ticked(const QString &title, double price, const QString &quantity = QStringLiteral("1"))
{
    ListPrintRow r;
    r.Sel = true;
    r.Quantity = quantity;
    r.Title = title;
    r.Price01 = price;
    return r;
}

ListPrintRow Unticked(const QString &title)
{
    ListPrintRow r;
    r.Title = title;
    r.Price01 = 9.99;
    return r;
}

std::vector<ListPrintRow> TickedRows(int n)
{
    std::vector<ListPrintRow> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back(Ticked(QStringLiteral("Produit %1").arg(i, 2, 10, QLatin1Char('0')), 1.0));
    return rows;
}

TEST(PrintList, DefaultLayoutLinePositionsAndPageBreak)
{
    RecordingSurface s;
    ASSERT_TRUE(PrintList(s, TickedRows(30), PrintLayout(), 1, kEuro));
    EXPECT_TRUE(s.ended());
    EXPECT_EQ(s.pageCount(), 2);

    for (int i = 1; i <= 30; ++i) {
        const auto t = s.textsEqualTo(QStringLiteral("Produit %1").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_EQ(t.size(), 1u);
        const int line = i <= 28 ? i - 1 : i - 29;
        EXPECT_EQ(t[0].page, i <= 28 ? 0 : 1) << i;
        EXPECT_EQ(t[0].y, 100 + 69 * line) << i; // 100, 169, 238, ... 1963
        EXPECT_EQ(t[0].x, 110);
        EXPECT_EQ(t[0].align, SurfaceAlign::Left);
        EXPECT_EQ(t[0].font.family, QStringLiteral("Arial"));
        EXPECT_EQ(t[0].font.height, 20);
        EXPECT_EQ(t[0].brush, SurfaceBrush::Solid);
        EXPECT_EQ(t[0].brushColor, QColor(Qt::white));
    }
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("Produit 28"))[0].y, 1963);

    const auto quantities = s.textsEqualTo(QStringLiteral("1"));
    ASSERT_EQ(quantities.size(), 30u);
    EXPECT_EQ(quantities[0].x, 100);
    EXPECT_EQ(quantities[0].align, SurfaceAlign::Right);
    const auto amounts = s.textsEqualTo(QStringLiteral("1.00 €"));
    ASSERT_EQ(amounts.size(), 30u);
    EXPECT_EQ(amounts[0].x, 1100);
    EXPECT_EQ(amounts[0].align, SurfaceAlign::Right);

    // Rule, TOTAL and total on the last page.
    ASSERT_EQ(s.rects().size(), 1u);
    const auto &rule = s.rects()[0];
    EXPECT_EQ(rule.page, 1);
    EXPECT_EQ(QRect(QPoint(rule.left, rule.top), QPoint(rule.right, rule.bottom)), QRect(QPoint(100, 1997), QPoint(1100, 2000)));
    EXPECT_EQ(rule.brushColor, QColor(Qt::black));
    const auto total = s.textsEqualTo(QStringLiteral("TOTAL"));
    ASSERT_EQ(total.size(), 1u);
    EXPECT_EQ(total[0].y, 2010);
    EXPECT_EQ(total[0].x, 100);
    EXPECT_TRUE(total[0].font.bold);
    EXPECT_EQ(total[0].font.height, 25);
    const auto sum = s.textsEqualTo(QStringLiteral("30.00 €"));
    ASSERT_EQ(sum.size(), 1u);
    EXPECT_EQ(sum[0].page, 1);
    EXPECT_EQ(sum[0].align, SurfaceAlign::Right);
}

TEST(PrintList, FooterOnEveryPageThatGetsARow)
{
    RecordingSurface s;
    ASSERT_TRUE(PrintList(s, TickedRows(30), PrintLayout(), 1, kEuro));
    const auto footers = s.textsEqualTo(kFooter);
    ASSERT_EQ(footers.size(), 2u);
    EXPECT_EQ(footers[0].page, 0);
    EXPECT_EQ(footers[1].page, 1);
    EXPECT_EQ(footers[0].x, 745);
    EXPECT_EQ(footers[0].y, 2090);
    EXPECT_EQ(footers[0].align, SurfaceAlign::Center);
    EXPECT_TRUE(footers[0].font.underline);
    EXPECT_EQ(footers[0].font.family, QStringLiteral("Arial"));
    EXPECT_EQ(footers[0].font.height, 20);

    // Exactly 28 lines: the last one ends the page, the total stands alone on a fresh page.
    RecordingSurface full;
    ASSERT_TRUE(PrintList(full, TickedRows(28), PrintLayout(), 1, kEuro));
    EXPECT_EQ(full.pageCount(), 2);
    ASSERT_EQ(full.textsEqualTo(kFooter).size(), 1u);
    EXPECT_EQ(full.textsEqualTo(QStringLiteral("TOTAL"))[0].page, 1);
    for (const auto &t : full.texts())
        EXPECT_TRUE(t.page == 0 || t.text == QLatin1String("TOTAL") || t.text == QStringLiteral("28.00 €")) << t.text.toStdString();
}

TEST(PrintList, AmountsTotalsAndArticles)
{
    std::vector<ListPrintRow> rows;
    rows.push_back(Unticked(QStringLiteral("Beurre")));
    ListPrintRow lait = Ticked(QStringLiteral("Lait"), 1.25, QStringLiteral("2"));
    lait.Mark = QStringLiteral("X");
    lait.Price02 = 3.0;
    rows.push_back(lait);
    ListPrintRow sel = Ticked(QStringLiteral("Sel"), 0, QStringLiteral("3"));
    sel.Price01.reset();
    rows.push_back(sel);
    ListPrintRow sucre = Ticked(QStringLiteral("Sucre"), 2.0, QString());
    rows.push_back(sucre);
    rows.push_back(Ticked(QString(300, QLatin1Char('a')), 0.5));

    RecordingSurface s;
    ASSERT_TRUE(PrintList(s, rows, PrintLayout(), 1, kEuro));
    EXPECT_TRUE(s.textsEqualTo(QStringLiteral("Beurre")).empty());
    ASSERT_EQ(s.textsEqualTo(QStringLiteral("Lait (X)")).size(), 1u);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("Lait (X)"))[0].y, 100);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("2.50 €")).size(), 1u);
    // An empty price prints 0.00 and adds nothing; so does an empty quantity.
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("Sel")).size(), 1u);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("0.00 €")).size(), 2u);
    EXPECT_EQ(s.textsEqualTo(QString(255, QLatin1Char('a'))).size(), 1u);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("3.00 €")).size(), 1u); // the total: 2.50 + 0.50
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("3.00 €"))[0].y, 2010);

    RecordingSurface second;
    ASSERT_TRUE(PrintList(second, rows, PrintLayout(), 2, kEuro));
    EXPECT_EQ(second.textsEqualTo(QStringLiteral("6.00 €")).size(), 2u); // the line and the total

    RecordingSurface bad;
    EXPECT_THROW(PrintList(bad, rows, PrintLayout(), 4, kEuro), Error);
    EXPECT_TRUE(bad.texts().empty());
}

TEST(PrintList, TopLineBeyondTheBreakLine)
{
    PrintLayout layout;
    layout.TopLine = 20.0; // 2000 >= 2100 - 120
    std::vector<ListPrintRow> rows{Unticked(QStringLiteral("A")), Ticked(QStringLiteral("B"), 1),
                                   Unticked(QStringLiteral("C")), Unticked(QStringLiteral("D")),
                                   Ticked(QStringLiteral("E"), 2)};
    RecordingSurface s;
    ASSERT_TRUE(PrintList(s, rows, layout, 1, kEuro));
    // Each printed line ends its page; rows off the list add no page of their own.
    EXPECT_EQ(s.pageCount(), 3);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("B"))[0].page, 0);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("E"))[0].page, 1);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("E"))[0].y, 2000);
    EXPECT_EQ(s.textsEqualTo(kFooter).size(), 2u);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("TOTAL"))[0].page, 2);

    RecordingSurface test;
    ASSERT_TRUE(PrintTestPage(test, layout, kEuro));
    EXPECT_EQ(test.textsEqualTo(QStringLiteral("Article (marque)")).size(), 1u);
    RecordingSurface preview;
    DrawLayoutPreview(preview, layout, 50, kEuro);
    EXPECT_EQ(preview.textsEqualTo(QStringLiteral("Article (marque)")).size(), 1u);
}

TEST(PrintList, AFailingDeviceIsNotReportedAsPrinted)
{
    RecordingSurface s;
    s.setEndResult(false);
    EXPECT_FALSE(PrintList(s, TickedRows(3), PrintLayout(), 1, kEuro));
    RecordingSurface t;
    t.setEndResult(false);
    EXPECT_FALSE(PrintTestPage(t, PrintLayout(), kEuro));
}

TEST(PrintTestPage, SampleLinesDownToTheBreakLineOnOnePage)
{
    RecordingSurface s;
    ASSERT_TRUE(PrintTestPage(s, PrintLayout(), kEuro));
    EXPECT_EQ(s.pageCount(), 1);
    const auto lines = s.textsEqualTo(QStringLiteral("Article (marque)"));
    ASSERT_EQ(lines.size(), 28u);
    EXPECT_EQ(lines.back().y, 1963);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("100.00 €")).size(), 29u);
    EXPECT_TRUE(s.textsEqualTo(kFooter).empty());

    // A pitch of zero or less cannot run the sheet forever.
    PrintLayout flat;
    flat.InterLines = 0;
    RecordingSurface f;
    ASSERT_TRUE(PrintTestPage(f, flat, kEuro));
    EXPECT_EQ(f.textsEqualTo(QStringLiteral("1")).size(), 1u);
    flat.InterLines = -0.5;
    RecordingSurface n;
    DrawLayoutPreview(n, flat, 50, kEuro);
    EXPECT_EQ(n.textsEqualTo(QStringLiteral("1")).size(), 1u);
}

TEST(LayoutPreview, RoundsMeasuresWhereThePrinterTruncates)
{
    PrintLayout layout;
    layout.PrinterTop = 0.7;
    layout.PrinterLeft = 0.7;
    RecordingSurface s;
    DrawLayoutPreview(s, layout, 100, kEuro);

    // The sheet shift goes through the printer's truncation (69), the lines through rounding.
    ASSERT_EQ(s.rects().size(), 3u);
    const auto &shadow = s.rects()[0];
    EXPECT_EQ(QRect(QPoint(shadow.left, shadow.top), QPoint(shadow.right, shadow.bottom)),
              QRect(QPoint(74, 74), QPoint(1495 + 69, 2105 + 69)));
    EXPECT_EQ(shadow.brushColor, QColor(192, 192, 192));
    const auto &page = s.rects()[1];
    EXPECT_EQ(QRect(QPoint(page.left, page.top), QPoint(page.right, page.bottom)),
              QRect(QPoint(69, 69), QPoint(1490 + 69, 2100 + 69)));
    EXPECT_EQ(page.brushColor, QColor(Qt::white));

    const auto lines = s.textsEqualTo(QStringLiteral("Article (marque)"));
    ASSERT_EQ(lines.size(), 27u); // 100, 170, ... 1920 < 1980
    EXPECT_EQ(lines[1].y, 69 + 170);
    EXPECT_EQ(lines[0].x, 69 + 110);
    const auto &rule = s.rects()[2];
    EXPECT_EQ(rule.bottom - rule.top, 3);
    EXPECT_EQ(rule.bottom, 2000 + 69);

    // At 50 % every size is halved, the rule keeps its 3 units.
    RecordingSurface half;
    DrawLayoutPreview(half, PrintLayout(), 50, kEuro);
    EXPECT_EQ(half.textsEqualTo(QStringLiteral("Article (marque)"))[1].y, 85);
    EXPECT_EQ(half.textsEqualTo(QStringLiteral("Article (marque)"))[0].font.height, 10);
    EXPECT_EQ(half.textsEqualTo(QStringLiteral("TOTAL"))[0].font.height, 12);
    EXPECT_EQ(half.rects()[2].bottom - half.rects()[2].top, 3);

    // 230 % of a whole measure stays whole.
    EXPECT_EQ(S(230, 100), 230);
    EXPECT_EQ(S(230, 0.7 * 100), 161);
    EXPECT_EQ(T(0.7), 69);
}

TEST(LayoutPreview, ZoomStepsAndSheetSize)
{
    EXPECT_EQ(ZoomOut(kMinZoom), kMinZoom);
    EXPECT_EQ(ZoomIn(kMaxZoom), kMaxZoom);
    int z = kDefaultZoom;
    int steps = 0;
    while (ZoomIn(z) != z) {
        z = ZoomIn(z);
        ++steps;
    }
    EXPECT_EQ(z, 500);
    EXPECT_EQ(steps, 45);
    EXPECT_EQ(ZoomOut(50), 40);

    EXPECT_EQ(PreviewSheetSize(50, 96), QSize(397, 562));
    EXPECT_EQ(PreviewSheetSize(100, 96), QSize(794, 1123));
    EXPECT_EQ(PreviewSheetSize(500, 96), QSize(3966, 5611));
}

} // namespace
} // namespace vivrelo
