#include "printing/ShopSplit.h"

#include "lists/ListFile.h"
#include "lists/TextRoutines.h"

namespace vivrelo {

namespace {

// A shop is named by its price label; a list file without one names it by its column.
QString ShopName(const std::array<QString, 3> &labels, int column)
{
    const QString &label = labels[size_t(column - 1)];
    return label.trimmed().isEmpty() ? DefaultPriceLabel(column) : label;
}

const std::optional<double> &PriceIn(const ListPrintRow &row, int column)
{
    return column == 1 ? row.Price01 : column == 2 ? row.Price02 : row.Price03;
}

int QuantityOf(const ListPrintRow &row)
{
    return row.Quantity.trimmed().toInt();
}

} // namespace

QString NoPriceHeading()
{
    return QStringLiteral("Sans prix");
}

int CheapestColumn(const ListPrintRow &row)
{
    int best = 0;
    for (int column = 1; column <= 3; ++column) {
        const std::optional<double> &price = PriceIn(row, column);
        if (price && (best == 0 || *price < *PriceIn(row, best)))
            best = column;
    }
    return best;
}

ShopSplit SplitByShop(const std::vector<ListPrintRow> &rows, const std::array<QString, 3> &labels)
{
    // Sections 1..3 are the shops, 0 the products without a price.
    std::array<ShopSection, 4> sections;
    std::array<double, 3> wholeList{0, 0, 0};
    std::array<bool, 3> pricesAll{true, true, true};
    bool anyTicked = false;
    for (const ListPrintRow &row : rows) {
        if (!row.Sel)
            continue;
        anyTicked = true;
        const int quantity = QuantityOf(row);
        for (int column = 1; column <= 3; ++column) {
            const std::optional<double> &price = PriceIn(row, column);
            if (price)
                wholeList[size_t(column - 1)] += quantity * *price;
            else
                pricesAll[size_t(column - 1)] = false;
        }
        const int shop = CheapestColumn(row);
        const double amount = shop ? quantity * *PriceIn(row, shop) : 0.0;
        sections[size_t(shop)].lines.push_back({row.Quantity, ArticleText(row), amount});
        sections[size_t(shop)].subtotal += amount;
    }

    ShopSplit split;
    for (int shop : {1, 2, 3, 0}) {
        ShopSection &s = sections[size_t(shop)];
        if (s.lines.empty())
            continue;
        s.column = shop;
        s.heading = shop ? ShopName(labels, shop) : NoPriceHeading();
        split.total += s.subtotal;
        split.sections.push_back(std::move(s));
    }
    for (int column = 1; column <= 3 && anyTicked; ++column) {
        const double whole = wholeList[size_t(column - 1)];
        if (pricesAll[size_t(column - 1)] && (split.singleShop == 0 || whole < split.singleShopTotal)) {
            split.singleShop = column;
            split.singleShopHeading = ShopName(labels, column);
            split.singleShopTotal = whole;
        }
    }
    return split;
}

QString SavingText(const ShopSplit &split, const QString &currencySymbol)
{
    if (split.singleShop == 0)
        return QString();
    return QStringLiteral("Économie : %1 par rapport à %2 seul (%3)")
        .arg(MoneyText(split.saving(), currencySymbol), split.singleShopHeading,
            MoneyText(split.singleShopTotal, currencySymbol));
}

} // namespace vivrelo
