// The rich-edit stream callbacks: to a file for the export, and to and from
// memory blocks for the notes files.
#pragma once
#include <windows.h>

#include <cstdio>

struct MemoryReader {
    const char *block;
    DWORD size;
    DWORD position;
};

struct MemoryWriter {
    char *block; // grown by the callback; the caller frees it
    DWORD capacity;
    DWORD used;
};

DWORD CALLBACK StreamOutToFile(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *written);
DWORD CALLBACK StreamInFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *read);
DWORD CALLBACK StreamOutToMemory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *written);
