#include "lists/ListFile.h"

#include "base/Error.h"
#include "db/DataSetRoutines.h"
#include "db/Transaction.h"
#include "lists/DataModule.h"
#include "printing/PrintedListData.h"

#include <algorithm>
#include <optional>

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
    for (int n = 0; n < 3; ++n) {
        if (!IsDataSetEmpty(c))
            labels[size_t(n)] = c.field(QStringLiteral("Price%1").arg(n + 1, 2, 10, QLatin1Char('0'))).asString();
        if (labels[size_t(n)].isEmpty())
            labels[size_t(n)] = DefaultPriceLabel(n + 1);
    }
    return labels;
}

namespace {

// The key of the list's covering index ITEMS_List and of the ticked rows' index ITEMS_Sel.
const QString ListIndexKey =
    QStringLiteral("Id_File, Title COLLATE BINARY, Mark COLLATE BINARY, Sel, Quantity, Stock, Price01, Price02, "
                   "Price03, Stock_Min, Stock_Max, Reference COLLATE BINARY");

// The ticked rows alone, through the partial index that holds only them, in the order of the
// list query's index (ITEMS_List has the same key): sorted stably by title afterwards, equal
// titles keep the order the list query gives them.
const QString TickedListRowsSql =
    QStringLiteral("SELECT Id, Sel, Quantity, Title, Mark, Price01, Price02, Price03 FROM ITEMS INDEXED BY ITEMS_Sel\n"
                   "WHERE ID_FILE=-1 AND Sel<>0\nORDER BY ")
    + ListIndexKey + QStringLiteral(", Id");
const QString TickedValidationRowsSql =
    QStringLiteral("SELECT Id, Sel, Quantity, Stock FROM ITEMS INDEXED BY ITEMS_Sel\nWHERE ID_FILE=-1 AND Sel<>0");

// The definition of an index as the database holds it, empty when it has none.
QString IndexSql(Connection &connection, const QString &name)
{
    return connection.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND name=?"), {name})
        .toString();
}

// An index keyed as this version keys them: an earlier, narrower key orders equal titles
// otherwise than the list query.
bool HasCurrentKey(const QString &indexSql)
{
    return indexSql.contains(QStringLiteral("Reference"));
}

bool HasTickedIndex(Connection &connection)
{
    return HasCurrentKey(IndexSql(connection, QStringLiteral("ITEMS_Sel")));
}

} // namespace

void EnsureListIndexes(Connection &connection)
{
    const std::pair<QString, QString> indexes[] = {
        {QStringLiteral("ITEMS_List"), QString()}, {QStringLiteral("ITEMS_Sel"), QStringLiteral(" WHERE Sel<>0")}};
    std::vector<std::pair<QString, QString>> stale; // name, definition
    for (const auto &[name, where] : indexes)
        if (!HasCurrentKey(IndexSql(connection, name)))
            stale.emplace_back(name, QStringLiteral("CREATE INDEX %1 ON ITEMS (%2)%3").arg(name, ListIndexKey, where));
    if (stale.empty())
        return;
    Transaction unit(connection);
    for (const auto &[name, sql] : stale) {
        connection.exec(QStringLiteral("DROP INDEX IF EXISTS ") + name);
        connection.exec(sql);
    }
    unit.commit();
}

std::vector<ListQueryRow> ReadListQuery(TDataModule1 &dm, ListRead how)
{
    // Read once through, keeping only the ticked rows: the list is rebuilt after every tick,
    // so nothing of the other rows is stored. Columns: Id, Sel, Quantity, Title, Mark,
    // Price01, Price02, Price03.
    Connection &connection = dm.ADOConnection1;
    const bool quick = how == ListRead::TickedRows && HasTickedIndex(connection);
    std::vector<ListQueryRow> rows;
    connection.forEachRow(quick ? TickedListRowsSql : ListQuerySql, {}, [&rows](const Connection::RowView &r) {
        if (!r.value(1).toBool())
            return;
        ListQueryRow row;
        row.id = r.value(0).toLongLong();
        row.sel = true;
        row.quantity = r.value(2);
        row.title = r.text(3);
        row.mark = r.text(4);
        for (int k = 0; k < 3; ++k)
            row.prices[size_t(k)] = r.value(5 + k);
        rows.push_back(std::move(row));
    });
    if (!quick)
        return rows;
    // Title order by our comparison, as the list query sorts: a stable sort of rows read in
    // the same order as the engine reads them gives equal titles in the same order too. The
    // positions are sorted, then the rows moved once.
    std::vector<int> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(),
        [&rows](int a, int b) { return CompareNoCase(rows[size_t(a)].title, rows[size_t(b)].title) < 0; });
    std::vector<ListQueryRow> sorted;
    sorted.reserve(rows.size());
    for (const int i : order)
        sorted.push_back(std::move(rows[size_t(i)]));
    return sorted;
}

int ValidateList(TDataModule1 &dm, ProgressSink &progress)
{
    DataSet &q = dm.Query;
    q.close();
    q.setSqlText(HasTickedIndex(dm.ADOConnection1)
            ? TickedValidationRowsSql
            : QStringLiteral("SELECT Id, Sel, Quantity, Stock FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE"));
    q.open();
    Closing closing{q};
    progress.setTask(QStringLiteral("Validation de la liste ..."));
    progress.setMaximum(q.recordCount());
    progress.setPosition(0);
    progress.show();
    int changed = 0;
    // One transaction: every ticked row changes, or none does.
    std::optional<Transaction> transaction;
    try {
        transaction.emplace(dm.ADOConnection1);
        const Field sel = q.field(QStringLiteral("Sel"));
        const Field stock = q.field(QStringLiteral("Stock"));
        const Field quantity = q.field(QStringLiteral("Quantity"));
        int visited = 0;
        for (q.first(); !q.eof(); q.next()) {
            if (++visited % 256 == 0) {
                progress.setPosition(visited);
                progress.pump();
            }
            if (!sel.asBool())
                continue;
            q.edit();
            const qint64 newStock = stock.asInteger() + quantity.asInteger();
            sel.setValue(false);
            stock.setValue(newStock);
            quantity.setValue(0);
            q.post();
            ++changed;
        }
        transaction->commit();
    } catch (const Error &e) {
        q.cancel();
        if (transaction)
            transaction->rollback();
        progress.hide();
        fail(QStringLiteral("La validation de la liste a échoué : aucun produit n'a été modifié.\r") + e.message());
    }
    progress.setPosition(q.recordCount());
    progress.hide();
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
