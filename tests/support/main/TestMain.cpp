// main() of the core tests: the fixed test surroundings, then every test.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    vivrelo::test::SetTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
