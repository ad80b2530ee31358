// The modal "Windows Process Tree" dialog: the processes grouped by parent,
// a text dump, refreshing, killing one process or a subtree, a load graph and
// the way to the processor identifier.
#pragma once
#include <windows.h>

#include "core/sysmon_features.h"
#include "process_list.h"

// What one opening hands the next: the last snapshot (for processor use) and
// the refresh settings.
struct ProcessTreeMemory {
    ProcessInfo list[PROCESS_SNAPSHOT_CAPACITY];
    int count;
    int autoRefresh;
    int refreshPeriod; // seconds, 1 to 10
};

// The dialog parameter is the ProcessTreeMemory it works on.
INT_PTR CALLBACK ProcessTreeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// read 1 takes a new snapshot into the list (a message box tells of a
// failure); read 0 rebuilds the tree's items from the list. 0 or -1.
int RefreshProcessTree(ProcessTreeMemory *memory, HWND tree, int read);
// Appends the text dump of a fresh snapshot to the edit control.
void DumpProcessList(HWND edit);

// Orders a snapshot for showing after finding each process's main window.
int PlaceProcessesForShowing(ProcessInfo *records, int count, PlacedProcess *lines, int capacity);

// Puts a test's snapshot into the dialog's list (count records).
void SetProcessTreeList(const ProcessInfo *records, int count);
