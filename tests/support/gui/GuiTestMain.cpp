// main() of the window tests: the fixed test surroundings (the offscreen platform unless the
// caller chose another), a French default locale, a QApplication, then every test.
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    vivrelo::test::SetTestEnvironment();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
