#include "db/JetImport.h"

#include "app/Error.h"
#include "db/Connection.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What an older installation's database holds, as the reader would give it.
std::vector<JetTable> olderItems(const QString &, ProgressSink &)
{
    JetTable items{QStringLiteral("ITEMS"),
                   {{QStringLiteral("Id"), JetType::Counter}, {QStringLiteral("Id_File"), JetType::Short},
                    {QStringLiteral("Title"), JetType::Text, 128}},
                   {{3, -1, QStringLiteral("Lait")}, {9, -1, QStringLiteral("Œufs")}}};
    return {items};
}

struct EnsureOurDatabaseTest : ::testing::Test {
    test::TestDirs dirs;
    QString folder = dirs.root() + QStringLiteral("Access/");
    QString path = folder + QStringLiteral("VIVRELO.MDB");
    QString genuine = test::TestDataDir() + QStringLiteral("jet/testV2000.mdb");

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder)); }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

TEST_F(EnsureOurDatabaseTest, OnlyAnAccessFileIsTouched)
{
    EXPECT_FALSE(EnsureOurDatabase(path).converted);
    ASSERT_TRUE(QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), path));
    const QByteArray ours = bytesOf(path);
    const EnsuredDatabase r = EnsureOurDatabase(path, noProgress(), olderItems);
    EXPECT_FALSE(r.converted);
    EXPECT_EQ(r.found, DatabaseFormat::Sqlite);
    EXPECT_EQ(bytesOf(path), ours);

    dirs.writeFile(path, "ni Access ni SQLite");
    EXPECT_FALSE(EnsureOurDatabase(path, noProgress(), olderItems).converted);
    EXPECT_EQ(bytesOf(path), QByteArray("ni Access ni SQLite"));
    EXPECT_EQ(files(), QStringList(QStringLiteral("VIVRELO.MDB")));
}

TEST_F(EnsureOurDatabaseTest, AnAccessFileIsConvertedWhereItLiesAndKeptBesideIt)
{
    ASSERT_TRUE(QFile::copy(genuine, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray access = bytesOf(path);

    const EnsuredDatabase r = EnsureOurDatabase(path, noProgress(), olderItems);
    ASSERT_TRUE(r.converted);
    EXPECT_EQ(r.import.items, 2);
    EXPECT_EQ(r.import.keptOriginal, path + QStringLiteral(".jet-origine"));
    EXPECT_EQ(bytesOf(r.import.keptOriginal), access);
    Connection db;
    db.open(path);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Title FROM ITEMS WHERE Id=9")).toString(), QStringLiteral("Œufs"));
    db.close();
    // Once converted, the next start finds ours and leaves it.
    EXPECT_FALSE(EnsureOurDatabase(path, noProgress(), olderItems).converted);
    EXPECT_EQ(files(), QStringList({QStringLiteral("VIVRELO.MDB"), QStringLiteral("VIVRELO.MDB.jet-origine")}));
}

TEST_F(EnsureOurDatabaseTest, WhatCannotBeConvertedIsRefusedAndLeftAsItWas)
{
    // A newer Access file the reader cannot read, and a genuine Access file of another program.
    QByteArray ace("\x00\x01\x00\x00Standard ACE DB", 19);
    ace += QByteArray(8192, '\x5a');
    const struct { QByteArray bytes; const char *reason; } cases[] = {
        {ace, "Access 2007 ou plus récente (format ACE)"},
        {bytesOf(genuine), "pas de table ITEMS"},
    };
    for (const auto &c : cases) {
        dirs.writeFile(path, c.bytes);
        try {
            EnsureOurDatabase(path);
            ADD_FAILURE() << c.reason << ": converted";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.reason))) << e.message().toStdString();
        }
        EXPECT_EQ(bytesOf(path), c.bytes) << c.reason;
        EXPECT_EQ(files(), QStringList(QStringLiteral("VIVRELO.MDB"))) << c.reason;
    }
}

} // namespace
} // namespace vivrelo
