#include "report/ReportEngine.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "lists/TextRoutines.h"
#include "printing/PainterSurface.h"
#include "printing/RecordingSurface.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHash>

#include <memory>

namespace vivrelo {

namespace {

// The longest start of the text that fits the width.
QString CutToWidth(DrawingSurface &surface, const QString &text, int width)
{
    if (surface.textWidth(text) <= width)
        return text;
    int lo = 0, hi = int(text.size());
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (surface.textWidth(text.left(mid)) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    return text.left(lo);
}

const QChar kEllipsis(0x2026);

// The longest start of the text that fits the width with an ellipsis after it: a cut text
// says that it is cut.
QString WithEllipsis(DrawingSurface &surface, const QString &text, int width)
{
    const int room = width - surface.textWidth(QString(kEllipsis));
    if (room <= 0)
        return QString();
    QString start = CutToWidth(surface, text, room);
    while (start.endsWith(QLatin1Char(' ')))
        start.chop(1);
    return start + kEllipsis;
}

// The text as it fits on one line of the width: whole, or cut with an ellipsis.
QString FitToWidth(DrawingSurface &surface, const QString &text, int width)
{
    if (surface.textWidth(text) <= width)
        return text;
    return WithEllipsis(surface, text, width);
}

// The text broken into lines at blanks; a word longer than the width is broken where it
// reaches the width, so no letter is lost.
QStringList WrapToWidth(DrawingSurface &surface, const QString &text, int width)
{
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString current;
        for (QString word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (surface.textWidth(candidate) <= width) {
                current = candidate;
                continue;
            }
            if (!current.isEmpty())
                lines << current;
            current.clear();
            while (surface.textWidth(word) > width) {
                const QString piece = CutToWidth(surface, word, width);
                const qsizetype taken = std::max<qsizetype>(1, piece.size());
                lines << word.left(taken);
                word.remove(0, taken);
            }
            current = word;
        }
        lines << current;
    }
    return lines;
}

constexpr int kTextPadding = 8; // between a text and the sides of its box

// The room a text's lines have in its box.
int InnerWidth(const QRect &box)
{
    return std::max(0, box.width() - 2 * kTextPadding);
}

// Stands for the page count in texts until the last page is known.
const QString kPagesMark = QStringLiteral("\uE000PAGES\uE000");

// A name of a text object, resolved once before the rows are read.
struct ResolvedPiece {
    const TextPiece *piece;
    int field = -1; // index in the row source, -1 for a variable
};

class Preparer
{
public:
    Preparer(const ReportLayout &layout, RowSource *rows, const ReportValueCallback &values)
        : m_layout(layout)
        , m_rows(rows)
        , m_values(values)
    {
        m_bandWidth = layout.pageWidth - layout.marginLeft - layout.marginRight;
        if (const ReportBand *footer = layout.band(BandKind::PageFooter))
            m_footerTop = layout.pageHeight - layout.marginBottom - footer->height;
        else
            m_footerTop = layout.pageHeight - layout.marginBottom;
        if (rows)
            m_fieldNames = rows->fieldNames();
        findSums();
    }

    PreparedReport run(const QString &title)
    {
        m_report.title = title;
        m_report.pageSize = QSize(m_layout.pageWidth, m_layout.pageHeight);
        startPage();
        const ReportBand *master = m_layout.band(BandKind::MasterData);
        if (master && m_rows) {
            const auto resolved = resolveFields(*master);
            int row = 0;
            for (bool more = m_rows->first(); more; more = m_rows->next()) {
                m_line = ++row;
                addToSums();
                placeFlowing(*master, &resolved, row % 2 == 0);
            }
        }
        if (const ReportBand *summary = m_layout.band(BandKind::Summary))
            placeFlowing(*summary, nullptr, false);
        finishPage();
        const QString count = QString::number(m_report.pageCount());
        for (auto [page, item] : m_deferred) {
            QString &text = m_report.pages[size_t(page)].items[size_t(item)].text;
            text.replace(kPagesMark, count);
        }
        return std::move(m_report);
    }

private:
    using Resolved = std::vector<std::vector<int>>; // per object, per piece: field index or -1

    int fieldIndex(const QString &name) const
    {
        for (int i = 0; i < m_fieldNames.size(); ++i)
            if (m_fieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    Resolved resolveFields(const ReportBand &band) const
    {
        Resolved out;
        for (const ReportObject &o : band.objects) {
            std::vector<int> fields;
            for (const TextPiece &p : o.pieces)
                fields.push_back(p.isName ? fieldIndex(p.text) : -1);
            if (o.kind == ObjectKind::Picture) {
                const int f = fieldIndex(o.field);
                if (f < 0)
                    objectFault(
                        o, QStringLiteral("le champ d'image « %1 » n'existe pas dans les données").arg(o.field));
                fields = {f};
            }
            out.push_back(std::move(fields));
        }
        return out;
    }

    [[noreturn]] void objectFault(const ReportObject &o, const QString &what) const
    {
        const QString name = m_layout.fileName.isEmpty() ? QStringLiteral("Rapport")
                                                         : QStringLiteral("Rapport « %1 »").arg(m_layout.fileName);
        fail(QStringLiteral("%1, ligne %2 : %3.").arg(name).arg(o.line).arg(what));
    }

    // "[SUM(Field)]" and "[SUM(Field*Field...)]": the sum over the rows read so far of a field
    // or of a product of fields, an empty value counting as 0.
    void findSums()
    {
        for (const ReportBand &band : m_layout.bands)
            for (const ReportObject &o : band.objects)
                for (const TextPiece &p : o.pieces) {
                    if (!p.isName)
                        continue;
                    QString name = p.text.toUpper();
                    name.remove(QLatin1Char(' '));
                    if (!name.startsWith(QLatin1String("SUM(")) || !name.endsWith(QLatin1Char(')'))
                        || m_sums.contains(name))
                        continue;
                    Sum sum;
                    for (const QString &factor : name.mid(4, name.size() - 5).split(QLatin1Char('*'))) {
                        const int f = fieldIndex(factor);
                        if (f < 0 && m_rows)
                            objectFault(o,
                                QStringLiteral("« %1 » n'est pas un champ des données : la somme « [%2] » "
                                               "ne peut pas être faite")
                                    .arg(factor, p.text));
                        sum.fields.push_back(f);
                    }
                    m_sums.insert(name, sum);
                }
    }

    void addToSums()
    {
        for (Sum &sum : m_sums) {
            double product = 1;
            for (int f : sum.fields)
                product *= m_rows->value(f).toDouble(); // an empty value reads as 0
            sum.value += product;
        }
    }

    void startPage()
    {
        m_report.pages.emplace_back();
        m_y = m_layout.marginTop;
        m_flowingOnPage = 0;
        if (m_report.pageCount() == 1)
            if (const ReportBand *t = m_layout.band(BandKind::Title))
                place(*t, m_y, nullptr, false);
        if (const ReportBand *h = m_layout.band(BandKind::PageHeader))
            place(*h, m_y, nullptr, false);
    }

    void finishPage()
    {
        if (const ReportBand *f = m_layout.band(BandKind::PageFooter)) {
            int y = m_footerTop;
            place(*f, y, nullptr, false);
        }
    }

    // A band laid out from its top, before it is put on the page.
    struct Laid {
        std::vector<PreparedItem> items;
        std::vector<int> deferred; // items whose text waits for the page count
        int height = 0;
    };

    // A master-data or summary band: on a new page when it would reach into the footer,
    // unless the page holds none yet (a band taller than the page is laid anyway).
    void placeFlowing(const ReportBand &band, const Resolved *resolved, bool shaded)
    {
        Laid laid = layOut(band, resolved, shaded);
        if (m_y + laid.height > m_footerTop && m_flowingOnPage > 0) {
            finishPage();
            startPage();
            laid = layOut(band, resolved, shaded); // its page number has changed
        }
        put(std::move(laid), m_y);
        ++m_flowingOnPage;
    }

    void place(const ReportBand &band, int &y, const Resolved *resolved, bool shaded)
    {
        put(layOut(band, resolved, shaded), y);
    }

    void put(Laid &&laid, int &y)
    {
        PreparedPage &page = m_report.pages.back();
        const int first = int(page.items.size());
        for (PreparedItem &item : laid.items) {
            item.box.translate(0, y);
            page.items.push_back(std::move(item));
        }
        for (int i : laid.deferred)
            m_deferred.emplace_back(m_report.pageCount() - 1, first + i);
        y += laid.height;
    }

    // The band's objects from the band's top. A growing band takes the height its wrapped
    // texts need, each such text's box growing down by what its lines need.
    Laid layOut(const ReportBand &band, const Resolved *resolved, bool shaded)
    {
        Laid laid;
        laid.height = band.height;
        laid.items.reserve(band.objects.size() + 1);
        const int left = m_layout.marginLeft;
        if (shaded && band.alternate.isValid()) {
            PreparedItem bg;
            bg.kind = ObjectKind::Rect;
            bg.box = QRect(left, 0, m_bandWidth, band.height);
            bg.fill = band.alternate;
            laid.items.push_back(bg);
        }
        for (size_t i = 0; i < band.objects.size(); ++i) {
            const ReportObject &o = band.objects[i];
            PreparedItem item;
            item.kind = o.kind;
            item.box = QRect(left + o.x, o.y, o.width, o.height);
            item.fill = o.fill;
            item.penColor = o.penColor;
            item.penWidth = o.penWidth;
            if (o.kind == ObjectKind::Text) {
                item.font.family = o.fontFamily;
                item.font.height = FontCellHeight(o.fontSize);
                item.font.bold = o.bold;
                item.font.italic = o.italic;
                item.font.underline = o.underline;
                item.font.color = o.color;
                item.align = o.align;
                item.wrap = o.wrap;
                bool deferred = false;
                item.text = evaluate(o, resolved ? &(*resolved)[i] : nullptr, deferred);
                if (deferred)
                    laid.deferred.push_back(int(laid.items.size()));
                if (band.grow && o.wrap && !item.text.isEmpty()) {
                    const int needed = neededHeight(item);
                    if (needed > o.height) {
                        item.box.setHeight(needed);
                        laid.height = std::max(laid.height, band.height + needed - o.height);
                    }
                }
            } else if (o.kind == ObjectKind::Picture) {
                const int f = resolved ? (*resolved)[i][0] : -1;
                if (f < 0)
                    objectFault(o, QStringLiteral("une image ne se place que dans la bande des données"));
                const QVariant v = m_rows->value(f);
                if (v.isNull() || !item.picture.loadFromData(v.toByteArray()))
                    continue; // no picture for this row
            }
            laid.items.push_back(std::move(item));
        }
        if (laid.height != band.height && shaded && band.alternate.isValid())
            laid.items.front().box.setHeight(laid.height);
        return laid;
    }

    // The height a wrapped text's lines take, measured as a PDF file draws them.
    int neededHeight(const PreparedItem &item)
    {
        // Fonts need the windowing system; without it (a tool run without one) the widths are
        // estimated rather than the process stopped.
        if (!m_measure) {
            if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
                m_measure = std::make_unique<BitmapSurface>(QSize(1, 1), 2540.0, Qt::white);
            else
                m_measure = std::make_unique<RecordingSurface>();
        }
        if (!m_measuredFont || !(*m_measuredFont == item.font)) {
            m_measure->setFont(item.font);
            m_measuredFont = item.font;
            m_letterWidths.clear();
        }
        const int inner = InnerWidth(item.box);
        const qsizetype lines = surelyOneLine(item.text, inner) ? 1 : WrapToWidth(*m_measure, item.text, inner).size();
        return int(lines) * item.font.height + 2 * kTextPadding;
    }

    // Most texts fit their box on one line: the sum of their letters' widths (each rounded up
    // by a unit, which covers rounding and kerning) tells it without measuring the whole text.
    bool surelyOneLine(const QString &text, int inner)
    {
        int sum = 0;
        for (const QChar c : text) {
            if (c == QLatin1Char('\n'))
                return false;
            auto width = m_letterWidths.constFind(c.unicode());
            if (width == m_letterWidths.cend())
                width = m_letterWidths.insert(c.unicode(), m_measure->textWidth(QString(c)) + 1);
            sum += *width;
            if (sum > inner)
                return m_measure->textWidth(text) <= inner && !text.contains(QLatin1Char('\n'));
        }
        return true;
    }

    QString evaluate(const ReportObject &o, const std::vector<int> *fields, bool &deferred)
    {
        QString out;
        for (size_t i = 0; i < o.pieces.size(); ++i) {
            const TextPiece &p = o.pieces[i];
            if (!p.isName) {
                out += p.text;
                continue;
            }
            const int f = fields ? (*fields)[i] : -1;
            if (f >= 0) {
                out += formatted(o, m_rows->value(f));
                continue;
            }
            const QString name = p.text.toUpper();
            if (name == QLatin1String("PAGES")) {
                if (auto v = m_values ? m_values(name) : std::nullopt) {
                    out += formatted(o, *v);
                } else {
                    out += kPagesMark;
                    deferred = true;
                }
                continue;
            }
            out += formatted(o, variable(o, name));
        }
        return out;
    }

    QVariant variable(const ReportObject &o, const QString &name)
    {
        if (m_values)
            if (auto v = m_values(name))
                return *v;
        if (name.startsWith(QLatin1String("SUM("))) {
            QString key = name;
            key.remove(QLatin1Char(' '));
            const auto sum = m_sums.constFind(key);
            if (sum != m_sums.cend())
                return sum->value;
        }
        if (name == QLatin1String("PAGE"))
            return m_report.pageCount();
        if (name == QLatin1String("LINE"))
            return m_line;
        if (name == QLatin1String("DATE"))
            return ShortDate(QDate::currentDate());
        if (name == QLatin1String("TIME"))
            return QTime::currentTime().toString(QStringLiteral("hh:mm"));
        if (name == QLatin1String("TITLE"))
            return m_report.title;
        objectFault(o, QStringLiteral("« [%1] » n'est ni un champ des données ni une variable connue").arg(name));
    }

    QString formatted(const ReportObject &o, const QVariant &v)
    {
        if (v.isNull() || !v.isValid())
            return QString();
        if (o.format == ValueFormat::Plain) {
            if (v.typeId() == QMetaType::Double)
                return QString::number(v.toDouble(), 'g', 15);
            return v.toString();
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            return v.toString();
        switch (o.format) {
        case ValueFormat::Money:
            return MoneyText(d, currencySymbol());
        case ValueFormat::Integer:
            return QString::number(qRound64(d));
        case ValueFormat::Fixed:
            return TrimLeadingBlanks(FormatFixed(0, o.decimals, d));
        case ValueFormat::Plain:
            break;
        }
        return v.toString();
    }

    QString currencySymbol()
    {
        if (!m_symbolRead) {
            m_symbolRead = true;
            if (m_values)
                if (auto v = m_values(QStringLiteral("CURRENCYSYMBOL")))
                    m_symbol = v->toString();
        }
        return m_symbol;
    }

    const ReportLayout &m_layout;
    RowSource *m_rows;
    const ReportValueCallback &m_values;
    QStringList m_fieldNames;
    PreparedReport m_report;
    std::vector<std::pair<int, int>> m_deferred;
    struct Sum {
        std::vector<int> fields;
        double value = 0;
    };
    QHash<QString, Sum> m_sums; // by the name upper-cased, without blanks
    std::unique_ptr<DrawingSurface> m_measure;
    std::optional<SurfaceFont> m_measuredFont;
    QHash<char16_t, int> m_letterWidths; // of the measured font
    int m_bandWidth = 0;
    int m_footerTop = 0;
    int m_y = 0;
    int m_flowingOnPage = 0;
    int m_line = 0;
    bool m_symbolRead = false;
    QString m_symbol;
};

SurfaceAlign ToSurface(TextAlign a)
{
    switch (a) {
    case TextAlign::Left:
        return SurfaceAlign::Left;
    case TextAlign::Right:
        return SurfaceAlign::Right;
    case TextAlign::Center:
        return SurfaceAlign::Center;
    }
    return SurfaceAlign::Left;
}

void DrawText(const PreparedItem &item, DrawingSurface &surface)
{
    const QRect &b = item.box;
    if (item.fill.isValid()) {
        surface.setPen(SurfacePen::Clear, item.fill, 0);
        surface.setBrush(SurfaceBrush::Solid, item.fill);
        surface.drawRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
    }
    if (item.text.isEmpty())
        return;
    surface.setBrush(SurfaceBrush::Clear, Qt::white);
    surface.setFont(item.font);
    surface.setTextAlign(ToSurface(item.align));
    const int inner = InnerWidth(b);
    int x = b.left() + kTextPadding;
    if (item.align == TextAlign::Right)
        x = b.left() + b.width() - kTextPadding;
    else if (item.align == TextAlign::Center)
        x = b.left() + b.width() / 2;
    const int cell = item.font.height;
    if (!item.wrap) {
        const int y = b.top() + std::max(0, (b.height() - cell) / 2);
        surface.drawText(x, y, FitToWidth(surface, item.text, inner));
        return;
    }
    const QStringList lines = WrapToWidth(surface, item.text, inner);
    // The lines the box holds (at least one); when some are left over, the last one shown
    // ends with an ellipsis.
    const int shown = int(std::clamp<qsizetype>(b.height() / std::max(1, cell), 1, lines.size()));
    const int top = b.top() + std::max(0, (b.height() - shown * cell) / 2);
    for (int i = 0; i < shown; ++i) {
        const bool cut = i == shown - 1 && shown < lines.size();
        surface.drawText(x, top + i * cell, cut ? WithEllipsis(surface, lines[i], inner) : lines[i]);
    }
}

} // namespace

int FontCellHeight(double points)
{
    // A point is 254/72 tenths of a millimetre; the cell (ascent and descent) of the usual
    // faces is about 1.15 times their size.
    return std::max(1, qRound(points * 254.0 / 72.0 * 1.15));
}

PreparedReport PrepareReport(
    const ReportLayout &layout, RowSource *rows, const ReportValueCallback &values, const QString &title)
{
    return Preparer(layout, rows, values).run(title);
}

void DrawPreparedPage(const PreparedPage &page, DrawingSurface &surface)
{
    for (const PreparedItem &item : page.items) {
        const QRect &b = item.box;
        switch (item.kind) {
        case ObjectKind::Text:
            DrawText(item, surface);
            break;
        case ObjectKind::Rect:
            surface.setPen(item.penWidth > 0 ? SurfacePen::Solid : SurfacePen::Clear, item.penColor, item.penWidth);
            surface.setBrush(item.fill.isValid() ? SurfaceBrush::Solid : SurfaceBrush::Clear,
                item.fill.isValid() ? item.fill : QColor(Qt::white));
            surface.drawRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
            break;
        case ObjectKind::Line:
            surface.setPen(SurfacePen::Solid, item.penColor, item.penWidth);
            surface.drawLine(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
            break;
        case ObjectKind::Picture: {
            QSize fitted = item.picture.size().scaled(b.size(), Qt::KeepAspectRatio);
            const QRect target(b.left() + (b.width() - fitted.width()) / 2,
                b.top() + (b.height() - fitted.height()) / 2, fitted.width(), fitted.height());
            surface.drawImage(target, item.picture);
            break;
        }
        }
    }
}

bool RenderReport(const PreparedReport &report, DrawingSurface &surface, int first, int last, int copies)
{
    if (last < 0 || last > report.pageCount())
        last = report.pageCount();
    first = std::max(first, 1);
    if (first > last || copies < 1) {
        surface.end();
        return false;
    }
    bool started = false;
    for (int c = 0; c < copies; ++c) {
        for (int p = first; p <= last; ++p) {
            if (started)
                surface.newPage();
            started = true;
            DrawPreparedPage(report.pages[size_t(p - 1)], surface);
        }
    }
    return surface.end();
}

QString PageRangeText(int first, int last)
{
    return QString::number(first) + QLatin1Char('-') + QString::number(last);
}

bool PrintReportRange(const PreparedReport &report, DrawingSurface &surface, const QString &range, int copies)
{
    const QStringList parts = range.split(QLatin1Char('-'));
    bool okFirst = false, okLast = false;
    const int first = parts.value(0).trimmed().toInt(&okFirst);
    const int last = parts.size() == 1 ? first : parts.value(1).trimmed().toInt(&okLast);
    if (!okFirst || (parts.size() == 2 && !okLast) || parts.size() > 2 || first < 1 || last < first
        || last > report.pageCount()) {
        surface.end();
        return false;
    }
    return RenderReport(report, surface, first, last, copies);
}

void WriteReportPdf(const PreparedReport &report, const QString &path)
{
    WritePdfFile(path, report.title, QStringLiteral("Le rapport n'a pas été enregistré."),
        [&](DrawingSurface &surface) { return RenderReport(report, surface); });
}

QImage RenderPageImage(const PreparedPage &page, const QSize &pageSize, double pixelsPerUnit)
{
    const QSize pixels(
        std::max(1, qRound(pageSize.width() * pixelsPerUnit)), std::max(1, qRound(pageSize.height() * pixelsPerUnit)));
    BitmapSurface surface(pixels, pixelsPerUnit * 254.0, Qt::white);
    DrawPreparedPage(page, surface);
    surface.end();
    return surface.image();
}

} // namespace vivrelo
