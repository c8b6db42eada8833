// The list of the evening rebuilt from the database (the list query read through the data
// module, then the display lines, totals and markers) on catalogues of 1,000, 10,000 and
// 100,000 products with a tenth ticked, against a bare engine scan of the same query; and the
// main window's start on 10,000 products against a bare window. Runs offscreen.
#include "BenchSupport.h"
#include "app/Settings.h"
#include "base/AppValues.h"
#include "db/Connection.h"
#include "db/ObjectStore.h"
#include "lists/DataModule.h"
#include "lists/ListFile.h"
#include "lists/ShoppingList.h"
#include "lists/gui/TMainForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>

using namespace vivrelo;
using namespace vivrelo::bench;

namespace {

// A copy of the template database holding `products` products, every tenth ticked.
QString Catalogue(int products)
{
    return ScratchCatalogue(QStringLiteral("catalogue%1.db").arg(products), [&](Connection &db) {
        for (int i = 0; i < products; ++i)
            db.exec(
                QStringLiteral("INSERT INTO ITEMS (Id_File, Sel, Quantity, Title, Mark, Stock_Min, Stock_Max, Stock, "
                               "Price01, Price02, Price03) VALUES (-1, ?, ?, ?, ?, 1, 0, 1, 1.25, 2.5, ?)"),
                {i % 10 == 0, 1 + i % 3, QStringLiteral("Produit %1").arg((i * 7919) % 100003),
                    QStringLiteral("Marque %1").arg(i % 50), i % 4 ? QVariant(3.75) : QVariant()});
    });
}

std::map<int, double> g_bare; // seconds per scan, by catalogue size
std::map<int, double> g_build;
double g_bareWindow = 0;
double g_mainWindow = 0;

void BareScan(benchmark::State &state)
{
    const int products = int(state.range(0));
    Connection db;
    db.open(Catalogue(products));
    const QByteArray sql = ListQuerySql.toUtf8();
    double total = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr);
        double sum = 0;
        qint64 chars = 0;
        // Every column of every row, as the query gives them; the ticked rows summed.
        while (sqlite3_step(st) == SQLITE_ROW) {
            const bool sel = sqlite3_column_int(st, 1) != 0;
            const double q = sqlite3_column_double(st, 2);
            chars += sqlite3_column_int64(st, 0) + sqlite3_column_bytes(st, 3) + sqlite3_column_bytes(st, 4);
            benchmark::DoNotOptimize(sqlite3_column_text(st, 3));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 4));
            const double prices =
                sqlite3_column_double(st, 5) + sqlite3_column_double(st, 6) + sqlite3_column_double(st, 7);
            if (sel)
                sum += q * prices;
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
        total += ThreadSeconds() - start;
    }
    g_bare[products] = PerIteration(state, total);
}

void BuildList(benchmark::State &state)
{
    const int products = int(state.range(0));
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(products));
    double total = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        const ListDisplay display = BuildListDisplay(ReadListQuery(dm), dm.currencySymbol());
        benchmark::DoNotOptimize(display.totals);
        total += ThreadSeconds() - start;
        state.counters["lines"] = double(display.lines.size());
    }
    g_build[products] = PerIteration(state, total);
    if (g_bare.count(products) && g_bare[products] > 0)
        state.counters["cpu_ratio_to_bare_scan"] = g_build[products] / g_bare[products];
}

// The two halves of the path: the rows read through the data module, the display built.
void ListQueryRead(benchmark::State &state)
{
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadListQuery(dm));
}
void ListDisplayBuild(benchmark::State &state)
{
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(int(state.range(0))));
    const auto rows = ReadListQuery(dm);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildListDisplay(rows, dm.currencySymbol()));
}
BENCHMARK(ListQueryRead)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(ListDisplayBuild)->Arg(10000)->Unit(benchmark::kMillisecond);

void BareWindowShown(benchmark::State &state)
{
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        {
            QWidget w;
            w.resize(801, 600);
            w.show();
            if (!QTest::qWaitForWindowExposed(&w))
                state.SkipWithError("window not exposed");
            total += double(t.nsecsElapsed()) / 1e9;
            state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        }
    }
    g_bareWindow = PerIteration(state, total);
}

// From the data modules' creation to the main window shown, on 10,000 products.
void MainWindowShown(benchmark::State &state)
{
    const QString path = Catalogue(10000);
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        TDataModule1 dm;
        dm.ADOConnection1.open(path);
        TDataModuleObject objects(dm.ADOConnection1);
        TMainForm w(dm, objects, QString());
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            state.SkipWithError("window not exposed");
        const double s = double(t.nsecsElapsed()) / 1e9;
        total += s;
        state.SetIterationTime(s);
        w.close();
    }
    g_mainWindow = PerIteration(state, total);
    if (g_bareWindow > 0)
        state.counters["ratio_to_bare_window"] = g_mainWindow / g_bareWindow;
}

// One double click's work in the window on 10,000 products: the row posted and the list rebuilt.
void ToggleInWindow(benchmark::State &state)
{
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(10000));
    TDataModuleObject objects(dm.ADOConnection1);
    TMainForm w(dm, objects, QString());
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        state.SkipWithError("window not exposed");
    dm.ItemsList.moveTo(5001);
    for (auto _ : state)
        w.Grid_ItemsListDblClick();
    state.counters["lines"] = double(w.ListLines().size());
    w.close();
}

} // namespace

BENCHMARK(ToggleInWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BareScan)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BareWindowShown)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(MainWindowShown)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    InitApplicationValues(QStringLiteral(VIVRELO_PROGRAM_DIR "/"));
    benchmark::Initialize(&argc, argv);
    // Catalogues are made before any timing.
    for (int n : {1000, 10000, 100000})
        Catalogue(n);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
