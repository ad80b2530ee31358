// Reading the program's command line and its own path.
#pragma once
#include <cstddef>

// True when "-multinstances" stands anywhere in the command line.
bool AsksForMultipleInstances(const char *commandLine);
// True when the command line holds anything but blanks.
bool CommandLineNamesSomething(const char *commandLine);
// Cuts a full path after its last backslash (or slash) into out; false when
// there is none or it does not fit.
bool FolderOfPath(const char *path, char *out, size_t outSize);
