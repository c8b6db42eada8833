#pragma once

#include "printing/DrawingSurface.h"
#include "printing/PrintLayout.h"

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

namespace vivrelo {

// The web address printed at the foot of every page of the printed list.
inline constexpr char kProductWebAddress[] = "https://www.orbelin-software.fr/vivrelo";

// One catalogue row as the printed list reads it, in title order.
struct ListPrintRow {
    int Id = 0;
    bool Sel = false;
    QString Quantity; // the field's text, empty when null
    QString Title;
    QString Mark;
    std::optional<double> Price01; // empty when the field is null
    std::optional<double> Price02;
    std::optional<double> Price03;
};

// Throws an Error for a price column other than 1, 2 or 3.
void RequirePriceColumn(int column);
// The price of a row in column 1, 2 or 3; 0 when that price is empty.
double PriceOf(const ListPrintRow &row, int column);
// The article as printed: "Title (Mark)", or the title alone without a mark; at most 255
// characters.
QString ArticleText(const ListPrintRow &row);

// Draws the printed list on a fresh surface and ends it: one line per ticked row (quantity,
// article, amount in the price column), a new page when the line cursor reaches 12 mm above
// the bottom of the list page, the footer on every page that receives a row, then the rule
// and the total. Returns false when the device reports a failure: the list is not printed.
bool PrintList(DrawingSurface &surface, const std::vector<ListPrintRow> &rows, const PrintLayout &layout,
    int priceColumn, const QString &currencySymbol);

struct ShopSplit;
// Draws the list split by shop on a fresh surface and ends it, with the printed list's layout,
// fonts and page breaks: per section its heading, its lines and its subtotal, a blank line
// between sections; then the rule and the split total, with the saving under it. Returns
// false when the device reports a failure.
bool PrintShopSplit(
    DrawingSurface &surface, const ShopSplit &split, const PrintLayout &layout, const QString &currencySymbol);

// The test print: sample lines down to the break line (at least one), the rule and the
// total, on one page. Returns false when the device reports a failure.
bool PrintTestPage(DrawingSurface &surface, const PrintLayout &layout, const QString &currencySymbol);

// Size in pixels of the preview's A4 sheet at a zoom, for a screen of `dpi` logical pixels
// per inch.
QSize PreviewSheetSize(int zoom, double dpi);
// Background colour of the preview sheet.
inline const QColor kPreviewBackground{255, 255, 242};
// Draws the layout preview (shadow, list page, sample lines, rule, total) at a zoom onto a
// surface in the screen's metric mapping; the caller has filled its background.
void DrawLayoutPreview(DrawingSurface &surface, const PrintLayout &layout, int zoom, const QString &currencySymbol);
// The whole preview sheet as a picture.
QImage RenderLayoutPreview(const PrintLayout &layout, int zoom, double dpi, const QString &currencySymbol);

} // namespace vivrelo
