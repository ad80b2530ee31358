// The processor and disk load counters of the performance data: one context
// per owner (the load meter, the process tree), opened once, queried once a
// second, closed at the end.
#pragma once
#include <windows.h>

#include "perf_data.h"

// A counter-name table: names by title index, in one allocation with the
// name lists they point into.
struct PerfNameTable {
    uint32_t top;
    const char **entries; // top + 1 of them
};

struct PerfCounterSlot {
    BYTE *data;          // reply buffer, kept and grown between queries
    DWORD dataCapacity;
    DWORD replySize;
    PerfNameTable *names; // null while closed or after a failed query
    char objectKey[80];
    const char *key;      // objectKey once the object was found, else null
    PerfCounterHistory history;
    int32_t loads[PERF_LOAD_CAPACITY];
};

struct PerfCounterContext {
    PerfCounterSlot cpu;
    PerfCounterSlot disk;
    int lastCpuCount; // of the last processor query, -1 before the first
};

// A zeroed context; null when out of memory. Freed with PerfDeleteContext
// after both counters are closed.
PerfCounterContext *PerfNewContext(void);
void PerfDeleteContext(PerfCounterContext *context);

// The names of the given language ("009"); null with the thread's last error set.
PerfNameTable *PerfLoadNameTable(const char *language, uint32_t *top);
void PerfFreeNameTable(PerfNameTable *table);
// Fills the slot's buffer with the object's data; 0 or an error code.
LONG PerfQueryObject(const char *objectKey, PerfCounterSlot *slot);

int PerfOpenCpuCounter(PerfCounterContext *context);
int PerfOpenDiskCounter(PerfCounterContext *context);
// Number of loads written into the slot's loads, or -1 (the counter failed).
int PerfQueryCpuLoad(PerfCounterContext *context);
int PerfQueryDiskLoad(PerfCounterContext *context);
void PerfCloseCpuCounter(PerfCounterContext *context);
void PerfCloseDiskCounter(PerfCounterContext *context);

// What the meter and the process tree do: a new context with both counters
// opened, each failure told in a box owned by the window; null when out of
// memory. Closed and freed again by CloseLoadCounters.
PerfCounterContext *OpenLoadCounters(HWND owner);
void CloseLoadCounters(PerfCounterContext *context);
