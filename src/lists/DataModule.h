#pragma once

#include "db/Connection.h"
#include "db/DataSet.h"

#include <QLocale>
#include <QString>

namespace vivrelo {

class Prompter;

// The list file every row of ITEMS, CUSTOMLAB and FORMATLIST belongs to: the system works on
// this one.
constexpr int DefaultListFileId = -1;

// What a new product starts with: stock, minimum and maximum 1, the three prices 0.
constexpr int kNewProductStock = 1;
constexpr double kNewProductPrice = 0.0;

// The shared connection and the datasets of the catalogue, the list, the price labels, the
// print layout and the maintenance history. Created once at start; the windows subscribe to
// the datasets' notifications. The connection outlives the datasets.
class TDataModule1
{
public:
    // Sets up the datasets (texts, persistent fields, display properties, handlers) with the
    // system's currency symbol. Nothing is opened.
    TDataModule1();
    ~TDataModule1();
    TDataModule1(const TDataModule1 &) = delete;
    TDataModule1 &operator=(const TDataModule1 &) = delete;

    // Opens ADOConnection1 from the connection configuration (ConfigureConnection): without a
    // database file nothing is tried; a failure clears App().ready and is shown through the
    // prompter. Returns whether the connection is open.
    bool DataModuleCreate(Prompter &prompter);
    // The connection string DataModuleCreate opened; reopenConnection() opens it again after
    // the maintenance operations have closed the connection. Throws Error.
    const QString &connectionString() const { return m_connectionString; }
    void reopenConnection();

    // Defaults of a new catalogue row: list file, stocks 1, prices 0, empty memos and
    // pictures. Sel and Quantity keep the table's defaults (false and 0).
    void ItemsNewRecord(DataSet &items);
    // TitleMark of the current ItemsList row.
    void ItemsListCalcFields(DataSet &itemsList);

    // The symbol prices are shown with, and the display formats of the six price fields.
    void setCurrencySymbol(const QString &symbol);
    const QString &currencySymbol() const { return m_currencySymbol; }

    int CurrentListFileId = DefaultListFileId;

    Connection ADOConnection1;
    DataSet Items;
    DataSet ItemsList;
    DataSet CustomLabel;
    DataSet FormatList;
    DataSet Backup;
    DataSet Query;

private:
    QString m_connectionString;
    QString m_currencySymbol;
};

// The data module of the running program (the last one created and not yet destroyed), or
// nullptr.
TDataModule1 *DataModule1();

// The product text of the catalogue grid: "Title (Mark)", or the title alone when the brand is
// empty; at most 128 characters.
QString TitleMark(const QString &title, const QString &mark);

// "FF", "FR" and "F" in any case, and an empty symbol, become the euro sign.
QString NormaliseCurrencySymbol(const QString &symbol);
// The system locale's currency symbol, normalised.
QString SystemCurrencySymbol();

// A price as the data-aware displays show it ("#######0.00 " + symbol): no thousands
// separator, two decimals with the locale's decimal separator, a blank, the symbol.
QString FormatPriceForDisplay(double value, const QString &symbol, const QLocale &locale = QLocale::system());
// The display format text of the price fields.
QString PriceDisplayFormat(const QString &symbol);
// The edit format of the catalogue's prices: "#######0.00".
extern const QString PriceEditFormat;

} // namespace vivrelo
