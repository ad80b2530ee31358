#include <gtest/gtest.h>

#include "core/note_editor/colour_steps.h"

TEST(TitleStrip, ColoursAndGradient)
{
    EXPECT_EQ(DarkenColour(0x0000FFFF), 0x0000E1E1u);
    EXPECT_EQ(DarkenColour(0x00141E1D), 0u) << "each channel floors at 0";
    EXPECT_EQ(DarkenColour(0), 0u);
    // 0 -> 100 red over 4 columns: 0, 25, 50, 75; the right colour is never reached
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(GradientColumnColour(0, 100, 4, i), (uint32_t)(25 * i));
    // falling channels truncate toward zero: 10 -> 0 over 3 gives 10, 6.67, 3.33
    EXPECT_EQ(GradientColumnColour(10 << 8, 0, 3, 1), 6u << 8);
    EXPECT_EQ(GradientColumnColour(10 << 8, 0, 3, 2), 3u << 8);
}
