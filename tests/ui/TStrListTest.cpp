#include "ui/TStrList.h"

#include "support/TestDirs.h"
#include "ui/DecorPanels.h"
#include "ui/UiTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>

#include <gtest/gtest.h>

#include <memory>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

const QStringList kFaces{
    QStringLiteral("Arial"), QStringLiteral("Courier New"), QStringLiteral("Arial"), QStringLiteral("Times New Roman")};

// A window holding one 120 × 21 edit at (20, 30), placed at `at` on the screen.
struct EditWindow {
    QWidget window;
    QLineEdit *edit;
    explicit EditWindow(QPoint at = QPoint(50, 50), const QString &text = QString())
        : window(nullptr, Qt::FramelessWindowHint)
    {
        window.setGeometry(QRect(at, QSize(300, 120)));
        edit = new QLineEdit(text, &window);
        edit->setObjectName(QStringLiteral("Ed_Font"));
        edit->setGeometry(20, 30, 120, 21);
    }
};

class TStrListTest : public ::testing::Test
{
protected:
    TestDirs dirs;
};

TEST_F(TStrListTest, DropsUnderTheEditEightEntriesHighAndOneWhenEmpty)
{
    EditWindow w;
    ASSERT_TRUE(ShowAndExpose(&w.window));
    const QPoint editAt = w.edit->mapToGlobal(QPoint(0, 0));

    TStrList *picker = TStrList::open(w.edit, {QStringLiteral("A"), QStringLiteral("B")});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker));
    EXPECT_EQ(picker->geometry(), QRect(editAt.x(), editAt.y() + 16, 135, 107));
    EXPECT_EQ(picker->list()->geometry(), QRect(1, 1, 133, 105));
    EXPECT_EQ(picker->list()->visualItemRect(picker->list()->item(0)).height(), 13);
    EXPECT_TRUE(picker->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(picker->list()->palette().color(QPalette::Base), QColor(255, 255, 242));
    auto *border = picker->findChild<QWidget *>(QStringLiteral("Shape_Border"));
    EXPECT_TRUE(Near(PixelOf(border, QPoint(0, 50)), QColor(220, 220, 207), 0));
    QTest::keyClick(picker->list(), Qt::Key_Escape);

    TStrList *empty = TStrList::open(w.edit, {}, QColor(5, 200, 255));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(empty));
    EXPECT_EQ(empty->height(), 16);
    EXPECT_TRUE(Near(
        PixelOf(empty->findChild<QWidget *>(QStringLiteral("Shape_Border")), QPoint(0, 8)), QColor(1, 165, 220), 0));
}

TEST_F(TStrListTest, NearTheBottomOfTheScreenItOpensAboveTheEdit)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EditWindow w(QPoint(40, screen.bottom() + 1 - 100)); // the edit's top 70 px above the bottom
    ASSERT_TRUE(ShowAndExpose(&w.window));
    const QPoint editAt = w.edit->mapToGlobal(QPoint(0, 0));

    TStrList *picker = TStrList::open(w.edit, kFaces);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker));
    EXPECT_EQ(picker->y(), editAt.y() + 16 - 21 - 107 - 1);
    EXPECT_EQ(picker->height(), 107);
    EXPECT_LT(picker->geometry().bottom(), editAt.y());
}

TEST_F(TStrListTest, PreselectsTheLastEntryEqualToTheEditTextElseTheFirst)
{
    const struct {
        QString text;
        QStringList entries;
        int selected; // -1: nothing
    } cases[] = {
        {QStringLiteral("Arial"), kFaces, 2},
        {QStringLiteral("Verdana"), kFaces, 0},
        {QStringLiteral("Arial"), {QStringLiteral("Arial")}, -1},
    };
    for (const auto &c : cases) {
        EditWindow w(QPoint(50, 50), c.text);
        ASSERT_TRUE(ShowAndExpose(&w.window));
        TStrList *picker = TStrList::open(w.edit, c.entries);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(picker));
        const QList<QListWidgetItem *> sel = picker->list()->selectedItems();
        if (c.selected < 0) {
            EXPECT_TRUE(sel.isEmpty()) << c.text.toStdString();
            // Enter with nothing selected closes the picker and changes nothing.
            QTest::keyClick(picker->list(), Qt::Key_Return);
            EXPECT_FALSE(picker->isVisible());
            EXPECT_EQ(w.edit->text(), c.text);
            EXPECT_FALSE(w.edit->property("tag").isValid());
        } else {
            ASSERT_EQ(sel.size(), 1);
            EXPECT_EQ(picker->list()->row(sel.front()), c.selected) << c.text.toStdString();
        }
    }
}

TEST_F(TStrListTest, EnterOrAClickWritesTheEntryIntoTheEdit)
{
    EditWindow w(QPoint(50, 50), QStringLiteral("Arial"));
    ASSERT_TRUE(ShowAndExpose(&w.window));

    TStrList *picker = TStrList::open(w.edit, kFaces);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker));
    QTest::keyClick(picker->list(), Qt::Key_Down);
    QTest::keyClick(picker->list(), Qt::Key_Return);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(w.edit->text(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(w.edit->property("tag").toInt(), 3);
    EXPECT_EQ(w.edit->selectedText(), QStringLiteral("Times New Roman"));
    ASSERT_TRUE(WaitFor([&] { return w.edit->hasFocus(); }));

    picker = TStrList::open(w.edit, kFaces);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker));
    QListWidget *list = picker->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(w.edit->text(), QStringLiteral("Courier New"));
    EXPECT_EQ(w.edit->property("tag").toInt(), 1);
}

TEST_F(TStrListTest, EscapeOrAClickElsewhereLeavesTheEditAsItWas)
{
    EditWindow w(QPoint(50, 50), QStringLiteral("Arial"));
    w.edit->setProperty("tag", 7);
    ASSERT_TRUE(ShowAndExpose(&w.window));

    TStrList *picker = TStrList::open(w.edit, kFaces);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker));
    QTest::keyClick(picker->list(), Qt::Key_Down);
    QTest::keyClick(picker->list(), Qt::Key_Escape);
    EXPECT_FALSE(picker->isVisible());

    picker = TStrList::open(w.edit, kFaces);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker));
    QTest::keyClick(picker->list(), Qt::Key_Down);
    // Through the window system, as a real click: the popup sees it first.
    QTest::mouseClick(w.window.windowHandle(), Qt::LeftButton, {}, QPoint(280, 110));
    ASSERT_TRUE(WaitFor([&] { return !picker->isVisible(); }));

    EXPECT_EQ(w.edit->text(), QStringLiteral("Arial"));
    EXPECT_EQ(w.edit->property("tag").toInt(), 7);
}

} // namespace
