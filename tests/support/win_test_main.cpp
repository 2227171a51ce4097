// Runs the in-process tests under Wine.
#include <gtest/gtest.h>

#include "app/platform.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
