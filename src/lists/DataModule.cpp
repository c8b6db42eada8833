#include "lists/DataModule.h"

#include "db/ConnectionConfig.h"

#include <cmath>

namespace vivrelo {

const QString PriceEditFormat = QStringLiteral("#######0.00");

namespace {

TDataModule1 *g_dataModule = nullptr;

constexpr int TitleMarkLength = 128;

struct FieldDecl {
    const char *name;
    const char *label = nullptr; // nullptr: the field name
    int width = 0;
    bool visible = true;
};

// Declares the dataset's persistent fields in order, with their display properties.
void declareFields(DataSet &ds, std::initializer_list<FieldDecl> decls)
{
    QStringList names;
    for (const FieldDecl &s : decls) {
        const QString name = QString::fromLatin1(s.name);
        names << name;
        FieldDisplay &d = ds.display(name);
        d.label = s.label ? QString::fromUtf8(s.label) : name;
        d.width = s.width;
        d.visible = s.visible;
    }
    ds.setDeclaredFields(names);
}

QStringList itemsColumns()
{
    QStringList columns{QStringLiteral("Reference"), QStringLiteral("Title"), QStringLiteral("Mark"),
        QStringLiteral("Stock_Min"), QStringLiteral("Stock_Max"), QStringLiteral("Stock"), QStringLiteral("Price01"),
        QStringLiteral("Price02"), QStringLiteral("Price03")};
    for (int i = 1; i <= 4; ++i)
        columns << QStringLiteral("Img%1").arg(i);
    for (int i = 1; i <= 4; ++i)
        columns << QStringLiteral("ImgMini%1").arg(i);
    for (int i = 1; i <= 12; ++i)
        columns << QStringLiteral("Misc%1").arg(i, 2, 10, QLatin1Char('0'));
    return columns;
}

} // namespace

TDataModule1 *DataModule1()
{
    return g_dataModule;
}

TDataModule1::TDataModule1()
    : Items(&ADOConnection1)
    , ItemsList(&ADOConnection1)
    , CustomLabel(&ADOConnection1)
    , FormatList(&ADOConnection1)
    , Backup(&ADOConnection1)
    , Query(&ADOConnection1)
{
    Items.setSql({QStringLiteral("SELECT ") + itemsColumns().join(QStringLiteral(", "))
            + QStringLiteral(", Id, Id_File, Comment1 as[Color], Custom00144243 as [Size] FROM ITEMS"),
        QStringLiteral("WHERE ID_FILE=-1"), QStringLiteral("ORDER BY TITLE")});
    declareFields(Items,
        {{"Reference", "Référence", 10}, {"Title", "Produit", 30}, {"Mark", "Marque", 30},
            {"Stock_Min", "Stock (Min)", 5}, {"Stock_Max", "Stock (Max)", 5}, {"Stock", "Stock", 5},
            {"Price01", "Prix n°1", 10}, {"Price02", "Prix n°2", 10}, {"Price03", "Prix n°3", 10},
            {"Img1", nullptr, 0, false}, {"Img2", nullptr, 0, false}, {"Img3", nullptr, 0, false},
            {"Img4", nullptr, 0, false}, {"ImgMini1", nullptr, 0, false}, {"ImgMini2", nullptr, 0, false},
            {"ImgMini3", nullptr, 0, false}, {"ImgMini4", nullptr, 0, false}, {"Misc01", nullptr, 0, false},
            {"Misc02", nullptr, 0, false}, {"Misc03", nullptr, 0, false}, {"Misc04", nullptr, 0, false},
            {"Misc05", nullptr, 0, false}, {"Misc06", nullptr, 0, false}, {"Misc07", nullptr, 0, false},
            {"Misc08", nullptr, 0, false}, {"Misc09", nullptr, 0, false}, {"Misc10", nullptr, 0, false},
            {"Misc11", nullptr, 0, false}, {"Misc12", nullptr, 0, false}, {"Id", nullptr, 0, false},
            {"Id_File", nullptr, 0, false}, {"Color", nullptr, 0, false}, {"Size", nullptr, 0, false}});
    Items.setNewRecordHandler([this](DataSet &ds) { ItemsNewRecord(ds); });
    // The editor's grid shows none of these: read when asked for, so the catalogue opens from
    // the list's index.
    QStringList onDemand{QStringLiteral("Color"), QStringLiteral("Size")};
    for (int i = 1; i <= 12; ++i)
        onDemand << QStringLiteral("Misc%1").arg(i, 2, 10, QLatin1Char('0'));
    Items.setOnDemandFields(onDemand);

    ItemsList.setSql(
        {QStringLiteral("SELECT * FROM ITEMS"), QStringLiteral("WHERE ID_FILE=-1"), QStringLiteral("ORDER BY TITLE")});
    ItemsList.addCalculatedField(QStringLiteral("TitleMark"));
    declareFields(ItemsList,
        {{"Sel", " ", 3}, {"TitleMark", "Produits", 28}, {"Stock", nullptr, 6}, {"Quantity", "Quan.", 6},
            {"Price01", nullptr, 0, false}, {"Price02", nullptr, 0, false}, {"Price03", nullptr, 0, false},
            {"Title", nullptr, 0, false}, {"Mark", nullptr, 0, false}, {"Id", nullptr, 0, false},
            {"Id_File", nullptr, 0, false}, {"Stock_Min", nullptr, 0, false}, {"Stock_Max", nullptr, 0, false}});
    ItemsList.setCalcHandler([this](DataSet &ds) { ItemsListCalcFields(ds); });

    CustomLabel.setSql({QStringLiteral("SELECT * FROM CUSTOMLAB"), QStringLiteral("WHERE Id_File=-1")});
    declareFields(CustomLabel,
        {{"Id_File"}, {"Price01"}, {"Price02"}, {"Price03"}, {"Price04"}, {"Price05"}, {"Price06"}, {"Price07"},
            {"Price08"}, {"Price09"}, {"Price10"}});

    FormatList.setSql({QStringLiteral("SELECT * FROM FORMATLIST"), QStringLiteral("WHERE ID_FILE=-1")});
    declareFields(FormatList,
        {{"Id"}, {"Id_File"}, {"PageWidth"}, {"PageHeight"}, {"TopLine"}, {"LeftItem"}, {"LeftPrice"}, {"InterLines"},
            {"FontName"}, {"FontSize"}, {"PrinterTop"}, {"PrinterLeft"}});

    Backup.setSql({QStringLiteral("SELECT * FROM BACKUP")});
    declareFields(Backup,
        {{"DateSav", "Date", 10}, {"TimeSav", "Heure", 10}, {"Description", "Description", 30},
            {"Path", "Fichier de sauvegarde", 128}});

    setCurrencySymbol(SystemCurrencySymbol());
    g_dataModule = this;
}

TDataModule1::~TDataModule1()
{
    if (g_dataModule == this)
        g_dataModule = nullptr;
}

bool TDataModule1::DataModuleCreate(Prompter &prompter)
{
    return ConfigureConnection(ADOConnection1, m_connectionString, prompter);
}

void TDataModule1::reopenConnection()
{
    OpenConnectionString(ADOConnection1, m_connectionString);
}

void TDataModule1::ItemsNewRecord(DataSet &items)
{
    items.field(QStringLiteral("Id_File")).setValue(CurrentListFileId);
    for (const char *name : {"Stock_Min", "Stock_Max", "Stock"})
        items.field(QString::fromLatin1(name)).setValue(kNewProductStock);
    for (const char *name : {"Price01", "Price02", "Price03"})
        items.field(QString::fromLatin1(name)).setValue(kNewProductPrice);
    items.field(QStringLiteral("Misc11")).setValue(QStringLiteral(""));
    items.field(QStringLiteral("Misc12")).setValue(QStringLiteral(""));
    for (int i = 1; i <= 4; ++i) {
        items.field(QStringLiteral("Img%1").arg(i)).clear();
        items.field(QStringLiteral("ImgMini%1").arg(i)).clear();
    }
}

void TDataModule1::ItemsListCalcFields(DataSet &itemsList)
{
    itemsList.setCalculated(QStringLiteral("TitleMark"),
        TitleMark(
            itemsList.field(QStringLiteral("Title")).asString(), itemsList.field(QStringLiteral("Mark")).asString()));
}

void TDataModule1::setCurrencySymbol(const QString &symbol)
{
    m_currencySymbol = symbol;
    const QString format = PriceDisplayFormat(symbol);
    for (DataSet *ds : {&Items, &ItemsList})
        for (const char *name : {"Price01", "Price02", "Price03"})
            ds->display(QString::fromLatin1(name)).format = format;
    for (const char *name : {"Price01", "Price02", "Price03"})
        Items.display(QString::fromLatin1(name)).editFormat = PriceEditFormat;
}

QString TitleMark(const QString &title, const QString &mark)
{
    QString text = mark.isEmpty() ? title : title + QStringLiteral(" (") + mark + QLatin1Char(')');
    if (text.size() > TitleMarkLength) {
        int cut = TitleMarkLength;
        if (text.at(cut - 1).isHighSurrogate()) // never leave half a character
            --cut;
        text.truncate(cut);
    }
    return text;
}

QString NormaliseCurrencySymbol(const QString &symbol)
{
    const QString upper = symbol.toUpper();
    if (symbol.isEmpty() || upper == QLatin1String("FF") || upper == QLatin1String("FR") || upper == QLatin1String("F"))
        return QStringLiteral("€");
    return symbol;
}

QString SystemCurrencySymbol()
{
    return NormaliseCurrencySymbol(QLocale::system().currencySymbol());
}

QString FormatPriceForDisplay(double value, const QString &symbol, const QLocale &locale)
{
    QString digits = QString::number(value, 'f', 2);
    if (digits == QLatin1String("-0.00")) // a tiny negative amount shows as zero
        digits.remove(0, 1);
    digits.replace(QLatin1Char('.'), locale.decimalPoint());
    return digits + QLatin1Char(' ') + symbol;
}

QString PriceDisplayFormat(const QString &symbol)
{
    return PriceEditFormat + QLatin1Char(' ') + symbol;
}

} // namespace vivrelo
