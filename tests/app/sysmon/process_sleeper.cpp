// A process for the process tree to end: it only waits (five minutes at
// most, should nobody end it). Started with "parent", it first starts one
// more of itself, so that there is a subtree to end.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (commandLine && std::strstr(commandLine, "parent")) {
        char self[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
        if (length == 0 || length >= sizeof self)
            return 2;
        char line[MAX_PATH + 16];
        lstrcpyA(line, "\"");
        lstrcatA(line, self);
        lstrcatA(line, "\" child");
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child = {};
        if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &child))
            return 3;
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    Sleep(5 * 60 * 1000);
    return 0;
}
