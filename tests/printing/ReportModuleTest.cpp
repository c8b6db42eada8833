#include "printing/ReportModule.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "lists/DataModule.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

QStringList Lines(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'));
}

TEST(ReportClauses, LinesAreReplacedInsertedOrAppended)
{
    const QStringList grouped =
        Lines("SELECT Mark, COUNT(*) FROM ITEMS\nwhere ID_FILE=-1\nGROUP BY Mark\nORDER BY Mark");
    EXPECT_EQ(ReplaceReportClauses(grouped, {}, QStringLiteral("Stock>0"), QStringLiteral("COUNT(*)>1"), {}),
        Lines("SELECT Mark, COUNT(*) FROM ITEMS\nWHERE Stock>0\nGROUP BY Mark\nHAVING COUNT(*)>1\nORDER BY Mark"));

    const QStringList unordered = Lines("SELECT Mark FROM ITEMS\nGROUP BY Mark");
    EXPECT_EQ(ReplaceReportClauses(unordered, QStringLiteral("ITEMS2"), {}, QStringLiteral("COUNT(*)>1"), {}),
        Lines("FROM ITEMS2\nGROUP BY Mark\nHAVING COUNT(*)>1"));

    const QStringList having = Lines("SELECT Mark FROM ITEMS\nGROUP BY Mark\nHAVING COUNT(*)>5\nORDER BY Mark");
    EXPECT_EQ(ReplaceReportClauses(having, {}, {}, QStringLiteral("COUNT(*)>1"), QStringLiteral("Title")),
        Lines("SELECT Mark FROM ITEMS\nGROUP BY Mark\nHAVING COUNT(*)>1\nORDER BY Title"));

    // The order text may carry its keyword: the line is not doubled.
    EXPECT_EQ(ReplaceReportClauses(having, {}, {}, {}, QStringLiteral("ORDER BY Stock")).last(),
        QStringLiteral("ORDER BY Stock"));
    // A query without an order line gets one; one without a WHERE line cannot take a filter.
    EXPECT_EQ(
        ReplaceReportClauses(unordered, {}, {}, {}, QStringLiteral("Mark")).last(), QStringLiteral("ORDER BY Mark"));
    EXPECT_THROW(ReplaceReportClauses(unordered, {}, QStringLiteral("Stock>0"), {}, {}), Error);
}

// A data module on a copy of the template database, with a few products.
class ReportModuleTest : public ::testing::Test
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
        dm.setCurrencySymbol(QStringLiteral("€"));
        report = std::make_unique<TDataModuleReport>(dm);
    }
    void addProduct(const QString &title, const QString &mark, double price)
    {
        dm.ADOConnection1.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Stock_Min, Stock_Max, Stock, "
                                              "Price01, Price02, Price03) VALUES (-1, ?, ?, 1, 4, 2, ?, 0, 0)"),
            {title, mark, price});
    }
    // Runs the product list and keeps the texts of its pages.
    QStringList run(const QString &sortField)
    {
        QStringList texts;
        ++previews;
        RunItemsListReport(*report, sortField, prompter, [&](ReportRun &r) {
            queryOpenDuringPreview = report->ReportQuery.isActive();
            for (const PreparedPage &p : r.prepared.pages)
                for (const PreparedItem &i : p.items)
                    if (i.kind == ObjectKind::Text)
                        texts << i.text;
        });
        return texts;
    }

    test::TestDirs dirs;
    ScriptedPrompter prompter;
    TDataModule1 dm;
    std::unique_ptr<TDataModuleReport> report;
    bool queryOpenDuringPreview = false;
    int previews = 0;
};

TEST_F(ReportModuleTest, ProductListFollowsTheSortColumnWithLabelsAndMoney)
{
    addProduct(QStringLiteral("Pain"), QStringLiteral("Zeta"), 1.2);
    addProduct(QStringLiteral("Beurre"), QStringLiteral("Alpha"), 2.675);
    dm.ADOConnection1.exec(QStringLiteral("DELETE FROM CUSTOMLAB"));
    dm.ADOConnection1.exec(QStringLiteral("INSERT INTO CUSTOMLAB (Id_File, Price01, Price02, Price03) "
                                          "VALUES (-1, 'Marché', '', 'Épicerie')"));

    QStringList byMark = run(QStringLiteral("Mark"));
    EXPECT_TRUE(queryOpenDuringPreview);
    EXPECT_FALSE(report->ReportQuery.isActive());
    EXPECT_LT(byMark.indexOf(QStringLiteral("Beurre")), byMark.indexOf(QStringLiteral("Pain")));
    EXPECT_TRUE(byMark.contains(QStringLiteral("Liste des produits")));
    EXPECT_TRUE(byMark.contains(QStringLiteral("Marché")));
    EXPECT_TRUE(byMark.contains(QStringLiteral("Prix n°2"))); // an empty label keeps its default
    EXPECT_TRUE(byMark.contains(QStringLiteral("Épicerie")));
    EXPECT_TRUE(byMark.contains(QStringLiteral("2.68 €")));
    EXPECT_TRUE(byMark.contains(QStringLiteral("Page 1 / 1")));

    QStringList byTitle = run(QStringLiteral("Title"));
    EXPECT_GT(byTitle.indexOf(QStringLiteral("Pain")), byTitle.indexOf(QStringLiteral("Beurre")));
    byTitle = run(QStringLiteral("Price01"));
    EXPECT_LT(byTitle.indexOf(QStringLiteral("Pain")), byTitle.indexOf(QStringLiteral("Beurre")));

    // Only a column of the products reaches the query.
    EXPECT_THROW(run(QStringLiteral("Title; DROP TABLE ITEMS")), Error);
    EXPECT_TRUE(dm.ADOConnection1.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS")).isValid());
}

TEST_F(ReportModuleTest, EmptyCatalogueOnlyTellsTheUser)
{
    int shown = 0;
    RunItemsListReport(*report, QStringLiteral("Title"), prompter, [&](ReportRun &) { ++shown; });
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Information);
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Il n'y a pas d'enregistrements dans cette liste."));
    EXPECT_FALSE(report->ReportQuery.isActive());
}

TEST_F(ReportModuleTest, TheUsersCopyOfTheLayoutIsPreferredAndAnUnreadableOneIsTold)
{
    addProduct(QStringLiteral("Pain"), QStringLiteral("Zeta"), 1.2);
    App().dataDir = dirs.root() + QStringLiteral("data/");
    const QString user = UserReportLayoutPath(QStringLiteral("ItemsList"));
    EXPECT_EQ(user, App().dataDir + QStringLiteral("Reports/ItemsList.frf"));
    dirs.writeFile(user, "band: master-data\n  height: 6\n  text:\n    box: 0 0 50 6\n    value: Mon [Title]\n");
    EXPECT_TRUE(run(QStringLiteral("Title")).contains(QStringLiteral("Mon Pain")));
    EXPECT_TRUE(prompter.asked().empty());

    dirs.writeFile(user, "band: nowhere\n");
    const QStringList shipped = run(QStringLiteral("Title"));
    EXPECT_TRUE(shipped.contains(QStringLiteral("Liste des produits")));
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Warning);
    EXPECT_TRUE(QFile::exists(user)); // left for the user to mend or set aside
}

TEST_F(ReportModuleTest, WithoutQueryFileTheLayoutRunsWithTheQueryClosed)
{
    ASSERT_TRUE(QFile::remove(App().reportsDir + QStringLiteral("ItemsList.rpt")));
    addProduct(QStringLiteral("Pain"), QStringLiteral("Zeta"), 1.2);
    report->ReportQuery.setSql({QStringLiteral("SELECT 1")});
    const QStringList texts = run(QStringLiteral("Title"));
    EXPECT_FALSE(queryOpenDuringPreview);
    EXPECT_EQ(report->ReportQuery.sql(), QStringList{QStringLiteral("SELECT 1")});
    EXPECT_TRUE(texts.contains(QStringLiteral("Liste des produits")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Pain")));

    // A missing layout reaches the caller as an error, and the query is closed.
    ASSERT_TRUE(QFile::remove(App().reportsDir + QStringLiteral("ItemsList.frf")));
    EXPECT_THROW(run(QStringLiteral("Title")), Error);
}

} // namespace
} // namespace vivrelo
