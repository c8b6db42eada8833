// vivrelo-cli import-jet, run as the user would run it.
#include "db/Connection.h"
#include "support/AccessFiles.h"
#include "support/CliProcess.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct CliRun {
    int status = -1;
    QString output;
};

struct ImportJetCli : ::testing::Test {
    test::TestDirs dirs;
    QString data = dirs.defaultDataDir();
    QString database = data + QStringLiteral("Data/Access/VIVRELO.MDB");
    QString genuine = test::TestDataDir() + QStringLiteral("jet/testV2003.mdb");

    // The user's database: the template with a product of their own.
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("Data/Access")));
        ASSERT_TRUE(QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), database));
        QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner);
        Connection db;
        db.open(database);
        db.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'Sel de Guérande')"));
    }

    CliRun run(const QStringList &args)
    {
        const test::CliOutcome r =
            test::RunCli(dirs, dirs.root(), QStringList(QStringLiteral("import-jet")) + args, true);
        return {r.status, r.out};
    }
    QStringList folder(const QString &name) const
    {
        return QDir(data + name).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

TEST_F(ImportJetCli, AnExistingDatabaseIsReplacedOnlyOnRequestAndKeptInBackup)
{
    const QString older = dirs.writeFile(dirs.root() + QStringLiteral("ancienne.mdb"), test::AccessDatabaseWithItems());
    const QByteArray before = bytesOf(database);
    CliRun r = run({older});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.output.contains(QStringLiteral("existe déjà")) && r.output.contains(QStringLiteral("--replace")))
        << r.output.toStdString();
    EXPECT_EQ(bytesOf(database), before);
    EXPECT_EQ(folder(QStringLiteral("Backup")), QStringList());

    r = run({older, QStringLiteral("--replace")});
    ASSERT_EQ(r.status, 0) << r.output.toStdString();
    EXPECT_TRUE(r.output.contains(QStringLiteral("8 produits"))) << r.output.toStdString();
    const QStringList backup = folder(QStringLiteral("Backup"));
    ASSERT_EQ(backup.size(), 1);
    EXPECT_TRUE(backup[0].startsWith(QStringLiteral("VIVRELO_AVANT_IMPORT_")));
    EXPECT_TRUE(r.output.contains(backup[0])) << r.output.toStdString();
    EXPECT_EQ(bytesOf(data + QStringLiteral("Backup/") + backup[0]), before);
    Connection db;
    db.open(database);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Unicode FROM ITEMS WHERE ID=3")).toString(), QStringLiteral("Мир"));
}

TEST_F(ImportJetCli, AFileThatCannotBeConvertedChangesNothingEvenWithReplace)
{
    const QString text = dirs.writeFile(dirs.root() + QStringLiteral("notes.mdb"), "une liste de courses");
    const struct {
        QString file;
        const char *reason;
    } cases[] = {
        {genuine, "pas de table ITEMS"},
        {text, "n'est pas une base de données Access"},
        {dirs.root() + QStringLiteral("absente.mdb"), "introuvable"},
    };
    const QByteArray before = bytesOf(database);
    for (const auto &c : cases) {
        const QByteArray source = bytesOf(c.file);
        const CliRun r = run({c.file, QStringLiteral("--replace")});
        EXPECT_NE(r.status, 0) << c.reason;
        EXPECT_TRUE(r.output.contains(QString::fromUtf8(c.reason))) << r.output.toStdString();
        EXPECT_EQ(bytesOf(database), before) << c.reason;
        EXPECT_EQ(bytesOf(c.file), source) << c.reason;
        EXPECT_EQ(folder(QStringLiteral("Data/Access")), QStringList(QStringLiteral("VIVRELO.MDB"))) << c.reason;
        EXPECT_EQ(folder(QStringLiteral("Backup")), QStringList()) << c.reason;
    }
}

} // namespace
