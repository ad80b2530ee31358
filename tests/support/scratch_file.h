// A scratch file for tests, deleted when closed. On Windows the C library's
// tmpfile() names its files by a counter that starts alike in every process:
// test programs running side by side take each other's names and get none.
#pragma once
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

inline FILE *OpenScratchFile()
{
#ifdef _WIN32
    char folder[MAX_PATH], path[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, "zt", 0, path))
        return nullptr;
    return std::fopen(path, "w+bD");
#else
    return std::tmpfile();
#endif
}
