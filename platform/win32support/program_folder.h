// Where the running program lives: the syntax file and the spell check's
// dictionaries are read from beside it.
#pragma once
#include <windows.h>

#include <cstddef>

// Cuts a full path after its last backslash (or slash) into out; false when
// there is none or it does not fit.
bool FolderOfPath(const char *path, char *out, size_t outSize);

// The folder of the running program with a trailing backslash; false on failure.
bool GetProgramFolder(char *out, DWORD outSize);
