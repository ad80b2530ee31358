#include "registry_text.h"

#include <cstdlib>

// Values are ours, but any program may have written them; nothing sane is this long.
static const DWORD REGISTRY_STRING_LIMIT = 65536;

LONG ReadRegistryString(HKEY key, const char *name, char *out, DWORD outSize)
{
    if (!out || outSize == 0)
        return ERROR_INVALID_PARAMETER;
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
    if (result == ERROR_SUCCESS) {
        DWORD n = 0;
        while (n < got && n < size && n + 1 < outSize && buffer[n])
            ++n;
        for (DWORD k = 0; k < n; ++k)
            out[k] = buffer[k];
        out[n] = 0;
    }
    std::free(buffer);
    return result;
}
