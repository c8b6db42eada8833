#include "app/Environment.h"
#include "base/AppValues.h"
#include "base/LangText.h"

#include "support/TestDirs.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <clocale>

using namespace vivrelo;

namespace {

// The message the write-rights test shows for a test file in `folder`.
QString WriteRightsMessage(const QString &folder)
{
    return QStringLiteral("TALVANE VIVRELO 1.83 : EXECUTION IMPOSSIBLE\r\rPour utiliser ce logiciel vous devez :\r\r"
                          "  - Soit avoir un compte administrateur\r"
                          "  - Soit avoir des droits en écriture sur le répertoire : ")
        + folder + QStringLiteral("\r\r");
}

TEST(WriteRights, AWritableFolderPassesAndAnExistingTestFileIsOverwrittenThenRemoved)
{
    test::TestDirs dirs;
    ScriptedPrompter prompter;
    const QString file = dirs.writeFile(dirs.root() + QStringLiteral("write.tmp"), "left over from a crash");
    EXPECT_TRUE(CheckWriteRights(QStringLiteral("Talvane Vivrelo 1.83"), file, prompter));
    EXPECT_TRUE(prompter.asked().empty());
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST(WriteRights, AFailedWriteIsReportedAndLeavesNoTestFile)
{
    test::TestDirs dirs;
    ScriptedPrompter prompter;
    // A folder that cannot exist: its parent is a plain file.
    const QString blocker = dirs.writeFile(dirs.root() + QStringLiteral("blocker"), "x");
    EXPECT_FALSE(
        CheckWriteRights(QStringLiteral("Talvane Vivrelo 1.83"), blocker + QStringLiteral("/write.tmp"), prompter));
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Error);
    EXPECT_EQ(prompter.lastText(), WriteRightsMessage(blocker + QStringLiteral("/")));

    // A write that fails halfway (the device is full) still leaves nothing behind.
    const QString full = dirs.root() + QStringLiteral("write.tmp");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
    EXPECT_FALSE(CheckWriteRights(QStringLiteral("Talvane Vivrelo 1.83"), full, prompter));
    EXPECT_EQ(prompter.lastText(), WriteRightsMessage(dirs.root()));
    EXPECT_FALSE(QFileInfo(full).isSymLink() || QFileInfo::exists(full));
}

TEST(DataAccessVersion, NeedsAWholeNumberOfAtLeastTwoPointFiveInItsFirstFourCharacters)
{
    EXPECT_TRUE(DataAccessVersionTextOk(QStringLiteral("2.81.1117.0")));
    EXPECT_TRUE(DataAccessVersionTextOk(QStringLiteral("2,7")));
    EXPECT_TRUE(DataAccessVersionTextOk(QStringLiteral("2.5")));
    EXPECT_FALSE(DataAccessVersionTextOk(QStringLiteral("2.1")));
    EXPECT_FALSE(DataAccessVersionTextOk(QStringLiteral("6.0.6001.18000")));
    EXPECT_FALSE(DataAccessVersionTextOk(QString()));
    EXPECT_FALSE(DataAccessVersionTextOk(QStringLiteral("abc")));

    // The information page states the version that the check asks for.
    QFile page(test::SourceDir() + QStringLiteral("src/resources/program/html/mdac.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(page.readAll()).contains(QStringLiteral("version 2.5 ou plus")));
}

TEST(DataAccessVersion, DoesNotDependOnTheProcessLocale)
{
    // A locale whose decimal separator is the comma must not change the reading.
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"); // when installed
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_TRUE(DataAccessVersionTextOk(QStringLiteral("2.81.1117.0")));
    EXPECT_TRUE(DataAccessVersionTextOk(QStringLiteral("2,7")));
    EXPECT_FALSE(DataAccessVersionTextOk(QStringLiteral("2.1")));
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(DataAccessVersion, TheEngineTheProgramRunsOnPasses)
{
    ScriptedPrompter prompter;
    EXPECT_TRUE(DataAccessVersionOk());
    EXPECT_TRUE(DataAccessAvailable(prompter));
    EXPECT_TRUE(prompter.asked().empty());
}

TEST(Opening, HelpAndWebSiteGoToTheDesktopAndAMissingHelpFileIsReported)
{
    test::TestDirs dirs;
    ScriptedPrompter prompter;
    std::vector<QUrl> opened;
    const UrlOpener previous = SetUrlOpener([&](const QUrl &url) {
        opened.push_back(url);
        return true;
    });
    QFile::remove(App().helpFile);
    ShowHelpFile(prompter);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Plain);
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Le fichier d'aide est introuvable !"));

    dirs.writeFile(dirs.programDir() + QStringLiteral("doc.html"), "<html></html>");
    ShowHelpFile(prompter);
    OpenWebSite(prompter);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(dirs.programDir() + QStringLiteral("doc.html")));
    EXPECT_EQ(opened[1].toString(), QString::fromUtf16(kWebSiteAddress));
    EXPECT_EQ(prompter.asked().size(), 1u);

    // No opener on the desktop (xdg-utils missing): the user is told, in French, for both.
    SetUrlOpener([](const QUrl &) { return false; });
    ShowHelpFile(prompter);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("xdg-utils")));
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("doc.html")));
    OpenWebSite(prompter);
    SetUrlOpener(previous);
    ASSERT_EQ(prompter.asked().size(), 3u);
    EXPECT_EQ(prompter.asked()[2].kind, MessageKind::Warning);
    EXPECT_TRUE(prompter.lastText().contains(QString::fromUtf16(kWebSiteAddress)));
}

TEST(LangText, LineBreakMarkersBecomeCarriageReturns)
{
    EXPECT_EQ(GetLangText(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("a{CR}b {CR}c")),
        QStringLiteral("a\rb \rc"));
    EXPECT_EQ(GetLangText(QStringLiteral("S"), QStringLiteral("K"), QString()), QString());
}

} // namespace
