// The data folder of the run: where the notes files live, and where a sound
// or file named by a relative path is found. Start-up makes it the current
// folder; it is taken from there when first asked for and kept for the whole
// run, whatever the process's current folder becomes: that folder is shared
// with every thread and may change.
#pragma once
#include <windows.h>

#include <cstddef>

// The data folder, taken from the current folder at the first call. Null when
// the current folder cannot be read.
const char *DataFolder(void);
// Lets the data folder go: the next call takes the current folder again.
void ForgetDataFolder(void);
// A file of the data folder by its full path (a full path stays as it is). 0 / -1.
int DataFolderPath(const char *name, char *out, size_t outSize);
// Plays a sound file of the settings through the sound seam: a relative path
// names a file of the data folder.
BOOL PlayDataFolderSound(const char *path, DWORD flags);
