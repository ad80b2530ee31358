// The platform seam outside Windows: no registry, no system modules, and
// faults are left to the sanitizers rather than trapped.
#include "jpeg_dispatch.h"
#include "jpeg_platform.h"

void JpgLoadUserFunctions(JpgDispatch *dispatch)
{
}

void JpgLoadRegistryFunctions(JpgDispatch *dispatch)
{
}

void JpgReleaseSystemFunctions(JpgDispatch *dispatch)
{
}

int JpgPlatformReadCpuOverride(JpgDispatch *dispatch)
{
    return -1;
}

int JpgRunGuarded(int (*operation)(void *context), void *context)
{
    return operation(context);
}

void JpgTrace(const char *text)
{
}
