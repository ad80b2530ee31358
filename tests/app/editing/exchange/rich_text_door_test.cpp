// The door every rich text from outside goes through: what it lets into a
// note, and that a note the control wrote keeps every word.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/notes_table/rich_text_check.h"
#include "editing/exchange/rich_text_door.h"

namespace {

// The writer's text for an outside one; it must pass the check and read
// back to itself.
std::string Door(const std::string &text)
{
    std::string out, again;
    EXPECT_EQ(RewriteRichText(text.data(), text.size(), &out), RICH_TEXT_OK) << text;
    EXPECT_EQ(CheckRichText(out.data(), out.size()), RICH_TEXT_OK) << out;
    EXPECT_EQ(RewriteRichText(out.data(), out.size(), &again), RICH_TEXT_OK);
    EXPECT_EQ(again, out) << "read again from " << text;
    return out;
}

bool Holds(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// The control words of a text and their numbers, as written.
std::multiset<std::string> Words(const std::string &rtf)
{
    std::multiset<std::string> words;
    for (size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] != '\\' || i + 1 >= rtf.size() || !isalpha((unsigned char)rtf[i + 1]))
            continue;
        size_t end = i + 1;
        while (end < rtf.size() && (isalnum((unsigned char)rtf[end]) || rtf[end] == '-'))
            ++end;
        words.insert(rtf.substr(i, end - i));
        i = end - 1;
    }
    return words;
}

// Streamed out of Wine's control (RICHED32 in a note), of a note with
// fonts, colours, sizes, effects, alignment, indents, spacing, tab stops,
// bullets and numbers; i686 and x86_64 wrote the same.
const char ControlNote[] =
    "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0\\fcharset0 "
    "Arial;}{\\f1 Courier New;}{\\f2\\fcharset2 Symbol;}{\\f3\\fcharset0 System;}}\r\n"
    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}\r\n"
    "{\\*\\generator Wine Riched20 2.0;}\r\n"
    "\\pard\\sl-240\\slmult1 \\b\\lang1033\\fs20\\f0 plain bold\\b0  \\i italic\\i0  \\ul "
    "under\\ulnone  \\strike st\\strike0  \\sub sub\\nosupersub  \\super sup\\cf1\\nosupersub "
    "red\\cf0  \\highlight2 hl\\highlight0  \\fs36\\f1 big courier\\fs20\\f0 \\par\r\n"
    "\\pard\\qc\\sl-240\\slmult1 centre\\par\r\n"
    "\\pard\\sl-240\\slmult1\\li-200\\fi300\\ri360\\sa240\\sb120 indented\\par\r\n"
    "\\pard\\sl-240\\slmult1\\tx1440\\tx2880\\tx4000\\tx5000 a\\tab b\\tab c\\par\r\n"
    "\\pard{\\pntext\\f2 \\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent360{\\pntxtb\\'b7}}"
    "\\sl-240\\slmult1\\li360 bullet one\\par\r\n"
    "\\pard{\\pntext\\f0 (i)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent500\\pnstart1\\pnlcrm"
    "{\\pntxtb(}{\\pntxta)}}\\sl-240\\slmult1\\li500 roman\\par\r\n"
    "\\pard\\sl-240\\slmult1 x\\line\r\ny \\'80\\'e9\\uldb\\v hid\\v0\\ulnone\\par\r\n}";

} // namespace

TEST(RichTextDoor, ANoteTheControlWroteKeepsEveryWord)
{
    std::string out = Door(ControlNote);
    std::multiset<std::string> written = Words(ControlNote), kept = Words(out);
    // Only the generator's name is left out; \*\pn stays starred.
    written.erase("\\generator");
    written.erase("\\Wine");
    written.erase("\\Riched20");
    EXPECT_EQ(kept, written) << out;
    for (const char *text : {"plain bold", "big courier", "(i)", "bullet one", "\\'80\\'e9"})
        EXPECT_TRUE(Holds(out, text)) << text;
}

TEST(RichTextDoor, NumbersStayWhereTheControlCopes)
{
    // A tab stop at or left of the margin stops the control's writer at the
    // next paragraph end: it never passes. Others stay within a page.
    std::string tabs = Door("{\\rtf1\\tx-1\\tx0\\tx-2147483648\\tb-5 a\\tab b\\par"
                            "\\tx99999999999\\tx720 c\\par}");
    EXPECT_EQ(Words(tabs), (std::multiset<std::string>{"\\rtf1", "\\ansi", "\\uc1", "\\tab",
                                                        "\\par", "\\tx31680", "\\tx720", "\\par"}));
    std::string indents = Door("{\\rtf1\\li-99999\\ri88888\\fi-77777\\sb-5\\sa99999 x\\par}");
    for (const char *word : {"\\li-31680", "\\ri31680", "\\fi-31680", "\\sb0", "\\sa31680"})
        EXPECT_TRUE(Holds(indents, word)) << word << " in " << indents;
    // Font sizes up to the control's largest; none of 0.
    std::string sizes = Door("{\\rtf1\\fs65535 a\\fs0 b\\fs-4 c}");
    EXPECT_EQ(Words(sizes), (std::multiset<std::string>{"\\rtf1", "\\ansi", "\\uc1", "\\fs3276"}));
    // More than the control keeps: 32 tab stops a paragraph, 63 cells a row.
    std::string many = "{\\rtf1\\pard";
    for (int i = 1; i <= 40; ++i)
        many += "\\tx" + std::to_string(i * 100);
    many += "\\trowd";
    for (int i = 1; i <= 70; ++i)
        many += "\\cellx" + std::to_string(i * 100);
    std::multiset<std::string> words = Words(Door(many + " x\\par\\pard\\tx50 y\\par}"));
    EXPECT_EQ(words.count("\\tx3200"), 1u);
    EXPECT_EQ(words.count("\\tx3300"), 0u);
    EXPECT_EQ(words.count("\\tx50"), 1u) << "a new paragraph has stops of its own";
    EXPECT_EQ(words.count("\\cellx6300"), 1u);
    EXPECT_EQ(words.count("\\cellx6400"), 0u);
}

TEST(RichTextDoor, WhatNoNoteHoldsIsLeftOut)
{
    struct Case {
        const char *text;
        const char *kept;  // what the note must still show
        const char *gone;  // what must not reach the control
    } const cases[] = {
        {"{\\rtf1{\\*\\unknown secret}shown}", "shown", "secret"},
        {"{\\rtf1{\\info{\\title secret}}{\\header secret}{\\footnote secret}shown}", "shown", "secret"},
        {"{\\rtf1{\\stylesheet{\\s1 secret;}}\\s1 shown}", "shown", "secret"},
        {"{\\rtf1{\\field{\\*\\fldinst secret}{\\fldrslt shown}}}", "shown", "secret"},
        {"{\\rtf1\\madeupword shown}", "shown", "madeup"},
        {"{\\rtf1{\\object\\objemb{\\*\\objdata 0102}{\\result shown}}}", "shown", "objdata"},
        // Bytes behind \bin outside a picture, and words past any real one.
        {"{\\rtf1\\bin5 {}}} shown}", "shown", "bin"},
        {"{\\rtf1\\bin99999 }", "\\rtf1", "bin"},
        {"{\\rtf1\\abcdefghijabcdefghijabcdefghijabcdefghij shown}", "shown", "abcdefghij"},
        // A NUL character would end the note's text in the notes file.
        {"{\\rtf1 a\\u0?\\u65536?\\u-65536? b\\u8364?}", "\\u8364?", "\\u0"},
        // Other control characters the control would write out raw.
        {"{\\rtf1 a\\u19?\\u65555? b\\u9?c}", "\\tab c", "\\u19"},
        {"{\\rtf1 a\\u127? b}", "b", "\\u127"},
        // Page and section breaks are paragraphs to the control.
        {"{\\rtf1 a\\page b\\sect c\\column d}", "a\\par b\\par c\\par d", "page"},
        // Font and colour references to nothing in the tables.
        {"{\\rtf1{\\fonttbl{\\f1 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}\\f7\\cf9\\cf1\\f1 x}",
         "\\cf1\\f1 x", "\\f7"},
        // Control words among a picture's data.
        {"{\\rtf1{\\pict\\emfblip 0100\\fs65535 0000\\par 6c00}after}", "after", "fs65535"},
    };
    for (const Case &c : cases) {
        std::string out = Door(c.text);
        EXPECT_TRUE(Holds(out, c.kept)) << c.text << " gave " << out;
        EXPECT_FALSE(Holds(out, c.gone)) << c.text << " gave " << out;
    }
}

TEST(RichTextDoor, TablesAndNestingArePassedWithinTheCheck)
{
    // A face name fills a LOGFONT; a name past a thousand characters ran
    // over the control's buffer. Entries may come with or without groups.
    std::string names = Door("{\\rtf1{\\fonttbl\\f0\\fswiss " + std::string(5000, 'A') +
                             ";{\\f1{\\*\\panose 0a}{\\*\\falt x}Courier}}\\f1 x}");
    EXPECT_TRUE(Holds(names, "{\\f0\\fswiss " + std::string(31, 'A') + ";}"));
    EXPECT_TRUE(Holds(names, "{\\f1 Courier;}"));
    EXPECT_FALSE(Holds(names, "panose"));
    // Groups a thousand deep keep their text but not their words, a
    // destination that deep goes whole; a text cut short; braces closed too often.
    std::string deep = Door("{\\rtf1 " + std::string(1000, '{') + "\\b x\\par{\\*\\x gone}" +
                            std::string(1000, '}') + "after}}}}");
    EXPECT_TRUE(Holds(deep, "{x\\par}")) << deep;
    EXPECT_TRUE(Holds(deep, "}after}")) << deep;
    EXPECT_FALSE(Holds(deep, "gone"));
    EXPECT_FALSE(Holds(deep, "\\b"));
    std::string cut = Door("{\\rtf1{\\b{\\i cut");
    EXPECT_TRUE(Holds(cut, "cut}}}"));
    // What follows the outer group is not read.
    EXPECT_FALSE(Holds(Door("{\\rtf1 a}{\\fs9999 b}"), "b"));
}

TEST(RichTextDoor, UnicodeHeaderTextIsReadAsTheControlReadsIt)
{
    // UTF-8, escaped bytes too, a character beyond 16 bits as two halves,
    // each broken sequence one replacement character (a surrogate half's
    // lead and first follower one); a fallback byte behind \u counts as
    // one, and a named code page ends it.
    std::string out = Door("{\\urtf1 caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \\'c3\\'a9 x\xff"
                           "\xc3(\xe2\x82 \xed\xa0\x80 \\u8364\xe2\x82\xac \\ansicpg1251 \xc3\xa9}");
    EXPECT_TRUE(Holds(out, "caf\\u233? \\u8364? \\u-10179?\\u-8704? \\u233? x\\u-3?\\u-3?(\\u-3? "
                           "\\u-3?\\u-3? \\u8364?\\u-3?\\u-3? \\ansicpg1251 \\'c3\\'a9}"))
        << out;
    EXPECT_TRUE(Holds(Door("{\\rtf1 caf\xc3\xa9}"), "caf\\'c3\\'a9"));
}

TEST(RichTextDoor, OnlyRichTextIsRead)
{
    std::string out;
    EXPECT_EQ(RewriteRichText("plain", 5, &out), RICH_TEXT_NOT_RTF);
    EXPECT_EQ(RewriteRichText(nullptr, 0, &out), RICH_TEXT_NOT_RTF);
    EXPECT_EQ(RewriteRichText("{\\rtf", 5, &out), RICH_TEXT_OK);
    EXPECT_EQ(out, "{\\rtf1\\ansi\\uc1}");
}
