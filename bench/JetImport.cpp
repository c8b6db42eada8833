// Converting Access databases into ours: a genuine Access 2003 file read and converted, and a
// generated catalogue of 10,000 products converted from plain tables.

#include "db/JetImport.h"
#include "base/AppValues.h"
#include "base/Progress.h"
#include "db/JetReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vivrelo;

namespace {

QString genuineFile()
{
    return QStringLiteral(VIVRELO_TESTDATA_DIR "/jet/testV2003.mdb");
}

void setUpProgramDir()
{
    InitApplicationValues(QStringLiteral(VIVRELO_PROGRAM_DIR "/"));
}

JetTable emptyItems()
{
    return {QStringLiteral("ITEMS"), {{QStringLiteral("Id"), JetType::Counter, 4}}, {}};
}

// The catalogue of a well-used installation: every column of ITEMS, a thumbnail per product.
JetTable catalogue(int products)
{
    JetTable t{QStringLiteral("ITEMS"), {}, {}};
    const auto add = [&](const char *name, JetType type, int size = 0) {
        t.columns.push_back({QLatin1String(name), type, size});
    };
    add("Id", JetType::Counter, 4);
    add("Id_File", JetType::Short, 2);
    add("Reference", JetType::Text, 128);
    add("Title", JetType::Text, 128);
    add("Mark", JetType::Text, 128);
    add("Stock_Min", JetType::Long, 4);
    add("Stock_Max", JetType::Long, 4);
    add("Stock", JetType::Long, 4);
    add("Price01", JetType::Double, 8);
    add("Price02", JetType::Double, 8);
    add("Price03", JetType::Double, 8);
    add("ImgMini1", JetType::Blob);
    add("Misc01", JetType::Text, 128);
    add("Misc11", JetType::Memo);
    add("Sel", JetType::YesNo);
    add("Quantity", JetType::Long, 4);
    const QByteArray thumbnail(3000, '\x5a');
    for (int i = 0; i < products; ++i) {
        t.rows.push_back({i + 1, -1, QStringLiteral("REF%1").arg(i), QStringLiteral("Produit n°%1").arg(i),
            QStringLiteral("Marque %1").arg(i % 40), 1, 10, i % 7, 1.0 + i * 0.01, 2.5, 3.25, thumbnail,
            QStringLiteral("rayon %1").arg(i % 12), QStringLiteral("Une note un peu longue sur le produit %1.").arg(i),
            i % 5 == 0, i % 3});
    }
    return t;
}

void BM_ReadGenuineAccessFile(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadJetDatabase(genuineFile()));
}
BENCHMARK(BM_ReadGenuineAccessFile)->Unit(benchmark::kMillisecond);

// The genuine file holds no catalogue; an empty ITEMS table makes it one of ours.
void BM_ReadAndConvertGenuineAccessFile(benchmark::State &state)
{
    setUpProgramDir();
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("VIVRELO.MDB"));
    for (auto _ : state) {
        std::vector<JetTable> tables = ReadJetDatabase(genuineFile());
        tables.push_back(emptyItems());
        ConvertJetTables(tables, TemplateDatabasePath(), target, noProgress());
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadAndConvertGenuineAccessFile)->Unit(benchmark::kMillisecond);

void BM_ConvertCatalogue(benchmark::State &state)
{
    setUpProgramDir();
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("VIVRELO.MDB"));
    const std::vector<JetTable> tables{catalogue(int(state.range(0)))};
    for (auto _ : state) {
        ConvertJetTables(tables, TemplateDatabasePath(), target, noProgress());
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ConvertCatalogue)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
