#include "printing/gui/PrintShopSplit.h"

#include "printing/PopplerTools.h"
#include "printing/gui/PrintingDb.h"

#include <QPrinter>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

class PrintShopSplitTest : public test::PrintingDbTest
{ };

TEST_F(PrintShopSplitTest, OffersThePrintedListsChoiceAndWritesThePdf)
{
    addProduct(QStringLiteral("Lait"), true, 2, 0.95);
    const QString pdf = dirs.root() + QStringLiteral("magasins.pdf");
    QString suggested;
    int printDialogs = 0;
    PrintListDialogs dialogs;
    dialogs.hasPrinter = [] { return false; }; // no printer: straight to a PDF file
    dialogs.chooseOutput = [](QWidget *) { return ListOutput::Printer; };
    dialogs.printDialog = [&](QPrinter &, QWidget *) {
        ++printDialogs;
        return false;
    };
    dialogs.pdfFile = [&](QWidget *, const QString &proposed) {
        suggested = proposed;
        return pdf;
    };
    ASSERT_TRUE(PrintShopSplitCommand(nullptr, prompter, dialogs)) << prompter.lastText().toStdString();
    EXPECT_EQ(suggested, dataDir + QStringLiteral("Export/Liste par magasin.pdf"));
    const QString text = test::RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Sous-total Prix n°1"))) << text.toStdString();

    // With a printer, the print dialog is offered; cancelling it prints nothing and says so.
    dialogs.hasPrinter = [] { return true; };
    EXPECT_FALSE(PrintShopSplitCommand(nullptr, prompter, dialogs));
    EXPECT_EQ(printDialogs, 1);
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Impression annulée : la liste n'a pas été imprimée."));
}

} // namespace
} // namespace vivrelo
