#include "app/Settings.h"

#include "support/TestDirs.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(Settings, AFirstSaveWritesTheSixteenKeysInOrder)
{
    test::TestDirs dirs;
    const QString path = dirs.root() + QStringLiteral("vivrelo.ini");
    LoadSettings(path);
    AppSettings().firstLaunch = false;
    ASSERT_EQ(SaveSettings(path), QString());
    EXPECT_EQ(readAll(path),
        QByteArray("[Properties]\r\nFirstLaunch=0\r\nTestMdac=0\r\nSplash=1\r\nSortId=0\r\n"
                   "HideBigFontMsg=0\r\nShowCalendar=0\r\n"
                   "[Windows]\r\nLeft=-1\r\nTop=-1\r\nWidth=-1\r\nHeight=-1\r\nState=\r\nStyle=0\r\n"
                   "[Scan]\r\nTwainSource=\r\nShowTwainUI=0\r\nMaxWidth=5000\r\nJpegQuality=100\r\n"));
}

TEST(Settings, ARoundTripKeepsValuesAndForeignKeys)
{
    test::TestDirs dirs;
    const QString path = dirs.writeFile(dirs.root() + QStringLiteral("vivrelo.ini"),
        "; written by hand\r\n[Properties]\r\nSplash=yes\r\nMine=kept\r\nTestMdac=1\r\n"
        "[Windows]\r\nLeft=12\r\nWidth=abc\r\nState=wsMaximized\r\n[Extra]\r\nA=1\r\n");
    LoadSettings(path);
    const Settings read = AppSettings();
    EXPECT_TRUE(read.splash); // "yes" is not an integer: the default
    EXPECT_TRUE(read.testMdac);
    EXPECT_EQ(read.left, 12);
    EXPECT_EQ(read.width, -1);
    EXPECT_EQ(read.state, QStringLiteral("wsMaximized"));
    EXPECT_EQ(read.maxWidth, 5000);

    AppSettings().top = 40;
    AppSettings().twainSource = QStringLiteral("Scanner é");
    ASSERT_EQ(SaveSettings(path), QString());
    const QByteArray bytes = readAll(path);
    EXPECT_TRUE(bytes.startsWith("; written by hand\r\n[Properties]\r\nSplash=1\r\nMine=kept\r\n"));
    EXPECT_TRUE(bytes.contains("[Extra]\r\nA=1\r\n"));

    AppSettings() = Settings();
    LoadSettings(path);
    EXPECT_EQ(AppSettings().top, 40);
    EXPECT_EQ(AppSettings().left, 12);
    EXPECT_EQ(AppSettings().twainSource, QStringLiteral("Scanner é"));
    EXPECT_TRUE(AppSettings().testMdac);
}

TEST(Settings, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas)
{
    test::TestDirs dirs;
    const QString missingFolder = dirs.root() + QStringLiteral("none/vivrelo.ini");
    EXPECT_EQ(SaveSettings(missingFolder), QStringLiteral("Impossible d'écrire dans ") + missingFolder);
    EXPECT_FALSE(QFile::exists(missingFolder));
}

} // namespace
