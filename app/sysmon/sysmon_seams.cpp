#include "sysmon_seams.h"

#define PERFLIB_KEY "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib"

static LONG ReadSystemPerfValue(PerfSource source, const char *valueName, DWORD *type,
                                BYTE *buffer, DWORD *size)
{
    if (source == PERF_SOURCE_DATA) {
        return RegQueryValueExA(HKEY_PERFORMANCE_DATA, valueName, nullptr, type, buffer, size);
    }
    HKEY key;
    const char *path = source == PERF_SOURCE_PERFLIB ? PERFLIB_KEY : PERFLIB_KEY "\\009";
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS)
        return result;
    result = RegQueryValueExA(key, valueName, nullptr, type, buffer, size);
    RegCloseKey(key);
    return result;
}

static PerfValueReader CurrentReader = ReadSystemPerfValue;

LONG ReadPerfValue(PerfSource source, const char *valueName, DWORD *type, BYTE *buffer,
                   DWORD *size)
{
    return CurrentReader(source, valueName, type, buffer, size);
}

PerfValueReader SetPerfValueReader(PerfValueReader reader)
{
    PerfValueReader previous = CurrentReader;
    CurrentReader = reader ? reader : ReadSystemPerfValue;
    return previous;
}

static const CpuProbe *TestProbe;

const CpuProbe &CurrentCpuProbe(void)
{
    return TestProbe ? *TestProbe : SystemCpuProbe();
}

void SetCpuProbe(const CpuProbe *probe)
{
    TestProbe = probe;
}
