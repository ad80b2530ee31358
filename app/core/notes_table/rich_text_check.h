// Decides whether a note text from outside may be given to the rich-edit
// control as RTF. The control's reader is the system's, and some builds of it
// fall over on shapes no real note has (groups nested a few dozen deep,
// control words thousands of characters long, font names of a thousand
// characters): such text is shown as plain text instead, so nothing is lost
// and nothing crashes. It also measures what the control will have to lay
// out, which costs far more than reading. No windows.h here.
#pragma once
#include <cstddef>
#include <cstdint>

enum RichTextVerdict {
    RICH_TEXT_OK = 0,
    RICH_TEXT_NOT_RTF = -1,        // starts with neither "{\rtf" nor "{\urtf": plain text anyway
    RICH_TEXT_TOO_LARGE = -2,
    RICH_TEXT_UNBALANCED = -3,     // a group closed that was never opened, or left open
    RICH_TEXT_TOO_DEEP = -4,
    RICH_TEXT_LONG_WORD = -5,      // a control word or its number past any real one
    RICH_TEXT_BAD_BINARY = -6,     // \binN past the end, over braces, or outside pictures
    RICH_TEXT_BAD_ESCAPE = -7,     // \' not followed by two hex digits
    RICH_TEXT_BAD_TABLE = -8,      // a font, colour or style table shaped as none is
    RICH_TEXT_LONG_NAME = -9,      // text in a table entry or a hidden group past any real one
    RICH_TEXT_NUL_CHARACTER = -10, // a \u the control turns into a NUL character
    // Not the check's own: a note from outside whose text costs the control
    // too much to lay out (the answer to a refused poke carries these numbers).
    RICH_TEXT_TOO_MUCH_LAYOUT = -11,
};

enum {
    // Real notes nest a handful of groups (fonts, colours, lists, fields);
    // the control of some systems dies at 33.
    RICH_TEXT_MAX_DEPTH = 24,
    // RTF words are at most 32 letters; numbers fit in 32 bits with a sign.
    RICH_TEXT_MAX_WORD = 32,
    RICH_TEXT_MAX_DIGITS = 10,
    RICH_TEXT_MAX_BYTES = 32 * 1024 * 1024,
    // A face name fills a LOGFONT's 32 characters with its NUL; Wine's
    // reader copies table names into a buffer of about a thousand and runs
    // over it. Style and other table names are longer in real documents.
    RICH_TEXT_MAX_FACE_NAME = 31,
    RICH_TEXT_MAX_TABLE_TEXT = 255,
    // Text in groups that are not shown (fields' instructions, document
    // information, unknown starred groups): a long web address fits.
    RICH_TEXT_MAX_HIDDEN_TEXT = 2048,
};

// What the control has to lay out: the characters of the shown text, its
// paragraphs, and the sum over paragraphs of the square of their length.
// Wine's control wraps a paragraph in time and memory that grow with the
// square of its length (a 4,000-character paragraph costs it a hundred times
// a 400-character one), whether or not it has blanks to break at; without
// word wrap it takes text in time that grows with its length only. Every
// kind of paragraph and line end (\par, \line, \page, \sect, a table's
// \cell and \row, CR and LF) counts as a paragraph: each costs about as much.
// Digits and tabs are dear at any width: the control spends time on each in
// proportion to the length of its paragraph (a tab five times a digit); and
// a paragraph's changes between a digit and a letter cost it time that grows
// with the square of their number, and memory for each.
struct TextLayout {
    uint32_t characters;
    uint32_t paragraphs;
    uint64_t wrapCost;
    uint32_t largestFontSize; // in half points, as \fs gives it; 0 without one
    uint32_t tabs;
    uint32_t digitJoins; // places where a digit meets a letter
    uint64_t digitCost;  // over paragraphs: their digits times their length
    uint64_t tabCost;    // over paragraphs: their tabs times their length
    uint64_t joinCost;   // over paragraphs: the square of their joins
};

// RICH_TEXT_OK, or the first reason the text must not be read as RTF. When
// layout is given and the text is RTF, it receives the shown text's layout.
int CheckRichText(const char *text, size_t bytes, TextLayout *layout = nullptr);

// The layout of text the control takes as plain characters: a paragraph ends
// at CR LF, at a lone CR and at a lone LF.
void MeasurePlainText(const char *text, size_t bytes, TextLayout *layout);
