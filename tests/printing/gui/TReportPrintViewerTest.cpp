#include "printing/gui/TReportPrintViewer.h"

#include "printing/PopplerTools.h"
#include "printing/gui/PrintingDb.h"
#include "printing/gui/ReportPreview.h"
#include "printing/gui/SampleReport.h"
#include "printing/gui/TReportDesigner.h"
#include "support/TestDirs.h"
#include "ui/WaitCursor.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

class ReportViewer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        run.layoutPath = dirs.writeFile(dirs.root() + QStringLiteral("Essai.frf"), test::kSampleReportLayout);
        run.layout = LoadReportLayout(run.layoutPath);
        run.prepare = [](const ReportLayout &layout) {
            std::vector<QVariantList> rows;
            for (int i = 1; i <= 60; ++i)
                rows.push_back({QStringLiteral("Produit %1").arg(i)});
            MemoryRowSource source({QStringLiteral("Title")}, rows);
            return PrepareReport(layout, &source, {}, QStringLiteral("Essai"));
        };
        run.prepared = run.prepare(run.layout);
        viewer = std::make_unique<TReportPrintViewer>(run, prompter);
        viewer->setPrintDialog([this](QPrinter &, PrintChoice &choice) {
            offered = choice;
            if (!dialogAnswer)
                return false;
            choice = *dialogAnswer;
            return true;
        });
        PrintListDialogs dialogs;
        dialogs.hasPrinter = [this] { return hasPrinter; };
        dialogs.chooseOutput = [this](QWidget *) { return output; };
        dialogs.pdfFile = [this](QWidget *, const QString &suggested) {
            suggestions << suggested;
            return pdf;
        };
        viewer->setOutputDialogs(dialogs);
        viewer->setPrintJob([this](QPrinter &, const PreparedReport &, const QString &range, int copies) {
            printed << QStringLiteral("%1 x%2").arg(range).arg(copies);
            return true;
        });
        viewer->resize(760, 620);
        viewer->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
    }
    template <class W>
    W *child(const char *name)
    {
        return viewer->findChild<W *>(QString::fromLatin1(name));
    }
    void click(const char *name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    int page() { return viewer->preview()->page(); }

    test::TestDirs dirs;
    ScriptedPrompter prompter;
    ReportRun run;
    std::unique_ptr<TReportPrintViewer> viewer;
    std::optional<PrintChoice> dialogAnswer;
    PrintChoice offered;
    QStringList printed;
    bool hasPrinter = true;
    ListOutput output = ListOutput::Printer;
    QString pdf = dirs.root() + QStringLiteral("rapport.pdf");
    QStringList suggestions;
};

TEST_F(ReportViewer, NavigationStaysWithinThePages)
{
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Prévisualisation du rapport"));
    ASSERT_EQ(viewer->preview()->pageCount(), 3);
    EXPECT_EQ(page(), 1);
    click("spbPreviewPrior");
    EXPECT_EQ(page(), 1);
    click("spbPreviewNext");
    click("spbPreviewNext");
    click("spbPreviewNext");
    EXPECT_EQ(page(), 3);
    click("spbPreviewFirst");
    EXPECT_EQ(page(), 1);
    click("spbPreviewLast");
    EXPECT_EQ(page(), 3);
    click("spbPreviewPrior");
    EXPECT_EQ(page(), 2);
    viewer->preview()->showPage(0);
    viewer->preview()->showPage(4);
    EXPECT_EQ(page(), 2);
}

TEST_F(ReportViewer, ZoomModesFitTheViewOrShowRealSize)
{
    ReportPreview *p = viewer->preview();
    const QSize view = p->viewport()->size();
    // On show: the page's width fills the view.
    EXPECT_EQ(p->zoom(), PreviewZoom::PageWidth);
    EXPECT_LE(p->pageImage().width(), view.width());
    EXPECT_GT(p->pageImage().width(), view.width() - 40);

    click("Btn_Size_OnePage");
    EXPECT_LE(p->pageImage().height(), p->viewport()->height());
    EXPECT_LE(p->pageImage().width(), p->viewport()->width());
    EXPECT_GT(p->pageImage().height(), p->viewport()->height() - 20);

    click("Btn_Size_Full");
    EXPECT_EQ(p->pageImage().width(), qRound(2100 * p->logicalDpiX() / 254.0));
    click("Btn_Size_PageWidth");
    EXPECT_LE(p->pageImage().width(), view.width());
}

TEST_F(ReportViewer, PrintingTakesTheRangeOrThePageOnScreenAndCloses)
{
    click("spbPreviewNext");
    dialogAnswer = PrintChoice{1, 3, 1, 3, true, 2};
    click("spbPreviewPrint");
    EXPECT_EQ(offered.minPage, 1);
    EXPECT_EQ(offered.maxPage, 3);
    EXPECT_EQ(offered.fromPage, 1);
    EXPECT_EQ(offered.toPage, 3);
    EXPECT_EQ(printed, QStringList{QStringLiteral("2-2 x2")});
    EXPECT_FALSE(viewer->isVisible());

    viewer->show();
    dialogAnswer = PrintChoice{1, 3, 2, 3, false, 1};
    click("spbPreviewPrint");
    EXPECT_EQ(printed.last(), QStringLiteral("2-3 x1"));

    viewer->show();
    printed.clear();
    dialogAnswer.reset();
    click("spbPreviewPrint");
    EXPECT_TRUE(printed.isEmpty());
    EXPECT_FALSE(viewer->isVisible());
}

TEST_F(ReportViewer, WithoutAPrinterOrOnRequestTheReportGoesToAPdf)
{
    hasPrinter = false;
    output = ListOutput::Printer; // would be wrong to ask
    click("spbPreviewPrint");
    EXPECT_TRUE(printed.isEmpty());
    EXPECT_FALSE(viewer->isVisible());
    ASSERT_EQ(suggestions.size(), 1);
    EXPECT_TRUE(suggestions[0].endsWith(QStringLiteral("Export/Essai.pdf"))) << suggestions[0].toStdString();
    const QString info = test::RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n")))) << info.toStdString();
    EXPECT_TRUE(
        test::RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).contains(QStringLiteral("Produit 60")));
    EXPECT_TRUE(prompter.asked().empty());

    // With a printer the user chooses; a cancelled choice writes and prints nothing.
    ASSERT_TRUE(QFile::remove(pdf));
    hasPrinter = true;
    output = ListOutput::Cancel;
    viewer->show();
    click("spbPreviewPrint");
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(printed.isEmpty());
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("le rapport n'a pas été imprimé")));
    output = ListOutput::Pdf;
    viewer->show();
    click("spbPreviewPrint");
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(ReportViewer, DesignerOpensOnTheAccessWordAndSavesTheLayout)
{
    auto *key = child<QLineEdit>("Ed_Key");
    key->setText(QStringLiteral("Plan"));
    click("BitBtn1");
    EXPECT_EQ(QApplication::activeModalWidget(), viewer.get());

    QTimer::singleShot(0, [] {
        auto *designer = qobject_cast<TReportDesigner *>(QApplication::activeModalWidget());
        ASSERT_NE(designer, nullptr);
        auto *tree = designer->findChild<QTreeWidget *>(QStringLiteral("Tree_Objects"));
        ASSERT_EQ(tree->topLevelItemCount(), 3);
        tree->setCurrentItem(tree->topLevelItem(0)->child(0)); // the header's text
        auto *text = designer->findChild<QLineEdit *>(QStringLiteral("Ed_Text"));
        text->selectAll();
        QTest::keyClicks(text, QStringLiteral("Catalogue [PAGE"));
        // An unclosed bracket cannot be saved.
        EXPECT_FALSE(designer->findChild<QPushButton *>(QStringLiteral("Btn_Save"))->isEnabled());
        QTest::keyClicks(text, QStringLiteral("]"));
        designer->findChild<QDoubleSpinBox *>(QStringLiteral("Spin_FontSize"))->setValue(14);
        designer->findChild<QComboBox *>(QStringLiteral("Combo_Align"))->setCurrentIndex(2);
        QTest::mouseClick(designer->findChild<QPushButton *>(QStringLiteral("Btn_Save")), Qt::LeftButton);
    });
    key->setText(QStringLiteral("plan"));
    click("BitBtn1");

    const ReportLayout saved = LoadReportLayout(run.layoutPath);
    const ReportObject &header = saved.bands[0].objects[0];
    EXPECT_EQ(header.text, QStringLiteral("Catalogue [PAGE]"));
    EXPECT_EQ(header.fontSize, 14);
    EXPECT_EQ(header.align, TextAlign::Center);
    // The preview shows the report laid out again.
    EXPECT_EQ(viewer->preview()->report()->pages[1].items[0].text, QStringLiteral("Catalogue 2"));
}

// The catalogue editor's print button on a real catalogue.
class ItemsListCommand : public test::PrintingDbTest
{ };

// Remembers whether the hourglass stood when a message went out.
class CursorWatchingPrompter : public ScriptedPrompter
{
public:
    Answer ask(MessageKind kind, const QString &text, MessageButtons buttons) override
    {
        waitingAtMessage = QGuiApplication::overrideCursor() != nullptr;
        return ScriptedPrompter::ask(kind, text, buttons);
    }
    bool waitingAtMessage = true;
};

TEST_F(ItemsListCommand, TheHourglassCoversThePreparationAndNoMessage)
{
    addProduct(QStringLiteral("Pain"), false, 0, 1.2);
    bool waitingAtShow = false;
    int pages = 0;
    RunItemsListReport(QStringLiteral("Title"), prompter, [&](ReportRun &run, WaitCursor &wait) {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        waitingAtShow = cursor && cursor->shape() == Qt::WaitCursor;
        pages = run.prepared.pageCount();
        wait.release();
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    });
    EXPECT_TRUE(waitingAtShow);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    dm.ADOConnection1.exec(QStringLiteral("DELETE FROM ITEMS"));
    CursorWatchingPrompter watching;
    RunItemsListReport(
        QStringLiteral("Title"), watching, [](ReportRun &, WaitCursor &) { FAIL() << "nothing to show"; });
    ASSERT_EQ(watching.asked().size(), 1u);
    EXPECT_FALSE(watching.waitingAtMessage);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace vivrelo
