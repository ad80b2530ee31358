// The record's defaults, the property check and the result texts.
#include <gtest/gtest.h>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"
#include "jpeg_test_files.h"

namespace {

TEST(JpegInterface, EveryResultCodeHasItsText)
{
    const struct {
        int code;
        const char *text;
    } texts[] = {
        {2, "ROI Success"}, {1, "Interrupt Success"}, {0, "Success"}, {-1, "Exception detected"},
        {-2, "Invalid Encoder"}, {-3, "Unsupported subsampling"}, {-4, "Unsupported bytes per pixel"},
        {-5, "Memory error"}, {-6, "Bad Huffman table"}, {-7, "Bad Quantization table"},
        {-8, "Invalid JPEG_PROPERTIES"}, {-9, "Error close file"}, {-10, "Invalid file name"},
        {-11, "Error EOF"}, {-12, "Not supported"}, {-13, "Not JPEG"}, {-14, "Error COMP"},
        {-15, "Error SOF"}, {-16, "Error DNL"}, {-17, "No Huffman table"},
        {-18, "No Quantization table"}, {-19, "No frame"}, {-20, "Multiply frame"},
        {-21, "Data error"}, {-22, "No image"}, {-23, "File error"}, {-24, "Internal error"},
        {-25, "Bad RST marker"}, {-26, "Thumbnail too small"}, {-27, "Thumbnail has wrong color"},
        {-28, "Output buffer too small"}, {-29, "Unsupported frame was found"},
        {-30, "Error access to jpeg_comment buffer"}, {-99, "Reserved"},
        {-31, "Unknown error code"}, {-98, "Unknown error code"}, {3, "Unknown error code"},
        {-100, "Unknown error code"},
    };
    for (const auto &t : texts)
        EXPECT_STREQ(t.text, JpgErrorText(t.code)) << t.code;
}

TEST(JpegInterface, VersionRecord)
{
    const JpgLibVersion *v = JpgLibGetVersion();
    EXPECT_EQ(1, v->major);
    EXPECT_EQ(51, v->minor);
    EXPECT_EQ(12, v->build);
    EXPECT_STREQ("jpglib15l.lib", v->libraryName);
    EXPECT_STREQ("1.51.12", v->versionText);
    EXPECT_STREQ("[1.51.12.44]", v->buildText);
    EXPECT_STREQ("May 30 2001", v->dateText);
    EXPECT_STREQ("Win32*", v->platformText);
}

TEST(JpegInterface, InitSetsTheDefaultsAndTheDispatchRecord)
{
    JPEG_IMAGE_PROPS r;
    memset(&r, 0x5A, sizeof r);
    ASSERT_EQ(0, JpgLibInit(&r));
    EXPECT_EQ(3, r.dibChannels);
    EXPECT_EQ(JPG_COLOUR_BGR, r.dibColour);
    EXPECT_EQ(3, r.jpgChannels);
    EXPECT_EQ(JPG_COLOUR_YCBCR, r.jpgColour);
    EXPECT_EQ(1, r.jpgSubsampling);
    EXPECT_EQ(75, r.quality);
    EXPECT_EQ(1, r.colourConversionNeeded);
    EXPECT_EQ(-1, r.props.ioMode);
    EXPECT_EQ(1, r.props.dctMethod);
    EXPECT_EQ(1, r.props.frameNeeded);
    EXPECT_EQ(4, r.props.componentCount);
    EXPECT_EQ(0x0101, r.props.jfifVersion);
    EXPECT_EQ(1, r.props.acTableOf[3]);
    JpgDispatch *d = r.props.input.dispatch;
    ASSERT_NE(nullptr, d);
    EXPECT_EQ((JpgDequantRoutine)JpgDequantizeAan, d->run_dequant) << "the fast dequantiser until a scan";
    EXPECT_EQ(nullptr, d->run_mcu_output);
    EXPECT_EQ(nullptr, d->run_idct_8x8);
    EXPECT_EQ(0, JpgLibFree(&r));
}

TEST(JpegInterface, ReadAndWriteRejectTheModeLeftByInit)
{
    JPEG_IMAGE_PROPS r;
    ASSERT_EQ(0, JpgLibInit(&r));
    r.jpgFileName = "x.jpg";
    EXPECT_EQ(JPG_ERR_INVALID_PROPERTIES, JpgCheckProperties(&r));
    EXPECT_EQ(JPG_ERR_INVALID_PROPERTIES, JpgLibRead(&r, -1));
    EXPECT_EQ(JPG_ERR_INVALID_PROPERTIES, JpgLibRead(&r, 22));
    EXPECT_EQ(JPG_ERR_INVALID_PROPERTIES, JpgLibWrite(&r, -1));
    JpgLibFree(&r);
}

// Each case changes one field of a record that passes the check in the mode.
TEST(JpegInterface, CheckRefusesEachBadField)
{
    uint8_t pixels[64];
    struct Case {
        const char *name;
        int mode;
        void (*change)(JPEG_IMAGE_PROPS *);
        int expected;
    } cases[] = {
        {"sound header read", 1, [](JPEG_IMAGE_PROPS *) {}, 0},
        {"sound image read", 3, [](JPEG_IMAGE_PROPS *) {}, 0},
        {"no pixels, half scale", 14, [](JPEG_IMAGE_PROPS *r) { r->dibPixels = nullptr; }, -8},
        {"no pixels, half scale memory", 15, [](JPEG_IMAGE_PROPS *r) { r->dibPixels = nullptr; }, -8},
        {"width 0", 3, [](JPEG_IMAGE_PROPS *r) { r->dibWidth = 0; }, -8},
        {"width 65536", 3, [](JPEG_IMAGE_PROPS *r) { r->dibWidth = 65536; }, -8},
        {"height -65536", 3, [](JPEG_IMAGE_PROPS *r) { r->dibHeight = -65536; }, -8},
        {"negative height", 3, [](JPEG_IMAGE_PROPS *r) { r->dibHeight = -4; }, 0},
        {"thumbnail into gray", 21, [](JPEG_IMAGE_PROPS *r) { r->dibColour = JPG_COLOUR_GRAY; r->dibChannels = 1; }, -27},
        {"negative padding", 3, [](JPEG_IMAGE_PROPS *r) { r->dibPadBytes = -1; }, -8},
        {"no channels", 3, [](JPEG_IMAGE_PROPS *r) { r->dibChannels = 0; }, -8},
        {"packed 4:2:2 of BGR", 3, [](JPEG_IMAGE_PROPS *r) { r->dibSubsampling = 2; }, -3},
        {"packed 4:2:2 of YCbCr", 3, [](JPEG_IMAGE_PROPS *r) { r->dibSubsampling = 2; r->dibColour = JPG_COLOUR_YCBCR; }, 0},
        {"no file name", 0, [](JPEG_IMAGE_PROPS *r) { r->jpgFileName = nullptr; }, -8},
        {"empty memory", 1, [](JPEG_IMAGE_PROPS *r) { r->jpgSizeBytes = 0; }, -8},
        {"257 channels", 1, [](JPEG_IMAGE_PROPS *r) { r->jpgChannels = 257; }, -8},
        {"RGBA JPEG into BGR", 3, [](JPEG_IMAGE_PROPS *r) { r->jpgColour = JPG_COLOUR_RGBA; r->jpgChannels = 4; }, -8},
        {"gray JPEG into RGBA", 3, [](JPEG_IMAGE_PROPS *r) { r->jpgColour = JPG_COLOUR_GRAY; r->jpgChannels = 1; r->dibColour = JPG_COLOUR_RGBA; r->dibChannels = 4; }, 0},
        {"DCT method 2", 3, [](JPEG_IMAGE_PROPS *r) { r->props.dctMethod = 2; }, -8},
        {"write without size", 9, [](JPEG_IMAGE_PROPS *r) { r->jpgWidth = 0; }, -8},
        {"write 4:2:2 of gray", 9, [](JPEG_IMAGE_PROPS *r) { r->jpgChannels = 1; r->jpgColour = JPG_COLOUR_GRAY; r->jpgSubsampling = 2; }, -3},
        {"write sound", 9, [](JPEG_IMAGE_PROPS *) {}, 0},
        {"inner properties", 99, [](JPEG_IMAGE_PROPS *r) { r->useInnerProperties = 1; r->dibWidth = -5; }, 0},
    };
    for (const Case &c : cases) {
        JPEG_IMAGE_PROPS r;
        ASSERT_EQ(0, JpgLibInit(&r));
        r.dibPixels = pixels;
        r.dibWidth = r.dibHeight = 4;
        r.jpgFileName = "x.jpg";
        r.jpgBytes = pixels;
        r.jpgSizeBytes = sizeof pixels;
        r.jpgWidth = r.jpgHeight = 4;
        c.change(&r);
        r.props.ioMode = c.mode;
        EXPECT_EQ(c.expected, JpgCheckProperties(&r)) << c.name;
        JpgLibFree(&r);
    }
}

TEST(JpegInterface, WritesPassTheCheckAndWriteAStream)
{
    uint8_t pixels[48] = {};
    Bytes out(4096);
    JPEG_IMAGE_PROPS r;
    ASSERT_EQ(0, JpgLibInit(&r));
    r.dibPixels = pixels;
    r.dibWidth = r.dibHeight = 4;
    r.jpgWidth = r.jpgHeight = 4;
    r.jpgBytes = out.data();
    r.jpgSizeBytes = (int)out.size();
    ASSERT_EQ(0, JpgLibWrite(&r, JPG_WRITE_IMAGE_MEMORY));
    ASSERT_GT(r.jpgSizeBytes, 4);
    EXPECT_EQ((Bytes{0xFF, 0xD8}), Bytes(out.begin(), out.begin() + 2));
    EXPECT_EQ((Bytes{0xFF, 0xD9}), Bytes(out.begin() + r.jpgSizeBytes - 2, out.begin() + r.jpgSizeBytes));
    EXPECT_EQ(0, JpgLibFree(&r));
}

TEST(JpegInterface, ProcessorTypeFollowsFamilyFeaturesAndOverride)
{
    const struct {
        unsigned family, features;
        int override;
        int expected;
    } cases[] = {
        {5, 0, -1, 1},
        {5, JPG_FEATURE_MMX, -1, 3},
        {6, 0, -1, 2},
        {6, JPG_FEATURE_SSE, -1, 2},
        {6, JPG_FEATURE_MMX, -1, 4},
        {6, JPG_FEATURE_MMX | JPG_FEATURE_SSE, -1, 5},
        {15, JPG_FEATURE_MMX | JPG_FEATURE_SSE, -1, 0},
        {15, JPG_FEATURE_MMX | JPG_FEATURE_SSE | JPG_FEATURE_SSE2, -1, 6},
        {4, JPG_FEATURE_MMX, -1, 0},
        {5, 0, 3, 3},
        {6, JPG_FEATURE_MMX, 7, 4},
        {6, JPG_FEATURE_MMX, -5, 4},
        {15, JPG_FEATURE_SSE2, 0, 0},
    };
    for (const auto &c : cases) {
        JpgCpuInfo info = {};
        info.family = c.family;
        info.features = c.features;
        EXPECT_EQ(c.expected, JpgCpuTypeFor(&info, c.override))
            << "family " << c.family << " features " << c.features << " override " << c.override;
    }
}

TEST(JpegInterface, CpuInfoNamesTheVendor)
{
    JpgReadCpuInfo();
    const JpgCpuInfo *info = JpgGetCpuInfo();
    EXPECT_EQ(12u, strlen(info->vendor));
#if defined(__i386__) || defined(__x86_64__)
    EXPECT_NE(0u, info->features & JPG_FEATURE_MMX);
#endif
}

} // namespace
