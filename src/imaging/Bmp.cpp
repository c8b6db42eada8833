#include "imaging/Bmp.h"

#include "base/Error.h"
#include "base/Paths.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <cstring>

namespace vivrelo {

namespace {

enum Compression : std::uint32_t {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3,
    BiAlphaBitfields = 6,
};

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

[[noreturn]] void invalid(const QString &why)
{
    fail(QStringLiteral("Image bitmap non valide : %1.").arg(why));
}

// Bounds-checked little-endian reads over the file's bytes.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes)
        : m_data(reinterpret_cast<const std::uint8_t *>(bytes.constData()))
        , m_size(std::size_t(bytes.size()))
    { }
    std::size_t size() const { return m_size; }
    const std::uint8_t *at(std::size_t offset) const { return m_data + offset; }
    bool has(std::size_t offset, std::size_t count) const { return offset <= m_size && count <= m_size - offset; }
    void need(std::size_t offset, std::size_t count, const QString &what) const
    {
        if (!has(offset, count))
            invalid(QStringLiteral("fichier tronqué (%1)").arg(what));
    }
    std::uint16_t u16(std::size_t offset) const
    {
        need(offset, 2, QStringLiteral("en-tête"));
        return std::uint16_t(m_data[offset] | m_data[offset + 1] << 8);
    }
    std::uint32_t u32(std::size_t offset) const
    {
        need(offset, 4, QStringLiteral("en-tête"));
        return std::uint32_t(m_data[offset]) | std::uint32_t(m_data[offset + 1]) << 8
            | std::uint32_t(m_data[offset + 2]) << 16 | std::uint32_t(m_data[offset + 3]) << 24;
    }
    std::int32_t i32(std::size_t offset) const { return std::int32_t(u32(offset)); }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
};

bool contiguous(std::uint32_t mask)
{
    if (!mask)
        return true;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

void checkMasks(const ColourMasks &m, int bitsPerPixel)
{
    if (!m.red && !m.green && !m.blue)
        invalid(QStringLiteral("masques de couleur vides"));
    const std::uint64_t limit = (std::uint64_t(1) << bitsPerPixel) - 1;
    const std::uint32_t all[] = {m.red, m.green, m.blue, m.alpha};
    std::uint32_t seen = 0;
    for (std::uint32_t mask : all) {
        if (!contiguous(mask) || mask > limit || (seen & mask))
            invalid(QStringLiteral("masques de couleur incohérents"));
        seen |= mask;
    }
}

void setIndex(Bitmap &b, int x, int y, unsigned index)
{
    if (x < 0 || y < 0 || x >= b.width || y >= b.height)
        return; // runs that spill past the picture are clipped, as Windows does
    std::uint8_t *row = b.row(y);
    if (b.bitsPerPixel == 8) {
        row[x] = std::uint8_t(index);
    } else {
        const int shift = (x & 1) ? 0 : 4;
        row[x / 2] = std::uint8_t((row[x / 2] & ~(0xF << shift)) | (index & 0xF) << shift);
    }
}

// Decodes RLE8 or RLE4 data into a bottom-up bitmap (row 0 of the file is the bottom).
// Pixels the data skips stay at index 0.
void decodeRle(const Reader &in, std::size_t offset, std::size_t end, Bitmap &b)
{
    const bool four = b.bitsPerPixel == 4;
    int x = 0;
    int fileRow = 0;
    auto put = [&](unsigned index) { setIndex(b, x++, b.height - 1 - fileRow, index); };
    const QString what = QStringLiteral("données compressées");
    for (;;) {
        if (end - offset < 2)
            invalid(QStringLiteral("fichier tronqué (données compressées sans marque de fin)"));
        const unsigned count = *in.at(offset);
        const unsigned value = *in.at(offset + 1);
        offset += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < b.width; ++i)
                put(four ? (i & 1 ? value & 0xF : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++fileRow;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // move right and up
            if (end - offset < 2)
                invalid(QStringLiteral("fichier tronqué (%1)").arg(what));
            x = std::min(x + *in.at(offset), b.width);
            fileRow += *in.at(offset + 1);
            offset += 2;
        } else { // `value` pixels stored as they are, padded to a word
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t padded = (bytes + 1) & ~std::size_t(1);
            if (end - offset < padded)
                invalid(QStringLiteral("fichier tronqué (%1)").arg(what));
            for (unsigned i = 0; i < value && x < b.width; ++i) {
                const unsigned byte = *in.at(offset + (four ? i / 2 : i));
                put(four ? (i & 1 ? byte & 0xF : byte >> 4) : byte);
            }
            offset += padded;
        }
        if (fileRow >= b.height)
            return; // moved past the top: nothing more can be drawn
    }
}

// Above this many pixels, a compressed picture must bring data in proportion to its size.
constexpr std::int64_t kRleFreePixels = std::int64_t(1) << 24;
// The most pixels one byte of run-length data stands for in a picture above that size: runs
// draw at most 255 pixels per two bytes, and only a blank picture skips much more.
constexpr std::int64_t kRlePixelsPerByte = 4096;

// A size the file cannot hold is refused before the bitmap is allocated: the rows of an
// uncompressed picture must all be in the file, and compressed data must be in some
// proportion to the picture it draws.
void checkSizeAgainstFile(
    const Reader &in, std::uint32_t pixelOffset, int width, int height, int bitsPerPixel, bool rle)
{
    if (pixelOffset > in.size())
        invalid(QStringLiteral("position des pixels au-delà de la fin du fichier"));
    const std::size_t available = in.size() - pixelOffset;
    if (rle) {
        const std::int64_t pixels = std::int64_t(width) * height;
        if (pixels > kRleFreePixels && pixels / kRlePixelsPerByte > std::int64_t(available))
            invalid(QStringLiteral("fichier tronqué (données compressées trop courtes pour %1 × %2 pixels)")
                        .arg(width)
                        .arg(height));
    } else if (RowStride(width, bitsPerPixel) > available / std::size_t(height)) {
        invalid(QStringLiteral("fichier tronqué (il manque des lignes de pixels)"));
    }
}

} // namespace

Bitmap LoadBmp(const QByteArray &bytes)
{
    const Reader in(bytes);
    if (in.size() < kFileHeaderSize + 4)
        invalid(QStringLiteral("fichier tronqué (en-tête)"));
    if (in.at(0)[0] != 'B' || in.at(0)[1] != 'M')
        invalid(QStringLiteral("ce n'est pas un fichier BMP"));
    const std::uint32_t pixelOffset = in.u32(10);
    const std::uint32_t headerSize = in.u32(14);
    const bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        invalid(QStringLiteral("en-tête de type inconnu (%1 octets)").arg(headerSize));
    in.need(kFileHeaderSize, headerSize, QStringLiteral("en-tête"));

    std::int64_t width, height;
    int bitsPerPixel;
    std::uint32_t compression = BiRgb;
    std::uint32_t colours = 0;
    std::uint32_t dataSize = 0;
    if (core) {
        width = in.u16(18);
        height = in.u16(20);
        bitsPerPixel = in.u16(24);
    } else {
        width = in.i32(18);
        height = in.i32(22);
        bitsPerPixel = in.u16(28);
        compression = in.u32(30);
        dataSize = in.u32(34);
        colours = in.u32(46);
    }
    const bool topDown = height < 0;
    height = topDown ? -height : height;
    if (width < 1 || height < 1)
        invalid(QStringLiteral("dimensions nulles ou négatives (%1 × %2)").arg(width).arg(height));
    if (width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels)
        invalid(QStringLiteral("dimensions démesurées (%1 × %2)").arg(width).arg(height));
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24
        && bitsPerPixel != 32)
        invalid(QStringLiteral("%1 bits par pixel").arg(bitsPerPixel));

    const bool masked = compression == BiBitfields || compression == BiAlphaBitfields;
    const bool rle = compression == BiRle8 || compression == BiRle4;
    if (compression != BiRgb && !masked && !rle)
        invalid(QStringLiteral("compression %1 non prise en charge").arg(compression));
    if ((compression == BiRle8 && bitsPerPixel != 8) || (compression == BiRle4 && bitsPerPixel != 4)
        || (masked && bitsPerPixel != 16 && bitsPerPixel != 32))
        invalid(QStringLiteral("compression %1 impossible à %2 bits par pixel").arg(compression).arg(bitsPerPixel));
    if (rle && topDown)
        invalid(QStringLiteral("image compressée enregistrée de haut en bas"));
    checkSizeAgainstFile(in, pixelOffset, int(width), int(height), bitsPerPixel, rle);

    Bitmap b = MakeBitmap(int(width), int(height), bitsPerPixel);
    std::size_t tableEnd = kFileHeaderSize + headerSize; // end of the masks and the palette
    if (masked) {
        // After a BITMAPINFOHEADER the masks follow it; the later headers hold them.
        const std::size_t at = headerSize == kInfoHeaderSize ? tableEnd : kFileHeaderSize + kInfoHeaderSize;
        const bool withAlpha = compression == BiAlphaBitfields || headerSize >= 56;
        b.masks = {in.u32(at), in.u32(at + 4), in.u32(at + 8), withAlpha ? in.u32(at + 12) : 0};
        if (headerSize == kInfoHeaderSize)
            tableEnd += withAlpha ? 16 : 12;
        checkMasks(b.masks, bitsPerPixel);
    } else if (bitsPerPixel == 32) {
        b.masks = kMasks888;
    }
    if (bitsPerPixel <= 8) {
        const std::uint32_t most = 1u << bitsPerPixel;
        if (colours > most)
            invalid(QStringLiteral("palette de %1 couleurs pour %2 bits par pixel").arg(colours).arg(bitsPerPixel));
        const std::uint32_t count = colours ? colours : most;
        const std::size_t entry = core ? 3 : 4;
        if (!in.has(tableEnd, count * entry))
            invalid(QStringLiteral("palette au-delà de la fin du fichier"));
        b.palette.resize(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t *p = in.at(tableEnd + i * entry);
            b.palette[i] = {p[0], p[1], p[2]};
        }
        tableEnd += count * entry;
    }
    if (pixelOffset < tableEnd)
        invalid(QStringLiteral("position des pixels à l'intérieur de l'en-tête"));

    if (rle) {
        std::size_t end = in.size();
        if (dataSize && dataSize < end - pixelOffset)
            end = pixelOffset + dataSize;
        decodeRle(in, pixelOffset, end, b);
        return b;
    }
    const std::size_t stride = b.stride();
    for (int y = 0; y < b.height; ++y) {
        const int target = topDown ? y : b.height - 1 - y;
        std::memcpy(b.row(target), in.at(pixelOffset + std::size_t(y) * stride), stride);
    }
    return b;
}

Bitmap LoadBmpFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Impossible de lire l'image \"%1\".").arg(path));
    return LoadBmp(file.readAll());
}

namespace {

void put16(QByteArray &out, std::uint32_t v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF));
}

void put32(QByteArray &out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

QByteArray SaveBmp(const Bitmap &bitmap)
{
    if (bitmap.bitsPerPixel == 16 || bitmap.bitsPerPixel == 32)
        return SaveBmp(To24Bit(bitmap));
    const bool indexed = bitmap.bitsPerPixel <= 8;
    const std::size_t paletteSize = indexed ? bitmap.palette.size() : 0;
    const std::size_t stride = bitmap.stride();
    const std::size_t pixels = stride * std::size_t(bitmap.height);
    const std::size_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * paletteSize;
    QByteArray out;
    out.reserve(qsizetype(offset + pixels));
    out.append("BM", 2);
    put32(out, std::uint32_t(offset + pixels));
    put32(out, 0);
    put32(out, std::uint32_t(offset));
    put32(out, kInfoHeaderSize);
    put32(out, std::uint32_t(bitmap.width));
    put32(out, std::uint32_t(bitmap.height)); // positive: bottom-up
    put16(out, 1);
    put16(out, std::uint32_t(bitmap.bitsPerPixel));
    put32(out, BiRgb);
    put32(out, std::uint32_t(pixels));
    put32(out, 3780); // 96 dots per inch
    put32(out, 3780);
    put32(out, std::uint32_t(paletteSize));
    put32(out, 0);
    for (std::size_t i = 0; i < paletteSize; ++i) {
        const PaletteEntry &c = bitmap.palette[i];
        out.append(char(c.blue)).append(char(c.green)).append(char(c.red)).append('\0');
    }
    for (int y = bitmap.height - 1; y >= 0; --y)
        out.append(reinterpret_cast<const char *>(bitmap.row(y)), qsizetype(stride));
    return out;
}

void SaveBmpFile(const Bitmap &bitmap, const QString &path)
{
    if (!WriteFileAtomically(path, SaveBmp(bitmap)))
        fail(QStringLiteral("Impossible d'écrire l'image \"%1\".").arg(path));
}

} // namespace vivrelo
