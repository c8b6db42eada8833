#include "imaging/Jpeg.h"

#include "base/Error.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstring>

#include <turbojpeg.h>

using namespace vivrelo;

namespace {

// A written file read back: its frame and luminance table parsed from the markers, its
// pixels decoded by libjpeg-turbo as red, green, blue.
struct Decoded {
    int frameMarker = 0; // 0xC0: baseline
    int width = 0, height = 0, components = 0;
    int lumaSampling = 0; // 0x11: full resolution, 0x22: halved both ways
    int lastLumaStep = 0; // quantisation step of the highest luminance frequency
    std::vector<std::uint8_t> rgb;
    const std::uint8_t *at(int x, int y) const { return rgb.data() + 3 * (std::size_t(y) * width + x); }
};

Decoded decodeFile(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray b = f.readAll();
    auto byte = [&](qsizetype i) { return i < b.size() ? int(quint8(b[i])) : 0; };
    Decoded d;
    for (qsizetype i = 2; i + 3 < b.size() && byte(i) == 0xFF && !d.frameMarker;) {
        const int marker = byte(i + 1);
        if (marker == 0xDB && (byte(i + 4) >> 4) == 0 && (byte(i + 4) & 15) == 0)
            d.lastLumaStep = byte(i + 5 + 63); // 8-bit table 0, zigzag order
        if (marker >= 0xC0 && marker <= 0xC3) {
            d.frameMarker = marker;
            d.height = byte(i + 5) << 8 | byte(i + 6);
            d.width = byte(i + 7) << 8 | byte(i + 8);
            d.components = byte(i + 9);
            d.lumaSampling = byte(i + 11);
        }
        i += 2 + (byte(i + 2) << 8 | byte(i + 3));
    }
    d.rgb.resize(std::size_t(d.width) * std::size_t(d.height) * 3);
    tjhandle decoder = tjInitDecompress();
    EXPECT_EQ(tjDecompress2(decoder, reinterpret_cast<const unsigned char *>(b.constData()),
                  static_cast<unsigned long>(b.size()), d.rgb.data(), d.width, 0, d.height, TJPF_RGB, 0),
        0)
        << tjGetErrorStr2(decoder);
    tjDestroy(decoder);
    return d;
}

// Four quadrants, top left red, top right green, bottom left blue, bottom right white.
Bitmap quadrants(int width, int height)
{
    static const std::uint8_t bgr[2][2][3] = {{{0, 0, 255}, {0, 255, 0}}, {{255, 0, 0}, {255, 255, 255}}};
    Bitmap b = MakeBitmap(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::memcpy(b.row(y) + 3 * x, bgr[y >= height / 2][x >= width / 2], 3);
    return b;
}

void expectNear(const std::uint8_t *rgb, int r, int g, int b, const char *where)
{
    EXPECT_NEAR(rgb[0], r, 8) << where;
    EXPECT_NEAR(rgb[1], g, 8) << where;
    EXPECT_NEAR(rgb[2], b, 8) << where;
}

QString failureOf(const Bitmap &bitmap, const QString &path)
{
    try {
        SaveBitmapAsJpeg(bitmap, path, 100);
    } catch (const Error &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

TEST(SaveBitmapAsJpeg, WritesAnUprightBaselineYCbCrFileAtTheGivenQuality)
{
    test::TestDirs dirs;
    const QString path = dirs.root() + QStringLiteral("picture.jpg");
    // 33 × 17: rows of 99 bytes padded to 100, to catch a stride mistaken for the width.
    ASSERT_TRUE(SaveBitmapAsJpeg(quadrants(33, 17), path, 100));
    const Decoded d = decodeFile(path);
    EXPECT_EQ(d.frameMarker, 0xC0);
    EXPECT_EQ(d.width, 33);
    EXPECT_EQ(d.height, 17);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.lumaSampling, 0x11) << "full colour resolution at high quality";
    EXPECT_EQ(d.lastLumaStep, 1) << "quality 100 quantises every frequency by 1";
    expectNear(d.at(2, 2), 255, 0, 0, "top left red");
    expectNear(d.at(30, 2), 0, 255, 0, "top right green");
    expectNear(d.at(2, 14), 0, 0, 255, "bottom left blue");
    expectNear(d.at(30, 14), 255, 255, 255, "bottom right white");
    EXPECT_EQ(QDir(dirs.root()).entryList(QDir::Files), QStringList{QStringLiteral("picture.jpg")})
        << "no work file is left behind";

    ASSERT_TRUE(SaveBitmapAsJpeg(quadrants(33, 17), path, 50));
    const Decoded low = decodeFile(path);
    EXPECT_EQ(low.lumaSampling, 0x22);
    EXPECT_GT(low.lastLumaStep, 1);
    expectNear(low.at(2, 2), 255, 0, 0, "quality 50, top left red");
}

TEST(SaveBitmapAsJpeg, EightBitPicturesGoThroughTheirPalette)
{
    test::TestDirs dirs;
    Bitmap grey = MakeBitmap(16, 8, 8);
    for (int i = 0; i < 256; ++i)
        grey.palette[std::size_t(i)] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            grey.row(y)[x] = std::uint8_t(x * 16);
    const QString greyPath = dirs.root() + QStringLiteral("grey.jpg");
    ASSERT_TRUE(SaveBitmapAsJpeg(grey, greyPath, 100));
    const Decoded g = decodeFile(greyPath);
    EXPECT_EQ(g.components, 3);
    for (int x = 0; x < 16; ++x) {
        const std::uint8_t *p = g.at(x, 4);
        EXPECT_NEAR(p[0], p[1], 1) << x;
        EXPECT_NEAR(p[1], p[2], 1) << x;
        EXPECT_NEAR(p[1], x * 16, 3) << x;
    }

    // A colour palette gives colours, not its indices as grey levels.
    Bitmap indexed = MakeBitmap(16, 8, 8);
    indexed.palette[0] = {0, 0, 255}; // red
    const QString colourPath = dirs.root() + QStringLiteral("colour.jpg");
    ASSERT_TRUE(SaveBitmapAsJpeg(indexed, colourPath, 100));
    expectNear(decodeFile(colourPath).at(8, 4), 255, 0, 0, "palette red");
}

TEST(SaveBitmapAsJpeg, OtherFormatsAndUnwritableFilesFailWithTheOneMessageAndKeepTheOldFile)
{
    test::TestDirs dirs;
    const QString path = dirs.writeFile(dirs.root() + QStringLiteral("kept.jpg"), "earlier picture");
    for (int depth : {1, 4, 16, 32})
        EXPECT_EQ(failureOf(MakeBitmap(4, 4, depth), path), QStringLiteral("Error writing JPEG to file")) << depth;
    Bitmap tooWide; // beyond the library's 65500 pixels: it fails from inside its own code
    tooWide.width = 70000;
    tooWide.height = 1;
    tooWide.bits.resize(tooWide.stride());
    EXPECT_EQ(failureOf(tooWide, path), QStringLiteral("Error writing JPEG to file"));
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("earlier picture"));

    EXPECT_EQ(failureOf(quadrants(4, 4), dirs.root() + QStringLiteral("missing/folder/x.jpg")),
        QStringLiteral("Error writing JPEG to file"));
    EXPECT_EQ(
        failureOf(Bitmap{}, dirs.root() + QStringLiteral("empty.jpg")), QStringLiteral("Error writing JPEG to file"));
    EXPECT_FALSE(QFile::exists(dirs.root() + QStringLiteral("empty.jpg")));
}
