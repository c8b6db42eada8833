#include "imaging/Bmp.h"

#include "app/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace vivrelo;

namespace {

void put16(QByteArray &b, std::uint32_t v) { b.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF)); }
void put32(QByteArray &b, std::uint32_t v) { put16(b, v & 0xFFFF); put16(b, v >> 16); }
void set32(QByteArray &b, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i) & 0xFF);
}

// A BMP file as a Windows program writes it: file header, info header of `headerSize`
// bytes (masks inside it from 52 bytes up, after it for 40), optional masks, palette,
// then the pixel rows exactly as given.
struct FileSpec {
    int headerSize = 40;
    int width = 0;
    int height = 0; // negative: top-down
    int bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> masks; // red, green, blue (, alpha)
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    QByteArray pixels;
};

QByteArray makeFile(const FileSpec &s)
{
    QByteArray info;
    put32(info, std::uint32_t(s.headerSize));
    put32(info, std::uint32_t(s.width));
    put32(info, std::uint32_t(s.height));
    put16(info, 1);
    put16(info, std::uint32_t(s.bitsPerPixel));
    put32(info, s.compression);
    put32(info, std::uint32_t(s.pixels.size()));
    put32(info, 2835);
    put32(info, 2835);
    put32(info, std::uint32_t(s.palette.size()));
    put32(info, 0);
    for (std::uint32_t m : s.masks)
        put32(info, m);
    while (info.size() < s.headerSize)
        info.append('\0');
    for (std::uint32_t c : s.palette)
        put32(info, c);
    QByteArray file("BM");
    put32(file, std::uint32_t(14 + info.size() + s.pixels.size()));
    put32(file, 0);
    put32(file, std::uint32_t(14 + info.size()));
    return file + info + s.pixels;
}

// The six colours of the 3 × 2 test picture, top row first, as 0x00RRGGBB.
const std::uint32_t kColours[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0xFFFF00}};

void expectTestPicture(const Bitmap &loaded, const char *what)
{
    const Bitmap b = To24Bit(loaded);
    ASSERT_EQ(b.width, 3) << what;
    ASSERT_EQ(b.height, 2) << what;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t *p = b.row(y) + 3 * x;
            const std::uint32_t c = kColours[y][x];
            EXPECT_EQ(p[0], c & 0xFF) << what << " x=" << x << " y=" << y;
            EXPECT_EQ(p[1], c >> 8 & 0xFF) << what << " x=" << x << " y=" << y;
            EXPECT_EQ(p[2], c >> 16) << what << " x=" << x << " y=" << y;
        }
}

// The test picture's rows in file order, each pixel given by `pixel`, padded to 4 bytes.
template <typename Pixel>
QByteArray rows(bool topDown, int bytesPerPixel, Pixel pixel)
{
    QByteArray out;
    for (int i = 0; i < 2; ++i) {
        const int y = topDown ? i : 1 - i;
        QByteArray row;
        for (int x = 0; x < 3; ++x) {
            const std::uint32_t v = pixel(kColours[y][x], x, y);
            for (int k = 0; k < bytesPerPixel; ++k)
                row.append(char(v >> (8 * k) & 0xFF));
        }
        while (row.size() % 4)
            row.append('\0');
        out += row;
    }
    return out;
}

std::uint32_t to565(std::uint32_t c) { return (c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F); }
std::uint32_t to555(std::uint32_t c) { return (c >> 19 & 0x1F) << 10 | (c >> 11 & 0x1F) << 5 | (c >> 3 & 0x1F); }

const std::vector<std::uint32_t> kPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00};
std::uint32_t indexOf(std::uint32_t c) { return std::uint32_t(std::find(kPalette.begin(), kPalette.end(), c) - kPalette.begin()); }

// Every format the reader accepts, as one file each.
std::vector<std::pair<const char *, QByteArray>> sampleFiles()
{
    std::vector<std::pair<const char *, QByteArray>> files;
    auto bgr = [](std::uint32_t c, int, int) { return c; };
    files.push_back({"24 bottom-up", makeFile({40, 3, 2, 24, 0, {}, {}, rows(false, 3, bgr)})});
    files.push_back({"24 top-down", makeFile({40, 3, -2, 24, 0, {}, {}, rows(true, 3, bgr)})});
    files.push_back({"24 V5", makeFile({124, 3, 2, 24, 0, {}, {}, rows(false, 3, bgr)})});
    files.push_back({"32 BI_RGB", makeFile({40, 3, 2, 32, 0, {}, {}, rows(false, 4, bgr)})});
    files.push_back({"32 V4 bitfields RGBA", makeFile({108, 3, -2, 32, 3, {0xFF000000, 0xFF0000, 0xFF00, 0xFF},
        {}, rows(true, 4, [](std::uint32_t c, int, int) { return c << 8 | 0x80; })})});
    files.push_back({"16 5-5-5", makeFile({40, 3, 2, 16, 0, {}, {}, rows(false, 2, [](std::uint32_t c, int, int) { return to555(c); })})});
    files.push_back({"16 5-6-5 bitfields", makeFile({40, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, {},
        rows(false, 2, [](std::uint32_t c, int, int) { return to565(c); })})});
    files.push_back({"8 palette", makeFile({40, 3, 2, 8, 0, {}, kPalette,
        rows(false, 1, [](std::uint32_t c, int, int) { return indexOf(c); })})});
    // 4 bits: two pixels a byte, the first in the high half; each row is 2 bytes + padding.
    QByteArray four;
    for (int y : {1, 0}) {
        four.append(char(indexOf(kColours[y][0]) << 4 | indexOf(kColours[y][1])));
        four.append(char(indexOf(kColours[y][2]) << 4));
        four.append(2, '\0');
    }
    files.push_back({"4 palette", makeFile({40, 3, 2, 4, 0, {}, kPalette, four})});
    // RLE8: the bottom row stored absolute, the top row as runs of one.
    auto ix = [](std::uint32_t c) { return char(indexOf(c)); };
    QByteArray r8;
    r8.append(char(0)).append(char(3)).append(ix(0xFFFFFF)).append(ix(0)).append(ix(0xFFFF00)).append('\0');
    r8.append(char(0)).append(char(0));
    r8.append(char(1)).append(ix(0xFF0000)).append(char(1)).append(ix(0x00FF00)).append(char(1)).append(ix(0x0000FF));
    r8.append(char(0)).append(char(1));
    files.push_back({"8 RLE", makeFile({40, 3, 2, 8, 1, {}, kPalette, r8})});
    // RLE4: the bottom row absolute (two bytes of nibbles), the top row as a run that
    // alternates red and green, then a run of one blue.
    QByteArray r4;
    r4.append(char(0)).append(char(3)).append(char(indexOf(0xFFFFFF) << 4 | indexOf(0))).append(char(indexOf(0xFFFF00) << 4));
    r4.append(char(0)).append(char(0));
    r4.append(char(2)).append(char(indexOf(0xFF0000) << 4 | indexOf(0x00FF00))).append(char(1)).append(char(indexOf(0x0000FF) << 4));
    r4.append(char(0)).append(char(1));
    files.push_back({"4 RLE", makeFile({40, 3, 2, 4, 2, {}, kPalette, r4})});
    return files;
}

} // namespace

TEST(Bmp, ReadsTheFormatsWindowsProgramsWrite)
{
    for (const auto &[what, bytes] : sampleFiles())
        expectTestPicture(LoadBmp(bytes), what);
}

TEST(Bmp, ReportsThePixelFormatItWasStoredWith)
{
    const auto files = sampleFiles();
    auto load = [&](const char *what) {
        for (const auto &[name, bytes] : files)
            if (std::strcmp(name, what) == 0)
                return LoadBmp(bytes);
        ADD_FAILURE() << what;
        return Bitmap{};
    };
    EXPECT_EQ(load("16 5-5-5").masks, kMasks555);
    EXPECT_EQ(load("16 5-6-5 bitfields").masks, kMasks565);
    EXPECT_EQ(load("32 BI_RGB").bitsPerPixel, 32);
    const Bitmap eight = load("8 palette");
    EXPECT_EQ(eight.bitsPerPixel, 8);
    ASSERT_EQ(eight.palette.size(), kPalette.size());
    EXPECT_EQ(eight.palette[3], (PaletteEntry{255, 255, 255}));
    EXPECT_EQ(eight.row(1)[2], indexOf(0xFFFF00)); // bottom-up file, row 1 is the bottom
    EXPECT_EQ(load("4 RLE").bitsPerPixel, 4);
}

TEST(Bmp, ReadsOneBitPicturesWithTheCoreHeader)
{
    // 10 × 2, one bit a pixel, most significant bit first: each row takes 2 bytes + 2 of
    // padding. The core header has 16-bit sizes and 3-byte palette entries.
    QByteArray file("BM");
    put32(file, 14 + 12 + 6 + 8);
    put32(file, 0);
    put32(file, 14 + 12 + 6);
    put32(file, 12);
    put16(file, 10);
    put16(file, 2);
    put16(file, 1);
    put16(file, 1);
    file.append("\x00\x00\x00\xFF\xFF\xFF", 6);           // black, white
    file.append("\xFF\xC0\x00\x00", 4);                   // bottom row: all white
    file.append("\x81\x40\x00\x00", 4);                   // top row: 1000000101
    const Bitmap b = To24Bit(LoadBmp(file));
    ASSERT_EQ(b.width, 10);
    const int top[10] = {1, 0, 0, 0, 0, 0, 0, 1, 0, 1};
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(b.row(0)[3 * x], top[x] ? 255 : 0) << x;
        EXPECT_EQ(b.row(1)[3 * x], 255) << x;
    }
}

TEST(Bmp, RunLengthDeltasMovePastPixelsAndOverlongRunsAreClipped)
{
    // 4 × 3 at 8 bits: on the bottom row a run of two 5s; a delta of one right and one up;
    // a run of three 7s of which one fits; end of line; end of bitmap.
    const QByteArray data("\x02\x05\x00\x02\x01\x01\x03\x07\x00\x00\x00\x01", 12);
    const Bitmap b = LoadBmp(makeFile({40, 4, 3, 8, 1, {}, std::vector<std::uint32_t>(8, 0), data}));
    const int expected[3][4] = {{0, 0, 0, 0}, {0, 0, 0, 7}, {5, 5, 0, 0}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.row(y)[x], expected[y][x]) << x << "," << y;
}

TEST(Bmp, WritesBottomUpFilesThatReadBackTheSame)
{
    std::mt19937 random(7);
    Bitmap colour = MakeBitmap(5, 3, 24); // 15 bytes a row, stored in 16
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 15; ++x)
            colour.row(y)[x] = std::uint8_t(random());
    const QByteArray bytes = SaveBmp(colour);
    ASSERT_EQ(bytes.size(), 54 + 3 * 16);
    EXPECT_EQ(bytes.mid(10, 4), QByteArray("\x36\x00\x00\x00", 4));
    EXPECT_EQ(bytes.mid(22, 4), QByteArray("\x03\x00\x00\x00", 4)); // positive height
    EXPECT_EQ(bytes.mid(54, 15), QByteArray(reinterpret_cast<const char *>(colour.row(2)), 15));
    const Bitmap back = LoadBmp(bytes);
    EXPECT_EQ(back.bitsPerPixel, 24);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(back.row(y), colour.row(y), 15), 0) << y;

    Bitmap grey = MakeBitmap(3, 2, 8);
    for (int i = 0; i < 256; ++i)
        grey.palette[std::size_t(i)] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)};
    grey.row(0)[0] = 9;
    grey.row(1)[2] = 200;
    const Bitmap greyBack = LoadBmp(SaveBmp(grey));
    EXPECT_EQ(greyBack.bitsPerPixel, 8);
    EXPECT_EQ(greyBack.palette, grey.palette);
    EXPECT_EQ(greyBack.bits, grey.bits);

    Bitmap deep = MakeBitmap(2, 1, 32);
    deep.row(0)[4] = 10; // blue of the second pixel
    const Bitmap deepBack = LoadBmp(SaveBmp(deep));
    EXPECT_EQ(deepBack.bitsPerPixel, 24);
    EXPECT_EQ(deepBack.row(0)[3], 10);
}

TEST(Bmp, LyingHeadersAreClearErrors)
{
    const QByteArray good = makeFile({40, 3, 2, 8, 0, {}, kPalette, QByteArray(8, '\0')});
    // Offsets: 2 file size, 10 pixel offset, 14 header size, 18 width, 22 height,
    // 28 bits per pixel, 30 compression, 46 colours used.
    struct Lie {
        const char *what;
        int at;
        std::uint32_t value;
    } lies[] = {
        {"zero width", 18, 0},
        {"negative width", 18, 0xFFFFFFFF},
        {"zero height", 22, 0},
        {"most negative height", 22, 0x80000000},
        {"absurd width", 18, 0x40000000},
        {"width beyond the stored rows", 18, 30000},
        {"pixels past the end", 10, 0x7FFFFFFF},
        {"pixels inside the palette", 10, 60},
        {"palette larger than the depth allows", 46, 257},
        {"palette larger than the file", 46, 200},
        {"unknown header", 14, 64},
        {"header larger than the file", 14, 124},
        {"JPEG compression", 30, 4},
        {"RLE4 at 8 bits", 30, 2},
        {"bit fields at 8 bits", 30, 3},
        {"odd depth", 28, 7},
    };
    ASSERT_NO_THROW(LoadBmp(good));
    for (const Lie &lie : lies) {
        QByteArray bad = good;
        set32(bad, lie.at, lie.value);
        if (lie.at == 28)
            bad[30] = 0, bad[31] = 0; // keep the depth a 16-bit field
        try {
            LoadBmp(bad);
            ADD_FAILURE() << lie.what << ": accepted";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Image bitmap non valide : "))) << lie.what;
        }
    }
    EXPECT_THROW(LoadBmp(QByteArray("PK\x03\x04 not a picture at all")), Error);
    EXPECT_THROW(LoadBmp(makeFile({40, 3, 2, 16, 3, {0xF800, 0x0FE0, 0x001F}, {}, QByteArray(16, '\0')})), Error)
        << "overlapping masks";
    EXPECT_THROW(LoadBmp(makeFile({40, 3, 2, 16, 3, {0xF801, 0x07E0, 0x001E}, {}, QByteArray(16, '\0')})), Error)
        << "masks with holes";
}

// Every truncation of every sample, and thousands of random header corruptions: each
// load either fails with an Error or gives a bitmap whose pixels are all there. Run under
// the address sanitizer, this also proves no byte outside the file is read.
TEST(Bmp, TruncatedOrCorruptedFilesNeverReadOutsideTheFile)
{
    // VIVRELO_FUZZ_ROUNDS raises the count for a longer run by hand.
    const int asked = qEnvironmentVariableIntValue("VIVRELO_FUZZ_ROUNDS");
    const int rounds = asked > 0 ? asked : 1500;
    auto tryLoad = [](const QByteArray &bytes) {
        try {
            const Bitmap b = To24Bit(LoadBmp(bytes));
            EXPECT_EQ(b.bits.size(), b.stride() * std::size_t(b.height));
        } catch (const Error &) {
        }
    };
    std::mt19937 random(2026);
    const std::uint32_t extremes[] = {0, 1, 0x7F, 0x80, 0xFF, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (const auto &[what, bytes] : sampleFiles()) {
        SCOPED_TRACE(what);
        for (qsizetype n = 0; n < bytes.size(); ++n) {
            // A copy of exactly n bytes, so that the sanitizer sees the real end.
            QByteArray cut(bytes.constData(), n);
            tryLoad(cut);
        }
        for (int round = 0; round < rounds; ++round) {
            QByteArray bad = bytes;
            const int changes = 1 + int(random() % 3);
            for (int c = 0; c < changes; ++c) {
                // Mostly the headers, sometimes the pixels (the run-length codes).
                const qsizetype span = random() % 4 ? std::min<qsizetype>(bad.size() - 4, 70) : bad.size() - 4;
                const int at = int(random() % std::uint32_t(span));
                if (random() % 2)
                    set32(bad, at, extremes[random() % std::size(extremes)]);
                else
                    bad[at] = char(random());
            }
            tryLoad(bad);
        }
    }
}
