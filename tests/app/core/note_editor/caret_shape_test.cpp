#include <gtest/gtest.h>

#include "core/note_editor/caret_shape.h"

namespace {

bool Kept(CaretMetricsCache *cache, int32_t twips, uint32_t now)
{
    int32_t height = -1, width = -1;
    return FindCaretMetrics(cache, twips, now, &height, &width);
}

} // namespace

// Five heights are kept; a sixth takes the place of the one used longest
// ago, which a recent lookup saves.
TEST(CaretMetricsCache, ASixthHeightReplacesTheLeastRecentlyUsed)
{
    CaretMetricsCache cache = {};
    int32_t height = -1, width = -1;
    EXPECT_FALSE(FindCaretMetrics(&cache, 0, 5, &height, &width))
        << "an empty cache knows no height, not even 0";

    for (int i = 0; i < 5; ++i)
        StoreCaretMetrics(&cache, 200 + 20 * i, 100 + i, 13 + i, 6 + i);
    ASSERT_TRUE(FindCaretMetrics(&cache, 240, 110, &height, &width));
    EXPECT_EQ(height, 15);
    EXPECT_EQ(width, 8);
    // 200 (tick 100) is now the oldest but was just used; 220 (tick 101) is not.
    EXPECT_TRUE(Kept(&cache, 200, 111));

    StoreCaretMetrics(&cache, 480, 120, 32, 14);
    EXPECT_FALSE(Kept(&cache, 220, 121)) << "the least recently used went";
    for (int32_t twips : {200, 240, 260, 280, 480})
        EXPECT_TRUE(Kept(&cache, twips, 122)) << twips;
}

// A 16-pixel cell 8 pixels wide: the full-width underline sits on the
// cell's last pixel row, one pixel (8 / 8) thick, and moving along the line
// does not lower it a second time.
TEST(CustomCaret, AnUnderlineIsLoweredOncePerLine)
{
    LineCaretMemory memory = {-1, -1};
    CaretPlacement p = PlaceCustomCaret(8, 16, 8, 30, 40, 2, &memory);
    EXPECT_EQ(p.y, 55);
    EXPECT_EQ(p.height, 1);
    EXPECT_EQ(p.width, 8);
    // The control then reports the lowered caret; it stays there.
    p = PlaceCustomCaret(8, 16, 8, 38, 55, 2, &memory);
    EXPECT_EQ(p.y, 55);
    EXPECT_EQ(p.x, 38);
    // The next line is lowered anew from its own top.
    p = PlaceCustomCaret(8, 16, 8, 0, 56, 3, &memory);
    EXPECT_EQ(p.y, 71);

    // Blocks fill the cell; a quarter block of a 3-pixel font keeps a visible width.
    p = PlaceCustomCaret(2, 16, 8, 0, 0, 0, &memory);
    EXPECT_EQ(p.height, 16);
    EXPECT_EQ(p.width, 4);
    EXPECT_GE(PlaceCustomCaret(1, 4, 3, 0, 0, 0, &memory).width, 1);
}
