// Opens the clock from clock.dll at a fixed moment so it can be looked at:
//   clock_show.exe [round|rectangle|small] [seconds]
// (small: the settings a first start has)
// The clock's settings go to a key of its own, removed at the end.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <string>

namespace {
typedef HWND(WINAPI *Runner)(HWND);
typedef void(WINAPI *SetRoot)(HKEY);
typedef void(WINAPI *SetTime)(void (*)(SYSTEMTIME *, int64_t *));

const char *const ShowKey = "Software\\ZettliesTests\\clock-show";

void SummerMorning(SYSTEMTIME *local, int64_t *universal)
{
    *local = {};
    local->wYear = 2024;
    local->wMonth = 6;
    local->wDayOfWeek = 4;
    local->wDay = 20;
    local->wHour = 10;
    local->wMinute = 9;
    local->wSecond = 30;
    *universal = 1718870970; // 2024-06-20 08:09:30 UT
}

std::string WindowsPath(const char *unixPath)
{
    std::string out = std::string("Z:") + unixPath;
    for (char &c : out)
        if (c == '/')
            c = '\\';
    return out;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    bool rectangle = std::strstr(commandLine, "rect") != nullptr;
    bool small = std::strstr(commandLine, "small") != nullptr;
    int seconds = 5;
    const char *digits = std::strpbrk(commandLine, "0123456789");
    if (digits)
        seconds = std::atoi(digits);

    HMODULE library = LoadLibraryA(WindowsPath(CLOCK_DLL).c_str());
    if (!library)
        return 1;
    Runner runner = (Runner)(void *)GetProcAddress(library, "ClockRunner");
    SetRoot setRoot = (SetRoot)(void *)GetProcAddress(library, "ClockTestSetRegistryRoot");
    SetTime setTime = (SetTime)(void *)GetProcAddress(library, "ClockTestSetTime");
    if (!runner || !setRoot || !setTime)
        return 2;

    HKEY root, clockKey;
    RegCreateKeyA(HKEY_CURRENT_USER, ShowKey, &root);
    RegCreateKeyA(root, "software\\Kestrova\\RozUvedo", &clockKey);
    char info[128];
    std::snprintf(info, sizeof info, "5003 %d 1 255 150.000000 100 100 500 460 0",
                  rectangle ? 0 : 1);
    if (!small)
        RegSetValueExA(clockKey, "ClockInfo", 0, REG_SZ, (const BYTE *)info, (DWORD)strlen(info));
    RegCloseKey(clockKey);
    setRoot(root);
    setTime(SummerMorning);

    HWND clock = runner(nullptr);
    if (!clock)
        return 3;
    DWORD end = GetTickCount() + seconds * 1000;
    MSG msg;
    while ((LONG)(GetTickCount() - end) < 0 && IsWindow(clock)) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    if (IsWindow(clock))
        DestroyWindow(clock);
    setRoot(nullptr);
    RegCloseKey(root);
    RegDeleteTreeA(HKEY_CURRENT_USER, ShowKey);
    FreeLibrary(library);
    return 0;
}
