#include "lists/TextRoutines.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

TEST(FormatFixed, PadsToWidthAndNeverCuts)
{
    EXPECT_EQ(FormatFixed(7, 2, 3.5), QStringLiteral("      3.50"));
    EXPECT_EQ(FormatFixed(2, 2, 123.456), QStringLiteral("123.46"));
    EXPECT_EQ(FormatFixed(4, 0, 7.0), QStringLiteral("   7"));
    EXPECT_EQ(FormatFixed(7, 2, 1e21), QStringLiteral("1000000000000000000000.00"));
}

TEST(FormatFixed, RoundsTheValueAsTypedHalvesAwayFromZero)
{
    // 2.675 and 1.005 are stored just below their decimal value: the user typed a half.
    EXPECT_EQ(TrimLeadingBlanks(FormatFixed(7, 2, 2.675)), QStringLiteral("2.68"));
    EXPECT_EQ(TrimLeadingBlanks(FormatFixed(7, 2, 1.005)), QStringLiteral("1.01"));
    EXPECT_EQ(TrimLeadingBlanks(FormatFixed(7, 2, -0.125)), QStringLiteral("-0.13"));
    // Sums carry their binary error: 3 x 1.15 is 3.4499999999999997.
    EXPECT_EQ(TrimLeadingBlanks(FormatFixed(7, 2, 3 * 1.15)), QStringLiteral("3.45"));
    EXPECT_EQ(TrimLeadingBlanks(FormatFixed(7, 2, 9.995)), QStringLiteral("10.00"));
    EXPECT_EQ(FormatFixed(1, 0, 99.5), QStringLiteral("100"));
}

TEST(FormatFixed, SignOfNegativesAndOfZero)
{
    EXPECT_EQ(TrimLeadingBlanks(FormatFixed(7, 2, -0.1)), QStringLiteral("-0.10"));
    EXPECT_EQ(TrimLeadingBlanks(FormatFixed(7, 2, -0.001)), QStringLiteral("0.00"));
    EXPECT_EQ(TrimLeadingBlanks(FormatFixed(7, 2, -0.0)), QStringLiteral("0.00"));
}

TEST(TrimLeadingBlanks, OnlyLeadingSpacesGo)
{
    EXPECT_EQ(TrimLeadingBlanks(QStringLiteral("  a b ")), QStringLiteral("a b "));
    EXPECT_EQ(TrimLeadingBlanks(QStringLiteral("\ta")), QStringLiteral("\ta"));
    EXPECT_EQ(TrimLeadingBlanks(QStringLiteral("   ")), QStringLiteral("   "));
    EXPECT_EQ(TrimLeadingBlanks(QString()), QString());
}

TEST(ZeroPad, PadsUpToEightDigits)
{
    EXPECT_EQ(ZeroPad(42, 4), QStringLiteral("0042"));
    EXPECT_EQ(ZeroPad(5, 2), QStringLiteral("05"));
    EXPECT_EQ(ZeroPad(12345, 4), QStringLiteral("12345"));
    EXPECT_EQ(ZeroPad(7, 20), QStringLiteral("00000007"));
    EXPECT_EQ(ZeroPad(-5, 3), QStringLiteral("-005"));
}

TEST(ShadeColor, ClampsEachChannel)
{
    EXPECT_EQ(ShadeColor(QColor(5, 200, 255), -10), QColor(1, 190, 245));
    EXPECT_EQ(ShadeColor(QColor(5, 200, 255), 10), QColor(15, 210, 254));
    EXPECT_EQ(ShadeColor(QColor::fromHsv(0, 255, 255), 0), QColor(255, 0, 0));
}

TEST(MoneyText, PointAndSymbolWhateverTheLocale)
{
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(MoneyText(3.5, QStringLiteral("€")), QStringLiteral("3.50 €"));
    EXPECT_EQ(MoneyText(-0.1, QStringLiteral("€")), QStringLiteral("-0.10 €"));
    EXPECT_EQ(MoneyText(1234567.891, QStringLiteral("$")), QStringLiteral("1234567.89 $"));
    QLocale::setDefault(old);
}

} // namespace
} // namespace vivrelo
