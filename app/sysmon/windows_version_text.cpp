#include "windows_version_text.h"

#include <cstdio>
#include <cstring>

#include "perf_data.h"

#define WINDOWS_NAME "Microsoft\xAE Windows\x99 "

static void Append(char *out, size_t outSize, const char *text)
{
    size_t used = std::strlen(out);
    if (used + 1 < outSize)
        std::snprintf(out + used, outSize - used, "%s", text);
}

static void FormatNt(const WindowsVersionRecord &v, const char *productType, bool wow64,
                     char *out, size_t outSize)
{
    bool xp = v.major == 5 && v.minor == 1;
    if (v.major < 5)
        Append(out, outSize, WINDOWS_NAME "NT ");
    else if (v.major == 5 && v.minor == 0)
        Append(out, outSize, WINDOWS_NAME "2000 ");
    else if (xp)
        Append(out, outSize, WINDOWS_NAME "XP ");
    if (productType) {
        if (PerfEqualNoCase(productType, "WINNT"))
            Append(out, outSize, "Professional ");
        else if (PerfEqualNoCase(productType, "LANMANNT"))
            Append(out, outSize, xp ? "Standard Server " : "Server ");
        else if (PerfEqualNoCase(productType, "SERVERNT"))
            Append(out, outSize, xp ? "Enterprise Server " : "Advanced Server ");
    }
    char sofar[256];
    std::snprintf(sofar, sizeof sofar, "%s", out);
    if (v.major < 5)
        std::snprintf(out, outSize, "%sversion %u.%u %s (Build %u)", sofar, v.major, v.minor,
                      v.servicePack, v.build & 0xFFFF);
    else if (xp)
        Append(out, outSize, wow64 ? "64-Bit " : "32-Bit ");
    else
        std::snprintf(out, outSize, "%s%s(Build %u)", sofar, v.servicePack, v.build);
}

void FormatWindowsVersionName(const WindowsVersionRecord &v, const char *productType, bool wow64,
                              char *out, size_t outSize)
{
    if (!outSize)
        return;
    out[0] = 0;
    char servicePackLetter = v.servicePack[0] ? v.servicePack[1] : 0;
    if (v.platform == WINDOWS_PLATFORM_NT) {
        FormatNt(v, productType, wow64, out, outSize);
    } else if (v.platform == WINDOWS_PLATFORM_9X && v.major == 4 && v.minor == 0) {
        Append(out, outSize, WINDOWS_NAME "95 ");
        if (servicePackLetter == 'C')
            Append(out, outSize, "OSR 2.5 ");
        else if (servicePackLetter == 'B')
            Append(out, outSize, "OSR 2 ");
    } else if (v.platform == WINDOWS_PLATFORM_9X && v.major == 4 && v.minor == 10) {
        Append(out, outSize, WINDOWS_NAME "98 ");
        if (servicePackLetter == 'A')
            Append(out, outSize, "SE ");
    } else if (v.platform == WINDOWS_PLATFORM_9X && v.major == 4 && v.minor == 90) {
        Append(out, outSize, WINDOWS_NAME "Me ");
    } else if (v.platform == WINDOWS_PLATFORM_WIN32S) {
        Append(out, outSize, "Microsoft\xAE Win32s ");
    } else {
        Append(out, outSize, "Unknown Windows ");
    }
}
