// Forward transforms of one block of level-shifted samples, the fast AAN
// method and the accurate integer method, with their quantisers and the
// reciprocal tables the quantisers multiply by.
#include <string.h>

#include "jpeg_encoder.h"

const int32_t JpgAanQuantNumerator[64] = {
    4096,  2953,  2953,  3134,  2129,  3134,  3483,  2260,  2260,  3483,  4096,  2511,  2399,
    2511,  4096,  5213,  2953,  2666,  2666,  2953,  5213,  7568,  3758,  3134,  2962,  3134,
    3758,  7568,  14846, 5456,  3990,  3483,  3483,  3990,  5456,  14846, 10703, 5792,  4433,
    4096,  4433,  5792,  10703, 11362, 6436,  5213,  5213,  6436,  11362, 12625, 7568,  6635,
    7568,  12625, 14846, 9632,  9632,  14846, 18895, 13984, 18895, 27432, 27432, 53810};

namespace {

inline int M(int x, int k)
{
    return (x * k + 16384) >> 15;
}

// One 8-point AAN transform; the outputs carry the factors 8 x s(u).
template <typename In, typename Out>
inline void Aan8(In x0, In x1, In x2, In x3, In x4, In x5, In x6, In x7, Out *y, int stride)
{
    int t0 = x0 + x7, t7 = x0 - x7, t1 = x1 + x6, t6 = x1 - x6;
    int t2 = x2 + x5, t5 = x2 - x5, t3 = x3 + x4, t4 = x3 - x4;
    int t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
    y[0] = (Out)(t10 + t11);
    y[4 * stride] = (Out)(t10 - t11);
    int z1 = M(t12 + t13, 23170);
    y[2 * stride] = (Out)(t13 + z1);
    y[6 * stride] = (Out)(t13 - z1);
    int a10 = t4 + t5, a11 = t5 + t6, a12 = t6 + t7;
    int z5 = M(a10 - a12, 12540);
    int z2 = M(a10, 17734) + z5, z4 = M(a12, 42813) + z5, z3 = M(a11, 23170);
    int z11 = t7 + z3, z13 = t7 - z3;
    y[5 * stride] = (Out)(z13 + z2);
    y[3 * stride] = (Out)(z13 - z2);
    y[1 * stride] = (Out)(z11 + z4);
    y[7 * stride] = (Out)(z11 - z4);
}

// One 8-point integer transform. The second pass sums in 64 bits: its
// odd-part products of extreme blocks come within a few per cent of 2^31.
template <typename T, bool SecondPass>
inline void Integer8(T x0, T x1, T x2, T x3, T x4, T x5, T x6, T x7, int16_t *y, int stride)
{
    const T round = SecondPass ? 1048576 : 2048;
    const int shift = SecondPass ? 21 : 12;
    T l = x0 + x7, m = x3 + x4, o = x1 + x6, r = x2 + x5;
    if (SecondPass) {
        y[0] = (int16_t)((l + m + o + r + 32) >> 6);
        y[4 * stride] = (int16_t)((l + m - o - r + 32) >> 6);
    } else {
        y[0] = (int16_t)((l + m + o + r) * 8);
        y[4 * stride] = (int16_t)((l + m - o - r) * 8);
    }
    y[2 * stride] = (int16_t)(((l - m) * 42813 + (o - r) * 17734 + round) >> shift);
    y[6 * stride] = (int16_t)(((l - m) * 17734 - (o - r) * 42813 + round) >> shift);
    T t = ((x0 - x7) * 46341 + 2048) >> 12;
    T u = ((x3 - x4) * 46341 + 2048) >> 12;
    T v = (x1 + x2 - x5 - x6) * 8;
    T a = (x1 + x5 - x2 - x6) * 8;
    T w = v + t, b = a + u, tp = t - v, up = u - a;
    y[1 * stride] = (int16_t)((w * 4017 + b * 799 + round) >> shift);
    y[7 * stride] = (int16_t)((w * 799 - b * 4017 + round) >> shift);
    y[5 * stride] = (int16_t)((tp * 2276 + up * 3406 + round) >> shift);
    y[3 * stride] = (int16_t)((tp * 3406 - up * 2276 + round) >> shift);
}

// Quantised values stay inside what a baseline Huffman table can code:
// categories up to 11 for the DC coefficient, up to 10 for the others.
inline int16_t LimitAc(int v)
{
    return (int16_t)(v < -1023 ? -1023 : v > 1023 ? 1023 : v);
}

inline int16_t LimitDc(int v)
{
    return (int16_t)(v < -1024 ? -1024 : v > 1023 ? 1023 : v);
}

template <typename Reciprocal>
inline void Quantize(int16_t *block, const int16_t *reciprocals)
{
    int dc = (block[0] * (int)(Reciprocal)reciprocals[0] + 16384) >> 15;
    for (int i = 0; i < 64; i++)
        block[i] = LimitAc((block[i] * (int)(Reciprocal)reciprocals[i] + 16384) >> 15);
    block[0] = LimitDc(dc);
}

} // namespace

void JpgFdctAan(int16_t *block)
{
    alignas(32) int32_t work[64];
    for (int r = 0; r < 8; r++) {
        const int16_t *x = block + 8 * r;
        Aan8(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], work + 8 * r, 1);
    }
    for (int c = 0; c < 8; c++) {
        const int32_t *x = work + c;
        Aan8(x[0], x[8], x[16], x[24], x[32], x[40], x[48], x[56], block + c, 8);
    }
}

void JpgFdctInteger(int16_t *block)
{
    for (int r = 0; r < 8; r++) {
        int16_t *x = block + 8 * r;
        Integer8<int, false>(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], x, 1);
    }
    for (int c = 0; c < 8; c++) {
        int16_t *x = block + c;
        Integer8<long long, true>(x[0], x[8], x[16], x[24], x[32], x[40], x[48], x[56], x, 8);
    }
}

void JpgQuantizeAan(int16_t *block, const int16_t *reciprocals)
{
    Quantize<int16_t>(block, reciprocals);
}

void JpgQuantizeInteger(int16_t *block, const int16_t *reciprocals)
{
    Quantize<uint16_t>(block, reciprocals);
}

void JpgMakeQuantReciprocalsAan(int16_t *table)
{
    if (table[63] < 2)
        table[63] = 2;
    int16_t natural[64];
    for (int k = 0; k < 64; k++) {
        int q = table[k] > 0 ? table[k] : 1;
        natural[JpgNaturalOrder[k]] = (int16_t)((JpgAanQuantNumerator[k] + (q >> 1)) / q);
    }
    memcpy(table, natural, sizeof natural);
}

void JpgMakeQuantReciprocalsInteger(int16_t *table)
{
    int16_t natural[64];
    for (int k = 0; k < 64; k++) {
        int q = table[k] > 0 ? table[k] : 1;
        natural[JpgNaturalOrder[k]] = (int16_t)(uint16_t)(32768 / q);
    }
    memcpy(table, natural, sizeof natural);
}
