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

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool HoldsStructure(const char *bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (bytes[i] == '{' || bytes[i] == '}' || bytes[i] == '\\')
            return true;
    return false;
}

// Reads the control word or symbol after a backslash; *word and *letters
// name the word's letters (none for a symbol).
int ReadControlWord(Cursor *c, const char **word, size_t *letters)
{
    size_t start = c->at;
    *word = c->text + start;
    *letters = 0;
    while (c->at < c->size && IsLetter(c->text[c->at]))
        ++c->at;
    size_t count = c->at - start;
    *letters = count;
    if (count == 0) {
        // A control symbol: \{, \}, \\, \~ ... and \'hh with its two digits.
        // Readers differ on what \' followed by anything else swallows, and a
        // brace swallowed by one and counted by the other skews the depth.
        if (c->at < c->size && c->text[c->at] == '\'') {
            if (c->size - c->at < 3)
                return RICH_TEXT_UNBALANCED;
            if (!IsHexDigit(c->text[c->at + 1]) || !IsHexDigit(c->text[c->at + 2]))
                return RICH_TEXT_BAD_ESCAPE;
            c->at += 3;
        } else if (c->at < c->size) {
            ++c->at;
        }
        return RICH_TEXT_OK;
    }
    if (count > RICH_TEXT_MAX_WORD)
        return RICH_TEXT_LONG_WORD;
    bool isBinary = count == 3 && std::memcmp(c->text + start, "bin", 3) == 0;

    bool negative = c->at < c->size && c->text[c->at] == '-';
    if (negative)
        ++c->at;
    size_t digitsStart = c->at;
    unsigned long long value = 0;
    while (c->at < c->size && IsDigit(c->text[c->at])) {
        if (c->at - digitsStart >= RICH_TEXT_MAX_DIGITS)
            return RICH_TEXT_LONG_WORD;
        value = value * 10 + (unsigned)(c->text[c->at] - '0');
        ++c->at;
    }
    if (c->at < c->size && c->text[c->at] == ' ')
        ++c->at;
    if (!isBinary)
        return RICH_TEXT_OK;
    // Some readers skip \binN's bytes unread, others (Wine's) parse them as
    // text: a brace in them would be counted by one and not the other. Only
    // bytes that mean the same to both are let through.
    if (negative || value > c->size - c->at || HoldsStructure(c->text + c->at, (size_t)value))
        return RICH_TEXT_BAD_BINARY;
    c->at += (size_t)value;
    return RICH_TEXT_OK;
}

bool StartsWith(const char *text, size_t bytes, const char *prefix)
{
    size_t length = std::strlen(prefix);
    return bytes >= length && std::memcmp(text, prefix, length) == 0;
}

bool IsWord(const char *word, size_t letters, const char *name)
{
    return letters == std::strlen(name) && std::memcmp(word, name, letters) == 0;
}

// Groups a table may hold below its own: font and style entries with their
// alternative names, panose numbers and key codes; colours hold none.
int TableNesting(const char *word, size_t letters)
{
    if (IsWord(word, letters, "fonttbl") || IsWord(word, letters, "stylesheet"))
        return 2;
    if (IsWord(word, letters, "colortbl"))
        return 0;
    return -1;
}

} // namespace

int CheckRichText(const char *text, size_t bytes)
{
    // The control's WM_SETTEXT and EM_REPLACESEL read both as RTF.
    static const char Signature[] = "{\\rtf", UnicodeSignature[] = "{\\urtf";
    if (!text || (!StartsWith(text, bytes, Signature) && !StartsWith(text, bytes, UnicodeSignature)))
        return RICH_TEXT_NOT_RTF;
    if (bytes > RICH_TEXT_MAX_BYTES)
        return RICH_TEXT_TOO_LARGE;

    Cursor c = {text, bytes, 0};
    int depth = 0;
    // Wine's control reads the tables with readers of their own that count
    // groups differently from the rest: a table holding more than real ones
    // do (other tables, deeper groups, a font or style name not ended by its
    // semicolon, whose reader then runs on past the closing braces)
    // unbalances its group stack even when every brace is matched, and the
    // reading goes on behind what looked like the end. Outside tables only
    // depth counts.
    bool closed = false; // the outer group has ended
    int tableDepth = 0, tableNesting = 0;
    bool namedTable = false; // fonts and styles: each entry ends in ';'
    char lastInEntry = 0;
    while (c.at < c.size) {
        char ch = c.text[c.at++];
        bool atTable = tableDepth && depth == tableDepth;
        bool inEntry = tableDepth && depth == tableDepth + 1;
        if (ch == '{') {
            if (++depth > RICH_TEXT_MAX_DEPTH)
                return RICH_TEXT_TOO_DEEP;
            if (tableDepth && depth > tableDepth + tableNesting)
                return RICH_TEXT_BAD_TABLE;
            lastInEntry = atTable ? 0 : lastInEntry;
        } else if (ch == '}') {
            if (inEntry && namedTable && lastInEntry != ';')
                return RICH_TEXT_BAD_TABLE;
            if (atTable)
                tableDepth = 0;
            // The control stops at the close of the outer group, where it
            // agrees with this count; where it does not (tables, escapes of
            // some readers), it reads on. So what follows the close is held
            // to the same bounds, and a stray close there changes nothing.
            if (depth == 0 && closed)
                continue;
            if (--depth == 0)
                closed = true;
        } else if (ch == '\\') {
            const char *word;
            size_t letters;
            int verdict = ReadControlWord(&c, &word, &letters);
            if (verdict != RICH_TEXT_OK)
                return verdict;
            int nesting = TableNesting(word, letters);
            if (nesting >= 0) {
                if (tableDepth || depth == 0)
                    return RICH_TEXT_BAD_TABLE;
                tableDepth = depth;
                tableNesting = nesting;
                namedTable = nesting > 0;
            } else if (atTable && namedTable) {
                return RICH_TEXT_BAD_TABLE; // an entry outside its group
            } else if (inEntry && letters == 0) {
                lastInEntry = '\\'; // an escaped character of the name
            }
        } else if (ch != ' ' && ch != '\r' && ch != '\n' && ch != '\t') {
            if (atTable && namedTable)
                return RICH_TEXT_BAD_TABLE;
            if (inEntry)
                lastInEntry = ch;
        }
    }
    return closed ? RICH_TEXT_OK : RICH_TEXT_UNBALANCED;
}
