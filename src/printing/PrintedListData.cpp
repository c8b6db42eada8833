#include "printing/PrintedListData.h"

#include "base/Error.h"
#include "db/DataSet.h"
#include "db/DataSetRoutines.h"
#include "lists/DataModule.h"
#include "lists/ListFile.h"
#include "printing/PainterSurface.h"
#include "printing/ShopSplit.h"

#include <algorithm>

namespace vivrelo {

const QString PrintedListSql = QStringLiteral(
    "SELECT Id, Sel, Quantity, Title, Mark, Price01, Price02, Price03 FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE");

namespace {

struct Closing {
    DataSet &ds;
    ~Closing() { ds.close(); }
};

std::optional<double> OptionalDouble(const Field &f)
{
    if (f.isNull() || f.asString().isEmpty())
        return std::nullopt;
    return f.asDouble();
}

double MeasureOr(DataSet &ds, const char *name, double fallback)
{
    const Field f = ds.field(QString::fromLatin1(name));
    return f.isNull() ? fallback : f.asDouble();
}

} // namespace

std::vector<ListPrintRow> ReadPrintedListRows(Connection &connection)
{
    DataSet QueryTmp(&connection);
    QueryTmp.setSql({PrintedListSql});
    QueryTmp.open();
    Closing closing{QueryTmp};
    std::vector<ListPrintRow> rows;
    for (QueryTmp.first(); !QueryTmp.eof(); QueryTmp.next()) {
        ListPrintRow r;
        r.Id = int(QueryTmp.field(QStringLiteral("Id")).asInteger());
        r.Sel = QueryTmp.field(QStringLiteral("Sel")).asBool();
        r.Quantity = QueryTmp.field(QStringLiteral("Quantity")).asString();
        r.Title = QueryTmp.field(QStringLiteral("Title")).asString();
        r.Mark = QueryTmp.field(QStringLiteral("Mark")).asString();
        r.Price01 = OptionalDouble(QueryTmp.field(QStringLiteral("Price01")));
        r.Price02 = OptionalDouble(QueryTmp.field(QStringLiteral("Price02")));
        r.Price03 = OptionalDouble(QueryTmp.field(QStringLiteral("Price03")));
        rows.push_back(std::move(r));
    }
    return rows;
}

void RequireTickedRow(const std::vector<ListPrintRow> &rows)
{
    if (std::none_of(rows.begin(), rows.end(), [](const ListPrintRow &r) { return r.Sel; }))
        fail(QStringLiteral("Aucun produit n'est coché : il n'y a pas de liste à imprimer."));
}

PrintLayout ReadPrintLayout(DataSet &f)
{
    const PrintLayout d;
    PrintLayout l;
    l.PrinterTop = MeasureOr(f, "PrinterTop", d.PrinterTop);
    l.PrinterLeft = MeasureOr(f, "PrinterLeft", d.PrinterLeft);
    l.PageWidth = MeasureOr(f, "PageWidth", d.PageWidth);
    l.PageHeight = MeasureOr(f, "PageHeight", d.PageHeight);
    l.TopLine = MeasureOr(f, "TopLine", d.TopLine);
    l.LeftItem = MeasureOr(f, "LeftItem", d.LeftItem);
    l.LeftPrice = MeasureOr(f, "LeftPrice", d.LeftPrice);
    l.InterLines = MeasureOr(f, "InterLines", d.InterLines);
    const Field name = f.field(QStringLiteral("FontName"));
    l.FontName = name.isNull() ? d.FontName : name.asString();
    const Field size = f.field(QStringLiteral("FontSize"));
    l.FontSize = size.isNull() ? d.FontSize : int(size.asInteger());
    return l;
}

void WritePrintLayout(DataSet &f, const PrintLayout &l)
{
    f.field(QStringLiteral("PrinterTop")).setValue(l.PrinterTop);
    f.field(QStringLiteral("PrinterLeft")).setValue(l.PrinterLeft);
    f.field(QStringLiteral("PageWidth")).setValue(l.PageWidth);
    f.field(QStringLiteral("PageHeight")).setValue(l.PageHeight);
    f.field(QStringLiteral("TopLine")).setValue(l.TopLine);
    f.field(QStringLiteral("LeftItem")).setValue(l.LeftItem);
    f.field(QStringLiteral("LeftPrice")).setValue(l.LeftPrice);
    f.field(QStringLiteral("InterLines")).setValue(l.InterLines);
    f.field(QStringLiteral("FontName")).setValue(l.FontName);
    f.field(QStringLiteral("FontSize")).setValue(l.FontSize);
}

void OpenPrintLayout(TDataModule1 &dm)
{
    DataSet &f = dm.FormatList;
    if (!f.isActive())
        f.open();
    if (!IsDataSetEmpty(f))
        return;
    try {
        f.insert();
        f.field(QStringLiteral("Id_File")).setValue(dm.CurrentListFileId);
        WritePrintLayout(f, PrintLayout());
        f.post();
    } catch (const Error &) {
        f.cancel();
        throw;
    }
}

PrintLayout LoadPrintLayout(TDataModule1 &dm)
{
    DataSet &f = dm.FormatList;
    const bool wasOpen = f.isActive();
    if (!wasOpen)
        f.open();
    const PrintLayout layout = IsDataSetEmpty(f) ? PrintLayout() : ReadPrintLayout(f);
    if (!wasOpen)
        f.close();
    return layout;
}

void PrintShoppingListToPdf(TDataModule1 &dm, int priceColumn, const QString &path)
{
    RequirePriceColumn(priceColumn);
    const std::vector<ListPrintRow> rows = ReadPrintedListRows(dm.ADOConnection1);
    RequireTickedRow(rows);
    const PrintLayout layout = LoadPrintLayout(dm);
    WritePdfFile(path, QStringLiteral("Liste de courses"), QStringLiteral("La liste n'a pas été enregistrée."),
        [&](DrawingSurface &s) { return PrintList(s, rows, layout, priceColumn, dm.currencySymbol()); });
}

ShopSplit ReadShopSplit(TDataModule1 &dm)
{
    return SplitByShop(ReadPrintedListRows(dm.ADOConnection1), ReadPriceLabels(dm));
}

void PrintShopSplitToPdf(TDataModule1 &dm, const QString &path)
{
    const std::vector<ListPrintRow> rows = ReadPrintedListRows(dm.ADOConnection1);
    RequireTickedRow(rows);
    const ShopSplit split = SplitByShop(rows, ReadPriceLabels(dm));
    const PrintLayout layout = LoadPrintLayout(dm);
    WritePdfFile(path, QStringLiteral("Liste par magasin"), QStringLiteral("La liste n'a pas été enregistrée."),
        [&](DrawingSurface &s) { return PrintShopSplit(s, split, layout, dm.currencySymbol()); });
}

} // namespace vivrelo
