#include "process_snapshot.h"

#include <cstring>

#include "sysmon_seams.h"

enum {
    FIRST_REPLY_BYTES = 51200,
    REPLY_GROWTH_BYTES = 25600,
    LARGEST_REPLY_BYTES = 64 << 20,
    LARGEST_NAME_LIST_BYTES = 16 << 20,
};

static void *Allocate(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

static void Free(void *p)
{
    if (p)
        HeapFree(GetProcessHeap(), 0, p);
}

static int WideToAnsi(const uint16_t *text, size_t count, char *out, size_t outSize)
{
    if (count == 0) {
        out[0] = 0;
        return 0;
    }
    int n = WideCharToMultiByte(CP_ACP, 0, (const wchar_t *)text, (int)count, out,
                                (int)outSize - 1, nullptr, nullptr);
    if (n <= 0)
        return -1;
    out[n] = 0;
    return 0;
}

// The parent as the process itself records it.
struct BasicProcessInformation {
    LONG_PTR exitStatus;
    void *environmentBlock;
    ULONG_PTR affinityMask;
    LONG_PTR basePriority;
    ULONG_PTR processId;
    ULONG_PTR parentProcessId;
};
typedef LONG(WINAPI *QueryInformationProcessFunction)(HANDLE, int, void *, ULONG, ULONG *);

static int32_t ParentOfProcess(uint32_t pid, void *context)
{
    auto query = (QueryInformationProcessFunction)context;
    if (!query)
        return -1;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process)
        return -1;
    BasicProcessInformation info = {};
    LONG status = query(process, 0, &info, sizeof info, nullptr);
    CloseHandle(process);
    return status >= 0 ? (int32_t)info.parentProcessId : -1;
}

// "Counters" is the name the system's process lists have always asked for;
// systems that keep only "Counter" get that.
static char *ReadCounterNames(DWORD *size)
{
    static const char *const names[] = {"Counters", "Counter"};
    for (const char *name : names) {
        DWORD type, needed = 0;
        if (ReadPerfValue(PERF_SOURCE_PERFLIB_LANGUAGE, name, &type, nullptr, &needed) !=
                ERROR_SUCCESS ||
            needed == 0 || needed > LARGEST_NAME_LIST_BYTES)
            continue;
        char *list = (char *)Allocate(needed + 2);
        if (!list)
            return nullptr;
        *size = needed;
        if (ReadPerfValue(PERF_SOURCE_PERFLIB_LANGUAGE, name, &type, (BYTE *)list, size) ==
                ERROR_SUCCESS &&
            *size <= needed)
            return list;
        Free(list);
    }
    return nullptr;
}

static BYTE *QueryProcessObject(const char *objectKey, DWORD *size)
{
    DWORD capacity = FIRST_REPLY_BYTES;
    for (;;) {
        BYTE *reply = (BYTE *)Allocate(capacity);
        if (!reply)
            return nullptr;
        *size = capacity;
        DWORD type;
        LONG result = ReadPerfValue(PERF_SOURCE_DATA, objectKey, &type, reply, size);
        if (result == ERROR_SUCCESS && *size > 0 && *size <= capacity)
            return reply;
        Free(reply);
        if (result != ERROR_MORE_DATA)
            return nullptr;
        // The size left behind is the system's guess, not a promise: grow past it.
        DWORD next = (*size > capacity ? *size : capacity) + REPLY_GROWTH_BYTES;
        if (next > LARGEST_REPLY_BYTES)
            return nullptr;
        capacity = next;
    }
}

// The processes as the performance data lists them; 0 when it lists none.
static int ReadPerformanceSnapshot(ProcessInfo *records, int capacity, const ProcessInfo *previous,
                                   int previousCount)
{
    DWORD listSize = 0;
    char *list = ReadCounterNames(&listSize);
    if (!list)
        return 0;
    ProcessCounterIndexes indexes;
    int found = FindProcessCounterIndexes(list, listSize, &indexes);
    Free(list);
    if (found != 0)
        return 0;
    DWORD replySize = 0;
    BYTE *reply = QueryProcessObject(indexes.objectKey, &replySize);
    RegCloseKey(HKEY_PERFORMANCE_DATA);
    if (!reply)
        return 0;
    HMODULE ntdll = GetModuleHandleA("ntdll");
    ProcessReadHooks hooks = {
        WideToAnsi, ParentOfProcess,
        ntdll ? (void *)GetProcAddress(ntdll, "NtQueryInformationProcess") : nullptr};
    int n = ReadProcessBlock(reply, replySize, indexes, hooks, previous, previousCount, records,
                             capacity);
    Free(reply);
    return n > 0 ? n : 0;
}

int ReadSystemProcessSnapshot(ProcessInfo *records, int capacity, const ProcessInfo *previous,
                              int previousCount)
{
    if (capacity < 2)
        return 0;
    auto *rows = (SystemProcessRow *)Allocate(sizeof(SystemProcessRow) * capacity);
    if (!rows)
        return 0;
    int count = ReadSystemProcessList(rows, capacity);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    int n = count > 0 ? FillProcessRecords(rows, count, (uint64_t)now.dwHighDateTime << 32 | now.dwLowDateTime,
                                           previous, previousCount, records, capacity)
                      : 0;
    Free(rows);
    return n;
}

int ReadProcessSnapshot(ProcessInfo *records, int capacity, int previousCount)
{
    if (capacity < 2)
        return 0;
    if (previousCount > capacity)
        previousCount = capacity;
    if (previousCount < 0)
        previousCount = 0;
    ProcessInfo *previous = (ProcessInfo *)Allocate(sizeof(ProcessInfo) * (previousCount + 1));
    if (!previous)
        return 0;
    std::memcpy(previous, records, sizeof(ProcessInfo) * previousCount);
    int n = ReadPerformanceSnapshot(records, capacity, previous, previousCount);
    // Performance data may list no process at all (Wine serves none); the
    // system's process list still names them, their parents and their use.
    if (n <= 0)
        n = ReadSystemProcessSnapshot(records, capacity, previous, previousCount);
    Free(previous);
    return n;
}

BOOL CALLBACK ProcessWindowEnumProc(HWND window, LPARAM parameter)
{
    auto *search = (ProcessWindowSearch *)parameter;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    for (int i = 0; i < search->count; ++i) {
        ProcessInfo &p = search->records[i];
        if (p.pid != pid)
            continue;
        if (!p.mainWindow) {
            p.mainWindow = window;
            char title[sizeof p.title];
            if (GetWindowTextA(window, title, sizeof title) > 0) {
                title[sizeof title - 1] = 0;
                std::memcpy(p.title, title, sizeof title);
            }
        }
        break;
    }
    return TRUE;
}

bool MayKillProcess(DWORD pid)
{
    return pid != 0 && pid != GetCurrentProcessId();
}

bool TerminateProcessById(DWORD pid)
{
    if (!MayKillProcess(pid))
        return false;
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
    if (!process)
        return false;
    bool ended = TerminateProcess(process, 1) != 0;
    CloseHandle(process);
    return ended;
}

int KillProcessTree(const ProcessInfo *records, int count, DWORD pid)
{
    uint32_t order[PROCESS_SNAPSHOT_CAPACITY];
    int n = CollectProcessSubtree(records, count, pid, order, PROCESS_SNAPSHOT_CAPACITY);
    int ended = 0;
    for (int i = 0; i < n; ++i)
        if (TerminateProcessById(order[i]))
            ++ended;
    return ended;
}

bool EnableDebugPrivilege(bool enable)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    bool done = LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid) &&
                AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return done;
}
