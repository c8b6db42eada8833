#include "printing/ListPrinting.h"
#include "printing/RecordingSurface.h"

#include "base/Error.h"

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

const QString kEuro = QStringLiteral("€");
const QString kFooter = QString::fromLatin1(kProductWebAddress);
const QString kSample = QStringLiteral("Article (marque)");

ListPrintRow Row(
    const QString &title, bool ticked, std::optional<double> price = 1.0, const QString &quantity = QStringLiteral("1"))
{
    ListPrintRow r;
    r.Sel = ticked;
    r.Quantity = quantity;
    r.Title = title;
    r.Price01 = price;
    return r;
}

std::vector<ListPrintRow> TickedRows(int n)
{
    std::vector<ListPrintRow> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back(Row(QStringLiteral("P%1").arg(i), true));
    return rows;
}

QRect Box(const RecordingSurface::Rect &r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

TEST(PrintList, DefaultLayoutLinesPagesAndFooter)
{
    RecordingSurface s;
    ASSERT_TRUE(PrintList(s, TickedRows(30), PrintLayout(), 1, kEuro));
    EXPECT_EQ(s.pageCount(), 2);
    for (int i = 1; i <= 30; ++i) {
        const auto t = s.textsEqualTo(QStringLiteral("P%1").arg(i));
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0].page, i <= 28 ? 0 : 1) << i;
        EXPECT_EQ(t[0].y, 100 + 69 * ((i - 1) % 28)) << i; // 100, 169, 238, ... 1963
        EXPECT_EQ(t[0].x, 110);
    }
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("1"))[0].x, 100);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("1.00 €"))[0].x, 1100);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("1.00 €"))[0].align, SurfaceAlign::Right);

    const auto footers = s.textsEqualTo(kFooter);
    ASSERT_EQ(footers.size(), 2u);
    EXPECT_EQ(footers[1].page, 1);
    EXPECT_EQ(QPoint(footers[0].x, footers[0].y), QPoint(745, 2090));
    EXPECT_TRUE(footers[0].font.underline);

    ASSERT_EQ(s.rects().size(), 1u);
    EXPECT_EQ(Box(s.rects()[0]), QRect(QPoint(100, 1997), QPoint(1100, 2000)));
    EXPECT_EQ(s.rects()[0].page, 1);
    const auto total = s.textsEqualTo(QStringLiteral("TOTAL"));
    ASSERT_EQ(total.size(), 1u);
    EXPECT_EQ(QPoint(total[0].x, total[0].y), QPoint(100, 2010));
    EXPECT_TRUE(total[0].font.bold);
    EXPECT_EQ(total[0].font.height, 25);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("30.00 €")).size(), 1u);

    // When the last line ends a page, the total stands alone on a fresh page.
    RecordingSurface full;
    ASSERT_TRUE(PrintList(full, TickedRows(28), PrintLayout(), 1, kEuro));
    EXPECT_EQ(full.pageCount(), 2);
    EXPECT_EQ(full.textsEqualTo(kFooter).size(), 1u);
    for (const auto &t : full.texts())
        EXPECT_TRUE(t.page == 0 || t.text == QLatin1String("TOTAL") || t.text == QStringLiteral("28.00 €"));
}

TEST(PrintList, AmountsTotalsAndArticles)
{
    ListPrintRow lait = Row(QStringLiteral("Lait"), true, 1.25, QStringLiteral("2"));
    lait.Mark = QStringLiteral("X");
    lait.Price02 = 3.0;
    const std::vector<ListPrintRow> rows{Row(QStringLiteral("Beurre"), false), lait,
        Row(QStringLiteral("Sel"), true, std::nullopt, QStringLiteral("3")),
        Row(QStringLiteral("Sucre"), true, 2.0, QString()), Row(QString(300, QLatin1Char('a')), true, 0.5)};
    RecordingSurface s;
    ASSERT_TRUE(PrintList(s, rows, PrintLayout(), 1, kEuro));
    EXPECT_TRUE(s.textsEqualTo(QStringLiteral("Beurre")).empty());
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("Lait (X)")).size(), 1u);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("Sel")).size(), 1u);
    // An empty price, or an empty quantity, prints 0.00 and adds nothing.
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("0.00 €")).size(), 2u);
    EXPECT_EQ(s.textsEqualTo(QString(255, QLatin1Char('a'))).size(), 1u);
    ASSERT_EQ(s.textsEqualTo(QStringLiteral("3.00 €")).size(), 1u); // 2.50 + 0.50
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
    const std::vector<ListPrintRow> rows{Row(QStringLiteral("A"), false), Row(QStringLiteral("B"), true),
        Row(QStringLiteral("C"), false), Row(QStringLiteral("D"), false), Row(QStringLiteral("E"), true)};
    RecordingSurface s;
    ASSERT_TRUE(PrintList(s, rows, layout, 1, kEuro));
    // Each printed line ends its page; rows off the list add no page of their own.
    EXPECT_EQ(s.pageCount(), 3);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("E"))[0].page, 1);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("E"))[0].y, 2000);
    EXPECT_EQ(s.textsEqualTo(kFooter).size(), 2u);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("TOTAL"))[0].page, 2);

    RecordingSurface test;
    ASSERT_TRUE(PrintTestPage(test, layout, kEuro));
    EXPECT_EQ(test.textsEqualTo(kSample).size(), 1u);
    RecordingSurface preview;
    DrawLayoutPreview(preview, layout, 50, kEuro);
    EXPECT_EQ(preview.textsEqualTo(kSample).size(), 1u);
}

TEST(PrintList, AFailingDeviceIsNotReportedAsPrinted)
{
    RecordingSurface s;
    s.setEndResult(false);
    EXPECT_FALSE(PrintList(s, TickedRows(3), PrintLayout(), 1, kEuro));
    EXPECT_FALSE(PrintTestPage(s, PrintLayout(), kEuro));
}

TEST(PrintTestPage, SampleLinesDownToTheBreakLineOnOnePage)
{
    RecordingSurface s;
    ASSERT_TRUE(PrintTestPage(s, PrintLayout(), kEuro));
    EXPECT_EQ(s.pageCount(), 1);
    const auto lines = s.textsEqualTo(kSample);
    ASSERT_EQ(lines.size(), 28u);
    EXPECT_EQ(lines.back().y, 1963);
    EXPECT_EQ(s.textsEqualTo(QStringLiteral("100.00 €")).size(), 29u);
    EXPECT_TRUE(s.textsEqualTo(kFooter).empty());

    // A pitch of zero or less cannot run the sheet forever.
    PrintLayout flat;
    flat.InterLines = 0;
    RecordingSurface f;
    ASSERT_TRUE(PrintTestPage(f, flat, kEuro));
    EXPECT_EQ(f.textsEqualTo(kSample).size(), 1u);
    flat.InterLines = -0.5;
    RecordingSurface n;
    DrawLayoutPreview(n, flat, 50, kEuro);
    EXPECT_EQ(n.textsEqualTo(kSample).size(), 1u);
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
    EXPECT_EQ(Box(s.rects()[0]), QRect(QPoint(74, 74), QPoint(1495 + 69, 2105 + 69))); // shadow
    EXPECT_EQ(Box(s.rects()[1]), QRect(QPoint(69, 69), QPoint(1490 + 69, 2100 + 69))); // list page
    const auto lines = s.textsEqualTo(kSample);
    ASSERT_EQ(lines.size(), 27u); // 100, 170, ... 1920 < 1980
    EXPECT_EQ(QPoint(lines[1].x, lines[1].y), QPoint(69 + 110, 69 + 170));
    EXPECT_EQ(s.rects()[2].bottom, 2000 + 69);

    // At 50 % every size is halved, but the rule keeps its 3 units.
    RecordingSurface half;
    DrawLayoutPreview(half, PrintLayout(), 50, kEuro);
    EXPECT_EQ(half.textsEqualTo(kSample)[1].y, 85);
    EXPECT_EQ(half.textsEqualTo(kSample)[0].font.height, 10);
    EXPECT_EQ(half.textsEqualTo(QStringLiteral("TOTAL"))[0].font.height, 12);
    EXPECT_EQ(half.rects()[2].bottom - half.rects()[2].top, 3);
    EXPECT_EQ(S(230, 100), 230); // not 229: whole measures stay whole at every zoom
}

} // namespace
} // namespace vivrelo
