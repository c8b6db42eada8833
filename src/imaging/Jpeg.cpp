#include "imaging/Jpeg.h"

#include "base/Error.h"
#include "base/Paths.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace vivrelo {

namespace {

[[noreturn]] void jpegFailure()
{
    fail(QString::fromLatin1(kJpegWriteError));
}

// The library reports a fatal error by calling error_exit, which must not return. It
// jumps back to encode(); no C++ exception ever crosses the library's C frames.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onFatalError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void onMessage(j_common_ptr) { } // warnings are not printed on the terminal

// The encoded bytes go into a growing buffer of ours (malloc'd, since it is grown from
// inside the library's C code, where nothing may throw). Whatever happens, the buffer is
// ours to free.
struct Destination {
    jpeg_destination_mgr base;
    unsigned char *data = nullptr;
    std::size_t capacity = 0;
    std::size_t size = 0;
};

[[noreturn]] void outOfMemory(j_compress_ptr info)
{
    info->err->msg_code = JERR_OUT_OF_MEMORY;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    std::abort(); // error_exit never returns
}

void growTo(j_compress_ptr info, std::size_t capacity)
{
    auto *d = reinterpret_cast<Destination *>(info->dest);
    auto *grown = static_cast<unsigned char *>(std::realloc(d->data, capacity));
    if (!grown)
        outOfMemory(info);
    d->data = grown;
    d->base.next_output_byte = grown + d->capacity;
    d->base.free_in_buffer = capacity - d->capacity;
    d->capacity = capacity;
}

void startOutput(j_compress_ptr info)
{
    growTo(info, 1 << 16);
}

boolean moreOutput(j_compress_ptr info)
{
    // The library calls this when the buffer is full, without having moved the pointers.
    growTo(info, reinterpret_cast<Destination *>(info->dest)->capacity * 2);
    return TRUE;
}

void endOutput(j_compress_ptr info)
{
    auto *d = reinterpret_cast<Destination *>(info->dest);
    d->size = d->capacity - d->base.free_in_buffer;
}

// What encode() hands to the library and gets back; it lives in the caller's frame so
// that nothing encode() relies on after a jump is held in a register.
struct Job {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    Destination output{};
    std::vector<JSAMPROW> rows;
    int width = 0;
    int height = 0;
    int quality = 100;
};

bool encode(Job &job)
{
    job.info.err = jpeg_std_error(&job.errors.base);
    job.errors.base.error_exit = onFatalError;
    job.errors.base.output_message = onMessage;
    if (setjmp(job.errors.jump)) {
        jpeg_destroy_compress(&job.info);
        return false;
    }
    jpeg_create_compress(&job.info);
    job.output.base.init_destination = startOutput;
    job.output.base.empty_output_buffer = moreOutput;
    job.output.base.term_destination = endOutput;
    job.info.dest = &job.output.base;
    job.info.image_width = JDIMENSION(job.width);
    job.info.image_height = JDIMENSION(job.height);
    job.info.input_components = 3;
    job.info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&job.info);
    jpeg_set_colorspace(&job.info, JCS_YCbCr);
    jpeg_set_quality(&job.info, job.quality, TRUE); // baseline: 8-bit quantisation tables
    // Whoever asks for a high quality wants the picture as it is: halving the colour
    // resolution (4:2:0) blurs the sharp colour edges of labels and packaging, so from 90
    // up every component keeps full resolution (4:4:4). Below, the smaller file wins.
    const int sampling = job.quality >= 90 ? 1 : 2;
    job.info.comp_info[0].h_samp_factor = sampling;
    job.info.comp_info[0].v_samp_factor = sampling;
    for (int c = 1; c < 3; ++c) {
        job.info.comp_info[c].h_samp_factor = 1;
        job.info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&job.info, TRUE);
    while (job.info.next_scanline < job.info.image_height)
        jpeg_write_scanlines(
            &job.info, &job.rows[job.info.next_scanline], job.info.image_height - job.info.next_scanline);
    jpeg_finish_compress(&job.info);
    jpeg_destroy_compress(&job.info);
    return true;
}

} // namespace

QByteArray EncodeJpeg(const Bitmap &bitmap, int quality)
{
    if ((bitmap.bitsPerPixel != 8 && bitmap.bitsPerPixel != 24) || bitmap.width < 1 || bitmap.height < 1
        || bitmap.bits.size() < bitmap.stride() * std::size_t(bitmap.height))
        jpegFailure();
    Job job;
    job.width = bitmap.width;
    job.height = bitmap.height;
    job.quality = std::clamp(quality, 1, 100);
    job.rows.resize(std::size_t(bitmap.height));
    std::vector<std::uint8_t> expanded; // 8-bit pictures, as blue, green, red
    if (bitmap.bitsPerPixel == 24) {
        for (int y = 0; y < bitmap.height; ++y)
            job.rows[std::size_t(y)] = const_cast<JSAMPROW>(bitmap.row(y));
    } else {
        PaletteEntry colours[256];
        for (int i = 0; i < 256; ++i) {
            const auto level = std::uint8_t(i);
            colours[i] = bitmap.palette.empty()          ? PaletteEntry{level, level, level}
                : std::size_t(i) < bitmap.palette.size() ? bitmap.palette[std::size_t(i)]
                                                         : PaletteEntry{};
        }
        const std::size_t stride = std::size_t(bitmap.width) * 3;
        expanded.resize(stride * std::size_t(bitmap.height));
        for (int y = 0; y < bitmap.height; ++y) {
            const std::uint8_t *in = bitmap.row(y);
            std::uint8_t *out = expanded.data() + std::size_t(y) * stride;
            for (int x = 0; x < bitmap.width; ++x, out += 3) {
                const PaletteEntry &c = colours[in[x]];
                out[0] = c.blue;
                out[1] = c.green;
                out[2] = c.red;
            }
            job.rows[std::size_t(y)] = expanded.data() + std::size_t(y) * stride;
        }
    }
    const bool done = encode(job);
    QByteArray bytes;
    if (done)
        bytes = QByteArray(reinterpret_cast<const char *>(job.output.data), qsizetype(job.output.size));
    std::free(job.output.data);
    if (!done || bytes.isEmpty())
        jpegFailure();
    return bytes;
}

bool SaveBitmapAsJpeg(const Bitmap &bitmap, const QString &fileName, int quality)
{
    if (!WriteFileAtomically(fileName, EncodeJpeg(bitmap, quality)))
        jpegFailure();
    return true;
}

} // namespace vivrelo
