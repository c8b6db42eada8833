#pragma once

#include "printing/DrawingSurface.h"
#include "report/ReportLayout.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace vivrelo {

// The rows a report runs over: read once, from the first row to the last.
class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual QStringList fieldNames() const = 0;
    // Goes to the first row; false when there is none.
    virtual bool first() = 0;
    // Goes to the next row; false past the last one.
    virtual bool next() = 0;
    // Value of a field of the current row by its index in fieldNames(); QVariant() for NULL.
    virtual QVariant value(int field) const = 0;
};

// Rows held in memory, for reports built by code and for tests.
class MemoryRowSource : public RowSource
{
public:
    MemoryRowSource(QStringList fields, std::vector<QVariantList> rows)
        : m_fields(std::move(fields))
        , m_rows(std::move(rows))
    { }
    QStringList fieldNames() const override { return m_fields; }
    bool first() override
    {
        m_row = 0;
        return !m_rows.empty();
    }
    bool next() override
    {
        ++m_row;
        return m_row < int(m_rows.size());
    }
    QVariant value(int field) const override { return m_rows[size_t(m_row)].value(field); }

private:
    QStringList m_fields;
    std::vector<QVariantList> m_rows;
    int m_row = 0;
};

// The program's values of the report's variables. It receives the name in upper case and
// answers std::nullopt for a name it does not know (the engine's own names, below, are then
// used).
using ReportValueCallback = std::function<std::optional<QVariant>(const QString &name)>;

// One positioned piece of a prepared page, in tenths of a millimetre from the sheet's
// top-left corner.
struct PreparedItem {
    ObjectKind kind = ObjectKind::Text;
    QRect box; // Line: from box.topLeft() to box.topLeft() + (width, height)
    QString text;
    SurfaceFont font;
    TextAlign align = TextAlign::Left;
    bool wrap = false;
    QColor fill; // invalid: none
    QColor penColor;
    int penWidth = 0;
    QImage picture;
};

struct PreparedPage {
    std::vector<PreparedItem> items;
};

struct PreparedReport {
    QString title;
    QSize pageSize{2100, 2970};
    std::vector<PreparedPage> pages;
    int pageCount() const { return int(pages.size()); }
};

// Fills a layout from the rows, once from the first row to the last.
//
// Page 1 starts with the title band, then the page header; every later page starts with the
// page header. The master-data band is laid once per row; when it would pass the top of the
// page footer, a new page starts first. The summary follows the last row (on a new page when
// it does not fit). The page footer closes every page at the foot of the drawable area.
//
// In a text, "[Name]" is replaced by: in the master-data band, the field of that name of the
// current row (names compared without regard to case); otherwise the program's value of the
// variable (callback, upper-cased name); else the engine's own PAGE (page number), PAGES
// (page count), LINE (row number in the master data), DATE (dd/mm/yyyy) and TIME (hh:mm).
// The object's format turns numbers into money (the CURRENCYSYMBOL variable's value as the
// symbol), whole numbers or fixed decimals. An unknown name throws Error naming it and the
// line of the layout.
PreparedReport PrepareReport(
    const ReportLayout &layout, RowSource *rows, const ReportValueCallback &values, const QString &title = QString());

// Draws one prepared page on a surface (the surface's page, not a new one).
void DrawPreparedPage(const PreparedPage &page, DrawingSurface &surface);
// Draws pages first..last (from 1, clamped to the report), `copies` times, with a new page
// between pages, then ends the surface. False when nothing was to be drawn or the surface
// reports a failure.
bool RenderReport(const PreparedReport &report, DrawingSurface &surface, int first = 1, int last = -1, int copies = 1);

// A page range as the print job takes it: "first-last" in decimal ("2-2" for one page).
QString PageRangeText(int first, int last);
// Prints the pages of a range text ("3-5"; a single number is one page), `copies` times, and
// ends the surface. False for a malformed range, one outside the report, or a failed device.
bool PrintReportRange(const PreparedReport &report, DrawingSurface &surface, const QString &range, int copies);

// Every page of the report, once, into an A4 PDF file (replaced only once complete and
// checked). Throws an Error naming the file when it could not be written.
void WriteReportPdf(const PreparedReport &report, const QString &path);

// A picture of a prepared page at a scale in pixels per drawing unit, on white.
QImage RenderPageImage(const PreparedPage &page, const QSize &pageSize, double pixelsPerUnit);

// The cell height in drawing units of a font of `points` points.
int FontCellHeight(double points);

} // namespace vivrelo
