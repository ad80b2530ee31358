#include "check_list_stream.h"

#include <cstring>

// The end of an item's text: its NUL, or null when the bytes end first.
static const uint8_t *TextEnd(const uint8_t *from, const uint8_t *end)
{
    return (const uint8_t *)std::memchr(from, 0, (size_t)(end - from));
}

// Walks to the list's ending NUL the way every reader of this stream always
// has: a flag byte (a NUL flag ends the list), one separator byte whatever it
// holds, the text up to its NUL. Returns the position after the ending NUL,
// or null when the bytes end first.
static const uint8_t *ListEnd(const uint8_t *p, const uint8_t *end)
{
    while (p < end) {
        if (*p++ == 0)
            return p;
        if (p == end)
            return nullptr;
        const uint8_t *nul = TextEnd(p + 1, end);
        if (!nul)
            return nullptr;
        p = nul + 1;
    }
    return nullptr;
}

int ReadCheckListStream(const uint8_t *bytes, size_t size, std::vector<CheckListEntry> *items,
                        size_t *consumed)
{
    const uint8_t *p = bytes, *end = bytes + size;
    int result = CHECK_LIST_STREAM_CUT;
    while (p < end) {
        uint8_t flag = *p;
        if (flag == 0) {
            ++p;
            result = CHECK_LIST_STREAM_WHOLE;
            break;
        }
        if ((flag != '0' && flag != '1') || end - p < 2 || p[1] != ',') {
            const uint8_t *after = ListEnd(p, end);
            if (after) {
                p = after;
                result = CHECK_LIST_STREAM_DAMAGED;
            } else {
                p = end;
            }
            break;
        }
        const uint8_t *text = p + 2;
        const uint8_t *nul = TextEnd(text, end);
        if (!nul) {
            p = end;
            break;
        }
        size_t length = (size_t)(nul - text);
        if (length > CHECK_LIST_TEXT_MAX)
            length = CHECK_LIST_TEXT_MAX;
        items->push_back(CheckListEntry{flag == '1', std::string((const char *)text, length)});
        p = nul + 1;
    }
    if (consumed)
        *consumed = (size_t)(p - bytes);
    return result;
}

int TakeCheckListBytes(FILE *file, std::string *bytes)
{
    bytes->clear();
    for (;;) {
        int flag = std::getc(file);
        if (flag == EOF)
            return CHECK_LIST_STREAM_CUT;
        bytes->push_back((char)flag);
        if (flag == 0)
            return CHECK_LIST_STREAM_WHOLE;
        int separator = std::getc(file);
        if (separator == EOF)
            return CHECK_LIST_STREAM_CUT;
        bytes->push_back((char)separator);
        size_t kept = 0;
        int c;
        while ((c = std::getc(file)) != EOF && c != 0) {
            if (kept++ < CHECK_LIST_TEXT_MAX)
                bytes->push_back((char)c);
        }
        if (c == EOF)
            return CHECK_LIST_STREAM_CUT;
        bytes->push_back(0);
    }
}

void AppendCheckListEntry(std::string *out, bool checked, const char *text, size_t length)
{
    if (length > CHECK_LIST_TEXT_MAX)
        length = CHECK_LIST_TEXT_MAX;
    const void *nul = length ? std::memchr(text, 0, length) : nullptr;
    if (nul)
        length = (size_t)((const char *)nul - text);
    out->push_back(checked ? '1' : '0');
    out->push_back(',');
    out->append(text, length);
    out->push_back(0);
}
