// Reading the running processes from the performance data or the system's
// process list, finding their main windows, and ending processes.
#pragma once
#include <windows.h>

#include "process_list.h"

// Fills records (at most capacity - 1); the records already there, previousCount
// of them, are the snapshot before, against which processor use is measured.
// The performance data is read first, the system's process list where that
// lists nothing. Returns the number filled, 0 on failure.
int ReadProcessSnapshot(ProcessInfo *records, int capacity, int previousCount = 0);
// The same from the system's process list alone, measured against previous.
int ReadSystemProcessSnapshot(ProcessInfo *records, int capacity,
                              const ProcessInfo *previous = nullptr, int previousCount = 0);

struct ProcessWindowSearch {
    ProcessInfo *records;
    int count;
};
// EnumWindows callback over a ProcessWindowSearch: the first top-level window
// of each process and its title.
BOOL CALLBACK ProcessWindowEnumProc(HWND window, LPARAM parameter);

// Ends pid's subtree, children first. The idle process and this program are
// never ended. Returns the number of processes ended.
int KillProcessTree(const ProcessInfo *records, int count, DWORD pid);
// Ends one process, opened for nothing but that; false when it could not be.
bool TerminateProcessById(DWORD pid);
// Whether a process may be ended from the tree at all.
bool MayKillProcess(DWORD pid);

// Turns the debug privilege on for the rest of a kill and off again.
bool EnableDebugPrivilege(bool enable);
