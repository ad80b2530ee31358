// The zigzag position of the lowest and of the highest flag of a non-empty
// coefficient map, for the block coders. Where 64-bit words are register
// pairs (i686), the compiler's 64-bit scans are calls into its support
// library for every coded coefficient; two 32-bit scans are a few
// instructions.
#pragma once
#include <stdint.h>

inline int LowestFlag(uint64_t map)
{
#if defined(__x86_64__)
    return __builtin_ctzll(map);
#else
    uint32_t low = (uint32_t)map;
    return low ? __builtin_ctz(low) : 32 + __builtin_ctz((uint32_t)(map >> 32));
#endif
}

inline int HighestFlag(uint64_t map)
{
#if defined(__x86_64__)
    return 63 - __builtin_clzll(map);
#else
    uint32_t high = (uint32_t)(map >> 32);
    return high ? 63 - __builtin_clz(high) : 31 - __builtin_clz((uint32_t)map);
#endif
}
