#include "lists/DataModule.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

// A data module opened on a copy of the template database in the default place.
class DataModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString data = dirs.root() + QStringLiteral("data/");
        QDir().mkpath(data);
        const ConnectionConfig &c = ReadConnectionConfig(data, data);
        QDir().mkpath(QFileInfo(c.databaseFile()).path());
        ASSERT_TRUE(
            QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), c.databaseFile()));
        ASSERT_TRUE(dm.DataModuleCreate(prompter));
    }
    void addProduct(const QString &title, const QString &mark)
    {
        dm.ADOConnection1.exec(
            QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark) VALUES (-1, ?, ?)"), {title, mark});
    }
    QStringList fieldNames(DataSet &ds)
    {
        QStringList names;
        for (const FieldDef &f : ds.fields())
            names << f.name;
        return names;
    }

    test::TestDirs dirs;
    ScriptedPrompter prompter;
    TDataModule1 dm;
};

} // namespace

TEST_F(DataModuleTest, EveryDatasetOpensWithItsPersistentFields)
{
    EXPECT_EQ(DataModule1(), &dm);
    for (DataSet *ds : {&dm.Items, &dm.ItemsList, &dm.CustomLabel, &dm.FormatList, &dm.Backup}) {
        EXPECT_NO_THROW(ds->open()) << ds->sqlText().toStdString();
        EXPECT_TRUE(IsDataSetEmpty(*ds));
        ds->close();
    }
    dm.ItemsList.open();
    EXPECT_EQ(fieldNames(dm.ItemsList).join(QLatin1Char(',')),
        QStringLiteral(
            "Sel,TitleMark,Stock,Quantity,Price01,Price02,Price03,Title,Mark,Id,Id_File,Stock_Min,Stock_Max"));
    dm.Items.open();
    const QStringList items = fieldNames(dm.Items);
    EXPECT_EQ(items.size(), 33);
    EXPECT_EQ(items.mid(29).join(QLatin1Char(',')), QStringLiteral("Id,Id_File,Color,Size"));
    EXPECT_EQ(dm.Items.display(QStringLiteral("Reference")).label, QStringLiteral("Référence"));
    EXPECT_FALSE(dm.Items.display(QStringLiteral("Img1")).visible);

    // A label table that lacks a declared column cannot be opened.
    dm.ADOConnection1.exec(QStringLiteral("ALTER TABLE CUSTOMLAB DROP COLUMN Price07"));
    EXPECT_THROW(dm.CustomLabel.open(), Error);
}

TEST_F(DataModuleTest, NewProductTakesTheCatalogueDefaults)
{
    dm.Items.open();
    dm.Items.insert();
    dm.Items.field(QStringLiteral("Title")).setValue(QStringLiteral("Lait"));
    dm.Items.post();
    const QVariant id = dm.Items.field(QStringLiteral("Id")).value();
    const QVariant row = dm.ADOConnection1.scalar(
        QStringLiteral("SELECT Id_File || '|' || Sel || '|' || Quantity || '|' || Stock_Min || '|' || Stock_Max || '|' "
                       "|| Stock || '|' || Price01 || '|' || Price03 || '|' || Misc11 || '|' || (Img1 IS NULL) FROM "
                       "ITEMS WHERE Id=?"),
        {id});
    EXPECT_EQ(row.toString(), QStringLiteral("-1|0|0|1|1|1|0.0|0.0||1"));
}

TEST_F(DataModuleTest, CatalogueGridShowsTitleAndBrand)
{
    addProduct(QStringLiteral("Lait"), QStringLiteral("X"));
    addProduct(QStringLiteral("Beurre"), QString());
    addProduct(QString(100, QLatin1Char('a')), QString(40, QLatin1Char('b')));
    dm.ItemsList.open();
    QStringList shown;
    for (dm.ItemsList.first(); !dm.ItemsList.eof(); dm.ItemsList.next())
        shown << dm.ItemsList.field(QStringLiteral("TitleMark")).asString();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[1], QStringLiteral("Beurre"));
    EXPECT_EQ(shown[2], QStringLiteral("Lait (X)"));
    EXPECT_EQ(
        shown[0], (QString(100, QLatin1Char('a')) + QStringLiteral(" (") + QString(40, QLatin1Char('b'))).left(128));
}

TEST(TitleMark, NeverCutsACharacterInTwo)
{
    const QString title = QString(125, QLatin1Char('x'));
    // The emoji's two halves would straddle the 128th character.
    EXPECT_EQ(TitleMark(title, QStringLiteral("😀")), title + QStringLiteral(" ("));
}

TEST(CurrencySymbol, FrenchFrancsAndNoSymbolBecomeTheEuro)
{
    for (const char *franc : {"F", "f", "FF", "Fr", "FR", ""})
        EXPECT_EQ(NormaliseCurrencySymbol(QString::fromLatin1(franc)), QStringLiteral("€")) << franc;
    EXPECT_EQ(NormaliseCurrencySymbol(QStringLiteral("FRF")), QStringLiteral("FRF"));
    EXPECT_EQ(NormaliseCurrencySymbol(QStringLiteral("$")), QStringLiteral("$"));
}

TEST(PriceDisplay, TwoDecimalsWithTheLocaleSeparatorThenTheSymbol)
{
    const QLocale fr(QLocale::French, QLocale::France), c = QLocale::c();
    EXPECT_EQ(FormatPriceForDisplay(1234567.5, QStringLiteral("€"), fr), QStringLiteral("1234567,50 €"));
    EXPECT_EQ(FormatPriceForDisplay(-0.001, QStringLiteral("$"), c), QStringLiteral("0.00 $"));
    EXPECT_EQ(FormatPriceForDisplay(-2.5, QStringLiteral("€"), fr), QStringLiteral("-2,50 €"));
    TDataModule1 dm;
    dm.setCurrencySymbol(QStringLiteral("€"));
    EXPECT_EQ(dm.ItemsList.display(QStringLiteral("Price02")).format, QStringLiteral("#######0.00 €"));
    EXPECT_EQ(dm.Items.display(QStringLiteral("Price03")).editFormat, QStringLiteral("#######0.00"));
}
