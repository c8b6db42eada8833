#include "db/Connection.h"
#include "db/DbFixture.h"
#include "db/FieldKind.h"
#include "support/TestDirs.h"

#include <QFile>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

class TemplateSchemaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = dirs.root() + QStringLiteral("VIVRELO.MDB");
        ASSERT_TRUE(
            QFile::copy(test::BuiltProgramDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        db.open(path);
    }
    // "Column kind, ..." of a table in stored order.
    QString columnsOf(const QString &table)
    {
        QStringList out;
        for (const QString &row : test::Rows(db, QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
            const QStringList f = row.split(QLatin1Char('|')); // cid|name|type|notnull|default|pk
            out << f[1] + QLatin1Char(' ') + FieldKindName(ClassifyColumn(f[2], f[5] == QLatin1String("1")));
        }
        return out.join(QStringLiteral(", "));
    }

    test::TestDirs dirs;
    QString path;
    Connection db;
};

} // namespace

// The type test of the upgrade scripts and every dataset rely on these columns and kinds.
TEST_F(TemplateSchemaTest, TablesHoldTheirColumnsWithTheirKinds)
{
    QStringList tables = db.tableNames();
    tables.sort();
    EXPECT_EQ(tables.join(QLatin1Char(' ')),
        QStringLiteral("BACKUP CUSTOMLAB FORMATLIST ITEMS OBJECT_ATTRIBUTE OBJECT_CLASS OBJECT_VAL_OLE "
                       "OBJECT_VAL_STR SQL_QUERY SQL_TREE STAT_QUERY STAT_TREE"));
    QString items = QStringLiteral(
        "Id ftAutoInc, Id_File ftSmallint, Sel ftBoolean, Quantity ftInteger, "
        "Title ftWideString, Mark ftWideString, Stock_Min ftInteger, Stock_Max ftInteger, Stock ftInteger, "
        "Price01 ftFloat, Price02 ftFloat, Price03 ftFloat, Reference ftWideString, Comment1 ftWideString, "
        "Custom00144243 ftWideString");
    for (int i = 1; i <= 10; ++i)
        items += QStringLiteral(", Misc%1 ftWideString").arg(i, 2, 10, QLatin1Char('0'));
    items += QStringLiteral(", Misc11 ftWideMemo, Misc12 ftWideMemo");
    for (const char *img : {"Img", "ImgMini"})
        for (int i = 1; i <= 4; ++i)
            items += QStringLiteral(", %1%2 ftBlob").arg(QLatin1String(img)).arg(i);
    EXPECT_EQ(columnsOf(QStringLiteral("ITEMS")), items);

    // Every column of the other tables has a kind the type test can name.
    for (const QString &table : tables)
        EXPECT_FALSE(columnsOf(table).contains(QStringLiteral("ftUnknown"))) << table.toStdString();
    EXPECT_EQ(columnsOf(QStringLiteral("BACKUP")),
        QStringLiteral("DateSav ftDateTime, TimeSav ftWideString, Description ftWideString, Path ftWideString"));
    EXPECT_EQ(columnsOf(QStringLiteral("OBJECT_VAL_OLE")),
        QStringLiteral("Id ftAutoInc, ID_CLASS ftInteger, ID_ATTRIBUTE ftInteger, USERID ftInteger, Value ftBlob"));
}

TEST_F(TemplateSchemaTest, IsEmptyAtVersion183)
{
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT [VALUE] FROM [OBJECT_VAL_STR] WHERE [ID_CLASS]=-99 AND "
                                       "[ID_ATTRIBUTE]=-99 AND [USERID]=-99"))
                  .toString(),
        QStringLiteral("1.83"));
    for (const char *table :
        {"ITEMS", "CUSTOMLAB", "FORMATLIST", "BACKUP", "OBJECT_CLASS", "OBJECT_ATTRIBUTE", "OBJECT_VAL_OLE"})
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))).toInt(), 0) << table;
}

// Every statement text the system sends to the database.
TEST_F(TemplateSchemaTest, AnswersEveryStatementOfTheSystem)
{
    const QStringList statements{
        QStringLiteral("SELECT Reference, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, Price03, Img1, "
                       "Img2, Img3, Img4, ImgMini1, ImgMini2, ImgMini3, ImgMini4, Misc01, Misc02, Misc03, Misc04, "
                       "Misc05, Misc06, Misc07, Misc08, Misc09, Misc10, Misc11, Misc12, Id, Id_File, Comment1 "
                       "as[Color], Custom00144243 as [Size] FROM ITEMS\nWHERE ID_FILE=-1\nORDER BY TITLE"),
        QStringLiteral("SELECT * FROM ITEMS\nWHERE ID_FILE=-1\nORDER BY TITLE"),
        QStringLiteral("SELECT * FROM ITEMS\nWHERE Id_File=-1\nORDER BY Stock_Max"),
        QStringLiteral("SELECT * FROM CUSTOMLAB\nWHERE Id_File=-1"),
        QStringLiteral("SELECT * FROM FORMATLIST\nWHERE ID_FILE=-1"),
        QStringLiteral("SELECT * FROM BACKUP"),
        QStringLiteral("SELECT Id, Name FROM OBJECT_CLASS\nWHERE NAME='BackgroundBmp'"),
        QStringLiteral("SELECT Id, Name, Type FROM OBJECT_ATTRIBUTE\nWHERE NAME='Image'"),
        QStringLiteral("SELECT Id, Id_Class, Id_Attribute, UserId, Value FROM OBJECT_VAL_OLE\n"
                       "WHERE USERID=-1 AND ID_CLASS=1 AND ID_ATTRIBUTE=1"),
        QStringLiteral("UPDATE ITEMS SET Sel=True"),
        QStringLiteral("UPDATE ITEMS SET Sel=False"),
        QStringLiteral("SELECT Id, Sel, Quantity, Stock FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE"),
        QStringLiteral("SELECT Id, Sel, Quantity, Title, Mark, Price01, Price02, Price03 FROM ITEMS WHERE ID_FILE=-1 "
                       "ORDER BY TITLE"),
        QStringLiteral(
            "SELECT [VALUE], [ID_CLASS], [ID_ATTRIBUTE], [USERID] FROM [OBJECT_VAL_STR] WHERE [ID_CLASS]=-99 "
            "AND [ID_ATTRIBUTE]=-99 AND [USERID]=-99"),
        QStringLiteral("SELECT Id, Id_File, NodeTitle, NodeLevel, NodePos, NodeType FROM STAT_TREE"),
        QStringLiteral("SELECT Id, Id_Tree, Query FROM STAT_QUERY"),
        QStringLiteral("SELECT Id, Id_File, NodeTitle, NodeLevel, NodePos, NodeType FROM SQL_TREE"),
        QStringLiteral("SELECT Id, Id_Tree, Query FROM SQL_QUERY"),
        QStringLiteral("DELETE FROM Backup"),
    };
    for (const QString &sql : statements)
        EXPECT_NO_THROW(db.exec(sql)) << sql.toStdString();
}

TEST_F(TemplateSchemaTest, NewProductIsUntickedWithQuantityZeroAndValuesKeepTheirType)
{
    db.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Reference, Misc11, Price01, Stock) "
                           "VALUES (-1, '1e3', '00042', '0123', 2, '7')"));
    EXPECT_EQ(test::Rows(db,
                  QStringLiteral("SELECT Sel, Quantity, typeof(Title), typeof(Reference), typeof(Misc11), "
                                 "Reference, typeof(Price01), typeof(Stock) FROM ITEMS")),
        QStringList{QStringLiteral("0|0|text|text|text|00042|real|integer")});
}

TEST_F(TemplateSchemaTest, ListQueriesReadOnlyTheIndexAndNoIndexComparesTextWithoutCase)
{
    for (const char *sql :
        {"SELECT Id, Sel, Quantity, Title, Mark, Price01, Price02, Price03 FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE",
            "SELECT Id, Sel, Quantity, Stock FROM ITEMS WHERE ID_FILE=-1 ORDER BY TITLE"})
        EXPECT_TRUE(test::Rows(db, QStringLiteral("EXPLAIN QUERY PLAN ") + QLatin1String(sql))
                        .join(QLatin1Char(' '))
                        .contains(QStringLiteral("COVERING INDEX")))
            << sql;
    for (const QString &index :
        test::Rows(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL")))
        for (const QString &key :
            test::Rows(db, QStringLiteral("PRAGMA index_xinfo(%1)").arg(index))) // seqno|cid|name|desc|coll|key
            EXPECT_NE(key.split(QLatin1Char('|'))[4].toUpper(), QStringLiteral("NOCASE")) << index.toStdString();
}
