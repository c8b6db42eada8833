#include "app/gui/TMdacMsg.h"

#include "app/Settings.h"
#include "support/TestDirs.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

// Closes the modal window shown next by clicking the named control, and keeps what it showed.
struct Closer {
    QString page;
    QString caption;
    QSize size;
    void arm(const char *control)
    {
        QTimer::singleShot(0, [this, control] {
            QWidget *w = QApplication::activeModalWidget();
            ASSERT_NE(w, nullptr);
            page = w->findChild<QTextBrowser *>(QStringLiteral("WebBrowser1"))->toPlainText();
            caption = w->windowTitle();
            size = w->size();
            QTest::mouseClick(w->findChild<QWidget *>(QString::fromLatin1(control)), Qt::LeftButton);
        });
    }
};

TEST(MdacMsg, ShownOnlyWhenAskedForAndTheEngineIsTooOld)
{
    test::TestDirs dirs;
    AppSettings().testMdac = false;
    EXPECT_FALSE(ShowDataAccessInfoIfNeeded(nullptr, [] { return false; }));
    AppSettings().testMdac = true;
    EXPECT_FALSE(ShowDataAccessInfoIfNeeded(nullptr, [] { return true; }));

    Closer closer;
    closer.arm("CloseBtn");
    EXPECT_TRUE(ShowDataAccessInfoIfNeeded(nullptr, [] { return false; }));
    EXPECT_EQ(closer.size, QSize(470, 317));
    EXPECT_EQ(closer.caption, QStringLiteral("Information"));
    EXPECT_TRUE(closer.page.contains(QStringLiteral("SQLite")));

    QFile::remove(dirs.programDir() + QStringLiteral("html/mdac.htm"));
    closer.arm("Exit");
    EXPECT_TRUE(ShowDataAccessInfoIfNeeded(nullptr, [] { return false; }));
    EXPECT_TRUE(closer.page.contains(QStringLiteral("introuvable")));
    AppSettings().testMdac = false;
}

} // namespace
