#include "module_instance.h"

// Each module links this library on its own, so each has its own copy.
static HINSTANCE Instance;

HINSTANCE ModuleInstance(void)
{
    return Instance ? Instance : GetModuleHandleA(nullptr);
}

void SetModuleInstance(HINSTANCE instance)
{
    Instance = instance;
}
