#include "streamed_rich_text.h"

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

// Passes the control word or symbol behind a backslash at text[*at - 1];
// false when it runs past the end (a text cut inside it).
bool PassControlWord(const char *text, size_t bytes, size_t *at)
{
    size_t i = *at;
    if (i >= bytes)
        return false;
    if (!IsLetter(text[i])) {
        // \'hh carries two digits; any other symbol is one character.
        i += text[i] == '\'' ? 3 : 1;
        *at = i;
        return i <= bytes;
    }
    size_t word = i;
    while (i < bytes && IsLetter(text[i]))
        ++i;
    bool isBin = i - word == 3 && std::memcmp(text + word, "bin", 3) == 0;
    bool negative = i < bytes && text[i] == '-';
    if (negative)
        ++i;
    unsigned long long number = 0;
    size_t digits = i;
    while (i < bytes && IsDigit(text[i]) && i - digits < 10)
        number = number * 10 + (unsigned)(text[i++] - '0');
    if (i < bytes && text[i] == ' ')
        ++i;
    if (isBin && !negative) {
        // The data behind \binN are bytes, braces among them.
        if (number > bytes - i)
            return false;
        i += (size_t)number;
    }
    *at = i;
    return true;
}

} // namespace

bool IsWholeStreamedRichText(const char *text, size_t bytes)
{
    static const char Signature[] = "{\\rtf";
    if (!text || bytes < sizeof Signature - 1 ||
        std::memcmp(text, Signature, sizeof Signature - 1) != 0)
        return false;
    long depth = 0;
    size_t at = 0;
    while (at < bytes) {
        char c = text[at++];
        if (c == '\\') {
            if (!PassControlWord(text, bytes, &at))
                return false;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                break;
        }
    }
    if (depth != 0)
        return false;
    for (; at < bytes; ++at)
        if (text[at] != ' ' && text[at] != '\r' && text[at] != '\n' && text[at] != 0)
            return false;
    return true;
}

void AppendPlainTextAsRichText(const char *text, size_t bytes, std::vector<uint8_t> *out)
{
    static const char Head[] = "{\\rtf1\\ansi ";
    static const char Hex[] = "0123456789abcdef";
    out->insert(out->end(), Head, Head + sizeof Head - 1);
    auto put = [out](const char *s) { out->insert(out->end(), s, s + std::strlen(s)); };
    for (size_t i = 0; text && i < bytes; ++i) {
        uint8_t c = (uint8_t)text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes && text[i + 1] == '\n')
                ++i;
            put("\\par\r\n");
        } else if (c == '\t') {
            put("\\tab ");
        } else if (c == '\\' || c == '{' || c == '}') {
            out->push_back('\\');
            out->push_back(c);
        } else if (c > 0x7E) {
            uint8_t escape[4] = {'\\', '\'', (uint8_t)Hex[c >> 4], (uint8_t)Hex[c & 15]};
            out->insert(out->end(), escape, escape + 4);
        } else if (c >= 0x20) {
            out->push_back(c);
        }
    }
    out->push_back('}');
}
