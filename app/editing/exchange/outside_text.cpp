#include "outside_text.h"

#include "rich_text_door.h"

namespace {

// Measured with Wine 8's control in a note 200 pixels wide, in processor time
// on a machine busy with other work (tests/app/editing/exchange/
// rich_edit_costs.cpp prints the figures): each character costs about 1 us,
// 3 us with word wrap; each paragraph or line end of any kind 25-40 us and
// 2-3 KB; a wrapped paragraph of L characters about L * L / 60 us and L * L
// bytes more at a 13-pixel font, and wrapping grows with the font, up to
// about 7.5 times as much once a line holds one character or two. Digits and
// tabs cost at any width: a digit about 1 us per 1,200 characters of its
// paragraph (25,000 digits in one line took 0.3-0.45 s, 100,000 5.3 s), a
// tab 1 us per 200 and a kilobyte (20,000 tabs in one line 1.8 s); and n
// changes between digits and letters or marks in one paragraph n * n / 330
// us and a kilobyte each ("a9" 20,000 times took 0.9-1.1 s and 16 MB, "1."
// 12,500 times 2.2-4 s and 20 MB). Automatic link
// detection adds a quarter at most: the control itself is dear on digits.
const uint64_t MICROSECONDS_PER_CHARACTER = 1;
const uint64_t MICROSECONDS_PER_WRAPPED_CHARACTER = 3;
const uint64_t MICROSECONDS_PER_PARAGRAPH = 30;
const uint64_t SQUARES_PER_MICROSECOND = 60;
const uint64_t DIGIT_SPAN_PER_MICROSECOND = 1200;
const uint64_t TAB_SPAN_PER_MICROSECOND = 200;
const uint64_t JOIN_SQUARES_PER_MICROSECOND = 330;
const uint64_t MICROSECONDS_PER_JOIN = 5;
const uint64_t BYTES_PER_CHARACTER = 40;
const uint64_t BYTES_PER_PARAGRAPH = 2500;
const uint64_t BYTES_PER_TAB = 1000;
const uint64_t BYTES_PER_JOIN = 1000;
const uint64_t FONT_FACTOR_MOST = 75; // in tenths

// The font factor in tenths: 10 up to the default font's height.
uint64_t FontFactor(const TextLayout &layout, int fontPixels)
{
    // A LOGFONT height below 0 is the characters' height, above 0 the cell's.
    int64_t height = fontPixels < 0 ? -(int64_t)fontPixels : fontPixels;
    uint64_t pixels = (uint64_t)height;
    // \fs counts half points: at 96 dots per inch a point is 4/3 pixels.
    uint64_t richPixels = (uint64_t)layout.largestFontSize * 2 / 3;
    if (richPixels > pixels)
        pixels = richPixels;
    uint64_t factor = pixels * 10 / OUTSIDE_DEFAULT_FONT_PIXELS;
    return factor < 10 ? 10 : (factor > FONT_FACTOR_MOST ? FONT_FACTOR_MOST : factor);
}

int Bound(const TextLayout &layout, bool wordWrap, int fontPixels)
{
    return EstimateLayoutMicroseconds(layout, wordWrap, fontPixels) > OUTSIDE_LAYOUT_BUDGET ||
                   EstimateLayoutBytes(layout, wordWrap, fontPixels) > OUTSIDE_LAYOUT_BYTES
               ? RICH_TEXT_TOO_MUCH_LAYOUT
               : RICH_TEXT_OK;
}

} // namespace

uint64_t EstimateLayoutMicroseconds(const TextLayout &layout, bool wordWrap, int fontPixels)
{
    uint64_t time = layout.paragraphs * MICROSECONDS_PER_PARAGRAPH +
                    layout.digitCost / DIGIT_SPAN_PER_MICROSECOND +
                    layout.tabCost / TAB_SPAN_PER_MICROSECOND +
                    layout.joinCost / JOIN_SQUARES_PER_MICROSECOND +
                    layout.digitJoins * MICROSECONDS_PER_JOIN;
    if (!wordWrap)
        return time + layout.characters * MICROSECONDS_PER_CHARACTER;
    uint64_t factor = FontFactor(layout, fontPixels);
    return time + layout.characters * MICROSECONDS_PER_WRAPPED_CHARACTER * factor / 10 +
           layout.wrapCost / SQUARES_PER_MICROSECOND * factor / 10;
}

uint64_t EstimateLayoutBytes(const TextLayout &layout, bool wordWrap, int fontPixels)
{
    uint64_t bytes = layout.characters * BYTES_PER_CHARACTER +
                     layout.paragraphs * BYTES_PER_PARAGRAPH + layout.tabs * BYTES_PER_TAB +
                     layout.digitJoins * BYTES_PER_JOIN;
    if (!wordWrap)
        return bytes;
    return bytes + layout.wrapCost * FontFactor(layout, fontPixels) / 10;
}

void PlanOutsideText(const char *text, size_t bytes, bool mayBeRich, bool wordWrap, int fontPixels,
                     OutsideTextPlan *plan)
{
    plan->richVerdict = RICH_TEXT_NOT_RTF;
    plan->rich.clear();
    plan->refusal = RICH_TEXT_OK;
    plan->wrapOff = false;
    if (bytes > OUTSIDE_TEXT_BYTES) {
        plan->refusal = RICH_TEXT_TOO_LARGE;
        return;
    }
    TextLayout layout;
    if (mayBeRich) {
        plan->richVerdict = RewriteRichText(text, bytes, &plan->rich);
        if (plan->richVerdict == RICH_TEXT_OK)
            plan->richVerdict = CheckRichText(plan->rich.data(), plan->rich.size(), &layout);
        if (plan->richVerdict != RICH_TEXT_OK)
            plan->rich.clear();
        if (plan->richVerdict == RICH_TEXT_OK) {
            plan->refusal = Bound(layout, wordWrap, fontPixels);
            return;
        }
    }
    MeasurePlainText(text, bytes, &layout);
    if (Bound(layout, wordWrap, fontPixels) == RICH_TEXT_OK)
        return;
    plan->refusal = Bound(layout, false, fontPixels);
    plan->wrapOff = wordWrap && plan->refusal == RICH_TEXT_OK;
}
