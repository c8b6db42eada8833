// Backup archive speed and memory: a 100 MB database and 1,000 JPEG-like pictures of 50 KB,
// written and read back by the archive layer and by the whole backup and restore, against
// gcab -c -z and cabextract on the same files in the same run. Peak memory is the process's resident high-water mark,
// reset before each run (children: their own high-water mark).

#include "BenchSupport.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/Connection.h"
#include "maintenance/Cabinet.h"
#include "maintenance/Maintenance.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

using namespace vivrelo;

namespace {

constexpr qint64 DatabaseBytes = 100LL * 1024 * 1024;
constexpr int Pictures = 1000;
constexpr int PictureBytes = 50 * 1024;

// A data directory as the program keeps it: Data/Access/VIVRELO.MDB and Data/Images/.
struct Corpus {
    QTemporaryDir tmp;
    QString dir() const { return tmp.path() + QStringLiteral("/"); }
    MaintenancePlaces places() const
    {
        return {dir() + QStringLiteral("data/"), dir() + QStringLiteral("data/Data/"),
            dir() + QStringLiteral("data/Data/Access/VIVRELO.MDB")};
    }
    QString files() const { return places().databaseDir + QStringLiteral("Images/"); }
    QString ours() const { return dir() + QStringLiteral("ours.cab"); }
    QString theirs() const { return dir() + QStringLiteral("gcab.cab"); }
    std::vector<CabinetSource> entries;
    qint64 totalBytes = 0;

    Corpus()
    {
        const QString db = DatabaseFilePath(places());
        QDir().mkpath(files());
        QDir().mkpath(QFileInfo(db).path());
        QDir().mkpath(BackupDir(places()));
        bench::CopyTemplateDatabase(db);
        // Catalogue rows with text that compresses about as real product rows do.
        Connection c;
        c.open(db);
        for (int batch = 0; QFileInfo(db).size() < DatabaseBytes; ++batch)
            c.exec(
                QStringLiteral("BEGIN;\n"
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)\n"
                               "INSERT INTO ITEMS (Id_File, Title, Mark, Reference, Comment1, Misc01, Stock, Price01)\n"
                               "SELECT -1, 'Produit ' || i, 'Marque ' || (i % 300), 'REF-%1-' || i,\n"
                               "hex(randomblob(120)), 'Rayon ' || (i % 40) || ' allée ' || (i % 12),\n"
                               "i % 9, (i % 1000) / 10.0 FROM n;\n"
                               "COMMIT;")
                    .arg(batch));
        c.close();
        entries.push_back({QStringLiteral("VIVRELO.MDB"), db});
        totalBytes = QFileInfo(db).size();
        // Pictures: a JPEG start and random bytes, as incompressible as real photographs.
        QRandomGenerator gen(42);
        QByteArray pic(PictureBytes, '\0');
        for (int n = 0; n < Pictures; ++n) {
            for (char &ch : pic)
                ch = char(gen.generate());
            pic[0] = char(0xff), pic[1] = char(0xd8), pic[2] = char(0xff), pic[3] = char(0xe0);
            const QString name = QStringLiteral("produit_%1.jpg").arg(n, 4, 10, QLatin1Char('0'));
            QFile f(files() + name);
            f.open(QIODevice::WriteOnly);
            f.write(pic);
            entries.push_back({name, f.fileName()});
            totalBytes += PictureBytes;
        }
    }
};

// The main window's part: a connection closed and reopened around each operation.
struct BenchHost : MaintenanceHost {
    QString db;
    Connection connection;
    void releaseDatabase() override { connection.close(); }
    void reopenDatabase() override { connection.open(db); }
    void addHistoryRow(const QString &description, const QString &path) override
    {
        connection.open(db);
        connection.exec(QStringLiteral("INSERT INTO BACKUP (Description, Path) VALUES (?, ?)"), {description, path});
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
    struct rusage usage { };
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
    QStringList args{QStringLiteral("-c"), QStringLiteral("-z"), QStringLiteral("-n"), c.theirs()};
    for (const CabinetSource &e : c.entries)
        args << e.path;
    for (auto _ : state) {
        QFile::remove(c.theirs());
        QElapsedTimer t;
        t.start();
        const long peak = runTool(QStringLiteral("gcab"), args, c.dir());
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
        const long peak = runTool(
            QStringLiteral("cabextract"), {QStringLiteral("-q"), QStringLiteral("-d"), target, c.ours()}, c.dir());
        report(state, "extract cabextract", t.nsecsElapsed() / 1e9, peak);
    }
}

// The whole backup (history row, compaction in place, archive, placement) and the whole
// restore (extraction, database check, safety copies, placement) of the same data.
template <typename Operation>
void timeOperation(benchmark::State &state, const char *key, Operation operation)
{
    Corpus &c = corpus();
    BenchHost host;
    host.db = DatabaseFilePath(c.places());
    ScriptedPrompter prompter;
    MaintenanceContext ctx{host, prompter, noProgress(), c.places()};
    const QString archive = BackupDir(c.places()) + QStringLiteral("bench.bkp");
    for (auto _ : state) {
        resetPeak();
        QElapsedTimer t;
        t.start();
        operation(ctx, archive);
        report(state, key, t.nsecsElapsed() / 1e9, peakKb());
    }
    state.counters["archive_MB"] = double(QFileInfo(archive).size()) / 1e6;
}

void BM_BackupDatabase(benchmark::State &state)
{
    timeOperation(state, "backup", [](MaintenanceContext &ctx, const QString &archive) {
        BackupDatabase(ctx, archive, QStringLiteral("Sauvagarde de la base de données"));
    });
}

void BM_RestoreDatabase(benchmark::State &state)
{
    timeOperation(
        state, "restore", [](MaintenanceContext &ctx, const QString &archive) { RestoreDatabase(ctx, archive); });
}

BENCHMARK(BM_WriteOurs)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteGcab)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractOurs)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractCabextract)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackupDatabase)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreDatabase)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

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
    ratio("backup", "write gcab");
    ratio("restore", "extract cabextract");
    return 0;
}
