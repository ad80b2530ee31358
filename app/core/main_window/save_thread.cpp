// The auto-save: the whole save on a worker thread of its own.
#include "zettlies_files.h"

DWORD WINAPI SaveZettliesThread(LPVOID mainWindow)
{
    OutputDebugStringA("1) Starting SaveZettliesThread\n");
    int result = SaveZettlies((HWND)mainWindow);
    OutputDebugStringA("2) Ending SaveZettliesThread\n");
    return (DWORD)result;
}

int StartSaveThread(HWND mainWindow)
{
    // Nothing waits for the thread: the save mutex keeps it apart from every
    // other save, and the next start finds either its files or the last good ones.
    HANDLE thread = CreateThread(nullptr, 512, SaveZettliesThread, (LPVOID)mainWindow, 0, nullptr);
    if (!thread)
        return -1;
    CloseHandle(thread);
    return 0;
}
