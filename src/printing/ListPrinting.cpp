#include "printing/ListPrinting.h"

#include "base/Error.h"
#include "lists/TextRoutines.h"
#include "printing/PainterSurface.h"
#include "printing/ShopSplit.h"

#include <cmath>
#include <functional>

namespace vivrelo {

namespace {

// Sample lines are drawn down to the break line; a pitch of zero or less, or a sheet of
// thousands of lines, would otherwise never end.
constexpr int kMaxSampleLines = 10000;
constexpr int kBreakMargin = 120; // the line cursor stops 12 mm above the list page's bottom

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kSilver(192, 192, 192);

SurfaceFont LineFont(const PrintLayout &layout, int height)
{
    SurfaceFont f;
    f.family = layout.FontName;
    f.height = height;
    return f;
}

SurfaceFont TotalFont(const PrintLayout &layout, int height)
{
    SurfaceFont f = LineFont(layout, height);
    f.bold = true;
    return f;
}

void WhiteBrushAndPen(DrawingSurface &s)
{
    s.setBrush(SurfaceBrush::Solid, kWhite);
    s.setPen(SurfacePen::Solid, kWhite, 1);
}

void BlackBrushAndPen(DrawingSurface &s)
{
    s.setBrush(SurfaceBrush::Solid, kBlack);
    s.setPen(SurfacePen::Solid, kBlack, 1);
}

void DrawAligned(DrawingSurface &s, SurfaceAlign align, int x, int y, const QString &text)
{
    s.setTextAlign(align);
    s.drawText(x, y, text);
}

// Geometry of the printer sheet in drawing units.
struct SheetGeometry {
    int pt, pl, pw, ph;
    int itemRight, priceRight;
    int top, pitch, limit;

    explicit SheetGeometry(const PrintLayout &l)
        : pt(T(l.PrinterTop))
        , pl(T(l.PrinterLeft))
        , pw(T(l.PageWidth))
        , ph(T(l.PageHeight))
        , itemRight(pl + T(l.LeftItem))
        , priceRight(pl + T(l.LeftPrice))
        , top(T(l.TopLine))
        , pitch(T(l.InterLines))
        , limit(ph - kBreakMargin)
    { }
};

void DrawLine(DrawingSurface &s, const PrintLayout &layout, const SheetGeometry &g, int y, const QString &quantity,
    const QString &article, const QString &amount)
{
    s.setFont(LineFont(layout, layout.FontSize));
    WhiteBrushAndPen(s);
    DrawAligned(s, SurfaceAlign::Right, g.itemRight, g.pt + y, quantity);
    DrawAligned(s, SurfaceAlign::Left, g.itemRight + 10, g.pt + y, article);
    DrawAligned(s, SurfaceAlign::Right, g.priceRight, g.pt + y, amount);
}

void DrawTotal(DrawingSurface &s, const PrintLayout &layout, const SheetGeometry &g, const QString &amount)
{
    BlackBrushAndPen(s);
    s.drawRect(g.itemRight, g.pt + g.ph - 103, g.priceRight, g.pt + g.ph - 100);
    WhiteBrushAndPen(s);
    s.setFont(TotalFont(layout, layout.FontSize + 5));
    DrawAligned(s, SurfaceAlign::Left, g.itemRight, g.pt + g.ph - 90, QStringLiteral("TOTAL"));
    DrawAligned(s, SurfaceAlign::Right, g.priceRight, g.pt + g.ph - 90, amount);
}

void DrawFooter(DrawingSurface &s, const SheetGeometry &g)
{
    SurfaceFont f;
    f.family = QStringLiteral("Arial");
    f.height = 20;
    f.underline = true;
    s.setFont(f);
    WhiteBrushAndPen(s);
    DrawAligned(s, SurfaceAlign::Center, g.pl + g.pw / 2, g.pt + g.ph - 10, QString::fromLatin1(kProductWebAddress));
}

QString SampleAmount(const QString &currencySymbol)
{
    return MoneyText(100.0, currencySymbol);
}

const QString kSampleQuantity = QStringLiteral("1");
const QString kSampleArticle = QStringLiteral("Article (marque)");

} // namespace

void RequirePriceColumn(int column)
{
    if (column < 1 || column > 3)
        fail(QStringLiteral("La colonne de prix %1 n'existe pas : choisissez la colonne 1, 2 ou 3.").arg(column));
}

double PriceOf(const ListPrintRow &row, int column)
{
    RequirePriceColumn(column);
    return (column == 1 ? row.Price01 : column == 2 ? row.Price02 : row.Price03).value_or(0);
}

QString ArticleText(const ListPrintRow &row)
{
    const QString text =
        row.Mark.isEmpty() ? row.Title : row.Title + QStringLiteral(" (") + row.Mark + QLatin1Char(')');
    return text.left(255);
}

bool PrintList(DrawingSurface &surface, const std::vector<ListPrintRow> &rows, const PrintLayout &layout,
    int priceColumn, const QString &currencySymbol)
{
    RequirePriceColumn(priceColumn); // before anything is drawn
    const SheetGeometry g(layout);
    int y = g.top;
    double total = 0;
    bool footerOnPage = false;

    for (const ListPrintRow &row : rows) {
        // Every page that receives a row carries the footer once.
        if (!footerOnPage) {
            DrawFooter(surface, g);
            footerOnPage = true;
        }
        if (!row.Sel)
            continue;
        const double price = PriceOf(row, priceColumn);
        const int quantity = row.Quantity.trimmed().toInt();
        total += quantity * price;
        DrawLine(surface, layout, g, y, row.Quantity, ArticleText(row), MoneyText(quantity * price, currencySymbol));
        y += g.pitch;
        // Only a drawn line moves the cursor, so only a drawn line can end a page: rows off
        // the list never push out pages that would hold nothing but the footer.
        if (y >= g.limit) {
            y = g.top;
            surface.newPage();
            footerOnPage = false;
        }
    }
    DrawTotal(surface, layout, g, MoneyText(total, currencySymbol));
    return surface.end();
}

bool PrintShopSplit(
    DrawingSurface &surface, const ShopSplit &split, const PrintLayout &layout, const QString &currencySymbol)
{
    const SheetGeometry g(layout);
    int y = g.top;
    bool footerOnPage = false;
    // Headings and subtotals are lines like the products': they take a pitch and can end a page.
    const auto line = [&](const std::function<void()> &draw) {
        if (!footerOnPage) {
            DrawFooter(surface, g);
            footerOnPage = true;
        }
        draw();
        y += g.pitch;
        if (y >= g.limit) {
            y = g.top;
            surface.newPage();
            footerOnPage = false;
        }
    };
    SurfaceFont bold = LineFont(layout, layout.FontSize);
    bold.bold = true;
    for (const ShopSection &section : split.sections) {
        if (y != g.top)
            line([] {}); // a blank line between two sections, none at the top of a page
        // A heading never ends a page alone: it goes to the next one with its first line.
        if (y != g.top && y + g.pitch >= g.limit) {
            y = g.top;
            surface.newPage();
            footerOnPage = false;
        }
        line([&] {
            surface.setFont(bold);
            WhiteBrushAndPen(surface);
            DrawAligned(surface, SurfaceAlign::Left, g.itemRight + 10, g.pt + y, section.heading);
        });
        for (const ShopLine &l : section.lines)
            line([&] { DrawLine(surface, layout, g, y, l.quantity, l.article, MoneyText(l.amount, currencySymbol)); });
        line([&] {
            surface.setFont(bold);
            WhiteBrushAndPen(surface);
            DrawAligned(surface, SurfaceAlign::Left, g.itemRight + 10, g.pt + y,
                QStringLiteral("Sous-total ") + section.heading);
            DrawAligned(
                surface, SurfaceAlign::Right, g.priceRight, g.pt + y, MoneyText(section.subtotal, currencySymbol));
        });
    }
    DrawTotal(surface, layout, g, MoneyText(split.total, currencySymbol));
    const QString saving = SavingText(split, currencySymbol);
    if (!saving.isEmpty()) {
        surface.setFont(LineFont(layout, layout.FontSize));
        WhiteBrushAndPen(surface);
        // Under the total line, above the footer.
        DrawAligned(surface, SurfaceAlign::Left, g.itemRight, g.pt + g.ph - 90 + layout.FontSize + 5 + 5, saving);
    }
    return surface.end();
}

bool PrintTestPage(DrawingSurface &surface, const PrintLayout &layout, const QString &currencySymbol)
{
    const SheetGeometry g(layout);
    const QString amount = SampleAmount(currencySymbol);
    int y = g.top;
    int lines = 0;
    do {
        DrawLine(surface, layout, g, y, kSampleQuantity, kSampleArticle, amount);
        y += g.pitch;
    } while (y < g.limit && g.pitch > 0 && ++lines < kMaxSampleLines);
    DrawTotal(surface, layout, g, amount);
    return surface.end();
}

QSize PreviewSheetSize(int zoom, double dpi)
{
    const double perCm = dpi / 2.54;
    return QSize(S(zoom, std::trunc(perCm * 21)) + 1, S(zoom, std::trunc(perCm * 29.7)) + 1);
}

void DrawLayoutPreview(DrawingSurface &s, const PrintLayout &layout, int zoom, const QString &currencySymbol)
{
    auto Z = [zoom](double v) { return S(zoom, v); };
    const SheetGeometry g(layout);
    const int pts = Z(g.pt);
    const int pls = Z(g.pl);
    // Measures scaled from their product with 100 rounded to a double, not truncated.
    const int itemRight = Z(layout.LeftItem * 100) + pls;
    const int articleLeft = Z(layout.LeftItem * 100 + 10) + pls;
    const int priceRight = Z(layout.LeftPrice * 100) + pls;

    s.setPen(SurfacePen::Solid, kSilver, 1);
    s.setBrush(SurfaceBrush::Solid, kSilver);
    s.drawRect(pls + 5, pts + 5, Z(g.pw + 5) + pls, Z(g.ph + 5) + pts);
    s.setBrush(SurfaceBrush::Solid, kWhite);
    s.drawRect(pls, pts, Z(g.pw) + pls, Z(g.ph) + pts);

    const QString amount = SampleAmount(currencySymbol);
    const int step = Z(layout.InterLines * 100);
    const int limit = Z(layout.PageHeight * 100 - kBreakMargin);
    int yp = Z(layout.TopLine * 100);
    int lines = 0;
    do {
        s.setFont(LineFont(layout, Z(layout.FontSize)));
        WhiteBrushAndPen(s);
        DrawAligned(s, SurfaceAlign::Right, itemRight, pts + yp, kSampleQuantity);
        DrawAligned(s, SurfaceAlign::Left, articleLeft, pts + yp, kSampleArticle);
        DrawAligned(s, SurfaceAlign::Right, priceRight, pts + yp, amount);
        yp += step;
    } while (yp < limit && step > 0 && ++lines < kMaxSampleLines);

    // The rule keeps its 3 units at every zoom.
    BlackBrushAndPen(s);
    s.drawRect(itemRight, Z(g.ph - 100) + pts - 3, priceRight, Z(g.ph - 100) + pts);
    WhiteBrushAndPen(s);
    s.setFont(TotalFont(layout, Z(layout.FontSize + 5)));
    DrawAligned(s, SurfaceAlign::Left, itemRight, Z(g.ph - 90) + pts, QStringLiteral("TOTAL"));
    DrawAligned(s, SurfaceAlign::Right, priceRight, Z(g.ph - 90) + pts, amount);
}

QImage RenderLayoutPreview(const PrintLayout &layout, int zoom, double dpi, const QString &currencySymbol)
{
    BitmapSurface surface(PreviewSheetSize(zoom, dpi), dpi, kPreviewBackground);
    DrawLayoutPreview(surface, layout, zoom, currencySymbol);
    surface.end();
    return surface.image();
}

} // namespace vivrelo
