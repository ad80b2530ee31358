#include <windows.h>

#include "changer_window.h"
#include "module_instance.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        SetModuleInstance(instance);
    return TRUE;
}
