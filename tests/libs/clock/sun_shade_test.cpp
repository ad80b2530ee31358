#include <gtest/gtest.h>

#include <vector>

#include "sun_position.h"
#include "sun_shade.h"

namespace {
// A map whose pixels count how often they were brightened; restoring sets 0.
// A correct shading leaves every lit pixel at 1 and every dark one at 0.
struct PixelModel {
    int xdots, ydots;
    std::vector<int> level;
    std::vector<std::vector<int>> spans; // row, x, width, kind (1 brighten, 2 restore)
    PixelModel(int x, int y) : xdots(x), ydots(y), level((size_t)x * y) {}

    static void Brighten(void *context, int row, int x, int width)
    {
        auto *model = (PixelModel *)context;
        model->Apply(row, x, width, 1);
    }
    static void Restore(void *context, int row, int x, int width)
    {
        auto *model = (PixelModel *)context;
        model->Apply(row, x, width, 2);
    }
    void Apply(int row, int x, int width, int kind)
    {
        ASSERT_GE(row, 0);
        ASSERT_LT(row, ydots);
        ASSERT_GE(x, 0);
        ASSERT_GT(width, 0);
        ASSERT_LE(x + width, xdots) << "span crosses the map's edge";
        spans.push_back({row, x, width, kind});
        for (int c = x; c < x + width; ++c)
            level[(size_t)row * xdots + c] = kind == 1 ? level[(size_t)row * xdots + c] + 1 : 0;
    }
    SpanSink Sink() { return {this, Brighten, Restore}; }

    // The lit set that a half-width table and offset describe.
    void ExpectShows(const short *table, int offset)
    {
        for (int row = 0; row < ydots; ++row)
            for (int c = 0; c < xdots; ++c) {
                int n = table[row];
                int distance = ((c - (offset - n)) % xdots + xdots) % xdots;
                int expected = n >= 0 && distance < 2 * n ? 1 : 0;
                ASSERT_EQ(level[(size_t)row * xdots + c], expected)
                    << "row " << row << " column " << c;
            }
    }
};
} // namespace

TEST(ShadeSpan, ASpanOverTheRightEdgeIsBrightenedInTwoPieces)
{
    PixelModel model(100, 1);
    ShadeSpan(model.Sink(), 0, 90, 20, 100);
    ASSERT_EQ(model.spans.size(), 2u);
    EXPECT_EQ(model.spans[0], (std::vector<int>{0, 90, 10, 1}));
    EXPECT_EQ(model.spans[1], (std::vector<int>{0, 0, 10, 1}));

    model.spans.clear();
    ShadeSpan(model.Sink(), 0, 130, 5, 100); // start beyond the width wraps first
    ASSERT_EQ(model.spans.size(), 1u);
    EXPECT_EQ(model.spans[0], (std::vector<int>{0, 30, 5, 1}));

    model.spans.clear();
    ShadeSpan(model.Sink(), 0, 10, 0, 100);
    EXPECT_TRUE(model.spans.empty());
}

TEST(MoveTerminator, MovingSpansBrightenTheNewAndRestoreTheOldColumns)
{
    struct Step {
        short table[5];
        int offset;
    } steps[] = {
        {{3, 8, 15, -1, 20}, 10},  // first draw
        {{3, 8, 15, -1, 20}, 12},  // sun moves east
        {{3, 9, 14, 2, 20}, 38},   // lit spans now cross the right edge
        {{-1, 9, 14, 2, 20}, 2},   // the offset wraps; a row falls dark
        {{4, 0, 16, -1, 20}, 30},  // no overlap with the old spans at all
        {{4, 0, 16, -1, 20}, 30},  // nothing moves
    };
    PixelModel model(40, 5);
    short shown[5] = {-1, -1, -1, -1, -1};
    int shownOffset = -1;
    for (const Step &step : steps) {
        SCOPED_TRACE(step.offset);
        MoveTerminator(step.table, step.offset, shown, shownOffset, 40, 5, model.Sink());
        shownOffset = step.offset;
        model.ExpectShows(step.table, step.offset);
    }
}

TEST(MoveTerminator, ARowThatFallsDarkIsRestoredNotBrightened)
{
    PixelModel model(40, 1);
    short shown[1] = {-1};
    short lit[1] = {6}, dark[1] = {-1};
    MoveTerminator(lit, 20, shown, -1, 40, 1, model.Sink());
    model.spans.clear();
    MoveTerminator(dark, 21, shown, 20, 40, 1, model.Sink());
    ASSERT_EQ(model.spans.size(), 1u);
    EXPECT_EQ(model.spans[0], (std::vector<int>{0, 14, 12, 2}));
    model.ExpectShows(dark, 21);
}

TEST(UpdateSunShade, ShadesTheWholeMapAndRecomputesOnlyAfterTenMinutes)
{
    const int xdots = 360, ydots = 180;
    // 2024-06-20 20:51 UT, the solstice.
    int64_t solstice = 1718916660;
    SunShadeState state;
    ASSERT_EQ(NewSunState(&state, xdots, ydots, solstice), 0);
    PixelModel model(xdots, ydots);

    int offset = UpdateSunShadeAt(&state, solstice, model.Sink());
    // 20:51 UT: the sun stands over about 132.6 W, column 47 from the date line.
    EXPECT_NEAR(offset, 47, 2);
    model.ExpectShows(state.currentTable, offset);
    EXPECT_EQ(state.currentTable[5], xdots / 2);
    EXPECT_EQ(state.currentTable[ydots - 5], -1);

    const short *table = state.currentTable;
    int later = UpdateSunShadeAt(&state, solstice + 600, model.Sink());
    EXPECT_EQ(state.currentTable, table) << "recomputed within ten minutes";
    EXPECT_NE(later, offset); // 600 s turn the earth by 2.5 degrees
    model.ExpectShows(state.currentTable, later);

    UpdateSunShadeAt(&state, solstice + 1300, model.Sink());
    EXPECT_NE(state.currentTable, table) << "not recomputed after ten minutes";
    model.ExpectShows(state.currentTable, state.lastOffset);
    FreeSunState(&state);
}

TEST(UpdateSunShade, WithoutTablesNothingIsShaded)
{
    SunShadeState state;
    // A map too wide for 16-bit half-widths is refused rather than overflowing.
    EXPECT_EQ(NewSunState(&state, 70000, 10, 0), -1);
    EXPECT_EQ(state.currentTable, nullptr);
    PixelModel model(1, 1);
    EXPECT_EQ(UpdateSunShadeAt(&state, 0, model.Sink()), -1);
    EXPECT_TRUE(model.spans.empty());
    EXPECT_EQ(NewSunState(&state, 0, 10, 0), -1);
}
