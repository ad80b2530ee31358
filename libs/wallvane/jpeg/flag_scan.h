// Maps of a block's non-zero coefficients, one bit each, and the scans that
// walk them: most quantised blocks hold a handful of non-zero values, so
// the block coders and the refinement passes visit those instead of
// testing every position.
#pragma once
#include <stdint.h>
#include <string.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Bit i set where block[i] (natural order) is not zero.
inline uint64_t NaturalNonzeroFlags(const int16_t *block)
{
    uint64_t natural = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (int r = 0; r < 8; r += 2) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 8 * r));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 8 * r + 8));
        // Saturation keeps every non-zero 16-bit value non-zero in 8 bits.
        __m128i zeros = _mm_cmpeq_epi8(_mm_packs_epi16(a, b), zero);
        natural |= (uint64_t)(~(unsigned)_mm_movemask_epi8(zeros) & 0xFFFF) << (8 * r);
    }
#else
    for (int i = 0; i < 64; i += 4) {
        uint64_t four;
        memcpy(&four, block + i, sizeof four);
        if (four == 0)
            continue;
        for (int j = i; j < i + 4; j++)
            natural |= (uint64_t)(block[j] != 0) << j;
    }
#endif
    return natural;
}

// The zigzag position of the lowest and of the highest flag of a non-empty
// coefficient map. Where 64-bit words are register pairs (i686), the
// compiler's 64-bit scans are calls into its support library for every
// coded coefficient; two 32-bit scans are a few instructions.

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
