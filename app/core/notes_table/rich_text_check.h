// Decides whether a note text from outside may be given to the rich-edit
// control as RTF. The control's reader is the system's, and some builds of it
// fall over on shapes no real note has (groups nested a few dozen deep,
// control words thousands of characters long): such text is shown as plain
// text instead, so nothing is lost and nothing crashes. No windows.h here.
#pragma once
#include <cstddef>

enum RichTextVerdict {
    RICH_TEXT_OK = 0,
    RICH_TEXT_NOT_RTF = -1,        // starts with neither "{\rtf" nor "{\urtf": plain text anyway
    RICH_TEXT_TOO_LARGE = -2,
    RICH_TEXT_UNBALANCED = -3,     // a group closed that was never opened, or left open
    RICH_TEXT_TOO_DEEP = -4,
    RICH_TEXT_LONG_WORD = -5,      // a control word or its number past any real one
    RICH_TEXT_BAD_BINARY = -6,     // \binN past the end, or over braces or backslashes
    RICH_TEXT_BAD_ESCAPE = -7,     // \' not followed by two hex digits
    RICH_TEXT_BAD_TABLE = -8,      // a font, colour or style table shaped as none is
};

enum {
    // Real notes nest a handful of groups (fonts, colours, lists, fields);
    // the control of some systems dies at 33.
    RICH_TEXT_MAX_DEPTH = 24,
    // RTF words are at most 32 letters; numbers fit in 32 bits with a sign.
    RICH_TEXT_MAX_WORD = 32,
    RICH_TEXT_MAX_DIGITS = 10,
    RICH_TEXT_MAX_BYTES = 32 * 1024 * 1024,
};

// RICH_TEXT_OK, or the first reason the text must not be read as RTF.
int CheckRichText(const char *text, size_t bytes);

