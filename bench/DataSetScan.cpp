// Opening the catalogue as the main window's grid does and visiting every row, against a bare
// engine loop over the same query on the same file.

#include "BenchSupport.h"
#include "db/Connection.h"
#include "db/DataSet.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>

using namespace vivrelo;
using namespace vivrelo::bench;

namespace {

const char *CatalogueSchema = R"(
CREATE TABLE ITEMS (Id INTEGER PRIMARY KEY AUTOINCREMENT, Id_File SMALLINT, Sel YESNO DEFAULT 0,
  Quantity INTEGER DEFAULT 0, Title TEXT(128) COLLATE NOCASE, Mark TEXT(128) COLLATE NOCASE,
  Reference TEXT(128) COLLATE NOCASE, Stock_Min INTEGER, Stock_Max INTEGER, Stock INTEGER,
  Price01 DOUBLE, Price02 DOUBLE, Price03 DOUBLE, Comment1 TEXT(128) COLLATE NOCASE,
  Custom00144243 TEXT(128) COLLATE NOCASE,
  Misc01 TEXT(128) COLLATE NOCASE, Misc02 TEXT(128) COLLATE NOCASE, Misc03 TEXT(128) COLLATE NOCASE,
  Misc04 TEXT(128) COLLATE NOCASE, Misc05 TEXT(128) COLLATE NOCASE, Misc06 TEXT(128) COLLATE NOCASE,
  Misc07 TEXT(128) COLLATE NOCASE, Misc08 TEXT(128) COLLATE NOCASE, Misc09 TEXT(128) COLLATE NOCASE,
  Misc10 TEXT(128) COLLATE NOCASE, Misc11 LONGTEXT COLLATE NOCASE, Misc12 LONGTEXT COLLATE NOCASE,
  Img1 BLOB, Img2 BLOB, Img3 BLOB, Img4 BLOB, ImgMini1 BLOB, ImgMini2 BLOB, ImgMini3 BLOB, ImgMini4 BLOB);
)";

const char *Words[] = {"Lait", "Beurre", "Éponge", "Café", "Crème", "Pâtes", "Riz", "Thé", "Sucre", "Farine", "Œufs",
    "Jambon", "Pommes", "Poires", "Épinards", "Yaourt", "Pain", "Savon", "Dentifrice", "Gâteaux", "moutarde", "huile",
    "vinaigre", "sel"};
const char *Marks[] = {"", "Bonne Maman", "Lustucru", "Président", "Carrefour", "Élle & Vire"};

struct Catalogue {
    QTemporaryDir dir;
    QString path;
};

// One catalogue file per size, built on first use and kept for the run.
Catalogue &catalogue(int products)
{
    static std::map<int, std::unique_ptr<Catalogue>> made;
    auto &slot = made[products];
    if (slot)
        return *slot;
    slot = std::make_unique<Catalogue>();
    slot->path = slot->dir.filePath(QStringLiteral("items.db"));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(slot->path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db, CatalogueSchema, nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
        "INSERT INTO ITEMS (Id_File, Sel, Quantity, Title, Mark, Reference, Stock_Min, "
        "Stock_Max, Stock, Price01, Price02, Price03, Comment1, Custom00144243, Misc01, "
        "Misc11, Img1) VALUES (-1,?,?,?,?,?,1,5,?,?,?,?,'','',?,?,?)",
        -1, &st, nullptr);
    QRandomGenerator rng(products);
    QByteArray picture(50 * 1024, '\0');
    for (int i = 0; i < products; ++i) {
        const QByteArray title =
            QByteArray(Words[rng.bounded(24)]) + ' ' + Words[rng.bounded(24)] + ' ' + QByteArray::number(i);
        const bool sel = rng.bounded(20) == 0;
        sqlite3_bind_int(st, 1, sel ? 1 : 0);
        sqlite3_bind_int(st, 2, sel ? int(rng.bounded(1, 6)) : 0);
        sqlite3_bind_text(st, 3, title.constData(), int(title.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, Marks[rng.bounded(6)], -1, SQLITE_STATIC);
        const QByteArray ref = "REF-" + QByteArray::number(100000 + i);
        sqlite3_bind_text(st, 5, ref.constData(), int(ref.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 6, int(rng.bounded(10)));
        sqlite3_bind_double(st, 7, rng.bounded(1000) / 100.0);
        sqlite3_bind_double(st, 8, rng.bounded(1000) / 100.0);
        sqlite3_bind_double(st, 9, rng.bounded(1000) / 100.0);
        sqlite3_bind_text(st, 10, i % 3 ? "" : "rayon frais", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 11, i % 7 ? "" : "acheter en promotion", -1, SQLITE_STATIC);
        if (i % 10 == 0) {
            for (qsizetype k = 0; k < picture.size(); k += 4)
                *reinterpret_cast<quint32 *>(picture.data() + k) = rng.generate();
            sqlite3_bind_blob(st, 12, picture.constData(), int(picture.size()), SQLITE_STATIC);
        } else {
            sqlite3_bind_null(st, 12);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return *slot;
}

const char *Queries[] = {
    "SELECT * FROM ITEMS",
    "SELECT * FROM ITEMS\nWHERE ID_FILE=-1",
    "SELECT * FROM ITEMS\nWHERE ID_FILE=-1\nORDER BY TITLE",
};

void BM_DataSet(benchmark::State &state)
{
    Catalogue &cat = catalogue(int(state.range(0)));
    Connection conn;
    conn.open(cat.path);
    DataSet ds(&conn);
    ds.setSqlText(QString::fromUtf8(Queries[state.range(1)]));
    qint64 total = 0;
    for (auto _ : state) {
        ds.close();
        ds.open();
        const Field sel = ds.field(QStringLiteral("Sel"));
        const Field title = ds.field(QStringLiteral("Title"));
        const Field quantity = ds.field(QStringLiteral("Quantity"));
        for (; !ds.eof(); ds.next()) {
            total += sel.asBool() + quantity.asInteger() + title.asString().size();
        }
    }
    benchmark::DoNotOptimize(total);
    state.counters["peak_rss_MB"] = double(PeakRssKb()) / 1024.0;
}

void BM_Bare(benchmark::State &state)
{
    Catalogue &cat = catalogue(int(state.range(0)));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(cat.path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    RegisterNoCaseCollation(db);
    qint64 total = 0;
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, Queries[state.range(1)], -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString title = QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(st, 4)), sqlite3_column_bytes(st, 4));
            total += (sqlite3_column_int(st, 2) != 0) + sqlite3_column_int(st, 3) + title.size();
        }
        sqlite3_finalize(st);
    }
    benchmark::DoNotOptimize(total);
    sqlite3_close(db);
    state.counters["peak_rss_MB"] = double(PeakRssKb()) / 1024.0;
}

void Sizes(benchmark::internal::Benchmark *b)
{
    for (int n : {10000, 100000})
        for (int q = 0; q < 3; ++q)
            b->Args({n, q});
    b->Unit(benchmark::kMillisecond)->MinTime(0.5);
}

BENCHMARK(BM_Bare)->Apply(Sizes);
BENCHMARK(BM_DataSet)->Apply(Sizes);

} // namespace

// Arguments: products, query (0: whole table, 1: with the WHERE line, 2: with WHERE and ORDER BY).
// Prints the ratio of each dataset run to the bare loop of the same arguments.
int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto dataSet = reporter.family("BM_DataSet");
    for (const auto &[args, bare] : reporter.family("BM_Bare")) {
        const auto it = dataSet.find(args);
        if (it != dataSet.end())
            std::printf("ratio dataset/bare %-30s %.2f\n", args.c_str(), it->second.real / bare.real);
    }
    std::printf("peak RSS %.1f MB\n", double(PeakRssKb()) / 1024.0);
    benchmark::Shutdown();
    return 0;
}
