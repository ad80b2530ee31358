// The clock library's entry points.
#include "clock_runner.h"
#include "clock_seam.h"
#include "module_instance.h"
#include "clock_window.h"
#include "ui_seams.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    SetModuleInstance(instance);
    return TRUE;
}

extern "C" HWND WINAPI ClockRunner(HWND unused)
{
    return CreateClockWindow();
}

extern "C" void WINAPI ClockTestSetRegistryRoot(HKEY root)
{
    SetRegistryRoot(root);
}

extern "C" void WINAPI ClockTestSetTime(void (*source)(SYSTEMTIME *local, int64_t *universal))
{
    SetTimeSource(source);
}
