#include "printing/gui/TListFormat.h"

#include "printing/ListPrinting.h"
#include "printing/PopplerTools.h"
#include "printing/gui/PrintingDb.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

class ListFormat : public test::PrintingDbTest
{
protected:
    void open()
    {
        window = std::make_unique<TListFormat>(dm, prompter);
        window->show();
    }
    template <class W>
    W *child(const char *name)
    {
        return window->findChild<W *>(QString::fromLatin1(name));
    }
    void click(const char *name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    // Answers the layout editor once it is open: presses `button`, then closes it with `close`.
    void answerEditor(const char *button, const char *close)
    {
        QTimer::singleShot(0, [=] {
            QWidget *editor = QApplication::activeModalWidget();
            ASSERT_NE(editor, nullptr);
            QTest::mouseClick(editor->findChild<QAbstractButton *>(QString::fromLatin1(button)), Qt::LeftButton);
            QWidget *c = editor->findChild<QWidget *>(QString::fromLatin1(close));
            ASSERT_NE(c, nullptr);
            QTest::mouseClick(c, Qt::LeftButton);
        });
    }

    std::unique_ptr<TListFormat> window;
};

TEST_F(ListFormat, ZoomMovesByTensBetweenItsBounds)
{
    open();
    const double dpi = window->logicalDpiX();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Paramétrage de la liste"));
    EXPECT_EQ(child<QLineEdit>("zoom")->text(), QStringLiteral("50"));
    EXPECT_EQ(child<QLabel>("fond")->size(), PreviewSheetSize(50, dpi));
    for (int i = 0; i < 60; ++i)
        click("DebutBtnH");
    EXPECT_EQ(window->zoom(), 500);
    EXPECT_EQ(child<QLabel>("fond")->size(), PreviewSheetSize(500, dpi));
    for (int i = 0; i < 60; ++i)
        click("DebutBtnB");
    EXPECT_EQ(window->zoom(), 40);
    EXPECT_EQ(window->sheet().size(), PreviewSheetSize(40, dpi));
}

TEST_F(ListFormat, MakesTheMissingLayoutRowAndClosesItWithTheWindow)
{
    ASSERT_EQ(layoutRows(), 0);
    open();
    EXPECT_EQ(layoutRows(), 1);
    EXPECT_DOUBLE_EQ(stored("PageWidth").toDouble(), 14.9);
    EXPECT_EQ(stored("FontName").toString(), QStringLiteral("Arial"));
    EXPECT_TRUE(dm.FormatList.isActive());
    click("Btn_Close");
    EXPECT_FALSE(dm.FormatList.isActive());

    open(); // a second opening finds the row
    EXPECT_EQ(layoutRows(), 1);
}

TEST_F(ListFormat, EditorOkStoresTheRowAndRedrawsCancelAndCloseDoNot)
{
    open();
    const QImage before = window->sheet();
    answerEditor("Btn_PrinterTop_Down", "Btn_Ok");
    click("FiltreBtn");
    EXPECT_DOUBLE_EQ(stored("PrinterTop").toDouble(), -0.1);
    EXPECT_EQ(dm.FormatList.state(), DataSetState::Browse);
    EXPECT_NE(window->sheet(), before);

    answerEditor("Btn_PageHeight_Down", "Btn_Cancel");
    click("FiltreBtn");
    answerEditor("Btn_TopLine_Up", "Exit");
    click("FiltreBtn");
    EXPECT_DOUBLE_EQ(stored("PageHeight").toDouble(), 21.0);
    EXPECT_DOUBLE_EQ(stored("TopLine").toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(window->layout().PrinterTop, -0.1);
    EXPECT_EQ(dm.FormatList.state(), DataSetState::Browse);
    EXPECT_TRUE(prompter.asked().empty());
}

TEST_F(ListFormat, TestPrintUsesTheStoredLayout)
{
    dm.ADOConnection1.exec(QStringLiteral("INSERT INTO FORMATLIST (Id_File, PageWidth, PageHeight, TopLine, LeftItem, "
                                          "LeftPrice, InterLines, FontName, FontSize, PrinterTop, PrinterLeft) "
                                          "VALUES (-1, 10, 15, 2, 1.5, 8, 0.5, 'Liberation Serif', 30, 0.2, 0.3)"));
    open();
    std::vector<PrintLayout> printed;
    window->setTestPrint([&](const PrintLayout &l) {
        printed.push_back(l);
        return true;
    });
    click("ImprimerBtn");
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_DOUBLE_EQ(printed[0].PageHeight, 15);
    EXPECT_DOUBLE_EQ(printed[0].PrinterLeft, 0.3);
    EXPECT_EQ(printed[0].FontName, QStringLiteral("Liberation Serif"));
    EXPECT_EQ(printed[0].FontSize, 30);
    EXPECT_EQ(layoutRows(), 1);
}

TEST_F(ListFormat, WithoutAPrinterTheTestPageGoesToAPdf)
{
    open();
    const QString pdf = dirs.root() + QStringLiteral("essai.pdf");
    QString suggested;
    PrintListDialogs dialogs;
    dialogs.hasPrinter = [] { return false; };
    dialogs.chooseOutput = [](QWidget *) { return ListOutput::Printer; }; // never asked
    dialogs.pdfFile = [&](QWidget *, const QString &s) {
        suggested = s;
        return pdf;
    };
    window->setOutputDialogs(dialogs);
    click("ImprimerBtn");
    EXPECT_EQ(suggested, dataDir + QStringLiteral("Export/Impression test.pdf"));
    const QString text = test::RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Article (marque)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("TOTAL")));
    EXPECT_TRUE(prompter.asked().empty());
}

} // namespace
} // namespace vivrelo

namespace vivrelo {
namespace {

// Not a check: with VIVRELO_SCREENSHOT_DIR set (scripts/screenshot-printing.sh), saves the
// preview at 50 % and the layout editor as pictures, to look at them as a user would.
TEST_F(ListFormat, Screenshots)
{
    const QString dir = qEnvironmentVariable("VIVRELO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "VIVRELO_SCREENSHOT_DIR is not set";
    open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(100);
    EXPECT_TRUE(window->grab().save(dir + QStringLiteral("/apercu-50.png")));
    QTimer::singleShot(200, [dir] {
        QWidget *editor = QApplication::activeModalWidget();
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(editor->grab().save(dir + QStringLiteral("/format-bordereau.png")));
        editor->findChild<QAbstractButton *>(QStringLiteral("Btn_Cancel"))->click();
    });
    click("FiltreBtn");
}

} // namespace
} // namespace vivrelo
