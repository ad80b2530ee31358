#include <gtest/gtest.h>

#include "core/note_editor/editor_rules.h"

TEST(LineColumn, ReportsTheEndThatMovedLast)
{
    CaretTrack t = {0, 0, 0};
    EXPECT_TRUE(TrackCaretEnd(&t, 5, 5));
    EXPECT_EQ(t.caretEnd, 5);
    EXPECT_TRUE(TrackCaretEnd(&t, 5, 9)) << "selection grows to the right";
    EXPECT_EQ(t.caretEnd, 9);
    EXPECT_TRUE(TrackCaretEnd(&t, 2, 9)) << "only the start moved";
    EXPECT_EQ(t.caretEnd, 2);
    EXPECT_FALSE(TrackCaretEnd(&t, 2, 9)) << "nothing moved: the caret end stays";
    EXPECT_EQ(t.caretEnd, 2);
    char text[32];
    EXPECT_EQ(FormatLineColumn(text, sizeof text, 2, 17, 12), 12);
    EXPECT_STREQ(text, "Line 3 Col 6");
    FormatLineColumn(text, 6, 2, 17, 12);
    EXPECT_STREQ(text, "Line ");
}

TEST(FontSizes, CommandsGiveTwentyTwipsAPoint)
{
    EXPECT_EQ(PointsForSizeCommand(9000), 0);
    EXPECT_EQ(PointsForSizeCommand(9001), 6);
    EXPECT_EQ(PointsForSizeCommand(9004), 10);
    EXPECT_EQ(PointsForSizeCommand(9017), 72);
    EXPECT_EQ(PointsForSizeCommand(9018), 0);
    EXPECT_EQ(TwipsFromPoints(10), 200);
    EXPECT_EQ(TwipsFromPoints(72), 1440);
}
