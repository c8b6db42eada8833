#include "lists/CatalogueEditing.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSetRoutines.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace vivrelo {

namespace {

QString declaredName(const DataSet &items, const QString &fieldName)
{
    QStringList names = items.declaredFields();
    if (names.isEmpty()) {
        for (const FieldDef &f : items.fields())
            names << f.name;
    }
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    for (const QString &name : names) {
        if (name.compare(fieldName, Qt::CaseInsensitive) == 0 && identifier.match(name).hasMatch())
            return name;
    }
    fail(QStringLiteral("Tri impossible : « %1 » n'est pas une colonne du catalogue.").arg(fieldName));
}

// Holds the dataset's notifications for the lifetime of the guard.
struct ControlsDisabled {
    explicit ControlsDisabled(DataSet &ds)
        : ds(ds)
    {
        ds.disableControls();
    }
    ~ControlsDisabled() { ds.enableControls(); }
    DataSet &ds;
};

// A read transaction for the lifetime of the guard (none when one is already running).
class ReadLock
{
public:
    explicit ReadLock(Connection &c)
        : m_conn(c)
    {
        if (c.inTransaction())
            return;
        c.exec(QStringLiteral("BEGIN"));
        m_own = true;
        try {
            c.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        } catch (const Error &) {
            end();
            throw;
        }
    }
    ~ReadLock() { end(); }
    ReadLock(const ReadLock &) = delete;
    ReadLock &operator=(const ReadLock &) = delete;

private:
    void end()
    {
        if (!m_own || !m_conn.inTransaction())
            return;
        m_own = false;
        try {
            m_conn.exec(QStringLiteral("COMMIT"));
        } catch (const Error &) {
            // Only reads ran inside it: rolling back gives up the lock and loses nothing.
            try {
                m_conn.exec(QStringLiteral("ROLLBACK"));
            } catch (const Error &) { }
        }
    }

    Connection &m_conn;
    bool m_own = false;
};

QString refused(const QString &label, const QString &text, const QString &expected)
{
    return QStringLiteral("%1 : « %2 » n'est pas %3.").arg(label.trimmed(), text, expected);
}

} // namespace

QString SortCatalogue(DataSet &items, const QString &fieldName)
{
    PostIfEditing(items);
    const QString name = declaredName(items, fieldName);
    const QStringList before = items.sql();
    QStringList sql = before;
    const QString orderBy = QStringLiteral("ORDER BY ") + name;
    const int line = FindOrderByLine(sql);
    if (line < 0)
        sql << orderBy;
    else
        sql[line] = orderBy;

    // A read transaction holds the file's read lock from before the catalogue is closed until
    // it is read again: another program cannot then keep it closed, and when the lock cannot be
    // had, nothing has been closed yet.
    const ReadLock lock(*items.connection());
    qint64 id = -1;
    if (!IsDataSetEmpty(items))
        id = items.field(QStringLiteral("Id")).asInteger();
    const ControlsDisabled held(items);
    try {
        items.close();
        items.setSql(sql);
        items.open();
    } catch (const Error &) {
        items.setSql(before);
        try {
            items.open();
            if (id >= 0)
                items.locate(QStringLiteral("Id"), QVariant(id));
        } catch (const Error &) {
            // The first error is the one to report.
        }
        throw;
    }
    return name;
}

QStringList CatalogueFilterWords(const QString &text)
{
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

void FilterCatalogue(DataSet &items, const QString &text)
{
    PostIfEditing(items);
    const QStringList words = CatalogueFilterWords(text);
    if (words.isEmpty()) {
        items.setRowFilter({});
        return;
    }
    std::vector<std::u32string> folded;
    for (const QString &word : words) {
        std::u32string w;
        AppendFolded(word.toUtf8().toStdString(), w);
        if (!w.empty())
            folded.push_back(std::move(w));
    }
    const int fields[] = {items.findField(QStringLiteral("Reference")), items.findField(QStringLiteral("Title")),
        items.findField(QStringLiteral("Mark"))};
    for (const int f : fields)
        if (f < 0)
            fail(QStringLiteral("Le catalogue ne peut pas être filtré : il lui manque la référence, le produit "
                                "ou la marque."));
    // Reference, title and brand read as one text, each word anywhere in it.
    items.setRowFilter([folded = std::move(folded), fields](const StoredRow &row) {
        thread_local std::u32string haystack;
        haystack.clear();
        for (const int f : fields) {
            AppendFolded(row.text(f), haystack);
            haystack.push_back(U' ');
        }
        for (const std::u32string &word : folded)
            if (haystack.find(word) == std::u32string::npos)
                return false;
        return true;
    });
}

QVariant ParseCatalogueValue(FieldKind kind, const QString &text, const QString &label, int maxLength)
{
    switch (kind) {
    case FieldKind::Smallint:
    case FieldKind::Integer: {
        const QString t = text.trimmed();
        static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
        if (t.isEmpty() || !integer.match(t).hasMatch())
            fail(refused(label, text, QStringLiteral("un nombre entier")));
        bool ok = false;
        const qlonglong v = t.toLongLong(&ok);
        const qlonglong low =
            kind == FieldKind::Smallint ? std::numeric_limits<qint16>::min() : std::numeric_limits<qint32>::min();
        const qlonglong high =
            kind == FieldKind::Smallint ? std::numeric_limits<qint16>::max() : std::numeric_limits<qint32>::max();
        if (!ok || v < low || v > high)
            fail(QStringLiteral("%1 : « %2 » est hors des limites (de %3 à %4).")
                     .arg(label.trimmed(), text)
                     .arg(low)
                     .arg(high));
        return QVariant(int(v));
    }
    case FieldKind::Float:
    case FieldKind::BCD: {
        QString t = text.trimmed();
        static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)$"));
        if (t.isEmpty() || !number.match(t).hasMatch())
            fail(refused(label, text, QStringLiteral("un prix (exemple : 12,50)")));
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok || !std::isfinite(v) || std::fabs(v) >= 1e15)
            fail(refused(label, text, QStringLiteral("un prix (exemple : 12,50)")));
        return QVariant(v);
    }
    default:
        if (maxLength > 0 && text.size() > maxLength)
            fail(QStringLiteral("%1 : le texte dépasse %2 caractères.").arg(label.trimmed()).arg(maxLength));
        return QVariant(text);
    }
}

int FindRowByPrefix(const DataSet &dataSet, const QString &fieldName, const QString &prefix, bool sortedByField)
{
    const int field = dataSet.findField(fieldName);
    if (field < 0 || !dataSet.isActive() || prefix.isEmpty())
        return -1;
    const int rows = dataSet.recordCount();
    const auto compare = [&](int row) { return CompareNoCasePrefix(dataSet.rowValue(row, field).toString(), prefix); };
    if (!sortedByField) {
        for (int row = 0; row < rows; ++row)
            if (compare(row) == 0)
                return row;
        return -1;
    }
    int low = 0;
    int high = rows;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (compare(middle) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low < rows && compare(low) == 0 ? low : -1;
}

} // namespace vivrelo
