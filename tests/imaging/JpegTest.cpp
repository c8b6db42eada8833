#include "imaging/Jpeg.h"

#include "app/Error.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

using namespace vivrelo;

namespace {

struct Decoded {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    J_COLOR_SPACE space = JCS_UNKNOWN;
    int frameMarker = 0; // 0xC0 for a baseline frame
    int lumaSampling = 0;
    int firstLumaStep = 0, lastLumaStep = 0; // quantisation of DC and the highest frequency
    std::vector<std::uint8_t> rgb;
    const std::uint8_t *at(int x, int y) const { return rgb.data() + 3 * (std::size_t(y) * width + x); }
};

struct TestErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onError(j_common_ptr info) { std::longjmp(reinterpret_cast<TestErrors *>(info->err)->jump, 1); }

int frameMarkerOf(const QByteArray &b)
{
    for (qsizetype i = 2; i + 3 < b.size() && quint8(b[i]) == 0xFF;) {
        const int marker = quint8(b[i + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return marker;
        i += 2 + (quint8(b[i + 2]) << 8 | quint8(b[i + 3]));
    }
    return 0;
}

void decodeInto(const QByteArray &bytes, Decoded &d, jpeg_decompress_struct &info, TestErrors &errors)
{
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    d.width = int(info.image_width);
    d.height = int(info.image_height);
    d.components = info.num_components;
    d.space = info.jpeg_color_space;
    d.lumaSampling = info.comp_info[0].h_samp_factor * 10 + info.comp_info[0].v_samp_factor;
    d.firstLumaStep = info.quant_tbl_ptrs[0]->quantval[0];
    d.lastLumaStep = info.quant_tbl_ptrs[0]->quantval[63];
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    d.rgb.resize(std::size_t(d.width) * d.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = d.rgb.data() + std::size_t(info.output_scanline) * d.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    d.ok = true;
}

Decoded decodeFile(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = f.readAll();
    Decoded d;
    jpeg_decompress_struct info{};
    TestErrors errors{};
    decodeInto(bytes, d, info, errors);
    d.frameMarker = frameMarkerOf(bytes);
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
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 33);
    EXPECT_EQ(d.height, 17);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.space, JCS_YCbCr);
    EXPECT_EQ(d.frameMarker, 0xC0);
    EXPECT_EQ(d.lumaSampling, 11) << "full colour resolution at high quality";
    EXPECT_EQ(d.firstLumaStep, 1);
    EXPECT_EQ(d.lastLumaStep, 1) << "quality 100 quantises every frequency by 1";
    expectNear(d.at(2, 2), 255, 0, 0, "top left red");
    expectNear(d.at(30, 2), 0, 255, 0, "top right green");
    expectNear(d.at(2, 14), 0, 0, 255, "bottom left blue");
    expectNear(d.at(30, 14), 255, 255, 255, "bottom right white");
    EXPECT_EQ(QDir(dirs.root()).entryList(QDir::Files), QStringList{QStringLiteral("picture.jpg")})
        << "no work file is left behind";

    ASSERT_TRUE(SaveBitmapAsJpeg(quadrants(33, 17), path, 50));
    const Decoded low = decodeFile(path);
    EXPECT_EQ(low.lumaSampling, 22);
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
    ASSERT_TRUE(g.ok);
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
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("earlier picture"));

    EXPECT_EQ(failureOf(quadrants(4, 4), dirs.root() + QStringLiteral("missing/folder/x.jpg")),
              QStringLiteral("Error writing JPEG to file"));
    EXPECT_EQ(failureOf(Bitmap{}, dirs.root() + QStringLiteral("empty.jpg")), QStringLiteral("Error writing JPEG to file"));
    EXPECT_FALSE(QFile::exists(dirs.root() + QStringLiteral("empty.jpg")));
}
