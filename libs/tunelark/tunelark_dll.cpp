// The media player library's entry points.
#include "tunelark.h"
#include "tunelark_ids.h"
#include "module_instance.h"
#include "ui_seams.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        SetModuleInstance(instance);
    return TRUE;
}

extern "C" HWND WINAPI TunelarkRunner(HWND owner)
{
    HWND player = CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_PLAYER), owner, Tunelark, 0);
    if (player)
        ShowWindow(player, SW_SHOW);
    return player;
}

extern "C" void WINAPI TunelarkTestSetRegistryRoot(HKEY root)
{
    SetRegistryRoot(root);
}
