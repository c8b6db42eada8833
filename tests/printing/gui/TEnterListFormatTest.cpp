#include "printing/gui/TEnterListFormat.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

class EnterListFormat : public ::testing::Test
{
protected:
    void open()
    {
        dialog = std::make_unique<TEnterListFormat>(layout, prompter);
        dialog->show();
    }
    QLineEdit *edit(const char *name) { return dialog->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    void click(const char *name)
    {
        QAbstractButton *b = dialog->findChild<QAbstractButton *>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    PrintLayout layout;
    ScriptedPrompter prompter;
    std::unique_ptr<TEnterListFormat> dialog;
};

TEST_F(EnterListFormat, ShowsTheDefaultLayout)
{
    open();
    const char *edits[] = {"Ed_PageWidth", "Ed_PageHeight", "Ed_TopLine", "Ed_LeftItem",
                           "Ed_LeftPrice", "Ed_InterLines", "Ed_PrinterTop", "Ed_PrinterLeft"};
    QStringList shown;
    for (const char *e : edits)
        shown << edit(e)->text();
    EXPECT_EQ(shown.join(QLatin1Char(' ')), QStringLiteral("14.90 21.00 1.00 1.00 11.00 0.70 0.00 0.00"));
    EXPECT_EQ(edit("Ed_FontName")->text(), QStringLiteral("Arial"));
    EXPECT_EQ(edit("Ed_FontSize")->text(), QStringLiteral("20"));
}

TEST_F(EnterListFormat, ButtonsThenOkStoreTheValues)
{
    open();
    click("Btn_PrinterTop_Down");
    EXPECT_EQ(edit("Ed_PrinterTop")->text(), QStringLiteral("-0.10"));
    EXPECT_EQ(dialog->focusWidget(), edit("Ed_PrinterTop"));
    click("Btn_InterLines_Up");
    EXPECT_EQ(edit("Ed_InterLines")->text(), QStringLiteral("0.80"));
    edit("Ed_LeftPrice")->clear();
    QTest::keyClicks(edit("Ed_LeftPrice"), QStringLiteral(" 12,5 "));
    dialog->setFontPicker([](QLineEdit *target, const QStringList &families) {
        EXPECT_FALSE(families.isEmpty());
        target->setText(QStringLiteral("Liberation Serif"));
    });
    click("Btn_FontName");
    click("Btn_FontSize_Up");
    click("Btn_Ok");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(layout.PrinterTop, -0.1);
    EXPECT_DOUBLE_EQ(layout.InterLines, 0.8);
    EXPECT_DOUBLE_EQ(layout.LeftPrice, 12.5);
    EXPECT_EQ(layout.FontName, QStringLiteral("Liberation Serif"));
    EXPECT_EQ(layout.FontSize, 21);
    EXPECT_DOUBLE_EQ(layout.PageWidth, 14.9);
    EXPECT_TRUE(prompter.asked().empty());
}

TEST_F(EnterListFormat, CancelLeavesTheLayout)
{
    open();
    click("Btn_PageWidth_Up");
    click("Btn_TopLine_Down");
    click("Btn_FontSize_Down");
    click("Btn_Cancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(layout, PrintLayout());
}

TEST_F(EnterListFormat, UnreadableMeasuresAreRefusedAndNothingIsStored)
{
    open();
    click("Btn_PageHeight_Down"); // 20.90, kept as the last readable text
    edit("Ed_PageHeight")->clear();
    QTest::keyClicks(edit("Ed_PageHeight"), QStringLiteral("vingt"));
    click("Btn_PageHeight_Up");
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("vingt")));
    EXPECT_EQ(edit("Ed_PageHeight")->text(), QStringLiteral("20.90"));

    click("Btn_PrinterLeft_Up");
    edit("Ed_LeftItem")->clear();
    click("Btn_Ok");
    ASSERT_EQ(prompter.asked().size(), 2u);
    EXPECT_EQ(prompter.asked().back().kind, MessageKind::Warning);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(edit("Ed_LeftItem")->text(), QStringLiteral("1.00"));
    EXPECT_EQ(layout, PrintLayout());

    click("Btn_Ok");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(layout.PageHeight, 20.9);
    EXPECT_DOUBLE_EQ(layout.PrinterLeft, 0.1);
}

} // namespace
} // namespace vivrelo
