#include "printing/ShopSplit.h"
#include "printing/PainterSurface.h"
#include "printing/PrintedListData.h"
#include "printing/RecordingSurface.h"
#include "support/TestDatabase.h"

#include "GuiApplication.h"
#include "PopplerTools.h"

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

const QString kEuro = QStringLiteral("€");
const std::array<QString, 3> kShops{QStringLiteral("Marché"), QStringLiteral("Épicerie"), QStringLiteral("Hyper")};

ListPrintRow Row(const char *title, const char *quantity, std::optional<double> p1, std::optional<double> p2,
    std::optional<double> p3, bool ticked = true)
{
    ListPrintRow r;
    r.Sel = ticked;
    r.Quantity = QString::fromLatin1(quantity);
    r.Title = QString::fromUtf8(title);
    r.Price01 = p1;
    r.Price02 = p2;
    r.Price03 = p3;
    return r;
}

// Worked by hand: milk is cheapest at the second shop (2 × 0.90), bread costs the same at the
// first two (the first wins), butter has no price at the first shop and is cheapest at the
// third; rice is not ticked.
std::vector<ListPrintRow> Evening()
{
    return {Row("Lait", "2", 1.00, 0.90, 0.95), Row("Pain", "1", 1.20, 1.20, std::nullopt),
        Row("Beurre", "1", std::nullopt, 2.50, 2.00), Row("Riz", "5", 0.10, 0.10, 0.10, false)};
}

QStringList Headings(const ShopSplit &s)
{
    QStringList h;
    for (const ShopSection &section : s.sections)
        h << QStringLiteral("%1:%2=%3").arg(section.heading).arg(section.lines.size()).arg(section.subtotal, 0, 'f', 2);
    return h;
}

TEST(ShopSplit, EachProductGoesToItsCheapestShop)
{
    ShopSplit s = SplitByShop(Evening(), kShops);
    EXPECT_EQ(Headings(s),
        (QStringList{
            QStringLiteral("Marché:1=1.20"), QStringLiteral("Épicerie:1=1.80"), QStringLiteral("Hyper:1=2.00")}));
    EXPECT_EQ(s.sections[1].lines[0].article, QStringLiteral("Lait"));
    EXPECT_DOUBLE_EQ(s.total, 5.00);
    // Only the second shop prices all three: 1.80 + 1.20 + 2.50.
    EXPECT_EQ(s.singleShop, 2);
    EXPECT_DOUBLE_EQ(s.singleShopTotal, 5.50);
    EXPECT_EQ(SavingText(s, kEuro), QStringLiteral("Économie : 0.50 € par rapport à Épicerie seul (5.50 €)"));

    // A product priced nowhere goes last, and then no shop prices every product.
    std::vector<ListPrintRow> rows = Evening();
    rows.push_back(Row("Sel", "3", std::nullopt, std::nullopt, std::nullopt));
    s = SplitByShop(rows, kShops);
    EXPECT_EQ(Headings(s).last(), QStringLiteral("Sans prix:1=0.00"));
    EXPECT_EQ(s.singleShop, 0);
    EXPECT_TRUE(SavingText(s, kEuro).isEmpty());

    // Equal whole-list totals: the lowest column is the single shop; an empty shop has no section.
    s = SplitByShop({Row("Thé", "1", 3.0, 3.0, 4.0)}, kShops);
    EXPECT_EQ(Headings(s), QStringList{QStringLiteral("Marché:1=3.00")});
    EXPECT_EQ(s.singleShop, 1);
    EXPECT_EQ(SavingText(s, kEuro), QStringLiteral("Économie : 0.00 € par rapport à Marché seul (3.00 €)"));
}

TEST(ShopSplit, DrawnWithThePrintedListsLayoutAndPageBreaks)
{
    std::vector<ListPrintRow> rows = Evening();
    // 30 more products at the third shop: with the default layout, 28 lines fit on a page.
    for (int i = 1; i <= 30; ++i)
        rows.push_back(Row("Vrac", "1", std::nullopt, std::nullopt, 1.0));
    RecordingSurface surface;
    ASSERT_TRUE(PrintShopSplit(surface, SplitByShop(rows, kShops), PrintLayout(), kEuro));
    QStringList texts;
    for (const auto &t : surface.texts())
        if (t.text != QString::fromLatin1(kProductWebAddress))
            texts << QStringLiteral("%1@%2:%3").arg(t.page).arg(t.y).arg(t.text);
    // Heading, line, subtotal, blank line: the sections follow each other at the pitch of 69.
    EXPECT_EQ(texts.mid(0, 5),
        (QStringList{QStringLiteral("0@100:Marché"), QStringLiteral("0@169:1"), QStringLiteral("0@169:Pain"),
            QStringLiteral("0@169:1.20 €"), QStringLiteral("0@238:Sous-total Marché")}));
    EXPECT_TRUE(texts.contains(QStringLiteral("0@376:Épicerie")));
    // 3 + 1 + 3 + 1 + heading + 19 lines fill page 1; page 2 begins with the 20th line.
    EXPECT_TRUE(texts.contains(QStringLiteral("1@100:Vrac")));
    EXPECT_TRUE(texts.contains(QStringLiteral("1@2010:TOTAL")));
    EXPECT_TRUE(texts.contains(QStringLiteral("1@2010:35.00 €")));
    // A heading that would end a page alone starts the next one: 26 lines of the first shop
    // (heading, 24 products, subtotal), the blank line, then the second heading on page 2.
    std::vector<ListPrintRow> two;
    for (int i = 0; i < 24; ++i)
        two.push_back(Row("Pain", "1", 1.0, 2.0, 2.0));
    two.push_back(Row("Lait", "1", 2.0, 1.0, 2.0));
    RecordingSurface orphan;
    ASSERT_TRUE(PrintShopSplit(orphan, SplitByShop(two, kShops), PrintLayout(), kEuro));
    ASSERT_EQ(orphan.textsEqualTo(kShops[1]).size(), 1u);
    EXPECT_EQ(orphan.textsEqualTo(kShops[1])[0].page, 1);
    EXPECT_EQ(orphan.textsEqualTo(kShops[1])[0].y, 100);

    int footers = 0;
    for (const auto &t : surface.texts())
        footers += t.text == QString::fromLatin1(kProductWebAddress);
    EXPECT_EQ(footers, 2);
}

TEST(ShopSplit, PdfFileOfTheUsersListReadsBack)
{
    test::EnsureGuiApplication();
    test::TestDatabase db;
    db.dm->setCurrencySymbol(kEuro);
    db.dm->ADOConnection1.exec(
        QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Sel, Quantity, Price01, Price02, Price03) VALUES "
                       "(-1, 'Lait', 'Ferme', 1, 2, 1.0, 0.9, 0.95), (-1, 'Pain', '', 1, 1, 1.1, 1.2, NULL)"));
    db.dm->ADOConnection1.exec(QStringLiteral("DELETE FROM CUSTOMLAB; INSERT INTO CUSTOMLAB (Id_File, Price01, "
                                              "Price02, Price03) VALUES (-1, 'Marché', 'Épicerie', 'Hyper')"));
    // VIVRELO_SAMPLE_SPLIT_PDF keeps the file, to look at its pages.
    const QString kept = qEnvironmentVariable("VIVRELO_SAMPLE_SPLIT_PDF");
    const QString pdf = kept.isEmpty() ? db.dirs.root() + QStringLiteral("magasins.pdf") : kept;
    PrintShopSplitToPdf(*db.dm, pdf);
    const QString text =
        test::RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const char *expected : {"Marché", "Pain", "Sous-total Épicerie", "Lait (Ferme)", "1.80 €", "TOTAL", "2.90 €",
             "Économie : 0.10 € par rapport à Épicerie seul (3.00 €)"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

} // namespace
} // namespace vivrelo
