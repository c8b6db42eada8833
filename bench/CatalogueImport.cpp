// A spreadsheet of 10,000 products imported into an empty catalogue (reading, checking,
// matching and writing in one transaction), against the bare engine inserting the same rows
// with one prepared statement in one transaction. The import must stay under 2 s.

#include "BenchSupport.h"
#include "db/Connection.h"
#include "lists/CatalogueCsv.h"
#include "lists/DataModule.h"

#include <QFile>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace vivrelo;
using namespace vivrelo::bench;

namespace {

constexpr int kRows = 10000;

std::vector<CsvProduct> Products()
{
    std::vector<CsvProduct> products;
    for (int i = 0; i < kRows; ++i) {
        CsvProduct p;
        p.reference = QStringLiteral("REF%1").arg(i);
        p.title = QStringLiteral("Produit « %1 »").arg((i * 7919) % 10007);
        p.mark = QStringLiteral("Marque; %1").arg(i % 50);
        p.stockMin = 1;
        p.stockMax = 6;
        p.stock = i % 5;
        p.prices = {1.5 + i % 10, 2.25, i % 3 ? std::optional<double>(3.1) : std::nullopt};
        products.push_back(p);
    }
    return products;
}

// A fresh copy of the template database.
QString EmptyDatabase()
{
    const QString path = ScratchFolder().path() + QStringLiteral("/catalogue.db");
    QFile::remove(path);
    CopyTemplateDatabase(path);
    return path;
}

QString CsvFile()
{
    const QString path = ScratchFolder().path() + QStringLiteral("/catalogue.csv");
    if (!QFile::exists(path)) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(WriteCatalogueCsv(Products()));
    }
    return path;
}

void ImportSpreadsheet(benchmark::State &state)
{
    const QString csv = CsvFile();
    for (auto _ : state) {
        state.PauseTiming();
        TDataModule1 dm;
        dm.ADOConnection1.open(EmptyDatabase());
        state.ResumeTiming();
        const CatalogueImport result = ImportCatalogue(dm, csv, false);
        if (result.added != kRows)
            state.SkipWithError("rows refused");
    }
    state.SetLabel("ImportCatalogue, 10,000 rows");
}

void BareInsertLoop(benchmark::State &state)
{
    const std::vector<CsvProduct> products = Products();
    for (auto _ : state) {
        state.PauseTiming();
        Connection db;
        db.open(EmptyDatabase());
        state.ResumeTiming();
        sqlite3 *h = db.handle();
        sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(h,
            "INSERT INTO ITEMS (Id_File, Reference, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, "
            "Price03, Misc11, Misc12) VALUES (-1, ?, ?, ?, ?, ?, ?, ?, ?, ?, '', '')",
            -1, &st, nullptr);
        for (const CsvProduct &p : products) {
            const QByteArray texts[] = {p.reference.toUtf8(), p.title.toUtf8(), p.mark.toUtf8()};
            for (int k = 0; k < 3; ++k)
                sqlite3_bind_text(st, k + 1, texts[k].constData(), int(texts[k].size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(st, 4, *p.stockMin);
            sqlite3_bind_int64(st, 5, *p.stockMax);
            sqlite3_bind_int64(st, 6, *p.stock);
            for (int k = 0; k < 3; ++k) {
                if (p.prices[size_t(k)])
                    sqlite3_bind_double(st, 7 + k, *p.prices[size_t(k)]);
                else
                    sqlite3_bind_null(st, 7 + k);
            }
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.SetLabel("reference: bare sqlite3 insert loop, same rows");
}

} // namespace

BENCHMARK(ImportSpreadsheet)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BareInsertLoop)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
