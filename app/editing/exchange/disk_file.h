// Opening a file from outside (a path poked by another program, named on a
// command line, chosen or dropped) only when it is a file on a disk.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Reads the whole of a regular disk file of at most limit bytes: 0, -1 when
// it cannot be opened or is no disk file (a device, a pipe, a file of the
// host's /dev, /proc or /sys, whose size says nothing of what it holds), or
// DISK_FILE_TOO_LARGE.
enum { DISK_FILE_TOO_LARGE = -2 };
int ReadDiskFile(const char *path, int64_t limit, std::vector<uint8_t> *bytes);
