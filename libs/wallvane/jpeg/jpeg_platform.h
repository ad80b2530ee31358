// The few things the codec asks of the operating system and the processor.
// The Windows build answers them in platform_win32.cpp, every other build in
// platform_portable.cpp; nothing else in the codec includes a system header.
#pragma once
#include <stdint.h>

struct JpgDispatch;

// Fills regs (EAX, EBX, ECX, EDX) for the leaf; returns -1 where there is no CPUID.
int JpgPlatformCpuid(uint32_t leaf, uint32_t regs[4]);
uint64_t JpgPlatformTimeStamp(void);

// Loads the system functions the dispatch record keeps, by name.
void JpgLoadUserFunctions(JpgDispatch *dispatch);
void JpgLoadRegistryFunctions(JpgDispatch *dispatch);
void JpgReleaseSystemFunctions(JpgDispatch *dispatch);
// The machine-wide processor override, or -1 when there is none.
int JpgPlatformReadCpuOverride(JpgDispatch *dispatch);

// Runs the operation; a processor fault inside it gives JPG_ERR_EXCEPTION.
int JpgRunGuarded(int (*operation)(void *context), void *context);
// Writes a diagnostic text to the debugger output.
void JpgTrace(const char *text);
