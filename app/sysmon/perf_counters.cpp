#include "perf_counters.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <winperf.h>

#include "core/ui_seams.h"
#include "sysmon_seams.h"

// The walk in perf_data.cpp reads the system's layout by offset.
static_assert(sizeof(PERF_DATA_BLOCK) == PERF_BLOCK_HEADER_BYTES, "block header");
static_assert(offsetof(PERF_DATA_BLOCK, HeaderLength) == 24, "block header length");
static_assert(offsetof(PERF_DATA_BLOCK, NumObjectTypes) == 28, "block object count");
static_assert(offsetof(PERF_DATA_BLOCK, PerfTime100nSec) == 72, "block time");
static_assert(sizeof(PERF_OBJECT_TYPE) == PERF_OBJECT_HEADER_BYTES, "object header");
static_assert(offsetof(PERF_OBJECT_TYPE, NumCounters) == 32, "object counters");
static_assert(offsetof(PERF_OBJECT_TYPE, NumInstances) == 40, "object instances");
static_assert(sizeof(PERF_COUNTER_DEFINITION) == PERF_COUNTER_DEFINITION_BYTES, "definition");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterOffset) == 36, "counter offset");
static_assert(sizeof(PERF_INSTANCE_DEFINITION) == PERF_INSTANCE_HEADER_BYTES, "instance");
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameLength) == 20, "instance name");

enum {
    FIRST_REPLY_BYTES = 40960,
    REPLY_GROWTH_BYTES = 4096,
    LARGEST_REPLY_BYTES = 64 << 20,
    LARGEST_TITLE_INDEX = 1 << 20,
};

#define CPU_QUERY_ERROR "ERROR: Unable to obtain data for System//% Total Processor Time counter"
#define DISK_QUERY_ERROR "ERROR: Unable to obtain data for Disk Transfer System Stats"
#define QUERY_ERROR_CAPTION "Query Counter ERROR"

PerfCounterContext *PerfNewContext(void)
{
    auto *context = (PerfCounterContext *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                    sizeof(PerfCounterContext));
    if (context)
        context->lastCpuCount = -1;
    return context;
}

void PerfDeleteContext(PerfCounterContext *context)
{
    if (context)
        HeapFree(GetProcessHeap(), 0, context);
}

static LONG ReadTopIndex(const char *name, DWORD *value)
{
    DWORD type = 0, size = sizeof *value;
    LONG result = ReadPerfValue(PERF_SOURCE_PERFLIB, name, &type, (BYTE *)value, &size);
    if (result == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof *value))
        return ERROR_BAD_ARGUMENTS;
    return result;
}

PerfNameTable *PerfLoadNameTable(const char *language, uint32_t *top)
{
    DWORD lastHelp = 0, lastCounter = 0;
    LONG result = ReadTopIndex("Last Help", &lastHelp);
    if (result == ERROR_SUCCESS)
        result = ReadTopIndex("Last Counter", &lastCounter);
    DWORD highest = lastHelp > lastCounter ? lastHelp : lastCounter;
    if (result == ERROR_SUCCESS && highest > LARGEST_TITLE_INDEX)
        result = ERROR_BAD_ARGUMENTS;
    char counterName[32], explainName[32];
    std::snprintf(counterName, sizeof counterName, "Counter %s", language);
    std::snprintf(explainName, sizeof explainName, "Explain %s", language);
    DWORD counterSize = 0, explainSize = 0, type;
    if (result == ERROR_SUCCESS)
        result = ReadPerfValue(PERF_SOURCE_DATA, counterName, &type, nullptr, &counterSize);
    if (result == ERROR_SUCCESS)
        result = ReadPerfValue(PERF_SOURCE_DATA, explainName, &type, nullptr, &explainSize);
    if (result != ERROR_SUCCESS) {
        RegCloseKey(HKEY_PERFORMANCE_DATA);
        SetLastError((DWORD)result);
        return nullptr;
    }
    size_t pointers = sizeof(PerfNameTable) + (size_t)(highest + 1) * sizeof(const char *);
    size_t total = pointers + counterSize + explainSize + 2;
    auto *table = (PerfNameTable *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, total);
    if (!table) {
        RegCloseKey(HKEY_PERFORMANCE_DATA);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    table->top = highest;
    table->entries = (const char **)(table + 1);
    BYTE *counters = (BYTE *)table + pointers;
    BYTE *explains = counters + counterSize + 1;
    result = ReadPerfValue(PERF_SOURCE_DATA, counterName, &type, counters, &counterSize);
    if (result == ERROR_SUCCESS)
        result = ReadPerfValue(PERF_SOURCE_DATA, explainName, &type, explains, &explainSize);
    RegCloseKey(HKEY_PERFORMANCE_DATA);
    if (result != ERROR_SUCCESS) {
        PerfFreeNameTable(table);
        SetLastError((DWORD)result);
        return nullptr;
    }
    if (ParsePerfNameList((const char *)counters, counterSize, table->entries, highest) != 0 ||
        ParsePerfNameList((const char *)explains, explainSize, table->entries, highest) != 0) {
        PerfFreeNameTable(table);
        return nullptr;
    }
    if (top)
        *top = highest;
    return table;
}

void PerfFreeNameTable(PerfNameTable *table)
{
    if (table)
        HeapFree(GetProcessHeap(), 0, table);
}

LONG PerfQueryObject(const char *objectKey, PerfCounterSlot *slot)
{
    if (!slot->data) {
        slot->data = (BYTE *)HeapAlloc(GetProcessHeap(), 0, FIRST_REPLY_BYTES);
        if (!slot->data)
            return ERROR_NOT_ENOUGH_MEMORY;
        slot->dataCapacity = FIRST_REPLY_BYTES;
    }
    for (;;) {
        DWORD size = slot->dataCapacity, type;
        LONG result = ReadPerfValue(PERF_SOURCE_DATA, objectKey, &type, slot->data, &size);
        if (result == ERROR_MORE_DATA) {
            DWORD grown = slot->dataCapacity + REPLY_GROWTH_BYTES;
            HeapFree(GetProcessHeap(), 0, slot->data);
            slot->data = grown <= LARGEST_REPLY_BYTES
                             ? (BYTE *)HeapAlloc(GetProcessHeap(), 0, grown) : nullptr;
            slot->dataCapacity = slot->data ? grown : 0;
            if (!slot->data)
                return ERROR_NOT_ENOUGH_MEMORY;
            continue;
        }
        if (result != ERROR_SUCCESS)
            return result;
        slot->replySize = size <= slot->dataCapacity ? size : 0;
        return PerfCheckBlock(slot->data, slot->replySize) == 0 ? ERROR_SUCCESS
                                                                : ERROR_INVALID_DATA;
    }
}

static int OpenCounter(PerfCounterSlot *slot, const char *objectName)
{
    if (!slot->names) {
        slot->names = PerfLoadNameTable("009", nullptr);
        if (!slot->names)
            return 0;
    }
    for (uint32_t i = 0; i <= slot->names->top; ++i) {
        if (PerfEqualNoCase(slot->names->entries[i], objectName)) {
            std::snprintf(slot->objectKey, sizeof slot->objectKey, "%u", i);
            slot->key = slot->objectKey;
            return 1;
        }
    }
    return 0;
}

int PerfOpenCpuCounter(PerfCounterContext *context)
{
    return context ? OpenCounter(&context->cpu, "Processor") : 0;
}

int PerfOpenDiskCounter(PerfCounterContext *context)
{
    return context ? OpenCounter(&context->disk, "PhysicalDisk") : 0;
}

static int QueryLoads(PerfCounterSlot *slot, const char *objectName, const char *counterName,
                      const char *failure)
{
    if (!slot->names)
        return -1;
    if (PerfQueryObject(slot->key, slot) != ERROR_SUCCESS) {
        // Failed before the box shows: the box's own message loop lets the
        // next tick through, and that tick must find the counter closed.
        PerfFreeNameTable(slot->names);
        slot->names = nullptr;
        slot->key = nullptr;
        ZtMessageBox(nullptr, failure, QUERY_ERROR_CAPTION, MB_ICONSTOP);
        return -1;
    }
    PerfNames names = {slot->names->entries, slot->names->top};
    return PerfReadInstanceLoads(slot->data, slot->replySize, names, objectName, counterName,
                                 &slot->history, slot->loads, PERF_LOAD_CAPACITY);
}

int PerfQueryCpuLoad(PerfCounterContext *context)
{
    if (!context)
        return -1;
    context->lastCpuCount =
        QueryLoads(&context->cpu, "Processor", "% Processor Time", CPU_QUERY_ERROR);
    return context->lastCpuCount;
}

int PerfQueryDiskLoad(PerfCounterContext *context)
{
    if (!context)
        return -1;
    return QueryLoads(&context->disk, "PhysicalDisk", "% Disk Time", DISK_QUERY_ERROR);
}

static void CloseCounter(PerfCounterSlot *slot)
{
    if (slot->data)
        HeapFree(GetProcessHeap(), 0, slot->data);
    PerfFreeNameTable(slot->names);
    slot->data = nullptr;
    slot->dataCapacity = slot->replySize = 0;
    slot->names = nullptr;
    slot->key = nullptr;
}

void PerfCloseCpuCounter(PerfCounterContext *context)
{
    if (context)
        CloseCounter(&context->cpu);
}

void PerfCloseDiskCounter(PerfCounterContext *context)
{
    if (context)
        CloseCounter(&context->disk);
}

PerfCounterContext *OpenLoadCounters(HWND owner)
{
    PerfCounterContext *context = PerfNewContext();
    if (!context)
        return nullptr;
    if (!PerfOpenCpuCounter(context))
        ZtMessageBox(owner, "Unable to obtain NT CPU counter info", "CPU Counter Error",
                     MB_ICONINFORMATION);
    if (!PerfOpenDiskCounter(context))
        ZtMessageBox(owner, "Unable to obtain NT Disk counter info", "Disk Counter Error",
                     MB_ICONINFORMATION);
    return context;
}

void CloseLoadCounters(PerfCounterContext *context)
{
    PerfCloseCpuCounter(context);
    PerfCloseDiskCounter(context);
    PerfDeleteContext(context);
}
