#include "db/Connection.h"
#include "printing/PopplerTools.h"
#include "support/CliProcess.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

// The companion run as a user would, on its own home and runtime folder.
class CatalogueVerbs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        runtimeDir = dirs.root() + QStringLiteral("run/");
        QDir().mkpath(runtimeDir);
        QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    int run(const QStringList &args)
    {
        const test::CliOutcome r = test::RunCli(dirs, runtimeDir, args, true);
        output = r.out;
        return r.status;
    }
    QString database() const { return dirs.defaultDataDir() + QStringLiteral("Data/Access/VIVRELO.MDB"); }
    // Runs SQL on the user's database (installed by a first run of the companion).
    void exec(const QString &sql)
    {
        if (!QFile::exists(database())) {
            ASSERT_EQ(run({QStringLiteral("history")}), 0) << output.toStdString();
        }
        Connection c;
        c.open(database());
        c.exec(sql);
    }
    QVariant scalar(const QString &sql)
    {
        Connection c;
        c.open(database());
        return c.scalar(sql);
    }

    test::TestDirs dirs;
    QString runtimeDir;
    QString output;
};

TEST_F(CatalogueVerbs, TickLowStockSaysHowManyProductsItTicked)
{
    exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Stock, Stock_Min, Stock_Max) VALUES "
                        "(-1, 'Riz', 0, 2, 4), (-1, 'Sel', 1, 3, 0), (-1, 'Lait', 5, 2, 6)"));
    ASSERT_EQ(run({QStringLiteral("tick-low-stock")}), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("2 produits à réapprovisionner ont été cochés.")))
        << output.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT group_concat(Title || ':' || Quantity) FROM ITEMS WHERE Sel")).toString(),
        QStringLiteral("Riz:4,Sel:2"));
    EXPECT_EQ(run({QStringLiteral("tick-low-stock"), QStringLiteral("en-trop")}), 2);
}

TEST_F(CatalogueVerbs, CatalogueOutToAFileAndBackAllOrNothing)
{
    exec(QStringLiteral(
        "INSERT INTO ITEMS (Id_File, Reference, Title, Stock, Price01) VALUES (-1, 'R1', 'Riz', 2, 1.5)"));
    const QString csv = dirs.root() + QStringLiteral("catalogue.csv");
    ASSERT_EQ(run({QStringLiteral("export-csv"), csv}), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Catalogue exporté : 1 produits"))) << output.toStdString();

    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("R2;Sel;;1;1;bad;;;\r\n");
    f.close();
    EXPECT_EQ(run({QStringLiteral("import-csv"), csv}), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("Ligne 3 : Stock : « bad » n'est pas un nombre entier.")))
        << output.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ITEMS")).toInt(), 1);

    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Référence;Produit;Stock\r\nR1;Riz rond;4\r\nR2;Sel;1\r\n");
    f.close();
    ASSERT_EQ(run({QStringLiteral("import-csv"), csv, QStringLiteral("--replace")}), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("2 produits ajoutés, 0 mis à jour"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Backup"))) << output.toStdString();
    EXPECT_EQ(scalar(QStringLiteral("SELECT group_concat(Title || ':' || Stock) FROM ITEMS")).toString(),
        QStringLiteral("Riz rond:4,Sel:1"));
}

TEST_F(CatalogueVerbs, PrintListByShopWritesOneSectionPerShop)
{
    exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Sel, Quantity, Price01, Price02) VALUES "
                        "(-1, 'Lait', 1, 2, 1.0, 0.9), (-1, 'Pain', 1, 1, 1.1, NULL)"));
    const QString pdf = dirs.root() + QStringLiteral("magasins.pdf");
    ASSERT_EQ(run({QStringLiteral("print-list"), QStringLiteral("--by-shop"), QStringLiteral("--pdf"), pdf}), 0)
        << output.toStdString();
    const QString text = test::RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Sous-total Prix n°2"))) << text.toStdString();
    EXPECT_EQ(run({QStringLiteral("print-list"), QStringLiteral("--by-shop"), QStringLiteral("--column"),
                  QStringLiteral("1"), QStringLiteral("--pdf"), pdf}),
        2);
}

} // namespace
} // namespace vivrelo
