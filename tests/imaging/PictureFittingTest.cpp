#include "imaging/PictureFitting.h"

#include "base/Error.h"
#include "imaging/Bmp.h"

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

// A 24-bit bitmap whose blue channel holds the given values, green 255 − blue and red 7.
Bitmap blueBitmap(int width, int height, std::initializer_list<int> values)
{
    Bitmap b = MakeBitmap(width, height, 24);
    auto v = values.begin();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, ++v) {
            std::uint8_t *p = b.row(y) + 3 * x;
            p[0] = std::uint8_t(*v);
            p[1] = std::uint8_t(255 - *v);
            p[2] = 7;
        }
    return b;
}

int blue(const Bitmap &b, int x, int y)
{
    return b.row(y)[3 * x];
}

// The channel (0 blue, 1 green, 2 red) of every pixel, row by row.
std::vector<int> channel(const Bitmap &b, int c = 0)
{
    std::vector<int> values;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            values.push_back(b.row(y)[3 * x + c]);
    return values;
}
using Values = std::vector<int>;

} // namespace

TEST(FittedSize, KeepsSmallPicturesAndFitsLargerOnesAlongTheirLimitingSide)
{
    struct Case {
        int bw, bh, sw, sh, w, h;
    } cases[] = {
        {200, 200, 120, 80, 120, 80}, // fits: unchanged
        {200, 200, 200, 200, 200, 200},
        {200, 200, 600, 300, 200, 100}, // wider: trunc(200 / 600 × 300) = 100 fits the height
        {300, 100, 400, 300, 133, 100}, // wider, height limits: trunc(100 / 300 × 400)
        {150, 300, 300, 600, 150, 300}, // taller: trunc(300 / 600 × 300) = 150 fits the width
        {200, 100, 100, 400, 25, 100},
        {100, 300, 300, 400, 100, 133}, // taller, width limits: trunc(100 / 300 × 400)
        {100, 100, 1000, 1, 100, 1}, // trunc(0.1) would leave no row at all
        {100, 100, 1, 1000, 1, 100},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FittedSize(c.bw, c.bh, c.sw, c.sh), QSize(c.w, c.h))
            << c.sw << "x" << c.sh << " in " << c.bw << "x" << c.bh;
}

TEST(FittedSize, ASquareStaysSquareAtTheBoxsShorterSide)
{
    EXPECT_EQ(FittedSize(200, 200, 400, 400), QSize(200, 200));
    EXPECT_EQ(FittedSize(200, 100, 400, 400), QSize(100, 100)); // larger both ways
    EXPECT_EQ(FittedSize(200, 100, 150, 150), QSize(100, 100)); // larger in height only
    EXPECT_EQ(FittedSize(100, 200, 150, 150), QSize(100, 100)); // larger in width only
}

TEST(ResampleBitmap, ASameSizePassShiftsByHalfAPixel)
{
    // 2 × 2, blue 10 21 / 31 45. Column and row 0 map to −0.5, clamped to 0: a whole
    // pixel, copied. Column 1 maps to 2·1/2 − 0.5 = 0.5: dx = 0.5, weights 1/0.5 = 2 each.
    //   (1,0): dy = 0 → (2·10 + 2·21) / 4 = 15.5 → 15
    //   (0,1): dx = 0 → (2·10 + 2·31) / 4 = 20.5 → 20
    //   (1,1): four equal weights 1/√0.5 → (10 + 21 + 31 + 45) / 4 = 26.75 → 26
    Bitmap b = blueBitmap(2, 2, {10, 21, 31, 45});
    ResampleBitmap(b, 2, 2);
    EXPECT_EQ(channel(b), (Values{10, 15, 20, 26}));
    EXPECT_EQ(channel(b, 1)[3], 228) << "green 245 234 / 224 210: 913 / 4 = 228.25";

    // 3 × 1, blue 10 101 203: column 1 → 0.5 (mean of 10 and 101 = 55.5 → 55), column 2
    // → 1.5 (mean of 101 and 203 = 152).
    Bitmap line = blueBitmap(3, 1, {10, 101, 203});
    ResampleBitmap(line, 3, 1);
    EXPECT_EQ(channel(line), (Values{10, 55, 152}));
}

TEST(ResampleBitmap, WeightsFallWithTheDistanceToEachNeighbour)
{
    // 3 × 1 → 4 × 1, blue a b c = 10 101 203. Column x maps to 3x/4 − 0.5:
    //   x = 0 → −0.5 → 0, copy 10
    //   x = 1 → 0.25: weights 1/0.25 = 4 and 1/0.75 = 4/3 → (4·10 + 4/3·101) / (16/3)
    //          = (3·10 + 101) / 4 = 32.75 → 32
    //   x = 2 → 1.0, a whole pixel: copy 101
    //   x = 3 → 1.75: weights 4/3 and 4 → (101 + 3·203) / 4 = 177.5 → 177
    Bitmap b = blueBitmap(3, 1, {10, 101, 203});
    ResampleBitmap(b, 4, 1);
    EXPECT_EQ(channel(b), (Values{10, 32, 101, 177}));

    // 2 × 1 → 5 × 1, blue 11 200. Column x maps to 2x/5 − 0.5:
    //   x = 1 → −0.1, clamped to 0 and trunc(−0.1) = 0: copy 11
    //   x = 2 → 0.3: weights 1/0.3, 1/0.7 → 0.7·11 + 0.3·200 = 67.7 → 67
    //   x = 3 → 0.7: 0.3·11 + 0.7·200 = 143.3 → 143
    //   x = 4 → 1.1, clamped to 1 = trunc(1.1): copy 200
    Bitmap wide = blueBitmap(2, 1, {11, 200});
    ResampleBitmap(wide, 5, 1);
    EXPECT_EQ(channel(wide), (Values{11, 11, 67, 143, 200}));
}

TEST(ResampleBitmap, HalvingAveragesTheInnerBlocks)
{
    // 4 × 4 → 2 × 2, blue = 16x + 64y + 3 at (x, y). Index 1 maps to 4/2 − 0.5 = 1.5.
    //   (0,0): copy 3
    //   (1,0): (1,0) and (2,0) with equal weights: (19 + 35) / 2 = 27
    //   (0,1): (0,1) and (0,2): (67 + 131) / 2 = 99
    //   (1,1): (1,1) (2,1) (1,2) (2,2), equal weights: (83 + 99 + 147 + 163) / 4 = 123
    // Green 255 − blue: 252, (236 + 220) / 2 = 228, (188 + 124) / 2 = 156,
    // (172 + 156 + 108 + 92) / 4 = 132 — whole means, which extended precision keeps whole.
    Bitmap b = blueBitmap(4, 4, {3, 19, 35, 51, 67, 83, 99, 115, 131, 147, 163, 179, 195, 211, 227, 243});
    ResampleBitmap(b, 2, 2);
    EXPECT_EQ(channel(b), (Values{3, 27, 99, 123}));
    EXPECT_EQ(channel(b, 1), (Values{252, 228, 156, 132}));
}

TEST(ResizePictureToBox, FitsAStoredPictureAndCentresItOnWhite)
{
    Bitmap source = MakeBitmap(400, 200, 8);
    for (int i = 0; i < 256; ++i)
        source.palette[std::size_t(i)] = {0, std::uint8_t(i), 0};
    std::fill(source.bits.begin(), source.bits.end(), std::uint8_t(90));
    const Bitmap fitted = ResizePictureToBox(SaveBmp(source), 100, 100);
    EXPECT_EQ(fitted.bitsPerPixel, 24);
    ASSERT_EQ(QSize(fitted.width, fitted.height), QSize(100, 50));
    EXPECT_EQ(fitted.row(49)[3 * 99 + 1], 90);

    const Bitmap canvas = PlaceOnWhiteCanvas(fitted, 100, 100);
    ASSERT_EQ(QSize(canvas.width, canvas.height), QSize(100, 100));
    for (int y : {0, 24, 75, 99})
        EXPECT_EQ(canvas.row(y)[3 * 50 + 1], 255) << y;
    for (int y : {25, 74})
        EXPECT_EQ(canvas.row(y)[3 * 50 + 1], 90) << y;

    // Odd margins are truncated: 3 × 1 on 6 × 4 lands at (1, 1).
    const Bitmap small = PlaceOnWhiteCanvas(blueBitmap(3, 1, {0, 0, 0}), 6, 4);
    const Values rows = channel(small);
    EXPECT_EQ(Values(rows.begin(), rows.begin() + 12), (Values{255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255, 255}));

    try {
        ResizePictureToBox(QByteArray("GIF89a"), 100, 100);
        ADD_FAILURE() << "a picture that is no bitmap was accepted";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Image bitmap non valide")));
    }
}

TEST(ResampleBitmap, KeepsPlainColoursConvertsOtherDepthsAndRefusesEmptySizes)
{
    // Weighted means of equal values must not drift below them through rounding.
    for (int value : {1, 37, 128, 255})
        for (QSize size : {QSize(7, 5), QSize(3, 2), QSize(17, 11)}) {
            Bitmap b = MakeBitmap(7, 5, 24);
            std::fill(b.bits.begin(), b.bits.end(), std::uint8_t(value));
            ResampleBitmap(b, size.width(), size.height());
            for (int y = 0; y < b.height; ++y)
                for (int x = 0; x < 3 * b.width; ++x)
                    ASSERT_EQ(b.row(y)[x], value) << size.width() << "x" << size.height() << " at " << x << "," << y;
        }

    Bitmap indexed = MakeBitmap(3, 2, 4);
    indexed.palette[1] = {40, 50, 60};
    indexed.row(0)[0] = 0x11;
    ResampleBitmap(indexed, 6, 4);
    EXPECT_EQ(indexed.bitsPerPixel, 24);
    EXPECT_EQ(indexed.row(0)[2], 60);

    Bitmap kept = blueBitmap(2, 1, {1, 2});
    EXPECT_THROW(ResampleBitmap(kept, 0, 5), Error);
    EXPECT_EQ(blue(kept, 1, 0), 2) << "a refused size leaves the picture as it was";
}
