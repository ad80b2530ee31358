#include <windows.h>

#include "core/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    return ZettliesMain(instance, previous, commandLine, show);
}
