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

namespace {

std::string Times(const std::string &piece, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

} // namespace

TEST(OutsideText, OrdinaryProseAtItsUsualSizesIsTaken)
{
    // 40 paragraphs of 480 characters at 12 points (16 pixels), wrapped, took
    // Wine 0.17-0.23 s and 11 MB; 50 KB of them unwrapped 20 ms.
    std::string prose = Paragraphs(40, 480);
    OutsideTextPlan wrapped = Plan(prose, false, true, -16);
    EXPECT_EQ(wrapped.refusal, RICH_TEXT_OK);
    EXPECT_FALSE(wrapped.wrapOff);
    EXPECT_EQ(Plan("{\\rtf1\\fs24 " + Paragraphs(40, 480, "\\par\n") + "}", true, true).refusal,
              RICH_TEXT_OK);
    EXPECT_EQ(Plan(Paragraphs(105, 480), false, false, -16).refusal, RICH_TEXT_OK);
    EXPECT_EQ(Plan("{\\rtf1 " + Paragraphs(105, 480, "\\par\n") + "}", true, false, -16).refusal,
              RICH_TEXT_OK);
    // One paragraph of 1,769 characters at 50 points: 0.23 s, 15 MB.
    EXPECT_EQ(Plan("{\\rtf1\\fs100 " + Paragraphs(1, 1769, "") + "}", true, true).refusal,
              RICH_TEXT_OK);
    // Dates and times in paragraphs of prose cost little.
    std::string dated = Times("met on 12 May 1999 at 10:30, ", 16) + "\r\n";
    EXPECT_FALSE(Plan(Times(dated, 40), false, true, -16).wrapOff);
}

TEST(OutsideText, DigitsPageBreaksAndTabsAreBoundedAsWineWasMeasuredToTakeThem)
{
    struct Case {
        const char *what;
        std::string text;
        bool mayBeRich;
    };
    // Each took Wine over a second or 200 MB, with word wrap off as on.
    const Case dear[] = {
        {"25,000 nines: 0.3-0.45 s, 100,000 5.3 s", std::string(25000, '9'), false},
        {"\"12345 \" 16,666 times: 3.9 s", Times("12345 ", 16666), false},
        {"\"a9\" 20,000 times: 0.9-1 s", Times("a9", 20000), false},
        {"\"a9\" 20,000 times as RTF", "{\\rtf1 " + Times("a9", 20000) + "}", true},
        {"\"1.\" 12,500 times: 2.2-4 s", Times("1.", 12500), false},
        {"25,000 nines as \\'39 in RTF", "{\\rtf1 " + Times("\\'39", 25000) + "}", true},
        {"100,000 \\page: 2 s, 188 MB", "{\\rtf1 " + Times("\\page ", 100000) + "}", true},
        {"100,000 \\sect: 2.2 s, 188 MB", "{\\rtf1 " + Times("\\sect ", 100000) + "}", true},
        {"50,000 ab\\line: 0.9 s, 100 MB", "{\\rtf1 " + Times("ab\\line ", 50000) + "}", true},
        {"16,000 table rows (10,000 took 0.63 s, 55 MB)",
         "{\\rtf1 " + Times("\\trowd\\cellx1000\\cellx2000\\cellx3000 a\\cell b\\cell c\\cell\\row ", 16000) + "}",
         true},
        {"200,000 tabs unwrapped: over 23 s", "{\\rtf1 " + Times("\\tab ", 200000) + "}", true},
    };
    for (const Case &c : dear) {
        for (bool wordWrap : {false, true}) {
            OutsideTextPlan plan = Plan(c.text, c.mayBeRich, wordWrap);
            EXPECT_EQ(plan.refusal, RICH_TEXT_TOO_MUCH_LAYOUT) << c.what << " wrap " << wordWrap;
        }
    }
    // The same digits broken into lines are cheap: 8,333 lines of ten took 0.36 s.
    EXPECT_EQ(Plan(Times("1234567890\r\n", 8333), false, false).refusal, RICH_TEXT_OK);
}
