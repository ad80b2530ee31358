// Opens the player from Tunelark.dll and drops a folder on it, as a user
// would, for looking at it:
//   wine-run player_show.exe FOLDER [scope-mode] [seconds]
// With a scope mode (1 to 7) the scope opens beside the player; a mode of
// -N keeps it idle (plasma) instead of sampling.
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "tunelark.h"

static void DropFolder(HWND window, const char *folder)
{
    size_t length = strlen(folder);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + length + 2);
    if (!memory)
        return;
    DROPFILES *drop = (DROPFILES *)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    memcpy((char *)(drop + 1), folder, length);
    GlobalUnlock(memory);
    PostMessageA(window, WM_DROPFILES, (WPARAM)memory, 0);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 2)
        return 2;
    int mode = __argc > 2 ? atoi(__argv[2]) : 0;
    int seconds = __argc > 3 ? atoi(__argv[3]) : 10;
    HWND player = TunelarkRunner(nullptr);
    if (!player)
        return 1;
    DropFolder(player, __argv[1]);
    bool scopeOpened = mode == 0;
    DWORD start = GetTickCount();
    MSG msg;
    while (IsWindow(player) && GetTickCount() - start < (DWORD)seconds * 1000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!scopeOpened && GetTickCount() - start > 1000) {
            SendMessageA(player, WM_COMMAND, 40061, abs(mode));
            if (mode < 0) // keep the scope idle: stop what is playing
                SendMessageA(player, WM_COMMAND, 402, 0);
            scopeOpened = true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    if (IsWindow(player)) {
        SendMessageA(player, WM_USER, 1, 1);
        DestroyWindow(player);
    }
    return 0;
}
