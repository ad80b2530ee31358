#include "sysmon_seams.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

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

// What tests put in place of the system: the performance data, the process
// list and the processor. Null parts stand for the system's own.
static struct {
    PerfValueReader perfValues;
    ProcessListReader processList;
    const CpuProbe *cpuProbe;
} Seams;

LONG ReadPerfValue(PerfSource source, const char *valueName, DWORD *type, BYTE *buffer,
                   DWORD *size)
{
    PerfValueReader reader = Seams.perfValues ? Seams.perfValues : ReadSystemPerfValue;
    return reader(source, valueName, type, buffer, size);
}

PerfValueReader SetPerfValueReader(PerfValueReader reader)
{
    PerfValueReader previous = Seams.perfValues ? Seams.perfValues : ReadSystemPerfValue;
    Seams.perfValues = reader;
    return previous;
}

static uint64_t FileTimeValue(const FILETIME &t)
{
    return (uint64_t)t.dwHighDateTime << 32 | t.dwLowDateTime;
}

// What the process tells of itself to anyone allowed to ask; a process that
// cannot be opened keeps zeros.
static void ReadProcessUse(SystemProcessRow *row)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, row->pid);
    if (!process)
        process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, row->pid);
    if (!process)
        return;
    FILETIME created, ended, kernel, user;
    if (GetProcessTimes(process, &created, &ended, &kernel, &user))
        row->processorTime = FileTimeValue(kernel) + FileTimeValue(user);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        row->workingSet = (uint32_t)(memory.WorkingSetSize > 0xFFFFFFFFu ? 0xFFFFFFFFu : memory.WorkingSetSize);
        row->pageFile = (uint32_t)(memory.PagefileUsage > 0xFFFFFFFFu ? 0xFFFFFFFFu : memory.PagefileUsage);
    }
    CloseHandle(process);
}

static int ReadToolhelpProcessList(SystemProcessRow *rows, int capacity)
{
    HANDLE list = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (list == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int n = 0;
    for (BOOL more = Process32First(list, &entry); more && n < capacity;
         more = Process32Next(list, &entry)) {
        SystemProcessRow &row = rows[n++];
        row = SystemProcessRow{};
        row.pid = entry.th32ProcessID;
        row.parentPid = entry.th32ProcessID ? (int32_t)entry.th32ParentProcessID : -1;
        entry.szExeFile[sizeof entry.szExeFile - 1] = 0;
        std::snprintf(row.name, sizeof row.name, "%s", entry.szExeFile);
        ReadProcessUse(&row);
    }
    CloseHandle(list);
    return n;
}

int ReadSystemProcessList(SystemProcessRow *rows, int capacity)
{
    ProcessListReader reader = Seams.processList ? Seams.processList : ReadToolhelpProcessList;
    return reader(rows, capacity);
}

ProcessListReader SetProcessListReader(ProcessListReader reader)
{
    ProcessListReader previous = Seams.processList ? Seams.processList : ReadToolhelpProcessList;
    Seams.processList = reader;
    return previous;
}

const CpuProbe &CurrentCpuProbe(void)
{
    return Seams.cpuProbe ? *Seams.cpuProbe : SystemCpuProbe();
}

void SetCpuProbe(const CpuProbe *probe)
{
    Seams.cpuProbe = probe;
}
