#include <gtest/gtest.h>

#include "core/main_window/command_line.h"

TEST(CommandLine, MultiInstanceSwitchAnywhere)
{
    EXPECT_TRUE(AsksForMultipleInstances("-multinstances"));
    EXPECT_TRUE(AsksForMultipleInstances("note.exp -multinstances"));
    EXPECT_TRUE(AsksForMultipleInstances("x-multinstancesy"));
    EXPECT_FALSE(AsksForMultipleInstances("-multi"));
    EXPECT_FALSE(AsksForMultipleInstances(""));
    EXPECT_FALSE(AsksForMultipleInstances(nullptr));
}

TEST(CommandLine, BlanksNameNothing)
{
    EXPECT_FALSE(CommandLineNamesSomething(""));
    EXPECT_FALSE(CommandLineNamesSomething("  \t "));
    EXPECT_TRUE(CommandLineNamesSomething(" a.exp"));
}
