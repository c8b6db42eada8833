#include "printing/PrintLayout.h"

#include "base/Error.h"

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

TEST(PrintLayout, MeasuresTruncateTheExactProduct)
{
    EXPECT_EQ(T(0.7), 69); // stored just below 0.7
    EXPECT_EQ(T(14.9), 1490);
    EXPECT_EQ(T(21.0), 2100);
    EXPECT_EQ(T(1.0), 100);
    EXPECT_EQ(T(-0.1), -10);
    EXPECT_EQ(T(-0.7), -69); // toward zero
    EXPECT_EQ(T(1e300), 100000000);
    EXPECT_EQ(T(-1e300), -100000000);
}

TEST(PrintLayout, TypedMeasures)
{
    EXPECT_DOUBLE_EQ(ParseMeasure(QStringLiteral("1.5")), 1.5);
    EXPECT_DOUBLE_EQ(ParseMeasure(QStringLiteral(" 1,25 ")), 1.25);
    EXPECT_DOUBLE_EQ(ParseMeasure(QStringLiteral("-0.10")), -0.1);
    EXPECT_DOUBLE_EQ(ParseMeasure(QStringLiteral(".5")), 0.5);
    EXPECT_DOUBLE_EQ(ParseMeasure(QStringLiteral("3.")), 3.0);
    for (const char *bad : {"", "   ", "abc", "1.2cm", "1.2.3", "1,2,3", "1e3", "inf", "nan", "--1", "0x10"}) {
        try {
            ParseMeasure(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("mesure"))) << bad;
        }
    }
}

TEST(PrintLayout, StepButtons)
{
    EXPECT_EQ(StepMeasure(QStringLiteral("0.00"), -1), QStringLiteral("-0.10"));
    EXPECT_DOUBLE_EQ(ParseMeasure(StepMeasure(QStringLiteral("0.00"), -1)), -0.1);
    EXPECT_EQ(StepMeasure(QStringLiteral("0.70"), +1), QStringLiteral("0.80"));
    EXPECT_EQ(StepMeasure(QStringLiteral("0,7"), +1), QStringLiteral("0.80"));
    EXPECT_EQ(StepMeasure(QStringLiteral("0.05"), -1), QStringLiteral("-0.05"));
    EXPECT_EQ(StepMeasure(QStringLiteral("123.4"), +1), QStringLiteral("123.50"));
    // Ten presses up from 0.00 land on 1.00, not on 0.99 or 1.01.
    QString t = QStringLiteral("0.00");
    for (int i = 0; i < 10; ++i)
        t = StepMeasure(t, +1);
    EXPECT_EQ(t, QStringLiteral("1.00"));
    EXPECT_THROW(StepMeasure(QStringLiteral("x"), +1), Error);

    EXPECT_EQ(FontSizeUp(QStringLiteral("100")), QStringLiteral("100"));
    EXPECT_EQ(FontSizeUp(QStringLiteral("20")), QStringLiteral("21"));
    EXPECT_EQ(FontSizeDown(QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(FontSizeDown(QStringLiteral("1")), QStringLiteral("0"));
}

} // namespace
} // namespace vivrelo
