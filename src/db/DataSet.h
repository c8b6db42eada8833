#pragma once

#include "db/FieldKind.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace vivrelo {

class Connection;
class DataSet;

// How values are stored in the database (every writer follows it, readers are lenient):
// - booleans: integers 0/1; reading, any non-zero number is true (and the texts "true"/"-1");
// - dates: ISO text "yyyy-MM-dd hh:mm:ss" (a date alone is written with 00:00:00); reading
//   also accepts "yyyy-MM-dd" and "yyyy-MM-ddThh:mm:ss";
// - integers as INTEGER, doubles as REAL, texts as TEXT, byte strings as BLOB;
// - NULL stays NULL (an invalid or null QVariant writes NULL).
// The declared column types of the schema (see FieldKind.h) give every column an affinity that
// never alters a stored value: a memo holding "123" stays text.

enum class DataSetState { Inactive, Browse, Edit, Insert };

// Display properties that the data module sets and the windows read. They belong to the field
// name and survive close and open.
struct FieldDisplay {
    QString label; // column caption; empty: the field name
    int width = 0; // display width in characters; 0: not set
    bool visible = true; // a grid shows the field
    QString format; // display format ("#######0.00 €"), empty when none
    QString editFormat; // edit format ("#######0.00"), empty when none
};

// One field of an open dataset.
struct FieldDef {
    QString name; // result column name (the alias when there is one)
    QString table; // origin table, empty for an expression
    QString column; // origin column, empty for an expression
    QString declaredType; // declared type of the origin column ("TEXT(128) COLLATE NOCASE")
    FieldKind kind = FieldKind::Unknown;
    bool readOnly = false; // expression, joined table, calculated field or a query without rowid
    bool calculated = false;
    bool large = false; // memo or blob of the dataset's table: fetched on demand
};

// Access to one field of the current row (or of the edit buffer in Edit/Insert). A light
// handle: it stays valid while the dataset keeps its field list (until close).
class Field
{
public:
    Field(DataSet *dataSet, int index)
        : m_ds(dataSet)
        , m_index(index)
    { }

    const FieldDef &def() const;
    QString name() const;
    FieldKind kind() const;
    FieldDisplay &display() const;

    QVariant value() const; // QVariant() for NULL
    bool isNull() const;
    // Text of the value: numbers in C locale without exponent for integers, doubles with up
    // to 15 significant digits, booleans "True"/"False", dates as stored, bytes as Latin-1;
    // NULL gives "".
    QString asString() const;
    qint64 asInteger() const; // NULL, non-numeric text: 0; doubles are rounded
    double asDouble() const; // NULL, non-numeric text: 0.0
    bool asBool() const; // see the storage conventions above; NULL: false
    QDateTime asDateTime() const; // invalid for NULL or unreadable text
    QByteArray asBytes() const; // texts as UTF-8

    // Only in Edit or Insert state (else throws Error); a read-only field throws too.
    void setValue(const QVariant &value) const;
    void clear() const { setValue(QVariant()); }

private:
    DataSet *m_ds;
    int m_index;
};

// One stored row as a row filter reads it.
class StoredRow
{
public:
    // The UTF-8 bytes of a text value; empty for NULL and values of other kinds.
    std::string_view text(int fieldIndex) const;

private:
    friend class DataSet;
    StoredRow(const DataSet *dataSet, int row)
        : m_ds(dataSet)
        , m_row(row)
    { }
    const DataSet *m_ds;
    int m_row;
};

// A query on a Connection, held as lines of SQL, with a current row, a state and
// notifications, like the datasets the windows and the data module work with.
//
// Rows: open() reads every row of the result into memory (small columns only). Memo and blob
// columns of the dataset's table are left out of the read and fetched by rowid when a field asks
// for one (the last fetched values are kept). The first table of the FROM clause is the
// dataset's table; its rowid is read with every row, also for "SELECT *" and aliased columns,
// so post and delete reach exactly the row they came from, also in a table without a key.
// Columns of other tables (joins) and expressions are read-only.
//
// Writes are immediate, one statement each, with bound parameters: post() in Edit updates the
// changed columns of the row (by rowid), post() in Insert inserts the changed columns and reads
// the row back (the counter key and the table's defaults); deleteCurrent() deletes by rowid.
// Moving (first, next, locate ...) while editing posts first; close() cancels a pending edit.
//
// Positions follow the Delphi rules: on an empty dataset bof() and eof() are both true; after
// open() and first() bof() is true; next() on the last row sets eof(), clears bof() and stays;
// prior() on the first row sets bof(), clears eof() and stays; last() sets eof(). So a dataset
// with rows never has both flags set.
class DataSet
{
public:
    enum class Event {
        Opened,
        Closed,
        Scrolled, // the current row changed
        FieldChanged, // a field of the edit buffer was set (name in field)
        StateChanged,
        Posted,
        Deleted,
        Refreshed, // redraw everything: sent by the last enableControls() after suppressed events
    };
    struct Notification {
        Event event;
        QString field;
    };
    using Listener = std::function<void(const Notification &)>;
    // Computes the calculated fields of the current row with setCalculated().
    using CalcHandler = std::function<void(DataSet &)>;
    // Fills the defaults of a new row (called by insert()/append() in Insert state).
    using NewRecordHandler = std::function<void(DataSet &)>;

    explicit DataSet(Connection *connection = nullptr);
    ~DataSet();
    DataSet(const DataSet &) = delete;
    DataSet &operator=(const DataSet &) = delete;

    Connection *connection() const { return m_conn; }
    void setConnection(Connection *connection); // closes the dataset

    // SQL text, one clause per line. Changing it closes the dataset.
    QStringList sql() const { return m_sql; }
    void setSql(const QStringList &lines);
    void setSqlText(const QString &text); // split at line breaks
    QString sqlText() const; // lines joined by "\n"
    // Positional parameters ("?") bound at open and execSql.
    void setParameters(const QVariantList &parameters);

    // Persistent fields: when set (non-empty), open() fails with a clear message when one of
    // them is missing from the result, and only these fields (plus calculated ones) are exposed,
    // in this order. Names compare without regard to case. A calculated field may be declared
    // too, to give its place; calculated fields not declared follow the declared ones.
    void setDeclaredFields(const QStringList &names);
    QStringList declaredFields() const { return m_declared; }
    // Fields of the dataset's table read by rowid when first asked for, as memos and blobs are:
    // for the columns no grid shows. A field the rest of the query names (ORDER BY, WHERE) is
    // read with the rows all the same.
    void setOnDemandFields(const QStringList &names) { m_onDemand = names; }
    // Calculated read-only fields, computed by the handler for each row when first read.
    void addCalculatedField(const QString &name, FieldKind kind = FieldKind::WideString);
    void setCalcHandler(CalcHandler handler);
    // Inside the calc handler: sets a calculated field of the current row.
    void setCalculated(const QString &name, const QVariant &value);
    void setNewRecordHandler(NewRecordHandler handler);

    // Runs the query. Throws Error (engine's message, or a missing declared field). An open
    // dataset whose connection was closed since it read its rows reads them again; until then
    // it shows no row and refuses to post or delete (its row ids belong to an earlier opening).
    void open();
    void close();
    bool isActive() const { return m_state != DataSetState::Inactive; }
    DataSetState state() const { return m_state; }
    // Closes, then runs the current text as a statement (no result set), then closes.
    void execSql();
    // Closes, replaces the text, runs it as a statement, closes.
    void execSql(const QString &sql);

    // Navigation (posts a pending edit first).
    void first();
    void next();
    void prior();
    void last();
    void moveTo(int index);
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    int recordCount() const;
    int currentIndex() const; // -1 when there is no row
    // The value of a field in any row, without moving: what a grid draws. The current row
    // gives what field(fieldIndex).value() gives (edit buffer and calculated fields included);
    // other rows give their stored values, and their calculated fields are empty.
    QVariant rowValue(int row, int fieldIndex) const;

    // Fields. field() throws Error for an unknown name; findField() returns -1.
    const std::vector<FieldDef> &fields() const { return m_fields; }
    int findField(const QString &name) const;
    Field field(const QString &name);
    Field field(int index) { return Field(this, index); }
    // Display properties of a field name (also before open).
    FieldDisplay &display(const QString &name);

    // Editing. edit() on an empty dataset throws. post() and cancel() outside Edit/Insert do
    // nothing.
    void insert(); // a new row before the current one
    void append(); // a new row after the last one
    // Where the row being inserted stands once posted (Insert state), else -1.
    int insertPosition() const { return m_state == DataSetState::Insert ? m_insertAt : -1; }
    void edit();
    void post();
    void cancel();
    void deleteCurrent(); // the current row becomes the next one (the previous at the end)
    // Moves to the first row whose field equals value (exact match; numbers compare as
    // numbers). Returns false and stays put when none.
    bool locate(const QString &fieldName, const QVariant &value);

    // Shows only the rows the filter accepts, from the rows in memory (nothing is read again),
    // and again at every open; an empty filter shows every row. The first shown row becomes
    // current. Rows added while filtered stay shown, and so do rows edited, until the filter is
    // set again. A pending edit is posted first.
    using RowFilter = std::function<bool(const StoredRow &)>;
    void setRowFilter(RowFilter filter);
    bool isFiltered() const { return bool(m_filter); }
    // The rows held, shown or not.
    int storedCount() const;

    // Notifications.
    int subscribe(Listener listener);
    void unsubscribe(int token);
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

private:
    friend class Field;
    friend class StoredRow;
    struct Cell;
    struct Store;

    QVariant valueAt(int fieldIndex) const;
    void setFieldValue(int fieldIndex, const QVariant &value);
    void notify(Event event, const QString &field = {});
    void setState(DataSetState state);
    void checkBrowseMode();
    void startInsert(bool atEnd);
    void requireActive() const;
    // True while open over rows read before its connection was last closed.
    bool readFromAnEarlierOpening() const;
    // Throws Error when readFromAnEarlierOpening(): no row id of an earlier opening is used.
    void requireCurrentRows() const;
    void requireRow() const;
    void setPosition(int index, bool bof, bool eof);
    void prepareAndRead();
    void checkDeclaredFields(const Store &store, const QString &text) const;
    void readRows(sqlite3_stmt *st, Store &store, bool withRowid);
    void layOutFields(const Store &store);
    void readBack(int row, qint64 rowid);
    QVariant largeValue(int fieldIndex, int storedRow) const;
    // The stored row shown at a position.
    // Rows are shown through m_view while a filter is set on an open dataset.
    bool viewing() const { return m_filter && m_store; }
    int storedRow(int row) const { return viewing() ? m_view[size_t(row)] : row; }
    void applyFilter();
    int calcIndex(const QString &name) const;

    Connection *m_conn = nullptr;
    QStringList m_sql;
    QVariantList m_params;
    QStringList m_declared;
    QStringList m_onDemand;
    struct CalcDef {
        QString name;
        FieldKind kind;
    };
    std::vector<CalcDef> m_calcDefs;
    CalcHandler m_calc;
    NewRecordHandler m_newRecord;
    QHash<QString, FieldDisplay> m_display; // by lower-case name

    DataSetState m_state = DataSetState::Inactive;
    std::vector<FieldDef> m_fields;
    std::vector<int> m_sourceColumn; // field -> column of the stored row (-1: calculated)
    std::unique_ptr<Store> m_store;
    QString m_table; // the dataset's table, empty when read-only
    bool m_hasRowid = false;
    int m_lastRowCount = 0; // size of the last read, reserved by the next one
    size_t m_lastArenaSize = 0;
    int m_current = -1; // a shown position (see storedRow)
    RowFilter m_filter;
    std::vector<int> m_view; // stored rows shown, in order, while filtered
    bool m_bof = true;
    bool m_eof = true;

    // Edit buffer (Edit/Insert).
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_changed;
    int m_insertAt = -1;

    // Calculated values of one row.
    mutable int m_calcRow = -1;
    mutable std::vector<QVariant> m_calcValues;
    bool m_inCalc = false;

    // Last fetched large value.
    mutable qint64 m_largeRowid = 0;
    mutable int m_largeField = -1;
    mutable QVariant m_largeValue;
    mutable quint64 m_largeGeneration = 0;
    quint64 m_generation = 0; // the connection's generation when the rows were read

    struct Subscriber {
        int token;
        Listener listener;
    };
    std::vector<Subscriber> m_listeners;
    int m_nextToken = 1;
    int m_disabled = 0;
    bool m_suppressed = false;
};

} // namespace vivrelo
