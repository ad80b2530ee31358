// The module whose resources a library loads: a library's DllMain sets it;
// where a library is linked into a program, as in the tests, it is the
// program's own.
#pragma once
#include <windows.h>

HINSTANCE ModuleInstance(void);
void SetModuleInstance(HINSTANCE instance);
