#include "db/Compaction.h"

#include "base/Error.h"
#include "base/Paths.h"
#include "db/Connection.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <limits>

namespace vivrelo {

namespace {

// A handle on a database file, closed on every path.
struct Handle {
    sqlite3 *db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
    QString error() const { return QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory"); }
};

// A prepared statement, finalized on every path.
struct Statement {
    sqlite3_stmt *st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
    bool prepare(sqlite3 *db, const QString &sql)
    {
        sqlite3_finalize(st);
        st = nullptr;
        return sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK;
    }
    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)));
    }
};

bool openFile(Handle &h, const QString &path, int flags)
{
    const bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &h.db, flags, nullptr) == SQLITE_OK;
    if (h.db)
        RegisterNoCaseCollation(h.db);
    return ok;
}

QString quickCheck(sqlite3 *db)
{
    Statement q;
    if (q.prepare(db, QStringLiteral("PRAGMA quick_check")) && sqlite3_step(q.st) == SQLITE_ROW)
        return q.text(0);
    return QString::fromUtf8(sqlite3_errmsg(db));
}

[[noreturn]] void failCompaction(const QString &source, const QString &reason)
{
    fail(QStringLiteral("Le compactage de la base de données « %1 » a échoué :\r%2").arg(source, reason));
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

void WriteCompactedCopy(const QString &source, const QString &work)
{
    const auto removeWork = [&work] { QFile::remove(work); };
    {
        Handle in;
        if (!openFile(in, source, SQLITE_OPEN_READONLY))
            failCompaction(source, in.error());
        Statement vacuum;
        int rc = SQLITE_ERROR;
        if (vacuum.prepare(in.db, QStringLiteral("VACUUM INTO ?"))) {
            const QByteArray target = work.toUtf8();
            sqlite3_bind_text(vacuum.st, 1, target.constData(), int(target.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(vacuum.st);
        }
        if (rc != SQLITE_DONE && rc != SQLITE_OK) {
            const QString message = in.error();
            removeWork();
            failCompaction(source, message);
        }
    }
    // The copy is checked before it may replace anything.
    QString verdict;
    {
        Handle out;
        verdict = openFile(out, work, SQLITE_OPEN_READONLY) ? quickCheck(out.db) : out.error();
    }
    if (verdict != u"ok") {
        removeWork();
        failCompaction(source, verdict);
    }
}

void CompactDatabaseKeepingName(const QString &database, const QString &work)
{
    if (QFileInfo::exists(work) || QFileInfo(work).isSymLink())
        failCompaction(database,
            QStringLiteral("le fichier de travail « %1 » existe déjà ; la base de données n'a pas été touchée.")
                .arg(work));
    WriteCompactedCopy(database, work);
    if (!RenameDurably(work, database)) {
        QFile::remove(work);
        failCompaction(database,
            QStringLiteral("la copie compactée n'a pas pu prendre la place de la base ; la base de données "
                           "n'a pas été touchée."));
    }
}

DatabaseInUseGuard::DatabaseInUseGuard(const QString &path, int waitMs)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return;
    }
    sqlite3_busy_timeout(m_db, waitMs);
    const int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return;
    const QString engine = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        fail(QStringLiteral("La base de données est utilisée par un autre programme ; rien n'a été modifié.\r(%1)")
                 .arg(engine));
}

DatabaseInUseGuard::~DatabaseInUseGuard()
{
    if (m_db) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
}

QString RescueReport::summary() const
{
    QStringList lines;
    for (const RescuedTable &t : tables) {
        QString line = QStringLiteral("%1 : %2 ligne(s) sauvée(s)").arg(t.name).arg(t.saved);
        if (t.lost > 0)
            line += QStringLiteral(", %1 perdue(s)").arg(t.lost);
        else if (t.lost < 0)
            line += QStringLiteral(", nombre de lignes perdues inconnu");
        else
            line += QStringLiteral(", aucune perdue");
        lines << line;
    }
    for (const QString &name : unreadableTables)
        lines << QStringLiteral("%1 : illisible, rien n'a pu être sauvé").arg(name);
    return lines.join(QLatin1Char('\r'));
}

namespace {

struct SchemaEntry {
    QString type, name, table, sql;
};

// How many rows the engine counts in a table, through the table or any of its indexes; -1
// when every way fails.
qint64 countRows(sqlite3 *db, const QString &table, const std::vector<SchemaEntry> &schema)
{
    QStringList ways{QString()};
    for (const SchemaEntry &e : schema)
        if (e.type == u"index" && e.table == table)
            ways << QStringLiteral(" INDEXED BY ") + quotedName(e.name);
    for (const QString &way : ways) {
        Statement q;
        if (q.prepare(db, QStringLiteral("SELECT count(*) FROM ") + quotedName(table) + way)
            && sqlite3_step(q.st) == SQLITE_ROW)
            return sqlite3_column_int64(q.st, 0);
    }
    return -1;
}

// Copies the readable rows of one table, in rowid order; a row that cannot be read is skipped,
// and reading goes on after it, further and further on while it keeps failing.
qint64 copyRows(sqlite3 *in, sqlite3 *out, const QString &table)
{
    Statement info;
    if (!info.prepare(in, QStringLiteral("PRAGMA table_info(") + quotedName(table) + QLatin1Char(')')))
        return 0;
    QStringList columns;
    int primaryKeys = 0;
    bool integerKey = false;
    while (sqlite3_step(info.st) == SQLITE_ROW) {
        columns << quotedName(info.text(1));
        if (sqlite3_column_int(info.st, 5) > 0) {
            ++primaryKeys;
            integerKey = info.text(2).compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0;
        }
    }
    if (columns.isEmpty())
        return 0;
    // The rowid is kept, unless a column is its alias and carries it already.
    const bool keepRowid = !(primaryKeys == 1 && integerKey);
    QStringList marks;
    for (int i = 0; i < columns.size() + (keepRowid ? 1 : 0); ++i)
        marks << QStringLiteral("?");
    Statement insert;
    if (!insert.prepare(out,
            QStringLiteral("INSERT OR IGNORE INTO %1 (%2%3) VALUES (%4)")
                .arg(quotedName(table), keepRowid ? QStringLiteral("rowid, ") : QString(),
                    columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))))
        return 0;
    Statement read;
    if (!read.prepare(in,
            QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ? ORDER BY rowid")
                .arg(columns.join(QStringLiteral(", ")), quotedName(table))))
        return 0;

    qint64 saved = 0;
    qint64 after = std::numeric_limits<qint64>::min();
    qint64 jump = 1;
    for (int failures = 0; failures < 64;) {
        sqlite3_reset(read.st);
        sqlite3_bind_int64(read.st, 1, after);
        int rc;
        while ((rc = sqlite3_step(read.st)) == SQLITE_ROW) {
            after = sqlite3_column_int64(read.st, 0);
            jump = 1;
            failures = 0;
            sqlite3_reset(insert.st);
            const int first = keepRowid ? 0 : 1;
            for (int c = first; c <= columns.size(); ++c)
                sqlite3_bind_value(insert.st, c - first + 1, sqlite3_column_value(read.st, c));
            if (sqlite3_step(insert.st) == SQLITE_DONE && sqlite3_changes(out) > 0)
                ++saved;
        }
        if (rc == SQLITE_DONE)
            break;
        // A damaged page: go on past it.
        ++failures;
        if (after > std::numeric_limits<qint64>::max() - jump)
            break;
        after = after == std::numeric_limits<qint64>::min() ? jump : after + jump;
        jump *= 2;
    }
    return saved;
}

} // namespace

RescueReport RescueDatabase(const QString &source, const QString &target)
{
    Handle in;
    if (!openFile(in, source, SQLITE_OPEN_READONLY))
        fail(QStringLiteral("La base de données « %1 » ne peut pas être lue : rien n'a pu être sauvé.\r(%2)")
                 .arg(source, in.error()));
    std::vector<SchemaEntry> schema;
    {
        Statement q;
        if (!q.prepare(in.db, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master")))
            fail(QStringLiteral("La structure de la base de données « %1 » est illisible : rien n'a pu être "
                                "sauvé.\r(%2)")
                     .arg(source, in.error()));
        while (sqlite3_step(q.st) == SQLITE_ROW)
            schema.push_back({q.text(0), q.text(1), q.text(2), q.text(3)});
    }

    QFile::remove(target);
    RescueReport report;
    {
        Handle out;
        if (!openFile(out, target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) {
            const QString why = out.error();
            QFile::remove(target);
            fail(QStringLiteral("La base de secours « %1 » ne peut pas être créée.\r(%2)").arg(target, why));
        }
        sqlite3_exec(out.db, "PRAGMA journal_mode=OFF; BEGIN", nullptr, nullptr, nullptr);
        for (const SchemaEntry &e : schema) {
            if (e.type != u"table" || e.name.startsWith(QStringLiteral("sqlite_")) || e.sql.isEmpty())
                continue;
            if (sqlite3_exec(out.db, e.sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                report.unreadableTables << e.name;
                continue;
            }
            RescuedTable t{e.name, copyRows(in.db, out.db, e.name), 0};
            const qint64 counted = countRows(in.db, e.name, schema);
            t.lost = counted < 0 ? -1 : std::max<qint64>(0, counted - t.saved);
            report.tables.push_back(t);
        }
        for (const SchemaEntry &e : schema)
            if (e.type != u"table" && !e.sql.isEmpty())
                sqlite3_exec(out.db, e.sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (sqlite3_exec(out.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            const QString why = out.error();
            sqlite3_close_v2(out.db);
            out.db = nullptr;
            QFile::remove(target);
            fail(QStringLiteral("La base de secours « %1 » n'a pas pu être écrite.\r(%2)").arg(target, why));
        }
    }
    if (!SyncToDisk(target)) {
        QFile::remove(target);
        fail(QStringLiteral("La base de secours « %1 » n'a pas pu être écrite sur le disque.").arg(target));
    }
    return report;
}

QString DatabaseDamage(const QString &path)
{
    Handle h;
    if (!openFile(h, path, SQLITE_OPEN_READONLY))
        return h.error();
    const QString verdict = quickCheck(h.db);
    return verdict == u"ok" ? QString() : verdict;
}

} // namespace vivrelo
