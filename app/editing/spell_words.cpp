#include "spell_words.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------- letters

bool IsWindows1252Letter(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return true;
    switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
        return true;
    }
    return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

static bool IsWordChar(char c, LetterTest isLetter)
{
    return c == '\'' || isLetter((unsigned char)c);
}

// ---------------------------------------------------------------- the walk

void BeginSpellWalk(SpellWalk *walk, const char *text, int length, int caret, LetterTest isLetter)
{
    int position = caret < 0 ? 0 : caret > length ? length : caret;
    while (position > 0 && position < length && IsWordChar(text[position], isLetter))
        position--;
    // A caret right behind a word (at the end of the text) still means that word.
    if (position == length && position > 0 && IsWordChar(text[position - 1], isLetter))
        while (position > 0 && IsWordChar(text[position - 1], isLetter))
            position--;
    walk->start = position;
    walk->position = position;
    walk->endBound = -1;
    walk->finished = 0;
}

int NextSpellWord(SpellWalk *walk, const char *text, int length, LetterTest isLetter,
                  int *wordStart, int *wordEnd)
{
    while (!walk->finished) {
        int p = walk->position < 0 ? 0 : walk->position;
        while (p < length && !IsWordChar(text[p], isLetter))
            p++;
        if (walk->endBound >= 0 && p >= walk->endBound) {
            walk->finished = 1;
            break;
        }
        if (p >= length) {
            if (walk->endBound >= 0 || walk->start == 0) {
                walk->finished = 1;
                break;
            }
            walk->endBound = walk->start;
            walk->position = 0;
            continue;
        }
        int start = p;
        while (p < length && IsWordChar(text[p], isLetter))
            p++;
        // The rest of an overlong run is not a word of its own.
        walk->position = p;
        int end = p - start > SPELL_WORD_MAX ? start + SPELL_WORD_MAX : p;
        TrimWordQuotes(text, &start, &end);
        if (start < end) {
            *wordStart = start;
            *wordEnd = end;
            return 1;
        }
    }
    return 0;
}

void SpellWalkReplaced(SpellWalk *walk, int wordStart, int oldLength, int newLength)
{
    int delta = newLength - oldLength;
    if (walk->endBound >= 0 && wordStart < walk->endBound)
        walk->endBound += delta;
    if (walk->start > wordStart)
        walk->start += delta;
    walk->position = wordStart + newLength;
}

void TrimWordQuotes(const char *text, int *start, int *end)
{
    while (*start < *end && text[*start] == '\'')
        (*start)++;
    while (*end > *start && text[*end - 1] == '\'')
        (*end)--;
}

// ---------------------------------------------------------------- word lists

static unsigned char FoldCase(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return (unsigned char)(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return (unsigned char)(c + 32);
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    }
    return c;
}

bool SameWordIgnoringCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (FoldCase((unsigned char)a[i]) != FoldCase((unsigned char)b[i]))
            return false;
    return true;
}

bool ListHoldsWord(const std::vector<std::string> &list, const std::string &word)
{
    for (const std::string &entry : list)
        if (SameWordIgnoringCase(entry, word))
            return true;
    return false;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::vector<std::string> ParseUserDictionary(const char *data, size_t size)
{
    std::vector<std::string> list;
    size_t i = 0;
    while (i < size) {
        while (i < size && IsBlank(data[i]))
            i++;
        size_t start = i;
        while (i < size && !IsBlank(data[i]) && data[i] != '\0')
            i++;
        size_t length = i - start;
        if (length > 0 && length <= SPELL_WORD_MAX)
            list.push_back(std::string(data + start, length));
        if (i < size && data[i] == '\0')
            i++;
    }
    // Newest first: the file's last word is the list's front. Putting each
    // word at the front as it came would take time growing with the square
    // of the words.
    std::reverse(list.begin(), list.end());
    return list;
}

std::string FormatUserDictionary(const std::vector<std::string> &list)
{
    std::string out;
    for (const std::string &word : list)
        if (!word.empty())
            out += word + "\n";
    return out;
}

// ---------------------------------------------------------------- dictionaries

std::string DictionaryName(const std::string &dictionaryFile)
{
    return dictionaryFile.substr(0, dictionaryFile.find('.'));
}

std::string AffixPathFor(const std::string &dictionaryPath)
{
    size_t nameStart = dictionaryPath.find_last_of("\\/");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = dictionaryPath.find('.', nameStart);
    return dictionaryPath.substr(0, dot) + ".aff";
}

int ChooseDictionary(const std::vector<std::string> &names, const std::string &localeName)
{
    if (names.empty())
        return -1;
    for (size_t i = 0; i < names.size(); i++)
        if (names[i].size() >= localeName.size() &&
            SameWordIgnoringCase(names[i].substr(0, localeName.size()), localeName))
            return (int)i;
    return 0;
}

// ---------------------------------------------------------------- encodings

// Code points of bytes 0x80..0x9F; 0 where the code page has no character
// (those bytes are taken as the C1 control of the same number).
static const unsigned short Windows1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

static void AppendUtf8(std::string *out, unsigned code)
{
    if (code < 0x80) {
        out->push_back((char)code);
    } else if (code < 0x800) {
        out->push_back((char)(0xC0 | (code >> 6)));
        out->push_back((char)(0x80 | (code & 0x3F)));
    } else {
        out->push_back((char)(0xE0 | (code >> 12)));
        out->push_back((char)(0x80 | ((code >> 6) & 0x3F)));
        out->push_back((char)(0x80 | (code & 0x3F)));
    }
}

std::string Windows1252ToUtf8(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        unsigned code = c;
        if (c >= 0x80 && c <= 0x9F && Windows1252High[c - 0x80])
            code = Windows1252High[c - 0x80];
        AppendUtf8(&out, code);
    }
    return out;
}

static char Windows1252Byte(unsigned code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return (char)code;
    for (int i = 0; i < 32; i++)
        if (Windows1252High[i] ? Windows1252High[i] == code : code == 0x80u + i)
            return (char)(0x80 + i);
    return '?';
}

std::string Utf8ToWindows1252(const std::string &text)
{
    std::string out;
    size_t i = 0, n = text.size();
    while (i < n) {
        unsigned char c = (unsigned char)text[i];
        int more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0 || i + more >= n) {
            out.push_back('?');
            i++;
            continue;
        }
        unsigned code = more == 0 ? c : c & (0x3F >> more);
        bool valid = true;
        for (int k = 1; k <= more; k++) {
            unsigned char next = (unsigned char)text[i + k];
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            out.push_back('?');
            i++;
            continue;
        }
        out.push_back(Windows1252Byte(code));
        i += more + 1;
    }
    return out;
}

bool DictionaryUsesUtf8(const char *encoding)
{
    if (!encoding)
        return false;
    std::string name;
    for (const char *p = encoding; *p; p++)
        if (*p != '-' && *p != '_')
            name.push_back((char)FoldCase((unsigned char)*p));
    return name == "utf8";
}

// ---------------------------------------------------------------- placement

SpellPlacement PlaceBelowNote(int noteLeft, int noteRight, int noteBottom, int dialogWidth,
                              int dialogHeight, int desktopWidth, int desktopHeight)
{
    SpellPlacement at;
    at.left = noteLeft + (noteRight - noteLeft - dialogWidth) / 2;
    at.top = noteBottom;
    if (at.left + dialogWidth > desktopWidth)
        at.left -= at.left + dialogWidth - desktopWidth;
    if (at.top + dialogHeight > desktopHeight)
        at.top -= at.top + dialogHeight - desktopHeight;
    if (at.left < 0)
        at.left = 0;
    if (at.top < 0)
        at.top = 0;
    return at;
}
