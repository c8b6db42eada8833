// Backup archive speed and memory: a 100 MB database and 1,000 JPEG-like pictures of 50 KB,
// written and read back by the archive layer, against gcab -c -z and cabextract on the same
// files in the same run. Peak memory is the process's resident high-water mark, reset before
// each run (children: their own high-water mark).

#include "app/Progress.h"
#include "maintenance/Cabinet.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

using namespace vivrelo;

namespace {

constexpr qint64 DatabaseBytes = 100LL * 1024 * 1024;
constexpr int Pictures = 1000;
constexpr int PictureBytes = 50 * 1024;

struct Corpus {
    QTemporaryDir tmp;
    QString dir() const { return tmp.path() + QStringLiteral("/"); }
    QString files() const { return dir() + QStringLiteral("files/"); }
    QString ours() const { return dir() + QStringLiteral("ours.cab"); }
    QString theirs() const { return dir() + QStringLiteral("gcab.cab"); }
    std::vector<CabinetSource> entries;
    qint64 totalBytes = 0;

    Corpus()
    {
        QDir().mkpath(files());
        QRandomGenerator gen(42);
        // Database pages: rows of text with a share of random bytes, compressing about as a
        // real catalogue does (roughly 3:1).
        QFile db(files() + QStringLiteral("VIVRELO.MDB"));
        db.open(QIODevice::WriteOnly);
        QByteArray page(4096, '\0');
        for (qint64 written = 0; written < DatabaseBytes; written += page.size()) {
            for (int i = 0; i < page.size(); i += 64) {
                const QByteArray row = QByteArray("Produit ") + QByteArray::number(gen.bounded(100000)) +
                                       " Marque " + QByteArray::number(gen.bounded(300)) + " 12.50 ";
                memcpy(page.data() + i, row.constData(), std::min<qsizetype>(row.size(), 48));
                for (int j = 48; j < 64; ++j)
                    page[i + j] = char(gen.generate());
            }
            db.write(page);
        }
        db.close();
        entries.push_back({QStringLiteral("VIVRELO.MDB"), db.fileName()});
        // Pictures: a JPEG start and random bytes, as incompressible as real photographs.
        QByteArray pic(PictureBytes, '\0');
        for (int n = 0; n < Pictures; ++n) {
            for (char &c : pic)
                c = char(gen.generate());
            pic[0] = char(0xff), pic[1] = char(0xd8), pic[2] = char(0xff), pic[3] = char(0xe0);
            const QString name = QStringLiteral("produit_%1.jpg").arg(n, 4, 10, QLatin1Char('0'));
            QFile f(files() + name);
            f.open(QIODevice::WriteOnly);
            f.write(pic);
            entries.push_back({name, f.fileName()});
        }
        totalBytes = DatabaseBytes + qint64(Pictures) * PictureBytes;
    }
};

Corpus &corpus()
{
    static Corpus c;
    return c;
}

// Resets and reads the resident-set high-water mark of this process (kB).
void resetPeak()
{
    if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}
long peakKb()
{
    long kb = 0;
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld", &kb) == 1)
                break;
        std::fclose(f);
    }
    return kb;
}

// Runs a tool to its end and returns its peak resident set (kB), from wait4's accounting.
long runTool(const QString &program, const QStringList &args, const QString &workDir)
{
    std::vector<QByteArray> storage{program.toLocal8Bit()};
    for (const QString &a : args)
        storage.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &b : storage)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const QByteArray dir = QFile::encodeName(workDir);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.constData()) != 0)
            _exit(127);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
    return usage.ru_maxrss;
}

std::map<std::string, double> seconds;

void report(benchmark::State &state, const char *key, double elapsed, long peak)
{
    seconds[key] = elapsed;
    state.SetIterationTime(elapsed);
    state.counters["MB/s"] = double(corpus().totalBytes) / 1e6 / elapsed;
    state.counters["peak_MiB"] = double(peak) / 1024.0;
}

void BM_WriteOurs(benchmark::State &state)
{
    Corpus &c = corpus();
    for (auto _ : state) {
        QFile::remove(c.ours());
        resetPeak();
        QElapsedTimer t;
        t.start();
        WriteCabinet(c.ours(), c.entries, noProgress());
        const double s = t.nsecsElapsed() / 1e9;
        report(state, "write ours", s, peakKb());
    }
    state.counters["archive_MB"] = double(QFileInfo(c.ours()).size()) / 1e6;
}

void BM_WriteGcab(benchmark::State &state)
{
    Corpus &c = corpus();
    QStringList args{QStringLiteral("-c"), QStringLiteral("-z"), c.theirs()};
    for (const CabinetSource &e : c.entries)
        args << e.name;
    for (auto _ : state) {
        QFile::remove(c.theirs());
        QElapsedTimer t;
        t.start();
        const long peak = runTool(QStringLiteral("gcab"), args, c.files());
        report(state, "write gcab", t.nsecsElapsed() / 1e9, peak);
    }
    state.counters["archive_MB"] = double(QFileInfo(c.theirs()).size()) / 1e6;
}

void BM_ExtractOurs(benchmark::State &state)
{
    Corpus &c = corpus();
    for (auto _ : state) {
        QDir(c.dir() + QStringLiteral("x-ours")).removeRecursively();
        QDir().mkpath(c.dir() + QStringLiteral("x-ours"));
        resetPeak();
        QElapsedTimer t;
        t.start();
        ExtractCabinet(c.ours(), c.dir() + QStringLiteral("x-ours"));
        report(state, "extract ours", t.nsecsElapsed() / 1e9, peakKb());
    }
}

void BM_ExtractCabextract(benchmark::State &state)
{
    Corpus &c = corpus();
    for (auto _ : state) {
        const QString target = c.dir() + QStringLiteral("x-cabextract");
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        QElapsedTimer t;
        t.start();
        const long peak = runTool(QStringLiteral("cabextract"), {QStringLiteral("-q"), QStringLiteral("-d"), target, c.ours()}, c.dir());
        report(state, "extract cabextract", t.nsecsElapsed() / 1e9, peak);
    }
}

BENCHMARK(BM_WriteOurs)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteGcab)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractOurs)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractCabextract)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto ratio = [](const char *a, const char *b) {
        if (seconds.count(a) && seconds.count(b))
            std::printf("%-18s / %-18s = %.2f\n", a, b, seconds[a] / seconds[b]);
    };
    ratio("write ours", "write gcab");
    ratio("extract ours", "extract cabextract");
    return 0;
}
