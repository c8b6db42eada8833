#include "app/SingleInstance.h"
#include "db/Connection.h"
#include "printing/PopplerTools.h"
#include "support/CliProcess.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

// The companion run as a user would: its own home folder, a copy of the program directory
// and its own runtime folder for the single-instance lock.
class PrintListVerb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        runtimeDir = dirs.root() + QStringLiteral("run/");
        QDir().mkpath(runtimeDir);
        QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        pdf = dirs.root() + QStringLiteral("liste.pdf");
    }
    int run(const QStringList &args)
    {
        const test::CliOutcome r =
            test::RunCli(dirs, runtimeDir, QStringList{QStringLiteral("print-list")} + args, true);
        output = r.out;
        return r.status;
    }
    QStringList columnOne() { return {QStringLiteral("--column"), QStringLiteral("1"), QStringLiteral("--pdf"), pdf}; }

    test::TestDirs dirs;
    QString runtimeDir;
    QString pdf;
    QString output; // what the companion wrote on the terminal
};

TEST_F(PrintListVerb, WritesTheTickedProductsOfTheUsersDatabase)
{
    // The first run installs the database, whose list is still empty: nothing to print.
    EXPECT_NE(run(columnOne()), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("Aucun produit n'est coché"))) << output.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    const QString database = dirs.defaultDataDir() + QStringLiteral("Data/Access/VIVRELO.MDB");
    ASSERT_TRUE(QFile::exists(database)) << database.toStdString();
    {
        Connection c;
        c.open(database);
        c.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Sel, Quantity, Price01, Price03) VALUES "
                              "(-1, 'Lait', 'X', 1, 3, 0.9, 1.5), (-1, 'Beurre', '', 1, 1, 2, 2.25), "
                              "(-1, 'Café', '', 0, 0, 4, 4)"));
    }
    ASSERT_EQ(run({QStringLiteral("--column"), QStringLiteral("3"), QStringLiteral("--pdf"), pdf}), 0)
        << output.toStdString();
    const QString text = test::RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Lait (X)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Beurre")));
    EXPECT_FALSE(text.contains(QStringLiteral("Café")));
    EXPECT_TRUE(text.contains(QStringLiteral("6.75 €"))); // 3 × 1.50 + 2.25
}

TEST_F(PrintListVerb, RefusesAColumnOutsideOneToThreeAndARunningProgram)
{
    EXPECT_NE(run({QStringLiteral("--column"), QStringLiteral("4"), QStringLiteral("--pdf"), pdf}), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("1, 2 ou 3"))) << output.toStdString();
    EXPECT_NE(run({QStringLiteral("--pdf"), pdf}), 0);
    EXPECT_FALSE(QFile::exists(pdf));

    SingleInstance program(runtimeDir);
    ASSERT_EQ(program.state(), SingleInstance::State::Acquired);
    EXPECT_NE(run(columnOne()), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("déjà en exécution"))) << output.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
} // namespace vivrelo
