// The decoder's YCbCr to RGB arithmetic, shared by the MCU output routines
// and their whole-MCU kernels: per-chroma terms added to Y, and the limit
// to 0..255.
#pragma once
#include <stdint.h>

inline uint8_t JpgLimit(int v)
{
    return (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v);
}

// The chroma terms of the fixed YCbCr to RGB conversion, added to Y. The
// converter of unusual samplings and the in-place one round green the
// other way.
inline int JpgRedTerm(int cr)
{
    return (359 * cr - 45813) >> 8;
}

inline int JpgGreenTerm(int cb, int cr)
{
    return -((88 * cb + 183 * cr - 34806) >> 8);
}

inline int JpgShiftedGreenTerm(int cb, int cr)
{
    return (34806 - 88 * cb - 183 * cr) >> 8;
}

inline int JpgBlueTerm(int cb)
{
    return (454 * cb - 57937) >> 8;
}
