#include <windows.h>

#include "core/main_window/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    return ZettliesMain(instance, previous, commandLine, show);
}
