#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vivrelo {

// One colour of a palette, in the byte order of a Windows palette.
struct PaletteEntry {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    bool operator==(const PaletteEntry &) const = default;
};

// Where red, green, blue (and alpha) lie inside a 16- or 32-bit pixel, read as a
// little-endian number.
struct ColourMasks {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    std::uint32_t alpha = 0;
    bool operator==(const ColourMasks &) const = default;
};

inline constexpr ColourMasks kMasks555{0x7C00, 0x03E0, 0x001F, 0};
inline constexpr ColourMasks kMasks565{0xF800, 0x07E0, 0x001F, 0};
inline constexpr ColourMasks kMasks888{0xFF0000, 0x00FF00, 0x0000FF, 0};

// A picture in memory, laid out like a Windows device-independent bitmap: 1, 4 or 8 bits
// per pixel index a palette, 16 and 32 bits per pixel hold their colours at `masks`,
// 24 bits per pixel are blue, green, red bytes. Each row is padded to a multiple of four
// bytes. Rows are addressed by index, row 0 being the top of the picture.
struct Bitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    ColourMasks masks; // 16 and 32 bits per pixel only
    std::vector<PaletteEntry> palette; // 1, 4 and 8 bits per pixel only
    std::vector<std::uint8_t> bits; // height rows of stride() bytes

    std::size_t stride() const;
    std::uint8_t *row(int y) { return bits.data() + std::size_t(y) * stride(); }
    const std::uint8_t *row(int y) const { return bits.data() + std::size_t(y) * stride(); }
};

// Bytes of one row of `width` pixels, padded to four bytes.
std::size_t RowStride(int width, int bitsPerPixel);

// The largest side and pixel count the system handles (a guard against absurd sizes).
inline constexpr int kMaxBitmapSide = 32768;
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t(1) << 26;

// A zero-filled bitmap. Sizes outside 1..kMaxBitmapSide (or above kMaxBitmapPixels in
// all) and pixel depths other than 1, 4, 8, 16, 24, 32 are refused with an Error.
// Indexed bitmaps get a palette of 2^bits black entries, 16-bit ones the 5-5-5 masks and
// 32-bit ones 8-8-8.
Bitmap MakeBitmap(int width, int height, int bitsPerPixel);

// The same picture at 24 bits per pixel. Indices beyond the palette give black; the
// alpha of 16- and 32-bit pixels is dropped.
Bitmap To24Bit(const Bitmap &bitmap);

} // namespace vivrelo
