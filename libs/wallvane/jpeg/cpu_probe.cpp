// CPUID and the time-stamp counter. Kept apart from the Windows file:
// <cpuid.h> and the Windows intrinsics header disagree about __cpuid.
#include "jpeg_platform.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>

int JpgPlatformCpuid(uint32_t leaf, uint32_t regs[4])
{
    unsigned a, b, c, d;
    __cpuid(leaf, a, b, c, d);
    regs[0] = a, regs[1] = b, regs[2] = c, regs[3] = d;
    return 0;
}

uint64_t JpgPlatformTimeStamp(void)
{
    return __rdtsc();
}
#else
int JpgPlatformCpuid(uint32_t leaf, uint32_t regs[4])
{
    regs[0] = regs[1] = regs[2] = regs[3] = 0;
    return -1;
}

uint64_t JpgPlatformTimeStamp(void)
{
    return 0;
}
#endif
