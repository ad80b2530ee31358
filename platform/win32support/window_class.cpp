#include "window_class.h"

int RegisterWindowClass(HINSTANCE instance, const char *name, WNDPROC procedure,
                        const WindowClassLook &look)
{
    WNDCLASSA wc = {};
    wc.style = look.style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = look.cursor;
    wc.hbrBackground = look.background;
    wc.lpszClassName = name;
    if (RegisterClassA(&wc))
        return 0;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS ? 0 : -1;
}
