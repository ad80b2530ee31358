#include "program_folder.h"

#include <cstring>

bool FolderOfPath(const char *path, char *out, size_t outSize)
{
    const char *cut = nullptr;
    for (const char *p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            cut = p;
    if (!cut)
        return false;
    size_t length = (size_t)(cut - path) + 1;
    if (length + 1 > outSize)
        return false;
    std::memcpy(out, path, length);
    out[length] = 0;
    return true;
}

bool GetProgramFolder(char *out, DWORD outSize)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A full buffer means the path was cut: better no folder than a wrong one.
    if (length == 0 || length >= sizeof path)
        return false;
    return FolderOfPath(path, out, outSize);
}
