// 8-byte loads and stores at any address: pixel rows and sample blocks need
// not be aligned, and a plain pointer cast would claim an alignment they
// lack. The copies compile to single moves.
#pragma once
#include <mmintrin.h>
#include <string.h>

namespace packed64 {

inline __m64 LoadQ(const void *p)
{
    __m64 v;
    memcpy(&v, p, sizeof v);
    return v;
}

inline void StoreQ(void *p, __m64 v)
{
    memcpy(p, &v, sizeof v);
}

} // namespace packed64
