#include "db/ObjectStore.h"
#include "base/Error.h"
#include "db/Connection.h"
#include "support/TestDirs.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QImage filled(QColor colour, int w = 16, int h = 8)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class ObjectStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = dirs.root() + QStringLiteral("VIVRELO.MDB");
        ASSERT_TRUE(
            QFile::copy(test::BuiltProgramDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        db.open(path);
    }
    int count(const char *table)
    {
        return db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)).toInt();
    }
    void expectDeclaredTexts()
    {
        EXPECT_EQ(store.OBJECT_CLASS.sql(), QStringList{QStringLiteral("SELECT Id, Name FROM OBJECT_CLASS")});
        EXPECT_EQ(
            store.OBJECT_ATTRIBUTE.sql(), QStringList{QStringLiteral("SELECT Id, Name, Type FROM OBJECT_ATTRIBUTE")});
        EXPECT_EQ(store.OBJECT_VAL_OLE.sql(),
            QStringList{QStringLiteral("SELECT Id, Id_Class, Id_Attribute, UserId, Value FROM OBJECT_VAL_OLE")});
        EXPECT_FALSE(store.OBJECT_VAL_OLE.isActive());
    }

    test::TestDirs dirs;
    Connection db;
    TDataModuleObject store{db};
};

} // namespace

TEST_F(ObjectStoreTest, FirstReadStoresTheDefaultAndLaterReadsReturnTheStoredPicture)
{
    const QImage blue = filled(Qt::blue), red = filled(Qt::red, 5, 3);
    QImage picture;
    store.ReadPicture(-1, QStringLiteral("BackgroundBmp"), QStringLiteral("Image"), picture, blue);
    EXPECT_EQ(count("OBJECT_CLASS"), 1);
    EXPECT_EQ(count("OBJECT_ATTRIBUTE"), 1);
    EXPECT_EQ(count("OBJECT_VAL_OLE"), 1);
    EXPECT_EQ(picture.size(), blue.size());
    EXPECT_EQ(picture.pixel(3, 3), blue.pixel(3, 3));
    const QByteArray stored = db.scalar(QStringLiteral("SELECT Value FROM OBJECT_VAL_OLE")).toByteArray();
    EXPECT_TRUE(stored.startsWith("BM"));
    EXPECT_EQ(stored.at(28), 24); // bits per pixel

    store.ReadPicture(-1, QStringLiteral("backgroundbmp"), QStringLiteral("IMAGE"), picture, red);
    EXPECT_EQ(picture.size(), blue.size());
    EXPECT_EQ(count("OBJECT_CLASS"), 1);
    EXPECT_EQ(count("OBJECT_VAL_OLE"), 1);

    // Another owner or class is another value.
    store.ReadPicture(-2, QStringLiteral("BackgroundBmp"), QStringLiteral("Image"), picture, red);
    store.ReadPicture(-1, QStringLiteral("CoverBmp"), QStringLiteral("Image"), picture, red);
    EXPECT_EQ(picture.size(), red.size());
    EXPECT_EQ(count("OBJECT_CLASS"), 2);
    EXPECT_EQ(count("OBJECT_VAL_OLE"), 3);
    expectDeclaredTexts();
}

TEST_F(ObjectStoreTest, WriteReplacesThePictureAndWithoutPictureKeepsTheValue)
{
    const QString cls = QStringLiteral("CoverBmp"), attr = QStringLiteral("Image");
    store.WritePicture(-1, cls, attr, QImage()); // a value row with nothing in it
    EXPECT_EQ(count("OBJECT_VAL_OLE"), 1);
    QImage picture = filled(Qt::green);
    EXPECT_THROW(store.ReadPicture(-1, cls, attr, picture), Error); // empty and no default
    EXPECT_EQ(picture.pixel(0, 0), filled(Qt::green).pixel(0, 0)); // left as it was
    expectDeclaredTexts();

    store.WritePicture(-1, cls, attr, filled(Qt::red, 4, 4));
    store.WritePicture(-1, cls, attr, QImage());
    store.ReadPicture(-1, cls, attr, picture, filled(Qt::blue));
    EXPECT_EQ(picture.size(), QSize(4, 4));
    EXPECT_EQ(picture.pixel(1, 1), filled(Qt::red).pixel(0, 0));
    EXPECT_EQ(count("OBJECT_VAL_OLE"), 1);
}

TEST_F(ObjectStoreTest, NamesAreBoundNotSpliced)
{
    const QString name = QStringLiteral("Fond d'écran'); DROP TABLE ITEMS; --");
    const int key = store.ClassId(name);
    EXPECT_EQ(store.ClassId(name), key);
    EXPECT_NE(store.ClassId(QStringLiteral("Autre")), key);
    EXPECT_EQ(store.AttributeId(name), store.AttributeId(name));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Name FROM OBJECT_CLASS WHERE Id=?"), {key}).toString(), name);
    EXPECT_EQ(count("ITEMS"), 0);
}

TEST_F(ObjectStoreTest, FailedOperationLeavesTheStoreUsable)
{
    db.exec(QStringLiteral("INSERT INTO OBJECT_CLASS (Name) VALUES ('CoverBmp')"));
    db.exec(QStringLiteral("INSERT INTO OBJECT_ATTRIBUTE (Name) VALUES ('Image')"));
    db.exec(QStringLiteral(
        "INSERT INTO OBJECT_VAL_OLE (ID_CLASS, ID_ATTRIBUTE, USERID, Value) VALUES (1, 1, -1, x'00112233')"));
    QImage picture;
    EXPECT_THROW(
        store.ReadPicture(-1, QStringLiteral("CoverBmp"), QStringLiteral("Image"), picture, filled(Qt::blue)), Error);
    expectDeclaredTexts();

    store.WritePicture(-1, QStringLiteral("CoverBmp"), QStringLiteral("Image"), filled(Qt::red, 2, 2));
    store.ReadPicture(-1, QStringLiteral("CoverBmp"), QStringLiteral("Image"), picture);
    EXPECT_EQ(picture.size(), QSize(2, 2));
}
