#include "notes_file.h"

HANDLE SaveMutex;

int SaveZettlies(HWND mainWindow, BOOL showProgress)
{
    (void)mainWindow;
    (void)showProgress;
    return 0;
}

int LoadZettlies(HWND mainWindow)
{
    (void)mainWindow;
    return 0;
}
