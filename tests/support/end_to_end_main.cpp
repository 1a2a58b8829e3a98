#include <gtest/gtest.h>

#include "tool_under_test.h"

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no tool.
    if (!testing::GTEST_FLAG(list_tests))
        ConfigureToolUnderTest(argc, argv);
    return RUN_ALL_TESTS();
}
