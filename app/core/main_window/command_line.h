// Reading the program's command line.
#pragma once
#include <cstddef>

// True when "-multinstances" stands anywhere in the command line.
bool AsksForMultipleInstances(const char *commandLine);
// True when the command line holds anything but blanks.
bool CommandLineNamesSomething(const char *commandLine);
