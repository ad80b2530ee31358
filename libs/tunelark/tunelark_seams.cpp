#include "tunelark_seams.h"

namespace {
HINSTANCE Instance;
} // namespace

HINSTANCE TunelarkInstance(void)
{
    return Instance ? Instance : GetModuleHandleA(nullptr);
}

void SetTunelarkInstance(HINSTANCE instance)
{
    Instance = instance;
}
