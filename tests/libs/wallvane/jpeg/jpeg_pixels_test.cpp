// Decoded pixels against djpeg on the same files: both transforms, the
// scaled modes, and the bitmap layouts.
#include <gtest/gtest.h>

#include <stdio.h>

#include "jpeg_codec.h"
#include "reference_jpeg.h"

namespace {

// Decodes into an RGB (or, for gray files, one-channel) bitmap.
int Decode(const Bytes &jpeg, int mode, int dctMethod, Picture *out, int colour = JPG_COLOUR_RGB)
{
    MemoryReader reader(jpeg);
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    if (result != 0)
        return result;
    JPEG_IMAGE_PROPS &r = reader.record;
    int scale = mode == 3 ? 1 : mode == 15 ? 2 : mode == 17 ? 4 : 8;
    out->width = (r.jpgWidth + scale - 1) / scale;
    out->height = (r.jpgHeight + scale - 1) / scale;
    out->channels = r.jpgChannels == 1 ? 1 : 3;
    out->pixels.assign((size_t)out->width * out->height * out->channels, 0);
    r.dibPixels = out->pixels.data();
    r.dibWidth = out->width;
    r.dibHeight = out->height;
    r.dibChannels = out->channels;
    r.dibColour = out->channels == 1 ? JPG_COLOUR_GRAY : colour;
    r.props.dctMethod = dctMethod;
    return reader.Read(mode);
}

struct PixelCase {
    const char *name;
    int width, height, channels;
    const char *cjpeg;
};

const PixelCase Cases[] = {
    {"gray", 64, 48, 1, "-quality 75"},
    {"gray odd", 37, 21, 1, "-quality 95"},
    {"444", 227, 149, 3, "-sample 1x1 -quality 90"},
    {"422", 227, 149, 3, "-sample 2x1 -quality 80"},
    {"420", 227, 149, 3, "-sample 2x2"},
    {"420 q30", 101, 67, 3, "-quality 30"},
    {"440", 50, 41, 3, "-sample 1x2"},
    {"restart", 120, 90, 3, "-restart 1"},
    {"progressive", 227, 149, 3, "-progressive"},
    {"progressive 444", 65, 33, 3, "-progressive -sample 1x1 -quality 95"},
    {"progressive gray", 100, 75, 1, "-progressive"},
    {"rgb", 40, 30, 3, "-rgb -sample 1x1"},
};

TEST(JpegPixels, IntegerTransformMatchesDjpeg)
{
    unsigned seed = 100;
    for (const PixelCase &c : Cases) {
        SCOPED_TRACE(c.name);
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(c.width, c.height, c.channels, seed++), c.cjpeg);
        Picture ours, theirs = DecodeWithDjpeg(jpeg, "-dct int -nosmooth");
        ASSERT_EQ(0, Decode(jpeg, JPG_READ_IMAGE_MEMORY, JPG_DCT_INTEGER, &ours));
        ASSERT_EQ(theirs.pixels.size(), ours.pixels.size());
        Comparison cmp = ComparePixels(ours.pixels, theirs.pixels);
        EXPECT_GE(cmp.psnr, 45.0);
        EXPECT_LE(cmp.maxDiff, 4);
    }
}

TEST(JpegPixels, FastTransformStaysClose)
{
    unsigned seed = 100;
    for (const PixelCase &c : Cases) {
        SCOPED_TRACE(c.name);
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(c.width, c.height, c.channels, seed++), c.cjpeg);
        Picture ours, theirs = DecodeWithDjpeg(jpeg, "-dct int -nosmooth");
        ASSERT_EQ(0, Decode(jpeg, JPG_READ_IMAGE_MEMORY, JPG_DCT_AAN, &ours));
        EXPECT_GE(ComparePixels(ours.pixels, theirs.pixels).psnr, 40.0);
    }
}

TEST(JpegPixels, ScaledReadsMatchDjpegScaled)
{
    const struct {
        int mode;
        const char *scale;
    } scales[] = {{JPG_READ_HALF_MEMORY, "1/2"}, {JPG_READ_QUARTER_MEMORY, "1/4"}, {JPG_READ_EIGHTH_MEMORY, "1/8"}};
    unsigned seed = 200;
    for (const PixelCase &c : Cases) {
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(c.width, c.height, c.channels, seed++), c.cjpeg);
        for (const auto &s : scales) {
            SCOPED_TRACE(std::string(c.name) + " at " + s.scale);
            Picture ours, theirs = DecodeWithDjpeg(jpeg, std::string("-dct int -nosmooth -scale ") + s.scale);
            ASSERT_EQ(0, Decode(jpeg, s.mode, JPG_DCT_INTEGER, &ours));
            ASSERT_EQ(theirs.width, ours.width);
            ASSERT_EQ(theirs.height, ours.height);
            EXPECT_GE(ComparePixels(ours.pixels, theirs.pixels).psnr, 35.0);
        }
    }
}

TEST(JpegPixels, RestartAndOptimisedTwinsDecodeAlike)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(150, 100, 3, 9), "-quality 85");
    Picture plain;
    ASSERT_EQ(0, Decode(jpeg, JPG_READ_IMAGE_MEMORY, JPG_DCT_INTEGER, &plain));
    for (const char *twin : {"-restart 1B", "-restart 2", "-optimize", "-progressive"}) {
        SCOPED_TRACE(twin);
        Picture other;
        ASSERT_EQ(0, Decode(TransformWithJpegtran(jpeg, twin), JPG_READ_IMAGE_MEMORY, JPG_DCT_INTEGER, &other));
        EXPECT_EQ(plain.pixels, other.pixels);
    }
}

TEST(JpegPixels, BgrIsRgbReversed)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(45, 31, 3, 4), "");
    Picture rgb, bgr;
    ASSERT_EQ(0, Decode(jpeg, JPG_READ_IMAGE_MEMORY, JPG_DCT_INTEGER, &rgb, JPG_COLOUR_RGB));
    ASSERT_EQ(0, Decode(jpeg, JPG_READ_IMAGE_MEMORY, JPG_DCT_INTEGER, &bgr, JPG_COLOUR_BGR));
    for (size_t i = 0; i < rgb.pixels.size(); i += 3)
        ASSERT_TRUE(rgb.pixels[i] == bgr.pixels[i + 2] && rgb.pixels[i + 2] == bgr.pixels[i]) << i;
}

} // namespace
