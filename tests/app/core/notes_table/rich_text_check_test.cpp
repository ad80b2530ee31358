#include <gtest/gtest.h>

#include <string>

#include "core/notes_table/rich_text_check.h"

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

TEST(RichTextCheck, PlainAndOversizedTextIsNotReadAsRichText)
{
    EXPECT_EQ(Check("just words"), RICH_TEXT_NOT_RTF);
    EXPECT_EQ(Check("{\\rt"), RICH_TEXT_NOT_RTF);
    EXPECT_EQ(CheckRichText(nullptr, 10), RICH_TEXT_NOT_RTF);
    std::string huge = "{\\rtf1 " + std::string(RICH_TEXT_MAX_BYTES, 'x') + "}";
    EXPECT_EQ(Check(huge), RICH_TEXT_TOO_LARGE);
}
