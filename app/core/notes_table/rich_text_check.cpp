#include "rich_text_check.h"

#include <cstring>

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

struct Cursor {
    const char *text;
    size_t size;
    size_t at;
};

// Reads the control word after a backslash. Returns a verdict; *binary is set
// to the byte count of a \binN word, which the reader must skip unread.
int ReadControlWord(Cursor *c, long *binary)
{
    *binary = -1;
    size_t start = c->at;
    while (c->at < c->size && IsLetter(c->text[c->at]))
        ++c->at;
    size_t letters = c->at - start;
    if (letters == 0) {
        // A control symbol: \{, \}, \\, \~ ... and \'hh with its two digits.
        if (c->at < c->size && c->text[c->at] == '\'')
            c->at += 3;
        else
            ++c->at;
        if (c->at > c->size)
            c->at = c->size;
        return RICH_TEXT_OK;
    }
    if (letters > RICH_TEXT_MAX_WORD)
        return RICH_TEXT_LONG_WORD;
    bool isBinary = letters == 3 && std::memcmp(c->text + start, "bin", 3) == 0;

    if (c->at < c->size && c->text[c->at] == '-')
        ++c->at;
    size_t digitsStart = c->at;
    long value = 0;
    while (c->at < c->size && IsDigit(c->text[c->at])) {
        if (c->at - digitsStart >= RICH_TEXT_MAX_DIGITS)
            return RICH_TEXT_LONG_WORD;
        value = value * 10 + (c->text[c->at] - '0');
        ++c->at;
    }
    if (c->at < c->size && c->text[c->at] == ' ')
        ++c->at;
    if (isBinary)
        *binary = value;
    return RICH_TEXT_OK;
}

} // namespace

int CheckRichText(const char *text, size_t bytes)
{
    static const char Signature[] = "{\\rtf";
    if (!text || bytes < sizeof Signature - 1 || std::memcmp(text, Signature, sizeof Signature - 1))
        return RICH_TEXT_NOT_RTF;
    if (bytes > RICH_TEXT_MAX_BYTES)
        return RICH_TEXT_TOO_LARGE;

    Cursor c = {text, bytes, 0};
    int depth = 0;
    while (c.at < c.size) {
        char ch = c.text[c.at++];
        if (ch == '{') {
            if (++depth > RICH_TEXT_MAX_DEPTH)
                return RICH_TEXT_TOO_DEEP;
        } else if (ch == '}') {
            if (--depth < 0)
                return RICH_TEXT_UNBALANCED;
            // The control stops at the close of the outer group; what follows
            // (a terminating NUL, padding) is never read as RTF.
            if (depth == 0)
                return RICH_TEXT_OK;
        } else if (ch == '\\') {
            long binary = -1;
            int verdict = ReadControlWord(&c, &binary);
            if (verdict != RICH_TEXT_OK)
                return verdict;
            if (binary >= 0) {
                if ((size_t)binary > c.size - c.at)
                    return RICH_TEXT_BAD_BINARY;
                c.at += (size_t)binary;
            }
        }
    }
    return RICH_TEXT_UNBALANCED;
}
