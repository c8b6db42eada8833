#include "db/DataSet.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "db/SqlText.h"
#include "db/SqliteValues.h"

#include <QDate>

#include <sqlite3.h>

#include <cmath>
#include <string>

namespace vivrelo {

// One stored value of a row. Texts and byte strings live in the store's arena.
struct DataSet::Cell {
    enum Type : quint8 { Null, Int, Float, Text, Bytes, NotLoaded };
    union {
        qint64 i;
        double d;
        struct {
            quint32 offset;
            quint32 length;
        } s;
    };
    Type type = Null;
};

namespace {

struct ColumnMeta {
    QString name;
    QString table;
    QString origin;
    QString declaredType;
    FieldKind kind = FieldKind::Unknown;
    bool writable = false; // a plain column of the dataset's table
    bool lazy = false; // left out of the read, fetched by rowid
    bool unused = false; // a column of "*" that no declared field shows: never read
};

} // namespace

// The rows of an open dataset: a flat array of cells, one rowid per row.
struct DataSet::Store {
    std::vector<ColumnMeta> columns;
    std::vector<Cell> cells;
    std::vector<qint64> rowids;
    std::string arena;

    int rows() const { return int(rowids.size()); }
    int width() const { return int(columns.size()); }
    Cell &at(int row, int column) { return cells[size_t(row) * size_t(width()) + size_t(column)]; }
    const Cell &at(int row, int column) const { return cells[size_t(row) * size_t(width()) + size_t(column)]; }

    Cell cellFrom(sqlite3_stmt *st, int column)
    {
        Cell cell;
        switch (sqlite3_column_type(st, column)) {
        case SQLITE_INTEGER:
            cell.type = Cell::Int;
            cell.i = sqlite3_column_int64(st, column);
            break;
        case SQLITE_FLOAT:
            cell.type = Cell::Float;
            cell.d = sqlite3_column_double(st, column);
            break;
        case SQLITE_TEXT: {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
            cell.type = Cell::Text;
            cell.s.length = quint32(sqlite3_column_bytes(st, column));
            cell.s.offset = quint32(arena.size());
            arena.append(text, cell.s.length);
            break;
        }
        case SQLITE_BLOB: {
            const auto *data = static_cast<const char *>(sqlite3_column_blob(st, column));
            cell.type = Cell::Bytes;
            cell.s.length = quint32(sqlite3_column_bytes(st, column));
            cell.s.offset = quint32(arena.size());
            if (cell.s.length)
                arena.append(data, cell.s.length);
            break;
        }
        default:
            break;
        }
        return cell;
    }

    QVariant value(const Cell &cell) const
    {
        switch (cell.type) {
        case Cell::Int:
            return QVariant(cell.i);
        case Cell::Float:
            return QVariant(cell.d);
        case Cell::Text:
            return QVariant(QString::fromUtf8(arena.data() + cell.s.offset, cell.s.length));
        case Cell::Bytes:
            return QVariant(QByteArray(arena.data() + cell.s.offset, cell.s.length));
        default:
            return QVariant();
        }
    }
};

namespace {

QString sqliteText(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QDateTime parseDateTime(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *format : {"yyyy-MM-dd hh:mm:ss", "yyyy-MM-ddThh:mm:ss", "yyyy-MM-dd hh:mm",
             "yyyy-MM-dd hh:mm:ss.zzz", "yyyy-MM-ddThh:mm:ss.zzz"}) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1StringView(format));
        if (dt.isValid())
            return dt;
    }
    const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
    return d.isValid() ? d.startOfDay() : QDateTime();
}

bool isNumberType(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isIntegerType(const QVariant &v)
{
    return isNumberType(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
}

// Exact comparison for locate(): numbers as numbers, dates in their stored form, texts as they
// stand (case counts).
bool sameValue(const QVariant &stored, const QVariant &wanted)
{
    const bool storedNull = !stored.isValid() || stored.isNull();
    const bool wantedNull = !wanted.isValid() || wanted.isNull();
    if (storedNull || wantedNull)
        return storedNull && wantedNull;
    if (isNumberType(stored) || isNumberType(wanted)) {
        bool okA = true;
        bool okB = true;
        if (isIntegerType(stored) && isIntegerType(wanted))
            return stored.toLongLong() == wanted.toLongLong();
        const double a = isNumberType(stored) ? stored.toDouble() : stored.toString().trimmed().toDouble(&okA);
        const double b = isNumberType(wanted) ? wanted.toDouble() : wanted.toString().trimmed().toDouble(&okB);
        return okA && okB && a == b;
    }
    if (wanted.typeId() == QMetaType::QDateTime)
        return stored.toString() == wanted.toDateTime().toString(QLatin1StringView(sqlite::DateTimeFormat));
    if (wanted.typeId() == QMetaType::QDate)
        return stored.toString() == wanted.toDate().startOfDay().toString(QLatin1StringView(sqlite::DateTimeFormat));
    if (stored.typeId() == QMetaType::QByteArray || wanted.typeId() == QMetaType::QByteArray)
        return stored.toByteArray() == wanted.toByteArray();
    return stored.toString() == wanted.toString();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Field

const FieldDef &Field::def() const
{
    return m_ds->m_fields.at(size_t(m_index));
}

QString Field::name() const
{
    return def().name;
}

FieldKind Field::kind() const
{
    return def().kind;
}

FieldDisplay &Field::display() const
{
    return m_ds->display(def().name);
}

QVariant Field::value() const
{
    return m_ds->valueAt(m_index);
}

bool Field::isNull() const
{
    const QVariant v = value();
    return !v.isValid() || v.isNull();
}

QString Field::asString() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return {};
    if (def().kind == FieldKind::Boolean || v.typeId() == QMetaType::Bool)
        return asBool() ? QStringLiteral("True") : QStringLiteral("False");
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QLatin1StringView(sqlite::DateTimeFormat));
    case QMetaType::QDate:
        return v.toDate().startOfDay().toString(QLatin1StringView(sqlite::DateTimeFormat));
    case QMetaType::QByteArray:
        return QString::fromLatin1(v.toByteArray());
    default:
        return v.toString();
    }
}

qint64 Field::asInteger() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return 0;
    if (isIntegerType(v))
        return v.toLongLong();
    if (isNumberType(v))
        return qRound64(v.toDouble());
    const QString text = v.toString().trimmed();
    bool ok = false;
    const qint64 i = text.toLongLong(&ok);
    if (ok)
        return i;
    const double d = text.toDouble(&ok);
    return ok && std::isfinite(d) ? qRound64(d) : 0;
}

double Field::asDouble() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return 0.0;
    if (isNumberType(v))
        return v.toDouble();
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    return ok ? d : 0.0;
}

bool Field::asBool() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return false;
    if (isNumberType(v))
        return v.toDouble() != 0.0;
    const QString text = v.toString().trimmed();
    if (text.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double d = text.toDouble(&ok);
    return ok && d != 0.0;
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().startOfDay();
    return parseDateTime(v.toString());
}

QByteArray Field::asBytes() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return {};
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return v.toString().toUtf8();
}

void Field::setValue(const QVariant &value) const
{
    m_ds->setFieldValue(m_index, value);
}

// ---------------------------------------------------------------------------------------------
// DataSet

DataSet::DataSet(Connection *connection)
    : m_conn(connection)
{ }

DataSet::~DataSet() = default;

void DataSet::setConnection(Connection *connection)
{
    close();
    m_conn = connection;
}

void DataSet::setSql(const QStringList &lines)
{
    close();
    m_sql = lines;
}

void DataSet::setSqlText(const QString &text)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    setSql(normalized.split(u'\n'));
}

QString DataSet::sqlText() const
{
    return m_sql.join(u'\n');
}

void DataSet::setParameters(const QVariantList &parameters)
{
    m_params = parameters;
}

void DataSet::setDeclaredFields(const QStringList &names)
{
    close();
    m_declared = names;
}

void DataSet::addCalculatedField(const QString &name, FieldKind kind)
{
    close();
    m_calcDefs.push_back({name, kind});
}

int DataSet::calcIndex(const QString &name) const
{
    for (size_t k = 0; k < m_calcDefs.size(); ++k) {
        if (m_calcDefs[k].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(k);
    }
    return -1;
}

void DataSet::setCalcHandler(CalcHandler handler)
{
    m_calc = std::move(handler);
    m_calcRow = -1;
}

void DataSet::setCalculated(const QString &name, const QVariant &value)
{
    const int f = findField(name);
    if (f < 0 || !m_fields[size_t(f)].calculated)
        fail(QStringLiteral("Le champ calculé « %1 » n'existe pas.").arg(name));
    const size_t c = size_t(-1 - m_sourceColumn[size_t(f)]);
    if (c < m_calcValues.size())
        m_calcValues[c] = value;
}

void DataSet::setNewRecordHandler(NewRecordHandler handler)
{
    m_newRecord = std::move(handler);
}

bool DataSet::readFromAnEarlierOpening() const
{
    return isActive() && (!m_conn || !m_conn->isOpen() || m_conn->generation() != m_generation);
}

void DataSet::requireCurrentRows() const
{
    if (readFromAnEarlierOpening())
        fail(QStringLiteral("Les lignes affichées ont été lues avant que la base de données ne soit fermée ou "
                            "remplacée : elles doivent être relues ; rien n'a été modifié."));
}

void DataSet::requireActive() const
{
    if (m_state == DataSetState::Inactive)
        fail(QStringLiteral("Opération impossible : l'ensemble de données est fermé."));
}

void DataSet::requireRow() const
{
    requireActive();
    if (m_current < 0)
        fail(QStringLiteral("Opération impossible : l'ensemble de données est vide."));
}

void DataSet::open()
{
    // Rows read before the connection was closed belong to a file that may have been replaced:
    // opening again reads the database as it now is.
    if (isActive() && !readFromAnEarlierOpening())
        return;
    if (!m_conn || !m_conn->isOpen())
        fail(QStringLiteral("Impossible d'ouvrir la requête : la base de données n'est pas ouverte."));
    close();
    prepareAndRead();
    m_generation = m_conn->generation();
    m_state = DataSetState::Browse;
    m_calcRow = -1;
    applyFilter();
    m_current = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = m_current < 0;
    notify(Event::Opened);
}

namespace {

// Which select item each result column comes from (-1: unknown).
struct ItemMapping {
    std::vector<int> itemOf;
    int starItem = -1;
    bool mapped = false;
};

sqlite::Statement prepareProbe(const Connection &connection, const QString &text);
void describeColumns(sqlite3 *db, sqlite3_stmt *probe, std::vector<ColumnMeta> &columns);
ItemMapping mapColumnsToItems(const sqltext::SelectShape &shape, int ncols);
void markWritableColumns(
    const sqltext::SelectShape &shape, const ItemMapping &mapping, std::vector<ColumnMeta> &columns);
sqlite::Statement prepareReaderWithRowid(sqlite3 *db, const QString &text, const sqltext::SelectShape &shape,
    const ItemMapping &mapping, const std::vector<ColumnMeta> &columns);

} // namespace

// Opening reads in steps: the select is prepared once to learn its columns, the columns that
// come plainly from the dataset's table are told apart, a second statement reads the rows with
// their rowid (large values left for later), and the fields are laid out over the columns.
void DataSet::prepareAndRead()
{
    const QString text = sqlText();
    sqlite::Statement probe = prepareProbe(*m_conn, text);
    auto store = std::make_unique<Store>();
    describeColumns(m_conn->handle(), probe.get(), store->columns);
    checkDeclaredFields(*store, text);

    const sqltext::SelectShape shape = sqltext::ParseSelect(text);
    const ItemMapping mapping = mapColumnsToItems(shape, int(store->columns.size()));
    if (mapping.mapped) {
        markWritableColumns(shape, mapping, store->columns);
        // With declared fields, the other columns of "*" are never shown: not read either. Fields
        // read on demand are left out like large ones. Neither when the rest of the query
        // names them.
        const QSet<QString> named = sqltext::NamedIdentifiers(text.mid(shape.listEnd));
        for (size_t c = 0; c < store->columns.size(); ++c) {
            ColumnMeta &m = store->columns[c];
            if (named.contains(m.name.toUpper()) || named.contains(m.origin.toUpper()))
                continue;
            m.unused = !m_declared.isEmpty() && mapping.itemOf[c] == mapping.starItem
                && !m_declared.contains(m.name, Qt::CaseInsensitive) && calcIndex(m.name) < 0;
            if (m.writable && m_onDemand.contains(m.name, Qt::CaseInsensitive))
                m.lazy = true;
        }
    }
    sqlite::Statement reader = mapping.mapped
        ? prepareReaderWithRowid(m_conn->handle(), text, shape, mapping, store->columns)
        : sqlite::Statement();
    const bool withRowid = bool(reader);
    if (!withRowid) {
        // Read as it stands: every column read-only, large values read with the rows.
        for (ColumnMeta &m : store->columns) {
            m.writable = false;
            m.lazy = false;
            m.unused = false;
        }
        reader = std::move(probe);
    }
    probe = sqlite::Statement();

    readRows(reader.get(), *store, withRowid);
    layOutFields(*store);

    m_hasRowid = withRowid;
    m_table = withRowid ? shape.table : QString();
    m_lastRowCount = store->rows();
    m_lastArenaSize = store->arena.size();
    m_store = std::move(store);
    m_buffer.assign(m_fields.size(), QVariant());
    m_changed.assign(m_fields.size(), false);
    m_largeField = -1;
    m_largeValue = QVariant();
}

namespace {

// The select as written, prepared to learn its columns; it must return a result set.
sqlite::Statement prepareProbe(const Connection &connection, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite::Statement probe;
    if (sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), probe.out(), nullptr) != SQLITE_OK)
        connection.failWithEngineMessage();
    if (!probe || sqlite3_column_count(probe.get()) == 0)
        fail(QStringLiteral("La requête ne renvoie aucun ensemble de résultats :\r%1").arg(text));
    return probe;
}

// Name, origin, declared type and kind of each result column.
void describeColumns(sqlite3 *db, sqlite3_stmt *probe, std::vector<ColumnMeta> &columns)
{
    const int ncols = sqlite3_column_count(probe);
    for (int c = 0; c < ncols; ++c) {
        ColumnMeta meta;
        meta.name = sqliteText(sqlite3_column_name(probe, c));
        meta.table = sqliteText(sqlite3_column_table_name(probe, c));
        meta.origin = sqliteText(sqlite3_column_origin_name(probe, c));
        bool integerKey = false;
        if (!meta.table.isEmpty() && !meta.origin.isEmpty()) {
            const char *declared = nullptr;
            const char *collation = nullptr;
            int notNull = 0, primaryKey = 0, autoIncrement = 0;
            const QByteArray dbName = sqliteText(sqlite3_column_database_name(probe, c)).toUtf8();
            if (sqlite3_table_column_metadata(db, dbName.constData(), meta.table.toUtf8().constData(),
                    meta.origin.toUtf8().constData(), &declared, &collation, &notNull, &primaryKey, &autoIncrement)
                == SQLITE_OK) {
                meta.declaredType = sqliteText(declared);
                integerKey = primaryKey && meta.declaredType.trimmed().compare(u"INTEGER", Qt::CaseInsensitive) == 0;
                if (autoIncrement)
                    integerKey = true;
            }
        } else {
            meta.declaredType = sqliteText(sqlite3_column_decltype(probe, c));
        }
        meta.kind = ClassifyColumn(meta.declaredType, integerKey);
        columns.push_back(meta);
    }
}

} // namespace

// Persistent fields must all be there before anything is read.
void DataSet::checkDeclaredFields(const Store &store, const QString &text) const
{
    if (m_declared.isEmpty())
        return;
    QStringList missing;
    for (const QString &name : m_declared) {
        bool found = calcIndex(name) >= 0;
        for (const ColumnMeta &m : store.columns)
            found = found || m.name.compare(name, Qt::CaseInsensitive) == 0;
        if (!found)
            missing << name;
    }
    if (!missing.isEmpty())
        fail(QStringLiteral("Impossible d'ouvrir la requête : champ introuvable « %1 ».\r%2")
                 .arg(missing.join(QStringLiteral(", ")), text));
}

namespace {

// Which result column comes from which select item: known for a list without "*" and for a
// single "*" over one table.
ItemMapping mapColumnsToItems(const sqltext::SelectShape &shape, int ncols)
{
    ItemMapping mapping;
    mapping.itemOf.assign(size_t(ncols), -1);
    if (!shape.simple || shape.join)
        return mapping;
    int stars = 0;
    for (int i = 0; i < shape.items.size(); ++i) {
        if (sqltext::IsStar(shape.items[i])) {
            ++stars;
            mapping.starItem = i;
        }
    }
    const int starWidth = ncols - (int(shape.items.size()) - 1);
    if (stars == 0 && shape.items.size() == ncols) {
        for (int c = 0; c < ncols; ++c)
            mapping.itemOf[size_t(c)] = c;
        mapping.mapped = true;
    } else if (stars == 1 && starWidth >= 0) {
        int c = 0;
        for (int i = 0; i < shape.items.size(); ++i) {
            const int width = i == mapping.starItem ? starWidth : 1;
            for (int k = 0; k < width; ++k)
                mapping.itemOf[size_t(c++)] = i;
        }
        mapping.mapped = true;
    }
    return mapping;
}

// A column is written back when it is a plain column of the dataset's table; a large one of
// those is left out of the read and fetched by rowid when asked for.
void markWritableColumns(
    const sqltext::SelectShape &shape, const ItemMapping &mapping, std::vector<ColumnMeta> &columns)
{
    for (size_t c = 0; c < columns.size(); ++c) {
        ColumnMeta &m = columns[c];
        const QString &item = shape.items[mapping.itemOf[c]];
        const bool plain = mapping.itemOf[c] == mapping.starItem || sqltext::IsColumnReference(item);
        m.writable = plain && !m.origin.isEmpty() && m.table.compare(shape.table, Qt::CaseInsensitive) == 0;
        m.lazy = m.writable && IsLargeKind(m.kind) && !item.contains(u'?');
    }
}

// The statement that reads the rows: the same select list with large columns as NULL and the
// table's rowid at the end (so "ORDER BY 2" keeps its meaning). Empty when SQLite refuses it.
sqlite::Statement prepareReaderWithRowid(sqlite3 *db, const QString &text, const sqltext::SelectShape &shape,
    const ItemMapping &mapping, const std::vector<ColumnMeta> &columns)
{
    const int ncols = int(columns.size());
    QStringList items;
    for (int i = 0; i < shape.items.size(); ++i) {
        if (i == mapping.starItem) {
            bool anyLazy = false;
            QStringList expanded;
            for (int c = 0; c < ncols; ++c) {
                if (mapping.itemOf[size_t(c)] != i)
                    continue;
                const ColumnMeta &m = columns[size_t(c)];
                const bool skipped = m.lazy || m.unused;
                anyLazy = anyLazy || skipped;
                expanded << (skipped ? QStringLiteral("NULL")
                                     : shape.reference + u'.' + sqltext::QuoteIdentifier(m.origin));
            }
            items << (anyLazy ? expanded.join(QStringLiteral(", ")) : shape.items[i]);
        } else {
            int column = -1;
            for (int c = 0; c < ncols && column < 0; ++c)
                if (mapping.itemOf[size_t(c)] == i)
                    column = c;
            items << (column >= 0 && columns[size_t(column)].lazy ? QStringLiteral("NULL") : shape.items[i]);
        }
    }
    items << shape.reference + QStringLiteral(".rowid");
    const QString rewritten =
        text.left(shape.listStart) + items.join(QStringLiteral(", ")) + u' ' + text.mid(shape.listEnd);
    const QByteArray rewrittenUtf8 = rewritten.toUtf8();
    sqlite::Statement reader;
    if (sqlite3_prepare_v2(db, rewrittenUtf8.constData(), int(rewrittenUtf8.size()), reader.out(), nullptr) == SQLITE_OK
        && reader && sqlite3_column_count(reader.get()) == ncols + 1)
        return reader;
    return sqlite::Statement();
}

} // namespace

void DataSet::readRows(sqlite3_stmt *st, Store &store, bool withRowid)
{
    const int ncols = store.width();
    for (int i = 0; i < m_params.size(); ++i)
        sqlite::bindValue(st, i + 1, m_params[i]);
    // Room for as many rows as the last read held: a dataset is mostly read again as it was.
    store.cells.reserve(size_t(m_lastRowCount) * size_t(ncols));
    store.rowids.reserve(size_t(m_lastRowCount));
    store.arena.reserve(m_lastArenaSize);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int c = 0; c < ncols; ++c) {
            const ColumnMeta &m = store.columns[size_t(c)];
            if (m.lazy || m.unused) {
                Cell cell;
                cell.type = m.lazy ? Cell::NotLoaded : Cell::Null;
                store.cells.push_back(cell);
            } else {
                store.cells.push_back(store.cellFrom(st, c));
            }
        }
        store.rowids.push_back(withRowid ? sqlite3_column_int64(st, ncols) : 0);
    }
    if (rc != SQLITE_DONE)
        m_conn->failWithEngineMessage();
}

// The fields: the declared ones in their order, else every column; then calculated ones.
void DataSet::layOutFields(const Store &store)
{
    const std::vector<ColumnMeta> &columns = store.columns;
    m_fields.clear();
    m_sourceColumn.clear();
    auto addField = [&](int c) {
        const ColumnMeta &m = columns[size_t(c)];
        FieldDef def;
        def.name = m.name;
        def.table = m.table;
        def.column = m.origin;
        def.declaredType = m.declaredType;
        def.kind = m.kind;
        def.readOnly = !m.writable || m.kind == FieldKind::AutoInc;
        def.large = m.lazy;
        m_fields.push_back(def);
        m_sourceColumn.push_back(c);
    };
    std::vector<bool> calcPlaced(m_calcDefs.size(), false);
    auto addCalculated = [&](size_t k) {
        FieldDef def;
        def.name = m_calcDefs[k].name;
        def.kind = m_calcDefs[k].kind;
        def.readOnly = true;
        def.calculated = true;
        m_fields.push_back(def);
        m_sourceColumn.push_back(-1 - int(k));
        calcPlaced[k] = true;
    };
    const int ncols = int(columns.size());
    if (m_declared.isEmpty()) {
        for (int c = 0; c < ncols; ++c)
            addField(c);
    } else {
        for (const QString &name : m_declared) {
            const int k = calcIndex(name);
            if (k >= 0) {
                addCalculated(size_t(k));
                continue;
            }
            for (int c = 0; c < ncols; ++c) {
                if (columns[size_t(c)].name.compare(name, Qt::CaseInsensitive) == 0) {
                    addField(c);
                    break;
                }
            }
        }
    }
    for (size_t k = 0; k < m_calcDefs.size(); ++k) {
        if (!calcPlaced[k])
            addCalculated(k);
    }
    m_calcValues.assign(m_calcDefs.size(), QVariant());
}

void DataSet::close()
{
    if (!isActive())
        return;
    m_state = DataSetState::Inactive;
    m_store.reset();
    m_view.clear();
    m_fields.clear();
    m_sourceColumn.clear();
    m_buffer.clear();
    m_changed.clear();
    m_calcValues.clear();
    m_calcRow = -1;
    m_current = -1;
    m_bof = m_eof = true;
    m_largeField = -1;
    m_largeValue = QVariant();
    notify(Event::Closed);
}

void DataSet::execSql()
{
    close();
    if (!m_conn)
        fail(QStringLiteral("Impossible d'exécuter la requête : aucune base de données."));
    if (m_params.isEmpty())
        m_conn->exec(sqlText());
    else
        m_conn->exec(sqlText(), m_params);
    close();
}

void DataSet::execSql(const QString &sql)
{
    close();
    setSqlText(sql);
    execSql();
}

// ---- positions

void DataSet::setPosition(int index, bool bof, bool eof)
{
    const bool moved = index != m_current;
    m_current = index;
    m_bof = bof;
    m_eof = eof;
    if (moved) {
        m_calcRow = -1;
        if (isActive())
            notify(Event::Scrolled);
    }
}

void DataSet::checkBrowseMode()
{
    requireActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        post();
}

int DataSet::recordCount() const
{
    if (viewing())
        return int(m_view.size());
    return m_store ? m_store->rows() : 0;
}

int DataSet::storedCount() const
{
    return m_store ? m_store->rows() : 0;
}

std::string_view StoredRow::text(int fieldIndex) const
{
    // A filter made for an earlier opening may name a field this one lacks.
    if (fieldIndex < 0 || size_t(fieldIndex) >= m_ds->m_sourceColumn.size())
        return {};
    const int c = m_ds->m_sourceColumn[size_t(fieldIndex)];
    if (c < 0)
        return {};
    const DataSet::Store &store = *m_ds->m_store;
    const DataSet::Cell &cell = store.at(m_row, c);
    if (cell.type != DataSet::Cell::Text)
        return {};
    return std::string_view(store.arena.data() + cell.s.offset, cell.s.length);
}

void DataSet::applyFilter()
{
    m_view.clear();
    if (!viewing())
        return;
    for (int row = 0; row < m_store->rows(); ++row)
        if (m_filter(StoredRow(this, row)))
            m_view.push_back(row);
}

void DataSet::setRowFilter(RowFilter filter)
{
    if (isActive())
        checkBrowseMode();
    m_filter = std::move(filter);
    if (!isActive())
        return;
    applyFilter();
    m_calcRow = -1;
    m_current = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = m_current < 0;
    notify(Event::Refreshed);
}

int DataSet::currentIndex() const
{
    return m_current;
}

void DataSet::first()
{
    checkBrowseMode();
    if (recordCount() == 0)
        setPosition(-1, true, true);
    else
        setPosition(0, true, false);
}

void DataSet::last()
{
    checkBrowseMode();
    if (recordCount() == 0)
        setPosition(-1, true, true);
    else
        setPosition(recordCount() - 1, false, true);
}

void DataSet::next()
{
    checkBrowseMode();
    if (recordCount() == 0)
        return;
    if (m_current < recordCount() - 1)
        setPosition(m_current + 1, false, false);
    else
        setPosition(m_current, false, true); // past the end: no longer at the start
}

void DataSet::prior()
{
    checkBrowseMode();
    if (recordCount() == 0)
        return;
    if (m_current > 0)
        setPosition(m_current - 1, false, false);
    else
        setPosition(m_current, true, false); // before the start: no longer at the end
}

void DataSet::moveTo(int index)
{
    checkBrowseMode();
    if (index < 0 || index >= recordCount())
        fail(QStringLiteral("Ligne %1 hors de l'ensemble de données (%2 lignes).").arg(index).arg(recordCount()));
    setPosition(index, false, false);
}

// ---- fields

int DataSet::findField(const QString &name) const
{
    for (size_t f = 0; f < m_fields.size(); ++f) {
        if (m_fields[f].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(f);
    }
    return -1;
}

Field DataSet::field(const QString &name)
{
    const int f = findField(name);
    if (f < 0) {
        if (!isActive())
            fail(QStringLiteral("Champ « %1 » : l'ensemble de données est fermé.").arg(name));
        fail(QStringLiteral("Champ « %1 » introuvable.").arg(name));
    }
    return Field(this, f);
}

FieldDisplay &DataSet::display(const QString &name)
{
    return m_display[name.toLower()];
}

QVariant DataSet::largeValue(int fieldIndex, int storedRow) const
{
    const int c = m_sourceColumn[size_t(fieldIndex)];
    const qint64 rowid = m_store->rowids[size_t(storedRow)];
    if (m_largeField == c && m_largeRowid == rowid && m_largeGeneration == m_conn->generation())
        return m_largeValue;
    if (!m_conn->isOpen())
        fail(QStringLiteral("Lecture impossible : la base de données n'est pas ouverte."));
    requireCurrentRows();
    const ColumnMeta &meta = m_store->columns[size_t(c)];
    const QByteArray sql = (QStringLiteral("SELECT ") + sqltext::QuoteIdentifier(meta.origin) + QStringLiteral(" FROM ")
        + sqltext::QuoteIdentifier(m_table) + QStringLiteral(" WHERE rowid=?"))
                               .toUtf8();
    sqlite::Statement st;
    if (sqlite3_prepare_v2(m_conn->handle(), sql.constData(), int(sql.size()), st.out(), nullptr) != SQLITE_OK)
        m_conn->failWithEngineMessage();
    sqlite3_bind_int64(st.get(), 1, rowid);
    QVariant value;
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW)
        value = sqlite::columnValue(st.get(), 0);
    else if (rc != SQLITE_DONE)
        m_conn->failWithEngineMessage();
    m_largeField = c;
    m_largeRowid = rowid;
    m_largeGeneration = m_conn->generation();
    m_largeValue = value;
    return value;
}

QVariant DataSet::rowValue(int row, int fieldIndex) const
{
    if (readFromAnEarlierOpening())
        return {};
    if (row == m_current)
        return valueAt(fieldIndex);
    if (!m_store || row < 0 || row >= recordCount() || fieldIndex < 0 || size_t(fieldIndex) >= m_fields.size())
        return {};
    const int c = m_sourceColumn[size_t(fieldIndex)];
    if (c < 0)
        return {};
    const Cell &cell = m_store->at(storedRow(row), c);
    if (cell.type == Cell::NotLoaded)
        return largeValue(fieldIndex, storedRow(row));
    return m_store->value(cell);
}

QVariant DataSet::valueAt(int fieldIndex) const
{
    if (fieldIndex < 0 || size_t(fieldIndex) >= m_fields.size())
        fail(QStringLiteral("Champ inexistant."));
    if (readFromAnEarlierOpening())
        return {};
    const int c = m_sourceColumn[size_t(fieldIndex)];
    if (c < 0) {
        // Calculated: computed once per row, from the row or the edit buffer.
        if (m_current < 0 && m_state != DataSetState::Insert)
            return {};
        const size_t k = size_t(-1 - c);
        if (m_calcRow < 0 && !m_inCalc) {
            auto *self = const_cast<DataSet *>(this);
            std::fill(self->m_calcValues.begin(), self->m_calcValues.end(), QVariant());
            if (m_calc) {
                self->m_inCalc = true;
                try {
                    m_calc(*self);
                } catch (...) {
                    self->m_inCalc = false;
                    throw;
                }
                self->m_inCalc = false;
            }
            m_calcRow = 1;
        }
        return k < m_calcValues.size() ? m_calcValues[k] : QVariant();
    }
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        if (m_changed[size_t(fieldIndex)])
            return m_buffer[size_t(fieldIndex)];
        if (m_state == DataSetState::Insert)
            return {};
    }
    if (m_current < 0)
        return {};
    const Cell &cell = m_store->at(storedRow(m_current), c);
    if (cell.type == Cell::NotLoaded)
        return largeValue(fieldIndex, storedRow(m_current));
    return m_store->value(cell);
}

void DataSet::setFieldValue(int fieldIndex, const QVariant &value)
{
    const FieldDef &def = m_fields.at(size_t(fieldIndex));
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        fail(QStringLiteral("Le champ « %1 » ne peut être modifié qu'en édition ou en insertion.").arg(def.name));
    if (def.readOnly)
        fail(QStringLiteral("Le champ « %1 » est en lecture seule.").arg(def.name));
    CheckFitsColumn(def.name, def.declaredType, def.kind, value);
    m_buffer[size_t(fieldIndex)] = value;
    m_changed[size_t(fieldIndex)] = true;
    m_calcRow = -1;
    notify(Event::FieldChanged, def.name);
}

// ---- editing

void DataSet::setState(DataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    m_calcRow = -1;
    notify(Event::StateChanged);
}

void DataSet::insert()
{
    startInsert(false);
}

void DataSet::append()
{
    startInsert(true);
}

void DataSet::startInsert(bool atEnd)
{
    checkBrowseMode();
    if (!m_hasRowid)
        fail(QStringLiteral("Cet ensemble de données est en lecture seule : ajout impossible."));
    m_insertAt = atEnd ? recordCount() : (m_current < 0 ? 0 : m_current);
    std::fill(m_buffer.begin(), m_buffer.end(), QVariant());
    std::fill(m_changed.begin(), m_changed.end(), false);
    setState(DataSetState::Insert);
    if (m_newRecord)
        m_newRecord(*this);
}

void DataSet::edit()
{
    requireActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return;
    requireRow();
    if (!m_hasRowid)
        fail(QStringLiteral("Cet ensemble de données est en lecture seule : modification impossible."));
    std::fill(m_buffer.begin(), m_buffer.end(), QVariant());
    std::fill(m_changed.begin(), m_changed.end(), false);
    setState(DataSetState::Edit);
}

void DataSet::cancel()
{
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    std::fill(m_buffer.begin(), m_buffer.end(), QVariant());
    std::fill(m_changed.begin(), m_changed.end(), false);
    setState(DataSetState::Browse);
}

void DataSet::readBack(int row, qint64 rowid)
{
    // Every stored column of the table, as the database now holds it (defaults, affinity).
    QStringList columns;
    std::vector<int> which;
    for (int c = 0; c < m_store->width(); ++c) {
        const ColumnMeta &m = m_store->columns[size_t(c)];
        if (m.writable && !m.lazy && !m.unused) {
            columns << sqltext::QuoteIdentifier(m.origin);
            which.push_back(c);
        }
    }
    for (int c = 0; c < m_store->width(); ++c) {
        if (m_store->columns[size_t(c)].lazy)
            m_store->at(row, c).type = Cell::NotLoaded;
    }
    if (m_largeRowid == rowid)
        m_largeField = -1;
    m_store->rowids[size_t(row)] = rowid;
    if (columns.isEmpty())
        return;
    const QByteArray sql = (QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
        + sqltext::QuoteIdentifier(m_table) + QStringLiteral(" WHERE rowid=?"))
                               .toUtf8();
    sqlite::Statement st;
    if (sqlite3_prepare_v2(m_conn->handle(), sql.constData(), int(sql.size()), st.out(), nullptr) != SQLITE_OK)
        m_conn->failWithEngineMessage();
    sqlite3_bind_int64(st.get(), 1, rowid);
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW) {
        for (size_t k = 0; k < which.size(); ++k)
            m_store->at(row, which[k]) = m_store->cellFrom(st.get(), int(k));
    } else if (rc != SQLITE_DONE) {
        m_conn->failWithEngineMessage();
    }
}

void DataSet::post()
{
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    if (!m_conn || !m_conn->isOpen())
        fail(QStringLiteral("Enregistrement impossible : la base de données n'est pas ouverte."));
    requireCurrentRows();
    QStringList names;
    QVariantList values;
    for (size_t f = 0; f < m_fields.size(); ++f) {
        if (!m_changed[f] || m_sourceColumn[f] < 0)
            continue;
        names << sqltext::QuoteIdentifier(m_store->columns[size_t(m_sourceColumn[f])].origin);
        values << m_buffer[f];
    }
    const QString table = sqltext::QuoteIdentifier(m_table);
    if (m_state == DataSetState::Edit) {
        const qint64 rowid = m_store->rowids[size_t(storedRow(m_current))];
        if (!names.isEmpty()) {
            QStringList sets;
            for (const QString &n : names)
                sets << n + QStringLiteral("=?");
            values << QVariant(rowid);
            m_conn->exec(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "))
                    + QStringLiteral(" WHERE rowid=?"),
                values);
            if (m_conn->changes() == 0)
                fail(QStringLiteral("La ligne modifiée n'existe plus dans la base de données : "
                                    "les modifications n'ont pas été enregistrées."));
            readBack(storedRow(m_current), rowid);
        }
        std::fill(m_changed.begin(), m_changed.end(), false);
        setState(DataSetState::Browse);
        notify(Event::Posted);
        return;
    }

    QString sql;
    if (names.isEmpty()) {
        sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES");
    } else {
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + names.join(QStringLiteral(", "))
            + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + u')';
    }
    m_conn->exec(sql, values);
    const qint64 rowid = m_conn->lastInsertId();

    // The new row joins the rows at its place; columns not of the table keep the typed values.
    const int row = std::clamp(m_insertAt, 0, recordCount());
    const int stored = row < recordCount() ? storedRow(row) : storedCount();
    const int width = m_store->width();
    std::vector<Cell> cells(static_cast<size_t>(width));
    m_store->cells.insert(
        m_store->cells.begin() + ptrdiff_t(size_t(stored) * size_t(width)), cells.begin(), cells.end());
    m_store->rowids.insert(m_store->rowids.begin() + stored, rowid);
    if (viewing()) {
        for (int &v : m_view)
            v += v >= stored ? 1 : 0;
        m_view.insert(m_view.begin() + row, stored);
    }
    readBack(stored, rowid);
    std::fill(m_changed.begin(), m_changed.end(), false);
    m_current = row;
    m_bof = m_eof = false;
    setState(DataSetState::Browse);
    notify(Event::Posted);
    notify(Event::Scrolled);
}

void DataSet::deleteCurrent()
{
    requireActive();
    if (m_state == DataSetState::Insert) {
        cancel();
        return;
    }
    cancel();
    requireRow();
    if (!m_hasRowid)
        fail(QStringLiteral("Cet ensemble de données est en lecture seule : suppression impossible."));
    requireCurrentRows();
    const int row = m_current;
    const int stored = storedRow(row);
    const qint64 rowid = m_store->rowids[size_t(stored)];
    m_conn->exec(QStringLiteral("DELETE FROM ") + sqltext::QuoteIdentifier(m_table) + QStringLiteral(" WHERE rowid=?"),
        {QVariant(rowid)});
    const int width = m_store->width();
    const auto begin = m_store->cells.begin() + ptrdiff_t(size_t(stored) * size_t(width));
    m_store->cells.erase(begin, begin + width);
    m_store->rowids.erase(m_store->rowids.begin() + stored);
    if (viewing()) {
        m_view.erase(m_view.begin() + row);
        for (int &v : m_view)
            v -= v > stored ? 1 : 0;
    }
    if (m_largeRowid == rowid)
        m_largeField = -1;
    // The position is valid again before anyone hears of the delete.
    m_calcRow = -1;
    m_current = recordCount() == 0 ? -1 : std::min(row, recordCount() - 1);
    m_bof = m_eof = m_current < 0;
    notify(Event::Deleted);
    notify(Event::Scrolled);
}

bool DataSet::locate(const QString &fieldName, const QVariant &value)
{
    checkBrowseMode();
    const int f = findField(fieldName);
    if (f < 0)
        fail(QStringLiteral("Champ « %1 » introuvable.").arg(fieldName));
    const int c = m_sourceColumn[size_t(f)];
    const int saved = m_current;
    for (int row = 0; row < recordCount(); ++row) {
        QVariant stored;
        if (c < 0) {
            m_current = row;
            m_calcRow = -1;
            stored = valueAt(f);
        } else {
            const Cell &cell = m_store->at(storedRow(row), c);
            stored = cell.type == Cell::NotLoaded ? largeValue(f, storedRow(row)) : m_store->value(cell);
        }
        if (sameValue(stored, value)) {
            m_current = saved;
            m_calcRow = -1;
            if (row != saved)
                setPosition(row, false, false);
            else
                m_bof = m_eof = false;
            return true;
        }
    }
    m_current = saved;
    m_calcRow = -1;
    return false;
}

// ---- notifications

int DataSet::subscribe(Listener listener)
{
    const int token = m_nextToken++;
    m_listeners.push_back({token, std::move(listener)});
    return token;
}

void DataSet::unsubscribe(int token)
{
    std::erase_if(m_listeners, [token](const Subscriber &s) { return s.token == token; });
}

void DataSet::disableControls()
{
    ++m_disabled;
}

void DataSet::enableControls()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0 && m_suppressed) {
        m_suppressed = false;
        notify(Event::Refreshed);
    }
}

void DataSet::notify(Event event, const QString &field)
{
    if (m_disabled > 0) {
        m_suppressed = true;
        return;
    }
    const Notification n{event, field};
    const std::vector<Subscriber> listeners = m_listeners; // a listener may unsubscribe
    for (const Subscriber &s : listeners)
        s.listener(n);
}

} // namespace vivrelo
