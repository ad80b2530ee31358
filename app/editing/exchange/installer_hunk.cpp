#include "installer_hunk.h"

#include <cctype>
#include <cstring>

#include "exchange_text.h"

void MakeInstallerKey(uint8_t key[ZETTLY_EXPORT_HEADER_BYTES])
{
    WriteExportHeader(key);
    for (int i = 0; i < ZETTLY_EXPORT_HEADER_BYTES; ++i)
        key[i] = (uint8_t)~key[i];
}

void AppendInstallerHunk(std::vector<uint8_t> *file, const ZettlyRecord *record, const char *text,
                         size_t textLength)
{
    uint8_t key[ZETTLY_EXPORT_HEADER_BYTES];
    MakeInstallerKey(key);
    file->insert(file->end(), key, key + sizeof key);
    ZettlyRecord copy = *record;
    copy.textLength = (int32_t)textLength;
    uint8_t packed[ZETTLY_RECORD_BYTES];
    PackZettlyRecord(&copy, packed);
    file->insert(file->end(), packed, packed + sizeof packed);
    if (text && textLength)
        file->insert(file->end(), (const uint8_t *)text, (const uint8_t *)text + textLength);
    file->push_back(0);
}

long FindInstallerKey(const uint8_t *file, size_t size)
{
    if (!file || size < ZETTLY_EXPORT_HEADER_BYTES)
        return -1;
    uint8_t key[ZETTLY_EXPORT_HEADER_BYTES];
    MakeInstallerKey(key);
    for (size_t at = size - ZETTLY_EXPORT_HEADER_BYTES + 1; at-- > 0;)
        if (file[at] == key[0] && std::memcmp(file + at, key, sizeof key) == 0)
            return (long)at;
    return -1;
}

std::vector<uint8_t> NoteBlockBehindKey(const uint8_t *file, size_t size, long keyOffset)
{
    std::vector<uint8_t> block(ZETTLY_EXPORT_HEADER_BYTES);
    WriteExportHeader(block.data());
    size_t behind = (size_t)keyOffset + ZETTLY_EXPORT_HEADER_BYTES;
    if (keyOffset >= 0 && behind <= size)
        block.insert(block.end(), file + behind, file + size);
    return block;
}

std::string NoteBlockAsText(const uint8_t *block, size_t size)
{
    std::string out;
    size_t textStart = ZETTLY_EXPORT_HEADER_BYTES + ZETTLY_RECORD_BYTES;
    if (!block || size < textStart)
        return out;
    char title[ZETTLY_TITLE_BYTES];
    std::memcpy(title, block + ZETTLY_EXPORT_HEADER_BYTES + 252, sizeof title);
    title[sizeof title - 1] = 0;
    AppendTitleHeading(&out, title);
    const uint8_t *text = block + textStart;
    const void *nul = std::memchr(text, 0, size - textStart);
    size_t length = nul ? (size_t)((const uint8_t *)nul - text) : size - textStart;
    out.append((const char *)text, length);
    return out;
}

bool PathNamesExportFile(const char *path)
{
    size_t length = path ? std::strlen(path) : 0;
    if (length < 4)
        return false;
    const char *end = path + length - 4;
    return end[0] == '.' && std::tolower((unsigned char)end[1]) == 'e' &&
           std::tolower((unsigned char)end[2]) == 'x' && std::tolower((unsigned char)end[3]) == 'p';
}
