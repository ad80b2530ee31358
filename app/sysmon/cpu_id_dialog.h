// The processor identifier: dialog 101 with the processor's identity, the
// Windows version and one tree branch per processor, each filled by a thread
// bound to that processor.
#pragma once
#include <windows.h>

INT_PTR CALLBACK CpuIdDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs dialog 101 modally; returns its result.
INT_PTR RunCpuIdDialog(HWND owner);
// Starts one interrogation thread per processor; false when it could not start any.
bool StartCpuInterrogationThreads(HWND dialog);
DWORD WINAPI CpuInterrogationThread(void *parameter);
// The running Windows version as a line of text (empty when it cannot be read).
void GetWindowsVersionName(char *out, size_t outSize);
// The processor's clock in MHz, measured over 50 ms; 0 without a counter.
unsigned MeasureCpuClockSpeed(void);
