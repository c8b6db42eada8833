#include "ui/TNewGauge.h"
#include "ui/TWait.h"

#include "base/AppValues.h"
#include "support/TestDirs.h"
#include "ui/ShellGeometry.h"
#include "ui/UiTestSupport.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

class ProgressWindowsTest : public ::testing::Test
{
protected:
    TestDirs dirs;
};

TEST_F(ProgressWindowsTest, WaitBarFillsItsTrackInSteps)
{
    TWait wait;
    wait.setTask(QStringLiteral("Sauvegarde de la base"));
    wait.setMessage(QStringLiteral("Quelques instants, SVP ..."));
    wait.setMaximum(3);
    wait.setPosition(0);
    auto *track = wait.findChild<QWidget *>(QStringLiteral("Gauge_Back"));
    EXPECT_TRUE(track->isHidden());
    wait.showBar(true);
    wait.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wait));
    EXPECT_EQ(wait.size(), QSize(277, 65));
    EXPECT_TRUE(track->isVisible());
    EXPECT_EQ(track->geometry(), QRect(13, 54, 251, 5));

    int widths[3];
    for (int &w : widths) {
        wait.step(QStringLiteral("Copie ..."));
        wait.pump();
        w = wait.barWidth();
    }
    EXPECT_EQ(widths[0], 83);
    EXPECT_EQ(widths[1], 167);
    EXPECT_EQ(widths[2], 251);
    EXPECT_EQ(wait.findChild<QLabel *>(QStringLiteral("Lab_Msg"))->text(), QStringLiteral("Copie ..."));

    // The green bar is drawn inside the track.
    const QColor barPixel = PixelOf(&wait, QPoint(13 + 200, 56));
    EXPECT_GT(barPixel.green(), barPixel.red());
    EXPECT_GT(barPixel.green(), barPixel.blue());

    // Past the maximum the bar outgrows the track (clipped by it); no maximum, no bar.
    wait.step(QStringLiteral("Encore"));
    EXPECT_EQ(wait.barWidth(), 334);
    wait.setMaximum(0);
    EXPECT_EQ(wait.barWidth(), 0);
}

TEST_F(ProgressWindowsTest, WaitWindowLooksAsDesignedAndStaysBorderless)
{
    App().standardFrame = true;
    TWait wait;
    EXPECT_TRUE(wait.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(wait.property("tag").toInt(), -1);
    const QFont task = wait.findChild<QLabel *>(QStringLiteral("Lab_Task"))->font();
    EXPECT_EQ(task.pixelSize(), 17);
    EXPECT_TRUE(task.bold());
    const auto *msg = wait.findChild<QLabel *>(QStringLiteral("Lab_Msg"));
    EXPECT_EQ(msg->font().pixelSize(), 15);
    EXPECT_EQ(msg->palette().color(QPalette::WindowText), QColor(128, 192, 255));
    ASSERT_TRUE(ShowAndExpose(&wait));
    EXPECT_TRUE(Near(PixelOf(&wait, QPoint(270, 0)), QColor(51, 152, 255), 3));
    EXPECT_TRUE(Near(PixelOf(&wait, QPoint(270, 64)), QColor(0, 67, 179), 4));
}

TEST_F(ProgressWindowsTest, WaitWindowIsCentredOnTheWorkAreaOrOnAWindow)
{
    // Halves go to the even neighbour on the desktop: 261.5 → 262, 262.5 → 262.
    EXPECT_EQ(CentredInWorkArea(QSize(277, 65), QRect(0, 0, 800, 600)), QPoint(262, 268));
    EXPECT_EQ(CentredInWorkArea(QSize(277, 65), QRect(0, 0, 802, 601)), QPoint(262, 268));
    EXPECT_EQ(CentredInWorkArea(QSize(277, 65), QRect(60, 0, 800, 600)), QPoint(322, 268));

    TWait wait;
    EXPECT_EQ(wait.pos(), CentredInWorkArea(wait.size(), DesktopWorkArea(&wait))); // where it opens

    QWidget main(nullptr, Qt::FramelessWindowHint);
    main.setGeometry(100, 100, 801, 600);
    wait.placeOn(&main);
    EXPECT_EQ(wait.pos(), QPoint(100 + 262, 100 + 267)); // 524 / 2, 535 / 2 truncated
}

TEST_F(ProgressWindowsTest, HidingThroughTheProgressInterfaceHidesTheWindow)
{
    // The start hides its sink before the "IMPORTANT !!" message: the window must go.
    TWait wait;
    TNewGauge gauge;
    for (ProgressSink *sink : {static_cast<ProgressSink *>(&wait), static_cast<ProgressSink *>(&gauge)}) {
        sink->show();
        auto *window = dynamic_cast<QWidget *>(sink);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        sink->hide();
        EXPECT_FALSE(window->isVisible());
    }
}

TEST_F(ProgressWindowsTest, GaugeTrackFollowsTheWindowWidth)
{
    TNewGauge gauge;
    EXPECT_TRUE(gauge.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(gauge.windowFlags() & Qt::FramelessWindowHint);
    gauge.setMaximum(10);
    gauge.setPosition(0);
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    EXPECT_EQ(gauge.width(), 222);
    EXPECT_EQ(gauge.trackWidth(), 200);
    // Centred on the screen, halves truncated, with its drop shadow 4 pixels right and down.
    EXPECT_EQ(gauge.pos(), CentredOnWindow(gauge.size(), DesktopWorkArea(&gauge)));
    ASSERT_TRUE(gauge.shadow()->isVisible());
    EXPECT_EQ(gauge.shadow()->geometry(), gauge.geometry().translated(4, 4));
    EXPECT_EQ(gauge.barWidth(), 0);
    gauge.setPosition(5);
    EXPECT_EQ(gauge.barWidth(), 97);
    gauge.setPosition(10);
    gauge.pump();
    EXPECT_EQ(gauge.barWidth(), 195);
    gauge.setMaximum(0);
    EXPECT_EQ(gauge.barWidth(), 0);
}

} // namespace
