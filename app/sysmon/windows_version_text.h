// The line that names the running Windows version in the processor
// identifier. No windows.h: the caller reads the version record.
#pragma once
#include <cstddef>
#include <cstdint>

enum {
    WINDOWS_PLATFORM_WIN32S = 0,
    WINDOWS_PLATFORM_9X = 1,
    WINDOWS_PLATFORM_NT = 2,
};

struct WindowsVersionRecord {
    uint32_t major, minor, build, platform;
    char servicePack[128];
};

// productType is the "ProductType" registry text (null when unread); wow64 is
// true for a 32-bit program on a 64-bit system.
void FormatWindowsVersionName(const WindowsVersionRecord &v, const char *productType, bool wow64,
                              char *out, size_t outSize);
