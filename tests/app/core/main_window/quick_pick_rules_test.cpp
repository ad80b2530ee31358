#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "core/main_window/quick_pick_rules.h"

namespace {

struct Table {
    uint8_t used[QUICK_PICK_SLOTS] = {};
    Table(std::initializer_list<int> slots)
    {
        for (int s : slots)
            used[s] = 1;
    }
};

} // namespace

TEST(QuickPickWalk, NextAndPreviousWrapAroundTheUsedSlots)
{
    Table t{3, 7, 200};
    EXPECT_EQ(QuickPickNext(t.used, 3), 7);
    EXPECT_EQ(QuickPickNext(t.used, 200), 3) << "next from the highest wraps to the lowest";
    EXPECT_EQ(QuickPickPrevious(t.used, 3), 200) << "previous from the lowest wraps to the highest";
    EXPECT_EQ(QuickPickPrevious(t.used, 7), 3);

    Table one{42};
    EXPECT_EQ(QuickPickNext(one.used, 42), 42);
    EXPECT_EQ(QuickPickPrevious(one.used, 42), 42);
}

TEST(QuickPickWalk, StartKeepsALiveSelectionAndFindsNoneInAnEmptyTable)
{
    Table t{9, 30};
    EXPECT_EQ(QuickPickStartSlot(t.used, 30), 30);
    EXPECT_EQ(QuickPickStartSlot(t.used, 12), 9) << "a selection whose note is gone";
    EXPECT_EQ(QuickPickStartSlot(t.used, 255), 9) << "the default record is never a note";
    Table none{};
    EXPECT_EQ(QuickPickStartSlot(none.used, 4), -1);
    EXPECT_EQ(QuickPickNext(none.used, -1), -1);
    EXPECT_EQ(QuickPickPrevious(none.used, -1), -1);
}

TEST(QuickPickList, RowsAroundTheMiddleAndEachNoteAtMostOnce)
{
    Table t{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    QuickPickRow rows[QUICK_PICK_SLOTS];
    int full = -1;
    int n = QuickPickListRows(t.used, 5, 7, rows, QUICK_PICK_SLOTS, &full);
    ASSERT_EQ(n, 8) << "rows 0..7: the view and one row for the scroll";
    EXPECT_EQ(rows[0].slot, 5);
    EXPECT_EQ(rows[0].row, 3);
    EXPECT_EQ(full, 1);
    std::set<int> seen;
    for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(seen.insert(rows[i].slot).second) << "slot " << rows[i].slot << " twice";
        if (rows[i].slot == 4) {
            EXPECT_EQ(rows[i].row, 2) << "the note before the middle sits just above it";
        }
    }

    // Three notes in a list of eight rows: each pass goes once round the
    // ring and stops at the middle note, so the list is not filled.
    Table few{0, 100, 254};
    n = QuickPickListRows(few.used, 100, 7, rows, QUICK_PICK_SLOTS, &full);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(full, 0);
    EXPECT_EQ(rows[2].slot, 0);
    EXPECT_EQ(rows[2].row, 5) << "after the highest slot comes slot 0";
    EXPECT_EQ(rows[4].slot, 254);
    EXPECT_EQ(rows[4].row, 1) << "before slot 0 the walk goes on from the top";

    Table none{};
    EXPECT_EQ(QuickPickListRows(none.used, -1, 7, rows, QUICK_PICK_SLOTS, &full), 0);
    EXPECT_EQ(QuickPickListRows(none.used, 255, 7, rows, QUICK_PICK_SLOTS, &full), 0);
}

TEST(QuickPickAnimation, EndsOnItsTargetWhenTheStepsDoNotAddUpExactly)
{
    for (float direction : {1.0f, -1.0f}) {
        QuickPickAnimation a = {};
        a.nameOffset = direction > 0 ? 0.0f : 25.0f;
        a.nameTarget = direction > 0 ? 25.0f : 0.0f;
        a.nameStep = direction * 25.0f / 12;
        a.listStep = direction * 20.0f / 12;
        int rounds = 0;
        while (!AdvanceQuickPickAnimation(&a) && rounds < 1000)
            ++rounds;
        EXPECT_LE(rounds, 12) << "direction " << direction;
        EXPECT_EQ(a.nameOffset, a.nameTarget);
    }
}

namespace {

// A bottom-up buffer of exactly the rows asked for, so that a read past its
// end is caught by the sanitizer.
std::vector<uint8_t> Rows(int stride, std::initializer_list<std::vector<uint8_t>> topDown)
{
    std::vector<std::vector<uint8_t>> rows(topDown);
    std::vector<uint8_t> out;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        std::vector<uint8_t> row = *it;
        row.resize((size_t)stride, 0);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

const uint32_t Red = 0x0000FF; // COLORREF

} // namespace

TEST(BitmapRegion, RunsOfEveryDepthSkipTheTransparentColour)
{
    std::vector<RegionRun> runs;
    // 24 bits, 3 x 2, blue-green-red bytes; the last pixel of the buffer is opaque.
    auto p24 = Rows(12, {{0, 0, 255, 10, 10, 10, 10, 10, 10}, {10, 10, 10, 0, 0, 255, 1, 2, 3}});
    ASSERT_EQ(CollectOpaqueRuns(p24.data(), p24.size(), 3, 2, 24, nullptr, 0, Red, &runs), 0);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].left, 1);
    EXPECT_EQ(runs[0].right, 3) << "a run open at the row's end closes at the width";
    EXPECT_EQ(runs[0].top, 0);
    EXPECT_EQ(runs[1].right, 1);
    EXPECT_EQ(runs[2].left, 2);
    EXPECT_EQ(runs[2].bottom, 2);

    // 16 bits as GetDIBits gives them without bit fields: 5-5-5, red 0x7C00.
    // 0xF800, red in 5-6-5, is a colour of its own here.
    auto p16 = Rows(4, {{0x00, 0x7C, 0x00, 0xF8}});
    ASSERT_EQ(CollectOpaqueRuns(p16.data(), p16.size(), 2, 1, 16, nullptr, 0, Red, &runs), 0);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].left, 1);

    // 8 bits through the colour table (entries 0x00RRGGBB).
    uint32_t table[2] = {0xFF0000, 0x00FF00};
    auto p8 = Rows(4, {{1, 0, 0, 1}});
    ASSERT_EQ(CollectOpaqueRuns(p8.data(), p8.size(), 4, 1, 8, table, 2, Red, &runs), 0);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].left, 3);

    auto allRed = Rows(8, {{0, 0, 255, 0, 0, 0, 255, 0}});
    ASSERT_EQ(CollectOpaqueRuns(allRed.data(), allRed.size(), 2, 1, 32, nullptr, 0, Red, &runs), 0);
    EXPECT_TRUE(runs.empty());
}

TEST(BitmapRegion, ABufferShorterThanTheBitmapIsRefused)
{
    std::vector<RegionRun> runs;
    std::vector<uint8_t> short24(12 * 2 - 1);
    EXPECT_EQ(CollectOpaqueRuns(short24.data(), short24.size(), 3, 2, 24, nullptr, 0, Red, &runs),
              -1);
    EXPECT_EQ(CollectOpaqueRuns(short24.data(), short24.size(), 3, 1, 12, nullptr, 0, Red, &runs),
              -1);
}
