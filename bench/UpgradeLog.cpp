// The upgrade log as it grows: one line appended to an empty log against one appended to a log
// of 9,999 lines; and a picture command over 2,000 pictures (one log line per picture) with no
// log against the same command with a log of 5 MB already written. Each command run starts
// from a fresh copy of the prepared database (not timed).

#include "BenchSupport.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/Connection.h"
#include "db/Upgrade.h"
#include "imaging/Bmp.h"

#include <QFile>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace vivrelo;
using namespace vivrelo::bench;

namespace {

constexpr int kPictures = 2000;

QString logPath()
{
    return UpgradeDataDir() + QStringLiteral("Maj.Log");
}

// A log of `lines` lines as the interpreter writes them.
void writeLog(int lines, qint64 atLeastBytes = 0)
{
    QFile f(logPath());
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    const QByteArray line = "05/03/2008-14:07:33 : SQL:ALTER TABLE ITEMS ADD COLUMN Quantity INTEGER (Ok)\r\n";
    for (int i = 0; i < lines || f.size() < atLeastBytes; ++i)
        f.write(line);
}

void prepare()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    UseUpgradeDataDir();
    CopyTemplateDatabase(PreparedDatabasePath());
    Bitmap picture = MakeBitmap(64, 48, 24);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64 * 3; ++x)
            picture.row(y)[x] = std::uint8_t((x * 7 + y) & 0xFF);
    const QByteArray bmp = SaveBmp(picture);
    Connection db;
    db.open(PreparedDatabasePath());
    db.exec(QStringLiteral("BEGIN"));
    for (int i = 0; i < kPictures; ++i)
        db.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Img1) VALUES (-1, ?, ?)"),
            {QStringLiteral("Produit %1").arg(i), bmp});
    db.exec(QStringLiteral("COMMIT"));
    QFile script(UpgradeDataDir() + QStringLiteral("Resize.txt"));
    script.open(QIODevice::WriteOnly);
    script.write("ResizeBitmapInDataBase('ITEMS','Img1','32','32')\r\n");
}

// Argument: lines already in the log.
void BM_AppendLogLine(benchmark::State &state)
{
    prepare();
    const int before = int(state.range(0));
    writeLog(before);
    for (auto _ : state) {
        if (before == 0) {
            state.PauseTiming();
            QFile::remove(logPath());
            state.ResumeTiming();
        }
        AppendLogLine(logPath(), QStringLiteral("SQL:ALTER TABLE ITEMS ADD COLUMN Quantity INTEGER (Ok)"));
    }
}

// Argument: megabytes already in the log.
void BM_ResizeTwoThousandPictures(benchmark::State &state)
{
    prepare();
    Connection connection;
    ScriptedPrompter prompter(Answer::No);
    TimeOnFreshCopies(
        state, connection, [&] { writeLog(0, state.range(0) * 1024 * 1024); },
        [&] {
            RunUpgradeScript(
                connection, UpgradeDataDir(), QStringLiteral("Resize.txt"), false, prompter, nullptr, noProgress());
        });
    const qint64 bytes =
        connection.scalar(QStringLiteral("SELECT length(Img1) FROM ITEMS WHERE Img1 IS NOT NULL LIMIT 1")).toLongLong();
    if (bytes != 32 * 24 * 3 + 54)
        state.SkipWithError("the pictures were not resized");
}

} // namespace

BENCHMARK(BM_AppendLogLine)->Arg(0)->Arg(1)->Arg(9999)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResizeTwoThousandPictures)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
