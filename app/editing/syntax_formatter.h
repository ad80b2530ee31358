// Colours a range of text as source code of one configured language. The text
// lives behind SyntaxText, so the same pass runs on a rich-edit control and
// on a plain string.
#pragma once
#include <cstdint>

#include "syntax_table.h"

class SyntaxText {
public:
    virtual ~SyntaxText() {}
    // The position just past the last character.
    virtual long TextEnd() = 0;
    // Copies up to count characters from start; returns how many there were.
    virtual long ReadText(long start, long count, char *out) = 0;
    // Plain text colour, no effects, and the base colour behind the whole range.
    virtual void ApplyBaseFormat(long start, long end, uint32_t baseColour) = 0;
    virtual void ApplyFormat(long start, long end, const SyntaxFormat &format) = 0;
    // Overwrites end - start characters with as many others (case conversion).
    virtual void ReplaceText(long start, long end, const char *text) = 0;
    virtual void ShowSelection(bool show) = 0;
};

// end -1 means to the end of the text. Returns 0, or -1 when the language
// does not exist (nothing is changed).
int FormatSyntaxRange(const SyntaxTable *table, SyntaxText *text, int language, long start,
                      long end, uint32_t baseColour);
