#include "lists/ShoppingList.h"

#include "db/Connection.h"
#include "lists/TextRoutines.h"

#include <algorithm>

namespace vivrelo {

namespace {
// Cents of an amount as its money text shows it.
qint64 ShownCents(double value)
{
    return qRound64(FormatFixed(7, 2, value).trimmed().toDouble() * 100.0);
}
} // namespace

double NumberOrZero(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return 0.0;
    if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
        return 0.0;
    return value.toDouble();
}

QString DisplayLine(const ListQueryRow &row, const QString &currencySymbol)
{
    const double quantity = NumberOrZero(row.quantity);
    QString line =
        ZeroPad(int(row.id), 4) + QLatin1Char('#') + row.quantity.toString() + QStringLiteral("%1%") + row.title;
    static const char *const markers[] = {"%2%", "%3%", "%4%"};
    for (int n = 0; n < 3; ++n)
        line += QLatin1String(markers[n]) + MoneyText(NumberOrZero(row.prices[size_t(n)]) * quantity, currencySymbol);
    return line + QStringLiteral("%5%");
}

namespace {
bool SameValues(const ListQueryRow &a, const ListQueryRow &b)
{
    return a.quantity == b.quantity && a.title == b.title && a.prices == b.prices;
}
} // namespace

QString DisplayLineCache::line(const ListQueryRow &row, const QString &currencySymbol)
{
    Entry &entry = m_entries[row.id];
    if (entry.build == 0 || !SameValues(entry.row, row) || entry.currencySymbol != currencySymbol) {
        entry.row = row;
        entry.currencySymbol = currencySymbol;
        entry.line = DisplayLine(row, currencySymbol);
    }
    if (entry.build != m_build)
        ++m_used;
    entry.build = m_build;
    return entry.line;
}

void DisplayLineCache::endBuild()
{
    if (m_entries.size() > 2 * m_used + 64)
        m_entries.removeIf([this](const auto &item) { return item.value().build != m_build; });
    ++m_build;
    m_used = 0;
}

ListDisplay BuildListDisplay(
    const std::vector<ListQueryRow> &rows, const QString &currencySymbol, DisplayLineCache *cache)
{
    ListDisplay display;
    display.lines.reserve(qsizetype(rows.size()));
    for (const ListQueryRow &row : rows) {
        if (!row.sel)
            continue;
        const double quantity = NumberOrZero(row.quantity);
        for (size_t n = 0; n < 3; ++n)
            display.totals[n] += NumberOrZero(row.prices[n]) * quantity;
        display.lines << (cache ? cache->line(row, currencySymbol) : DisplayLine(row, currencySymbol));
    }
    if (cache)
        cache->endBuild();
    display.markers = AssignMarkers(display.totals);
    return display;
}

bool ApplyRowChange(std::vector<ListQueryRow> &rows, const ListQueryRow &changed)
{
    const auto byTitle = [](const ListQueryRow &row, const QString &title) {
        return CompareNoCase(row.title, title) < 0;
    };
    if (changed.sel) {
        // Another product of equal title where it goes: their order is the list query's.
        for (auto k = std::lower_bound(rows.begin(), rows.end(), changed.title, byTitle);
             k != rows.end() && CompareNoCase(k->title, changed.title) == 0; ++k)
            if (k->id != changed.id)
                return false;
    }
    std::erase_if(rows, [&changed](const ListQueryRow &r) { return r.id == changed.id; });
    if (changed.sel)
        rows.insert(std::lower_bound(rows.begin(), rows.end(), changed.title, byTitle), changed);
    return true;
}

DisplayLineFields ReadDisplayLine(const QString &line)
{
    auto between = [&line](const QString &open, const QString &close) {
        const int a = line.indexOf(open);
        const int b = line.indexOf(close);
        if (a < 0 || b < 0 || b < a + open.size())
            return QString();
        return line.mid(a + open.size(), b - a - open.size());
    };
    DisplayLineFields f;
    f.quantity = between(QStringLiteral("#"), QStringLiteral("%1%"));
    f.title = between(QStringLiteral("%1%"), QStringLiteral("%2%"));
    f.amounts[0] = between(QStringLiteral("%2%"), QStringLiteral("%3%"));
    f.amounts[1] = between(QStringLiteral("%3%"), QStringLiteral("%4%"));
    f.amounts[2] = between(QStringLiteral("%4%"), QStringLiteral("%5%"));
    return f;
}

std::array<PriceMarker, 3> AssignMarkers(const std::array<double, 3> &totals)
{
    std::array<qint64, 3> cents{};
    for (size_t n = 0; n < 3; ++n)
        cents[n] = ShownCents(totals[n]);
    const qint64 low = *std::min_element(cents.begin(), cents.end());
    const qint64 high = *std::max_element(cents.begin(), cents.end());
    std::array<PriceMarker, 3> markers{};
    for (size_t n = 0; n < 3; ++n) {
        if (low == high || cents[n] == low)
            markers[n] = PriceMarker::Cheapest;
        else if (cents[n] == high)
            markers[n] = PriceMarker::Dearest;
        else
            markers[n] = PriceMarker::InBetween;
        if (cents[n] == 0)
            markers[n] = PriceMarker::None;
    }
    return markers;
}

QString MarkerWord(PriceMarker marker)
{
    switch (marker) {
    case PriceMarker::Cheapest:
        return QStringLiteral("le moins cher ");
    case PriceMarker::InBetween:
        return QStringLiteral("intermédiaire ");
    case PriceMarker::Dearest:
        return QStringLiteral("le plus cher ");
    case PriceMarker::None:
        break;
    }
    return QString();
}

LineBounds ComputeLineBounds(bool sel, int stock, int stockMax)
{
    LineBounds b;
    b.stockMin = 0;
    b.quantityMin = sel ? 1 : 0;
    // A stock already above its maximum leaves nothing to buy: never a negative quantity.
    b.quantityMax = stockMax > 0 ? std::max(0, stockMax - stock) : 99;
    return b;
}

StockAndQuantity ApplyLineBounds(int stock, int quantity, const LineBounds &bounds)
{
    StockAndQuantity r{stock, quantity};
    if (r.stock < bounds.stockMin)
        r.stock = 0;
    if (r.quantity < bounds.quantityMin)
        r.quantity = bounds.quantityMin;
    if (r.quantity > bounds.quantityMax)
        r.quantity = bounds.quantityMax;
    return r;
}

int RefillQuantity(bool sel, int quantity, int stock, int stockMin, int stockMax)
{
    if (stock >= stockMin)
        return 0;
    const qint64 wanted = qint64(stockMax > 0 ? stockMax : stockMin) - stock;
    const int refill = int(std::min<qint64>(wanted, ComputeLineBounds(true, stock, stockMax).quantityMax));
    // A minimum above the maximum with the stock between them: nothing to buy.
    if (refill < 1)
        return 0;
    return sel ? std::max(refill, quantity) : refill;
}

} // namespace vivrelo
