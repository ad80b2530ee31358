// The per-processor forms of the codec's inner loops. Each has the
// arguments of the generic routine of its dispatch slot; the fillers of
// processor types 3 to 6 install them. Every 64-bit x86 processor has the
// 128-bit registers, so there the colour kernels of the RGB and BGR slots,
// the fast forward transform and quantiser and the MMX block coder run the
// wide bodies below, which write the same bytes, samples and coefficients.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Routines reached from the dispatch record may be entered with the 4-byte
// stack alignment that i686 Windows guarantees; those that keep 16-byte
// vectors on their stack realign it on entry.
#if defined(__i386__)
#define JPG_SIMD_ENTRY __attribute__((force_align_arg_pointer))
#else
#define JPG_SIMD_ENTRY
#endif


struct JpgHuffTable;
struct JpgSmoothSource;

void JpgClearMmxState(void);

// The fast transforms: 16-bit arithmetic with constants of their own,
// truncating where the generic ones round.
void JpgFdctAanMmx(int16_t *block);
void JpgIdctAanMmx(int16_t *block);
// The MMX forward steps on 128-bit registers.
void JpgFdctAanSse2(int16_t *block);

void JpgFdctIntegerMmx(int16_t *block);
void JpgFdctIntegerSse(int16_t *block);
void JpgFdctIntegerSse2(int16_t *block);
void JpgIdctIntegerMmx(int16_t *block);
void JpgIdctIntegerSse(int16_t *block);
void JpgIdctIntegerSse2(int16_t *block);

void JpgQuantizeAanMmx(int16_t *block, const int16_t *reciprocals);
// The MMX fast quantiser's steps on 128-bit registers.
void JpgQuantizeAanSse2(int16_t *block, const int16_t *reciprocals);
void JpgQuantizeIntegerMmx(int16_t *block, const int16_t *reciprocals);
void JpgQuantizeIntegerSse(int16_t *block, const int16_t *reciprocals);
void JpgQuantizeIntegerSse2(int16_t *block, const int16_t *reciprocals);
void JpgDequantizeIntegerMmx(int16_t *block, const int16_t *table);
void JpgDequantizeIntegerSse2(int16_t *block, const int16_t *table);

// Decoder colour kernels: 16-bit samples of one whole MCU to DIB bytes.
void JpgYccToRgb1x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr1x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgba1x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgb2x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr2x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgb2x1Sse(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr2x1Sse(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgba2x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
// 16 x 8 pixels: two luminance blocks and four chroma rows.
void JpgYccToRgb2x2HalfMmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr2x2HalfMmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgba2x2Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
// Four components: the colour bytes complemented, the fourth sample's low
// byte last; the fourth blocks are read where the MCU layout puts them.
void JpgYccaToRgba1x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth,
                         uint8_t *dib, ptrdiff_t step);
void JpgYccaToRgba2x1Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth,
                         uint8_t *dib, ptrdiff_t step);
void JpgYccaToRgba2x2Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth,
                         uint8_t *dib, ptrdiff_t step);
void JpgCopyGray1x1Mmx(const int16_t *samples, uint8_t *dib, ptrdiff_t step);
void JpgYccToPacked422Mmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
// The slot forms of the half kernels: the whole 16 x 16 MCU in two calls.
void JpgYccToRgb2x2ByHalvesMmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                               ptrdiff_t step);
void JpgYccToBgr2x2ByHalvesMmx(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                               ptrdiff_t step);

// The RGB and BGR kernels of 1 x 1, 2 x 1 and 2 x 2 MCUs on 128-bit
// registers, writing the bytes of the 64-bit kernels.
void JpgYccToRgb1x1Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr1x1Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgb2x1Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr2x1Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgb2x2Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr2x2Sse2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);

// A whole 2 x 1 or 2 x 2 MCU with smoothed chroma, from the decoder's row
// buffers into RGB, BGR or RGBA; bit for bit JpgSmoothMcu.
void JpgSmoothMcuSse2(const JpgSmoothSource *source);

// Encoder colour kernels: one whole MCU of the bitmap to level-shifted
// samples, bit for bit the generic kernels' results.
void JpgSplitGray1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbToYcc1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbToYcc2x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc2x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
// The 1 x 1, 2 x 1 and 2 x 2 kernels on 128-bit registers.
void JpgRgbToYcc1x1Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc1x1Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbToYcc2x1Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc2x1Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbToYcc2x2Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc2x2Sse2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
// 8 x 8 pixels into one luminance block and a 4 x 4 corner of the chroma
// blocks at cb (Cr 64 samples after it).
void JpgRgbToYcc2x2QuarterMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb);
void JpgBgrToYcc2x2QuarterMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb);
void JpgRgbToYcc2x2ByQuartersMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc2x2ByQuartersMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
// Four-byte pixels, complemented colours and the fourth byte; the 1 x 1
// form writes the fourth block 192 samples after the luminance.
void JpgRgbaToYcca1x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbaToYcca2x1Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
// 16 x 8 pixels (half the MCU); Cr is written 64 samples after cb.
void JpgRgbaToYcca2x2HalfMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *luma, int16_t *cb, int16_t *cr,
                             int16_t *fourth);
void JpgRgbaToYcca2x2ByHalvesMmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgSplitPacked422Mmx(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgSplitPacked422Sse(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);

// Entropy decoding with a 64-bit accumulator: the block decoder of family 5
// processors (no conditional moves) and of the later ones, the DC-only
// decoder, and the file refill they share (-11 when the file has no more
// bytes).
struct JpgBitInput;
int JpgDecodeBlockMmxFamily5(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                             int16_t *predictor, int16_t *block);
int JpgDecodeBlockMmx(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      int16_t *block);
int JpgDecodeBlockDcOnlyMmx(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                            int16_t *predictor, int16_t *dcOut);
int JpgRefillInputMmx(JpgBitInput *input);

// Entropy coding: the 64-bit writer of the packed block coders (the pending
// bits left-aligned in the output record's accumulator, their count in its
// pending-bits field) and the coders themselves.
struct JpgBitOutput;
int JpgMmxPutBits(uint32_t bits, int length, JpgBitOutput *out);
// Four output bytes from the top of the accumulator, a stuffed zero after
// each 0xFF (one that ends the group goes back into the accumulator).
void JpgMmxEmitGroup(JpgBitOutput *out, uint64_t *accumulator, int *count);
int JpgMmxPutBitsFile(uint32_t bits, int length, JpgBitOutput *out);
int JpgPutBitsSse(uint32_t bits, int length, JpgBitOutput *out);
// Emits every pending bit, the last byte filled with 1-bits.
int JpgMmxFlushBits(JpgBitOutput *out);
void JpgOutputInitMmx(JpgBitOutput *out, uint8_t *buffer, int size);
int JpgWriteBytesMmx(const uint8_t *bytes, int count, JpgBitOutput *out);
// Bit k set where the coefficient at zigzag position k is not zero.
uint64_t JpgNonZeroMapMmx(const int16_t *block);
int JpgEncodeBlockMmx(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      const int16_t *block);
int JpgEncodeBlockSse(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                      const int16_t *block);
uint64_t JpgNonZeroMapSse2(const int16_t *block);
int JpgEncodeBlockSse2(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                       const int16_t *block);
