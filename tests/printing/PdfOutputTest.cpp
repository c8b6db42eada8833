#include "printing/ListPrinting.h"
#include "printing/PainterSurface.h"

#include "GuiApplication.h"
#include "PopplerTools.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

const QString kEuro = QStringLiteral("€");

using test::RunTool;

QString PageText(const QString &pdf, int page)
{
    return RunTool(QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
            QString::number(page), pdf, QStringLiteral("-")});
}

std::vector<ListPrintRow> SampleRows(int ticked)
{
    std::vector<ListPrintRow> rows;
    for (int i = 1; i <= ticked; ++i) {
        ListPrintRow r;
        r.Id = i;
        r.Sel = true;
        r.Quantity = QString::number(i % 4 + 1);
        r.Title = QStringLiteral("Produit %1").arg(i, 2, 10, QLatin1Char('0'));
        r.Mark = i % 3 == 0 ? QStringLiteral("Marque") : QString();
        r.Price01 = 1.25 * i;
        rows.push_back(r);
        ListPrintRow off;
        off.Title = QStringLiteral("Hors liste %1").arg(i);
        rows.push_back(off);
    }
    return rows;
}

class PdfOutput : public ::testing::Test
{
protected:
    void SetUp() override { test::EnsureGuiApplication(); }
    QTemporaryDir m_dir;
};

TEST_F(PdfOutput, ThirtyTickedRowsOnTwoPages)
{
    // VIVRELO_SAMPLE_PDF keeps the file for scripts/render-list-sample.sh.
    const QString kept = qEnvironmentVariable("VIVRELO_SAMPLE_PDF");
    const QString path = kept.isEmpty() ? m_dir.filePath(QStringLiteral("liste.pdf")) : kept;
    const auto rows = SampleRows(30);
    {
        PdfSurface pdf(path);
        ASSERT_TRUE(pdf.isActive());
        EXPECT_EQ(pdf.pageSize(), QSize(2099, 2970)); // A4 as whole points: 595 x 842
        ASSERT_TRUE(PrintList(pdf, rows, PrintLayout(), 1, kEuro));
    }
    const QString info = RunTool(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();

    const QString first = PageText(path, 1);
    const QString second = PageText(path, 2);
    EXPECT_TRUE(first.contains(QStringLiteral("Produit 28")) && !first.contains(QStringLiteral("Produit 29"))
        && !first.contains(QStringLiteral("Hors liste")) && !first.contains(QStringLiteral("TOTAL")))
        << first.toStdString();
    EXPECT_TRUE(second.contains(QStringLiteral("Produit 30 (Marque)")) && second.contains(QStringLiteral("TOTAL")));
    EXPECT_TRUE(first.contains(QString::fromLatin1(kProductWebAddress))
        && second.contains(QString::fromLatin1(kProductWebAddress)));

    double total = 0;
    for (const auto &r : rows)
        total += r.Sel ? r.Quantity.toInt() * *r.Price01 : 0;
    EXPECT_TRUE(second.contains(QStringLiteral("%1 €").arg(total, 0, 'f', 2))) << second.toStdString();
    // Units map exactly onto the sheet: the word TOTAL starts at 1 cm from the left, the top
    // of its cell 201 mm from the top, and its cell is 2.5 mm high.
    const QString boxes = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    const auto m = QRegularExpression(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" "
                                                     "yMax=\"([\\d.]+)\">TOTAL<"))
                       .match(boxes);
    ASSERT_TRUE(m.hasMatch()) << boxes.toStdString();
    const double pointsPerUnit = 72.0 / 254.0;
    EXPECT_NEAR(m.captured(1).toDouble(), 100 * pointsPerUnit, 0.6);
    EXPECT_NEAR(m.captured(2).toDouble(), 2010 * pointsPerUnit, 0.3);
    EXPECT_NEAR(m.captured(3).toDouble() - m.captured(2).toDouble(), 25 * pointsPerUnit, 0.3);
}

TEST_F(PdfOutput, FontCellAndTypeface)
{
    PdfSurface pdf(m_dir.filePath(QStringLiteral("f.pdf")));
    SurfaceFont f;
    f.height = 20;
    pdf.setFont(f);
    const QString family = QFontInfo(pdf.currentFont()).family();
    EXPECT_TRUE(family == QLatin1String("Liberation Sans") || family == QLatin1String("Arial")) << family.toStdString();
    // Ten device pixels per unit: a 20-unit cell is 200 pixels from ascent to descent.
    const QFontMetricsF fm(pdf.currentFont());
    EXPECT_NEAR(fm.ascent() + fm.descent(), 200.0, 6.0);
    EXPECT_TRUE(pdf.end());
}

TEST_F(PdfOutput, AFailedJobLeavesTheEarlierFile)
{
    const QString path = m_dir.filePath(QStringLiteral("liste.pdf"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier");
    }
    {
        // Dropped without end(), as when drawing was interrupted.
        PdfSurface pdf(path);
        pdf.drawText(100, 100, QStringLiteral("x"));
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("earlier"));

    PdfSurface nowhere(m_dir.filePath(QStringLiteral("absent/liste.pdf")));
    EXPECT_FALSE(nowhere.isActive());
    EXPECT_FALSE(PrintTestPage(nowhere, PrintLayout(), kEuro));
}

TEST_F(PdfOutput, PreviewBitmap)
{
    const QImage img = RenderLayoutPreview(PrintLayout(), 100, 96, kEuro);
    // VIVRELO_SAMPLE_PREVIEW keeps the picture for scripts/render-list-sample.sh.
    if (!qEnvironmentVariableIsEmpty("VIVRELO_SAMPLE_PREVIEW"))
        img.save(qEnvironmentVariable("VIVRELO_SAMPLE_PREVIEW"));
    ASSERT_EQ(img.size(), QSize(794, 1123));
    const double px = 96 / 254.0; // pixels per unit
    EXPECT_EQ(img.pixelColor(img.width() - 2, img.height() - 2), kPreviewBackground);
    EXPECT_EQ(img.pixelColor(int(1200 * px), int(1500 * px)), QColor(Qt::white)); // inside the list page
    EXPECT_EQ(img.pixelColor(int(600 * px), int(1998.5 * px)), QColor(Qt::black)); // the rule
    EXPECT_EQ(img.pixelColor(int(1492 * px), int(2102 * px)), QColor(192, 192, 192)); // the shadow
}

} // namespace
} // namespace vivrelo
