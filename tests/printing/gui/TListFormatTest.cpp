#include "printing/gui/TListFormat.h"

#include "app/Error.h"
#include "printing/ListPrinting.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

class ListFormat : public ::testing::Test
{
protected:
    void open()
    {
        window = std::make_unique<TListFormat>(PrintLayout(), QStringLiteral("€"), prompter,
                                               [this](const PrintLayout &l) {
                                                   if (storeFails)
                                                       fail(QStringLiteral("La base de données est en lecture seule."));
                                                   stored.push_back(l);
                                               });
        window->show();
    }
    template <class W> W *child(const char *name) { return window->findChild<W *>(QString::fromLatin1(name)); }
    void click(const char *name) { QTest::mouseClick(child<QToolButton>(name), Qt::LeftButton); }
    // Answers the layout editor once it is open: presses `button`, then OK or Cancel.
    void answerEditor(const char *button, const char *close)
    {
        QTimer::singleShot(0, [=] {
            QWidget *editor = QApplication::activeModalWidget();
            ASSERT_NE(editor, nullptr);
            QTest::mouseClick(editor->findChild<QAbstractButton *>(QString::fromLatin1(button)), Qt::LeftButton);
            QTest::mouseClick(editor->findChild<QAbstractButton *>(QString::fromLatin1(close)), Qt::LeftButton);
        });
    }

    ScriptedPrompter prompter;
    std::vector<PrintLayout> stored;
    bool storeFails = false;
    std::unique_ptr<TListFormat> window;
};

TEST_F(ListFormat, ZoomMovesByTensBetweenItsBounds)
{
    open();
    const double dpi = window->logicalDpiX();
    EXPECT_EQ(child<QLineEdit>("zoom")->text(), QStringLiteral("50"));
    EXPECT_EQ(child<QLabel>("fond")->size(), PreviewSheetSize(50, dpi));
    EXPECT_EQ(PreviewSheetSize(500, 96), QSize(3966, 5611));
    for (int i = 0; i < 60; ++i)
        click("DebutBtnH");
    EXPECT_EQ(window->zoom(), 500);
    EXPECT_EQ(child<QLabel>("fond")->size(), PreviewSheetSize(500, dpi));
    for (int i = 0; i < 60; ++i)
        click("DebutBtnB");
    EXPECT_EQ(window->zoom(), 40);
    EXPECT_EQ(window->sheet().size(), PreviewSheetSize(40, dpi));
}

TEST_F(ListFormat, EditorOkStoresTheLayoutAndRedraws)
{
    open();
    const QImage before = window->sheet();
    answerEditor("Btn_PageHeight_Down", "Btn_Ok");
    click("FiltreBtn");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_DOUBLE_EQ(stored[0].PageHeight, 20.9);
    EXPECT_DOUBLE_EQ(window->layout().PageHeight, 20.9);
    EXPECT_NE(window->sheet(), before);

    answerEditor("Btn_PageHeight_Down", "Btn_Cancel");
    click("FiltreBtn");
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_DOUBLE_EQ(window->layout().PageHeight, 20.9);

    storeFails = true;
    answerEditor("Btn_TopLine_Up", "Btn_Ok");
    click("FiltreBtn");
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("lecture seule")));
    EXPECT_DOUBLE_EQ(window->layout().TopLine, 1.0);
}

TEST_F(ListFormat, NoPrinterIsToldAndNothingIsPrinted)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    open();
    click("ImprimerBtn");
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("Aucune imprimante")));
}

} // namespace
} // namespace vivrelo
