// Encoder colour kernels on 128-bit registers: 16 pixels of 3 bytes at a
// time, split into the even and the odd pixels of each colour, so that the
// chroma sums of horizontal pairs are one addition. Bit for bit the generic
// kernels' samples: the same weights and roundings in 32-bit multiply-adds.
#include <emmintrin.h>

#include "jpeg_simd.h"

namespace {

// The colours of 16 pixels: [0] the even pixels 0, 2 .. 14, [1] the odd
// ones, each as eight 16-bit lanes.
struct Planes {
    __m128i first[2], second[2], third[2];
};

inline __m128i LoadUnit(const uint8_t *p)
{
    return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
}

// Eight pairs of pixels, 6 bytes each, the pairs at the given addresses;
// the last pair of a row (a bit of rowEnds) is read from two bytes before
// it, so that nothing past the row is touched.
inline Planes Split(const uint8_t *const pair[8], unsigned rowEnds)
{
    __m128i unit[8];
    for (int k = 0; k < 8; k++)
        unit[k] = rowEnds >> k & 1 ? _mm_srli_epi64(LoadUnit(pair[k] - 2), 16) : LoadUnit(pair[k]);
    // Bytes of pairs k and k + 4 side by side, then regrouped until each
    // register holds one byte of every pair.
    __m128i a = _mm_unpacklo_epi64(unit[0], unit[4]), b = _mm_unpacklo_epi64(unit[1], unit[5]);
    __m128i c = _mm_unpacklo_epi64(unit[2], unit[6]), d = _mm_unpacklo_epi64(unit[3], unit[7]);
    __m128i t0 = _mm_unpacklo_epi8(a, b), t1 = _mm_unpackhi_epi8(a, b);
    __m128i t2 = _mm_unpacklo_epi8(c, d), t3 = _mm_unpackhi_epi8(c, d);
    __m128i v0 = _mm_unpacklo_epi16(t0, t2), v1 = _mm_unpackhi_epi16(t0, t2);
    __m128i v2 = _mm_unpacklo_epi16(t1, t3), v3 = _mm_unpackhi_epi16(t1, t3);
    __m128i w0 = _mm_unpacklo_epi32(v0, v2), w1 = _mm_unpackhi_epi32(v0, v2), w2 = _mm_unpacklo_epi32(v1, v3);
    const __m128i zero = _mm_setzero_si128();
    Planes p;
    p.first[0] = _mm_unpacklo_epi8(w0, zero);
    p.second[0] = _mm_unpackhi_epi8(w0, zero);
    p.third[0] = _mm_unpacklo_epi8(w1, zero);
    p.first[1] = _mm_unpackhi_epi8(w1, zero);
    p.second[1] = _mm_unpacklo_epi8(w2, zero);
    p.third[1] = _mm_unpackhi_epi8(w2, zero);
    return p;
}

// 16 pixels of one row.
inline Planes SplitRow(const uint8_t *row)
{
    const uint8_t *pair[8];
    for (int k = 0; k < 8; k++)
        pair[k] = row + 6 * k;
    return Split(pair, 1u << 7);
}

// Eight pixels of each of two rows: the first row's pairs, then the second's.
inline Planes SplitTwoRows(const uint8_t *row, const uint8_t *next)
{
    const uint8_t *pair[8];
    for (int k = 0; k < 4; k++) {
        pair[k] = row + 6 * k;
        pair[k + 4] = next + 6 * k;
    }
    return Split(pair, 1u << 3 | 1u << 7);
}

struct Weights {
    __m128i pair; // weights of the first and the second colour
    __m128i last; // weight of the third colour and the rounding
};

inline Weights WeightsOf(int first, int second, int third, int round)
{
    Weights w;
    w.pair = _mm_set1_epi32((int)(((uint32_t)(uint16_t)second << 16) | (uint16_t)first));
    w.last = _mm_set1_epi32((int)(((uint32_t)(uint16_t)round << 16) | (uint16_t)third));
    return w;
}

// The weighted sum of eight pixels, each term in 32 bits, then >> shift;
// the third colour goes in beside a lane of ones that carries the rounding.
inline __m128i Weigh(__m128i first, __m128i second, __m128i third, const Weights &w, int shift)
{
    const __m128i one = _mm_set1_epi16(1);
    __m128i low = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(first, second), w.pair),
                                _mm_madd_epi16(_mm_unpacklo_epi16(third, one), w.last));
    __m128i high = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(first, second), w.pair),
                                 _mm_madd_epi16(_mm_unpackhi_epi16(third, one), w.last));
    __m128i count = _mm_cvtsi32_si128(shift);
    return _mm_packs_epi32(_mm_sra_epi32(low, count), _mm_sra_epi32(high, count));
}

inline void Store(int16_t *p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
}

// The colours in R, G, B order whatever the byte order.
template <bool Bgr>
struct Rgb {
    __m128i r[2], g[2], b[2];
    explicit Rgb(const Planes &p)
    {
        for (int h = 0; h < 2; h++) {
            r[h] = Bgr ? p.third[h] : p.first[h];
            g[h] = p.second[h];
            b[h] = Bgr ? p.first[h] : p.third[h];
        }
    }
};

// Luminance of the 16 pixels, back in pixel order: pixels 0-7 to low,
// 8-15 to high.
template <bool Bgr>
inline void Luma(const Rgb<Bgr> &c, int16_t *low, int16_t *high)
{
    const Weights w = WeightsOf(77, 150, 29, -32640);
    __m128i even = Weigh(c.r[0], c.g[0], c.b[0], w, 8), odd = Weigh(c.r[1], c.g[1], c.b[1], w, 8);
    Store(low, _mm_unpacklo_epi16(even, odd));
    Store(high, _mm_unpackhi_epi16(even, odd));
}

// Cb and Cr of eight chroma samples from the colour sums of n pixels each.
inline void Chroma(__m128i r, __m128i g, __m128i b, int n, int16_t *cb, int16_t *cr)
{
    int shift = n == 4 ? 10 : n == 2 ? 9 : 8, round = 1 << (shift - 1);
    Store(cb, Weigh(r, g, b, WeightsOf(-43, -85, 128, round), shift));
    Store(cr, Weigh(r, g, b, WeightsOf(128, -107, -21, round), shift));
}

template <bool Bgr>
void ToYcc1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8; row += 2) {
        const uint8_t *line = source + row * lineStep;
        Rgb<Bgr> c(SplitTwoRows(line, line + lineStep));
        Luma(c, blocks[0] + 8 * row, blocks[0] + 8 * row + 8);
        // Per pixel: the even and odd pixels' chroma, back in pixel order.
        alignas(16) int16_t cb[2][8], cr[2][8];
        for (int h = 0; h < 2; h++)
            Chroma(c.r[h], c.g[h], c.b[h], 1, cb[h], cr[h]);
        for (int k = 0; k < 2; k++) {
            int16_t *const out = blocks[1 + k];
            __m128i even = _mm_load_si128(reinterpret_cast<const __m128i *>(k ? cr[0] : cb[0]));
            __m128i odd = _mm_load_si128(reinterpret_cast<const __m128i *>(k ? cr[1] : cb[1]));
            Store(out + 8 * row, _mm_unpacklo_epi16(even, odd));
            Store(out + 8 * row + 8, _mm_unpackhi_epi16(even, odd));
        }
    }
}

template <bool Bgr>
void ToYcc2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 8; row++) {
        Rgb<Bgr> c(SplitRow(source + row * lineStep));
        Luma(c, blocks[0] + 8 * row, blocks[0] + 64 + 8 * row);
        Chroma(_mm_add_epi16(c.r[0], c.r[1]), _mm_add_epi16(c.g[0], c.g[1]), _mm_add_epi16(c.b[0], c.b[1]), 2,
               blocks[1] + 8 * row, blocks[2] + 8 * row);
    }
}

template <bool Bgr>
void ToYcc2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)
{
    for (int row = 0; row < 16; row += 2) {
        const uint8_t *line = source + row * lineStep;
        Rgb<Bgr> upper(SplitRow(line)), lower(SplitRow(line + lineStep));
        int16_t *luma = blocks[0] + (row >> 3) * 128 + (row & 7) * 8;
        Luma(upper, luma, luma + 64);
        Luma(lower, luma + 8, luma + 72);
        __m128i r = _mm_add_epi16(_mm_add_epi16(upper.r[0], upper.r[1]), _mm_add_epi16(lower.r[0], lower.r[1]));
        __m128i g = _mm_add_epi16(_mm_add_epi16(upper.g[0], upper.g[1]), _mm_add_epi16(lower.g[0], lower.g[1]));
        __m128i b = _mm_add_epi16(_mm_add_epi16(upper.b[0], upper.b[1]), _mm_add_epi16(lower.b[0], lower.b[1]));
        Chroma(r, g, b, 4, blocks[1] + 4 * row, blocks[2] + 4 * row);
    }
}

} // namespace

#define JPG_SSE2_INPUT_KERNEL(name, shape, Bgr)                                                                  \
    JPG_SIMD_ENTRY void name(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks)                   \
    {                                                                                                             \
        shape<Bgr>(source, lineStep, blocks);                                                                     \
    }

JPG_SSE2_INPUT_KERNEL(JpgRgbToYcc1x1Sse2, ToYcc1x1, false)
JPG_SSE2_INPUT_KERNEL(JpgBgrToYcc1x1Sse2, ToYcc1x1, true)
JPG_SSE2_INPUT_KERNEL(JpgRgbToYcc2x1Sse2, ToYcc2x1, false)
JPG_SSE2_INPUT_KERNEL(JpgBgrToYcc2x1Sse2, ToYcc2x1, true)
JPG_SSE2_INPUT_KERNEL(JpgRgbToYcc2x2Sse2, ToYcc2x2, false)
JPG_SSE2_INPUT_KERNEL(JpgBgrToYcc2x2Sse2, ToYcc2x2, true)
