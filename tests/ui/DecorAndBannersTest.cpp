#include "ui/DecorClock.h"
#include "ui/DecorNotebook.h"
#include "ui/TAbout.h"
#include "ui/TSplash.h"

#include "base/AppValues.h"
#include "support/TestDirs.h"
#include "ui/UiTestSupport.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

class DecorAndBannersTest : public ::testing::Test
{
protected:
    TestDirs dirs;
};

QPixmap Checker(const QColor &a, const QColor &b)
{
    QPixmap tile(2, 2);
    tile.fill(a);
    QPainter p(&tile);
    p.fillRect(1, 0, 1, 1, b);
    p.fillRect(0, 1, 1, 1, b);
    return tile;
}

TEST_F(DecorAndBannersTest, NotebookTilesItsBackgroundAndCoverAroundThePage)
{
    TabNoteBook book;
    book.resize(751, 545);
    book.setBackground(Checker(QColor(200, 0, 0), QColor(0, 0, 200)));
    QPixmap green(5, 5);
    green.fill(QColor(0, 160, 0));
    book.setCover(green);
    book.redraw();

    const QImage image = book.grab().toImage();
    // The background covers the whole area, tile after tile, to the far corner.
    EXPECT_EQ(image.pixelColor(0, 0), QColor(200, 0, 0));
    EXPECT_EQ(image.pixelColor(1, 0), QColor(0, 0, 200));
    EXPECT_EQ(image.pixelColor(750, 544), QColor(200, 0, 0));
    EXPECT_EQ(image.pixelColor(749, 2), QColor(0, 0, 200));
    // The cover shows between the background and the leaves.
    const QRect cover = book.coverRect();
    const QRect page = book.pageRect();
    ASSERT_TRUE(cover.contains(page));
    EXPECT_EQ(image.pixelColor(cover.left() + 4, cover.center().y()), QColor(0, 160, 0));
    EXPECT_EQ(image.pixelColor(cover.center().x(), cover.top() + 4), QColor(0, 160, 0));
    // The page widget lies on the leaves.
    EXPECT_EQ(book.page()->geometry(), page);

    book.setBackground(Checker(QColor(10, 20, 30), QColor(10, 20, 30)));
    book.redraw();
    EXPECT_EQ(book.grab().toImage().pixelColor(0, 0), QColor(10, 20, 30));
}

TEST_F(DecorAndBannersTest, DigitalTimeLightsItsColonOnlyWhenShown)
{
    DigitalTimeLabel time;
    time.resize(46, 20);
    EXPECT_EQ(time.text(), QStringLiteral("00:00"));
    time.setText(QStringLiteral("14:05"));
    const QImage lit = time.grab().toImage();
    time.setText(QStringLiteral("14 05"));
    const QImage blank = time.grab().toImage();
    EXPECT_NE(lit, blank);
    // Only the middle column differs: the figures stay where they are.
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(lit.pixel(6, y), blank.pixel(6, y));
        EXPECT_EQ(lit.pixel(39, y), blank.pixel(39, y));
    }
}

TEST_F(DecorAndBannersTest, SplashShowsTheVersionAndFollowsProgressEvenHidden)
{
    App().standardFrame = true;
    TSplash splash;
    EXPECT_EQ(splash.objectName(), QStringLiteral("Splash"));
    EXPECT_EQ(splash.size(), QSize(435, 170));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.findChild<QLabel *>(QStringLiteral("version_"))->text(), QStringLiteral("Version 1.83"));
    auto *bar = splash.findChild<QProgressBar *>(QStringLiteral("barre"));
    EXPECT_FALSE(bar->isTextVisible());

    ProgressSink &sink = splash;
    sink.setMaximum(8);
    sink.setPosition(1);
    sink.setTask(QStringLiteral("Chargement du logiciel ..."));
    sink.pump();
    sink.setPosition(4);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(bar->value(), 4);
    EXPECT_EQ(bar->maximum(), 8);
    EXPECT_EQ(splash.infoText(), QStringLiteral("Chargement du logiciel ..."));
}

TEST_F(DecorAndBannersTest, AboutNamesTheDataSourceAndClosesWithOk)
{
    App().standardFrame = true;
    TAbout about(QStringLiteral("TALVANE_VIVRELO"));
    EXPECT_EQ(about.objectName(), QStringLiteral("About"));
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(about.findChild<QLabel *>(QStringLiteral("Lab_Dsn"))->text(), QStringLiteral("DSN: TALVANE_VIVRELO"));
    EXPECT_EQ(about.findChild<QLabel *>(QStringLiteral("Lab_Product"))->text(), QStringLiteral("Talvane Vivrelo"));
    auto *ok = about.findChild<QPushButton *>(QStringLiteral("Btn_Ok"));
    QTimer::singleShot(50, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}

} // namespace
