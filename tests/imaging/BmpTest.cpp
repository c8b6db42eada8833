#include "imaging/Bmp.h"

#include "base/Error.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace vivrelo;

namespace {

void put(QByteArray &b, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.append(char(v >> (8 * i) & 0xFF));
}
void set32(QByteArray &b, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i) & 0xFF);
}

// A BMP file as Windows programs write it: an info header of `header` bytes (the masks
// inside it from 52 bytes up, right after it at 40), the palette, then `pixels` as given.
QByteArray makeFile(int header, int width, int height, int bits, std::uint32_t compression,
    std::vector<std::uint32_t> masks, std::vector<std::uint32_t> palette, const char *hexPixels)
{
    const QByteArray pixels = QByteArray::fromHex(hexPixels);
    QByteArray info;
    for (std::uint32_t v : {std::uint32_t(header), std::uint32_t(width), std::uint32_t(height)})
        put(info, v, 4);
    put(info, 1, 2);
    put(info, std::uint32_t(bits), 2);
    for (std::uint32_t v : {compression, std::uint32_t(pixels.size()), 2835u, 2835u, std::uint32_t(palette.size()), 0u})
        put(info, v, 4);
    for (std::uint32_t m : masks)
        put(info, m, 4);
    info.append(std::max<qsizetype>(0, header - info.size()), '\0');
    for (std::uint32_t c : palette) // 0x00RRGGBB is stored blue, green, red, 0
        put(info, c, 4);
    QByteArray file("BM");
    for (std::uint32_t v : {std::uint32_t(14 + info.size() + pixels.size()), 0u, std::uint32_t(14 + info.size())})
        put(file, v, 4);
    return file + info + pixels;
}

// Every sample holds the same 3 × 2 picture: red, green, blue above white, black, yellow.
const std::vector<std::uint32_t> kPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00};

std::vector<std::pair<const char *, QByteArray>> sampleFiles()
{
    const std::vector<std::uint32_t> rgba = {0xFF000000, 0xFF0000, 0xFF00, 0xFF};
    return {
        {"24 bottom-up",
            makeFile(40, 3, 2, 24, 0, {}, {},
                "ffffff00000000ffff000000"
                "0000ff00ff00ff0000000000")},
        {"24 top-down",
            makeFile(40, 3, -2, 24, 0, {}, {},
                "0000ff00ff00ff0000000000"
                "ffffff00000000ffff000000")},
        {"24 V5",
            makeFile(124, 3, 2, 24, 0, {}, {},
                "ffffff00000000ffff000000"
                "0000ff00ff00ff0000000000")},
        {"32 BI_RGB",
            makeFile(40, 3, 2, 32, 0, {}, {},
                "ffffff000000000000ffff00"
                "0000ff0000ff0000ff000000")},
        {"32 V4 RGBA",
            makeFile(108, 3, -2, 32, 3, rgba, {},
                "800000ff8000ff0080ff0000"
                "80ffffff800000008000ffff")},
        {"16 5-5-5",
            makeFile(40, 3, 2, 16, 0, {}, {},
                "ff7f0000e07f0000"
                "007ce0031f000000")},
        {"16 5-6-5",
            makeFile(40, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, {},
                "ffff0000e0ff0000"
                "00f8e0071f000000")},
        {"8 palette",
            makeFile(40, 3, 2, 8, 0, {}, kPalette,
                "03040500"
                "00010200")},
        {"4 palette",
            makeFile(40, 3, 2, 4, 0, {}, kPalette,
                "34500000"
                "01200000")},
        // RLE8: the bottom row absolute (3 pixels, padded), end of line, three runs of
        // one, end of bitmap. RLE4: the same, the top row as a run of two alternating
        // nibbles and a run of one.
        {"8 RLE",
            makeFile(40, 3, 2, 8, 1, {}, kPalette,
                "000303040500"
                "0000"
                "010001010102"
                "0001")},
        {"4 RLE",
            makeFile(40, 3, 2, 4, 2, {}, kPalette,
                "00033450"
                "0000"
                "02010120"
                "0001")},
    };
}

} // namespace

TEST(Bmp, ReadsTheFormatsWindowsProgramsWriteAndReportsTheStoredOne)
{
    const int expected[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0xFFFF00}};
    for (const auto &[what, bytes] : sampleFiles()) {
        const Bitmap stored = LoadBmp(bytes);
        EXPECT_EQ(stored.bitsPerPixel, std::atoi(what)) << what;
        const Bitmap b = To24Bit(stored);
        ASSERT_TRUE(b.width == 3 && b.height == 2) << what;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const std::uint8_t *p = b.row(y) + 3 * x;
                EXPECT_EQ(p[2] << 16 | p[1] << 8 | p[0], expected[y][x]) << what << " at " << x << "," << y;
            }
    }
    const auto files = sampleFiles();
    EXPECT_EQ(LoadBmp(files[5].second).masks, kMasks555);
    EXPECT_EQ(LoadBmp(files[6].second).masks, kMasks565);
    EXPECT_EQ(LoadBmp(files[7].second).palette[3], (PaletteEntry{255, 255, 255}));

    // One bit a pixel under the 12-byte core header (3-byte palette entries), 10 wide.
    const QByteArray core = QByteArray::fromHex("424d2800000000000000200000000c0000000a00020001000100"
                                                "000000ffffff"
                                                "ffc00000"
                                                "81400000");
    const Bitmap one = To24Bit(LoadBmp(core));
    const int top[10] = {1, 0, 0, 0, 0, 0, 0, 1, 0, 1};
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(one.row(0)[3 * x], top[x] * 255) << x;
        EXPECT_EQ(one.row(1)[3 * x], 255) << x;
    }
}

TEST(Bmp, RunLengthDeltasSkipPixelsAndOverlongRunsAreClipped)
{
    // 4 × 3: on the bottom row a run of two 5s; a delta of one right and one up; a run of
    // three 7s of which one fits; end of line; end of bitmap.
    const Bitmap b = LoadBmp(makeFile(40, 4, 3, 8, 1, {}, std::vector<std::uint32_t>(8),
        "0205"
        "00020101"
        "0307"
        "0000"
        "0001"));
    const std::vector<std::uint8_t> topRowFirst = {0, 0, 0, 0, 0, 0, 0, 7, 5, 5, 0, 0};
    EXPECT_EQ(b.bits, topRowFirst);
}

TEST(Bmp, WritesBottomUpFilesThatReadBackTheSame)
{
    std::mt19937 random(7);
    Bitmap colour = MakeBitmap(5, 3, 24); // 15 bytes a row, stored in 16
    for (std::uint8_t &byte : colour.bits)
        byte = std::uint8_t(random());
    const QByteArray bytes = SaveBmp(colour);
    ASSERT_EQ(bytes.size(), 54 + 3 * 16);
    EXPECT_EQ(bytes.mid(10, 4).toHex(), "36000000");
    EXPECT_EQ(bytes.mid(22, 4).toHex(), "03000000") << "positive height: bottom-up";
    EXPECT_EQ(bytes.mid(54, 16), QByteArray(reinterpret_cast<const char *>(colour.row(2)), 16));
    EXPECT_EQ(LoadBmp(bytes).bits, colour.bits);

    Bitmap grey = MakeBitmap(3, 2, 8);
    grey.palette[200] = {1, 2, 3};
    grey.row(1)[2] = 200;
    const Bitmap greyBack = LoadBmp(SaveBmp(grey));
    EXPECT_EQ(greyBack.palette, grey.palette);
    EXPECT_EQ(greyBack.bits, grey.bits);
}

TEST(Bmp, LyingHeadersAreClearErrors)
{
    const QByteArray good = makeFile(40, 3, 2, 8, 0, {}, kPalette, "0000000000000000");
    // At 10 the pixel offset, 14 header size, 18 width, 22 height, 30 compression,
    // 46 colours used.
    const struct {
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
        {"more colours than 8 bits hold", 46, 257},
        {"palette beyond the file", 46, 200},
        {"unknown header", 14, 64},
        {"header beyond the file", 14, 124},
        {"JPEG compression", 30, 4},
        {"RLE4 at 8 bits", 30, 2},
        {"bit fields at 8 bits", 30, 3},
    };
    ASSERT_NO_THROW(LoadBmp(good));
    for (const auto &lie : lies) {
        QByteArray bad = good;
        set32(bad, lie.at, lie.value);
        try {
            LoadBmp(bad);
            ADD_FAILURE() << lie.what << ": accepted";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Image bitmap non valide : "))) << lie.what;
        }
    }
    EXPECT_THROW(LoadBmp("PK\x03\x04 not a picture at all"), Error);
    EXPECT_THROW(LoadBmp(makeFile(40, 3, 2, 16, 3, {0xF800, 0x0FE0, 0x001F}, {}, "")), Error) << "overlapping masks";
    EXPECT_THROW(LoadBmp(makeFile(40, 3, 2, 16, 3, {0xF801, 0x07E0, 0x001E}, {}, "")), Error) << "masks with holes";
}

// Every truncation of every sample, and random corruptions: each load either fails with
// an Error or gives a bitmap whose pixels are all there. Built with the address
// sanitizer, this also shows that no byte outside the file is read.
TEST(Bmp, TruncatedOrCorruptedFilesNeverReadOutsideTheFile)
{
    auto tryLoad = [](const QByteArray &bytes) {
        try {
            const Bitmap b = To24Bit(LoadBmp(bytes));
            EXPECT_EQ(b.bits.size(), b.stride() * std::size_t(b.height));
        } catch (const Error &) { }
    };
    // VIVRELO_FUZZ_ROUNDS raises the count for a longer run by hand.
    const int asked = qEnvironmentVariableIntValue("VIVRELO_FUZZ_ROUNDS");
    const int rounds = asked > 0 ? asked : 1500;
    std::mt19937 random(2026);
    const std::uint32_t extremes[] = {0, 1, 0x7F, 0x80, 0xFF, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (const auto &[what, bytes] : sampleFiles()) {
        SCOPED_TRACE(what);
        for (qsizetype n = 0; n < bytes.size(); ++n)
            tryLoad(QByteArray(bytes.constData(), n)); // a copy, so that the real end is the end
        for (int round = 0; round < rounds; ++round) {
            QByteArray bad = bytes;
            for (int c = 1 + int(random() % 3); c > 0; --c) {
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
