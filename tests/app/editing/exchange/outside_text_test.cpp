// What a note from outside may bring. The cases are shapes measured on
// Wine's rich-edit control, in a note 200 pixels wide: whether each was taken
// within a second as it is, only without word wrap, or not at all.
#include <gtest/gtest.h>

#include <string>

#include "editing/exchange/outside_text.h"

namespace {

OutsideTextPlan Plan(const std::string &text, bool mayBeRich, bool wordWrap, int fontPixels = 13)
{
    OutsideTextPlan plan;
    PlanOutsideText(text.data(), text.size(), mayBeRich, wordWrap, fontPixels, &plan);
    return plan;
}

std::string Paragraphs(size_t count, size_t length, const char *end = "\r\n")
{
    std::string words;
    while (words.size() < length)
        words += "word ";
    words.resize(length);
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += words + end;
    return text;
}

} // namespace

TEST(OutsideText, LongParagraphsGoInUnwrappedWhenPlainAndNotAtAllWhenRich)
{
    // 100,000 letters wrapped took Wine 15 s and a gigabyte; unwrapped 0.2 s.
    // A paragraph of words with blanks to break at cost as much.
    for (const std::string &text : {std::string(100000, 'a'), Paragraphs(1, 100000)}) {
        OutsideTextPlan plain = Plan(text, false, true);
        EXPECT_EQ(plain.refusal, RICH_TEXT_OK);
        EXPECT_TRUE(plain.wrapOff);
        EXPECT_FALSE(Plan(text, false, false).wrapOff) << "already unwrapped";

        OutsideTextPlan rich = Plan("{\\rtf1 " + text + "}", true, true);
        EXPECT_EQ(rich.richVerdict, RICH_TEXT_OK);
        EXPECT_EQ(rich.refusal, RICH_TEXT_TOO_MUCH_LAYOUT);
        EXPECT_EQ(Plan("{\\rtf1 " + text + "}", true, false).refusal, RICH_TEXT_OK);
    }
    // A word past any real one is left out at the door; the text is taken.
    OutsideTextPlan taken = Plan("{\\rtf1 \\" + std::string(40, 'w') + " x}", true, true);
    EXPECT_EQ(taken.richVerdict, RICH_TEXT_OK);
    EXPECT_EQ(taken.rich.find("www"), std::string::npos);
    EXPECT_EQ(taken.refusal, RICH_TEXT_OK);
}

TEST(OutsideText, NotesOfRealSizeGoInAsTheyAre)
{
    // 20 KB of 400-character paragraphs, wrapped: 0.2 s.
    std::string prose = Paragraphs(50, 400);
    OutsideTextPlan plain = Plan(prose, false, true);
    EXPECT_EQ(plain.refusal, RICH_TEXT_OK);
    EXPECT_FALSE(plain.wrapOff);
    std::string rich =
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " + Paragraphs(50, 400, "\\par ") + "}";
    EXPECT_EQ(Plan(rich, true, true).refusal, RICH_TEXT_OK);
    // A paragraph of 2,000 characters: a quarter of a second.
    EXPECT_FALSE(Plan(Paragraphs(1, 2000), false, true).wrapOff);
    // Pictures and tables cost the control little to read: most of a
    // megabyte of picture data around a line of text is taken.
    std::string picture =
        "{\\rtf1{\\pict\\pngblip " + std::string(OUTSIDE_TEXT_BYTES - 100, 'f') + "}x}";
    EXPECT_EQ(Plan(picture, true, true).refusal, RICH_TEXT_OK);
}

TEST(OutsideText, TooLargeOrTooManyParagraphsIsRefused)
{
    std::string huge(OUTSIDE_TEXT_BYTES + 1, 'x');
    EXPECT_EQ(Plan(huge, false, false).refusal, RICH_TEXT_TOO_LARGE);
    EXPECT_EQ(Plan("{\\rtf1 " + huge + "}", true, false).refusal, RICH_TEXT_TOO_LARGE);
    // 60,000 short lines: each paragraph costs Wine its own, 1.5 s unwrapped.
    OutsideTextPlan lines = Plan(Paragraphs(60000, 1, "\n"), false, true);
    EXPECT_EQ(lines.refusal, RICH_TEXT_TOO_MUCH_LAYOUT);
    EXPECT_FALSE(lines.wrapOff);
}

TEST(OutsideText, LargerFontsTakeLessWrappedText)
{
    // 3,000 characters in one paragraph: 0.26 s at 10 pixels, 1.3 s at 144,
    // where a line holds two characters.
    std::string paragraph = Paragraphs(1, 3000);
    EXPECT_FALSE(Plan(paragraph, false, true, 10).wrapOff);
    EXPECT_TRUE(Plan(paragraph, false, true, 144).wrapOff);
    EXPECT_TRUE(Plan(paragraph, false, true, -144).wrapOff) << "a character height";
    std::string rich = "{\\rtf1 " + paragraph + "}";
    EXPECT_EQ(Plan(rich, true, true, 10).refusal, RICH_TEXT_OK);
    EXPECT_EQ(Plan("{\\rtf1\\fs216 " + paragraph + "}", true, true, 10).refusal,
              RICH_TEXT_TOO_MUCH_LAYOUT);
}
