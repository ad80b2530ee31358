// Keeps one GUI process alive in the test prefix so that Wine's desktop and
// services start once instead of once per test program. Ends on WM_CLOSE or
// after four hours.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND window = CreateWindowExA(0, "STATIC", "zt keep-alive", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, instance, nullptr);
    // ./dev starts the tests only after this line: test programs started
    // while Wine's desktop process is still coming up (seconds when emulated)
    // can find no desktop and fail to open any window.
    const char *state = window ? "ready\n" : "no window\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), state, (DWORD)std::strlen(state), &written, nullptr);
    if (!window)
        return 1;
    SetTimer(window, 1, 4 * 3600 * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER)
            break;
        DispatchMessageA(&msg);
    }
    return 0;
}
