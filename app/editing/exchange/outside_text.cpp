#include "outside_text.h"

#include "rich_text_door.h"

namespace {

// Measured with Wine 8's control, 200 pixels wide: each character costs about
// 2 us, 3 us with word wrap; each paragraph 30 us; and a wrapped paragraph of
// L characters about L * L / 40 us more at a 13-pixel font. Wrapping grows
// with the font, up to about 7.5 times as much once a line holds one
// character or two.
const uint64_t MICROSECONDS_PER_CHARACTER = 2;
const uint64_t MICROSECONDS_PER_WRAPPED_CHARACTER = 3;
const uint64_t MICROSECONDS_PER_PARAGRAPH = 30;
const uint64_t SQUARES_PER_MICROSECOND = 40;
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
    return EstimateLayoutMicroseconds(layout, wordWrap, fontPixels) > OUTSIDE_LAYOUT_BUDGET
               ? RICH_TEXT_TOO_MUCH_LAYOUT
               : RICH_TEXT_OK;
}

} // namespace

uint64_t EstimateLayoutMicroseconds(const TextLayout &layout, bool wordWrap, int fontPixels)
{
    uint64_t time = layout.paragraphs * MICROSECONDS_PER_PARAGRAPH;
    if (!wordWrap)
        return time + layout.characters * MICROSECONDS_PER_CHARACTER;
    uint64_t factor = FontFactor(layout, fontPixels);
    return time + layout.characters * MICROSECONDS_PER_WRAPPED_CHARACTER * factor / 10 +
           layout.wrapCost / SQUARES_PER_MICROSECOND * factor / 10;
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
