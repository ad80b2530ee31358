// The writer through the routine table of each processor type: every bitmap
// layout that has a whole-MCU kernel, in a picture of odd size so that the
// edge MCUs take the generic edge routines beside the kernels.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "jpeg_codec.h"
#include "jpeg_dispatch.h"
#include "jpeg_encode_helpers.h"
#include "jpeg_forced_cpu.h"

namespace {

struct InputLayout {
    const char *name;
    int dibColour, channels, jpgChannels, jpgColour, subsampling;
    bool packed;
};

const InputLayout InputLayouts[] = {
    {"gray", JPG_COLOUR_GRAY, 1, 1, JPG_COLOUR_GRAY, 0, false},
    {"RGB 1x1", JPG_COLOUR_RGB, 3, 3, JPG_COLOUR_YCBCR, 0, false},
    {"RGB 2x1", JPG_COLOUR_RGB, 3, 3, JPG_COLOUR_YCBCR, 2, false},
    {"RGB 2x2", JPG_COLOUR_RGB, 3, 3, JPG_COLOUR_YCBCR, 1, false},
    {"BGR 1x1", JPG_COLOUR_BGR, 3, 3, JPG_COLOUR_YCBCR, 0, false},
    {"BGR 2x1", JPG_COLOUR_BGR, 3, 3, JPG_COLOUR_YCBCR, 2, false},
    {"BGR 2x2", JPG_COLOUR_BGR, 3, 3, JPG_COLOUR_YCBCR, 1, false},
    {"RGBA 1x1", JPG_COLOUR_RGBA, 4, 4, JPG_COLOUR_YCBCRA, 0, false},
    {"RGBA 2x1", JPG_COLOUR_RGBA, 4, 4, JPG_COLOUR_YCBCRA, 4, false},
    {"RGBA 2x2", JPG_COLOUR_RGBA, 4, 4, JPG_COLOUR_YCBCRA, 3, false},
    {"packed 4:2:2", JPG_COLOUR_YCBCR, 3, 3, JPG_COLOUR_YCBCR, 2, true},
};

Bitmap BitmapOf(const InputLayout &l, int width, int height)
{
    Pixels pixels = MakePixels(width, height, l.packed ? 2 : l.channels, 33);
    Bitmap bitmap = LayOut(pixels, l.dibColour, l.packed ? 2 : l.channels, 3, false);
    if (l.packed) {
        bitmap.channels = 3;
        bitmap.subsampling = 2;
    }
    return bitmap;
}

// Read back by the generic routines, in the bitmap's own layout.
int ReadBackGeneric(const Bytes &jpeg, const InputLayout &l, int width, int height, std::vector<uint8_t> *dib)
{
    JpgForceCpuTypeForTests(0);
    MemoryReader reader(jpeg);
    JPEG_IMAGE_PROPS &r = reader.record;
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    dib->assign((size_t)width * (l.packed ? 2 : l.channels) * height, 0);
    r.dibPixels = dib->data();
    r.dibWidth = width;
    r.dibHeight = height;
    r.dibChannels = l.channels;
    r.dibColour = l.dibColour;
    r.dibSubsampling = l.packed ? 2 : 0;
    return result == 0 ? reader.Read(JPG_READ_IMAGE_MEMORY) : result;
}

// The packed types differ from each other only in instructions: they write
// the same bytes. What the generic routines read back from those bytes
// stays within the packed transforms' own rounding of the generic
// writer's picture (the colour kernels themselves are exact).
TEST(JpegForcedEncode, PackedTypesWriteOneStreamCloseToTheGenericOne)
{
    const int height = 27;
    for (const InputLayout &l : InputLayouts)
        for (int method : {JPG_DCT_INTEGER, JPG_DCT_AAN})
            for (bool progressive : {false, true}) {
                SCOPED_TRACE(testing::Message() << l.name << (method == JPG_DCT_INTEGER ? " integer" : " fast")
                                                << (progressive ? " progressive" : ""));
                // Packed pixels come in pairs.
                int width = l.packed ? 46 : 45;
                Bitmap bitmap = BitmapOf(l, width, height);
                EncodeSettings settings;
                settings.jpgChannels = l.jpgChannels;
                settings.jpgColour = l.jpgColour;
                settings.subsampling = l.subsampling;
                settings.quality = 90;
                settings.dctMethod = method;
                settings.progressive = progressive;
                Bytes generic, first;
                JpgForceCpuTypeForTests(0);
                ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &generic));
                std::vector<uint8_t> genericBack, back;
                ASSERT_EQ(0, ReadBackGeneric(generic, l, width, height, &genericBack));
                for (int type : {3, 4, 5, 6}) {
                    Bytes forced;
                    JpgForceCpuTypeForTests(type);
                    ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &forced)) << "type " << type;
                    if (type == 3)
                        first = forced;
                    else
                        EXPECT_EQ(first, forced) << "type " << type << " against type 3";
                }
                ASSERT_EQ(0, ReadBackGeneric(first, l, width, height, &back));
                ASSERT_EQ(genericBack.size(), back.size());
                int worst = 0;
                double sum = 0;
                for (size_t i = 0; i < back.size(); i++) {
                    worst = std::max(worst, abs(genericBack[i] - back[i]));
                    sum += abs(genericBack[i] - back[i]);
                }
                // The fast forward transform truncates its products, and a
                // coefficient that lands by a quantiser step apart moves
                // the samples of its block; a block out of place or a
                // colour mixed up moves them by far more.
                bool fast = method == JPG_DCT_AAN;
                EXPECT_LE(sum / back.size(), fast ? 3.0 : 0.75);
                EXPECT_LE(worst, fast ? 24 : 12);
            }
    ApplyForcedCpuTypeFromEnvironment();
}

} // namespace
