// The list query's sort by title with our French comparison against the same query on the same
// file through a bare engine handle, whose NOCASE is the engine's own (ASCII case folding), on
// 10,000 and 100,000 products: titles in plain ASCII, and French titles with accents and
// ligatures. Every run also checks that our order holds: no two neighbours out of order.

#include "BenchSupport.h"
#include "db/Connection.h"
#include "lists/ListFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace vivrelo;
using namespace vivrelo::bench;

namespace {

const char *const Words[] = {"Lait", "Beurre", "Éponge", "Café", "crème", "Crème", "Pâtes", "Riz", "Thé", "Sucre",
    "Farine", "Œufs", "Jambon", "Pommes", "Poires", "Épinards", "Yaourt", "Pain", "Savon", "Dentifrice", "Gâteaux",
    "moutarde", "huile", "vinaigre", "sel", "Épices", "éclair", "Eclair", "Cœur", "Bœuf"};

// Argument 0: products; argument 1: 0 for ASCII titles, 1 for French ones.
QString catalogue(int products, bool french)
{
    return ScratchCatalogue(QStringLiteral("c%1_%2.db").arg(products).arg(int(french)), [&](Connection &db) {
        QRandomGenerator rng(7);
        for (int i = 0; i < products; ++i) {
            const QString title = french ? QString::fromUtf8(Words[rng.bounded(30)]) + u' '
                    + QString::fromUtf8(Words[rng.bounded(30)]) + u' ' + QString::number(rng.bounded(1000))
                                         : QStringLiteral("Produit %1").arg((i * 7919) % 100003);
            db.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Sel, Quantity, Title, Mark, Price01, Price02, Price03) "
                                   "VALUES (-1, ?, 1, ?, 'Marque', 1.25, 2.5, 3.75)"),
                {i % 10 == 0, title});
        }
    });
}

// The query visited to its end, titles read.
int scan(sqlite3 *db, bool checkOrder)
{
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, ListQuerySql.toUtf8().constData(), -1, &st, nullptr);
    QByteArray previous;
    int outOfOrder = 0;
    qint64 bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const char *title = reinterpret_cast<const char *>(sqlite3_column_text(st, 3));
        const int length = sqlite3_column_bytes(st, 3);
        bytes += length;
        if (checkOrder) {
            if (!previous.isNull() && CompareNoCase(QString::fromUtf8(previous), QString::fromUtf8(title, length)) > 0)
                ++outOfOrder;
            previous = QByteArray(title, length);
        }
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(bytes);
    return outOfOrder;
}

void BuiltInNoCase(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(
        catalogue(int(state.range(0)), state.range(1) != 0).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state)
        scan(db, false);
    sqlite3_close(db);
}

void OurNoCase(benchmark::State &state)
{
    Connection db;
    db.open(catalogue(int(state.range(0)), state.range(1) != 0));
    for (auto _ : state)
        scan(db.handle(), false);
    state.counters["out_of_order"] = scan(db.handle(), true);
}

} // namespace

BENCHMARK(BuiltInNoCase)->ArgsProduct({{10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(OurNoCase)->ArgsProduct({{10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    for (int n : {10000, 100000})
        for (bool f : {false, true})
            catalogue(n, f);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Ratio of each run of ours to the engine's on the same arguments, in processor time.
    const auto ours = reporter.family("OurNoCase");
    for (const auto &[args, builtIn] : reporter.family("BuiltInNoCase")) {
        const auto it = ours.find(args);
        if (it != ours.end())
            std::printf("ratio ours/engine %-16s %.2f\n", args.c_str(), it->second.cpu / builtIn.cpu);
    }
    benchmark::Shutdown();
    return 0;
}
