#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/note_window/note_geometry.h"
#include "core/note_editor/caret_shape.h"
#include "core/note_editor/text_walk.h"

TEST(TitleStrip, IconsMoveOnePlaceRightWithoutTheCloseButton)
{
    // width 200, strip 16: place k is at 200 - 16k - 1
    TitleStripLayout all = LayoutTitleStrip(200, 16, 1, 1, 0, 1);
    EXPECT_EQ(all.size, 15);
    EXPECT_EQ(all.closeX, 183);
    EXPECT_EQ(all.alarmX, 167);
    EXPECT_EQ(all.calculatorX, STRIP_NO_ICON);
    EXPECT_EQ(all.consoleX, 151);

    TitleStripLayout bare = LayoutTitleStrip(200, 16, 0, 1, 1, 1);
    EXPECT_EQ(bare.closeX, STRIP_NO_ICON);
    EXPECT_EQ(bare.alarmX, 183);
    EXPECT_EQ(bare.calculatorX, 183) << "calculator covers the alarm";
    EXPECT_EQ(bare.consoleX, 167);

    TitleStripLayout console = LayoutTitleStrip(200, 16, 1, 0, 0, 1);
    EXPECT_EQ(console.consoleX, 167) << "console takes the free second place";
}

TEST(TitleStrip, PressesAndHover)
{
    EXPECT_EQ(ClassifyStripPress(10, 16, 200, 16, 1), STRIP_PRESS_TITLE);
    EXPECT_EQ(ClassifyStripPress(183, 5, 200, 16, 1), STRIP_PRESS_TITLE);
    EXPECT_EQ(ClassifyStripPress(184, 5, 200, 16, 1), STRIP_PRESS_CLOSE);
    EXPECT_EQ(ClassifyStripPress(184, 5, 200, 16, 0), STRIP_PRESS_NONE);
    EXPECT_EQ(ClassifyStripPress(10, 17, 200, 16, 1), STRIP_PRESS_NONE) << "text area";
    EXPECT_TRUE(InCloseHoverSquare(184, 1, 200, 16));
    EXPECT_TRUE(InCloseHoverSquare(200, 15, 200, 16));
    EXPECT_FALSE(InCloseHoverSquare(190, 0, 200, 16));
    EXPECT_FALSE(InCloseHoverSquare(190, 16, 200, 16));
    EXPECT_FALSE(InCloseHoverSquare(183, 8, 200, 16));
}

TEST(TitleStrip, RolledUpHeight)
{
    EXPECT_EQ(RolledUpHeight(13, 1, 2, 4), 17);
    EXPECT_EQ(RolledUpHeight(13, 0, 2, 4), 19);
}

TEST(RollAnimation, FramesAccelerateAndLandOnTheTarget)
{
    int p[64];
    ASSERT_EQ(RollFrames(0, 300, 20, p, 64), 5);
    int expect20[] = {20, 60, 120, 200, 300};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p[i], expect20[i]);
    EXPECT_EQ(RollFrames(0, 300, 1, p, 64), 24);
    EXPECT_EQ(p[23], 300);
    EXPECT_EQ(RollFrames(500, 200, 20, p, 64), 5) << "shrinking is symmetric";
    EXPECT_EQ(p[0], 480);
    EXPECT_EQ(p[4], 200);
    EXPECT_EQ(RollFrames(0, 7, 0, p, 64), 4) << "step below 1 counts as 1: 1, 3, 6, 7";
    EXPECT_EQ(RollFrames(40, 40, 3, p, 64), 1) << "already there: one still frame";
}

TEST(RollAnimation, EachEdgeStopsAtItsOwnTarget)
{
    RollEdge bottom = {100, 0, 400}, right = {50, 0, 80};
    int frames = 0;
    while (!(RollEdgeDone(bottom) && RollEdgeDone(right)) && frames < 100) {
        AdvanceRollEdge(&bottom, 10);
        AdvanceRollEdge(&right, 10);
        CommitRollEdge(&bottom);
        CommitRollEdge(&right);
        ++frames;
        if (frames >= 3) {
            EXPECT_EQ(right.edge, 80) << "frame " << frames;
        }
    }
    EXPECT_EQ(bottom.edge, 400);
    EXPECT_EQ(frames, 8);
}

namespace {
const int W = 100, H = 50;
}

TEST(Latching, SnapsOntoNeighbourEdgesWithinTheDistance)
{
    ZettlyRect other = {300, 300, 500, 400};
    struct Case {
        int x, y;
        int ex, ey;
        const char *what;
    } cases[] = {
        {320, 405, 320, 400, "top onto the bottom edge below it"},
        {320, 411, 320, 411, "just out of reach"},
        {320, 245, 320, 250, "bottom onto the top edge above it"},
        {320, 295, 320, 300, "tops aligned"},
        {320, 355, 320, 350, "bottoms aligned"},
        {195, 320, 200, 320, "right edge onto the left edge"},
        {505, 320, 500, 320, "left edge onto the right edge"},
        {296, 200, 296, 200, "far above: no horizontal latching"},
        {296, 280, 300, 280, "lefts aligned"},
        {296, 292, 300, 300, "lefts aligned and tops aligned"},
        {-20, -30, -20, -30, "nowhere near"},
    };
    for (const Case &c : cases) {
        LatchPoint p = LatchToNeighbours(c.x, c.y, W, H, &other, 1, 10);
        EXPECT_EQ(p.x, c.ex) << c.what;
        EXPECT_EQ(p.y, c.ey) << c.what;
    }
    LatchPoint off = LatchToNeighbours(320, 405, W, H, &other, 1, 0);
    EXPECT_EQ(off.y, 405) << "distance 0 latches only on exact contact";
}

TEST(Latching, AlignmentWinsOverAnEarlierOffer)
{
    // The first neighbour offers "top onto its bottom", the second aligns
    // the tops: an alignment always overrides an offer.
    ZettlyRect others[2] = {{0, 100, 200, 200}, {240, 204, 600, 300}};
    LatchPoint p = LatchToNeighbours(150, 203, W, H, others, 2, 10);
    EXPECT_EQ(p.x, 150);
    EXPECT_EQ(p.y, 204);
}

TEST(Latching, ANarrowTallCandidateKeepsItsOfferAgainstAWideOne)
{
    // The first neighbour spans the second's height and lies within its
    // width: the second's offer is refused.
    ZettlyRect spanning[2] = {{100, 0, 200, 110}, {0, 0, 600, 105}};
    EXPECT_EQ(LatchToNeighbours(150, 112, W, H, spanning, 2, 10).y, 110);
    // Not spanning it: the later offer is taken.
    ZettlyRect shorter[2] = {{100, 0, 200, 104}, {0, 0, 600, 105}};
    EXPECT_EQ(LatchToNeighbours(150, 112, W, H, shorter, 2, 10).y, 105);
}

TEST(Latching, GroupRule)
{
    LatchMember freeNote = {1, 0, 0, 0}, group = {5, 1, 0, 0};
    LatchMember member5 = {2, 0, 1, 5}, member6 = {3, 0, 1, 6};
    EXPECT_TRUE(LatchGroupRuleAllows(freeNote, freeNote));
    EXPECT_FALSE(LatchGroupRuleAllows(freeNote, member5));
    EXPECT_FALSE(LatchGroupRuleAllows(group, member5)) << "a group skips its own members";
    EXPECT_TRUE(LatchGroupRuleAllows(group, group));
    EXPECT_TRUE(LatchGroupRuleAllows(member5, member5));
    EXPECT_FALSE(LatchGroupRuleAllows(member5, member6));
    EXPECT_FALSE(LatchGroupRuleAllows(member5, freeNote));
}

TEST(TextWalk, LineEndsOfEveryKind)
{
    const std::string t = "ab\r\ncd\re\nf";
    const int n = (int)t.size();
    EXPECT_EQ(LineEndWidth(t.data(), n, 2), 2);
    EXPECT_EQ(LineEndWidth(t.data(), n, 6), 1);
    EXPECT_EQ(LineEndWidth(t.data(), n, 8), 1);
    EXPECT_EQ(LineEndWidth(t.data(), n, 0), 0);
    EXPECT_EQ(LineStartAt(t.data(), n, 5), 4);
    EXPECT_EQ(LineStartAt(t.data(), n, 3), 0) << "inside CR LF belongs to the line before";
    EXPECT_EQ(LineStartAt(t.data(), n, 7), 7);
    EXPECT_EQ(LineStartAt(t.data(), n, n), 9);
    EXPECT_EQ(LineEndAt(t.data(), n, 0), 2);
    EXPECT_EQ(LineEndAt(t.data(), n, 3), 2);
    EXPECT_EQ(LineEndAt(t.data(), n, 9), n);
}

TEST(TextWalk, IndentAndUnindentAreSymmetricWithCrAndCrLf)
{
    for (const char *eol : {"\r", "\r\n"}) {
        std::string e = eol;
        std::string t = "one" + e + "two" + e + "three";
        EditPlan in = PlanIndent(t.data(), (int)t.size(), 0, (int)t.size());
        std::string indented = t;
        ApplyPlanToString(&indented, in);
        EXPECT_EQ(indented, " one" + e + " two" + e + " three") << "eol " << e.size();
        EXPECT_EQ(in.selectEnd, (int)indented.size());
        EditPlan out = PlanUnindent(indented.data(), (int)indented.size(), in.selectStart,
                                    in.selectEnd);
        std::string back = indented;
        ApplyPlanToString(&back, out);
        EXPECT_EQ(back, t);
        EXPECT_EQ(out.selectEnd, (int)t.size());
    }
    std::string tabs = "\tx\r\n y\r\nz";
    EditPlan out = PlanUnindent(tabs.data(), (int)tabs.size(), 0, (int)tabs.size());
    ApplyPlanToString(&tabs, out);
    EXPECT_EQ(tabs, "x\r\ny\r\nz");
    EXPECT_TRUE(PlanIndent("abc", 3, 1, 1).edits.empty()) << "empty selection";
}

namespace {
std::string Applied(std::string text, EditPlan (*plan)(const char *, int, int, int), int start,
                    int end)
{
    ApplyPlanToString(&text, plan(text.data(), (int)text.size(), start, end));
    return text;
}
} // namespace

TEST(TextWalk, TrimRightTakesBlanksOnlyBeforeLineEnds)
{
    struct Case {
        const char *text;
        int start, end; // -1: the whole text
        const char *expect;
    } cases[] = {
        {"a  \r\nb\t \r\nc  ", 0, -1, "a\r\nb\r\nc"},
        {"a  b  \rc", 0, -1, "a  b\rc"},    // blanks inside a line stay
        {"x  \n  y", 0, -1, "x\n  y"},      // and at a line's start
        {"keep  \r\ntrim  \r\n", 8, -1, "keep  \r\ntrim\r\n"}, // not before the range
    };
    for (const Case &c : cases) {
        int end = c.end < 0 ? (int)std::strlen(c.text) : c.end;
        EXPECT_EQ(Applied(c.text, PlanTrimRight, c.start, end), c.expect) << c.text;
    }
    std::string t = "ab \r\ncd ";
    EditPlan p = PlanTrimRight(t.data(), (int)t.size(), 0, (int)t.size());
    EXPECT_EQ(p.selectEnd, (int)t.size() - 2);
}

TEST(TextWalk, TabsCaseAndBlockPadding)
{
    EXPECT_EQ(Applied("\ta\tb", PlanTabsToSpaces, 0, 4), "    a    b");
    EXPECT_EQ(Applied("\ta\tb", PlanTabsToSpaces, 1, 4), "\ta    b");
    std::string mixed = "Hello, World 9!";
    EditPlan up = PlanChangeCase(mixed.data(), (int)mixed.size(), 0, (int)mixed.size(), true);
    EXPECT_EQ(up.edits.size(), 8u) << "only letters that change are touched";
    ApplyPlanToString(&mixed, up);
    EXPECT_EQ(mixed, "HELLO, WORLD 9!");
    EditPlan down = PlanChangeCase(mixed.data(), (int)mixed.size(), 7, (int)mixed.size(), false);
    ApplyPlanToString(&mixed, down);
    EXPECT_EQ(mixed, "HELLO, world 9!");

    EXPECT_EQ(Applied("ab\r\nlonger\r\nc", PlanBlockPad, 0, 13), "ab    \r\nlonger\r\nc     ");
    EXPECT_EQ(Applied("ab\rlonger\rc", PlanBlockPad, 0, 11), "ab    \rlonger\rc     ");
}

TEST(TextWalk, DeleteLineTakesTheWholeLineEnd)
{
    struct Case {
        const char *text;
        int at;
        const char *expect;
    } cases[] = {
        {"one\r\ntwo\r\nthree", 6, "one\r\nthree"},
        {"one\rtwo\rthree", 5, "one\rthree"},
        {"one\r\ntwo", 8, "one\r\n"},
        {"one\r\ntwo", 0, "two"},
        {"one\r\ntwo", 4, "two"},
        {"", 0, ""},
    };
    for (const Case &c : cases) {
        std::string t = c.text;
        EditPlan p = PlanDeleteLine(t.data(), (int)t.size(), c.at);
        ApplyPlanToString(&t, p);
        EXPECT_EQ(t, c.expect) << c.text << " at " << c.at;
    }
}

TEST(ConsoleLine, PromptIsStrippedOnlyWhenItLooksLikeADrivePrompt)
{
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"C:\\Users>dir\r\n", "dir\r\n"},
        {"C:\\>echo a>b\r\n", "echo a>b\r\n"},
        {"echo a>b\r\n", "echo a>b\r\n"},
        {"C:>dir\r\n", "C:>dir\r\n"},
        {"a:b:\\>x", "a:b:\\>x"},
        {"no prompt", "no prompt"},
    };
    for (const Case &c : cases) {
        std::string s = c.in;
        StripConsolePrompt(&s);
        EXPECT_EQ(s, c.out) << c.in;
    }
    std::string s = "dir\r\nmore\r\n";
    CutAfterFirstCrLf(&s);
    EXPECT_EQ(s, "dir\r\n");
}

TEST(Links, OnlyWebAndMailOpen)
{
    EXPECT_TRUE(IsOpenableLink("http://example.org"));
    EXPECT_TRUE(IsOpenableLink("HTTPS://example.org/a?b"));
    EXPECT_TRUE(IsOpenableLink("mailto:someone@example.org"));
    EXPECT_FALSE(IsOpenableLink("file://c:/windows/system32/cmd.exe"));
    EXPECT_FALSE(IsOpenableLink("c:\\windows\\notepad.exe"));
    EXPECT_FALSE(IsOpenableLink("http:"));
    EXPECT_FALSE(IsOpenableLink(""));
    EXPECT_FALSE(IsOpenableLink(nullptr));
}

TEST(CaretCache, ASixthHeightReplacesTheLeastRecentlyUsed)
{
    CaretMetricsCache cache = {};
    int32_t h = 0, w = 0;
    EXPECT_FALSE(FindCaretMetrics(&cache, 200, 1, &h, &w)) << "an empty cache knows nothing";
    for (int i = 0; i < 5; ++i)
        StoreCaretMetrics(&cache, 200 + 20 * i, 10 + i, 13 + i, 6 + i);
    // Height 200 was measured first but is used again last: 220 is now the oldest.
    ASSERT_TRUE(FindCaretMetrics(&cache, 200, 50, &h, &w));
    EXPECT_EQ(h, 13);
    EXPECT_EQ(w, 6);
    StoreCaretMetrics(&cache, 400, 60, 30, 15);
    EXPECT_FALSE(FindCaretMetrics(&cache, 220, 61, &h, &w));
    for (int twips : {200, 240, 260, 280, 400})
        EXPECT_TRUE(FindCaretMetrics(&cache, twips, 62, &h, &w)) << twips;
}

TEST(CaretShape, LineCaretsSitAtTheCellBottomOncePerPosition)
{
    LineCaretMemory memory = {-1, -1};
    // A 16-pixel cell, 8 pixels wide on average: "1/1 line" is 8 wide, 1 thick.
    CaretPlacement p = PlaceCustomCaret(8, 16, 8, 30, 100, 2, &memory);
    EXPECT_EQ(p.y, 100 + 16 - 1);
    EXPECT_EQ(p.width, 8);
    EXPECT_EQ(p.height, 1);
    // The control now reports the lowered caret: it stays where it is.
    p = PlaceCustomCaret(8, 16, 8, 38, 115, 2, &memory);
    EXPECT_EQ(p.y, 115);
    // Another line lowers it anew.
    p = PlaceCustomCaret(8, 16, 8, 0, 132, 3, &memory);
    EXPECT_EQ(p.y, 132 + 15);
    // Blocks stand at the caret, a cell high, a part of the width wide.
    CaretPlacement block = PlaceCustomCaret(3, 16, 8, 5, 6, 0, &memory);
    EXPECT_EQ(block.y, 6);
    EXPECT_EQ(block.height, 16);
    EXPECT_EQ(block.width, 6);
    // A font too small for a line caret still gets one pixel.
    EXPECT_EQ(PlaceCustomCaret(5, 4, 3, 0, 0, 9, &memory).height, 1);
}
