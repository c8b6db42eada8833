#include "imaging/Bitmap.h"

#include "base/Error.h"

#include <array>
#include <bit>

namespace vivrelo {

std::size_t RowStride(int width, int bitsPerPixel)
{
    return ((std::size_t(width) * std::size_t(bitsPerPixel) + 31) / 32) * 4;
}

std::size_t Bitmap::stride() const
{
    return RowStride(width, bitsPerPixel);
}

Bitmap MakeBitmap(int width, int height, int bitsPerPixel)
{
    if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide
        || std::int64_t(width) * height > kMaxBitmapPixels)
        fail(QStringLiteral("Taille d'image non valide : %1 × %2 pixels.").arg(width).arg(height));
    Bitmap b;
    b.width = width;
    b.height = height;
    b.bitsPerPixel = bitsPerPixel;
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
        b.palette.assign(std::size_t(1) << bitsPerPixel, PaletteEntry{});
        break;
    case 16:
        b.masks = kMasks555;
        break;
    case 32:
        b.masks = kMasks888;
        break;
    case 24:
        break;
    default:
        fail(QStringLiteral("Profondeur de couleur non prise en charge : %1 bits par pixel.").arg(bitsPerPixel));
    }
    b.bits.assign(b.stride() * std::size_t(height), 0);
    return b;
}

namespace {

// Turns one masked field of a pixel into a 0..255 value.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t top = 0; // the largest value of the field

    explicit Channel(std::uint32_t m)
        : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            top = m >> shift;
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const
    {
        if (!top)
            return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        return std::uint8_t((v * 255 + top / 2) / top);
    }
};

void ConvertMasked(const Bitmap &from, Bitmap &to)
{
    const Channel red(from.masks.red), green(from.masks.green), blue(from.masks.blue);
    const int bytes = from.bitsPerPixel / 8;
    for (int y = 0; y < from.height; ++y) {
        const std::uint8_t *s = from.row(y);
        std::uint8_t *d = to.row(y);
        for (int x = 0; x < from.width; ++x, s += bytes, d += 3) {
            std::uint32_t p = std::uint32_t(s[0]) | std::uint32_t(s[1]) << 8;
            if (bytes == 4)
                p |= std::uint32_t(s[2]) << 16 | std::uint32_t(s[3]) << 24;
            d[0] = blue(p);
            d[1] = green(p);
            d[2] = red(p);
        }
    }
}

void ConvertIndexed(const Bitmap &from, Bitmap &to)
{
    std::array<PaletteEntry, 256> colours{}; // indices beyond the palette stay black
    for (std::size_t i = 0; i < from.palette.size() && i < colours.size(); ++i)
        colours[i] = from.palette[i];
    const int bpp = from.bitsPerPixel;
    const int perByte = 8 / bpp;
    const unsigned mask = (1u << bpp) - 1;
    for (int y = 0; y < from.height; ++y) {
        const std::uint8_t *s = from.row(y);
        std::uint8_t *d = to.row(y);
        for (int x = 0; x < from.width; ++x, d += 3) {
            const int shift = 8 - bpp * (x % perByte + 1); // the leftmost pixel is the high bits
            const PaletteEntry &c = colours[(s[x / perByte] >> shift) & mask];
            d[0] = c.blue;
            d[1] = c.green;
            d[2] = c.red;
        }
    }
}

} // namespace

Bitmap To24Bit(const Bitmap &bitmap)
{
    if (bitmap.bitsPerPixel == 24)
        return bitmap;
    Bitmap result = MakeBitmap(bitmap.width, bitmap.height, 24);
    switch (bitmap.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
        ConvertIndexed(bitmap, result);
        break;
    case 16:
    case 32:
        ConvertMasked(bitmap, result);
        break;
    default:
        fail(QStringLiteral("Profondeur de couleur non prise en charge : %1 bits par pixel.").arg(bitmap.bitsPerPixel));
    }
    return result;
}

} // namespace vivrelo
