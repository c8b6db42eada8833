#pragma once

#include "printing/ListPrinting.h"

#include <QString>

#include <array>
#include <vector>

namespace vivrelo {

// The list split so that each product is bought in the shop where it is cheapest. Each price
// column is a shop, named by its price label.

// One product line of a section, as the printed list draws it.
struct ShopLine {
    QString quantity; // the field's text
    QString article; // "Title (Mark)"
    double amount = 0; // quantity × the shop's price
};

struct ShopSection {
    int column = 0; // the shop's price column, 1 to 3; 0 for the products without any price
    QString heading; // the shop's price label, or "Sans prix"
    std::vector<ShopLine> lines;
    double subtotal = 0;
};

struct ShopSplit {
    // The shops that receive a product, in column order, then "Sans prix" when needed.
    std::vector<ShopSection> sections;
    double total = 0;
    // The cheapest single shop among those that price every ticked product (the lowest column
    // on a tie), and what the whole list costs there; column 0 when no shop prices them all.
    int singleShop = 0;
    QString singleShopHeading;
    double singleShopTotal = 0;
    double saving() const { return singleShop && singleShopTotal > total ? singleShopTotal - total : 0; }
};

// The heading of the section of the products without any price.
QString NoPriceHeading();

// The shop of a row: the price column of its lowest price (an empty price never counts as
// lowest; equal prices go to the lowest column), 0 when the row has no price at all.
int CheapestColumn(const ListPrintRow &row);

// Splits the ticked rows, in their order, by shop; `labels` are the three price labels (an
// empty one stands for "Prix n°N").
ShopSplit SplitByShop(const std::vector<ListPrintRow> &rows, const std::array<QString, 3> &labels);

// The line under the total: "Économie : 2.40 € par rapport à Prix n°2 seul (14.90 €)"; empty
// when no single shop prices every product.
QString SavingText(const ShopSplit &split, const QString &currencySymbol);

} // namespace vivrelo
