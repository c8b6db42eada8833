#include "report/ReportEngine.h"

#include "base/Error.h"
#include "printing/GuiApplication.h"
#include "printing/PopplerTools.h"
#include "printing/RecordingSurface.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

// A4, 10 mm margins; title 20 mm, header 10 mm, rows 10 mm, footer 10 mm: 23 rows fit on the
// first page (237 mm), 25 on the others (257 mm).
const char *kLayout = R"(# test layout
page: 210 297
margins: 10 10 10 10

band: title
  height: 20
  text:
    box: 0 0 190 10
    value: Liste [TITLE]
band: page-header
  height: 10
  text:
    box: 0 0 50 10
    value: Produit
band: master-data
  height: 10
  alternate: #E8F3FF
  text:
    box: 0 0 100 10
    value: [LINE]. [Title]
  text:
    box: 100 0 40 10
    align: right
    format: money
    value: [Price01]
band: page-footer
  height: 10
  text:
    box: 0 0 190 10
    value: Page [PAGE] / [PAGES]
band: summary
  height: 10
  text:
    box: 0 0 190 10
    value: Fin
)";

MemoryRowSource Rows(int count)
{
    std::vector<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({QStringLiteral("Produit %1").arg(i), i * 1.5});
    return MemoryRowSource({QStringLiteral("Title"), QStringLiteral("Price01")}, rows);
}

std::optional<QVariant> Program(const QString &name)
{
    if (name == QLatin1String("CURRENCYSYMBOL"))
        return QVariant(QStringLiteral("€"));
    if (name == QLatin1String("TITLE"))
        return QVariant(QString());
    return std::nullopt;
}

QStringList Texts(const PreparedPage &page)
{
    QStringList out;
    for (const PreparedItem &i : page.items)
        if (i.kind == ObjectKind::Text)
            out << i.text;
    return out;
}

TEST(ReportEngine, BandsFlowOverPagesWithHeaderFooterAndPageCount)
{
    const ReportLayout layout = ParseReportLayout(QString::fromUtf8(kLayout));
    auto rows = Rows(50);
    const PreparedReport r = PrepareReport(layout, &rows, Program);
    ASSERT_EQ(r.pageCount(), 3);

    const QStringList p1 = Texts(r.pages[0]);
    EXPECT_EQ(p1.first(), QStringLiteral("Liste ")); // the program's TITLE is empty
    EXPECT_EQ(p1[1], QStringLiteral("Produit"));
    EXPECT_EQ(p1[2], QStringLiteral("1. Produit 1"));
    EXPECT_EQ(p1.count(QStringLiteral("Produit")), 1);
    EXPECT_TRUE(p1.contains(QStringLiteral("23. Produit 23")));
    EXPECT_FALSE(p1.contains(QStringLiteral("24. Produit 24")));
    EXPECT_EQ(p1.last(), QStringLiteral("Page 1 / 3"));

    const QStringList p2 = Texts(r.pages[1]);
    EXPECT_EQ(p2.first(), QStringLiteral("Produit")); // header repeats, title does not
    EXPECT_EQ(p2[1], QStringLiteral("24. Produit 24"));
    EXPECT_TRUE(p2.contains(QStringLiteral("48. Produit 48")));
    EXPECT_EQ(p2.last(), QStringLiteral("Page 2 / 3"));

    const QStringList p3 = Texts(r.pages[2]);
    EXPECT_EQ(p3,
        (QStringList{QStringLiteral("Produit"), QStringLiteral("49. Produit 49"), QStringLiteral("73.50 €"),
            QStringLiteral("50. Produit 50"), QStringLiteral("75.00 €"), QStringLiteral("Fin"),
            QStringLiteral("Page 3 / 3")}));

    // No row passes the top of the footer, which sits at the foot of the drawable area.
    for (const PreparedPage &page : r.pages) {
        const PreparedItem &footer = page.items.back();
        EXPECT_EQ(footer.box.top(), 2970 - 100 - 100);
        for (const PreparedItem &i : page.items) {
            if (&i != &footer) {
                EXPECT_LE(i.box.top() + i.box.height(), footer.box.top());
            }
        }
    }
    // Every second row is shaded across the band.
    int shaded = 0;
    for (const PreparedItem &i : r.pages[0].items)
        shaded += i.kind == ObjectKind::Rect && i.fill == QColor(0xE8, 0xF3, 0xFF) && i.box.width() == 1900;
    EXPECT_EQ(shaded, 11);
}

TEST(ReportEngine, EmptyRowsGiveOnePageWithTheFixedBands)
{
    const ReportLayout layout = ParseReportLayout(QString::fromUtf8(kLayout));
    MemoryRowSource none({QStringLiteral("Title"), QStringLiteral("Price01")}, {});
    const PreparedReport r = PrepareReport(layout, &none, Program);
    ASSERT_EQ(r.pageCount(), 1);
    EXPECT_EQ(Texts(r.pages[0]),
        (QStringList{
            QStringLiteral("Liste "), QStringLiteral("Produit"), QStringLiteral("Fin"), QStringLiteral("Page 1 / 1")}));
    // No data set at all (a report without a query) lays the same bands.
    EXPECT_EQ(PrepareReport(layout, nullptr, Program).pageCount(), 1);
}

TEST(ReportEngine, ExpressionsFormatsAndVariables)
{
    const QString text = QStringLiteral("band: master-data\n  height: 5\n"
                                        "  text:\n    box: 0 0 50 5\n    value: [[[title]] [qty]\n"
                                        "  text:\n    box: 0 0 50 5\n    format: 0.000\n    value: [Price01]\n"
                                        "  text:\n    box: 0 0 50 5\n    format: integer\n    value: [Price01]\n"
                                        "  text:\n    box: 0 0 50 5\n    format: money\n    value: [Price01]\n"
                                        "  text:\n    box: 0 0 50 5\n    value: \" [Price01] [Who] \"\n");
    const ReportLayout layout = ParseReportLayout(text);
    MemoryRowSource rows({QStringLiteral("Title"), QStringLiteral("Qty"), QStringLiteral("Price01")},
        {{QStringLiteral("Pain"), 3, 2.675}, {QStringLiteral("Sel"), QVariant(), QVariant()}});
    QStringList asked;
    auto values = [&asked](const QString &name) -> std::optional<QVariant> {
        asked << name;
        if (name == QLatin1String("CURRENCYSYMBOL"))
            return QVariant(QStringLiteral("€"));
        if (name == QLatin1String("WHO"))
            return QVariant(QStringLiteral("moi"));
        return std::nullopt;
    };
    const PreparedReport r = PrepareReport(layout, &rows, values);
    EXPECT_EQ(Texts(r.pages[0]),
        (QStringList{QStringLiteral("[Pain] 3"), QStringLiteral("2.675"), QStringLiteral("3"), QStringLiteral("2.68 €"),
            QStringLiteral(" 2.675 moi "), QStringLiteral("[Sel] "), QString(), QString(), QString(),
            QStringLiteral("  moi ")}));
    EXPECT_TRUE(asked.contains(QStringLiteral("WHO")));
    EXPECT_FALSE(asked.contains(QStringLiteral("Who")));

    // A name that is neither a field nor a variable is reported with its layout line.
    const ReportLayout unknown =
        ParseReportLayout(QStringLiteral("band: title\n  height: 5\n  text:\n    box: 0 0 5 5\n"
                                         "    value: [Nothing]\n"));
    try {
        PrepareReport(unknown, &rows, values);
        FAIL() << "an unknown name was accepted";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("ligne 3"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("NOTHING"))) << e.message().toStdString();
    }
}

TEST(ReportEngine, MalformedLayoutsAreRefusedWithTheirLine)
{
    const std::pair<const char *, int> cases[] = {
        {"page: 210\n", 1},
        {"margins: 10 10 10 10\nband: chapter\n", 2},
        {"band: title\n  height: 10\n  text:\n    box: 0 0 10 10\n    value: [Title\n", 5},
        {"band: title\n  height: 10\n  text:\n    box: 0 0 10 10\n    colour: #FF0000\n", 5},
        {"band: title\n  height: 10\n  text:\n    box: 0 0 10 10\n    color: red\n", 5},
        {"band: title\n  height: 10\n  text:\n    value: x\n", 3},
        {"band: title\n  height: dix\n", 2},
        {"  height: 10\n", 1},
        {"band: title\n\n# comment\nband: title\n", 4},
        {"band: title\n  nothing here\n", 2},
        {"margins: 150 10 150 10\n", 1},
    };
    for (const auto &[text, line] : cases) {
        try {
            ParseReportLayout(QString::fromUtf8(text), QStringLiteral("Essai.frf"));
            ADD_FAILURE() << "accepted: " << text;
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Rapport « Essai.frf », ligne %1 :").arg(line)))
                << text << " -> " << e.message().toStdString();
        }
    }
    EXPECT_THROW(LoadReportLayout(QStringLiteral("/nonexistent/Nothing.frf")), Error);
}

TEST(ReportEngine, WrittenLayoutReadsBackTheSame)
{
    ReportLayout layout = ParseReportLayout(QString::fromUtf8(kLayout));
    layout.bands[0].objects[0].text = QStringLiteral("  espaces  ");
    layout.bands[0].objects[0].bold = true;
    layout.bands[0].objects[0].fontSize = 12.5;
    const QString written = WriteReportLayout(layout);
    const ReportLayout back = ParseReportLayout(written);
    EXPECT_EQ(back.bands[0].objects[0].text, QStringLiteral("  espaces  "));
    EXPECT_TRUE(back.bands[0].objects[0].bold);
    EXPECT_EQ(back.bands[0].objects[0].fontSize, 12.5);
    EXPECT_EQ(WriteReportLayout(back), written);
}

TEST(ReportEngine, DrawingPlacesTextsInTheirBoxes)
{
    ReportLayout layout = ParseReportLayout(QString::fromUtf8(kLayout));
    layout.bands[2].objects[0].text = QStringLiteral("[Title] avec un nom bien trop long pour sa case");
    QString error;
    ASSERT_TRUE(ParseTextTemplate(layout.bands[2].objects[0].text, layout.bands[2].objects[0].pieces, error));
    auto rows = Rows(30);
    const PreparedReport r = PrepareReport(layout, &rows, Program);
    RecordingSurface surface;
    ASSERT_TRUE(RenderReport(r, surface, 2, 2));
    EXPECT_EQ(surface.pageCount(), 1);
    const auto price = surface.textsEqualTo(QStringLiteral("36.00 €")); // row 24, first on page 2
    ASSERT_EQ(price.size(), 1u);
    EXPECT_EQ(price[0].align, SurfaceAlign::Right);
    EXPECT_EQ(price[0].x, 100 + 1000 + 400 - 8);
    // A text wider than its box is cut to the box (recorded widths: half the cell per letter).
    for (const auto &t : surface.texts())
        EXPECT_LE(t.text.size() * (t.font.height / 2), 1900) << t.text.toStdString();
    bool cut = false;
    for (const auto &t : surface.texts())
        cut = cut || (t.text.startsWith(QStringLiteral("Produit 24 avec")) && t.text.endsWith(QChar(0x2026)));
    EXPECT_TRUE(cut); // and says so with an ellipsis
    // Printing two copies of the whole report draws its two pages twice.
    RecordingSurface copies;
    ASSERT_TRUE(RenderReport(r, copies, 1, -1, 2));
    EXPECT_EQ(copies.pageCount(), 4);
}

// Rows of 10 mm whose title may wrap over a 40 mm box; a summary with sums.
const char *kGrowingLayout = R"(page: 210 297
margins: 10 10 10 10
band: master-data
  height: 10
  grow: yes
  alternate: #E8F3FF
  text:
    box: 0 0 40 10
    value: [Title]
    wrap: yes
  text:
    box: 40 0 30 10
    value: [Price01]
band: summary
  height: 10
  text:
    box: 0 0 60 10
    value: [SUM(Price01)] ; stock [SUM( Stock * Price01 )]
    format: money
)";

TEST(ReportEngine, GrowingBandsHoldLongTextsAndSummariesSumFields)
{
    test::EnsureGuiApplication(); // texts are measured in real fonts
    const QString longTitle = QStringLiteral("Confiture extra de fraises et de framboises du jardin, pot de verre");
    MemoryRowSource rows({QStringLiteral("Title"), QStringLiteral("Price01"), QStringLiteral("Stock")},
        {{QStringLiteral("Pain"), 1.5, 2}, {longTitle, QVariant(), 4}, {QStringLiteral("Lait"), 0.25, 3}});
    const ReportLayout layout = ParseReportLayout(QString::fromUtf8(kGrowingLayout));
    const PreparedReport r = PrepareReport(layout, &rows, Program);
    ASSERT_EQ(r.pageCount(), 1);
    const auto &items = r.pages[0].items;
    auto itemWithText = [&](const QString &text) {
        for (const PreparedItem &i : items)
            if (i.text == text)
                return i;
        ADD_FAILURE() << text.toStdString();
        return PreparedItem();
    };
    const PreparedItem pain = itemWithText(QStringLiteral("Pain"));
    const PreparedItem jam = itemWithText(longTitle);
    const PreparedItem milk = itemWithText(QStringLiteral("Lait"));
    EXPECT_EQ(pain.box.height(), 100);
    EXPECT_GT(jam.box.height(), 100); // several lines
    // The next row starts below the grown one; the shaded background grew with its row.
    EXPECT_EQ(milk.box.top(), jam.box.top() + jam.box.height());
    for (const PreparedItem &i : items) {
        if (i.kind == ObjectKind::Rect && i.box.top() == jam.box.top()) {
            EXPECT_EQ(i.box.height(), jam.box.height());
        }
    }
    // Drawn, every word of the long title is there: nothing cut.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("rapport.pdf"));
    WriteReportPdf(r, pdf);
    const QString text = test::RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).simplified();
    EXPECT_TRUE(text.contains(longTitle)) << text.toStdString();
    EXPECT_FALSE(text.contains(QChar(0x2026)));
    // Sums over every row, an empty price counting as 0.
    EXPECT_EQ(items.back().text, QStringLiteral("1.75 € ; stock 3.75 €"));

    // The same text in a fixed band stays in its box and ends with an ellipsis.
    ReportLayout fixed = layout;
    fixed.bands[0].grow = false;
    rows.first();
    const PreparedReport f = PrepareReport(fixed, &rows, Program);
    RecordingSurface fixedSurface;
    ASSERT_TRUE(RenderReport(f, fixedSurface));
    int cut = 0;
    for (const auto &t : fixedSurface.texts())
        cut += t.text.endsWith(QChar(0x2026)) ? 1 : 0;
    EXPECT_EQ(cut, 1);

    // A sum of a field the rows do not have stops the preparation, naming it.
    ReportLayout unknown = ParseReportLayout(
        QString::fromUtf8(kGrowingLayout).replace(QStringLiteral("SUM(Price01)"), QStringLiteral("SUM(Prix)")));
    try {
        PrepareReport(unknown, &rows, Program);
        ADD_FAILURE() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("« PRIX »"))) << e.message().toStdString();
    }
    // A page footer keeps its height.
    EXPECT_THROW(ParseReportLayout(QStringLiteral("band: page-footer\n  height: 5\n  grow: yes\n")), Error);
    EXPECT_TRUE(ParseReportLayout(WriteReportLayout(layout)).bands[0].grow);
}

TEST(ReportEngine, PicturesComeFromTheirBlobFieldFittedInTheirBox)
{
    QImage wide(200, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(wide.save(&buffer, "PNG"));

    const ReportLayout layout = ParseReportLayout(
        QStringLiteral("band: master-data\n  height: 30\n  picture:\n    box: 10 0 40 40\n    field: Img1\n"));
    MemoryRowSource rows({QStringLiteral("Img1")}, {{png}, {QVariant()}, {QByteArray("pas une image")}});
    const PreparedReport r = PrepareReport(layout, &rows, {});
    ASSERT_EQ(r.pages[0].items.size(), 1u); // rows without a readable picture draw nothing
    RecordingSurface surface;
    DrawPreparedPage(r.pages[0], surface);
    ASSERT_EQ(surface.images().size(), 1u);
    EXPECT_EQ(surface.images()[0].target, QRect(200, 200, 400, 200)); // 2:1, centred in 40 x 40 mm

    // A picture outside the rows has nothing to come from.
    EXPECT_THROW(PrepareReport(ParseReportLayout(QStringLiteral("band: title\n  height: 5\n  picture:\n"
                                                                "    box: 0 0 5 5\n    field: Img1\n")),
                     &rows, {}),
        Error);
}

} // namespace
} // namespace vivrelo
