#include "db/JetReader.h"

#include "base/Error.h"
#include "base/Progress.h"
#include "base/TextEncoding.h"
#include "db/Connection.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <glib.h>
extern "C" {
#include <mdbtools.h>
}

namespace vivrelo {

namespace {

constexpr int kJetVersionOffset = 0x14; // 0: Jet 3 (2 KiB pages); 1 and above: 4 KiB pages
constexpr int kLongValueHeader = 12; // length and flags, then page and row of the data
// A long value's data is copied into the column's buffer one page row at a time.
constexpr size_t kChunkBufferSize = 64 * 1024;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void failDamaged(const QString &path, const QString &detail)
{
    fail(QStringLiteral("La base de données Access « %1 » est tronquée ou endommagée : %2.\r"
                        "Le fichier n'a pas été modifié.")
             .arg(shown(path), detail));
}

struct HandleCloser {
    void operator()(MdbHandle *mdb) const { mdb_close(mdb); }
};
struct TableFreer {
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};

JetType typeOf(const MdbColumn *col)
{
    switch (col->col_type) {
    case MDB_BOOL:
        return JetType::YesNo;
    case MDB_BYTE:
    case MDB_INT:
        return JetType::Short;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return col->is_long_auto ? JetType::Counter : JetType::Long;
    case MDB_MONEY:
        return JetType::Currency;
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return JetType::Double;
    case MDB_DATETIME:
        return JetType::Date;
    case MDB_MEMO:
        return JetType::Memo;
    case MDB_OLE:
    case MDB_BINARY:
        return JetType::Blob;
    case MDB_TEXT:
    case MDB_REPID:
    default:
        return JetType::Text;
    }
}

// Text as Jet stores it: Jet 4 keeps UTF-16LE, or, when the bytes begin with FF FE, the
// "compressed" form where a NUL byte toggles between one byte per character (the high byte
// being zero) and two. Jet 3 keeps the Windows code page.
QString decodeText(const MdbHandle *mdb, const char *bytes, qsizetype size)
{
    if (size <= 0)
        return QString();
    if (mdb->f->jet_version == MDB_VER_JET3) {
        return FromWindows1252(QByteArrayView(bytes, size));
    }
    const auto *b = reinterpret_cast<const uchar *>(bytes);
    if (size >= 2 && b[0] == 0xff && b[1] == 0xfe) {
        QString text;
        text.reserve(size);
        bool compressed = true;
        for (qsizetype i = 2; i < size;) {
            if (b[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                text.append(QChar(ushort(b[i])));
                ++i;
            } else if (i + 1 < size) {
                text.append(QChar(ushort(b[i] | (b[i + 1] << 8))));
                i += 2;
            } else {
                break; // a lone last byte cannot be a character
            }
        }
        return text;
    }
    QString text(size / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < size / 2; ++i)
        text[i] = QChar(ushort(b[2 * i] | (b[2 * i + 1] << 8)));
    return text;
}

class TableReader
{
public:
    TableReader(const QString &path, MdbHandle *mdb, MdbTableDef *table)
        : m_path(path)
        , m_mdb(mdb)
        , m_table(table)
        , m_chunk(kChunkBufferSize)
    { }

    JetTable read()
    {
        JetTable out;
        out.name = QString::fromUtf8(m_table->name);
        const bool jet3 = m_mdb->f->jet_version == MDB_VER_JET3;
        for (unsigned i = 0; i < m_table->num_cols; ++i) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, i));
            col->bind_ptr = nullptr; // values are read from the page, never through text
            col->len_ptr = nullptr;
            JetColumn c;
            c.name = QString::fromUtf8(col->name);
            c.type = typeOf(col);
            c.size = col->col_size;
            if (col->col_type == MDB_TEXT && !jet3)
                c.size = col->col_size / 2;
            else if (col->col_type == MDB_REPID)
                c.size = 38;
            out.columns.push_back(c);
        }
        mdb_rewind_table(m_table);
        while (mdb_fetch_row(m_table)) {
            JetRow row;
            row.reserve(m_table->num_cols);
            for (unsigned i = 0; i < m_table->num_cols; ++i)
                row.push_back(value(static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, i))));
            out.rows.push_back(std::move(row));
        }
        // The table definition counts its rows; a data page lost to truncation or damage is
        // skipped silently by the page walk, so fewer rows than counted means a lost part.
        if (out.rows.size() < m_table->num_rows)
            failDamaged(m_path,
                QStringLiteral("la table « %1 » compte %2 ligne(s), %3 seulement ont pu être lues")
                    .arg(out.name)
                    .arg(m_table->num_rows)
                    .arg(out.rows.size()));
        return out;
    }

private:
    const uchar *raw(const MdbColumn *col, int size) const
    {
        if (col->cur_value_start < 0 || col->cur_value_len < size
            || col->cur_value_start + col->cur_value_len > m_mdb->fmt->pg_size)
            failDamaged(m_path,
                QStringLiteral("une valeur de la colonne « %1 » sort de sa page").arg(QString::fromUtf8(col->name)));
        return m_mdb->pg_buf + col->cur_value_start;
    }

    QVariant value(MdbColumn *col)
    {
        // A Yes/No value lives in the row's null mask: libmdb leaves the length at 1 for
        // "no" and 0 for "yes".
        if (col->col_type == MDB_BOOL)
            return QVariant(col->cur_value_len == 0);
        if (col->cur_value_len == 0)
            return QVariant();
        switch (col->col_type) {
        case MDB_BYTE:
            return QVariant(int(*raw(col, 1)));
        case MDB_INT:
            return QVariant(int(qFromLittleEndian<qint16>(raw(col, 2))));
        case MDB_LONGINT:
        case MDB_COMPLEX:
            return QVariant(int(qFromLittleEndian<qint32>(raw(col, 4))));
        case MDB_MONEY:
            return QVariant(double(qFromLittleEndian<qint64>(raw(col, 8))) / 10000.0);
        case MDB_FLOAT: {
            const quint32 bits = qFromLittleEndian<quint32>(raw(col, 4));
            float f;
            std::memcpy(&f, &bits, sizeof f);
            return QVariant(double(f));
        }
        case MDB_DOUBLE:
            return QVariant(storedDouble(col));
        case MDB_DATETIME: {
            const QDateTime when = JetDateToDateTime(storedDouble(col));
            return when.isValid() ? QVariant(when) : QVariant();
        }
        case MDB_NUMERIC: {
            raw(col, 17);
            char *text = mdb_numeric_to_string(m_mdb, col->cur_value_start, col->col_scale, col->col_prec);
            bool ok = false;
            const double d = QByteArray(text).toDouble(&ok);
            g_free(text);
            return ok ? QVariant(d) : QVariant();
        }
        case MDB_REPID: {
            raw(col, 16);
            char *text = mdb_uuid_to_string(m_mdb->pg_buf, col->cur_value_start);
            const QString s = QString::fromLatin1(text);
            g_free(text);
            return s;
        }
        case MDB_TEXT: {
            const uchar *b = raw(col, 0);
            return decodeText(m_mdb, reinterpret_cast<const char *>(b), col->cur_value_len);
        }
        case MDB_BINARY: {
            const uchar *b = raw(col, 0);
            return QByteArray(reinterpret_cast<const char *>(b), col->cur_value_len);
        }
        case MDB_MEMO: {
            const QByteArray bytes = longValue(col);
            return decodeText(m_mdb, bytes.constData(), bytes.size());
        }
        case MDB_OLE:
            return longValue(col);
        default:
            return QVariant();
        }
    }

    double storedDouble(const MdbColumn *col) const
    {
        const quint64 bits = qFromLittleEndian<quint64>(raw(col, 8));
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    // A Memo or OLE Object value whole: inline in the row, in one row of a long-value page,
    // or chained over several pages. The header gives the length that must be found.
    QByteArray longValue(MdbColumn *col)
    {
        unsigned char header[kLongValueHeader];
        std::memcpy(header, raw(col, kLongValueHeader), kLongValueHeader);
        const quint32 word = qFromLittleEndian<quint32>(header);
        const qint64 declared = word & 0x3fffffff;
        const bool chained = (word & 0xc0000000) == 0;
        const auto damaged = [&](const char *what) {
            failDamaged(m_path,
                QStringLiteral("la valeur longue de la colonne « %1 » %2")
                    .arg(QString::fromUtf8(col->name), QString::fromUtf8(what)));
        };
        if (declared == 0)
            return QByteArray("");
        if (declared > 0x3fffffff)
            damaged("annonce une taille impossible");

        QByteArray out;
        col->bind_ptr = m_chunk.data();
        size_t n = mdb_ole_read(m_mdb, col, header, m_chunk.size());
        out.append(m_chunk.data(), qsizetype(n));
        if (chained) {
            // Each page row names the next; a loop or a lost page shows as a wrong length.
            while (out.size() < declared && (n = mdb_ole_read_next(m_mdb, col, header)) > 0)
                out.append(m_chunk.data(), qsizetype(n));
        }
        col->bind_ptr = nullptr;
        if (out.size() < declared)
            damaged("est incomplète");
        out.truncate(qsizetype(declared));
        return out;
    }

    QString m_path;
    MdbHandle *m_mdb;
    MdbTableDef *m_table;
    std::vector<char> m_chunk;
};

bool isSystemTable(const MdbCatalogEntry *entry)
{
    return !mdb_is_user_table(const_cast<MdbCatalogEntry *>(entry))
        || g_ascii_strncasecmp(entry->object_name, "MSys", 4) == 0;
}

} // namespace

int JetTable::columnIndex(const QString &column) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

DatabaseFormat DetectDatabaseFormat(const QString &path)
{
    switch (DetectDatabaseFile(path)) {
    case DatabaseFileKind::Missing:
        return DatabaseFormat::Missing;
    case DatabaseFileKind::SQLite:
        return DatabaseFormat::Sqlite;
    case DatabaseFileKind::Other:
        return DatabaseFormat::Unknown;
    case DatabaseFileKind::Jet:
        break;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DatabaseFormat::Missing;
    return file.read(32).contains("Standard ACE DB") ? DatabaseFormat::Ace : DatabaseFormat::Jet;
}

QDateTime JetDateToDateTime(double days)
{
    // Access keeps dates from the year 100 to 9999.
    if (!std::isfinite(days) || days < -657435.0 || days > 2958466.0)
        return QDateTime();
    const double whole = std::trunc(days);
    qint64 seconds = std::llround(std::fabs(days - whole) * 86400.0);
    QDate date = QDate(1899, 12, 30).addDays(qint64(whole));
    if (seconds >= 86400) {
        date = date.addDays(1);
        seconds -= 86400;
    }
    return QDateTime(date, QTime(0, 0).addSecs(int(seconds)), Qt::UTC);
}

namespace {

// The reading itself, with libmdb, in the calling process.
std::vector<JetTable> readHere(const QString &path, DatabaseFormat format)
{
    const QString aceRefused =
        QStringLiteral("La base de données « %1 » est au format Access 2007 ou ultérieur, que ce "
                       "programme ne sait pas lire.\rEnregistrez-la au format Access 2000 ou 2002-2003 "
                       "(fichier .mdb) puis recommencez.")
            .arg(shown(path));

    std::unique_ptr<MdbHandle, HandleCloser> mdb(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!mdb) {
        if (format == DatabaseFormat::Ace)
            fail(aceRefused);
        failDamaged(path, QStringLiteral("son en-tête ne peut pas être lu"));
    }
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE)) {
        if (format == DatabaseFormat::Ace)
            fail(aceRefused);
        failDamaged(path, QStringLiteral("la liste de ses tables ne peut pas être lue"));
    }

    // The catalogue is itself a table: a lost page of it would silently lose whole tables.
    {
        std::unique_ptr<MdbTableDef, TableFreer> objects(
            mdb_read_table_by_name(mdb.get(), const_cast<gchar *>("MSysObjects"), MDB_ANY));
        if (!objects || !mdb_read_columns(objects.get()))
            failDamaged(path, QStringLiteral("la liste de ses tables ne peut pas être lue"));
        unsigned rows = 0;
        mdb_rewind_table(objects.get());
        while (mdb_fetch_row(objects.get()))
            ++rows;
        if (rows < objects->num_rows)
            failDamaged(path, QStringLiteral("la liste de ses tables est incomplète"));
    }

    std::vector<JetTable> tables;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || isSystemTable(entry))
            continue;
        const QString name = QString::fromUtf8(entry->object_name);
        std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
        if (!table || !mdb_read_columns(table.get()))
            failDamaged(path, QStringLiteral("la définition de la table « %1 » ne peut pas être lue").arg(name));
        tables.push_back(TableReader(path, mdb.get(), table.get()).read());
    }
    return tables;
}

// libmdb trusts the file: a damaged one can make it loop, eat memory or crash. The reading
// therefore runs in a child process with a time and memory allowance; the tables come back
// through a pipe, and whatever happens to the child, the caller gets a message.
void writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

QByteArray encodeResult(const QString &path, DatabaseFormat format)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    try {
        const std::vector<JetTable> tables = readHere(path, format);
        out << quint8(0) << quint32(tables.size());
        for (const JetTable &t : tables) {
            out << t.name << quint32(t.columns.size());
            for (const JetColumn &c : t.columns)
                out << c.name << qint32(c.type) << qint32(c.size);
            out << quint64(t.rows.size());
            for (const JetRow &row : t.rows)
                for (const QVariant &v : row)
                    out << v;
        }
    } catch (const Error &e) {
        bytes.clear();
        QDataStream again(&bytes, QIODevice::WriteOnly);
        again << quint8(1) << e.message();
    } catch (...) {
        bytes.clear();
        QDataStream again(&bytes, QIODevice::WriteOnly);
        again << quint8(2);
    }
    return bytes;
}

std::vector<JetTable> decodeResult(const QString &path, const QByteArray &bytes)
{
    QDataStream in(bytes);
    quint8 status = 255;
    in >> status;
    if (status == 1) {
        QString message;
        in >> message;
        fail(message);
    }
    std::vector<JetTable> tables;
    quint32 tableCount = 0;
    in >> tableCount;
    for (quint32 i = 0; status == 0 && i < tableCount && in.status() == QDataStream::Ok; ++i) {
        JetTable t;
        quint32 columnCount = 0;
        in >> t.name >> columnCount;
        for (quint32 c = 0; c < columnCount && in.status() == QDataStream::Ok; ++c) {
            JetColumn column;
            qint32 type = 0, size = 0;
            in >> column.name >> type >> size;
            column.type = JetType(type);
            column.size = size;
            t.columns.push_back(column);
        }
        quint64 rowCount = 0;
        in >> rowCount;
        for (quint64 r = 0; r < rowCount && in.status() == QDataStream::Ok; ++r) {
            JetRow row(t.columns.size());
            for (QVariant &v : row)
                in >> v;
            t.rows.push_back(std::move(row));
        }
        tables.push_back(std::move(t));
    }
    if (status != 0 || in.status() != QDataStream::Ok || !in.atEnd())
        failDamaged(path, QStringLiteral("sa lecture a échoué"));
    return tables;
}

std::vector<JetTable> readInChildProcess(
    const QString &path, DatabaseFormat format, qint64 fileSize, ProgressSink &progress)
{
    int fds[2];
    if (::pipe(fds) != 0)
        fail(QStringLiteral("La lecture de la base de données Access « %1 » n'a pas pu commencer.").arg(shown(path)));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        fail(QStringLiteral("La lecture de la base de données Access « %1 » n'a pas pu commencer.").arg(shown(path)));
    }
    if (child == 0) {
        ::close(fds[0]);
        // libmdb's own complaints about a damaged file would only flood the terminal.
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
#ifndef __SANITIZE_ADDRESS__
        const rlim_t allowance = rlim_t(512) * 1024 * 1024 + rlim_t(fileSize) * 8;
        const struct rlimit limit {
            allowance, allowance
        };
        ::setrlimit(RLIMIT_AS, &limit);
#endif
        writeAll(fds[1], encodeResult(path, format));
        ::close(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);

    // Reading a sound file takes well under a second per megabyte.
    const qint64 allowedMs = 60000 + fileSize / 1024 / 1024 * 2000;
    QElapsedTimer clock;
    clock.start();
    QByteArray bytes;
    bool timedOut = false;
    char buffer[65536];
    for (;;) {
        const qint64 left = allowedMs - clock.elapsed();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        struct pollfd p {
            fds[0], POLLIN, 0
        };
        progress.pump();
        const int ready = ::poll(&p, 1, int(std::min<qint64>(left, 100)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue;
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    if (timedOut)
        failDamaged(path, QStringLiteral("sa lecture ne s'achève pas"));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        failDamaged(path, QStringLiteral("sa lecture a échoué"));
    return decodeResult(path, bytes);
}

} // namespace

std::vector<JetTable> ReadJetDatabase(const QString &path)
{
    return ReadJetDatabase(path, noProgress());
}

std::vector<JetTable> ReadJetDatabase(const QString &path, ProgressSink &progress)
{
    const DatabaseFormat format = DetectDatabaseFormat(path);
    if (format == DatabaseFormat::Missing)
        fail(QStringLiteral("Le fichier « %1 » est introuvable ou illisible.").arg(shown(path)));
    if (format != DatabaseFormat::Jet && format != DatabaseFormat::Ace)
        fail(QStringLiteral("Le fichier « %1 » n'est pas une base de données Access.").arg(shown(path)));

    // An Access file is made of whole pages; a shorter last page means a cut copy.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Le fichier « %1 » est introuvable ou illisible.").arg(shown(path)));
    file.seek(kJetVersionOffset);
    char version = 0;
    file.getChar(&version);
    const qint64 pageSize = version == 0 ? 2048 : 4096;
    if (file.size() < 3 * pageSize || file.size() % pageSize != 0)
        failDamaged(path, QStringLiteral("sa taille (%1 octets) n'est pas un nombre entier de pages").arg(file.size()));
    file.close();

    return readInChildProcess(path, format, QFileInfo(path).size(), progress);
}

} // namespace vivrelo
