#include "ui/WindowChrome.h"

#include "base/AppValues.h"
#include "support/TestDirs.h"
#include "ui/ShellGeometry.h"
#include "ui/UiTestSupport.h"

#include <QDialog>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

// A 500 × 300 borderless dialog laid out by hand the way the window descriptions are: title
// bar with its title and close picture, content under it, grip in the corner.
std::unique_ptr<QDialog> MakeDialog(
    const QString &title = QStringLiteral(" Catalogue"), bool withGrip = true, QWidget *owner = nullptr)
{
    auto d = std::make_unique<QDialog>(owner, Qt::FramelessWindowHint);
    d->setObjectName(QStringLiteral("EnterItems"));
    d->resize(500, 300);
    auto *bar = new QWidget(d.get());
    bar->setObjectName(QStringLiteral("TitleBar"));
    bar->setGeometry(0, 0, 500, 18);
    auto *label = new QLabel(title, bar);
    label->setObjectName(QStringLiteral("Title"));
    label->setGeometry(0, 0, 470, 18);
    auto *exit = new QLabel(bar);
    exit->setObjectName(QStringLiteral("Exit"));
    exit->setGeometry(482, 1, 16, 16);
    auto *content = new QLabel(QStringLiteral("Contenu"), d.get());
    content->setObjectName(QStringLiteral("Content"));
    content->setGeometry(0, 18, 500, 282);
    auto *caption = new QLabel(QStringLiteral("Marge"), d.get());
    caption->setObjectName(QStringLiteral("Lab_Margin"));
    caption->setGeometry(10, 40, 60, 15);
    if (withGrip) {
        auto *grip = new QLabel(d.get());
        grip->setObjectName(QStringLiteral("Image1"));
        grip->setGeometry(486, 286, 12, 12);
    }
    return d;
}

class WindowChromeTest : public ::testing::Test
{
protected:
    TestDirs dirs;
};

TEST_F(WindowChromeTest, DraggingFollowsTheMouseOnTheTitleAndNamedSurfacesOnly)
{
    auto d = MakeDialog();
    WindowChrome::prepare(d.get(), {QSize(400, 200), {QStringLiteral("Lab_Margin")}});
    d->move(100, 100);
    ASSERT_TRUE(ShowAndExpose(d.get()));
    auto *title = d->findChild<QLabel *>(QStringLiteral("Title"));

    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(20, 5));
    QTest::mouseMove(title, QPoint(20 + 30, 5 + 40));
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(20 + 30, 5 + 40));
    ASSERT_TRUE(WaitFor([&] { return d->pos() == QPoint(130, 140); })) << d->pos().x();

    // A named caption label drags too; the content does not.
    auto *margin = d->findChild<QLabel *>(QStringLiteral("Lab_Margin"));
    QTest::mousePress(margin, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(margin, QPoint(5 - 20, 5 - 10));
    QTest::mouseRelease(margin, Qt::LeftButton, {}, QPoint(-15, -5));
    ASSERT_TRUE(WaitFor([&] { return d->pos() == QPoint(110, 130); }));

    auto *content = d->findChild<QLabel *>(QStringLiteral("Content"));
    QTest::mousePress(content, Qt::LeftButton, {}, QPoint(200, 200));
    QTest::mouseMove(content, QPoint(260, 260));
    QTest::mouseRelease(content, Qt::LeftButton, {}, QPoint(260, 260));
    QTest::qWait(20);
    EXPECT_EQ(d->pos(), QPoint(110, 130));
}

TEST_F(WindowChromeTest, GripRefusesAWidthEqualToTheMinimumWhileTheHeightFollows)
{
    auto d = MakeDialog();
    WindowChrome::prepare(d.get(), {QSize(400, 200), {}});
    ASSERT_TRUE(ShowAndExpose(d.get()));
    auto *grip = d->findChild<QLabel *>(QStringLiteral("Image1"));
    EXPECT_EQ(grip->cursor().shape(), Qt::SizeFDiagCursor);

    QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(grip, QPoint(5 - 100, 5 + 50)); // width 400: refused
    ASSERT_TRUE(WaitFor([&] { return d->height() == 350; }));
    EXPECT_EQ(d->width(), 500);
    QTest::mouseMove(grip, QPoint(5 - 99, 5 - 100)); // width 401, height 200: refused
    ASSERT_TRUE(WaitFor([&] { return d->width() == 401; }));
    EXPECT_EQ(d->height(), 350);
    QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(5 - 99, 5 - 100));

    // Once released, moving over the grip does nothing.
    QTest::mouseMove(grip, QPoint(40, 40));
    QTest::qWait(20);
    EXPECT_EQ(d->size(), QSize(401, 350));
}

TEST_F(WindowChromeTest, TitleBarShowsWhetherItsWindowIsActive)
{
    auto a = MakeDialog(QStringLiteral(" A"));
    auto b = MakeDialog(QStringLiteral(" B"));
    WindowChrome *chromeA = WindowChrome::prepare(a.get());
    WindowChrome::prepare(b.get());
    a->move(0, 0);
    b->move(520, 0);
    ASSERT_TRUE(ShowAndExpose(a.get()));
    ASSERT_TRUE(ShowAndExpose(b.get()));
    QWidget *barA = a->findChild<QWidget *>(QStringLiteral("TitleBar"));

    a->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(a.get()));
    ASSERT_TRUE(WaitFor([&] { return chromeA->showsActive(); }));
    EXPECT_TRUE(Near(PixelOf(barA, QPoint(0, 9)), QColor(51, 152, 255)));
    EXPECT_TRUE(Near(PixelOf(barA, QPoint(499, 9)), QColor(0, 80, 210), 3));

    b->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(b.get()));
    ASSERT_TRUE(WaitFor([&] { return !chromeA->showsActive(); }));
    EXPECT_TRUE(Near(PixelOf(barA, QPoint(0, 9)), QColor(160, 190, 250)));
    EXPECT_TRUE(Near(PixelOf(barA, QPoint(499, 9)), QColor(104, 137, 206), 3));
    EXPECT_EQ(
        a->findChild<QLabel *>(QStringLiteral("Title"))->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_EQ(a->findChild<QTimer *>(QStringLiteral("ActiveTest"))->interval(), 10);
}

TEST_F(WindowChromeTest, ClosePictureRejectsTheDialogAndMaximiseTogglesWithItsHint)
{
    auto d = MakeDialog();
    auto *maxi = new QLabel(d->findChild<QWidget *>(QStringLiteral("TitleBar")));
    maxi->setObjectName(QStringLiteral("SysMaxiBtn"));
    maxi->setGeometry(464, 1, 16, 16);
    auto *pad = new QWidget(d.get());
    pad->setObjectName(QStringLiteral("Pan_RezisePad"));
    pad->setGeometry(480, 280, 20, 20);
    WindowChrome::prepare(d.get());
    d->setResult(QDialog::Accepted);
    ASSERT_TRUE(ShowAndExpose(d.get()));
    EXPECT_EQ(maxi->toolTip(), QStringLiteral("Agrandir"));

    QTest::mouseClick(maxi, Qt::LeftButton, {}, QPoint(8, 8));
    ASSERT_TRUE(WaitFor([&] { return d->isMaximized(); }));
    EXPECT_EQ(maxi->toolTip(), QStringLiteral("Réduire"));
    EXPECT_TRUE(pad->isHidden());
    QTest::mouseClick(maxi, Qt::LeftButton, {}, QPoint(8, 8));
    ASSERT_TRUE(WaitFor([&] { return !d->isMaximized(); }));
    EXPECT_EQ(maxi->toolTip(), QStringLiteral("Agrandir"));
    EXPECT_TRUE(pad->isVisible());
    d->hide();

    auto *exit = d->findChild<QLabel *>(QStringLiteral("Exit"));
    EXPECT_EQ(exit->toolTip(), QStringLiteral("Quitter"));
    QTimer::singleShot(50, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton, {}, QPoint(8, 8)); });
    EXPECT_EQ(d->exec(), QDialog::Rejected);
}

TEST_F(WindowChromeTest, CaptionComesFromTheDrawnTitle)
{
    const struct {
        const char *title;
        const char *caption;
    } cases[] = {
        {"  Historique des sauvegardes", "Historique des sauvegardes"},
        {" L''étiquette d''un prix", "L'étiquette d'un prix"},
        {"   ", " "},
    };
    for (const auto &c : cases) {
        auto d = MakeDialog(QString::fromUtf8(c.title));
        WindowChrome::prepare(d.get());
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8(c.caption)) << c.title;
    }
}

TEST_F(WindowChromeTest, DialogIsCentredOnItsOwnerUnlessPlacedByItsCaller)
{
    QWidget owner(nullptr, Qt::FramelessWindowHint);
    owner.setObjectName(QStringLiteral("MainForm"));
    owner.setGeometry(100, 100, 801, 600);
    ASSERT_TRUE(ShowAndExpose(&owner));

    auto centred = MakeDialog(QStringLiteral(" Centré"), true, &owner);
    WindowChrome::prepare(centred.get());
    ASSERT_TRUE(ShowAndExpose(centred.get()));
    EXPECT_EQ(centred->pos(), QPoint(100 + 150, 100 + 150)); // (801 - 500) / 2 truncated

    auto placed = MakeDialog(QStringLiteral(" Placé"), true, &owner);
    WindowChrome::prepare(placed.get());
    placed->move(10, 20);
    ASSERT_TRUE(ShowAndExpose(placed.get()));
    EXPECT_EQ(placed->pos(), QPoint(10, 20));
}

TEST_F(WindowChromeTest, StandardFrameReplacesTheTitleBarAndKeepsTheContentWhole)
{
    App().standardFrame = true;
    auto d = MakeDialog(QStringLiteral("  Propriétés"), false);
    WindowChrome *chrome = WindowChrome::prepare(d.get());
    auto *content = d->findChild<QLabel *>(QStringLiteral("Content"));

    EXPECT_TRUE(chrome->nativeFrame());
    EXPECT_TRUE(d->findChild<QWidget *>(QStringLiteral("TitleBar"))->isHidden());
    const Qt::WindowFlags flags = d->windowFlags();
    EXPECT_FALSE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Propriétés"));
    // The content moved up into the bar's place with its size; without a grip the frame is
    // fixed.
    EXPECT_EQ(content->geometry(), QRect(0, 0, 500, 282));
    EXPECT_EQ(d->size(), QSize(500, 282));
    EXPECT_EQ(d->minimumSize(), d->maximumSize());
    ASSERT_TRUE(ShowAndExpose(d.get()));
    EXPECT_GE(d->frameGeometry().height(), d->height());

    // A window tagged -1 and the splash stay borderless.
    for (const char *name : {"Wait", "Splash"}) {
        auto w = MakeDialog();
        w->setObjectName(QLatin1String(name));
        if (w->objectName() == QLatin1String("Wait"))
            w->setProperty("tag", -1);
        EXPECT_FALSE(WindowChrome::prepare(w.get())->nativeFrame()) << name;
        EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint) << name;
        EXPECT_FALSE(w->findChild<QWidget *>(QStringLiteral("TitleBar"))->isHidden());
    }
}

TEST_F(WindowChromeTest, StandardFrameIsSizeableOnlyWithARezisePad)
{
    App().standardFrame = true;
    auto d = MakeDialog(QStringLiteral(" Catalogue"), true); // an "Image1" grip: the frame is fixed
    WindowChrome::prepare(d.get(), {QSize(400, 200), {}});
    EXPECT_EQ(d->minimumSize(), d->maximumSize());
    auto r = MakeDialog(QStringLiteral(" Aperçu"), true);
    r->findChild<QLabel *>(QStringLiteral("Image1"))->setObjectName(QStringLiteral("RezisePad"));
    WindowChrome::prepare(r.get(), {QSize(400, 200), {}});
    EXPECT_EQ(r->minimumSize(), QSize(401, 201));
    EXPECT_GT(r->maximumWidth(), 10000);
    EXPECT_EQ(r->size(), QSize(500, 282));
}

TEST(MainWindowPlacementTest, SavedPlacementIsKeptOnlyWhileItFitsTheWorkArea)
{
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(RestoredPlacement({30, 40, 900, 700}, screen), QRect(30, 40, 900, 700));
    // A smaller screen than the one it was saved on: 800 x 600, centred.
    EXPECT_EQ(RestoredPlacement({300, 200, 900, 700}, QRect(0, 0, 1024, 738)), QRect(112, 69, 800, 600));
    // Nothing saved, or a size without its height.
    EXPECT_EQ(RestoredPlacement({}, screen), QRect(240, 212, 800, 600));
    EXPECT_EQ(RestoredPlacement({10, 10, 900, -1}, screen), QRect(240, 212, 800, 600));
    // A negative left or top goes back to the centred position, or to 0.
    EXPECT_EQ(RestoredPlacement({-50, 10, 700, 500}, screen), QRect(290, 10, 700, 500));
    EXPECT_EQ(RestoredPlacement({10, -20, 700, 500}, screen), QRect(10, 262, 700, 500));
    EXPECT_EQ(RestoredPlacement({}, QRect(0, 0, 640, 480)), QRect(0, 0, 800, 600));
    // A size the window cannot take (below its minimum, or nothing at all) is no placement.
    const QSize minimum(641, 481);
    EXPECT_EQ(RestoredPlacement({30, 40, 0, 0}, screen, minimum), QRect(240, 212, 800, 600));
    EXPECT_EQ(RestoredPlacement({30, 40, 900, 300}, screen, minimum), QRect(240, 212, 800, 600));
    EXPECT_EQ(RestoredPlacement({30, 40, 641, 481}, screen, minimum), QRect(30, 40, 641, 481));
}

} // namespace
