#pragma once

#include "base/SystemErrors.h"

#include <QByteArray>
#include <QString>

#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vivrelo {

// What the first bytes of a file say it is.
enum class DatabaseFileKind {
    SQLite, // "SQLite format 3\0": a database of this program
    Jet, // an Access/Jet file ("Standard Jet DB" / "Standard ACE DB")
    Other, // anything else, also a file shorter than 16 bytes
    Missing, // no such file, or it cannot be read
};

// Reads the first 16 bytes of the file (never writes to it).
DatabaseFileKind DetectDatabaseFile(const QString &path);

// The Data Source value of a connection string
// ("Provider=...;Data Source=C:\x\VIVRELO.MDB;Persist Security Info=True"): keys are compared
// without regard to case and surrounding blanks, a value may be quoted with " or ', and an
// empty text is returned when there is no Data Source.
QString DataSourceFromConnectionString(const QString &text);

// The comparison behind the NOCASE collation of every connection: letters compare without
// regard to case (also accented ones: "É" = "é"); accents are a secondary difference, so
// "Epinard" < "Éponge" < "Eponges" and "crème" = "Crème" != "creme". Pure ASCII texts are
// compared byte by byte after ASCII case folding. Returns <0, 0 or >0.
// Texts of the common scripts are compared as they are read, letter by letter, as quickly as
// the engine's own ASCII comparison; other texts go through CompareNoCaseFull.
int CompareNoCase(QStringView a, QStringView b);
// The same on UTF-8 bytes, as SQLite hands them over.
int CompareNoCaseUtf8(const char *a, int lengthA, const char *b, int lengthB);
// The start of `text` against `prefix`, letters only (case and accents ignored): 0 when the
// text starts with the prefix's letters, else the sign of the comparison of that start. Texts
// sorted by CompareNoCase are sorted by it too, whatever the prefix: a type-ahead can search
// them by halves.
int CompareNoCasePrefix(QStringView text, QStringView prefix);
// The comparison worked out in full from each text's weights: the order the quick paths
// above follow exactly.
int CompareNoCaseFull(QStringView a, QStringView b);
// The letters of a UTF-8 text as a search compares them (case and accents ignored, ligatures
// spelt out: "Œufs" gives "oeufs"), added to `out`: a search finds a folded word in a folded
// text.
void AppendFolded(std::string_view utf8, std::u32string &out);

// One open SQLite database file. Not copyable; datasets keep a pointer to it, so it must
// outlive them. close() closes nothing of theirs, but a dataset notices it through
// generation(): it shows none of its earlier rows, refuses to post or delete by their row ids,
// and open() reads it again once the connection is reopened.
//
// The database runs with a rollback journal (never WAL), so the database is one file that the
// maintenance code may copy, move or compact while the connection is closed. Every
// connection registers the NOCASE collation above in place of SQLite's own.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens an existing database file read-write; it never creates a file, and a file that can
    // only be read is refused. Before opening, the header is checked: an Access/Jet file is
    // refused ("... base de données Access/Jet : il doit être converti ..."), any other
    // non-SQLite file too; the file is left untouched in every case.
    // A connection already open is closed first. Throws Error with a French message.
    void open(const QString &path);
    // Opens an existing database file for reading only (a snapshot, a check): nothing on disk
    // changes, whatever is run. Same checks and messages as open().
    void openReadOnly(const QString &path);
    // Opens the Data Source of a connection string (see DataSourceFromConnectionString).
    void openConnectionString(const QString &text);
    void close();
    bool isOpen() const;
    // The path given to open(); empty when closed.
    QString path() const;

    // Runs one or more statements (no result rows are read). Throws Error carrying the engine's
    // message on failure; statements before the failing one stay done.
    void exec(const QString &sql);
    // Runs one statement with positional parameters ("?") bound in order (values stored as
    // described in DataSet.h). A text of several statements, or parameters that do not match
    // the statement's, is refused before anything runs.
    void exec(const QString &sql, const QVariantList &parameters);
    // Runs exactly one statement, as Access runs a query: a blank text or several statements
    // are refused before anything runs.
    void execOne(const QString &sql);
    // The first column of the first row of a query, or an invalid QVariant when no row.
    QVariant scalar(const QString &sql, const QVariantList &parameters = {});

    // A row of forEachRow: its columns read only when asked for.
    class RowView
    {
    public:
        explicit RowView(sqlite3_stmt *statement)
            : m_stmt(statement)
        { }
        QVariant value(int column) const; // QVariant() for NULL, as DataSet fields give it
        // A column read as text (numbers as the engine writes them), "" for NULL.
        QString text(int column) const;

    private:
        sqlite3_stmt *m_stmt;
    };
    // Runs a query and hands each row to `visit` in turn, keeping none of them: a read that
    // goes once through the rows, for results that are turned into something else at once.
    void forEachRow(
        const QString &sql, const QVariantList &parameters, const std::function<void(const RowView &)> &visit);

    // Names of the user tables, in the order of the schema (no sqlite_ tables).
    QStringList tableNames() const;
    // The rowid of the last row inserted through this connection.
    qint64 lastInsertId() const;
    // Number of rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    // True inside a transaction begun with BEGIN and not yet ended.
    bool inTransaction() const;
    // How long a statement waits for a lock held by another process (default 5000 ms).
    void setBusyTimeout(int milliseconds);

    // Incremented by every close(); datasets use it to notice a reopened connection.
    quint64 generation() const { return m_generation; }
    // The engine handle, for the data-access code itself (nullptr when closed).
    sqlite3 *handle() const { return m_db; }

    // Throws DatabaseError with the engine's current failure told in French (what failed, then
    // kept: what the failed operation left as it was), prefixed by context when given.
    [[noreturn]] void failWithEngineMessage(const QString &context = {}, const QString &kept = NothingChanged()) const;

private:
    void openFile(const QString &path, bool readOnly);
    sqlite3 *m_db = nullptr;
    QString m_path;
    int m_busyTimeout = 5000;
    quint64 m_generation = 0;
};

// Registers the NOCASE collation (CompareNoCase) on a raw handle.
void RegisterNoCaseCollation(sqlite3 *db);

} // namespace vivrelo
