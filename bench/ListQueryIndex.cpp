// The list queries of the main window on a catalogue of 10,000 products in the template
// database, with its covering index and without it.

#include "BenchSupport.h"
#include "db/Connection.h"

#include <QFile>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace vivrelo;
using namespace vivrelo::bench;

namespace {

const char *const Queries[] = {
    "SELECT Id, Sel, Quantity, Title, Mark, Price01, Price02, Price03 FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE",
    "SELECT Id, Sel, Quantity, Stock FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE",
    "SELECT rowid, Id, Id_File, Sel, Quantity, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, "
    "Price03, Reference, Comment1, Custom00144243, Misc01, Misc02, Misc03, Misc04, Misc05, Misc06, Misc07, "
    "Misc08, Misc09, Misc10 FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE",
};

// A copy of the template database holding 10,000 products; every tenth has a 50 KB picture.
QString catalogue(bool withIndex)
{
    const QString path =
        ScratchFolder().path() + (withIndex ? QStringLiteral("/indexed.db") : QStringLiteral("/plain.db"));
    if (QFile::exists(path))
        return path;
    CopyTemplateDatabase(path);
    Connection db;
    db.open(path);
    if (!withIndex)
        db.exec(QStringLiteral("DROP INDEX ITEMS_List"));
    db.exec(QStringLiteral("BEGIN"));
    const QByteArray picture(50000, 'p');
    for (int i = 0; i < 10000; ++i)
        db.exec(
            QStringLiteral("INSERT INTO ITEMS (Id_File, Sel, Quantity, Title, Mark, Reference, Stock_Min, Stock_Max, "
                           "Stock, Price01, Price02, Price03, Misc01, Misc11, Img1) "
                           "VALUES (-1, ?, ?, ?, ?, ?, 1, 1, 1, 1.5, 2.5, 3.5, 'divers', 'un long commentaire', ?)"),
            {i % 7 == 0, i % 3, QStringLiteral("Produit %1").arg((i * 7919) % 10007),
                QStringLiteral("Marque %1").arg(i % 50), QStringLiteral("REF%1").arg(i),
                i % 10 == 0 ? QVariant(picture) : QVariant()});
    db.exec(QStringLiteral("COMMIT"));
    return path;
}

void ListQuery(benchmark::State &state)
{
    Connection db;
    db.open(catalogue(state.range(0) != 0));
    const char *sql = Queries[state.range(1)];
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db.handle(), sql, -1, &st, nullptr);
        qint64 sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            sum += sqlite3_column_int(st, 1) + sqlite3_column_bytes(st, 3);
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(sum);
    }
    state.SetLabel(std::string(state.range(0) ? "covering index, " : "no index, ")
        + (state.range(1) == 0        ? "list view"
                : state.range(1) == 1 ? "validation"
                                      : "catalogue grid"));
}

} // namespace

BENCHMARK(ListQuery)->ArgsProduct({{1, 0}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
