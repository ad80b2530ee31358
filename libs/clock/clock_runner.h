// What clock.dll exports. The main program links it by import.
#pragma once
#include <windows.h>

#include <cstdint>

#ifdef __cplusplus
extern "C" {
#endif

// Creates and shows the clock window on the calling thread; its handle, or
// null. The argument is not used. Close the clock with DestroyWindow.
HWND WINAPI ClockRunner(HWND unused);

// For test programs only: where the settings key lives (null: the current
// user's), and a fixed moment to show (null: the system clock).
void WINAPI ClockTestSetRegistryRoot(HKEY root);
void WINAPI ClockTestSetTime(void (*source)(SYSTEMTIME *local, int64_t *universal));

#ifdef __cplusplus
}
#endif
