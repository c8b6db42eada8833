#include "base/Paths.h"

#include "support/TestDirs.h"

#include <QDir>
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

TEST(Paths, FoldAccentsFoldsLowerCaseFrenchLettersOnly)
{
    EXPECT_EQ(FoldAccents(QStringLiteral("gâteau crème")), QStringLiteral("gateau creme"));
    EXPECT_EQ(FoldAccents(QStringLiteral("CRÈME Noël où ça")), QStringLiteral("CRÈME Noel ou ca"));
}

TEST(Paths, IncludeBackslashNeverNamesTheRootForAnEmptyText)
{
    EXPECT_EQ(IncludeBackslash(QString()), QStringLiteral("./"));
    EXPECT_EQ(IncludeBackslash(QStringLiteral("Data\\")), QStringLiteral("Data\\"));
    EXPECT_EQ(IncludeBackslash(QStringLiteral("/a/b")), QStringLiteral("/a/b/"));
}

TEST(Paths, ListFilesGivesPlainVisibleFilesMatchingTheMaskWhateverTheCase)
{
    test::TestDirs dirs;
    const QString dir = dirs.root() + QStringLiteral("pics/");
    dirs.writeFile(dir + QStringLiteral("a.jpg"), "a");
    dirs.writeFile(dir + QStringLiteral("B.JPG"), "b");
    dirs.writeFile(dir + QStringLiteral(".hidden.jpg"), "h");
    dirs.writeFile(dir + QStringLiteral("c.jpeg"), "c");
    QDir().mkpath(dir + QStringLiteral("folder.jpg"));
    QStringList names = ListFiles(dir, QStringLiteral("*.jpg"));
    names.sort();
    EXPECT_EQ(names, QStringList({"B.JPG", "a.jpg"}));
    EXPECT_TRUE(ListFiles(dirs.root() + QStringLiteral("missing/"), QStringLiteral("*.jpg")).isEmpty());

    // The wait window repaints between the entries and between the copies.
    struct Counting : ProgressSink {
        int pumps = 0;
        void pump() override { ++pumps; }
    } counting;
    QDir().mkpath(dirs.root() + QStringLiteral("copy/"));
    EXPECT_TRUE(CopyFiles(dir, dirs.root() + QStringLiteral("copy/"), QStringLiteral("*.jpg"), counting));
    EXPECT_EQ(counting.pumps, 4);
}

TEST(Paths, CopyFileNoReplaceNeverTouchesAnExistingTarget)
{
    test::TestDirs dirs;
    const QString source = dirs.writeFile(dirs.root() + QStringLiteral("src.mdb"), "new");
    const QString target = dirs.writeFile(dirs.root() + QStringLiteral("dst.mdb"), "user data");
    EXPECT_FALSE(CopyFileNoReplace(source, target));
    EXPECT_EQ(readAll(target), "user data");
    const QString fresh = dirs.root() + QStringLiteral("fresh.mdb");
    EXPECT_TRUE(CopyFileNoReplace(source, fresh));
    EXPECT_EQ(readAll(fresh), "new");
    EXPECT_FALSE(QFile::exists(fresh + QStringLiteral(".part")));
}

} // namespace
