// An upgrade at start on a catalogue of 10,000 products: the shipped script on a database that
// lacks the quantity column and the history and object store tables, then a script that fits
// 1,000 pictures of 640 × 480 (24-bit BMP) into a 200 × 200 box. Each run starts from a fresh
// copy of the prepared database (not timed). Run with --benchmark_min_time=1x: one pass is
// several seconds.

#include "db/Upgrade.h"
#include "BenchSupport.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/Connection.h"
#include "imaging/Bmp.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

using namespace vivrelo;
using namespace vivrelo::bench;

namespace {

constexpr int kProducts = 10000;
constexpr int kPictures = 1000;

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, error);
        std::abort();
    }
}

// The template with the 1.50 shape for the columns and tables the script adds, 10,000
// products and 1,000 pictures.
void prepare()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    CopyTemplateDatabase(PreparedDatabasePath());
    sqlite3 *db = nullptr;
    sqlite3_open(PreparedDatabasePath().toUtf8().constData(), &db);
    exec(db,
        "DROP INDEX ITEMS_List; DROP INDEX IF EXISTS ITEMS_Sel; ALTER TABLE ITEMS DROP COLUMN Quantity;"
        "DROP TABLE BACKUP; DROP TABLE OBJECT_CLASS; DROP TABLE OBJECT_ATTRIBUTE; DROP TABLE OBJECT_VAL_OLE;"
        "UPDATE OBJECT_VAL_STR SET VALUE = '1.50'; BEGIN");
    Bitmap picture = MakeBitmap(640, 480, 24);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640 * 3; ++x)
            picture.row(y)[x] = std::uint8_t((x + y) & 0xFF);
    const QByteArray bmp = SaveBmp(picture);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
        "INSERT INTO ITEMS (Id_File, Sel, Title, Mark, Stock, Price01, Img1) VALUES (-1, ?, ?, 'M', 1, 2.5, ?)", -1,
        &insert, nullptr);
    for (int i = 0; i < kProducts; ++i) {
        const QByteArray title = QByteArray("Produit ") + QByteArray::number(i);
        sqlite3_bind_int(insert, 1, i % 7 == 0);
        sqlite3_bind_text(insert, 2, title.constData(), int(title.size()), SQLITE_TRANSIENT);
        if (i % (kProducts / kPictures) == 0)
            sqlite3_bind_blob(insert, 3, bmp.constData(), int(bmp.size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(insert, 3);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
    sqlite3_close(db);

    UseUpgradeDataDir();
    QFile script(UpgradeDataDir() + QStringLiteral("Resize.txt"));
    script.open(QIODevice::WriteOnly);
    script.write("ResizeBitmapInDataBase('ITEMS','Img1','200','200')\r\n");
}

// Each run starts without the log of the previous one.
void removeLog()
{
    QFile::remove(UpgradeDataDir() + QStringLiteral("Maj.Log"));
}

void BM_UpgradeTenThousandProducts(benchmark::State &state)
{
    prepare();
    Connection connection;
    ScriptedPrompter prompter(Answer::No);
    // The start's schema step: fetches BD_183.maj, runs it, stamps 1.83.
    TimeOnFreshCopies(state, connection, removeLog,
        [&] { UpgradeDatabaseSchema(connection, DbConfig(), prompter, nullptr, noProgress()); });
    if (GetBDVersion(connection, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE")) != QLatin1String("1.83"))
        state.SkipWithError("the database was not upgraded");
}

void BM_ResizeThousandPictures(benchmark::State &state)
{
    prepare();
    Connection connection;
    ScriptedPrompter prompter(Answer::No);
    TimeOnFreshCopies(state, connection, removeLog, [&] {
        RunUpgradeScript(
            connection, UpgradeDataDir(), QStringLiteral("Resize.txt"), false, prompter, nullptr, noProgress());
    });
    const qint64 bytes =
        connection.scalar(QStringLiteral("SELECT length(Img1) FROM ITEMS WHERE Img1 IS NOT NULL LIMIT 1")).toLongLong();
    if (bytes != 200 * 150 * 3 + 54)
        state.SkipWithError("the pictures were not resized");
    state.counters["pictures/s"] =
        benchmark::Counter(double(kPictures) * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_UpgradeTenThousandProducts)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ResizeThousandPictures)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
