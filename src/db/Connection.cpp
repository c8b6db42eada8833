#include "db/Connection.h"

#include "base/Error.h"
#include "db/SqliteErrors.h"
#include "db/SqliteValues.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstring>
#include <string>
#include <vector>

namespace vivrelo {

DatabaseFileKind DetectDatabaseFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return DatabaseFileKind::Missing;
    const QByteArray head = file.read(20);
    if (head.size() >= 16 && head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return DatabaseFileKind::SQLite;
    const QByteArray jetMagic("\0\x01\0\0", 4);
    for (const char *name : {"Standard Jet DB", "Standard ACE DB"}) {
        if (head.startsWith(jetMagic + name) || head.startsWith(name))
            return DatabaseFileKind::Jet;
    }
    return DatabaseFileKind::Other;
}

namespace {

// Splits "a=b;c='d;e'" at the semicolons outside quotes.
QStringList splitConnectionString(const QString &text)
{
    QStringList parts;
    QString current;
    QChar quote;
    for (const QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            current += c;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
            current += c;
        } else if (c == u';') {
            parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current;
    return parts;
}

} // namespace

QString DataSourceFromConnectionString(const QString &text)
{
    for (const QString &part : splitConnectionString(text)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0)
            continue;
        if (part.left(eq).simplified().compare(u"Data Source", Qt::CaseInsensitive) != 0)
            continue;
        QString value = part.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// NOCASE collation

namespace {

// Primary and secondary weights of one text: the primary sequence holds case-folded base
// letters (accents removed, ligatures expanded), the secondary sequence the accent of each
// primary unit (0 for none).
struct Weights {
    std::vector<char32_t> primary;
    std::vector<char32_t> secondary;
};

void appendWeights(Weights &w, char32_t code)
{
    if (code < 0x80) {
        w.primary.push_back((code >= 'A' && code <= 'Z') ? code + 32 : code);
        w.secondary.push_back(0);
        return;
    }
    switch (code) {
    case U'œ':
    case U'Œ':
        w.primary.insert(w.primary.end(), {U'o', U'e'});
        w.secondary.insert(w.secondary.end(), {0, 1});
        return;
    case U'æ':
    case U'Æ':
        w.primary.insert(w.primary.end(), {U'a', U'e'});
        w.secondary.insert(w.secondary.end(), {0, 1});
        return;
    case U'ß':
        w.primary.insert(w.primary.end(), {U's', U's'});
        w.secondary.insert(w.secondary.end(), {0, 1});
        return;
    default:
        break;
    }
    const QChar::Category category = QChar::category(code);
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing) {
        // A combining mark: the accent of the previous letter.
        if (!w.secondary.empty())
            w.secondary.back() = w.secondary.back() * 0x10000 + code;
        else {
            w.primary.push_back(0);
            w.secondary.push_back(code);
        }
        return;
    }
    char32_t base = code;
    char32_t accent = 0;
    if (QChar::decompositionTag(code) == QChar::Canonical) {
        const QString decomposed = QChar::decomposition(code);
        const QList<uint> units = decomposed.toUcs4();
        if (!units.isEmpty()) {
            base = units.front();
            for (qsizetype i = 1; i < units.size(); ++i)
                accent = accent * 0x10000 + units[i];
        }
    }
    base = QChar::toCaseFolded(base);
    w.primary.push_back(base);
    w.secondary.push_back(accent);
}

Weights weightsOf(QStringView text)
{
    Weights w;
    w.primary.reserve(size_t(text.size()));
    w.secondary.reserve(size_t(text.size()));
    const QList<uint> codes = text.toUcs4();
    for (const uint code : codes)
        appendWeights(w, code);
    return w;
}

int compareWeights(const Weights &a, const Weights &b)
{
    const size_t n = std::min(a.primary.size(), b.primary.size());
    for (size_t i = 0; i < n; ++i) {
        if (a.primary[i] != b.primary[i])
            return a.primary[i] < b.primary[i] ? -1 : 1;
    }
    if (a.primary.size() != b.primary.size())
        return a.primary.size() < b.primary.size() ? -1 : 1;
    // Same letters: accents decide, read from the end of the word as French dictionaries do.
    for (size_t i = a.secondary.size(); i-- > 0;) {
        if (a.secondary[i] != b.secondary[i])
            return a.secondary[i] < b.secondary[i] ? -1 : 1;
    }
    return 0;
}

// The weights of one code point of the common scripts (Latin, Greek, Cyrillic), worked out
// once by appendWeights: one or two primary units and their accents. A code point that the
// quick comparison does not handle (a combining mark, anything beyond the table) has none.
struct CodeWeights {
    char32_t primary[2] = {0, 0};
    char32_t secondary[2] = {0, 0};
    unsigned char count = 0;
};

constexpr char32_t kTableEnd = 0x500;

const CodeWeights *weightTable()
{
    static const std::vector<CodeWeights> table = [] {
        std::vector<CodeWeights> t(kTableEnd);
        for (char32_t code = 0; code < kTableEnd; ++code) {
            const QChar::Category category = QChar::category(code);
            if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
                || category == QChar::Mark_Enclosing)
                continue;
            Weights w;
            appendWeights(w, code);
            if (w.primary.empty() || w.primary.size() > 2)
                continue;
            CodeWeights &c = t[code];
            c.count = static_cast<unsigned char>(w.primary.size());
            for (size_t i = 0; i < w.primary.size(); ++i) {
                c.primary[i] = w.primary[i];
                c.secondary[i] = w.secondary[i];
            }
        }
        return t;
    }();
    return table.data();
}

// Built when the program loads, so the comparisons never wait on a first-use guard.
const CodeWeights *const kWeights = weightTable();

// Code points of a UTF-8 text; `ok` turns false on a malformed sequence.
struct Utf8Reader {
    const unsigned char *p;
    const unsigned char *end;
    bool atEnd() const { return p == end; }
    char32_t next(bool &ok)
    {
        const unsigned char c = *p++;
        if (c < 0x80)
            return c;
        if ((c & 0xE0) == 0xC0 && p != end && (*p & 0xC0) == 0x80 && c >= 0xC2)
            return (char32_t(c & 0x1F) << 6) | (*p++ & 0x3F);
        int more = 0;
        char32_t code = 0;
        if ((c & 0xE0) == 0xC0) {
            more = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            code = c & 0x07;
        } else {
            ok = false;
            return 0;
        }
        if (end - p < more) {
            ok = false;
            return 0;
        }
        for (int i = 0; i < more; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                ok = false;
                return 0;
            }
            code = (code << 6) | (p[i] & 0x3F);
        }
        p += more;
        // Overlong forms are malformed too: leave them to the full comparison.
        if ((more == 1 && code < 0x80) || (more == 2 && code < 0x800) || (more == 3 && code < 0x10000))
            ok = false;
        return code;
    }
};

// Code points of a UTF-16 text; a surrogate is not read as one (the table ends far below).
struct Utf16Reader {
    const char16_t *p;
    const char16_t *end;
    bool atEnd() const { return p == end; }
    char32_t next(bool &) { return *p++; }
};

// Primary units of a text one at a time, a ligature giving two.
template <class Reader>
struct PrimaryCursor {
    Reader reader;
    char32_t pending = 0;
    bool hasPending = false;

    enum Step { Unit, End, Unhandled };
    Step next(char32_t &unit)
    {
        if (hasPending) {
            hasPending = false;
            unit = pending;
            return Unit;
        }
        if (reader.atEnd())
            return End;
        bool ok = true;
        const char32_t code = reader.next(ok);
        if (!ok)
            return Unhandled;
        if (code < 0x80) {
            unit = (code >= 'A' && code <= 'Z') ? code + 32 : code;
            return Unit;
        }
        if (code >= kTableEnd)
            return Unhandled;
        const CodeWeights &w = kWeights[code];
        if (w.count == 0)
            return Unhandled;
        unit = w.primary[0];
        if (w.count == 2) {
            pending = w.primary[1];
            hasPending = true;
        }
        return Unit;
    }
};

// The accents of a text whose code points are all in the table, at most `capacity` units;
// returns the number written, or -1 when they do not fit.
template <class Reader>
int secondaryUnits(Reader reader, char32_t *out, int capacity)
{
    int n = 0;
    bool ok = true;
    while (!reader.atEnd()) {
        const char32_t code = reader.next(ok);
        if (code < 0x80) {
            if (n == capacity)
                return -1;
            out[n++] = 0;
            continue;
        }
        const CodeWeights &w = kWeights[code];
        if (n + w.count > capacity)
            return -1;
        for (int i = 0; i < w.count; ++i)
            out[n++] = w.secondary[i];
    }
    return n;
}

constexpr int kUnhandled = 2; // not a comparison result: the full comparison must decide

// The comparison of compareWeights(weightsOf(a), weightsOf(b)) worked out as the texts are
// read, without building their weights: the first differing letter decides at once. Texts
// with code points beyond the table answer kUnhandled.
template <class Reader>
int quickCompare(Reader a, Reader b)
{
    PrimaryCursor<Reader> ca{a};
    PrimaryCursor<Reader> cb{b};
    for (;;) {
        char32_t ua = 0;
        char32_t ub = 0;
        const auto sa = ca.next(ua);
        const auto sb = cb.next(ub);
        if (sa == PrimaryCursor<Reader>::Unhandled || sb == PrimaryCursor<Reader>::Unhandled)
            return kUnhandled;
        if (sa == PrimaryCursor<Reader>::End || sb == PrimaryCursor<Reader>::End) {
            if (sa != sb)
                return sa == PrimaryCursor<Reader>::End ? -1 : 1;
            break;
        }
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
    // Same letters: accents decide, read from the end.
    constexpr int capacity = 512;
    char32_t sa[capacity];
    char32_t sb[capacity];
    const int na = secondaryUnits(a, sa, capacity);
    const int nb = secondaryUnits(b, sb, capacity);
    if (na < 0 || nb < 0 || na != nb)
        return kUnhandled;
    for (int i = na; i-- > 0;) {
        if (sa[i] != sb[i])
            return sa[i] < sb[i] ? -1 : 1;
    }
    return 0;
}

} // namespace

int CompareNoCasePrefix(QStringView text, QStringView prefix)
{
    const auto *pt = reinterpret_cast<const char16_t *>(text.utf16());
    const auto *pp = reinterpret_cast<const char16_t *>(prefix.utf16());
    PrimaryCursor<Utf16Reader> ct{Utf16Reader{pt, pt + text.size()}};
    PrimaryCursor<Utf16Reader> cp{Utf16Reader{pp, pp + prefix.size()}};
    for (;;) {
        char32_t up = 0;
        char32_t ut = 0;
        const auto sp = cp.next(up);
        if (sp == PrimaryCursor<Utf16Reader>::End)
            return 0;
        const auto st = ct.next(ut);
        if (sp == PrimaryCursor<Utf16Reader>::Unhandled || st == PrimaryCursor<Utf16Reader>::Unhandled)
            break;
        if (st == PrimaryCursor<Utf16Reader>::End)
            return -1;
        if (ut != up)
            return ut < up ? -1 : 1;
    }
    // Letters beyond the table: their weights worked out in full.
    const Weights t = weightsOf(text);
    const Weights p = weightsOf(prefix);
    for (size_t i = 0; i < p.primary.size(); ++i) {
        if (i == t.primary.size())
            return -1;
        if (t.primary[i] != p.primary[i])
            return t.primary[i] < p.primary[i] ? -1 : 1;
    }
    return 0;
}

void AppendFolded(std::string_view utf8, std::u32string &out)
{
    const size_t start = out.size();
    const auto *text = reinterpret_cast<const unsigned char *>(utf8.data());
    PrimaryCursor<Utf8Reader> cursor{Utf8Reader{text, text + utf8.size()}};
    for (;;) {
        char32_t unit = 0;
        const auto step = cursor.next(unit);
        if (step == PrimaryCursor<Utf8Reader>::End)
            return;
        if (step == PrimaryCursor<Utf8Reader>::Unhandled)
            break;
        out.push_back(unit);
    }
    out.resize(start);
    for (const char32_t unit : weightsOf(QString::fromUtf8(utf8.data(), qsizetype(utf8.size()))).primary)
        if (unit != 0)
            out.push_back(unit);
}

int CompareNoCaseFull(QStringView a, QStringView b)
{
    return compareWeights(weightsOf(a), weightsOf(b));
}

int CompareNoCase(QStringView a, QStringView b)
{
    const auto *pa = reinterpret_cast<const char16_t *>(a.utf16());
    const auto *pb = reinterpret_cast<const char16_t *>(b.utf16());
    const int quick = quickCompare(Utf16Reader{pa, pa + a.size()}, Utf16Reader{pb, pb + b.size()});
    return quick != kUnhandled ? quick : CompareNoCaseFull(a, b);
}

int CompareNoCaseUtf8(const char *a, int lengthA, const char *b, int lengthB)
{
    // ASCII letters as long as both texts have them; the rest, from the first other code
    // point, letter by letter. The equal ASCII start has no accents: it cannot decide later.
    const int n = std::min(lengthA, lengthB);
    int i = 0;
    for (; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) & 0x80)
            break;
        const unsigned char fa = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const unsigned char fb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    if (i == n) {
        if (lengthA == lengthB)
            return 0;
        // One text is a prefix of the other; a non-ASCII rest may hold only combining marks.
        const char *rest = lengthA > lengthB ? a + n : b + n;
        const int restLength = std::abs(lengthA - lengthB);
        bool ascii = true;
        for (int k = 0; k < restLength && ascii; ++k)
            ascii = !(static_cast<unsigned char>(rest[k]) & 0x80);
        if (ascii)
            return lengthA < lengthB ? -1 : 1;
    }
    // A combining mark would belong to the letter before it: step back to that letter.
    if (i > 0)
        --i;
    const auto *pa = reinterpret_cast<const unsigned char *>(a);
    const auto *pb = reinterpret_cast<const unsigned char *>(b);
    const int quick = quickCompare(Utf8Reader{pa + i, pa + lengthA}, Utf8Reader{pb + i, pb + lengthB});
    return quick != kUnhandled ? quick
                               : CompareNoCaseFull(QString::fromUtf8(a, lengthA), QString::fromUtf8(b, lengthB));
}

namespace {

int noCaseCollation(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    return CompareNoCaseUtf8(static_cast<const char *>(a), lengthA, static_cast<const char *>(b), lengthB);
}

} // namespace

void RegisterNoCaseCollation(sqlite3 *db)
{
    sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, noCaseCollation, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Connection

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

void Connection::open(const QString &path)
{
    openFile(path, false);
}

void Connection::openReadOnly(const QString &path)
{
    openFile(path, true);
}

void Connection::openFile(const QString &path, bool readOnly)
{
    close();
    switch (DetectDatabaseFile(path)) {
    case DatabaseFileKind::Missing:
        fail(QStringLiteral("Le fichier de base de données « %1 » est introuvable ou illisible.").arg(path));
    case DatabaseFileKind::Jet:
        fail(QStringLiteral("Le fichier « %1 » est une base de données Access/Jet : il doit être "
                            "converti au format de ce programme avant de pouvoir être ouvert.")
                 .arg(path));
    case DatabaseFileKind::Other:
        fail(QStringLiteral("Le fichier « %1 » n'est pas une base de données de ce programme.").arg(path));
    case DatabaseFileKind::SQLite:
        break;
    }
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(
        path.toUtf8().constData(), &db, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = SqliteErrorText(db, rc, QStringLiteral("le fichier n'a pas été modifié"));
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        sqlite3_close(db);
        throw DatabaseError(
            QStringLiteral("Impossible d'ouvrir la base de données « %1 » :\r%2").arg(path, message), code);
    }
    if (!readOnly && sqlite3_db_readonly(db, "main") == 1) {
        sqlite3_close(db);
        fail(QStringLiteral("La base de données « %1 » ne peut pas être modifiée : le fichier est en "
                            "lecture seule.")
                 .arg(path));
    }
    sqlite3_extended_result_codes(db, 1);
    RegisterNoCaseCollation(db);
    sqlite3_busy_timeout(db, m_busyTimeout);
    m_db = db;
    m_path = path;
    try {
        // Reading the schema proves the file is a readable database; the journal stays a
        // rollback journal so the database is a single file.
        exec(readOnly ? QStringLiteral("SELECT count(*) FROM sqlite_master;")
                      : QStringLiteral("SELECT count(*) FROM sqlite_master; PRAGMA journal_mode=DELETE;"));
    } catch (const DatabaseError &e) {
        close();
        throw DatabaseError(
            QStringLiteral("Impossible d'ouvrir la base de données « %1 » :\r%2").arg(path, e.message()), e.code());
    }
}

void Connection::openConnectionString(const QString &text)
{
    const QString path = DataSourceFromConnectionString(text);
    if (path.isEmpty())
        fail(QStringLiteral("La chaîne de connexion ne désigne aucun fichier (Data Source) :\r%1").arg(text));
    open(path);
}

void Connection::close()
{
    if (!m_db)
        return;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
    ++m_generation;
}

bool Connection::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

bool Connection::isOpen() const
{
    return m_db != nullptr;
}

QString Connection::path() const
{
    return m_path;
}

void Connection::failWithEngineMessage(const QString &context, const QString &kept) const
{
    if (!m_db)
        fail(QStringLiteral("La base de données n'est pas ouverte."));
    const int code = sqlite3_extended_errcode(m_db);
    const QString message = SqliteErrorText(m_db, code, kept);
    throw DatabaseError(context.isEmpty() ? message : context + QStringLiteral("\r") + message, code);
}

namespace {

void requireOpen(const Connection &c)
{
    if (!c.isOpen())
        fail(QStringLiteral("La base de données n'est pas ouverte."));
}

} // namespace

void Connection::exec(const QString &sql)
{
    requireOpen(*this);
    const QByteArray text = sql.toUtf8();
    const char *tail = text.constData();
    const char *end = tail + text.size();
    bool someDone = false;
    auto failHere = [&] {
        failWithEngineMessage(
            {}, someDone ? QStringLiteral("les instructions qui la précèdent restent faites") : NothingChanged());
    };
    while (tail < end) {
        sqlite::Statement statement;
        const char *next = nullptr;
        if (sqlite3_prepare_v2(m_db, tail, int(end - tail), statement.out(), &next) != SQLITE_OK)
            failHere();
        tail = next;
        if (!statement)
            continue; // blank or comment
        int rc;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) { }
        if (rc != SQLITE_DONE)
            failHere();
        someDone = true;
    }
}

namespace {

// A statement prepared on the connection with its positional parameters bound; an empty
// statement (blank text or a comment) when the text holds none. A text holding more than one
// statement is refused: only the first would run.
sqlite::Statement PrepareBound(Connection &c, const QString &sql, const QVariantList &parameters)
{
    const QByteArray text = sql.toUtf8();
    const char *end = text.constData() + text.size();
    const char *tail = nullptr;
    sqlite::Statement statement;
    if (sqlite3_prepare_v2(c.handle(), text.constData(), int(text.size()), statement.out(), &tail) != SQLITE_OK)
        c.failWithEngineMessage();
    if (tail && tail < end) {
        sqlite::Statement next;
        const int rc = sqlite3_prepare_v2(c.handle(), tail, int(end - tail), next.out(), nullptr);
        if (rc != SQLITE_OK || next)
            fail(QStringLiteral("La requête contient plusieurs instructions ; une seule peut être exécutée ici. "
                                "Rien n'a été exécuté :\r%1")
                     .arg(sql.trimmed()));
    }
    if (!statement)
        return statement;
    const int expected = sqlite3_bind_parameter_count(statement.get());
    if (expected != parameters.size())
        fail(QStringLiteral("La requête attend %1 paramètre(s), %2 donné(s). Rien n'a été exécuté :\r%3")
                 .arg(expected)
                 .arg(parameters.size())
                 .arg(sql.trimmed()));
    for (int i = 0; i < parameters.size(); ++i)
        if (sqlite::bindValue(statement.get(), i + 1, parameters[i]) != SQLITE_OK)
            fail(QStringLiteral("La valeur du paramètre %1 ne peut pas être transmise à la base de données. "
                                "Rien n'a été exécuté :\r%2")
                     .arg(i + 1)
                     .arg(sql.trimmed()));
    return statement;
}

} // namespace

void Connection::exec(const QString &sql, const QVariantList &parameters)
{
    forEachRow(sql, parameters, [](const RowView &) {});
}

void Connection::execOne(const QString &sql)
{
    requireOpen(*this);
    const sqlite::Statement statement = PrepareBound(*this, sql, {});
    if (!statement)
        fail(QStringLiteral("La requête est vide : il n'y a rien à exécuter."));
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) { }
    if (rc != SQLITE_DONE)
        failWithEngineMessage();
}

QVariant Connection::scalar(const QString &sql, const QVariantList &parameters)
{
    requireOpen(*this);
    const sqlite::Statement statement = PrepareBound(*this, sql, parameters);
    if (!statement)
        return {};
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW)
        return sqlite::columnValue(statement.get(), 0);
    if (rc != SQLITE_DONE)
        failWithEngineMessage();
    return {};
}

QVariant Connection::RowView::value(int column) const
{
    return sqlite::columnValue(m_stmt, column);
}

QString Connection::RowView::text(int column) const
{
    const auto *utf8 = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(utf8, sqlite3_column_bytes(m_stmt, column));
}

void Connection::forEachRow(
    const QString &sql, const QVariantList &parameters, const std::function<void(const RowView &)> &visit)
{
    requireOpen(*this);
    const sqlite::Statement statement = PrepareBound(*this, sql, parameters);
    if (!statement)
        return;
    const RowView row(statement.get());
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        visit(row);
    if (rc != SQLITE_DONE)
        failWithEngineMessage();
}

QStringList Connection::tableNames() const
{
    requireOpen(*this);
    sqlite::Statement statement;
    if (sqlite3_prepare_v2(m_db,
            "SELECT name FROM sqlite_master WHERE type='table' "
            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid",
            -1, statement.out(), nullptr)
        != SQLITE_OK)
        failWithEngineMessage();
    QStringList names;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.get(), 0)));
    if (rc != SQLITE_DONE)
        failWithEngineMessage();
    return names;
}

qint64 Connection::lastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int Connection::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

void Connection::setBusyTimeout(int milliseconds)
{
    m_busyTimeout = milliseconds;
    if (m_db)
        sqlite3_busy_timeout(m_db, milliseconds);
}

} // namespace vivrelo
