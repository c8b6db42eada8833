#include "imaging/PictureFitting.h"

#include "app/Error.h"
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

int blue(const Bitmap &b, int x, int y) { return b.row(y)[3 * x]; }
int green(const Bitmap &b, int x, int y) { return b.row(y)[3 * x + 1]; }

} // namespace

TEST(FittedSize, KeepsSmallPicturesAndFitsLargerOnesAlongTheirLimitingSide)
{
    struct Case {
        int bw, bh, sw, sh, w, h;
    } cases[] = {
        {200, 200, 120, 80, 120, 80},  // fits: unchanged
        {200, 200, 200, 200, 200, 200},
        {200, 200, 600, 300, 200, 100}, // wider: trunc(200 / 600 × 300) = 100 fits the height
        {300, 100, 400, 300, 133, 100}, // wider, height limits: trunc(100 / 300 × 400)
        {150, 300, 300, 600, 150, 300}, // taller: trunc(300 / 600 × 300) = 150 fits the width
        {200, 100, 100, 400, 25, 100},
        {100, 300, 300, 400, 100, 133}, // taller, width limits: trunc(100 / 300 × 400)
        {100, 100, 1000, 1, 100, 1},    // trunc(0.1) would leave no row at all
        {100, 100, 1, 1000, 1, 100},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FittedSize(c.bw, c.bh, c.sw, c.sh), QSize(c.w, c.h)) << c.sw << "x" << c.sh << " in " << c.bw << "x" << c.bh;
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
    EXPECT_EQ(blue(b, 0, 0), 10);
    EXPECT_EQ(blue(b, 1, 0), 15);
    EXPECT_EQ(blue(b, 0, 1), 20);
    EXPECT_EQ(blue(b, 1, 1), 26);
    // Green 245 234 / 224 210: (245 + 234) / 2 = 239.5, (245 + 224) / 2 = 234.5, 913 / 4 = 228.25.
    EXPECT_EQ(green(b, 1, 0), 239);
    EXPECT_EQ(green(b, 0, 1), 234);
    EXPECT_EQ(green(b, 1, 1), 228);

    // 3 × 1, blue 10 101 203: column 1 → 0.5 (mean of 10 and 101 = 55.5 → 55), column 2
    // → 1.5 (mean of 101 and 203 = 152).
    Bitmap line = blueBitmap(3, 1, {10, 101, 203});
    ResampleBitmap(line, 3, 1);
    EXPECT_EQ(blue(line, 0, 0), 10);
    EXPECT_EQ(blue(line, 1, 0), 55);
    EXPECT_EQ(blue(line, 2, 0), 152);
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
    EXPECT_EQ(blue(b, 0, 0), 10);
    EXPECT_EQ(blue(b, 1, 0), 32);
    EXPECT_EQ(blue(b, 2, 0), 101);
    EXPECT_EQ(blue(b, 3, 0), 177);

    // 2 × 1 → 5 × 1, blue 11 200. Column x maps to 2x/5 − 0.5:
    //   x = 1 → −0.1, clamped to 0 and trunc(−0.1) = 0: copy 11
    //   x = 2 → 0.3: weights 1/0.3, 1/0.7 → 0.7·11 + 0.3·200 = 67.7 → 67
    //   x = 3 → 0.7: 0.3·11 + 0.7·200 = 143.3 → 143
    //   x = 4 → 1.1, clamped to 1 = trunc(1.1): copy 200
    Bitmap wide = blueBitmap(2, 1, {11, 200});
    ResampleBitmap(wide, 5, 1);
    const int expected[5] = {11, 11, 67, 143, 200};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(blue(wide, x, 0), expected[x]) << x;
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
    EXPECT_EQ(blue(b, 0, 0), 3);
    EXPECT_EQ(blue(b, 1, 0), 27);
    EXPECT_EQ(blue(b, 0, 1), 99);
    EXPECT_EQ(blue(b, 1, 1), 123);
    EXPECT_EQ(green(b, 1, 0), 228);
    EXPECT_EQ(green(b, 0, 1), 156);
    EXPECT_EQ(green(b, 1, 1), 132);
}

TEST(ResampleBitmap, ConvertsOtherDepthsAndRefusesEmptySizes)
{
    Bitmap indexed = MakeBitmap(3, 2, 4);
    indexed.palette[1] = {40, 50, 60};
    indexed.row(0)[0] = 0x11;
    ResampleBitmap(indexed, 6, 4);
    EXPECT_EQ(indexed.bitsPerPixel, 24);
    EXPECT_EQ(indexed.width, 6);
    EXPECT_EQ(indexed.row(0)[2], 60);

    Bitmap kept = blueBitmap(2, 1, {1, 2});
    EXPECT_THROW(ResampleBitmap(kept, 0, 5), Error);
    EXPECT_EQ(kept.width, 2) << "a refused size leaves the picture as it was";
    EXPECT_EQ(blue(kept, 1, 0), 2);
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
    const int row1[6] = {255, 0, 0, 0, 255, 255};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(blue(small, x, 1), row1[x]) << x;
        EXPECT_EQ(blue(small, x, 0), 255) << x;
    }

    try {
        ResizePictureToBox(QByteArray("GIF89a"), 100, 100);
        ADD_FAILURE() << "a picture that is no bitmap was accepted";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Image bitmap non valide")));
    }
}

TEST(ResampleBitmap, AUniformPictureStaysUniform)
{
    // Weighted means of equal values must not drift below them through rounding.
    for (int value : {1, 37, 128, 200, 255}) {
        Bitmap b = MakeBitmap(7, 5, 24);
        std::fill(b.bits.begin(), b.bits.end(), std::uint8_t(value));
        for (QSize size : {QSize(7, 5), QSize(3, 2), QSize(17, 11)}) {
            Bitmap copy = b;
            ResampleBitmap(copy, size.width(), size.height());
            for (int y = 0; y < copy.height; ++y)
                for (int x = 0; x < 3 * copy.width; ++x)
                    ASSERT_EQ(copy.row(y)[x], value) << size.width() << "x" << size.height() << " at " << x << "," << y;
        }
    }
}
