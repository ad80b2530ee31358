#include <gtest/gtest.h>

#include <string>

#include "core/notes_table/rich_text_check.h"
#include "core/notes_table/streamed_rich_text.h"

namespace {

int Check(const std::string &text)
{
    return CheckRichText(text.data(), text.size());
}

std::string Nested(int depth)
{
    return "{\\rtf1 " + std::string(depth - 1, '{') + "x" + std::string(depth - 1, '}') + "}";
}

} // namespace

TEST(RichTextCheck, TakesWhatTheControlWritesAndRefusesWhatDownsIt)
{
    const std::string written =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\generator Riched20 10.0;}"
        "\\viewkind4\\uc1\\pard\\cf1\\f0\\fs20 caf\\'e9 \\{brace\\} \\u8364?\\par\r\n}\r\n";
    EXPECT_EQ(Check(written), RICH_TEXT_OK);
    EXPECT_EQ(Check(written + std::string(1, '\0')), RICH_TEXT_OK) << "a NUL behind the text";
    EXPECT_EQ(Check("{\\rtf1 x}}\r\n{y}"), RICH_TEXT_OK) << "stray text behind the close";
    // Wine's control read on behind the close of this table row, as counted
    // here, into groups nested past what it survives.
    EXPECT_EQ(Check("{\\rtf1\\trowd \\intbl {\\f0 A;}\\\n\\u65 {\\f1\\fnil;}}" + std::string(40, '{')),
              RICH_TEXT_TOO_DEEP);

    EXPECT_EQ(Check(Nested(RICH_TEXT_MAX_DEPTH)), RICH_TEXT_OK);
    EXPECT_EQ(Check(Nested(RICH_TEXT_MAX_DEPTH + 1)), RICH_TEXT_TOO_DEEP);
    EXPECT_EQ(Check(Nested(50000)), RICH_TEXT_TOO_DEEP);
    EXPECT_EQ(Check("{\\rtf1 " + std::string(10000, '{') + "x"), RICH_TEXT_TOO_DEEP);
    EXPECT_EQ(Check("{\\urtf1 " + std::string(50, '{') + "x"), RICH_TEXT_TOO_DEEP)
        << "the control's WM_SETTEXT reads this form as RTF too";
    EXPECT_EQ(Check("{\\rtf1 {x}"), RICH_TEXT_UNBALANCED);

    EXPECT_EQ(Check("{\\rtf1 \\" + std::string(32, 'a') + " x}"), RICH_TEXT_OK);
    EXPECT_EQ(Check("{\\rtf1 \\" + std::string(33, 'a') + " x}"), RICH_TEXT_LONG_WORD);
    EXPECT_EQ(Check("{\\rtf1 \\fs-" + std::string(10, '9') + " x}"), RICH_TEXT_OK);
    EXPECT_EQ(Check("{\\rtf1 \\fs" + std::string(2000, '9') + " x}"), RICH_TEXT_LONG_WORD);
}

TEST(RichTextCheck, EscapesHideBracesButBinaryDataMayNot)
{
    EXPECT_EQ(Check("{\\rtf1 \\{\\{\\{ x}"), RICH_TEXT_OK);
    EXPECT_EQ(Check("{\\rtf1 \\'7b x}"), RICH_TEXT_OK);
    EXPECT_EQ(Check("{\\rtf1 {\\pict\\bin4 " + std::string("\x01\xff\0z", 4) + "}}"), RICH_TEXT_OK);
    EXPECT_EQ(Check("{\\rtf1 \\bin400 {}"), RICH_TEXT_BAD_BINARY);
    // Wine's control parses the bytes behind \binN as RTF: groups hidden in
    // them would pass a count that skips them and nest past what it survives.
    std::string hidden = "{\\rtf1 \\bin40 " + std::string(40, '{') + "x\\bin40 " +
                         std::string(40, '}') + "}";
    EXPECT_EQ(Check(hidden), RICH_TEXT_BAD_BINARY);
    EXPECT_EQ(Check("{\\rtf1 \\bin-2 {{x}}}"), RICH_TEXT_BAD_BINARY);
    EXPECT_EQ(Check("{\\rtf1 a\\'}}b}"), RICH_TEXT_BAD_ESCAPE) << "an escape that swallows braces";
    EXPECT_EQ(Check("{\\rtf1 x\\"), RICH_TEXT_UNBALANCED) << "a backslash as the last byte";
    EXPECT_EQ(Check("{\\rtf1 x\\'"), RICH_TEXT_UNBALANCED);
}

TEST(RichTextCheck, TablesHoldOnlyWhatRealTablesHold)
{
    // Font entries with their alternative names and panose numbers, style
    // entries with key codes: what writers put in their tables.
    EXPECT_EQ(Check("{\\rtf1{\\fonttbl{\\f0 A;}{\\f1{\\*\\panose 02}{\\*\\falt B} C;}}"
                    "{\\colortbl ;\\red255\\green0\\blue0;}"
                    "{\\stylesheet{\\s1{\\*\\keycode x} Head;}}{\\pict\\wmetafile8 0a}x}"),
              RICH_TEXT_OK);
    // Each of these unbalanced the group stack of Wine's control, which then
    // lost the text behind the table, or read on behind the close of the
    // outer group into groups nested past what it survives and aborted.
    EXPECT_EQ(Check("{\\rtf1{\\fonttbl{\\f0{\\f1{\\f2 A;}}}}x}"), RICH_TEXT_BAD_TABLE);
    EXPECT_EQ(Check("{\\rtf1{\\fonttbl{\\fonttbl{\\f0 A;}}}x}"), RICH_TEXT_BAD_TABLE);
    EXPECT_EQ(Check("{\\rtf1{\\fonttbl{\\f1 A}}}y}"), RICH_TEXT_BAD_TABLE) << "a name without its ';'";
    EXPECT_EQ(Check("{\\rtf1{\\fonttbl\\f1 }}" + std::string(50, '{') + "x"), RICH_TEXT_BAD_TABLE)
        << "a font outside an entry group";
}

TEST(RichTextCheck, TextInTablesAndHiddenGroupsIsBoundedWhereTheControlCopiesIt)
{
    // Wine's reader copied a font name of about 1,100 characters over its
    // own return address; a face name has 31 at most.
    auto font = [](size_t letters) {
        return "{\\rtf1{\\fonttbl{\\f0\\fswiss " + std::string(letters, 'N') + ";}}\\f0 x}";
    };
    EXPECT_EQ(Check(font(31)), RICH_TEXT_OK);
    for (size_t letters : {32, 1000, 1100, 5000})
        EXPECT_EQ(Check(font(letters)), RICH_TEXT_LONG_NAME) << letters;
    // The reader goes on copying across control words and escapes.
    std::string escaped;
    for (int i = 0; i < 40; ++i)
        escaped += "\\'4e";
    EXPECT_EQ(Check("{\\rtf1{\\fonttbl{\\f0 " + std::string(20, 'N') + "\\b " +
                    std::string(20, 'N') + ";}}x}"),
              RICH_TEXT_LONG_NAME);
    EXPECT_EQ(Check("{\\rtf1{\\fonttbl{\\f0 " + escaped + ";}}x}"), RICH_TEXT_LONG_NAME);
    // Each entry's name counts on its own; its alternative name is other text.
    EXPECT_EQ(Check("{\\rtf1{\\fonttbl{\\f0 " + std::string(31, 'A') + ";}{\\f1{\\*\\falt " +
                    std::string(300, 'B') + "}" + std::string(31, 'C') + ";}}x}"),
              RICH_TEXT_OK);

    auto style = [](size_t letters) {
        return "{\\rtf1{\\stylesheet{\\s1 " + std::string(letters, 'S') + ";}}x}";
    };
    EXPECT_EQ(Check(style(200)), RICH_TEXT_OK) << "style names are longer than face names";
    EXPECT_EQ(Check(style(5000)), RICH_TEXT_LONG_NAME);
    EXPECT_EQ(Check("{\\rtf1{\\colortbl;" + std::string(5000, 'c') + ";}x}"), RICH_TEXT_LONG_NAME);

    // Groups whose text is not shown: a long web address fits, a page does not.
    EXPECT_EQ(Check("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"" + std::string(1500, 'u') +
                    "\"}{\\fldrslt x}}}"),
              RICH_TEXT_OK);
    EXPECT_EQ(Check("{\\rtf1{\\*\\unknown " + std::string(5000, 'h') + "}x}"), RICH_TEXT_LONG_NAME);
    EXPECT_EQ(Check("{\\rtf1{\\info{\\title " + std::string(5000, 't') + "}}x}"),
              RICH_TEXT_LONG_NAME);
    // Picture data is no text: a picture of 100 KB is taken.
    EXPECT_EQ(Check("{\\rtf1{\\*\\shppict{\\pict\\pngblip " + std::string(200000, 'a') + "}}x}"),
              RICH_TEXT_OK);
}

TEST(RichTextCheck, UnicodeEscapesThatTheControlTurnsIntoNulAreRefused)
{
    // What Wine's control made of each: a NUL for the first group.
    for (const char *value : {"0", "-0", "65536", "-65536", "4294967296", "-2147483648"})
        EXPECT_EQ(Check(std::string("{\\rtf1 a\\u") + value + "?b}"), RICH_TEXT_NUL_CHARACTER)
            << value;
    for (const char *value : {"65", "-1", "-32768", "65535", "65537", "70000", "9999999999"})
        EXPECT_EQ(Check(std::string("{\\rtf1 a\\u") + value + "?b}"), RICH_TEXT_OK) << value;
    EXPECT_EQ(Check("{\\rtf1 a\\u b}"), RICH_TEXT_OK) << "a \\u without a number";
    EXPECT_EQ(Check("{\\rtf1 a\\uc1 b}"), RICH_TEXT_OK) << "another word";
}

TEST(RichTextCheck, BinaryDataOnlyInPicturesWhereTheControlSkipsIt)
{
    // Wine's control lays out the bytes behind \bin as characters: 1 MB of
    // them took gigabytes. In a picture it skips them.
    std::string megabyte(1 << 20, 'z');
    EXPECT_EQ(Check("{\\rtf1 x\\bin5 abcde}"), RICH_TEXT_BAD_BINARY);
    EXPECT_EQ(Check("{\\rtf1 x\\bin1048576 " + megabyte + "}"), RICH_TEXT_BAD_BINARY);
    EXPECT_EQ(Check("{\\rtf1{\\pict\\bin1048576 " + megabyte + "}x}"), RICH_TEXT_OK);
    EXPECT_EQ(Check("{\\rtf1{\\object{\\*\\objdata\\bin3 abc}}x}"), RICH_TEXT_OK);
}

TEST(RichTextCheck, MeasuresTheShownTextAsTheControlLaysItOut)
{
    // Shown: "ab", then "c", e acute, "d" and a tab, then an empty paragraph.
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\generator Wine;}{\\info{\\title T}}"
                      "\\fs40 ab\\par\r\nc\\'e9d\\tab\\par{\\pict 0a0b}{\\b\\fs30 }}";
    TextLayout layout;
    ASSERT_EQ(CheckRichText(rtf.data(), rtf.size(), &layout), RICH_TEXT_OK);
    EXPECT_EQ(layout.characters, 6u);
    EXPECT_EQ(layout.paragraphs, 3u);
    EXPECT_EQ(layout.wrapCost, 2u * 2 + 4 * 4);
    EXPECT_EQ(layout.largestFontSize, 40u);

    std::string plain = "ab\r\ncde\rf\n\n";
    MeasurePlainText(plain.data(), plain.size(), &layout);
    EXPECT_EQ(layout.characters, 6u);
    EXPECT_EQ(layout.paragraphs, 5u) << "CR LF, CR and LF each end one";
    EXPECT_EQ(layout.wrapCost, 2u * 2 + 3 * 3 + 1);
    EXPECT_EQ(layout.largestFontSize, 0u);

    std::string run = "{\\rtf1 " + std::string(100000, 'a') + "}";
    ASSERT_EQ(CheckRichText(run.data(), run.size(), &layout), RICH_TEXT_OK);
    EXPECT_EQ(layout.wrapCost, 100000ull * 100000);
}

TEST(RichTextCheck, PlainAndOversizedTextIsNotReadAsRichText)
{
    EXPECT_EQ(Check("just words"), RICH_TEXT_NOT_RTF);
    EXPECT_EQ(Check("{\\rt"), RICH_TEXT_NOT_RTF);
    EXPECT_EQ(CheckRichText(nullptr, 10), RICH_TEXT_NOT_RTF);
    std::string huge = "{\\rtf1 " + std::string(RICH_TEXT_MAX_BYTES, 'x') + "}";
    EXPECT_EQ(Check(huge), RICH_TEXT_TOO_LARGE);
}

TEST(StreamedRichText, WholeOnlyWhenTheOuterGroupClosesAtItsEnd)
{
    struct Case {
        std::string text;
        bool whole;
    } cases[] = {
        {std::string("{\\rtf1 a\\par\r\n}\r\n\0\0", 19), true}, // line ends and 0 bytes behind
        {"{\\rtf1 a {\\pict\\dibitmap0 2800", false},          // stopped inside a picture
        {"{\\rtf1 a\\par\r\n", false},                         // stopped before the close
        {"{\\rtf1 a \\} b \\{ c \\\\}", true},                 // escaped braces are text
        {"{\\rtf1 \\'7d}", true},
        {"{\\rtf1 \\'7", false},
        {"{\\rtf1 a\\", false},
        {"{\\rtf1 {\\pict\\bin3 }}}}}", true}, // braces as data behind \bin
        {"{\\rtf1 {\\pict\\bin9 }}}", false},
        {"{\\rtf1 a}b}", false}, // the close is not the end
        {"}{\\rtf1 a}", false},
        {"plain text", false},
        {"", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsWholeStreamedRichText(c.text.data(), c.text.size()), c.whole) << c.text;
}

TEST(StreamedRichText, PlainTextIsWrittenAsRichTextOfExactlyItsCharacters)
{
    std::string plain = "a{b}\\c\xE9\r\nd\te\rf\ng";
    plain += '\0';
    plain += "\x01h";
    std::vector<uint8_t> rtf;
    AppendPlainTextAsRichText(plain.data(), plain.size(), &rtf);
    std::string written(rtf.begin(), rtf.end());
    EXPECT_EQ(written, "{\\rtf1\\ansi a\\{b\\}\\\\c\\'e9\\par\r\nd\\tab e\\par\r\nf\\par\r\ngh}");
    EXPECT_TRUE(IsWholeStreamedRichText(written.data(), written.size()));
}
