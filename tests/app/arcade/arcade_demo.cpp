// The machine with the program's own games in a window, for a look (not a
// test): arcade_demo [game [seconds [stretch]]]. Keys go to the game.
#include <windows.h>
#include <stdlib.h>

#include "arcade_machine.h"

static DWORD WINAPI EmulationThread(void *)
{
    ArcadeRun();
    return 0;
}

static LRESULT CALLBACK DemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        ArcadeKey((int)wParam, message == WM_KEYUP);
        return 0;
    case WM_TIMER:
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    int game = 1, seconds = 10, stretch = 0;
    char *rest = commandLine;
    game = (int)strtol(rest, &rest, 10);
    if (game == 0)
        game = 1;
    long given = strtol(rest, &rest, 10);
    if (given > 0)
        seconds = (int)given;
    stretch = (int)strtol(rest, &rest, 10) != 0;

    LoadArcadeSounds(instance);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DemoProc;
    wc.hInstance = instance;
    wc.lpszClassName = "ArcadeDemo";
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    RegisterClassA(&wc);
    int scale = stretch ? 2 : 1;
    HWND window = CreateWindowExA(0, "ArcadeDemo", "Arcade", WS_POPUP | WS_VISIBLE, 20, 20, 208 * scale,
                                  256 * scale, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    HDC dc = GetDC(window);
    if (ArcadeInit(dc, window, stretch, 1, game, 0, 0) != 0) {
        MessageBoxA(window, "Unable to start the machine", "Arcade", MB_ICONSTOP);
        return 1;
    }
    HANDLE thread = CreateThread(nullptr, 0, EmulationThread, nullptr, 0, nullptr);
    SetTimer(window, 1, (UINT)seconds * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ArcadeStop();
    if (thread) {
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return 0;
}
