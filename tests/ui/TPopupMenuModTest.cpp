#include "ui/TPopupMenuMod.h"

#include "support/TestDirs.h"
#include "ui/UiTestSupport.h"

#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

class TPopupMenuModTest : public ::testing::Test
{
protected:
    TestDirs dirs;
};

TEST_F(TPopupMenuModTest, ItemsAreDrawnInTheShellLook)
{
    TPopupMenuMod menu;
    QAction *backup = menu.addAction(QStringLiteral("&Sauvegarde"));
    QAction *separator = menu.addSeparator();
    QPixmap red(16, 16);
    red.fill(Qt::transparent);
    QPainter(&red).fillRect(2, 2, 12, 12, QColor(255, 0, 0));
    QAction *restore = menu.addAction(QIcon(red), QStringLiteral("&Restauration"));
    restore->setEnabled(false);
    QAction *history = menu.addAction(QIcon(red), QStringLiteral("&Historique"));
    menu.popup(QPoint(100, 100));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));

    const QRect first = menu.actionGeometry(backup);
    EXPECT_EQ(first.height(), 22);
    EXPECT_EQ(menu.actionGeometry(separator).height(), 10);
    EXPECT_EQ(menu.actionGeometry(restore).height(), 22);

    menu.setActiveAction(backup);
    const QImage image = menu.grab().toImage();
    const int mid = first.center().y();
    // Selected: pale blue band framed in blue from one pixel inside the edges.
    EXPECT_EQ(image.pixelColor(first.right() - 6, mid), QColor(231, 236, 248));
    EXPECT_EQ(image.pixelColor(first.left() + 1, mid), QColor(131, 166, 224));
    EXPECT_EQ(image.pixelColor(first.left() + 40, first.top()), QColor(131, 166, 224));

    // Not selected: grey picture column, white text ground.
    const QRect hist = menu.actionGeometry(history);
    EXPECT_EQ(image.pixelColor(hist.left() + 1, hist.top() + 1), QColor(244, 244, 244));
    EXPECT_EQ(image.pixelColor(hist.right() - 4, hist.top() + 2), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(hist.left() + 3 + 8, hist.center().y()), QColor(255, 0, 0));

    // Separator: a silver line at half height, right of the picture column.
    const QRect sep = menu.actionGeometry(separator);
    EXPECT_EQ(image.pixelColor(sep.left() + 22 + 10, sep.top() + 5), QColor(192, 192, 192));
    EXPECT_EQ(image.pixelColor(sep.left() + 22 + 10, sep.top() + 2), QColor(255, 255, 255));

    // Disabled: the red picture turns grey (average of its channels).
    const QRect rest = menu.actionGeometry(restore);
    EXPECT_EQ(image.pixelColor(rest.left() + 3 + 8, rest.center().y()), QColor(85, 85, 85));
}

TEST_F(TPopupMenuModTest, BitmapPicturesLoseTheirKeyColourAndGreyKeepsTransparency)
{
    QImage bitmap(16, 16, QImage::Format_RGB32);
    bitmap.fill(QColor(255, 0, 255));
    bitmap.setPixel(8, 8, qRgb(30, 60, 90));
    const QImage keyed = MenuPicture(bitmap);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(keyed.pixel(8, 8), qRgb(30, 60, 90));
    const QImage grey = GreyedPicture(keyed);
    EXPECT_EQ(grey.pixel(8, 8), qRgba(60, 60, 60, 255));
    EXPECT_EQ(qAlpha(grey.pixel(0, 0)), 0);

    // A picture that has its own transparency keeps every pixel.
    QImage png(16, 16, QImage::Format_ARGB32);
    png.fill(QColor(255, 0, 255));
    EXPECT_EQ(MenuPicture(png).pixel(0, 15), qRgb(255, 0, 255));
}

TEST_F(TPopupMenuModTest, SubmenusShareTheLook)
{
    TPopupMenuMod menu;
    TPopupMenuMod *db = menu.addMenu(QStringLiteral("&Base de données"));
    QAction *compact = db->addAction(QStringLiteral("&Compacter/Réparer"));
    db->popup(QPoint(50, 50));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(db));
    EXPECT_EQ(db->actionGeometry(compact).height(), 22);
    EXPECT_EQ(menu.actionGeometry(db->menuAction()).height(), 22);
}

} // namespace
