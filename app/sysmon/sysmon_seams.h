// What the system monitor reads of the machine, replaceable by tests: the
// performance-data values with their counter names, and the CPUID instruction.
#pragma once
#include <windows.h>

#include "cpu_identify.h"
#include "process_list.h"

enum PerfSource {
    PERF_SOURCE_DATA,             // HKEY_PERFORMANCE_DATA
    PERF_SOURCE_PERFLIB,          // HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Perflib"
    PERF_SOURCE_PERFLIB_LANGUAGE, // its sub-key "009"
};

// Reads one value as RegQueryValueEx does (a null buffer asks for the size;
// ERROR_MORE_DATA when the buffer is too small).
typedef LONG (*PerfValueReader)(PerfSource source, const char *valueName, DWORD *type,
                                BYTE *buffer, DWORD *size);

LONG ReadPerfValue(PerfSource source, const char *valueName, DWORD *type, BYTE *buffer,
                   DWORD *size);
// Null restores the system's own; returns the previous reader.
PerfValueReader SetPerfValueReader(PerfValueReader reader);

// The system's own process list (where performance data lists no process):
// fills at most capacity rows and returns their number, or -1 on failure.
typedef int (*ProcessListReader)(SystemProcessRow *rows, int capacity);
int ReadSystemProcessList(SystemProcessRow *rows, int capacity);
// Null restores the system's own; returns the previous reader.
ProcessListReader SetProcessListReader(ProcessListReader reader);

// The probe identification runs with: the processor's own unless a test set one.
const CpuProbe &CurrentCpuProbe(void);
// Null restores the processor's own.
void SetCpuProbe(const CpuProbe *probe);
// The processor's own probe (CPUID, an SSE instruction, the clock measurement).
const CpuProbe &SystemCpuProbe(void);
