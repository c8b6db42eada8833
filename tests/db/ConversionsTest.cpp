#include "UpgradeFixture.h"

#include "imaging/Bmp.h"

#include <QFileInfo>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

// A 24-bit picture of one colour (blue, green, red), as a picture column holds it.
QByteArray Picture(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r, int bits = 24)
{
    Bitmap bitmap = MakeBitmap(width, height, bits);
    if (bits == 24) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                bitmap.row(y)[3 * x] = b;
                bitmap.row(y)[3 * x + 1] = g;
                bitmap.row(y)[3 * x + 2] = r;
            }
    }
    return SaveBmp(bitmap);
}

class ConversionsTest : public UpgradeTest
{
protected:
    // Three products: two with a picture in Img1, one without.
    void addProducts(const QByteArray &first, const QByteArray &second)
    {
        conn.exec(QStringLiteral("INSERT INTO ITEMS (Id, Id_File, Title, Img1) VALUES (1, -1, 'a', ?)"), {first});
        conn.exec(QStringLiteral("INSERT INTO ITEMS (Id, Id_File, Title) VALUES (2, -1, 'b')"));
        conn.exec(QStringLiteral("INSERT INTO ITEMS (Id, Id_File, Title, Img1) VALUES (3, -1, 'c', ?)"), {second});
    }
    QByteArray picture(int id)
    {
        return conn.scalar(QStringLiteral("SELECT Img1 FROM ITEMS WHERE Id = ?"), {id}).toByteArray();
    }
    QString images() const { return dataDir + QStringLiteral("Data/Images/"); }
};

TEST_F(ConversionsTest, ResizeFitsThePictureAndTheWhiteRectangleCentresIt)
{
    addProducts(Picture(400, 200, 0, 0, 255), Picture(40, 20, 0, 255, 0));
    QStringList lines = run(QStringLiteral("ResizeBitmapInDataBase('ITEMS','Img1','100','100')\r\n"));
    EXPECT_EQ(lines.mid(0, 4),
        (QStringList{Stamp + QStringLiteral("OPTIMISATION:Redimensionne les images Bitmap de la table ITEMS"),
            Stamp + QStringLiteral("Redimensionnement de l'image : 1.jpg"),
            Stamp + QStringLiteral("Redimensionnement de l'image : 3.jpg"), QString()}));
    Bitmap fitted = LoadBmp(picture(1));
    EXPECT_EQ(fitted.width, 100);
    EXPECT_EQ(fitted.height, 50);
    EXPECT_EQ(LoadBmp(picture(3)).width, 40); // smaller than the box: kept
    EXPECT_TRUE(conn.scalar(QStringLiteral("SELECT Img1 FROM ITEMS WHERE Id = 2")).isNull());

    run(QStringLiteral("ResizeBitmapInDataBase('ITEMS','Img1','100','100') ResizeBitmapDataBaseInWhiteRect\r\n"));
    const Bitmap boxed = LoadBmp(picture(1));
    ASSERT_EQ(boxed.width, 100);
    ASSERT_EQ(boxed.height, 100);
    const auto pixel = [&boxed](int x, int y) {
        const std::uint8_t *p = boxed.row(y) + 3 * x;
        return (int(p[2]) << 16) | (int(p[1]) << 8) | p[0];
    };
    EXPECT_EQ(pixel(50, 10), 0xFFFFFF); // white above
    EXPECT_EQ(pixel(50, 50), 0xFF0000); // the picture, rows 25 to 74
    EXPECT_EQ(pixel(50, 90), 0xFFFFFF); // white below
    const Bitmap small = LoadBmp(picture(3));
    EXPECT_EQ(small.width, 100);
    EXPECT_EQ(((small.row(50) + 150)[1]), 255); // centred green
    EXPECT_EQ(((small.row(5) + 150)[0]), 255); // on white
}

TEST_F(ConversionsTest, NullPicturesArePassedOverAndTheHeadingLoggedTwice)
{
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Id, Id_File, Title) VALUES (2, -1, 'b')"));
    const QString heading =
        Stamp + QStringLiteral("OPTIMISATION:Extraction des images au format jpeg de la table ITEMS");
    EXPECT_EQ(
        run(QStringLiteral("ExtractImageToJpeg('ITEMS','Img1','P')\r\n")).mid(0, 2), (QStringList{heading, heading}));
    EXPECT_TRUE(QDir(images()).entryList(QDir::Files).isEmpty());

    conn.exec(QStringLiteral("DELETE FROM ITEMS"));
    QFile::remove(dataDir + QStringLiteral("Maj.Log"));
    EXPECT_EQ(run(QStringLiteral("ConvertBitmapToJpegInDataBase('ITEMS','Img1')\r\n")).at(1),
        Stamp + QStringLiteral("Pas d'images dans la table"));
}

TEST_F(ConversionsTest, ExtractionCopyKeepsPicturesAndExistingFiles)
{
    addProducts(Picture(64, 32, 10, 20, 30), Picture(8, 8, 0, 0, 0));
    QStringList lines = run(QStringLiteral("ExtractImageToJpegCopy('ITEMS','Img1','Prod_')\r\n"));
    EXPECT_EQ(lines[1], Stamp + QStringLiteral("Conversion de l'image : ") + images() + QStringLiteral("Prod_1.jpg"));
    EXPECT_TRUE(ReadFile(images() + QStringLiteral("Prod_1.jpg")).startsWith("\xFF\xD8"));
    EXPECT_FALSE(picture(1).isEmpty());

    dirs.writeFile(images() + QStringLiteral("Prod_3.jpg"), "déjà là");
    run(QStringLiteral("ExtractImageToJpeg('ITEMS','Img1','Prod_')\r\n"));
    EXPECT_EQ(ReadFile(images() + QStringLiteral("Prod_3.jpg")), "déjà là");
    EXPECT_TRUE(conn.scalar(QStringLiteral("SELECT Img1 FROM ITEMS WHERE Id = 1")).isNull());
    EXPECT_FALSE(QFileInfo::exists(images() + QStringLiteral("Temp.Bmp")));

    // A value that is not a bitmap is never cleared, even when a JPEG of its name is there.
    conn.exec(QStringLiteral("UPDATE ITEMS SET Img1 = x'FFD8FFE0' WHERE Id = 3"));
    lines = run(QStringLiteral("ExtractImageToJpeg('ITEMS','Img1','Prod_')\r\n"));
    EXPECT_EQ(picture(3), QByteArray("\xFF\xD8\xFF\xE0"));
    EXPECT_TRUE(lines.filter(QStringLiteral(" (error : ")).size() == 1) << lines.join(u'\n').toStdString();
}

TEST_F(ConversionsTest, JpegBytesAreMovedOutAndBitmapsReencodedUntilTheFirstBadOne)
{
    addProducts("\xFF\xD8"
                "jpeg",
        "\xFF\xD8"
        "autre");
    run(QStringLiteral("ExtractJpegImage('ITEMS','Img1','J')\r\n"));
    EXPECT_EQ(ReadFile(images() + QStringLiteral("J3.jpg")),
        "\xFF\xD8"
        "autre");
    EXPECT_TRUE(conn.scalar(QStringLiteral("SELECT Img1 FROM ITEMS WHERE Id = 3")).isNull());

    conn.exec(QStringLiteral("DELETE FROM ITEMS"));
    addProducts(Picture(16, 16, 1, 2, 3), Picture(16, 16, 0, 0, 0, 4));
    const QStringList lines = run(QStringLiteral("ConvertBitmapToJpegInDataBase('ITEMS','Img1')\r\n"));
    EXPECT_TRUE(picture(1).startsWith("\xFF\xD8"));
    EXPECT_TRUE(picture(3).startsWith("BM")); // 4 bits per pixel: refused, left as it was
    EXPECT_TRUE(lines.contains(Stamp + QStringLiteral(" (error : Error writing JPEG to file)")));
    EXPECT_TRUE(lines.contains(Stamp + Banner));
}

TEST_F(ConversionsTest, StoredScriptsAreLoadedFromTheTreeAndEditedInPlace)
{
    dirs.writeFile(dirs.programDir() + QStringLiteral("Query/QueryTree.def"),
        "Achats ;\r\n\tPar magasin ;\r\n\tSans fichier ;\r\n");
    dirs.writeFile(dirs.programDir() + QStringLiteral("Query/Par magasin.req"), "SELECT *\r\nFROM ITEMS\r\n");
    dirs.writeFile(dirs.programDir() + QStringLiteral("Stat/StatTree.def"), "\tTotal ;\r\n");
    dirs.writeFile(dirs.programDir() + QStringLiteral("Stat/Total.stq"), "SELECT SUM(Stock)\r\nFROM ITEMS\r\n");
    QStringList lines = run(QStringLiteral("ConvertQueryScript\r\nConvertStatScript{Id_File=-1}\r\n"
                                           "ReplaceStringInStatScript('ITEMS','CATALOGUE')\r\n"
                                           "ReplaceStringInQueryScript('ABSENT','X')\r\n"));
    EXPECT_EQ(lines.mid(0, 4),
        (QStringList{Stamp + QStringLiteral("CONVERSION:Requêtes (Ok)"),
            Stamp + QStringLiteral("CONVERSION:Statistiques (Ok)"),
            Stamp + QStringLiteral("MODIFICATION:Statistiques(ITEMS) (Ok)"),
            Stamp + QStringLiteral("MODIFICATION:Requêtes(ABSENT) (Ok)")}));
    EXPECT_EQ(rows(QStringLiteral("SELECT NodeTitle, NodeLevel, NodePos, NodeType, Id_File FROM SQL_TREE ORDER BY Id")),
        (QStringList{"Achats|0|0|1|-1", "Par magasin|1|1|2|-1", "Sans fichier|1|2|2|-1"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT t.NodeTitle, q.Query FROM SQL_QUERY q JOIN SQL_TREE t ON t.Id = q.Id_Tree")),
        QStringList{"Par magasin|SELECT *\r\nFROM ITEMS\r\n"});
    EXPECT_EQ(rows(QStringLiteral("SELECT Query FROM STAT_QUERY")),
        QStringList{"SELECT SUM(Stock)\r\nFROM CATALOGUE{Id_File=-1}\r\n"});

    // A statistics script of one line cannot take its suffix: the command ends, logged.
    dirs.writeFile(dirs.programDir() + QStringLiteral("Stat/Total.stq"), "SELECT 1\r\n");
    lines = run(QStringLiteral("ConvertStatScript{x}\r\n"));
    EXPECT_TRUE(lines.last().isEmpty());
    EXPECT_TRUE(lines[lines.size() - 3].startsWith(Stamp + QStringLiteral("CONVERSION:Statistiques (error : ")));
}

} // namespace
