#include "lists/CatalogueEditing.h"
#include "base/Error.h"
#include "db/DataSetRoutines.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QString refusal(FieldKind kind, const QString &text)
{
    try {
        ParseCatalogueValue(kind, text, QStringLiteral("Stock"), 128);
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

QStringList titles(DataSet &items)
{
    QStringList list;
    for (items.first(); !items.eof(); items.next())
        list << items.field(QStringLiteral("Title")).asString();
    return list;
}

} // namespace

TEST(CatalogueValues, TypedNumbersAreReadOrRefusedWithTheirText)
{
    EXPECT_EQ(ParseCatalogueValue(FieldKind::Integer, QStringLiteral(" -12 "), QStringLiteral("Stock")), QVariant(-12));
    EXPECT_DOUBLE_EQ(ParseCatalogueValue(FieldKind::Float, QStringLiteral("1,50"), {}).toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(ParseCatalogueValue(FieldKind::Float, QStringLiteral("2.25"), {}).toDouble(), 2.25);
    EXPECT_DOUBLE_EQ(ParseCatalogueValue(FieldKind::Float, QStringLiteral("3"), {}).toDouble(), 3.0);
    EXPECT_DOUBLE_EQ(ParseCatalogueValue(FieldKind::Float, QStringLiteral(",5"), {}).toDouble(), 0.5);

    for (const char *bad : {"abc", "1,2,3", "1.2.3", "", " ", "1e5", "nan", "inf", "12 500"})
        EXPECT_FALSE(refusal(FieldKind::Float, QString::fromLatin1(bad)).isEmpty()) << bad;
    for (const char *bad : {"abc", "1.5", "1,0", "", "2147483648", "--1"})
        EXPECT_FALSE(refusal(FieldKind::Integer, QString::fromLatin1(bad)).isEmpty()) << bad;
    EXPECT_EQ(refusal(FieldKind::Integer, QStringLiteral("douze")),
        QStringLiteral("Stock : « douze » n'est pas un nombre entier."));

    EXPECT_TRUE(refusal(FieldKind::WideString, QString(128, QLatin1Char('x'))).isEmpty());
    EXPECT_FALSE(refusal(FieldKind::WideString, QString(129, QLatin1Char('x'))).isEmpty());
    EXPECT_EQ(DeclaredTextLength(QStringLiteral("TEXT(128) COLLATE NOCASE")), 128);
    EXPECT_EQ(DeclaredTextLength(QStringLiteral("LONGTEXT")), 0);
}

TEST(CatalogueSort, ReordersByADeclaredFieldAndRefusesAnyOtherText)
{
    test::TestDatabase db;
    db.addProduct(QStringLiteral("Beurre"), QStringLiteral("Zeta"));
    db.addProduct(QStringLiteral("Café"), QStringLiteral("Alpha"));
    db.addProduct(QStringLiteral("Apéritif"), QStringLiteral("Mu"));
    DataSet &items = db.dm->Items;
    EXPECT_EQ(SortCatalogue(items, QStringLiteral("mark")), QStringLiteral("Mark"));
    EXPECT_EQ(items.sql().last(), QStringLiteral("ORDER BY Mark"));
    EXPECT_EQ(titles(items), QStringList({"Café", "Apéritif", "Beurre"}));

    // A pending edit is posted before the order changes.
    items.first();
    items.edit();
    items.field(QStringLiteral("Stock")).setValue(7);
    SortCatalogue(items, QStringLiteral("Title"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Stock FROM ITEMS WHERE Title='Café'")).toInt(), 7);

    for (const char *bad : {"Title; DROP TABLE ITEMS", "Sel", "Unknown", ""}) {
        EXPECT_THROW(SortCatalogue(items, QString::fromLatin1(bad)), Error) << bad;
        EXPECT_TRUE(items.isActive());
        EXPECT_EQ(items.sql().last(), QStringLiteral("ORDER BY Title"));
    }
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS")).toInt(), 3);

    // A failing open puts the previous order back.
    db.dm->ADOConnection1.close();
    EXPECT_THROW(SortCatalogue(items, QStringLiteral("Mark")), Error);
    EXPECT_EQ(items.sql().last(), QStringLiteral("ORDER BY Title"));
}
