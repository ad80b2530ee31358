#include "editing/print_layout.h"

#include <gtest/gtest.h>

TEST(PrintLayout, MulDivRoundsAndRefusesWhatItCannotAnswer)
{
    EXPECT_EQ(4, MulDivRound(7, 1, 2));
    EXPECT_EQ(-4, MulDivRound(-7, 1, 2));
    EXPECT_EQ(3, MulDivRound(10, 1, 3));
    EXPECT_EQ(-1, MulDivRound(5, 5, 0));
    EXPECT_EQ(-1, MulDivRound(0x7FFFFFFF, 4, 1));
    EXPECT_EQ(1500000000, MulDivRound(1000000000, 3, 2)); // the product needs 64 bits
}

TEST(PrintLayout, LetterPageAt600DpiGivesTheTwipsAndMargins)
{
    PageMetrics letter = {5100, 6600, 100, 100, 4900, 6400, 600, 600};
    PageGeometry g;
    ASSERT_EQ(0, ComputePageGeometry(letter, &g));
    // 8.5 x 11 inches at 1440 twips an inch.
    EXPECT_EQ(12240, g.page.right);
    EXPECT_EQ(15840, g.page.bottom);
    EXPECT_EQ(12240 - 720, g.format.right);
    EXPECT_EQ(15840 - 1296, g.format.bottom);
    // A quarter inch and 720/1872 inch from the paper's edges, less the unprintable margin.
    EXPECT_EQ(150 - 100, g.originX);
    EXPECT_EQ(231 - 100, g.originY);

    PageMetrics none = {};
    EXPECT_EQ(-1, ComputePageGeometry(none, &g));
}

TEST(PrintLayout, DefaultPagesAreA4OrLetter)
{
    PageMetrics a4 = DefaultPageMetrics(true, 254);
    EXPECT_EQ(2100, a4.physicalWidth); // 210 mm at 10 pixels a millimetre
    EXPECT_EQ(2970, a4.physicalHeight);
    PageMetrics letter = DefaultPageMetrics(false, 100);
    EXPECT_EQ(850, letter.horzRes);
    EXPECT_EQ(1100, letter.vertRes);
}

TEST(PreviewZoom, BitmapSizeNeverDividesByZero)
{
    // A device of 72 dots an inch at "Zoom * 8": the page's share of an
    // inch per pixel rounds to zero.
    PageMetrics coarse = {612, 792, 0, 0, 600, 780, 72, 72};
    PixelSize eight = PreviewBitmapSize(coarse, 576);
    EXPECT_EQ(4800, eight.width);
    EXPECT_EQ(6240, eight.height);
    // 600 dpi printer at "Zoom * 1": a 72nd of the dots.
    PageMetrics fine = {5100, 6600, 100, 100, 4800, 6300, 600, 600};
    PixelSize one = PreviewBitmapSize(fine, 72);
    EXPECT_EQ(576, one.width);
    EXPECT_EQ(756, one.height);
    PageMetrics broken = {612, 792, 0, 0, 600, 780, 0, 0};
    EXPECT_EQ(0, PreviewBitmapSize(broken, 576).width);
    EXPECT_EQ(0, PreviewBitmapSize(fine, 0).width);
}

TEST(PreviewZoom, FitCentresAndPanStopsAtHalfAnEmptyView)
{
    PixelRect fit = FitPageInArea(850, 1100, 400, 400);
    EXPECT_EQ(400, fit.height);
    EXPECT_EQ(309, fit.width);
    EXPECT_EQ(45, fit.left);
    EXPECT_EQ(0, fit.top);
    fit = FitPageInArea(1100, 850, 400, 400);
    EXPECT_EQ(400, fit.width);
    EXPECT_EQ(45, fit.top);
    EXPECT_EQ(0, FitPageInArea(0, 0, 400, 400).width);

    int x = -10000, y = 10000;
    ClampPanOffset(&x, &y, 4800, 6200, 800, 600);
    EXPECT_EQ(-400, x);
    EXPECT_EQ(6200 - 300, y);
    x = 10000, y = -10000;
    ClampPanOffset(&x, &y, 4800, 6200, 800, 600);
    EXPECT_EQ(4800 - 400, x);
    EXPECT_EQ(-300, y);
}

namespace {
struct FakeText {
    int length, perPage, calls;
};
int MeasureFake(void *context, int start, TwipsRect *rect)
{
    FakeText *t = (FakeText *)context;
    t->calls++;
    *rect = {0, 0, 100, 200};
    if (start >= t->length)
        return t->length;
    return start + t->perPage < t->length ? start + t->perPage : t->length;
}
int MeasureFails(void *, int, TwipsRect *)
{
    return -1;
}
} // namespace

TEST(Pagination, PagesCoverTheTextAndStopWhereTheControlStops)
{
    FakeText text = {250, 100, 0};
    std::vector<PrintPage> pages = Paginate(MeasureFake, &text);
    ASSERT_EQ(3u, pages.size());
    EXPECT_EQ(0, pages[0].first);
    EXPECT_EQ(99, pages[0].last);
    EXPECT_EQ(200, pages[2].first);
    EXPECT_EQ(249, pages[2].last);
    EXPECT_EQ(200, pages[1].rect.bottom);

    EXPECT_TRUE(Paginate(MeasureFails, nullptr).empty());
    EXPECT_EQ(1, ShownPageCount(0));

    FakeText huge = {100000, 1, 0};
    EXPECT_EQ((size_t)PRINT_MAX_PAGES, Paginate(MeasureFake, &huge).size());
    EXPECT_EQ(PRINT_MAX_PAGES, huge.calls);
}

TEST(PageFrame, FooterAndTwelveHourClock)
{
    EXPECT_EQ("[Page 001/003]", PageFooterText(1, 3));
    EXPECT_EQ("[Page 002/001]", PageFooterText(2, 0));
    EXPECT_EQ("Wed Dec 9 2026 12:30 PM", PrintDateTimeText(3, 12, 9, 2026, 12, 30));
    EXPECT_EQ("Sun Jan 1 2023 00:05 AM", PrintDateTimeText(0, 1, 1, 2023, 0, 5));
    EXPECT_EQ("Sat Jul 4 2026 01:00 PM", PrintDateTimeText(6, 7, 4, 2026, 13, 0));
    EXPECT_EQ("Mon Feb 2 2026 11:59 PM", PrintDateTimeText(1, 2, 2, 2026, 23, 59));
}

TEST(Pagination, LinesAreCutIntoPagesWithAtLeastOneLineEach)
{
    // Ten lines of 10 rows, pages of 25 rows: two lines a page.
    std::vector<int> tops;
    for (int i = 0; i <= 10; i++)
        tops.push_back(i * 10);
    EXPECT_EQ((std::vector<int>{0, 2, 4, 6, 8}), PageBreaksFromLineTops(tops, 25));
    // A line taller than the page still gets a page of its own.
    EXPECT_EQ((std::vector<int>{0, 1, 2}), PageBreaksFromLineTops({0, 5, 105, 110}, 50));
    EXPECT_TRUE(PageBreaksFromLineTops({0}, 50).empty());
    std::vector<int> many(3000);
    for (int i = 0; i < 3000; i++)
        many[i] = i * 100;
    EXPECT_EQ((size_t)PRINT_MAX_PAGES, PageBreaksFromLineTops(many, 50).size());
}
