// Keeps one GUI process alive in the test prefix so that Wine's desktop and
// services start once instead of once per test program. Ends on WM_CLOSE or
// after an hour.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND window = CreateWindowExA(0, "STATIC", "zt keep-alive", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, instance, nullptr);
    SetTimer(window, 1, 3600 * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER)
            break;
        DispatchMessageA(&msg);
    }
    return 0;
}
