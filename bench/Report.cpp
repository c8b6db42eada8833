// The product list report for a catalogue of 10,000 products: preparing its pages from the
// database, and drawing them into a PDF file.
#include "BenchSupport.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "printing/PainterSurface.h"
#include "report/DataSetRowSource.h"
#include "report/ReportEngine.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

using namespace vivrelo;

namespace {

const QString kReports = QStringLiteral(VIVRELO_PROGRAM_DIR "/Reports/");

std::optional<QVariant> ProgramValues(const QString &name)
{
    if (name == QLatin1String("CURRENCYSYMBOL"))
        return QVariant(QStringLiteral("€"));
    if (name == QLatin1String("TITLE"))
        return QVariant(QString());
    if (name.startsWith(QLatin1String("PRICE")))
        return QVariant(QStringLiteral("Prix n°") + name.mid(5));
    return std::nullopt;
}

// A copy of the template database holding 10,000 products, and the report's query on it.
struct Catalogue {
    QTemporaryDir dir;
    Connection connection;
    DataSet query{&connection};
    ReportLayout layout;

    Catalogue()
    {
        const QString db = dir.filePath(QStringLiteral("VIVRELO.MDB"));
        bench::CopyTemplateDatabase(db);
        connection.open(db);
        connection.exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < 10000; ++i)
            connection.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Reference, Title, Mark, Stock_Min, Stock_Max, "
                                           "Stock, Price01, Price02, Price03) VALUES (-1, ?, ?, ?, 1, 9, ?, ?, ?, ?)"),
                {QStringLiteral("REF-%1").arg(i), QStringLiteral("Produit numéro %1").arg(i),
                    QStringLiteral("Marque %1").arg(i % 97), i % 10, 0.5 + i % 300, 1.25 + i % 70, 2.0 + i % 1000});
        connection.exec(QStringLiteral("COMMIT"));
        QFile rpt(kReports + QStringLiteral("ItemsList.rpt"));
        rpt.open(QIODevice::ReadOnly);
        QStringList sql = QString::fromUtf8(rpt.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        sql.removeFirst();
        query.setSql(sql);
        layout = LoadReportLayout(kReports + QStringLiteral("ItemsList.frf"));
    }
    PreparedReport prepare()
    {
        query.close();
        query.open();
        DataSetRowSource rows(query);
        return PrepareReport(layout, &rows, ProgramValues, QStringLiteral("Liste des produits"));
    }
};

Catalogue &TheCatalogue()
{
    static Catalogue c;
    return c;
}

} // namespace

static void PrepareTenThousandProducts(benchmark::State &state)
{
    Catalogue &c = TheCatalogue();
    int pages = 0;
    for (auto _ : state)
        pages = c.prepare().pageCount();
    state.counters["pages"] = pages;
}
BENCHMARK(PrepareTenThousandProducts)->Unit(benchmark::kMillisecond);

static void RenderTenThousandProductsToPdf(benchmark::State &state)
{
    Catalogue &c = TheCatalogue();
    const PreparedReport report = c.prepare();
    const QString path = c.dir.filePath(QStringLiteral("liste.pdf"));
    for (auto _ : state) {
        PdfSurface pdf(path, report.title);
        if (!RenderReport(report, pdf))
            state.SkipWithError("PDF not written");
    }
    state.counters["pages"] = report.pageCount();
    state.counters["MB"] = QFile(path).size() / 1e6;
}
BENCHMARK(RenderTenThousandProductsToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char **argv)
{
    return bench::RunWithApplication<QGuiApplication>(argc, argv);
}
