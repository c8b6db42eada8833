// Draws the two default notebook textures of the program directory: a paper background and a
// linen cover. Both are 128 x 128 tiles that repeat without a visible seam, written as 24-bit
// BMP files.
#include <QColor>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int Size = 128;

// Reproducible pseudo-random numbers, so that every build draws the same pictures.
struct Random {
    explicit Random(std::uint32_t seed)
        : state(seed * 2654435761u + 0x9E3779B9u)
    {
        for (int i = 0; i < 8; ++i) // a small seed needs a few rounds to spread its bits
            next();
    }
    std::uint32_t state;
    double next() // in [0, 1)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return double(state) / 4294967296.0;
    }
};

// Smooth noise on a lattice of `cells` x `cells` points that wraps around the tile.
class TileNoise
{
public:
    TileNoise(int cells, std::uint32_t seed)
        : m_cells(cells)
        , m_values(size_t(cells * cells))
    {
        Random r(seed);
        for (double &v : m_values)
            v = r.next();
    }
    double at(double x, double y) const // x, y in tile pixels
    {
        const double fx = x * m_cells / Size, fy = y * m_cells / Size;
        const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
        const double tx = smooth(fx - x0), ty = smooth(fy - y0);
        const double a = lattice(x0, y0), b = lattice(x0 + 1, y0);
        const double c = lattice(x0, y0 + 1), d = lattice(x0 + 1, y0 + 1);
        return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    double lattice(int x, int y) const
    {
        x = ((x % m_cells) + m_cells) % m_cells;
        y = ((y % m_cells) + m_cells) % m_cells;
        return m_values[size_t(y * m_cells + x)];
    }
    int m_cells;
    std::vector<double> m_values;
};

// Several octaves of tile noise, in [0, 1].
double fractal(const std::vector<TileNoise> &octaves, double x, double y)
{
    double sum = 0, weight = 0, w = 1;
    for (const TileNoise &n : octaves) {
        sum += n.at(x, y) * w;
        weight += w;
        w *= 0.5;
    }
    return sum / weight;
}

QRgb shade(const QColor &base, double amount) // amount around 0: negative darkens
{
    auto channel = [amount](int c) {
        const double v = amount >= 0 ? c + (255 - c) * amount : c * (1 + amount);
        return std::clamp(int(std::lround(v)), 0, 255);
    };
    return qRgb(channel(base.red()), channel(base.green()), channel(base.blue()));
}

// Warm off-white paper: soft clouds of pulp with a few darker fibres.
QImage paper()
{
    const std::vector<TileNoise> clouds{{4, 11}, {8, 23}, {16, 37}, {32, 41}, {64, 53}};
    const TileNoise grain(128, 71);
    QImage image(Size, Size, QImage::Format_RGB888);
    const QColor base(238, 230, 212);
    std::vector<double> fibres(size_t(Size * Size), 0.0);
    Random r(97);
    for (int f = 0; f < 60; ++f) {
        double x = r.next() * Size, y = r.next() * Size;
        double angle = r.next() * 6.2832;
        const int length = 6 + int(r.next() * 14);
        for (int s = 0; s < length; ++s) {
            const int px = ((int(x) % Size) + Size) % Size, py = ((int(y) % Size) + Size) % Size;
            fibres[size_t(py * Size + px)] += 0.035;
            angle += (r.next() - 0.5) * 0.5;
            x += std::cos(angle);
            y += std::sin(angle);
        }
    }
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double cloud = fractal(clouds, x, y) - 0.5;
            const double g = grain.at(x, y) - 0.5;
            const double amount = cloud * 0.10 + g * 0.05 - fibres[size_t(y * Size + x)];
            image.setPixel(x, y, shade(base, amount));
        }
    return image;
}

// Deep blue bookcloth: a plain weave of threads of slightly uneven thickness and colour.
QImage linen()
{
    const std::vector<TileNoise> mottle{{4, 5}, {8, 13}, {16, 17}};
    const TileNoise warpSlub(32, 29), weftSlub(32, 31);
    QImage image(Size, Size, QImage::Format_RGB888);
    const QColor base(44, 62, 96);
    constexpr int Thread = 4; // pixels per thread: 32 threads across the tile
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const int column = x / Thread, row = y / Thread;
            const bool warpOnTop = (column + row) % 2 == 0;
            // Position across the visible thread, 0 at its middle and 1 at its edges.
            const double across = warpOnTop ? std::fabs((x % Thread) + 0.5 - Thread / 2.0) / (Thread / 2.0)
                                            : std::fabs((y % Thread) + 0.5 - Thread / 2.0) / (Thread / 2.0);
            const double slub = warpOnTop ? warpSlub.at(column * Thread, y) : weftSlub.at(x, row * Thread);
            double amount = 0.10 - across * across * 0.28; // round threads
            amount += (slub - 0.5) * 0.22; // uneven yarn
            amount += (fractal(mottle, x, y) - 0.5) * 0.18; // dyeing
            amount += warpOnTop ? 0.03 : -0.03; // warp catches the light
            image.setPixel(x, y, shade(base, amount));
        }
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (!image.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vivrelo-make-skins BACKGROUND.bmp COVER.bmp\n");
        return 2;
    }
    const bool ok = save(paper(), QString::fromLocal8Bit(argv[1])) && save(linen(), QString::fromLocal8Bit(argv[2]));
    return ok ? 0 : 1;
}
