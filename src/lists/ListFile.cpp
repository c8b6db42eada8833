#include "lists/ListFile.h"

#include "db/DataSetRoutines.h"
#include "db/Transaction.h"
#include "lists/DataModule.h"
#include "printing/PrintedListData.h"

namespace vivrelo {

const QString ListQuerySql = QStringLiteral(
    "SELECT Id, Sel, Quantity, Title, Mark, Price01, Price02, Price03 FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE");

namespace {

// Closes the dataset on every way out.
struct Closing {
    DataSet &ds;
    ~Closing() { ds.close(); }
};

} // namespace

void PointAtListFile(DataSet &dataSet, int listFileId)
{
    QStringList sql = dataSet.sql();
    const QString where = QStringLiteral("WHERE Id_File=") + QString::number(listFileId);
    const int line = FindWhereLine(sql);
    if (line >= 0)
        sql[line] = where;
    else
        sql << where;
    dataSet.setSql(sql);
}

int EnsureListFileRows(TDataModule1 &dm)
{
    int created = 0;
    const int id = dm.CurrentListFileId;
    {
        DataSet &f = dm.FormatList;
        PointAtListFile(f, id);
        f.open();
        Closing closing{f};
        if (IsDataSetEmpty(f)) {
            f.insert();
            f.field(QStringLiteral("Id_File")).setValue(id);
            WritePrintLayout(f, PrintLayout());
            f.post();
            ++created;
        }
    }
    {
        DataSet &c = dm.CustomLabel;
        PointAtListFile(c, id);
        c.open();
        Closing closing{c};
        if (IsDataSetEmpty(c)) {
            c.insert();
            c.field(QStringLiteral("Id_File")).setValue(id);
            for (int n = 1; n <= 3; ++n)
                c.field(QStringLiteral("Price%1").arg(n, 2, 10, QLatin1Char('0'))).setValue(DefaultPriceLabel(n));
            c.post();
            ++created;
        }
    }
    return created;
}

QString DefaultPriceLabel(int column)
{
    return QStringLiteral("Prix n°%1").arg(column);
}

std::array<QString, 3> ReadPriceLabels(TDataModule1 &dm)
{
    std::array<QString, 3> labels;
    DataSet &c = dm.CustomLabel;
    c.open();
    Closing closing{c};
    if (!IsDataSetEmpty(c))
        for (int n = 0; n < 3; ++n)
            labels[size_t(n)] = c.field(QStringLiteral("Price%1").arg(n + 1, 2, 10, QLatin1Char('0'))).asString();
    return labels;
}

std::vector<ListQueryRow> ReadListQuery(TDataModule1 &dm)
{
    // Read once through, keeping only the ticked rows: the list is rebuilt after every tick,
    // so nothing of the other rows is stored. Columns: Id, Sel, Quantity, Title, Mark,
    // Price01, Price02, Price03.
    std::vector<ListQueryRow> rows;
    dm.ADOConnection1.forEachRow(ListQuerySql, {}, [&rows](const Connection::RowView &r) {
        if (!r.value(1).toBool())
            return;
        ListQueryRow row;
        row.id = r.value(0).toLongLong();
        row.sel = true;
        row.quantity = r.value(2);
        row.title = r.value(3).toString();
        row.mark = r.value(4).toString();
        for (int k = 0; k < 3; ++k)
            row.prices[size_t(k)] = r.value(5 + k);
        rows.push_back(std::move(row));
    });
    return rows;
}

int ValidateList(TDataModule1 &dm)
{
    DataSet &q = dm.Query;
    q.close();
    q.setSqlText(QStringLiteral("SELECT Id, Sel, Quantity, Stock FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE"));
    q.open();
    Closing closing{q};
    int changed = 0;
    for (q.first(); !q.eof(); q.next()) {
        if (!q.field(QStringLiteral("Sel")).asBool())
            continue;
        q.edit();
        const qint64 stock = q.field(QStringLiteral("Stock")).asInteger();
        const qint64 quantity = q.field(QStringLiteral("Quantity")).asInteger();
        q.field(QStringLiteral("Sel")).setValue(false);
        q.field(QStringLiteral("Stock")).setValue(stock + quantity);
        q.field(QStringLiteral("Quantity")).setValue(0);
        q.post();
        ++changed;
    }
    return changed;
}

int TickLowStock(TDataModule1 &dm)
{
    struct Refill {
        qint64 id;
        int quantity;
    };
    std::vector<Refill> refills;
    Connection &db = dm.ADOConnection1;
    Transaction unit(db);
    // An empty stock or minimum counts as 0, as the catalogue grid shows the alarm.
    db.forEachRow(QStringLiteral("SELECT Id, Sel, Quantity, Stock, Stock_Min, Stock_Max FROM ITEMS\n"
                                 "WHERE ID_FILE=? AND coalesce(Stock, 0) < coalesce(Stock_Min, 0)"),
        {dm.CurrentListFileId}, [&refills](const Connection::RowView &r) {
            const int quantity = RefillQuantity(
                r.value(1).toBool(), r.value(2).toInt(), r.value(3).toInt(), r.value(4).toInt(), r.value(5).toInt());
            if (quantity > 0)
                refills.push_back({r.value(0).toLongLong(), quantity});
        });
    for (const Refill &r : refills)
        db.exec(QStringLiteral("UPDATE ITEMS SET Sel=1, Quantity=?\nWHERE Id=?"), {r.quantity, r.id});
    unit.commit();
    return int(refills.size());
}

QString TickLowStockMessage(int ticked)
{
    if (ticked == 0)
        return QStringLiteral("Aucun produit n'est sous son stock minimum : rien n'a été coché.");
    if (ticked == 1)
        return QStringLiteral("1 produit à réapprovisionner a été coché.");
    return QStringLiteral("%1 produits à réapprovisionner ont été cochés.").arg(ticked);
}

void SetAllSelected(TDataModule1 &dm, bool selected)
{
    ExecSqlText(dm.Query,
        selected ? QStringLiteral("UPDATE ITEMS SET Sel=True") : QStringLiteral("UPDATE ITEMS SET Sel=False"));
}

} // namespace vivrelo
