// Processor detection and the table of routines chosen for the processor.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "jpeg_types.h"

struct JpgBitOutput;

typedef void (*JpgVectorStateRoutine)(void);
typedef void (*JpgIdctRoutine)(int16_t *block);
typedef void (*JpgDequantRoutine)(int16_t *block, const int16_t *table);
typedef int (*JpgMcuOutputRoutine)(JPEG_PROPERTIES *props, int column, int row);
typedef int (*JpgDecodeBlockRoutine)(JpgBitInput *input, const JpgHuffTable *dc,
                                     const JpgHuffTable *ac, int16_t *predictor, int16_t *out);
typedef void (*JpgFdctRoutine)(int16_t *block);
typedef void (*JpgQuantRoutine)(int16_t *block, const int16_t *reciprocals);
typedef void (*JpgOutputInitRoutine)(JpgBitOutput *out, uint8_t *buffer, int size);
typedef int (*JpgWriteBytesRoutine)(const uint8_t *bytes, int count, JpgBitOutput *out);
typedef void (*JpgMcuInputRoutine)(JPEG_PROPERTIES *props, int column, int row);
// Converts one whole MCU of the bitmap; blocks[c] is component c's first block.
typedef void (*JpgMcuKernel)(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
// Write one whole decoded MCU of 8-bit samples into the bitmap, from one
// sample pointer per component (the first block of each).
typedef void (*JpgGrayOutKernel)(const int16_t *samples, uint8_t *dib, ptrdiff_t lineStep);
typedef void (*JpgColourOutKernel)(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib,
                                   ptrdiff_t lineStep);
typedef void (*JpgFourChannelOutKernel)(const int16_t *c0, const int16_t *c1, const int16_t *c2, const int16_t *c3,
                                        uint8_t *dib, ptrdiff_t lineStep);
// One whole MCU with smoothed chroma, 16 pixels across and 8 (2 x 1
// sampling) or 16 (2 x 2) rows down, straight from the decoder's row
// buffers: rows of 16 luminance samples; 8 rows of 8 samples of Cb and of
// Cr, each row with its neighbouring MCUs' samples at [-1] and [8]; for
// 2 x 2 also the chroma rows just above and below the MCU. Layout is one
// of the JPG_SMOOTH_ codes.
enum { JPG_SMOOTH_RGB = 0, JPG_SMOOTH_BGR = 1, JPG_SMOOTH_RGBA = 2 };
struct JpgSmoothSource {
    const uint8_t *luma;
    ptrdiff_t lumaStride;
    const uint8_t *chroma[2], *above[2], *below[2]; // Cb, Cr
    ptrdiff_t chromaStride;
    int rows, layout;
    uint8_t *dib;
    ptrdiff_t lineStep;
};
typedef void (*JpgSmoothMcuKernel)(const JpgSmoothSource *source);
typedef int (*JpgEncodeBlockRoutine)(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac,
                                     int16_t *predictor, const int16_t *block);

struct JpgDispatch {
    int32_t scanHeaderLength;
    void *user32;
    void *advapi32;
    void *regOpenKeyEx;
    void *regQueryValueEx;
    void *regCloseKey;

    JpgVectorStateRoutine mmx_state_clear;
    JpgFdctRoutine fdct_aan;
    JpgFdctRoutine fdct_integer;
    JpgIdctRoutine idct_aan_8x8, idct_aan_4x4, idct_aan_2x2, idct_aan_1x1;
    JpgIdctRoutine idct_integer_8x8, idct_integer_4x4, idct_integer_2x2, idct_integer_1x1;
    JpgFdctRoutine run_fdct;
    JpgIdctRoutine run_idct_8x8, run_idct_4x4, run_idct_2x2, run_idct_1x1;
    JpgOutputInitRoutine out_init;
    JpgWriteBytesRoutine out_write_bytes;
    JpgMcuInputRoutine run_mcu_input;
    JpgMcuKernel enc_in_gray;
    JpgMcuKernel enc_cc_rgb_ycc_h1v1, enc_cc_rgb_ycc_h2v1, enc_cc_rgb_ycc_h2v2;
    JpgMcuKernel enc_cc_bgr_ycc_h1v1, enc_cc_bgr_ycc_h2v1, enc_cc_bgr_ycc_h2v2;
    JpgMcuKernel enc_in_3ch_h1v1, enc_in_3ch_h2v1, enc_in_3ch_h2v2, enc_in_ycbycr_422;
    JpgMcuKernel enc_cc_4ch_ycck_h1v1, enc_cc_4ch_ycck_h2v1, enc_cc_4ch_ycck_h2v2;
    JpgMcuKernel enc_in_4ch_h1v1;
    JpgMcuOutputRoutine run_mcu_output;
    JpgGrayOutKernel dec_out_gray;
    JpgColourOutKernel dec_cc_ycc_rgb_h1v1, dec_cc_ycc_rgb_h2v1, dec_cc_ycc_rgb_h2v2;
    JpgColourOutKernel dec_cc_ycc_bgr_h1v1, dec_cc_ycc_bgr_h2v1, dec_cc_ycc_bgr_h2v2;
    JpgColourOutKernel dec_cc_ycc_rgba_h1v1, dec_cc_ycc_rgba_h2v1, dec_cc_ycc_rgba_h2v2;
    JpgColourOutKernel dec_out_3ch_h1v1, dec_out_3ch_h2v1, dec_out_3ch_h2v2, dec_out_3ch_alpha_h1v1;
    JpgColourOutKernel dec_out_ycbycr_422;
    JpgFourChannelOutKernel dec_cc_ycck_4ch_h1v1, dec_cc_ycck_4ch_h2v1, dec_cc_ycck_4ch_h2v2;
    JpgFourChannelOutKernel dec_out_4ch_h1v1;
    JpgEncodeBlockRoutine huff_encode_block;
    JpgDecodeBlockRoutine huff_decode_block;
    JpgDecodeBlockRoutine huff_decode_dc_skip_ac;
    JpgQuantRoutine quant_aan, quant_integer, run_quant;
    JpgDequantRoutine dequant_aan, dequant_integer, run_dequant;
};

enum JpgCpuType {
    JPG_CPU_GENERIC = 0,
    JPG_CPU_FAMILY5 = 1,
    JPG_CPU_FAMILY6 = 2,
    JPG_CPU_MMX = 3,
    JPG_CPU_MMX_FAMILY6 = 4,
    JPG_CPU_SSE = 5,
    JPG_CPU_SSE2 = 6,
};

enum JpgCpuFeature {
    JPG_FEATURE_TSC = 1u << 4,
    JPG_FEATURE_MMX = 1u << 23,
    JPG_FEATURE_SSE = 1u << 25,
    JPG_FEATURE_SSE2 = 1u << 26,
};

struct JpgCpuInfo {
    uint32_t brandIndex;
    uint32_t processorType;
    uint32_t family;
    uint32_t model;
    uint32_t stepping;
    uint32_t features;
    char vendor[13];
};

int JpgSelectCpuRoutines(JpgDispatch *dispatch);
int JpgDetectCpuType(JpgDispatch *dispatch);
int JpgReadCpuOverride(JpgDispatch *dispatch);
// Test programs rerun the codec's tests with each processor type forced as
// the registry override would force it; -1 stops forcing.
void JpgForceCpuTypeForTests(int type);
// Test programs see each table once it is filled, to count the calls
// through its slots; null stops it.
void JpgSetFilledTableHookForTests(void (*hook)(JpgDispatch *dispatch));
void JpgReadCpuInfo(void);
const JpgCpuInfo *JpgGetCpuInfo(void);
// The type a processor gets, from its identification and the override (-1 = none).
int JpgCpuTypeFor(const JpgCpuInfo *info, int overrideType);

void JpgFillDispatchGeneric(JpgDispatch *dispatch);
void JpgFillDispatchFamily5(JpgDispatch *dispatch);
void JpgFillDispatchFamily6(JpgDispatch *dispatch);
void JpgFillDispatchMmx(JpgDispatch *dispatch);
void JpgFillDispatchMmxFamily6(JpgDispatch *dispatch);
void JpgFillDispatchSse(JpgDispatch *dispatch);
void JpgFillDispatchSse2(JpgDispatch *dispatch);

void JpgNoVectorState(void);

// Process-wide helpers. The copy and zero routines are the same on every
// processor, so they are fixed; the time stamp depends on the processor and is
// rewritten by every selection with the same value.
extern void *(*const JpgCopyBytes)(void *to, const void *from, size_t n);
extern int (*const JpgZeroBytes)(void *to, size_t n);
extern uint64_t (*JpgTimeStamp)(void);
uint64_t JpgReadTimeStampNone(void);
