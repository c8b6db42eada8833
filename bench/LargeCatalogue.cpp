// Everyday actions on large catalogues, each against a reference measured in the same run:
// - a toggle in the main window (post, list rebuild, repaint) on 10,000 and 100,000 products
//   with 1,000 ticked, against the bare engine scan of the whole list query on the same file,
//   and against one bare committed row update (the disk's share, in the wall-clock column);
// - the validation of 10,000 ticked rows (of 100,000), against one bare UPDATE of the same rows
//   in one transaction on the same file;
// - the main window shown and the catalogue editor opened on 100,000 products with a picture
//   in every tenth, against a bare window; the grid scrolled to its end; peak memory;
// - finding a product by the start of its title in the main grid and in the editor, and
//   filtering the editor's rows, against the bare scan.
// Runs offscreen. Times are processor milliseconds of the user-interface thread, but for the
// validation (wall clock).
#include "BenchSupport.h"
#include "base/AppValues.h"
#include "db/Connection.h"
#include "db/ObjectStore.h"
#include "lists/CatalogueEditing.h"
#include "lists/DataModule.h"
#include "lists/ListFile.h"
#include "lists/gui/TEnterItems.h"
#include "lists/gui/TMainForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>

using namespace vivrelo;

namespace {

const char *const Words[] = {"Lait", "Beurre", "Éponge", "Café", "Crème", "Pâtes", "Riz", "Thé", "Sucre", "Farine",
    "Œufs", "Jambon", "Pommes", "Poires", "Épinards", "Yaourt", "Pain", "Savon", "Dentifrice", "Gâteaux"};

// A copy of the template database holding `products` products of which `ticked` are ticked
// (spread evenly), with a 20 KB picture in every tenth when asked.
QString Catalogue(int products, int ticked, bool pictures)
{
    const QString name = QStringLiteral("c%1_%2_%3.db").arg(products).arg(ticked).arg(pictures);
    return bench::ScratchCatalogue(name, [&](Connection &db) {
        QRandomGenerator rng(products);
        QByteArray picture(20 * 1024, '\0');
        const int every = products / ticked;
        for (int i = 0; i < products; ++i) {
            QVariant blob;
            if (pictures && i % 10 == 0) {
                for (qsizetype k = 0; k < picture.size(); k += 4)
                    *reinterpret_cast<quint32 *>(picture.data() + k) = rng.generate();
                blob = picture;
            }
            const QString title = QString::fromUtf8(Words[rng.bounded(20)]) + u' '
                + QString::fromUtf8(Words[rng.bounded(20)]) + u' ' + QString::number(i);
            db.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Sel, Quantity, Title, Mark, Reference, Stock_Min, "
                                   "Stock_Max, Stock, Price01, Price02, Price03, Img1) "
                                   "VALUES (-1, ?, ?, ?, ?, ?, 1, 0, 1, 1.25, 2.5, ?, ?)"),
                {i % every == 0, 1 + i % 3, title, QStringLiteral("Marque %1").arg(i % 50),
                    QStringLiteral("REF-%1").arg(100000 + i), i % 4 ? QVariant(3.75) : QVariant(), blob});
        }
    });
}

using bench::ThreadSeconds;

double PeakRssMB()
{
    return double(bench::PeakRssKb()) / 1024.0;
}

std::map<std::string, double> g_ms; // each benchmark's mean, by name

void Record(const benchmark::State &state, const std::string &name, double totalSeconds)
{
    if (state.iterations())
        g_ms[name] = totalSeconds * 1000.0 / double(state.iterations());
}

// The Part's list query over the whole catalogue, every column read: the reference floor.
void BareListScan(benchmark::State &state)
{
    Connection db;
    db.open(Catalogue(int(state.range(0)), int(state.range(1)), false));
    const QByteArray sql = ListQuerySql.toUtf8();
    double total = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr);
        qint64 sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            sum += sqlite3_column_int(st, 1) + sqlite3_column_bytes(st, 3) + sqlite3_column_bytes(st, 4);
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(sum);
        total += (ThreadSeconds() - start);
    }
    Record(state, "BareListScan/" + std::to_string(state.range(0)), total);
}

// The disk's share of a tick: one row updated and committed on its own, as a post does.
void BareTickUpdate(benchmark::State &state)
{
    Connection db;
    db.open(Catalogue(int(state.range(0)), int(state.range(1)), false));
    const qint64 id = db.scalar(QStringLiteral("SELECT min(Id) FROM ITEMS")).toLongLong() + state.range(0) / 2;
    for (auto _ : state)
        db.exec(QStringLiteral("UPDATE ITEMS SET Sel=CASE WHEN Sel<>0 THEN 0 ELSE 1 END WHERE Id=?"), {id});
}

// One double click's work: the row posted, the list rebuilt, the window repainted: what changed
// (as the event loop paints it after the click), or the whole window when the third argument
// is 1.
void ToggleInWindow(benchmark::State &state)
{
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(int(state.range(0)), int(state.range(1)), false));
    TDataModuleObject objects(dm.ADOConnection1);
    TMainForm w(dm, objects, QString());
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        state.SkipWithError("window not exposed");
    dm.ItemsList.moveTo(int(state.range(0)) / 2 + 1);
    QCoreApplication::processEvents();
    double total = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        w.Grid_ItemsListDblClick();
        if (state.range(2))
            w.repaint();
        else
            QCoreApplication::processEvents();
        total += (ThreadSeconds() - start);
    }
    state.counters["lines"] = double(w.ListLines().size());
    const std::string name = "ToggleInWindow/" + std::to_string(state.range(0)) + "/" + std::to_string(state.range(2));
    Record(state, name, total);
    const double bare = g_ms["BareListScan/" + std::to_string(state.range(0))];
    if (bare > 0)
        state.counters["ratio_to_bare_scan"] = g_ms[name] / bare;
    w.close();
}

// A fresh copy of the 100,000-product catalogue with 10,000 ticked.
QString ValidationCopy()
{
    const QString path = bench::ScratchFolder().path() + QStringLiteral("/validation.db");
    QFile::remove(path);
    QFile::copy(Catalogue(100000, 10000, false), path);
    return path;
}

void BareValidationUpdate(benchmark::State &state)
{
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Connection db;
        db.open(ValidationCopy());
        state.ResumeTiming();
        QElapsedTimer wall;
        wall.start();
        db.exec(QStringLiteral(
            "BEGIN; UPDATE ITEMS SET Stock=Stock+Quantity, Sel=0, Quantity=0 WHERE ID_FILE=-1 AND Sel<>0; COMMIT"));
        total += double(wall.nsecsElapsed()) / 1e9;
    }
    Record(state, "BareValidationUpdate", total);
}

void ValidateTenThousand(benchmark::State &state)
{
    double total = 0;
    int changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TDataModule1 dm;
        dm.ADOConnection1.open(ValidationCopy());
        state.ResumeTiming();
        QElapsedTimer wall;
        wall.start();
        changed = ValidateList(dm);
        total += double(wall.nsecsElapsed()) / 1e9;
    }
    state.counters["rows"] = changed;
    Record(state, "ValidateTenThousand", total);
    if (g_ms["BareValidationUpdate"] > 0)
        state.counters["ratio_to_bare_update"] = g_ms["ValidateTenThousand"] / g_ms["BareValidationUpdate"];
}

void BareWindowShown(benchmark::State &state)
{
    double total = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        QWidget w;
        w.resize(801, 600);
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            state.SkipWithError("window not exposed");
        const double s = (ThreadSeconds() - start);
        total += s;
        state.SetIterationTime(s);
    }
    Record(state, "BareWindowShown", total);
}

// From the data modules' creation to the main window shown, on 100,000 products with pictures.
void MainWindowShown(benchmark::State &state)
{
    const QString path = Catalogue(100000, 1000, true);
    double total = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        TDataModule1 dm;
        dm.ADOConnection1.open(path);
        TDataModuleObject objects(dm.ADOConnection1);
        TMainForm w(dm, objects, QString());
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            state.SkipWithError("window not exposed");
        const double s = (ThreadSeconds() - start);
        total += s;
        state.SetIterationTime(s);
        w.close();
    }
    Record(state, "MainWindowShown", total);
    state.counters["peak_rss_MB"] = PeakRssMB();
    if (g_ms["BareWindowShown"] > 0)
        state.counters["ratio_to_bare_window"] = g_ms["MainWindowShown"] / g_ms["BareWindowShown"];
}

// The catalogue editor created and shown on 100,000 products with pictures.
void EditorOpened(benchmark::State &state)
{
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(100000, 1000, true));
    double total = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        TEnterItems editor(dm);
        editor.show();
        if (!QTest::qWaitForWindowExposed(&editor))
            state.SkipWithError("window not exposed");
        const double s = (ThreadSeconds() - start);
        total += s;
        state.SetIterationTime(s);
        editor.done(0);
    }
    Record(state, "EditorOpened", total);
    state.counters["peak_rss_MB"] = PeakRssMB();
    if (g_ms["BareWindowShown"] > 0)
        state.counters["ratio_to_bare_window"] = g_ms["EditorOpened"] / g_ms["BareWindowShown"];
}

// The main grid scrolled a page at a time from its top to its end, repainted each time: the
// counter gives the slowest page.
void ScrollMainGrid(benchmark::State &state)
{
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(100000, 1000, true));
    TDataModuleObject objects(dm.ADOConnection1);
    TMainForm w(dm, objects, QString());
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        state.SkipWithError("window not exposed");
    auto *grid = w.findChild<QTableView *>(QStringLiteral("Grid_ItemsList"));
    QScrollBar *bar = grid->verticalScrollBar();
    double slowest = 0;
    for (auto _ : state) {
        bar->setValue(0);
        const int step = qMax(1, bar->maximum() / 200);
        for (int v = 0; v <= bar->maximum(); v += step) {
            const double start = ThreadSeconds();
            bar->setValue(v);
            grid->viewport()->repaint();
            slowest = qMax(slowest, (ThreadSeconds() - start) * 1000.0);
        }
    }
    state.counters["slowest_page_ms"] = slowest;
    w.close();
}

// Finding a product by the start of its title on 100,000 products: the main grid, sorted by
// title, is searched by halves; the editor sorted by another column is read row by row.
void FindByTitle(benchmark::State &state)
{
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(100000, 1000, true));
    DataSet &ds = state.range(0) ? dm.ItemsList : dm.Items;
    ds.open();
    const QString prefixes[] = {
        QStringLiteral("epo"), QStringLiteral("Pomm"), QStringLiteral("zz"), QStringLiteral("GÂTEAUX P")};
    double total = 0;
    int found = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        for (const QString &p : prefixes) {
            const int row = FindRowByPrefix(ds, QStringLiteral("Title"), p, state.range(0) != 0);
            found += row >= 0;
            if (row >= 0)
                ds.moveTo(row);
        }
        total += (ThreadSeconds() - start) / 4;
    }
    state.counters["found"] = found;
    Record(state, "FindByTitle", total);
    state.SetLabel(state.range(0) ? "main grid, by halves" : "editor, row by row");
}

// The editor's search field on 100,000 products: the catalogue re-opened on the products
// holding two words, then on all of them again.
void EditorFilter(benchmark::State &state)
{
    TDataModule1 dm;
    dm.ADOConnection1.open(Catalogue(100000, 1000, true));
    TEnterItems editor(dm);
    editor.show();
    if (!QTest::qWaitForWindowExposed(&editor))
        state.SkipWithError("window not exposed");
    const QString text = state.range(0) ? QStringLiteral("creme pain 99") : QStringLiteral("eponge");
    double total = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        editor.Ed_SearchChange(text);
        total += (ThreadSeconds() - start);
        state.counters["rows"] = dm.Items.recordCount();
        state.PauseTiming();
        editor.Ed_SearchChange(QString());
        state.ResumeTiming();
    }
    Record(state, "EditorFilter", total);
    if (g_ms["BareListScan/100000"] > 0)
        state.counters["ratio_to_bare_scan"] = g_ms["EditorFilter"] / g_ms["BareListScan/100000"];
    editor.done(0);
}

} // namespace

BENCHMARK(BareListScan)->Args({10000, 1000})->Args({100000, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(BareTickUpdate)->Args({10000, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(ToggleInWindow)
    ->Args({10000, 1000, 0})
    ->Args({10000, 1000, 1})
    ->Args({100000, 1000, 0})
    ->Args({100000, 1000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BareValidationUpdate)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(ValidateTenThousand)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BareWindowShown)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(MainWindowShown)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorOpened)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(ScrollMainGrid)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FindByTitle)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorFilter)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    bench::UseOffscreenPlatform();
    QApplication app(argc, argv);
    InitApplicationValues(QStringLiteral(VIVRELO_PROGRAM_DIR "/"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
