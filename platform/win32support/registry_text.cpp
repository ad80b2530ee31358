#include "registry_text.h"

#include <cstdlib>

#include "ui_seams.h"

// Values are ours, but any program may have written them; nothing sane is this long.
static const DWORD REGISTRY_STRING_LIMIT = 65536;

static LONG QueryText(HKEY key, const char *name, char *out, DWORD outSize, RegistryTextFit fit)
{
    DWORD type = 0, size = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    if (size > REGISTRY_STRING_LIMIT)
        size = REGISTRY_STRING_LIMIT;
    // One spare byte: the stored text need not carry its terminator.
    char *buffer = (char *)std::calloc(1, (size_t)size + 1);
    if (!buffer)
        return ERROR_NOT_ENOUGH_MEMORY;
    DWORD got = size;
    result = RegQueryValueExA(key, name, nullptr, &type, (BYTE *)buffer, &got);
    if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
        result = ERROR_INVALID_DATA; // rewritten between the two queries
    if (result == ERROR_SUCCESS) {
        if (got > size)
            got = size;
        DWORD n = 0;
        while (n < got && n + 1 < outSize && buffer[n])
            ++n;
        if (fit == REGISTRY_TEXT_WHOLE && n < got && buffer[n]) {
            result = ERROR_MORE_DATA;
        } else {
            for (DWORD k = 0; k < n; ++k)
                out[k] = buffer[k];
            out[n] = 0;
        }
    }
    std::free(buffer);
    return result;
}

LONG ReadRegistryString(HKEY key, const char *name, char *out, DWORD outSize, RegistryTextFit fit)
{
    if (!out || outSize == 0)
        return ERROR_INVALID_PARAMETER;
    out[0] = 0;
    LONG result = QueryText(key, name, out, outSize, fit);
    if (result != ERROR_SUCCESS)
        out[0] = 0;
    return result;
}

LONG WriteRegistryString(HKEY key, const char *name, const char *text, size_t textLimit,
                         RegistryTextEnd end)
{
    if (!text || textLimit == 0)
        return ERROR_INVALID_PARAMETER;
    size_t length = 0;
    while (length + 1 < textLimit && text[length])
        ++length;
    if (length >= REGISTRY_STRING_LIMIT)
        return ERROR_INVALID_PARAMETER;
    // A text cut at textLimit has no terminator of its own to store.
    if (end == REGISTRY_TEXT_WITH_NUL && text[length]) {
        char *copy = (char *)std::calloc(1, length + 1);
        if (!copy)
            return ERROR_NOT_ENOUGH_MEMORY;
        for (size_t k = 0; k < length; ++k)
            copy[k] = text[k];
        LONG result = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)copy, (DWORD)length + 1);
        std::free(copy);
        return result;
    }
    DWORD bytes = (DWORD)length + (end == REGISTRY_TEXT_WITH_NUL ? 1 : 0);
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, bytes);
}

HKEY CreateSettingsKey(const char *subKey, bool tellUser)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(ZtRegistryRoot(), subKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS)
        return key;
    if (tellUser)
        ZtMessageBox(nullptr, REGISTRY_ERROR_TEXT, REGISTRY_ERROR_CAPTION, MB_ICONSTOP);
    return nullptr;
}
