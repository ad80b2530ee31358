// Writing pixels from their colour planes on 128-bit registers: 3-byte
// pixels, and 4-byte ones with 255, for the smoothed and the whole-MCU
// colour kernels, built for SSE2. The planes arrive as 16-bit lanes of values the packs limit to
// 0..255.
#pragma once
#include <emmintrin.h>
#include <stdint.h>
#include <string.h>

namespace packed128 {

// The last 6 bytes of a row exactly, so that nothing past it is touched.
inline void StoreSixBytes(uint8_t *out, __m128i sixBytes)
{
    uint32_t head = (uint32_t)_mm_cvtsi128_si32(sixBytes);
    uint16_t tail = (uint16_t)_mm_extract_epi16(sixBytes, 2);
    memcpy(out, &head, 4);
    memcpy(out + 4, &tail, 2);
}

// Units of 6 bytes in the low 6 bytes of each 64-bit lane, Count of them,
// stored one after the other: each 8-byte store's last two bytes are
// overwritten by the next unit's store, and the last unit goes out as its
// 6 bytes.
template <int Count>
inline void StoreSixByteUnits(uint8_t *out, const __m128i *pairs)
{
    for (int k = 0; k < Count; k += 2) {
        __m128i v = pairs[k / 2];
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + 6 * k), v);
        __m128i high = _mm_unpackhi_epi64(v, v);
        if (k + 2 < Count)
            _mm_storel_epi64(reinterpret_cast<__m128i *>(out + 6 * k + 6), high);
        else
            StoreSixBytes(out + 6 * k + 6, high);
    }
}

// Eight pairs of 3-byte pixels from their planes' even and odd pixels, as
// units of 6 bytes for StoreSixByteUnits (pairs 0 and 1 in units[0], and so
// on): first, second and third of the even pixel, then of the odd one.
inline void PackPixelPairs(__m128i firstEven, __m128i firstOdd, __m128i secondEven, __m128i secondOdd,
                           __m128i thirdEven, __m128i thirdOdd, __m128i *units)
{
    __m128i a = _mm_packus_epi16(firstEven, thirdEven), b = _mm_packus_epi16(secondEven, firstOdd);
    __m128i c = _mm_packus_epi16(secondOdd, thirdOdd);
    __m128i words0 = _mm_unpacklo_epi8(a, b), words1 = _mm_unpackhi_epi8(a, b);
    __m128i words2 = _mm_unpacklo_epi8(c, _mm_unpackhi_epi64(c, c));
    __m128i low = _mm_unpacklo_epi16(words0, words1), high = _mm_unpackhi_epi16(words0, words1);
    __m128i zero = _mm_setzero_si128();
    __m128i lastLow = _mm_unpacklo_epi16(words2, zero), lastHigh = _mm_unpackhi_epi16(words2, zero);
    units[0] = _mm_unpacklo_epi32(low, lastLow);
    units[1] = _mm_unpackhi_epi32(low, lastLow);
    units[2] = _mm_unpacklo_epi32(high, lastHigh);
    units[3] = _mm_unpackhi_epi32(high, lastHigh);
}

// 16 pixels from the planes' even pixels (0, 2 .. 14) and odd pixels
// (1, 3 .. 15), eight of each: the form in which replicated chroma leaves
// them, each chroma term serving one even and one odd pixel.
template <bool Alpha>
inline void WritePixelPairs(uint8_t *out, __m128i firstEven, __m128i firstOdd, __m128i secondEven,
                            __m128i secondOdd, __m128i thirdEven, __m128i thirdOdd)
{
    if (Alpha) {
        __m128i first = _mm_packus_epi16(firstEven, firstOdd), second = _mm_packus_epi16(secondEven, secondOdd);
        __m128i third = _mm_packus_epi16(thirdEven, thirdOdd), opaque = _mm_set1_epi8((char)0xFF);
        __m128i frontEven = _mm_unpacklo_epi8(first, second), frontOdd = _mm_unpackhi_epi8(first, second);
        __m128i backEven = _mm_unpacklo_epi8(third, opaque), backOdd = _mm_unpackhi_epi8(third, opaque);
        __m128i even[2] = {_mm_unpacklo_epi16(frontEven, backEven), _mm_unpackhi_epi16(frontEven, backEven)};
        __m128i odd[2] = {_mm_unpacklo_epi16(frontOdd, backOdd), _mm_unpackhi_epi16(frontOdd, backOdd)};
        for (int h = 0; h < 2; h++) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out) + 2 * h, _mm_unpacklo_epi32(even[h], odd[h]));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out) + 2 * h + 1, _mm_unpackhi_epi32(even[h], odd[h]));
        }
        return;
    }
    __m128i units[4];
    PackPixelPairs(firstEven, firstOdd, secondEven, secondOdd, thirdEven, thirdOdd, units);
    StoreSixByteUnits<8>(out, units);
}

} // namespace packed128
