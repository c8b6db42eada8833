#include "db/Connection.h"
#include "support/CliProcess.h"
#include "support/TestDirs.h"

#include "../printing/PopplerTools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

// The companion run on a test program directory and home, as a user would start it.
class ReportVerbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        runtime = dirs.root() + QStringLiteral("run");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    int run(const QStringList &args)
    {
        const test::CliOutcome r = test::RunCli(dirs, runtime, QStringList{QStringLiteral("report")} + args);
        output = r.out + r.err;
        return r.status;
    }
    QString database() const { return dirs.defaultDataDir() + QStringLiteral("Data/Access/VIVRELO.MDB"); }

    test::TestDirs dirs;
    QString runtime;
    QString output;
};

TEST_F(ReportVerbTest, ProductListToPdf)
{
    const QString pdf = dirs.root() + QStringLiteral("liste.pdf");
    // First run: the catalogue is empty, the user is told and no file is written.
    EXPECT_EQ(run({QStringLiteral("--pdf"), pdf}), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("Il n'y a pas d'enregistrements dans cette liste.")))
        << output.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    {
        Connection c;
        c.open(database());
        for (int i = 0; i < 60; ++i)
            c.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, "
                                  "Price02, Price03) VALUES (-1, ?, ?, 1, 5, 2, ?, 1, 2)"),
                {QStringLiteral("Produit %1").arg(i, 2, 10, QLatin1Char('0')),
                    QStringLiteral("Marque %1").arg(59 - i, 2, 10, QLatin1Char('0')), 1.5 + i});
    }

    // A sort text that is not a column never reaches the database, and an earlier file stays.
    dirs.writeFile(pdf, "earlier");
    EXPECT_NE(
        run({QStringLiteral("--pdf"), pdf, QStringLiteral("--order"), QStringLiteral("Title; DROP TABLE ITEMS")}), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("n'est pas une colonne"))) << output.toStdString();
    {
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("earlier"));
    }
    EXPECT_NE(run({QStringLiteral("--order"), QStringLiteral("Mark")}), 0);

    ASSERT_EQ(run({QStringLiteral("--pdf"), pdf, QStringLiteral("--order"), QStringLiteral("Mark")}), 0)
        << output.toStdString();
    EXPECT_TRUE(
        test::RunTool(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
    const QString first = test::RunTool(QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
            QStringLiteral("1"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(first.contains(QStringLiteral("Liste des produits")));
    EXPECT_TRUE(first.contains(QStringLiteral("Prix n°1")));
    EXPECT_TRUE(first.contains(QStringLiteral("Page 1 / 2")));
    // Ordered by brand: "Marque 00" (Produit 59) comes first, with its price in money.
    EXPECT_LT(first.indexOf(QStringLiteral("Produit 59")), first.indexOf(QStringLiteral("Produit 58")));
    EXPECT_TRUE(first.contains(QStringLiteral("60.50 €")));
}

} // namespace
} // namespace vivrelo
