// A command interpreter running inside a note: its output streams into the
// note's text and each line typed there goes to its input.
#pragma once
#include <windows.h>

#include <cstdint>

#include "sysmon/process_list.h"

// 0 on success, -3 when COMSPEC is not set, -2 on any other failure.
int ConsoleStart(int slot);
void ConsoleStop(int slot, int killTree);
// Writes the NUL-ended text to the interpreter's input.
void ConsoleWrite(int slot, const char *text);
// Writes the process tree into the note's text at the caret.
void ConsoleListProcesses(int slot);

// The thread that appends the interpreter's output to the note; parameter the slot.
DWORD WINAPI ConsoleReaderThread(LPVOID slot);

// Ends, deepest first, every process of the snapshot that descends from
// parentPid, leaving out any that started before notBefore (a FILETIME as
// one number): such a process names a parent whose identifier was reused.
// Each process is met at most once. Returns the number ended.
int KillProcessSubtree(const ProcessInfo *snapshot, int count, uint32_t parentPid,
                       uint64_t notBefore);
