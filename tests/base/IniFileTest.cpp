#include "base/IniFile.h"

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
} // namespace

TEST(IniFile, KeepsForeignKeysCaseAndBackslashesAcrossARewrite)
{
    test::TestDirs dirs;
    const QString path = dirs.writeFile(dirs.root() + QStringLiteral("x.ini"),
        "; comment\r\n[DataBase]\r\nprovider=OLEDB\r\nPath=Data\\\r\nMine=kept\r\n[Other]\r\nA=1\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString(QStringLiteral("DATABASE"), QStringLiteral("Provider"), {}), QStringLiteral("OLEDB"));
    EXPECT_EQ(ini.readString(QStringLiteral("database"), QStringLiteral("path"), {}), QStringLiteral("Data\\"));
    ini.setValue(QStringLiteral("DataBase"), QStringLiteral("Provider"), QStringLiteral("ODBC"));
    ini.writeBool(QStringLiteral("New"), QStringLiteral("Flag"), true);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readAll(path),
        QByteArray("; comment\r\n[DataBase]\r\nprovider=ODBC\r\nPath=Data\\\r\nMine=kept\r\n"
                   "[Other]\r\nA=1\r\n[New]\r\nFlag=1\r\n"));
}

TEST(IniFile, MalformedIntegersAndMissingFilesReadAsDefaults)
{
    test::TestDirs dirs;
    const QString path = dirs.writeFile(dirs.root() + QStringLiteral("s.ini"), "[P]\nSplash=yes\nTest=0\nN= 12 \n");
    const IniFile ini(path);
    EXPECT_TRUE(ini.readBool(QStringLiteral("P"), QStringLiteral("Splash"), true));
    EXPECT_FALSE(ini.readBool(QStringLiteral("P"), QStringLiteral("Test"), true));
    EXPECT_EQ(ini.readInteger(QStringLiteral("P"), QStringLiteral("N"), 5), 12);
    EXPECT_EQ(ini.readInteger(QStringLiteral("P"), QStringLiteral("Missing"), 5), 5);
    const IniFile none(dirs.root() + QStringLiteral("none.ini"));
    EXPECT_EQ(none.readInteger(QStringLiteral("P"), QStringLiteral("N"), -1), -1);
}

TEST(IniFile, ANewFileIsWrittenSectionBySectionInTheOrderOfTheWrites)
{
    test::TestDirs dirs;
    IniFile ini(dirs.root() + QStringLiteral("db.ini"));
    ini.setValue(QStringLiteral("DataBase"), QStringLiteral("Provider"), QStringLiteral("OLEDB"));
    ini.setValue(QStringLiteral("ODBC"), QStringLiteral("Name"), QStringLiteral("N"));
    ini.setValue(QStringLiteral("DataBase"), QStringLiteral("Path"), QStringLiteral("Data\\"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readAll(ini.path()), QByteArray("[DataBase]\r\nProvider=OLEDB\r\nPath=Data\\\r\n[ODBC]\r\nName=N\r\n"));
}

TEST(IniFile, AnUnwritableFileIsReported)
{
    IniFile ini(QStringLiteral("/proc/vivrelo-no-such-dir/x.ini"));
    ini.setValue(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"));
    EXPECT_FALSE(ini.save());
}
