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

TEST(IniFile, AWindowsFileKeepsItsCodePageAndItsUnchangedLinesBytes)
{
    test::TestDirs dirs;
    // "; Réglages de l’utilisateur", "Dossier=C:\Données €" in code page 1252, with an LF line.
    const QByteArray original("; R\xE9glages de l\x92utilisateur\r\n[Properties]\r\nSplash = 1\nDossier=C:\\Donn\xE9"
                              "es \x80\r\n");
    const QString path = dirs.writeFile(dirs.root() + QStringLiteral("w.ini"), original);
    IniFile ini(path);
    EXPECT_EQ(ini.readString(QStringLiteral("Properties"), QStringLiteral("Dossier"), {}),
        QString::fromUtf8("C:\\Données €"));
    ini.writeBool(QStringLiteral("Properties"), QStringLiteral("Splash"), true); // same value: untouched
    ini.setValue(QStringLiteral("Properties"), QStringLiteral("Note"), QString::fromUtf8("cœur"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readAll(path),
        original
            + QByteArray("Note=c\x9C"
                         "ur\r\n"));

    // A text the code page cannot hold turns the whole file to UTF-8, nothing lost.
    ini.setValue(QStringLiteral("Properties"), QStringLiteral("Note"), QString::fromUtf8("ĳ"));
    ASSERT_TRUE(ini.save());
    const IniFile back(path);
    EXPECT_EQ(back.readString(QStringLiteral("Properties"), QStringLiteral("Dossier"), {}),
        QString::fromUtf8("C:\\Données €"));
    EXPECT_EQ(back.readString(QStringLiteral("Properties"), QStringLiteral("Note"), {}), QString::fromUtf8("ĳ"));
    EXPECT_TRUE(readAll(path).startsWith(QString::fromUtf8("; Réglages de l’utilisateur\r\n").toUtf8()));
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
