// Picture routines on a 3000 × 2000 photograph-sized bitmap: resampling down to 600 × 400
// and at the same size, and JPEG writing at quality 100 set against libjpeg-turbo's own
// cjpeg on the same picture (the cjpeg runs are timed as whole processes, reading the BMP
// file and writing the JPEG file; ours starts from the bitmap in memory).

#include "BenchSupport.h"
#include "imaging/Bmp.h"
#include "imaging/Jpeg.h"
#include "imaging/PictureFitting.h"

#include <QProcess>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

using namespace vivrelo;
using namespace vivrelo::bench;

namespace {

constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

// Smooth gradients with a little noise, closer to a photograph than a flat colour.
const Bitmap &photo()
{
    static const Bitmap picture = [] {
        Bitmap b = MakeBitmap(kWidth, kHeight, 24);
        std::mt19937 random(1);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t *p = b.row(y);
            for (int x = 0; x < kWidth; ++x, p += 3) {
                const int noise = int(random() % 16);
                p[0] = std::uint8_t((x * 255 / kWidth + noise) & 0xFF);
                p[1] = std::uint8_t((y * 255 / kHeight + noise) & 0xFF);
                p[2] = std::uint8_t(((x + y) * 128 / (kWidth + kHeight) + noise) & 0xFF);
            }
        }
        return b;
    }();
    return picture;
}

void resample(benchmark::State &state, int width, int height)
{
    for (auto _ : state) {
        state.PauseTiming();
        Bitmap b = photo();
        state.ResumeTiming();
        ResampleBitmap(b, width, height);
        benchmark::DoNotOptimize(b.bits.data());
    }
    const double iterations = double(state.iterations());
    state.counters["source_MPix/s"] =
        benchmark::Counter(iterations * kWidth * kHeight / 1e6, benchmark::Counter::kIsRate);
    state.counters["target_MPix/s"] =
        benchmark::Counter(iterations * width * height / 1e6, benchmark::Counter::kIsRate);
}

void BM_ResampleTo600x400(benchmark::State &state)
{
    resample(state, 600, 400);
}
void BM_ResampleSameSize(benchmark::State &state)
{
    resample(state, kWidth, kHeight);
}

void BM_SaveBitmapAsJpeg(benchmark::State &state)
{
    const QString target = ScratchFolder().filePath(QStringLiteral("ours.jpg"));
    for (auto _ : state)
        SaveBitmapAsJpeg(photo(), target, 100);
    state.counters["MPix/s"] =
        benchmark::Counter(double(state.iterations()) * kWidth * kHeight / 1e6, benchmark::Counter::kIsRate);
}

void cjpeg(benchmark::State &state, const QStringList &options)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("cjpeg"));
    if (program.isEmpty()) {
        state.SkipWithError("cjpeg is not installed");
        return;
    }
    const QString source = ScratchFolder().filePath(QStringLiteral("photo.bmp"));
    SaveBmpFile(photo(), source);
    const QString target = ScratchFolder().filePath(QStringLiteral("cjpeg.jpg"));
    for (auto _ : state) {
        const int code = QProcess::execute(program, options + QStringList{QStringLiteral("-outfile"), target, source});
        if (code != 0) {
            state.SkipWithError("cjpeg failed");
            return;
        }
    }
    state.counters["MPix/s"] =
        benchmark::Counter(double(state.iterations()) * kWidth * kHeight / 1e6, benchmark::Counter::kIsRate);
}

void BM_CjpegQuality100(benchmark::State &state)
{
    cjpeg(state, {QStringLiteral("-quality"), QStringLiteral("100")});
}
// cjpeg subsamples the colour by default; this run matches the 4:4:4 we write at 100.
void BM_CjpegQuality100Sample1x1(benchmark::State &state)
{
    cjpeg(state, {QStringLiteral("-quality"), QStringLiteral("100"), QStringLiteral("-sample"), QStringLiteral("1x1")});
}

BENCHMARK(BM_ResampleTo600x400)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResampleSameSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveBitmapAsJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CjpegQuality100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CjpegQuality100Sample1x1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Wall time per picture, ours against cjpeg's.
    const auto *ours = reporter.find("BM_SaveBitmapAsJpeg/real_time");
    for (const char *name : {"BM_CjpegQuality100/real_time", "BM_CjpegQuality100Sample1x1/real_time"}) {
        const auto *theirs = reporter.find(name);
        if (ours && theirs)
            std::printf("SaveBitmapAsJpeg / %s: %.2f\n", name, ours->real / theirs->real);
    }
    benchmark::Shutdown();
    return 0;
}
