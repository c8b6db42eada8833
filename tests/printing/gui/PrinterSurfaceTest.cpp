#include "printing/gui/PrinterSurface.h"

#include "printing/ListPrinting.h"
#include "printing/PopplerTools.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

// The print service's own PDF output stands for a printer: the drawing starts at the corner
// of its drawable area and keeps its tenths of a millimetre in the printer's resolution.
TEST(PrinterSurface, DrawsFromTheCornerOfTheDrawableArea)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(12, 15, 10, 10), QPageLayout::Millimeter);
    const QRectF paint = printer.pageLayout().paintRectPoints();
    ASSERT_GT(paint.left(), 30);
    {
        PrinterSurface surface(printer);
        ASSERT_TRUE(PrintTestPage(surface, PrintLayout(), QStringLiteral("€")));
    }
    const QString boxes =
        test::RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    const auto m = QRegularExpression(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>TOTAL<")).match(boxes);
    ASSERT_TRUE(m.hasMatch()) << boxes.toStdString();
    const double pointsPerUnit = 72.0 / 254.0;
    EXPECT_NEAR(m.captured(1).toDouble(), paint.left() + 100 * pointsPerUnit, 0.6);
    EXPECT_NEAR(m.captured(2).toDouble(), paint.top() + 2010 * pointsPerUnit, 0.3);
}

} // namespace
} // namespace vivrelo
