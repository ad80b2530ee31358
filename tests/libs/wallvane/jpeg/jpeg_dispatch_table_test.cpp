// The routine table of each processor type, slot by slot, as the codec's
// design fixes it: which form of each inner loop a processor gets.
#include <gtest/gtest.h>
#include <stddef.h>
#include <string.h>

#include <string>
#include <vector>

#include "jpeg_dispatch.h"
#include "jpeg_encode_helpers.h"
#include "jpeg_encoder.h"
#include "jpeg_forced_cpu.h"
#include "jpeg_simd.h"
#include "jpeg_slot_calls.h"

namespace {

typedef void (*Fill)(JpgDispatch *);
const Fill Fills[JPG_CPU_TYPES] = {JpgFillDispatchGeneric, JpgFillDispatchFamily5, JpgFillDispatchFamily6,
                                   JpgFillDispatchMmx,     JpgFillDispatchMmxFamily6, JpgFillDispatchSse,
                                   JpgFillDispatchSse2};

// What a slot holds for types 0 to 2, 3, 4, 5 and 6.
struct Slot {
    const char *role;
    size_t offset;
    const void *routines[5];
};

#define SLOT(role, generic, mmx3, mmx4, sse, sse2)                                                               \
    {#role, offsetof(JpgDispatch, role),                                                                         \
     {(const void *)(generic), (const void *)(mmx3), (const void *)(mmx4), (const void *)(sse), (const void *)(sse2)}}
#define SAME(role, generic) SLOT(role, generic, generic, generic, generic, generic)
#define PACKED(role, generic, packed) SLOT(role, generic, packed, packed, packed, packed)

const Slot Slots[] = {
    PACKED(mmx_state_clear, JpgNoVectorState, JpgClearMmxState),
    PACKED(fdct_aan, JpgFdctAan, JpgFdctAanMmx),
    SLOT(fdct_integer, JpgFdctInteger, JpgFdctIntegerMmx, JpgFdctIntegerMmx, JpgFdctIntegerSse, JpgFdctIntegerSse2),
    PACKED(idct_aan_8x8, JpgIdctAan, JpgIdctAanMmx),
    SAME(idct_aan_4x4, JpgIdctAan4x4),
    SAME(idct_aan_2x2, JpgIdctAan2x2),
    SAME(idct_aan_1x1, JpgIdctAan1x1),
    SLOT(idct_integer_8x8, JpgIdctInteger, JpgIdctIntegerMmx, JpgIdctIntegerMmx, JpgIdctIntegerSse,
         JpgIdctIntegerSse2),
    SAME(idct_integer_4x4, JpgIdctInteger4x4),
    SAME(idct_integer_2x2, JpgIdctInteger2x2),
    SAME(idct_integer_1x1, JpgIdctInteger1x1),
    SAME(run_fdct, nullptr),
    SAME(run_idct_8x8, nullptr),
    SAME(run_idct_4x4, nullptr),
    SAME(run_idct_2x2, nullptr),
    SAME(run_idct_1x1, nullptr),
    PACKED(out_init, JpgOutputInit, JpgOutputInitMmx),
    PACKED(out_write_bytes, JpgWriteBytes, JpgWriteBytesMmx),
    SAME(run_mcu_input, nullptr),
    PACKED(enc_in_gray, JpgSplitGray1x1, JpgSplitGray1x1Mmx),
    PACKED(enc_cc_rgb_ycc_h1v1, JpgRgbToYcc1x1, JpgRgbToYcc1x1Mmx),
    PACKED(enc_cc_rgb_ycc_h2v1, JpgRgbToYcc2x1, JpgRgbToYcc2x1Mmx),
    PACKED(enc_cc_rgb_ycc_h2v2, JpgRgbToYcc2x2, JpgRgbToYcc2x2ByQuartersMmx),
    PACKED(enc_cc_bgr_ycc_h1v1, JpgBgrToYcc1x1, JpgBgrToYcc1x1Mmx),
    PACKED(enc_cc_bgr_ycc_h2v1, JpgBgrToYcc2x1, JpgBgrToYcc2x1Mmx),
    PACKED(enc_cc_bgr_ycc_h2v2, JpgBgrToYcc2x2, JpgBgrToYcc2x2ByQuartersMmx),
    SAME(enc_in_3ch_h1v1, JpgSplit3Channels1x1),
    SAME(enc_in_3ch_h2v1, JpgSplit3Channels2x1),
    SAME(enc_in_3ch_h2v2, JpgSplit3Channels2x2),
    SLOT(enc_in_ycbycr_422, JpgSplitPacked422, JpgSplitPacked422Mmx, JpgSplitPacked422Mmx, JpgSplitPacked422Sse,
         JpgSplitPacked422Sse),
    PACKED(enc_cc_4ch_ycck_h1v1, JpgRgbaToYcca1x1, JpgRgbaToYcca1x1Mmx),
    PACKED(enc_cc_4ch_ycck_h2v1, JpgRgbaToYcca2x1, JpgRgbaToYcca2x1Mmx),
    PACKED(enc_cc_4ch_ycck_h2v2, JpgRgbaToYcca2x2, JpgRgbaToYcca2x2ByHalvesMmx),
    SAME(enc_in_4ch_h1v1, JpgSplit4Channels1x1),
    SAME(run_mcu_output, nullptr),
    PACKED(dec_out_gray, JpgCopyGray1x1, JpgCopyGray1x1Mmx),
    PACKED(dec_cc_ycc_rgb_h1v1, JpgYccToRgb1x1, JpgYccToRgb1x1Mmx),
    SLOT(dec_cc_ycc_rgb_h2v1, JpgYccToRgb2x1, JpgYccToRgb2x1Mmx, JpgYccToRgb2x1Mmx, JpgYccToRgb2x1Sse, JpgYccToRgb2x1Sse),
    PACKED(dec_cc_ycc_rgb_h2v2, JpgYccToRgb2x2, JpgYccToRgb2x2ByHalvesMmx),
    PACKED(dec_cc_ycc_bgr_h1v1, JpgYccToBgr1x1, JpgYccToBgr1x1Mmx),
    SLOT(dec_cc_ycc_bgr_h2v1, JpgYccToBgr2x1, JpgYccToBgr2x1Mmx, JpgYccToBgr2x1Mmx, JpgYccToBgr2x1Sse, JpgYccToBgr2x1Sse),
    PACKED(dec_cc_ycc_bgr_h2v2, JpgYccToBgr2x2, JpgYccToBgr2x2ByHalvesMmx),
    PACKED(dec_cc_ycc_rgba_h1v1, JpgYccToRgba1x1, JpgYccToRgba1x1Mmx),
    PACKED(dec_cc_ycc_rgba_h2v1, JpgYccToRgba2x1, JpgYccToRgba2x1Mmx),
    PACKED(dec_cc_ycc_rgba_h2v2, JpgYccToRgba2x2, JpgYccToRgba2x2Mmx),
    SAME(dec_out_3ch_h1v1, JpgInterleave3Channels1x1),
    SAME(dec_out_3ch_h2v1, JpgExpand3Channels2x1),
    SAME(dec_out_3ch_h2v2, JpgExpand3Channels2x2),
    SAME(dec_out_3ch_alpha_h1v1, JpgInterleave3ChannelsAlpha1x1),
    PACKED(dec_out_ycbycr_422, JpgYccToPacked422, JpgYccToPacked422Mmx),
    PACKED(dec_cc_ycck_4ch_h1v1, JpgYccaToRgba1x1, JpgYccaToRgba1x1Mmx),
    PACKED(dec_cc_ycck_4ch_h2v1, JpgYccaToRgba2x1, JpgYccaToRgba2x1Mmx),
    PACKED(dec_cc_ycck_4ch_h2v2, JpgYccaToRgba2x2, JpgYccaToRgba2x2Mmx),
    SAME(dec_out_4ch_h1v1, JpgInterleave4Channels1x1),
    SLOT(huff_encode_block, JpgEncodeBlock, JpgEncodeBlockMmx, JpgEncodeBlockMmx, JpgEncodeBlockSse,
         JpgEncodeBlockMmx),
    SLOT(huff_decode_block, JpgDecodeBlock, JpgDecodeBlockMmxFamily5, JpgDecodeBlockMmx, JpgDecodeBlockMmx,
         JpgDecodeBlockMmx),
    PACKED(huff_decode_dc_skip_ac, JpgDecodeBlockDcOnly, JpgDecodeBlockDcOnlyMmx),
    PACKED(quant_aan, JpgQuantizeAan, JpgQuantizeAanMmx),
    SLOT(quant_integer, JpgQuantizeInteger, JpgQuantizeIntegerMmx, JpgQuantizeIntegerMmx, JpgQuantizeIntegerSse,
         JpgQuantizeIntegerSse2),
    PACKED(run_quant, JpgQuantizeAan, JpgQuantizeAanMmx),
    SAME(dequant_aan, JpgDequantizeAan),
    SLOT(dequant_integer, JpgDequantizeInteger, JpgDequantizeIntegerMmx, JpgDequantizeIntegerMmx,
         JpgDequantizeIntegerMmx, JpgDequantizeIntegerSse2),
    SAME(run_dequant, JpgDequantizeAan),
};

const void *SlotValue(const JpgDispatch &d, const Slot &slot)
{
    const void *value;
    memcpy(&value, reinterpret_cast<const char *>(&d) + slot.offset, sizeof value);
    return value;
}

TEST(JpegDispatchTable, EveryTypeFillsEverySlotWithItsForm)
{
    for (int type = 0; type < JPG_CPU_TYPES; type++) {
        int column = type < 3 ? 0 : type - 2;
        // Whatever a slot held before, the fill writes it.
        JpgDispatch d;
        memset(&d, 0x5A, sizeof d);
        Fills[type](&d);
        for (const Slot &slot : Slots)
            EXPECT_EQ(slot.routines[column], SlotValue(d, slot)) << slot.role << ", type " << type;
    }
}

// The table holds the slots named above and nothing between them: a slot
// added to the record without a row here shows.
TEST(JpegDispatchTable, TheRowsCoverTheRecordsSlots)
{
    size_t first = offsetof(JpgDispatch, mmx_state_clear), last = offsetof(JpgDispatch, run_dequant);
    EXPECT_EQ(63u, sizeof Slots / sizeof Slots[0]);
    EXPECT_EQ(62 * sizeof(void *), last - first);
    for (size_t i = 0; i < sizeof Slots / sizeof Slots[0]; i++)
        EXPECT_EQ(first + i * sizeof(void *), Slots[i].offset) << Slots[i].role;
    EXPECT_EQ(last + sizeof(void *), sizeof(JpgDispatch)) << "one record: no slot beside the table";
}

// Reads and writes of every shape through each type's table, counting the
// calls through each slot: a type runs the routines its table names, so
// each slot is called as often on every type as on the generic one, where
// a routine beside the table taking a slot's role leaves it uncalled.
TEST(JpegDispatchTable, EveryTypeRunsItsTablesRoutines)
{
    struct Shape {
        const char *name;
        int channels, dibColour, jpgChannels, jpgColour, subsampling;
    };
    const Shape shapes[] = {{"gray", 1, JPG_COLOUR_GRAY, 1, JPG_COLOUR_GRAY, 0},
                            {"RGB 1x1", 3, JPG_COLOUR_RGB, 3, JPG_COLOUR_YCBCR, 0},
                            {"BGR 2x1", 3, JPG_COLOUR_BGR, 3, JPG_COLOUR_YCBCR, 2},
                            {"BGR 2x2", 3, JPG_COLOUR_BGR, 3, JPG_COLOUR_YCBCR, 1},
                            {"RGB 2x2", 3, JPG_COLOUR_RGB, 3, JPG_COLOUR_YCBCR, 1},
                            {"RGBA 1x1", 4, JPG_COLOUR_RGBA, 4, JPG_COLOUR_YCBCRA, 0}};
    std::vector<SlotCalls> generic;
    for (int type = 0; type < JPG_CPU_TYPES; type++) {
        JpgForceCpuTypeForTests(type);
        size_t run = 0;
        for (const Shape &shape : shapes)
            for (int method : {JPG_DCT_INTEGER, JPG_DCT_AAN})
                for (int mode : {JPG_READ_IMAGE_MEMORY, JPG_READ_HALF_MEMORY}) {
                    std::string what = std::string(shape.name) + (method == JPG_DCT_AAN ? ", fast" : ", accurate") +
                                       (mode == JPG_READ_HALF_MEMORY ? ", half" : "");
                    SlotCalls calls;
                    CountSlotCalls(&calls);
                    Bitmap bitmap =
                        LayOut(MakePixels(48, 32, shape.channels, 7), shape.dibColour, shape.channels, 0, false);
                    EncodeSettings settings;
                    settings.jpgChannels = shape.jpgChannels;
                    settings.jpgColour = shape.jpgColour;
                    settings.subsampling = shape.subsampling;
                    settings.dctMethod = method;
                    Bytes jpeg;
                    EXPECT_EQ(0, EncodeToMemory(bitmap, settings, &jpeg)) << what;
                    MemoryReader reader(jpeg);
                    EXPECT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY)) << what;
                    reader.record.props.dctMethod = method;
                    BitmapRead read;
                    read.mode = mode;
                    read.channels = shape.channels;
                    read.colour = shape.dibColour;
                    std::vector<uint8_t> dib;
                    EXPECT_EQ(0, ReadInto(&reader.record, &read, &dib)) << what;
                    StopCountingSlotCalls();
                    if (type == 0) {
                        generic.push_back(calls);
                        continue;
                    }
                    for (const Slot &slot : Slots) {
                        int n = SlotNumber(slot.offset);
                        EXPECT_EQ(generic[run].calls[n], calls.calls[n])
                            << slot.role << ", type " << type << ", " << what;
                    }
                    run++;
                }
    }
    long long decodes = 0, encodes = 0, transforms = 0;
    for (const SlotCalls &calls : generic) {
        decodes += calls.calls[SlotNumber(offsetof(JpgDispatch, huff_decode_block))];
        encodes += calls.calls[SlotNumber(offsetof(JpgDispatch, huff_encode_block))];
        transforms += calls.calls[SlotNumber(offsetof(JpgDispatch, idct_integer_8x8))];
    }
    EXPECT_GT(decodes, 0) << "the counting reaches the slots";
    EXPECT_GT(encodes, 0);
    EXPECT_GT(transforms, 0);
    ApplyForcedCpuTypeFromEnvironment();
}

// Through the interface: a record's table is its processor type's.
TEST(JpegDispatchTable, InitFillsTheTableOfTheTypeInForce)
{
    JPEG_IMAGE_PROPS record;
    ASSERT_EQ(0, JpgLibInit(&record));
    int type = record.props.cpuType;
    ASSERT_TRUE(type >= 0 && type < JPG_CPU_TYPES);
    int column = type < 3 ? 0 : type - 2;
    for (const Slot &slot : Slots)
        EXPECT_EQ(slot.routines[column], SlotValue(*record.props.input.dispatch, slot)) << slot.role;
    EXPECT_EQ(0, JpgLibFree(&record));
}

} // namespace
