// Registering the window classes of the program and its libraries.
#pragma once
#include <windows.h>

struct WindowClassLook {
    UINT style;
    HCURSOR cursor;
    HBRUSH background;
};

// Registers name for this module. A class already there (a second window,
// a second opening) counts as registered. Returns 0, or -1 on failure.
int RegisterWindowClass(HINSTANCE instance, const char *name, WNDPROC procedure,
                        const WindowClassLook &look);
