#include <gtest/gtest.h>

#include "core/note_window/group_geometry.h"

TEST(GroupScroll, NoMembersLeaveBothBarsDisabled)
{
    GroupScroll s = LayoutGroupScroll(300, 200, 16, nullptr, 0);
    EXPECT_FALSE(s.horizontal.enabled);
    EXPECT_FALSE(s.vertical.enabled);
}

TEST(GroupScroll, MemberPastAnEdgeEnablesThatBarOverTheWholeSpan)
{
    // 50 pixels past the right edge: the range runs from 0 to width + 50.
    ZettlyRect right = {200, 30, 350, 90};
    GroupScroll s = LayoutGroupScroll(300, 200, 16, &right, 1);
    EXPECT_TRUE(s.horizontal.enabled);
    EXPECT_EQ(s.horizontal.min, 0);
    EXPECT_EQ(s.horizontal.max, 350);
    EXPECT_GT(s.horizontal.page, 0);
    EXPECT_LT(s.horizontal.page, 300) << "the thumb shows that not all is in view";
    EXPECT_FALSE(s.vertical.enabled);

    // Left of the client area and below it: both bars, the vertical one
    // starting under the title strip.
    ZettlyRect both[2] = {{-40, 20, 60, 60}, {10, 150, 100, 260}};
    s = LayoutGroupScroll(300, 200, 16, both, 2);
    EXPECT_TRUE(s.horizontal.enabled);
    EXPECT_EQ(s.horizontal.min, -40);
    EXPECT_EQ(s.horizontal.max, 300);
    EXPECT_TRUE(s.vertical.enabled);
    EXPECT_EQ(s.vertical.min, 16);
    EXPECT_EQ(s.vertical.max, 260);
}

TEST(GroupScroll, ScrollCodesStayInsideTheRange)
{
    struct Case {
        int code, position, track, expected;
    } cases[] = {
        {0, 5, 0, 0},     // line up past the start
        {1, 95, 0, 100},  // line down past the end
        {3, 10, 0, 40},   // page down by the page
        {5, 10, 70, 70},  // thumb track
        {5, 10, 900, 100} // a track position from outside the range
    };
    for (const Case &c : cases)
        EXPECT_EQ(NextScrollPosition(c.code, c.position, c.track, 0, 100, 30), c.expected)
            << "code " << c.code;
}

TEST(GroupStrips, StackStartsANewColumnPastTheWidestWhenTheHeightRunsOut)
{
    StripStack stack = {0, 16, 0};
    int x, y;
    // Strips of 14 pixels with a 4-pixel gap fill a height of 70 twice.
    StackStrip(&stack, 16, 70, 4, 14, 4, 120, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 16);
    StackStrip(&stack, 16, 70, 4, 14, 4, 150, &x, &y);
    EXPECT_EQ(y, 16 + 14 + 2 + 4);
    StackStrip(&stack, 16, 70, 4, 14, 4, 80, &x, &y);
    EXPECT_EQ(x, 151) << "one pixel right of the widest strip of the first column";
    EXPECT_EQ(y, 16);
}
