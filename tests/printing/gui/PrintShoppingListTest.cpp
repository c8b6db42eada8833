#include "printing/gui/PrintShoppingList.h"

#include "printing/PopplerTools.h"
#include "printing/gui/PrintingDb.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

class PrintCommand : public test::PrintingDbTest
{
protected:
    void SetUp() override
    {
        PrintingDbTest::SetUp();
        for (int i = 1; i <= 30; ++i)
            addProduct(QStringLiteral("Produit %1").arg(i, 2, 10, QLatin1Char('0')), true, 2, 1.25);
        addProduct(QStringLiteral("Pas coché"), false, 0, 9);
        pdf = dirs.root() + QStringLiteral("liste.pdf");
        dialogs.hasPrinter = [] { return true; };
        dialogs.chooseOutput = [this](QWidget *) { return output; };
        dialogs.printDialog = [this](QPrinter &, QWidget *) {
            ++printDialogs;
            return false;
        };
        dialogs.pdfFile = [this](QWidget *, const QString &suggested) {
            suggestions << suggested;
            return pdf;
        };
    }
    QString text() { return test::RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}); }

    QString pdf;
    ListOutput output = ListOutput::Pdf;
    int printDialogs = 0;
    QStringList suggestions;
    PrintListDialogs dialogs;
};

TEST_F(PrintCommand, ThirtyTickedRowsGoIntoATwoPagePdf)
{
    ASSERT_TRUE(PrintShoppingList(nullptr, 1, prompter, dialogs));
    ASSERT_EQ(suggestions.size(), 1);
    EXPECT_EQ(suggestions[0], dataDir + QStringLiteral("Export/Liste de courses.pdf"));
    EXPECT_TRUE(QFileInfo(dataDir + QStringLiteral("Export")).isDir());
    const QString info = test::RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n")))) << info.toStdString();
    const QString t = text();
    EXPECT_TRUE(t.contains(QStringLiteral("Produit 01"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("Produit 30")));
    EXPECT_FALSE(t.contains(QStringLiteral("Pas coché")));
    EXPECT_TRUE(t.contains(QStringLiteral("75.00 €"))); // 30 × 2 × 1.25
    EXPECT_TRUE(prompter.asked().empty());
}

TEST_F(PrintCommand, WithoutAPrinterTheListGoesToAPdfWithoutAsking)
{
    dialogs.hasPrinter = [] { return false; };
    output = ListOutput::Printer; // would be wrong to ask
    ASSERT_TRUE(PrintShoppingList(nullptr, 2, prompter, dialogs));
    EXPECT_EQ(printDialogs, 0);
    EXPECT_TRUE(text().contains(QStringLiteral("0.00 €"))); // no second price: nothing to pay
}

TEST_F(PrintCommand, CancelledDialogsReportNothingPrinted)
{
    QFile::remove(pdf);
    output = ListOutput::Printer;
    EXPECT_FALSE(PrintShoppingList(nullptr, 1, prompter, dialogs));
    EXPECT_EQ(printDialogs, 1);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("n'a pas été imprimée")));

    output = ListOutput::Cancel;
    EXPECT_FALSE(PrintShoppingList(nullptr, 1, prompter, dialogs));
    EXPECT_EQ(prompter.asked().size(), 2u);

    output = ListOutput::Pdf;
    dialogs.pdfFile = [](QWidget *, const QString &) { return QString(); };
    EXPECT_FALSE(PrintShoppingList(nullptr, 1, prompter, dialogs));
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("n'a pas été enregistrée")));
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PrintCommand, NothingTickedIsToldBeforeAnyDialog)
{
    dm.ADOConnection1.exec(QStringLiteral("UPDATE ITEMS SET Sel=0"));
    QFile::remove(pdf);
    EXPECT_FALSE(PrintShoppingList(nullptr, 1, prompter, dialogs));
    EXPECT_TRUE(suggestions.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("Aucun produit n'est coché")));
}

TEST_F(PrintCommand, AFileThatCannotBeWrittenIsToldAndNotReportedAsSaved)
{
    pdf = dirs.root() + QStringLiteral("absent/liste.pdf");
    EXPECT_FALSE(PrintShoppingList(nullptr, 1, prompter, dialogs));
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("liste.pdf"))) << prompter.lastText().toStdString();
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("n'a pas été enregistrée")));
}

} // namespace
} // namespace vivrelo
