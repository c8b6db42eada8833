#include "imaging/PictureFitting.h"

#include "imaging/Bmp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vivrelo {

namespace {

// trunc(a / b × c) in extended precision.
int scaled(int a, int b, int c)
{
    return int(std::trunc(static_cast<long double>(a) / b * c));
}

} // namespace

QSize FittedSize(int boxWidth, int boxHeight, int sourceWidth, int sourceHeight)
{
    int w, h;
    if (sourceWidth <= boxWidth && sourceHeight <= boxHeight) {
        w = sourceWidth;
        h = sourceHeight;
    } else if (sourceWidth < sourceHeight) { // taller than wide: try filling the height
        const int ws = scaled(boxHeight, sourceHeight, sourceWidth);
        if (ws <= boxWidth) {
            w = ws;
            h = boxHeight;
        } else {
            w = boxWidth;
            h = scaled(boxWidth, sourceWidth, sourceHeight);
        }
    } else if (sourceHeight < sourceWidth) { // wider than tall: try filling the width
        const int hs = scaled(boxWidth, sourceWidth, sourceHeight);
        if (hs <= boxHeight) {
            w = boxWidth;
            h = hs;
        } else {
            w = scaled(boxHeight, sourceHeight, sourceWidth);
            h = boxHeight;
        }
    } else { // a square stays square, as large as the box's shorter side
        w = h = std::min(boxWidth, boxHeight);
    }
    // A very thin picture would otherwise lose its short side altogether.
    return QSize(std::max(w, 1), std::max(h, 1));
}

namespace {

// Where one target column (or row) falls in the source.
struct SourcePosition {
    long double f = 0; // the position, clamped into the picture
    int whole = 0; // trunc of the unclamped position, clamped
    int lower = 0; // floor(f)
    long double frac = 0; // f - lower
};

std::vector<SourcePosition> sourcePositions(int sourceSize, int targetSize)
{
    std::vector<SourcePosition> positions(static_cast<std::size_t>(targetSize));
    for (int i = 0; i < targetSize; ++i) {
        const long double p = static_cast<long double>(std::int64_t(sourceSize) * i) / targetSize - 0.5L;
        SourcePosition &s = positions[std::size_t(i)];
        s.f = std::clamp(p, 0.0L, static_cast<long double>(sourceSize - 1));
        s.whole = std::clamp(int(std::trunc(p)), 0, sourceSize - 1);
        s.lower = int(std::floor(s.f));
        s.frac = s.f - s.lower;
    }
    return positions;
}

// The weights are irrational, so a mean that is whole (equal neighbours, or the four
// equal weights of a block centre) comes out a hair below it and truncation would take
// a whole unit off: a plain colour would darken by one at every pass. A slack far above
// the rounding error of extended precision (about 1e-16 here) and far below any real
// fraction keeps whole means whole.
constexpr long double kRoundingSlack = 1e-9L;

} // namespace

void ResampleBitmap(Bitmap &bitmap, int width, int height)
{
    Bitmap target = MakeBitmap(width, height, 24);
    const Bitmap source = bitmap.bitsPerPixel == 24 ? std::move(bitmap) : To24Bit(bitmap);
    const std::vector<SourcePosition> columns = sourcePositions(source.width, width);
    const std::vector<SourcePosition> rows = sourcePositions(source.height, height);

    std::vector<const std::uint8_t *> from(std::size_t(source.height));
    for (int y = 0; y < source.height; ++y)
        from[std::size_t(y)] = source.row(y);

    for (int y = 0; y < height; ++y) {
        const SourcePosition &py = rows[std::size_t(y)];
        const long double dy = py.frac;
        std::uint8_t *out = target.row(y);
        for (int x = 0; x < width; ++x, out += 3) {
            const SourcePosition &px = columns[std::size_t(x)];
            const long double dx = px.frac;
            if (px.f == px.whole && py.f == py.whole) {
                std::memcpy(out, from[std::size_t(py.whole)] + 3 * px.whole, 3);
                continue;
            }
            const std::uint8_t *neighbours[4];
            long double weights[4];
            int count;
            const std::uint8_t *top = from[std::size_t(py.lower)] + 3 * px.lower;
            if (dx != 0 && dy != 0) {
                const std::uint8_t *bottom = from[std::size_t(py.lower) + 1] + 3 * px.lower;
                neighbours[0] = top;
                neighbours[1] = top + 3;
                neighbours[2] = bottom;
                neighbours[3] = bottom + 3;
                weights[0] = 1 / std::sqrt(dx * dx + dy * dy);
                weights[1] = 1 / std::sqrt((1 - dx) * (1 - dx) + dy * dy);
                weights[2] = 1 / std::sqrt(dx * dx + (1 - dy) * (1 - dy));
                weights[3] = 1 / std::sqrt((1 - dx) * (1 - dx) + (1 - dy) * (1 - dy));
                count = 4;
            } else if (dx != 0) {
                neighbours[0] = top;
                neighbours[1] = top + 3;
                weights[0] = 1 / dx;
                weights[1] = 1 / (1 - dx);
                count = 2;
            } else {
                neighbours[0] = top;
                neighbours[1] = from[std::size_t(py.lower) + 1] + 3 * px.lower;
                weights[0] = 1 / dy;
                weights[1] = 1 / (1 - dy);
                count = 2;
            }
            long double total = 0;
            for (int i = 0; i < count; ++i)
                total += weights[i];
            for (int c = 0; c < 3; ++c) {
                long double sum = 0;
                for (int i = 0; i < count; ++i)
                    sum += weights[i] * neighbours[i][c];
                out[c] = std::uint8_t(std::trunc(sum / total + kRoundingSlack));
            }
        }
    }
    bitmap = std::move(target);
}

Bitmap ResizePictureToBox(const QByteArray &picture, int boxWidth, int boxHeight, ProgressSink &progress)
{
    Bitmap bitmap = LoadBmp(picture);
    progress.pump();
    const QSize fitted = FittedSize(boxWidth, boxHeight, bitmap.width, bitmap.height);
    ResampleBitmap(bitmap, fitted.width(), fitted.height());
    return bitmap;
}

Bitmap PlaceOnWhiteCanvas(const Bitmap &picture, int width, int height)
{
    Bitmap canvas = MakeBitmap(width, height, 24);
    std::fill(canvas.bits.begin(), canvas.bits.end(), std::uint8_t(0xFF));
    const Bitmap source = To24Bit(picture);
    const int left = (width - source.width) / 2; // C++ division truncates toward zero
    const int top = (height - source.height) / 2;
    const int firstX = std::max(0, -left);
    const int lastX = std::min(source.width, width - left); // one past
    if (firstX >= lastX)
        return canvas;
    for (int y = std::max(0, -top); y < source.height && y + top < height; ++y)
        std::memcpy(canvas.row(y + top) + 3 * (left + firstX), source.row(y) + 3 * firstX,
            std::size_t(3) * std::size_t(lastX - firstX));
    return canvas;
}

} // namespace vivrelo
