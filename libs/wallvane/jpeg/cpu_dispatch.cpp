// Processor type detection and the routine table filled for each type.
#include <string.h>

#include "jpeg_decoder.h"
#include "jpeg_dispatch.h"
#include "jpeg_encoder.h"
#include "jpeg_platform.h"
#if defined(__i386__) || defined(__x86_64__)
#define JPG_HAVE_X86_SIMD 1
#include "jpeg_simd.h"
#else
#define JPG_HAVE_X86_SIMD 0
#endif

static JpgCpuInfo CpuInfo = {0, 0, 0, 0, 0, 0, "            "};

static void *CopyBytes(void *to, const void *from, size_t n)
{
    return memmove(to, from, n);
}

static int ZeroBytes(void *to, size_t n)
{
    memset(to, 0, n);
    return 0;
}

void *(*const JpgCopyBytes)(void *to, const void *from, size_t n) = CopyBytes;
int (*const JpgZeroBytes)(void *to, size_t n) = ZeroBytes;
uint64_t (*JpgTimeStamp)(void) = JpgReadTimeStampNone;

uint64_t JpgReadTimeStampNone(void)
{
    return 0;
}

void JpgNoVectorState(void)
{
}

void JpgReadCpuInfo(void)
{
    JpgCpuInfo info = {0, 0, 0, 0, 0, 0, "            "};
    uint32_t regs[4];
    if (JpgPlatformCpuid(0, regs) == 0) {
        memcpy(info.vendor, &regs[1], 4);
        memcpy(info.vendor + 4, &regs[3], 4);
        memcpy(info.vendor + 8, &regs[2], 4);
        info.vendor[12] = 0;
        if (regs[0] >= 1 && JpgPlatformCpuid(1, regs) == 0) {
            info.brandIndex = regs[1] & 0xFF;
            info.processorType = (regs[0] >> 12) & 3;
            info.family = (regs[0] >> 8) & 15;
            info.model = (regs[0] >> 4) & 15;
            info.stepping = regs[0] & 15;
            info.features = regs[3];
        }
    }
    CpuInfo = info;
}

const JpgCpuInfo *JpgGetCpuInfo(void)
{
    return &CpuInfo;
}

int JpgCpuTypeFor(const JpgCpuInfo *info, int overrideType)
{
    if (overrideType >= 0 && overrideType < JPG_CPU_TYPES)
        return overrideType;
    bool mmx = info->features & JPG_FEATURE_MMX, sse = info->features & JPG_FEATURE_SSE;
    bool sse2 = info->features & JPG_FEATURE_SSE2;
    switch (info->family) {
    case 5:
        return mmx ? JPG_CPU_MMX : JPG_CPU_FAMILY5;
    case 6:
        if (mmx)
            return sse ? JPG_CPU_SSE : JPG_CPU_MMX_FAMILY6;
        return JPG_CPU_FAMILY6;
    case 15:
        return sse2 ? JPG_CPU_SSE2 : JPG_CPU_GENERIC;
    default:
        return JPG_CPU_GENERIC;
    }
}

// Set once by a test program before any codec call; -1 leaves the decision
// to the machine's own override and CPUID.
static int ForcedCpuType = -1;

void JpgForceCpuTypeForTests(int type)
{
    ForcedCpuType = type;
}

static void (*FilledHook)(JpgDispatch *) = nullptr;

void JpgSetFilledTableHookForTests(void (*hook)(JpgDispatch *dispatch))
{
    FilledHook = hook;
}

int JpgReadCpuOverride(JpgDispatch *dispatch)
{
    if (ForcedCpuType >= 0)
        return ForcedCpuType;
    return JpgPlatformReadCpuOverride(dispatch);
}

int JpgDetectCpuType(JpgDispatch *dispatch)
{
    JpgReadCpuInfo();
    return JpgCpuTypeFor(&CpuInfo, JpgReadCpuOverride(dispatch));
}

void JpgFillDispatchGeneric(JpgDispatch *dispatch)
{
    dispatch->mmx_state_clear = JpgNoVectorState;
    dispatch->fdct_aan = JpgFdctAan;
    dispatch->fdct_integer = JpgFdctInteger;
    dispatch->idct_aan_8x8 = JpgIdctAan;
    dispatch->idct_aan_4x4 = JpgIdctAan4x4;
    dispatch->idct_aan_2x2 = JpgIdctAan2x2;
    dispatch->idct_aan_1x1 = JpgIdctAan1x1;
    dispatch->idct_integer_8x8 = JpgIdctInteger;
    dispatch->idct_integer_4x4 = JpgIdctInteger4x4;
    dispatch->idct_integer_2x2 = JpgIdctInteger2x2;
    dispatch->idct_integer_1x1 = JpgIdctInteger1x1;
    dispatch->run_fdct = nullptr;
    dispatch->run_idct_8x8 = dispatch->run_idct_4x4 = nullptr;
    dispatch->run_idct_2x2 = dispatch->run_idct_1x1 = nullptr;
    dispatch->out_init = JpgOutputInit;
    dispatch->out_write_bytes = JpgWriteBytes;
    dispatch->run_mcu_input = nullptr;
    dispatch->enc_in_gray = JpgSplitGray1x1;
    dispatch->enc_cc_rgb_ycc_h1v1 = JpgRgbToYcc1x1;
    dispatch->enc_cc_rgb_ycc_h2v1 = JpgRgbToYcc2x1;
    dispatch->enc_cc_rgb_ycc_h2v2 = JpgRgbToYcc2x2;
    dispatch->enc_cc_bgr_ycc_h1v1 = JpgBgrToYcc1x1;
    dispatch->enc_cc_bgr_ycc_h2v1 = JpgBgrToYcc2x1;
    dispatch->enc_cc_bgr_ycc_h2v2 = JpgBgrToYcc2x2;
    dispatch->enc_in_3ch_h1v1 = JpgSplit3Channels1x1;
    dispatch->enc_in_3ch_h2v1 = JpgSplit3Channels2x1;
    dispatch->enc_in_3ch_h2v2 = JpgSplit3Channels2x2;
    dispatch->enc_in_ycbycr_422 = JpgSplitPacked422;
    dispatch->enc_cc_4ch_ycck_h1v1 = JpgRgbaToYcca1x1;
    dispatch->enc_cc_4ch_ycck_h2v1 = JpgRgbaToYcca2x1;
    dispatch->enc_cc_4ch_ycck_h2v2 = JpgRgbaToYcca2x2;
    dispatch->enc_in_4ch_h1v1 = JpgSplit4Channels1x1;
    dispatch->run_mcu_output = nullptr;
    dispatch->dec_out_gray = JpgCopyGray1x1;
    dispatch->dec_cc_ycc_rgb_h1v1 = JpgYccToRgb1x1;
    dispatch->dec_cc_ycc_rgb_h2v1 = JpgYccToRgb2x1;
    dispatch->dec_cc_ycc_rgb_h2v2 = JpgYccToRgb2x2;
    dispatch->dec_cc_ycc_bgr_h1v1 = JpgYccToBgr1x1;
    dispatch->dec_cc_ycc_bgr_h2v1 = JpgYccToBgr2x1;
    dispatch->dec_cc_ycc_bgr_h2v2 = JpgYccToBgr2x2;
    dispatch->dec_cc_ycc_rgba_h1v1 = JpgYccToRgba1x1;
    dispatch->dec_cc_ycc_rgba_h2v1 = JpgYccToRgba2x1;
    dispatch->dec_cc_ycc_rgba_h2v2 = JpgYccToRgba2x2;
    dispatch->dec_out_3ch_h1v1 = JpgInterleave3Channels1x1;
    dispatch->dec_out_3ch_h2v1 = JpgExpand3Channels2x1;
    dispatch->dec_out_3ch_h2v2 = JpgExpand3Channels2x2;
    dispatch->dec_out_3ch_alpha_h1v1 = JpgInterleave3ChannelsAlpha1x1;
    dispatch->dec_out_ycbycr_422 = JpgYccToPacked422;
    dispatch->dec_cc_ycck_4ch_h1v1 = JpgYccaToRgba1x1;
    dispatch->dec_cc_ycck_4ch_h2v1 = JpgYccaToRgba2x1;
    dispatch->dec_cc_ycck_4ch_h2v2 = JpgYccaToRgba2x2;
    dispatch->dec_out_4ch_h1v1 = JpgInterleave4Channels1x1;
    dispatch->huff_encode_block = JpgEncodeBlock;
    dispatch->huff_decode_block = JpgDecodeBlock;
    dispatch->huff_decode_dc_skip_ac = JpgDecodeBlockDcOnly;
    dispatch->dequant_aan = JpgDequantizeAan;
    dispatch->dequant_integer = JpgDequantizeInteger;
    dispatch->run_dequant = dispatch->dequant_aan;
    dispatch->quant_aan = JpgQuantizeAan;
    dispatch->quant_integer = JpgQuantizeInteger;
    dispatch->run_quant = dispatch->quant_aan;
}

// Types 1 and 2 name processors without packed registers.
void JpgFillDispatchFamily5(JpgDispatch *dispatch)
{
    JpgFillDispatchGeneric(dispatch);
}

void JpgFillDispatchFamily6(JpgDispatch *dispatch)
{
    JpgFillDispatchGeneric(dispatch);
}

// The packed forms exist on x86 only; elsewhere every type runs the generic
// routines.
void JpgFillDispatchMmx(JpgDispatch *dispatch)
{
    JpgFillDispatchGeneric(dispatch);
#if JPG_HAVE_X86_SIMD
    dispatch->mmx_state_clear = JpgClearMmxState;
    dispatch->fdct_aan = JpgFdctAanMmx;
    dispatch->fdct_integer = JpgFdctIntegerMmx;
    dispatch->idct_aan_8x8 = JpgIdctAanMmx;
    dispatch->idct_integer_8x8 = JpgIdctIntegerMmx;
    dispatch->out_init = JpgOutputInitMmx;
    dispatch->out_write_bytes = JpgWriteBytesMmx;
    dispatch->enc_in_gray = JpgSplitGray1x1Mmx;
    dispatch->enc_cc_rgb_ycc_h1v1 = JpgRgbToYcc1x1Mmx;
    dispatch->enc_cc_rgb_ycc_h2v1 = JpgRgbToYcc2x1Mmx;
    dispatch->enc_cc_rgb_ycc_h2v2 = JpgRgbToYcc2x2ByQuartersMmx;
    dispatch->enc_cc_bgr_ycc_h1v1 = JpgBgrToYcc1x1Mmx;
    dispatch->enc_cc_bgr_ycc_h2v1 = JpgBgrToYcc2x1Mmx;
    dispatch->enc_cc_bgr_ycc_h2v2 = JpgBgrToYcc2x2ByQuartersMmx;
    dispatch->enc_in_ycbycr_422 = JpgSplitPacked422Mmx;
    dispatch->enc_cc_4ch_ycck_h1v1 = JpgRgbaToYcca1x1Mmx;
    dispatch->enc_cc_4ch_ycck_h2v1 = JpgRgbaToYcca2x1Mmx;
    dispatch->enc_cc_4ch_ycck_h2v2 = JpgRgbaToYcca2x2ByHalvesMmx;
    dispatch->dec_out_gray = JpgCopyGray1x1Mmx;
    dispatch->dec_cc_ycc_rgb_h1v1 = JpgYccToRgb1x1Mmx;
    dispatch->dec_cc_ycc_rgb_h2v1 = JpgYccToRgb2x1Mmx;
    dispatch->dec_cc_ycc_rgb_h2v2 = JpgYccToRgb2x2ByHalvesMmx;
    dispatch->dec_cc_ycc_bgr_h1v1 = JpgYccToBgr1x1Mmx;
    dispatch->dec_cc_ycc_bgr_h2v1 = JpgYccToBgr2x1Mmx;
    dispatch->dec_cc_ycc_bgr_h2v2 = JpgYccToBgr2x2ByHalvesMmx;
    dispatch->dec_cc_ycc_rgba_h1v1 = JpgYccToRgba1x1Mmx;
    dispatch->dec_cc_ycc_rgba_h2v1 = JpgYccToRgba2x1Mmx;
    dispatch->dec_cc_ycc_rgba_h2v2 = JpgYccToRgba2x2Mmx;
    dispatch->dec_out_ycbycr_422 = JpgYccToPacked422Mmx;
    dispatch->dec_cc_ycck_4ch_h1v1 = JpgYccaToRgba1x1Mmx;
    dispatch->dec_cc_ycck_4ch_h2v1 = JpgYccaToRgba2x1Mmx;
    dispatch->dec_cc_ycck_4ch_h2v2 = JpgYccaToRgba2x2Mmx;
    dispatch->huff_encode_block = JpgEncodeBlockMmx;
    dispatch->huff_decode_block = JpgDecodeBlockMmxFamily5;
    dispatch->huff_decode_dc_skip_ac = JpgDecodeBlockDcOnlyMmx;
    dispatch->quant_aan = JpgQuantizeAanMmx;
    dispatch->quant_integer = JpgQuantizeIntegerMmx;
    dispatch->run_quant = dispatch->quant_aan;
    dispatch->dequant_integer = JpgDequantizeIntegerMmx;
#endif
}

// Family 6 on: the block decoder's copy that uses conditional moves.
void JpgFillDispatchMmxFamily6(JpgDispatch *dispatch)
{
    JpgFillDispatchMmx(dispatch);
#if JPG_HAVE_X86_SIMD
    dispatch->huff_decode_block = JpgDecodeBlockMmx;
#endif
}

void JpgFillDispatchSse(JpgDispatch *dispatch)
{
    JpgFillDispatchMmxFamily6(dispatch);
#if JPG_HAVE_X86_SIMD
    dispatch->fdct_integer = JpgFdctIntegerSse;
    dispatch->idct_integer_8x8 = JpgIdctIntegerSse;
    dispatch->enc_in_ycbycr_422 = JpgSplitPacked422Sse;
    dispatch->dec_cc_ycc_rgb_h2v1 = JpgYccToRgb2x1Sse;
    dispatch->dec_cc_ycc_bgr_h2v1 = JpgYccToBgr2x1Sse;
    dispatch->quant_integer = JpgQuantizeIntegerSse;
    dispatch->huff_encode_block = JpgEncodeBlockSse;
#endif
}

// Type 5's set with the five SSE2 routines and the MMX block coder.
void JpgFillDispatchSse2(JpgDispatch *dispatch)
{
    JpgFillDispatchSse(dispatch);
#if JPG_HAVE_X86_SIMD
    dispatch->huff_encode_block = JpgEncodeBlockMmx;
    dispatch->fdct_integer = JpgFdctIntegerSse2;
    dispatch->idct_integer_8x8 = JpgIdctIntegerSse2;
    dispatch->quant_integer = JpgQuantizeIntegerSse2;
    dispatch->dequant_integer = JpgDequantizeIntegerSse2;
#endif
}

static void (*const FillRoutines[JPG_CPU_TYPES])(JpgDispatch *) = {
    JpgFillDispatchGeneric, JpgFillDispatchFamily5, JpgFillDispatchFamily6, JpgFillDispatchMmx,
    JpgFillDispatchMmxFamily6, JpgFillDispatchSse, JpgFillDispatchSse2};

int JpgSelectCpuRoutines(JpgDispatch *dispatch)
{
    JpgLoadUserFunctions(dispatch);
    JpgLoadRegistryFunctions(dispatch);
    int type = JpgDetectCpuType(dispatch);
    JpgTimeStamp = (CpuInfo.features & JPG_FEATURE_TSC) ? JpgPlatformTimeStamp : JpgReadTimeStampNone;
    if (type < 1 || type >= JPG_CPU_TYPES)
        type = 0;
    FillRoutines[type](dispatch);
    if (FilledHook)
        FilledHook(dispatch);
    return 1;
}
