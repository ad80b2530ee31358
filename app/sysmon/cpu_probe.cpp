// The processor's own answers: CPUID, an SSE instruction and the time-stamp
// counter measured against the performance counter.
#include <windows.h>

#include <cpuid.h>

#include "cpu_id_dialog.h"
#include "sysmon_seams.h"

static int SystemCpuId(uint32_t leaf, uint32_t subleaf, CpuRegisters *out, void *context)
{
    // On a 32-bit processor without CPUID the ID flag cannot be toggled; the
    // header's check looks at that before any CPUID runs.
    if (__get_cpuid_max(0, nullptr) == 0)
        return -1;
    __cpuid_count(leaf, subleaf, out->eax, out->ebx, out->ecx, out->edx);
    return 0;
}

// The program itself is built for SSE2, so an SSE instruction that faulted
// would have stopped it long before this point.
static int SystemSseRuns(void *context)
{
    __asm__ volatile("orps %%xmm0, %%xmm0" ::: "xmm0");
    return 0;
}

typedef void (*CounterRoutine)(unsigned milliseconds);

static LONGLONG TicksFor(unsigned milliseconds)
{
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0)
        return 0;
    return frequency.QuadPart / 1000 * milliseconds;
}

static void BusyWait(unsigned milliseconds)
{
    LONGLONG ticks = TicksFor(milliseconds);
    LARGE_INTEGER start, now;
    if (ticks == 0 || !QueryPerformanceCounter(&start))
        return;
    do
        QueryPerformanceCounter(&now);
    while (now.QuadPart - start.QuadPart < ticks);
}

// The same set-up and one counter read: what the busy wait costs besides waiting.
static void Overhead(unsigned milliseconds)
{
    LONGLONG ticks = TicksFor(milliseconds);
    LARGE_INTEGER start, now;
    if (ticks == 0 || !QueryPerformanceCounter(&start))
        return;
    do
        QueryPerformanceCounter(&now);
    while (now.QuadPart - start.QuadPart == ticks);
}

static unsigned long long Cycles(CounterRoutine routine, unsigned milliseconds)
{
    unsigned long long before = __builtin_ia32_rdtsc();
    routine(milliseconds);
    return __builtin_ia32_rdtsc() - before;
}

unsigned MeasureCpuClockSpeed(void)
{
    unsigned long long busy = Cycles(BusyWait, 50), overhead = Cycles(Overhead, 50);
    if (busy <= overhead)
        return 0;
    return (unsigned)((busy - overhead) / 50 / 1000);
}

static int SystemMeasureClock(uint32_t *mhz, void *context)
{
    *mhz = MeasureCpuClockSpeed();
    return *mhz ? 0 : -1;
}

const CpuProbe &SystemCpuProbe(void)
{
    static const CpuProbe probe = {SystemCpuId, SystemSseRuns, SystemMeasureClock, nullptr};
    return probe;
}
