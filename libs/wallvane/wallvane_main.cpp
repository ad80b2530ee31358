#include <windows.h>

#include "changer_window.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        ChangerInstance = instance;
    return TRUE;
}
