#include "maintenance/Cabinet.h"

#include "base/Error.h"
#include "base/Progress.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <libgcab.h>

#include <cstdio>

namespace vivrelo {

namespace {

// Cabinet header flags.
constexpr quint16 PrevCabinet = 0x0001;
constexpr quint16 NextCabinet = 0x0002;
constexpr quint16 ReservePresent = 0x0004;
constexpr int BlockHeaderSize = 8; // csum, cbData, cbUncomp
constexpr int MaxUncompressedBlock = 32768;

QString quoted(const QString &path)
{
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(path));
}

QString glibText(const GError *error)
{
    return error && error->message ? QString::fromUtf8(error->message) : QStringLiteral("erreur inconnue");
}

QByteArray fileSystemName(const QString &path)
{
    return QFile::encodeName(path);
}

QString notAnArchive(const QString &path)
{
    return QStringLiteral("Le fichier %1 n'est pas une archive de sauvegarde.").arg(quoted(path));
}

QString damaged(const QString &path, const QString &detail)
{
    return QStringLiteral("L'archive de sauvegarde %1 est endommagée : %2.").arg(quoted(path), detail);
}

quint16 le16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}
quint32 le32(const uchar *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

// Where the data blocks of a cabinet lie, read from its headers without trusting them.
struct DataBlock {
    qint64 offset = 0; // of the block header
    quint32 checksum = 0;
    quint16 compressed = 0;
    quint16 uncompressed = 0;
};

struct Layout {
    int reservePerBlock = 0;
    std::vector<DataBlock> blocks;
    bool hasZeroChecksum = false;
};

// Reads `size` bytes at `offset`; false when the file ends before.
bool readAt(QFile &file, qint64 offset, uchar *buffer, qint64 size)
{
    return file.seek(offset) && file.read(reinterpret_cast<char *>(buffer), size) == size;
}

bool openForReading(const QString &path, QFile &file)
{
    file.setFileName(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

Layout readLayout(const QString &path)
{
    QFile file(path);
    if (!openForReading(path, file))
        fail(QStringLiteral("Le fichier %1 est introuvable ou illisible.").arg(quoted(path)));
    const qint64 actual = file.size();
    uchar h[36];
    if (!readAt(file, 0, h, sizeof h) || memcmp(h, "MSCF", 4) != 0)
        fail(notAnArchive(path));
    const qint64 declared = le32(h + 8);
    const quint16 folders = le16(h + 26);
    const quint16 flags = le16(h + 30);
    if (flags & (PrevCabinet | NextCabinet))
        fail(QStringLiteral("L'archive %1 fait partie d'une sauvegarde en plusieurs fichiers, "
                            "qui ne peut pas être restaurée.")
                 .arg(quoted(path)));
    if (actual < declared)
        fail(QStringLiteral("L'archive de sauvegarde %1 est incomplète : elle annonce %2 octets "
                            "et n'en contient que %3.")
                 .arg(quoted(path))
                 .arg(declared)
                 .arg(actual));
    if (folders == 0 && le16(h + 28) != 0)
        fail(damaged(path, QStringLiteral("ses fichiers n'appartiennent à aucun dossier")));

    Layout layout;
    qint64 pos = 36;
    int reserveFolder = 0;
    if (flags & ReservePresent) {
        uchar r[4];
        if (!readAt(file, pos, r, 4))
            fail(damaged(path, QStringLiteral("en-tête tronqué")));
        reserveFolder = r[2];
        layout.reservePerBlock = r[3];
        pos += 4 + le16(r);
    }
    for (int f = 0; f < folders; ++f) {
        uchar fh[8];
        if (!readAt(file, pos, fh, sizeof fh))
            fail(damaged(path, QStringLiteral("liste des dossiers tronquée")));
        pos += 8 + reserveFolder;
        qint64 block = le32(fh);
        const int count = le16(fh + 4);
        for (int b = 0; b < count; ++b) {
            uchar bh[BlockHeaderSize];
            if (!readAt(file, block, bh, sizeof bh))
                fail(damaged(path, QStringLiteral("bloc de données %1 hors du fichier").arg(b + 1)));
            DataBlock d{block, le32(bh), le16(bh + 4), le16(bh + 6)};
            if (d.uncompressed > MaxUncompressedBlock)
                fail(damaged(path, QStringLiteral("bloc de données %1 invalide").arg(b + 1)));
            block += BlockHeaderSize + layout.reservePerBlock + d.compressed;
            if (block > actual)
                fail(damaged(path, QStringLiteral("bloc de données %1 tronqué").arg(b + 1)));
            // Blocks never share bytes: folders naming the same blocks again and again would
            // make a small file cost unbounded time and memory.
            if (qint64(layout.blocks.size()) >= actual / BlockHeaderSize)
                fail(damaged(path, QStringLiteral("les dossiers se partagent des blocs de données")));
            layout.hasZeroChecksum = layout.hasZeroChecksum || d.checksum == 0;
            layout.blocks.push_back(d);
        }
    }
    return layout;
}

// The checksum of a data block over its data, then its two size fields.
quint32 blockChecksum(const char *data, int size, quint16 compressedSize, quint16 uncompressedSize)
{
    // XOR of little-endian 32-bit words; the last one to three bytes are taken high first.
    auto sum = [](const uchar *p, int n, quint32 seed) {
        quint32 csum = seed;
        int i = 0;
        for (; i + 4 <= n; i += 4)
            csum ^= le32(p + i);
        quint32 tail = 0;
        for (; i < n; ++i)
            tail = (tail << 8) | p[i];
        return csum ^ tail;
    };
    const uchar sizes[4] = {
        uchar(compressedSize), uchar(compressedSize >> 8), uchar(uncompressedSize), uchar(uncompressedSize >> 8)};
    return sum(sizes, 4, sum(reinterpret_cast<const uchar *>(data), size, 0));
}

// Copies the archive to `copy` with the real checksum written into every block that carries
// none (a zero checksum means "not computed"; the cabinet library insists on one).
void copyWithChecksums(const QString &path, const Layout &layout, const QString &copy)
{
    QFile::remove(copy);
    if (!QFile::copy(path, copy))
        fail(QStringLiteral("Impossible de copier l'archive %1 vers %2.").arg(quoted(path), quoted(copy)));
    QFile out(copy);
    if (!out.open(QIODevice::ReadWrite))
        fail(QStringLiteral("Impossible d'écrire le fichier %1.").arg(quoted(copy)));
    QByteArray data;
    for (const DataBlock &b : layout.blocks) {
        if (b.checksum != 0)
            continue;
        data.resize(b.compressed);
        const qint64 at = b.offset + BlockHeaderSize + layout.reservePerBlock;
        if (!readAt(out, at, reinterpret_cast<uchar *>(data.data()), b.compressed))
            fail(damaged(path, QStringLiteral("bloc de données tronqué")));
        const quint32 sum = blockChecksum(data.constData(), b.compressed, b.compressed, b.uncompressed);
        const uchar le[4] = {uchar(sum), uchar(sum >> 8), uchar(sum >> 16), uchar(sum >> 24)};
        if (!out.seek(b.offset) || out.write(reinterpret_cast<const char *>(le), 4) != 4)
            fail(QStringLiteral("Impossible d'écrire le fichier %1.").arg(quoted(copy)));
    }
    if (!out.flush())
        fail(QStringLiteral("Impossible d'écrire le fichier %1.").arg(quoted(copy)));
}

// The cabinet loaded by the library, with the stream it reads from.
struct LoadedCabinet {
    GFile *file = nullptr;
    GFileInputStream *stream = nullptr;
    GCabCabinet *cabinet = nullptr;
    ~LoadedCabinet()
    {
        g_clear_object(&cabinet);
        g_clear_object(&stream);
        g_clear_object(&file);
    }
};

void load(LoadedCabinet &cab, const QString &path, const QString &shownPath)
{
    g_autoptr(GError) error = nullptr;
    cab.file = g_file_new_for_path(fileSystemName(path).constData());
    cab.stream = g_file_read(cab.file, nullptr, &error);
    if (!cab.stream)
        fail(QStringLiteral("Impossible de lire l'archive %1 : %2").arg(quoted(shownPath), glibText(error)));
    cab.cabinet = gcab_cabinet_new();
    if (!gcab_cabinet_load(cab.cabinet, G_INPUT_STREAM(cab.stream), nullptr, &error))
        fail(damaged(shownPath, glibText(error)));
}

QString entryName(GCabFile *file)
{
    const char *raw = gcab_file_get_name(file);
    if (!raw)
        return {};
    const QByteArray bytes(raw);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8.decode(bytes);
    if (!utf8.hasError())
        return name;
    // Names written without the UTF-8 flag are in the writer's code page.
    return QString::fromLatin1(bytes);
}

template <typename F>
void forEachFile(GCabCabinet *cabinet, F f)
{
    GPtrArray *folders = gcab_cabinet_get_folders(cabinet);
    for (guint i = 0; folders && i < folders->len; ++i) {
        GSList *files = gcab_folder_get_files(GCAB_FOLDER(g_ptr_array_index(folders, i)));
        for (GSList *l = files; l; l = l->next)
            f(GCAB_FILE(l->data));
        g_slist_free(files);
    }
}

struct WriteContext {
    ProgressSink *progress;
    int done = 0;
};

gboolean onFileWritten(GCabFile *file, gpointer data)
{
    auto *ctx = static_cast<WriteContext *>(data);
    ctx->progress->setTask(QStringLiteral("Compression : ") + BareEntryName(entryName(file)));
    ctx->progress->setPosition(++ctx->done);
    ctx->progress->pump();
    return TRUE;
}

void onBytesWritten(goffset, goffset, gpointer data)
{
    static_cast<WriteContext *>(data)->progress->pump();
}

struct PlannedEntry {
    QString storedName;
    QString fileName;
    QString workPath;
    qint64 size = 0;
};

struct ExtractContext {
    QString targetDir;
    QString workPrefix;
    int count = 0;
    int index = 0;
    const ExtractionCallback *onEntry = nullptr;
    std::vector<PlannedEntry> planned;
    std::vector<SkippedEntry> skipped;
};

gboolean onFileExtracting(GCabFile *file, gpointer data)
{
    auto *ctx = static_cast<ExtractContext *>(data);
    const QString stored = entryName(file);
    const int index = ctx->index++;
    const QString bare = BareEntryName(stored);
    if (bare.isEmpty()) {
        ctx->skipped.push_back({stored, QStringLiteral("nom de fichier inutilisable")});
        return FALSE;
    }
    if (bare.toUtf8().size() > 255) {
        ctx->skipped.push_back({stored, QStringLiteral("nom de fichier trop long")});
        return FALSE;
    }
    const QString work = ctx->workPrefix + QString::number(index);
    gcab_file_set_extract_name(file, fileSystemName(work).constData());
    ctx->planned.push_back({stored, bare, ctx->targetDir + work, qint64(gcab_file_get_size(file))});
    if (*ctx->onEntry)
        (*ctx->onEntry)(index, ctx->count, stored);
    return TRUE;
}

} // namespace

QString BareEntryName(const QString &storedName)
{
    QString name = storedName;
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0)
        name = name.mid(cut + 1);
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter() && name.at(0).unicode() < 128)
        name = name.mid(2);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    for (const QChar c : name)
        if (c.unicode() < 0x20)
            return {};
    return name;
}

void WriteCabinet(const QString &path, const std::vector<CabinetSource> &entries, ProgressSink &progress)
{
    if (entries.size() > 65535)
        fail(QStringLiteral("Une archive de sauvegarde contient au plus 65 535 fichiers (%1 demandés).")
                 .arg(entries.size()));
    qint64 total = 0;
    for (const CabinetSource &e : entries) {
        const QFileInfo info(e.path);
        if (!info.isFile())
            fail(QStringLiteral("Le fichier %1 est introuvable : l'archive n'a pas été créée.").arg(quoted(e.path)));
        if (e.name.toUtf8().size() > 255 || e.name.isEmpty())
            fail(QStringLiteral("Le nom %1 ne peut pas être enregistré dans une archive.").arg(quoted(e.name)));
        total += info.size();
    }
    if (total > MaxCabinetDataBytes)
        fail(QStringLiteral("Les fichiers à sauvegarder totalisent %1 octets ; une archive de sauvegarde en "
                            "contient au plus %2 (2 Go). L'archive n'a pas été créée.")
                 .arg(total)
                 .arg(MaxCabinetDataBytes));

    g_autoptr(GError) error = nullptr;
    g_autoptr(GCabCabinet) cabinet = gcab_cabinet_new();
    g_autoptr(GCabFolder) folder = gcab_folder_new(GCAB_COMPRESSION_MSZIP);
    for (const CabinetSource &e : entries) {
        g_autoptr(GFile) source = g_file_new_for_path(fileSystemName(e.path).constData());
        g_autoptr(GCabFile) file = gcab_file_new_with_file(e.name.toUtf8().constData(), source);
        if (!gcab_folder_add_file(folder, file, FALSE, nullptr, &error))
            fail(QStringLiteral("Impossible d'ajouter %1 à l'archive : %2").arg(quoted(e.path), glibText(error)));
    }
    if (!gcab_cabinet_add_folder(cabinet, folder, &error))
        fail(QStringLiteral("Impossible de préparer l'archive : %1").arg(glibText(error)));

    const bool existed = QFileInfo::exists(path);
    g_autoptr(GFile) target = g_file_new_for_path(fileSystemName(path).constData());
    g_autoptr(GFileOutputStream) out = g_file_replace(target, nullptr, FALSE, G_FILE_CREATE_NONE, nullptr, &error);
    if (!out)
        fail(QStringLiteral("Impossible de créer l'archive %1 : %2").arg(quoted(path), glibText(error)));

    WriteContext ctx{&progress};
    progress.setMaximum(int(entries.size()));
    progress.setPosition(0);
    bool ok = gcab_cabinet_write(cabinet, G_OUTPUT_STREAM(out), onFileWritten, onBytesWritten, &ctx, nullptr, &error);
    if (ok)
        ok = g_output_stream_close(G_OUTPUT_STREAM(out), nullptr, &error);
    if (!ok) {
        const QString text = glibText(error);
        // A cancelled close drops the stream's work file instead of putting it in place.
        g_autoptr(GCancellable) cancel = g_cancellable_new();
        g_cancellable_cancel(cancel);
        g_output_stream_close(G_OUTPUT_STREAM(out), cancel, nullptr);
        if (!existed)
            QFile::remove(path);
        fail(QStringLiteral("L'écriture de l'archive %1 a échoué : %2").arg(quoted(path), text));
    }
}

std::vector<CabinetEntry> ReadCabinet(const QString &path)
{
    readLayout(path);
    LoadedCabinet cab;
    load(cab, path, path);
    std::vector<CabinetEntry> entries;
    forEachFile(cab.cabinet, [&](GCabFile *f) { entries.push_back({entryName(f), qint64(gcab_file_get_size(f))}); });
    return entries;
}

ExtractionResult ExtractCabinet(const QString &path, const QString &targetDir, const ExtractionCallback &onEntry)
{
    const Layout layout = readLayout(path);
    const QString dir = QDir(targetDir).absolutePath() + QLatin1Char('/');
    if (!QFileInfo(dir).isDir())
        fail(QStringLiteral("Le dossier %1 est introuvable.").arg(quoted(dir)));

    ExtractContext ctx;
    ctx.targetDir = dir;
    ctx.workPrefix =
        QStringLiteral("~vivrelo-%1-").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    ctx.onEntry = &onEntry;

    // Work files are removed whatever happens; entries already renamed are whole files.
    QString fixedCopy;
    struct Cleanup {
        ExtractContext &ctx;
        QString &copy;
        ~Cleanup()
        {
            for (const PlannedEntry &p : ctx.planned)
                QFile::remove(p.workPath);
            if (!copy.isEmpty())
                QFile::remove(copy);
        }
    } cleanup{ctx, fixedCopy};

    QString source = path;
    if (layout.hasZeroChecksum) {
        fixedCopy = dir + ctx.workPrefix + QStringLiteral("cab");
        copyWithChecksums(path, layout, fixedCopy);
        source = fixedCopy;
    }

    LoadedCabinet cab;
    load(cab, source, path);
    forEachFile(cab.cabinet, [&](GCabFile *) { ++ctx.count; });

    g_autoptr(GError) error = nullptr;
    g_autoptr(GFile) target = g_file_new_for_path(fileSystemName(dir).constData());
    if (!gcab_cabinet_extract(cab.cabinet, target, onFileExtracting, nullptr, &ctx, nullptr, &error))
        fail(QStringLiteral("L'extraction de l'archive %1 a échoué : %2").arg(quoted(path), glibText(error)));

    // The library closes its output without reporting every failure: check what landed.
    for (const PlannedEntry &p : ctx.planned)
        if (QFileInfo(p.workPath).size() != p.size || !QFileInfo(p.workPath).isFile())
            fail(damaged(
                path, QStringLiteral("le fichier %1 n'a pas pu être extrait en entier").arg(quoted(p.storedName))));

    ExtractionResult result;
    for (const PlannedEntry &p : ctx.planned) {
        const QString final = dir + p.fileName;
        if (std::rename(fileSystemName(p.workPath).constData(), fileSystemName(final).constData()) != 0)
            fail(QStringLiteral("Impossible de placer le fichier extrait %1.").arg(quoted(final)));
        result.extracted.push_back({p.storedName, p.fileName, p.size});
    }
    result.skipped = ctx.skipped;
    return result;
}

std::vector<CabinetEntryDigest> ReadBackCabinet(const QString &path, const QString &workDir)
{
    const Layout layout = readLayout(path);
    const QString dir = QDir(workDir).absolutePath() + QLatin1Char('/');
    if (!QFileInfo(dir).isDir())
        fail(QStringLiteral("Le dossier %1 est introuvable.").arg(quoted(dir)));

    // Every entry is decompressed into a work file of its own, whatever its name, hashed and
    // removed.
    struct ReadBack {
        QString prefix;
        std::vector<PlannedEntry> planned;
        ~ReadBack()
        {
            for (const PlannedEntry &p : planned)
                QFile::remove(p.workPath);
        }
    } rb;
    rb.prefix =
        dir + QStringLiteral("~verification-%1-").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));

    QString source = path;
    struct Copy {
        QString path;
        ~Copy()
        {
            if (!path.isEmpty())
                QFile::remove(path);
        }
    } fixed;
    if (layout.hasZeroChecksum) {
        fixed.path = rb.prefix + QStringLiteral("cab");
        copyWithChecksums(path, layout, fixed.path);
        source = fixed.path;
    }

    LoadedCabinet cab;
    load(cab, source, path);
    const auto onFile = [](GCabFile *file, gpointer data) -> gboolean {
        auto *r = static_cast<ReadBack *>(data);
        const QString work = r->prefix + QString::number(r->planned.size());
        gcab_file_set_extract_name(file, fileSystemName(work).constData());
        r->planned.push_back({entryName(file), {}, work, qint64(gcab_file_get_size(file))});
        return TRUE;
    };
    g_autoptr(GError) error = nullptr;
    g_autoptr(GFile) target = g_file_new_for_path(fileSystemName(dir).constData());
    if (!gcab_cabinet_extract(cab.cabinet, target, onFile, nullptr, &rb, nullptr, &error))
        fail(QStringLiteral("L'archive %1 ne se relit pas en entier : %2").arg(quoted(path), glibText(error)));

    // In archive order; the library extracts no file for an empty entry.
    std::vector<CabinetEntry> listed;
    forEachFile(cab.cabinet, [&](GCabFile *f) { listed.push_back({entryName(f), qint64(gcab_file_get_size(f))}); });
    std::vector<CabinetEntryDigest> digests;
    std::vector<bool> used(rb.planned.size(), false);
    for (const CabinetEntry &entry : listed) {
        size_t i = 0;
        while (i < rb.planned.size() && (used[i] || rb.planned[i].storedName != entry.name))
            ++i;
        if (i == rb.planned.size()) {
            if (entry.size != 0)
                fail(damaged(path, QStringLiteral("le fichier %1 n'a pas pu être relu").arg(quoted(entry.name))));
            digests.push_back({entry.name, 0, QCryptographicHash::hash({}, QCryptographicHash::Sha256)});
            continue;
        }
        used[i] = true;
        const PlannedEntry &p = rb.planned[i];
        QFile f(p.workPath);
        if (!f.open(QIODevice::ReadOnly))
            fail(damaged(path, QStringLiteral("le fichier %1 n'a pas pu être relu").arg(quoted(p.storedName))));
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (!hash.addData(&f))
            fail(damaged(path, QStringLiteral("le fichier %1 n'a pas pu être relu").arg(quoted(p.storedName))));
        if (f.size() != p.size)
            fail(damaged(
                path, QStringLiteral("le fichier %1 n'a pas pu être relu en entier").arg(quoted(p.storedName))));
        digests.push_back({p.storedName, p.size, hash.result()});
        f.close();
        QFile::remove(p.workPath);
    }
    return digests;
}

CabinetEntryDigest DigestFile(const QString &name, const QString &path)
{
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f))
        fail(QStringLiteral("Le fichier %1 ne peut pas être lu.").arg(quoted(path)));
    return {name, f.size(), hash.result()};
}

void CheckCabinetReadsBack(const QString &path, const std::vector<CabinetEntryDigest> &packed, const QString &workDir)
{
    const std::vector<CabinetEntryDigest> read = ReadBackCabinet(path, workDir);
    const auto differs = [&](const QString &what) {
        fail(QStringLiteral("L'archive %1 ne se relit pas telle qu'elle a été écrite : %2.").arg(quoted(path), what));
    };
    if (read.size() != packed.size())
        differs(QStringLiteral("elle contient %1 fichier(s) au lieu de %2").arg(read.size()).arg(packed.size()));
    for (size_t i = 0; i < read.size(); ++i) {
        if (read[i].name != packed[i].name)
            differs(QStringLiteral("le fichier %1 y est à la place de %2")
                        .arg(quoted(read[i].name), quoted(packed[i].name)));
        if (read[i].size != packed[i].size || read[i].sha256 != packed[i].sha256)
            differs(QStringLiteral("le contenu de %1 diffère de l'original").arg(quoted(read[i].name)));
    }
}

} // namespace vivrelo
