// Inverse transforms of one block at full, 1/2, 1/4 and 1/8 size: the
// accurate integer method and the fast AAN method. Sums are formed in 64
// bits so that hostile coefficients give clamped pixels, never overflow.
#include "jpeg_decoder.h"

namespace {

typedef long long Wide;

inline int16_t Clamp255(Wide v)
{
    return (int16_t)(v < 0 ? 0 : v > 255 ? 255 : v);
}

inline int16_t Saturate16(Wide v)
{
    return (int16_t)(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

// The integer 8-point transform; outputs carry 15 fraction bits. T is
// 64-bit, or 32-bit where the caller has bounded the inputs.
template <typename T>
inline void Integer8(T x0, T x1, T x2, T x3, T x4, T x5, T x6, T x7, T y[8])
{
    T h = x1 * 32138 + x7 * 6393, f = x1 * 6393 - x7 * 32138;
    T l = x3 * 27246 + x5 * 18205, g = x5 * 27246 - x3 * 18205;
    T q0 = ((h + l + 2048) >> 12) * 5793, q3 = ((f + g + 2048) >> 12) * 5793;
    T q1 = (h - l) + (f - g), q2 = (h - l) - (f - g);
    T a0 = (x0 + x4) * 32768, a1 = (x0 - x4) * 32768;
    T w = x2 * 42813 + x6 * 17734, b = x2 * 17734 - x6 * 42813;
    T e0 = a0 + w, e3 = a0 - w, e1 = a1 + b, e2 = a1 - b;
    y[0] = e0 + q0, y[7] = e0 - q0, y[1] = e1 + q1, y[6] = e1 - q1;
    y[2] = e2 + q2, y[5] = e2 - q2, y[3] = e3 + q3, y[4] = e3 - q3;
}

inline Wide M(Wide x, Wide k)
{
    return (x * k + 16384) >> 15;
}

inline void Aan8(Wide x0, Wide x1, Wide x2, Wide x3, Wide x4, Wide x5, Wide x6, Wide x7, Wide o[8])
{
    Wide z10 = x5 - x3, z13 = x5 + x3, z11 = x1 + x7, z12 = x1 - x7;
    Wide z5 = M(z10 - z12, 25080);
    Wide t12 = M(z12, 35468) - z5, t10 = z5 - M(z10, 85627);
    Wide t7 = z11 + z13, t6 = t12 - t7, t5 = M(z11 - z13, 46341) - t6, t4 = t10 + t5;
    Wide e10 = x0 + x4, e11 = x0 - x4, e13 = x2 + x6, e12 = M(x2 - x6, 46341) - e13;
    Wide e0 = e10 + e13, e3 = e10 - e13, e1 = e11 + e12, e2 = e11 - e12;
    o[0] = e0 + t7, o[7] = e0 - t7, o[1] = e1 + t6, o[6] = e1 - t6;
    o[2] = e2 + t5, o[5] = e2 - t5, o[4] = e3 + t4, o[3] = e3 - t4;
}

inline void Aan4(Wide x0, Wide x1, Wide x2, Wide x3, Wide x5, Wide x6, Wide x7, Wide o[4])
{
    Wide h = M(x2 - x6, 46341) / 2;
    Wide d53 = x5 - x3, d17 = x1 - x7;
    Wide p = (d17 * 60548 - d53 * 25080 + 32768) >> 16;
    Wide r = (d53 * 60547 + d17 * 25080 + 32768) >> 16;
    Wide f0 = x0 + h, f1 = x0 - h;
    o[0] = f0 + p, o[3] = f0 - p, o[1] = f1 + r, o[2] = f1 - r;
}

inline Wide Aan2Odd(Wide x1, Wide x3, Wide x5, Wide x7)
{
    return ((x1 - x7) * 85627 + (x5 - x3) * 35468 + 65536) >> 17;
}

// The 4-output integer transform; x4 does not take part.
inline void Integer4(Wide x0, Wide x1, Wide x2, Wide x3, Wide x5, Wide x6, Wide x7, Wide w[4])
{
    Wide t0 = x0 * 16384, t2 = x2 * 15137 - x6 * 6270;
    Wide t10 = t0 + t2, t12 = t0 - t2;
    Wide u0 = x5 * 11893 + x1 * 8697 - x3 * 17799 - x7 * 1730;
    Wide u2 = x3 * 7373 + x1 * 20995 - x5 * 4926 - x7 * 4176;
    w[0] = t10 + u2, w[3] = t10 - u2, w[1] = t12 + u0, w[2] = t12 - u0;
}

inline Wide Integer2Odd(Wide x1, Wide x3, Wide x5, Wide x7)
{
    return x5 * 6967 + x1 * 29692 - x7 * 5906 - x3 * 10426;
}

} // namespace

namespace {

// The column pass over rows 0 .. Rows - 1 of the work block; the rows below
// are zero, and the transform is specialised for them.
template <int Rows>
void IntegerColumns(const int32_t *work, int16_t *block)
{
    Wide y[8];
    for (int c = 0; c < 8; c++) {
        const int32_t *x = work + c;
        int32_t ac = 0;
        for (int r = 1; r < Rows; r++)
            ac |= x[8 * r];
        if (!ac) {
            int16_t value = Clamp255((((Wide)x[0] * 32768 + 1048576) >> 21) + 128);
            for (int r = 0; r < 8; r++)
                block[8 * r + c] = value;
            continue;
        }
        Integer8<Wide>(x[0], x[8], Rows > 2 ? x[16] : 0, Rows > 2 ? x[24] : 0, Rows > 4 ? x[32] : 0, Rows > 4 ? x[40] : 0,
                 Rows > 4 ? x[48] : 0, Rows > 4 ? x[56] : 0, y);
        for (int r = 0; r < 8; r++)
            block[8 * r + c] = Clamp255(((y[r] + 1048576) >> 21) + 128);
    }
}

// The column pass in 32 bits, all eight columns side by side so that the
// compiler can use vector registers. Only for work values within +-8192,
// where no sum of the transform leaves 31 bits.
void IntegerColumnsNarrow(const int32_t *work, int16_t *block)
{
    for (int c = 0; c < 8; c++) {
        int32_t y[8];
        Integer8<int32_t>(work[c], work[8 + c], work[16 + c], work[24 + c], work[32 + c], work[40 + c],
                          work[48 + c], work[56 + c], y);
        for (int r = 0; r < 8; r++) {
            int32_t v = ((y[r] + 1048576) >> 21) + 128;
            v = v < 0 ? 0 : v;
            v = v > 255 ? 255 : v;
            block[8 * r + c] = (int16_t)v;
        }
    }
}

} // namespace

// Rows and columns whose AC terms are all zero take the value the full
// transform gives them, without the multiplications; so do the zero
// coefficients of the high frequencies.
void JpgIdctInteger(int16_t *block)
{
    alignas(32) int32_t work[64];
    Wide y[8];
    int rows = 0;
    bool narrow = true;
    for (int r = 0; r < 8; r++) {
        const int16_t *x = block + 8 * r;
        if (!(x[1] | x[2] | x[3] | x[4] | x[5] | x[6] | x[7])) {
            for (int c = 0; c < 8; c++)
                work[8 * r + c] = x[0] * 8;
            if (x[0])
                rows = r + 1;
            continue;
        }
        rows = r + 1;
        if (!(x[4] | x[5] | x[6] | x[7]))
            Integer8<Wide>(x[0], x[1], x[2], x[3], 0, 0, 0, 0, y);
        else
            Integer8<Wide>(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], y);
        for (int c = 0; c < 8; c++) {
            Wide v = (y[c] + 2048) >> 12;
            narrow = narrow && v >= -8192 && v <= 8192;
            work[8 * r + c] = (int32_t)v;
        }
    }
    // A row without AC terms holds 8 x its DC term.
    for (int r = 0; r < rows && narrow; r++)
        narrow = work[8 * r] >= -8192 && work[8 * r] <= 8192;
    if (narrow && rows > 2)
        IntegerColumnsNarrow(work, block);
    else if (rows <= 2)
        IntegerColumns<2>(work, block);
    else if (rows <= 4)
        IntegerColumns<4>(work, block);
    else
        IntegerColumns<8>(work, block);
}

void JpgIdctInteger4x4(int16_t *block)
{
    Wide work[4][8];
    Wide w[4];
    for (int c = 0; c < 8; c++) {
        if (c == 4)
            continue;
        const int16_t *x = block + c;
        if (!x[8] && !x[16] && !x[24] && !x[40] && !x[48] && !x[56]) {
            for (int r = 0; r < 4; r++)
                work[r][c] = (Wide)x[0] * 4;
            continue;
        }
        Integer4(x[0], x[8], x[16], x[24], x[40], x[48], x[56], w);
        for (int r = 0; r < 4; r++)
            work[r][c] = (w[r] + 2048) >> 12;
    }
    for (int r = 0; r < 4; r++) {
        const Wide *x = work[r];
        if (!x[1] && !x[2] && !x[3] && !x[5] && !x[6] && !x[7]) {
            int16_t v = Clamp255(((x[0] + 16) >> 5) + 128);
            for (int c = 0; c < 4; c++)
                block[8 * r + c] = v;
            continue;
        }
        Integer4(x[0], x[1], x[2], x[3], x[5], x[6], x[7], w);
        for (int c = 0; c < 4; c++)
            block[8 * r + c] = Clamp255(((w[c] + 262144) >> 19) + 128);
    }
}

void JpgIdctInteger2x2(int16_t *block)
{
    Wide work[2][8] = {};
    static const int columns[5] = {0, 1, 3, 5, 7};
    for (int c : columns) {
        const int16_t *x = block + c;
        if (!x[8] && !x[24] && !x[40] && !x[56]) {
            work[0][c] = work[1][c] = (Wide)x[0] * 4;
            continue;
        }
        Wide u = Integer2Odd(x[8], x[24], x[40], x[56]);
        work[0][c] = ((Wide)x[0] * 32768 + u + 4096) >> 13;
        work[1][c] = ((Wide)x[0] * 32768 - u + 4096) >> 13;
    }
    for (int r = 0; r < 2; r++) {
        const Wide *x = work[r];
        if (!x[1] && !x[3] && !x[5] && !x[7]) {
            block[8 * r] = block[8 * r + 1] = Clamp255(((x[0] + 16) >> 5) + 128);
            continue;
        }
        Wide u = Integer2Odd(x[1], x[3], x[5], x[7]);
        block[8 * r] = Clamp255(((x[0] * 32768 + u + 524288) >> 20) + 128);
        block[8 * r + 1] = Clamp255(((x[0] * 32768 - u + 524288) >> 20) + 128);
    }
}

void JpgIdctInteger1x1(int16_t *block)
{
    block[0] = Clamp255((((Wide)block[0] + 4) >> 3) + 128);
}

void JpgIdctAan(int16_t *block)
{
    Wide o[8];
    for (int c = 0; c < 8; c++) {
        int16_t *x = block + c;
        Aan8(x[0], x[8], x[16], x[24], x[32], x[40], x[48], x[56], o);
        for (int r = 0; r < 8; r++)
            x[8 * r] = Saturate16(o[r]);
    }
    for (int r = 0; r < 8; r++) {
        int16_t *x = block + 8 * r;
        Aan8(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], o);
        for (int c = 0; c < 8; c++)
            x[c] = Clamp255(((o[c] + 8) >> 4) + 128);
    }
}

void JpgIdctAan4x4(int16_t *block)
{
    Wide o[4];
    for (int c = 0; c < 8; c++) {
        if (c == 4)
            continue;
        int16_t *x = block + c;
        Aan4(x[0], x[8], x[16], x[24], x[40], x[48], x[56], o);
        for (int r = 0; r < 4; r++)
            x[8 * r] = Saturate16(o[r]);
    }
    for (int r = 0; r < 4; r++) {
        int16_t *x = block + 8 * r;
        Aan4(x[0], x[1], x[2], x[3], x[5], x[6], x[7], o);
        for (int c = 0; c < 4; c++)
            x[c] = Clamp255(((o[c] + 8) >> 4) + 128);
    }
}

void JpgIdctAan2x2(int16_t *block)
{
    static const int columns[5] = {0, 1, 3, 5, 7};
    for (int c : columns) {
        int16_t *x = block + c;
        Wide odd = Aan2Odd(x[8], x[24], x[40], x[56]);
        Wide x0 = x[0];
        x[0] = Saturate16(x0 + odd);
        x[8] = Saturate16(x0 - odd);
    }
    for (int r = 0; r < 2; r++) {
        int16_t *x = block + 8 * r;
        Wide odd = Aan2Odd(x[1], x[3], x[5], x[7]);
        Wide x0 = x[0];
        x[0] = Clamp255(((x0 + odd + 8) >> 4) + 128);
        x[1] = Clamp255(((x0 - odd + 8) >> 4) + 128);
    }
}

void JpgIdctAan1x1(int16_t *block)
{
    block[0] = Clamp255((((Wide)block[0] + 8) >> 4) + 128);
}
