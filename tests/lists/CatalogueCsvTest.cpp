#include "lists/CatalogueCsv.h"

#include "base/AppValues.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A catalogue database whose data directory is the application's, for the Backup/ folder.
class CatalogueCsvTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        App().dataDir = db.dirs.root() + QStringLiteral("data/");
        file = db.dirs.root() + QStringLiteral("catalogue.csv");
    }
    QStringList rows(const QString &sql = QStringLiteral(
                         "SELECT Reference, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, Price03 "
                         "FROM ITEMS ORDER BY Id"))
    {
        QStringList out;
        db.dm->ADOConnection1.forEachRow(sql, {}, [&out](const Connection::RowView &r) {
            QStringList cells;
            for (int c = 0; c < 9; ++c)
                cells << (r.value(c).isNull() ? QStringLiteral("∅") : r.value(c).toString());
            out << cells.join(QLatin1Char('|'));
        });
        return out;
    }
    CatalogueImport import(const QByteArray &bytes, bool replace = false)
    {
        WriteBytes(file, bytes);
        return ImportCatalogue(*db.dm, file, replace);
    }

    test::TestDatabase db;
    QString file;
};

} // namespace

TEST_F(CatalogueCsvTest, ExportImportExportGivesTheSameFile)
{
    db.dm->ADOConnection1.exec(QStringLiteral(
        "INSERT INTO ITEMS (Id_File, Reference, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, Price03) "
        "VALUES (-1, 'R1', 'Lait \"entier\"; 1 L', 'Fermière', 1, 6, 2, 1.5, NULL, 0.333),"
        "(-1, '', 'Crème', 'A\r\nB', NULL, 0, -3, 12, 2.25, 0),"
        "(-1, NULL, 'crème', NULL, 2, 2, 2, 1e-3, 100000, 7.1),"
        "(-2, 'X', 'Autre liste', '', 1, 1, 1, 1, 1, 1)"));
    const QString first = db.dirs.root() + QStringLiteral("first.csv");
    ASSERT_EQ(ExportCatalogue(*db.dm, first), 3);
    const QByteArray bytes = ReadBytes(first);
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xEF\xBB\xBF")
        + QStringLiteral("Référence;Produit;Marque;Stock min;"
                         "Stock max;Stock;Prix 1;Prix 2;Prix 3\r\n")
              .toUtf8()));
    EXPECT_TRUE(bytes.contains(QStringLiteral(";Crème;\"A\r\nB\";;0;-3;12,00;2,25;0,00\r\n").toUtf8()));
    EXPECT_TRUE(
        bytes.contains(QStringLiteral("R1;\"Lait \"\"entier\"\"; 1 L\";Fermière;1;6;2;1,50;;0,333\r\n").toUtf8()));

    // Into an empty catalogue, then out again.
    db.dm->ADOConnection1.exec(QStringLiteral("DELETE FROM ITEMS"));
    const CatalogueImport result = ImportCatalogue(*db.dm, first, false);
    ASSERT_TRUE(result.problems.empty()) << result.problems.front().reason.toStdString();
    EXPECT_EQ(result.added, 3);
    const QString second = db.dirs.root() + QStringLiteral("second.csv");
    ExportCatalogue(*db.dm, second);
    EXPECT_EQ(ReadBytes(second), bytes);
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT Price02 FROM ITEMS WHERE Reference='R1'")).isNull());
}

TEST_F(CatalogueCsvTest, EnglishWindowsFilesMatchByReferenceThenProductAndBrand)
{
    db.dm->ADOConnection1.exec(QStringLiteral(
        "INSERT INTO ITEMS (Id_File, Reference, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, Price03) "
        "VALUES (-1, 'A1', 'Riz', 'Rizière', 1, 5, 3, 2, 2, 2), (-1, NULL, 'Thé', 'Vert', 1, 1, 0, 4, 4, 4)"));
    // "," separated, decimal points, Windows-1252, columns in another order and spelling.
    const QByteArray english = "prix 2,REFERENCE,  Produit ,marque,stock\r\n"
                               "2.75,a1,Riz long,Rizi\xE8re,7\n"
                               "\"1,000\",,Th\xE9,VERT,1\r"
                               "9.5,,Caf\xE9,,\r\n";
    const CatalogueImport english1252 = import(english);
    ASSERT_EQ(english1252.problems.size(), 1u);
    EXPECT_EQ(english1252.problems[0].line, 3);
    EXPECT_EQ(
        english1252.problems[0].reason, QStringLiteral("Prix 2 : « 1,000 » n'est pas un prix (exemple : 12.50)."));
    QByteArray fixed = english;
    fixed.replace("\"1,000\"", "1.000");
    const CatalogueImport result = import(fixed);
    ASSERT_TRUE(result.problems.empty()) << result.problems.front().reason.toStdString();
    EXPECT_EQ(result.updated, 2);
    EXPECT_EQ(result.added, 1);
    // Absent columns keep their values, or take a new product's defaults.
    EXPECT_EQ(rows(),
        (QStringList{QStringLiteral("a1|Riz long|Rizière|1|5|7|2|2.75|2"), QStringLiteral("|Thé|VERT|1|1|1|4|1|4"),
            QStringLiteral("|Café||1|1|∅|0|9.5|0")}));
}

TEST_F(CatalogueCsvTest, AnyBadLineChangesNothingAndEveryOneIsListed)
{
    db.addProduct(QStringLiteral("Sucre"), QStringLiteral("Blanc"), 1.5);
    const QString database = db.dm->ADOConnection1.path();
    const QByteArray before = ReadBytes(database);
    const QByteArray header = "\xEF\xBB\xBFR\xC3\xA9"
                              "f\xC3\xA9rence;Produit;Stock;Prix 1\r\n";
    const CatalogueImport result = import(header + "R1;Farine;deux;1,00\r\n" // 2: not a number
        + "R2;" + QByteArray(129, 'x') + ";1;1,00\r\n" // 3: too long
        + "R3;Sel;99999999999;1,00\r\n" // 4: beyond 32 bits
        + "r1;Poivre;1;1,00\r\n" // 5: same reference as line 2
        + "R5;Huile;1\r\n" // 6: a field missing
        + "R6;\"Vin\r\nrouge\";1;1.50\r\n" // 7-8: a point in a French file
        + ";;;\r\n" // nothing: skipped
        + "R7;Miel;2;3,00\r\n");
    std::vector<int> lines;
    for (const CsvProblem &p : result.problems)
        lines.push_back(p.line);
    EXPECT_EQ(lines, (std::vector<int>{2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(result.problems[0].reason, QStringLiteral("Stock : « deux » n'est pas un nombre entier."));
    EXPECT_EQ(result.problems[3].reason, QStringLiteral("la référence « r1 » figure déjà ligne 2."));
    EXPECT_EQ(result.problems[4].reason, QStringLiteral("3 champs au lieu de 4 (séparateur « ; »)."));
    EXPECT_EQ(import(header + "R1;A;1;1,00\r\n\"R2;B;1;1,00\r\n").problems.front().reason,
        QStringLiteral("un guillemet ouvre un champ que rien ne ferme."));
    EXPECT_EQ(import("Référence;Couleur\r\n").problems.front().reason.left(40),
        QStringLiteral("la colonne « Couleur » n'est pas une col"));
    EXPECT_EQ(import("").problems.size(), 1u);
    EXPECT_EQ(ReadBytes(database), before);

    // The window shows twenty lines and how many more there are.
    std::vector<CsvProblem> many(23, CsvProblem{4, QStringLiteral("x")});
    const QStringList shown = ImportProblemsMessage(file, many).split(QLatin1Char('\r'));
    EXPECT_EQ(shown.size(), 2 + 20 + 1);
    EXPECT_EQ(shown.last(), QStringLiteral("… et 3 autres lignes en erreur."));
}

TEST_F(CatalogueCsvTest, ReplacingEmptiesTheCatalogueAfterACopyOfTheDatabase)
{
    db.addProduct(QStringLiteral("Ancien"));
    const QByteArray before = ReadBytes(db.dm->ADOConnection1.path());
    const CatalogueImport result = import("Produit;Prix 1\r\nNouveau;2,50\r\n", true);
    ASSERT_TRUE(result.problems.empty());
    EXPECT_EQ(rows(QStringLiteral("SELECT Title, Price01, Stock, 0, 0, 0, 0, 0, 0 FROM ITEMS")),
        QStringList{QStringLiteral("Nouveau|2.5|1|0|0|0|0|0|0")});
    ASSERT_TRUE(result.backup.startsWith(App().dataDir + QStringLiteral("Backup/"))) << result.backup.toStdString();
    EXPECT_EQ(ReadBytes(result.backup), before);
}
