#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <vector>

namespace vivrelo {

// One row of the list query ("SELECT Id, Sel, Quantity, Title, Mark, Price01, Price02,
// Price03 FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE"), as plain values. A null price or
// quantity is an invalid QVariant.
struct ListQueryRow {
    qint64 id = 0;
    bool sel = false;
    QVariant quantity;
    QString title;
    QString mark;
    std::array<QVariant, 3> prices;
};

// The price marker of one column under the list's totals.
enum class PriceMarker { None, Cheapest, InBetween, Dearest };

// The list as the main window shows it: one display line per ticked product in title
// order, the three totals and the three markers.
struct ListDisplay {
    QStringList lines;
    std::array<double, 3> totals{0, 0, 0};
    std::array<PriceMarker, 3> markers{PriceMarker::None, PriceMarker::None, PriceMarker::None};
};

// A price or quantity as the list computes with it: 0 when the field is empty.
double NumberOrZero(const QVariant &value);

// The display line of a ticked row:
//   (id, 4 digits) "#" quantity "%1%" title "%2%" amount1 "%3%" amount2 "%4%" amount3 "%5%"
QString DisplayLine(const ListQueryRow &row, const QString &currencySymbol);

// Display lines already built, by product: after one tick the list is read again whole, but
// only the lines whose values changed are formatted again. Holds the lines of the last build.
class DisplayLineCache
{
public:
    QString line(const ListQueryRow &row, const QString &currencySymbol);
    // Forgets the lines not asked for since the last call, once they outnumber the others.
    void endBuild();

private:
    struct Entry {
        ListQueryRow row;
        QString currencySymbol;
        QString line;
        quint64 build = 0; // the last build that asked for it
    };
    QHash<qint64, Entry> m_entries;
    quint64 m_build = 1;
    qsizetype m_used = 0;
};

// The list query's rows after one product changed, without reading them again: `changed` is
// the product as the database now holds it; it leaves the rows, and joins them at its place
// when ticked. Returns false, leaving the rows as they were, when its title equals a
// neighbour's in our comparison: the list query alone knows the order of equal titles.
bool ApplyRowChange(std::vector<ListQueryRow> &rows, const ListQueryRow &changed);

// Builds the display lines, totals and markers from the rows of the list query.
ListDisplay BuildListDisplay(
    const std::vector<ListQueryRow> &rows, const QString &currencySymbol, DisplayLineCache *cache = nullptr);

// The fields of a display line, read back by the first occurrence of each marker.
struct DisplayLineFields {
    QString quantity;
    QString title;
    std::array<QString, 3> amounts;
};
DisplayLineFields ReadDisplayLine(const QString &line);

// Markers from the totals, compared as their money texts show them (to the cent): equal
// totals are all the cheapest; otherwise the lowest are the cheapest, the highest the
// dearest and one strictly between is in between; a column whose total shows 0.00 has none.
std::array<PriceMarker, 3> AssignMarkers(const std::array<double, 3> &totals);

// "le moins cher ", "intermédiaire ", "le plus cher ", or empty.
QString MarkerWord(PriceMarker marker);

// Limits of the current list line.
struct LineBounds {
    int stockMin = 0;
    int quantityMin = 0;
    int quantityMax = 99;
    bool operator==(const LineBounds &) const = default;
};
// Quantity at least 1 when ticked; at most Stock_Max − Stock (never below 0) when
// Stock_Max > 0, else 99.
LineBounds ComputeLineBounds(bool sel, int stock, int stockMax);

struct StockAndQuantity {
    int stock;
    int quantity;
    bool operator==(const StockAndQuantity &) const = default;
};
// A stock below the minimum becomes 0; the quantity is raised to its minimum, then lowered
// to its maximum, which wins when the two cross.
StockAndQuantity ApplyLineBounds(int stock, int quantity, const LineBounds &bounds);

// The quantity that refills a product in stock alarm: up to Stock_Max when it has one, else up
// to Stock_Min, never beyond the line bounds (99 without a maximum). A ticked product keeps a
// larger quantity of its own. 0 when the product is not in alarm or nothing is to be bought.
int RefillQuantity(bool sel, int quantity, int stock, int stockMin, int stockMax);

} // namespace vivrelo
