// Saving and loading all notes.
#pragma once
#include <windows.h>

// The unnamed mutex that keeps two saves apart.
extern HANDLE SaveMutex;

int SaveZettlies(HWND mainWindow, BOOL showProgress);
int LoadZettlies(HWND mainWindow);
