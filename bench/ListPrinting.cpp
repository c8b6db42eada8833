// Printing a long list to PDF and drawing the layout preview at its largest zoom.
#include "printing/ListPrinting.h"
#include "BenchSupport.h"
#include "printing/PainterSurface.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vivrelo;

static void PrintThousandLinesToPdf(benchmark::State &state)
{
    std::vector<ListPrintRow> rows;
    for (int i = 0; i < 1000; ++i) {
        ListPrintRow r;
        r.Sel = true;
        r.Quantity = QString::number(i % 5 + 1);
        r.Title = QStringLiteral("Produit %1").arg(i);
        r.Mark = i % 2 ? QStringLiteral("Marque") : QString();
        r.Price01 = 0.35 * (i % 40);
        rows.push_back(r);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.pdf"));
    for (auto _ : state) {
        PdfSurface pdf(path);
        if (!PrintList(pdf, rows, PrintLayout(), 1, QStringLiteral("€")))
            state.SkipWithError("PDF not written");
    }
}
BENCHMARK(PrintThousandLinesToPdf)->Unit(benchmark::kMillisecond);

static void DrawPreviewAt500(benchmark::State &state)
{
    for (auto _ : state) {
        QImage img = RenderLayoutPreview(PrintLayout(), kMaxZoom, 96, QStringLiteral("€"));
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(DrawPreviewAt500)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return bench::RunWithApplication<QGuiApplication>(argc, argv);
}
