#include "registry_text.h"

#include <cstdlib>

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
