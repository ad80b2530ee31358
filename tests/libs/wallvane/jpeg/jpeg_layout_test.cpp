// Bitmap layouts of decoded pictures (row order, padding, channels, packed
// 4:2:2), reads in several steps, and the file and data-only modes.
#include <gtest/gtest.h>

#include <stdio.h>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"
#include "reference_jpeg.h"

namespace {

struct Target {
    int width, height, channels, colour, pad = 0, subsampling = 0;
};

// Decodes from memory (after a header read) into a buffer of exactly the
// bitmap's size, so that a write past it is caught.
int DecodeInto(const Bytes &jpeg, const Target &t, std::vector<uint8_t> *dib, int mode = JPG_READ_IMAGE_MEMORY)
{
    MemoryReader reader(jpeg);
    JPEG_IMAGE_PROPS &r = reader.record;
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    int bytesPerPixel = t.subsampling == 2 ? 2 : t.channels;
    dib->assign((size_t)(t.width * bytesPerPixel + t.pad) * (t.height < 0 ? -t.height : t.height), 0xAB);
    r.dibPixels = dib->data();
    r.dibWidth = t.width;
    r.dibHeight = t.height;
    r.dibChannels = t.channels;
    r.dibColour = t.colour;
    r.dibPadBytes = t.pad;
    r.dibSubsampling = t.subsampling;
    if (result == 0)
        result = reader.Read(mode);
    return result;
}

TEST(JpegLayout, NegativeHeightWritesRowsBottomUp)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(37, 23, 3, 1), "");
    std::vector<uint8_t> down, up;
    ASSERT_EQ(0, DecodeInto(jpeg, {37, 23, 3, JPG_COLOUR_BGR}, &down));
    ASSERT_EQ(0, DecodeInto(jpeg, {37, -23, 3, JPG_COLOUR_BGR}, &up));
    size_t row = 37 * 3;
    for (int y = 0; y < 23; y++)
        ASSERT_TRUE(std::equal(down.begin() + y * row, down.begin() + (y + 1) * row, up.begin() + (22 - y) * row)) << y;
}

TEST(JpegLayout, PaddingBytesAreLeftAlone)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(29, 13, 3, 2), "-sample 2x1");
    std::vector<uint8_t> plain, padded;
    ASSERT_EQ(0, DecodeInto(jpeg, {29, 13, 3, JPG_COLOUR_RGB}, &plain));
    ASSERT_EQ(0, DecodeInto(jpeg, {29, 13, 3, JPG_COLOUR_RGB, 3}, &padded));
    for (int y = 0; y < 13; y++) {
        ASSERT_TRUE(std::equal(plain.begin() + y * 87, plain.begin() + (y + 1) * 87, padded.begin() + y * 90));
        for (int i = 87; i < 90; i++)
            ASSERT_EQ(0xAB, padded[y * 90 + i]);
    }
}

TEST(JpegLayout, SmallerBitmapTakesTheTopLeftOfThePicture)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(50, 40, 3, 3), "");
    std::vector<uint8_t> whole, part;
    ASSERT_EQ(0, DecodeInto(jpeg, {50, 40, 3, JPG_COLOUR_BGR}, &whole));
    ASSERT_EQ(0, DecodeInto(jpeg, {21, 9, 3, JPG_COLOUR_BGR}, &part));
    for (int y = 0; y < 9; y++)
        ASSERT_TRUE(std::equal(part.begin() + y * 63, part.begin() + (y + 1) * 63, whole.begin() + y * 150));
}

TEST(JpegLayout, GrayPictureIntoColourBitmaps)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(19, 11, 1, 4), "");
    std::vector<uint8_t> gray, bgr, rgba;
    ASSERT_EQ(0, DecodeInto(jpeg, {19, 11, 1, JPG_COLOUR_GRAY}, &gray));
    ASSERT_EQ(0, DecodeInto(jpeg, {19, 11, 3, JPG_COLOUR_BGR}, &bgr));
    ASSERT_EQ(0, DecodeInto(jpeg, {19, 11, 4, JPG_COLOUR_RGBA}, &rgba));
    for (size_t i = 0; i < gray.size(); i++) {
        ASSERT_TRUE(bgr[3 * i] == gray[i] && bgr[3 * i + 1] == gray[i] && bgr[3 * i + 2] == gray[i]) << i;
        ASSERT_TRUE(rgba[4 * i] == gray[i] && rgba[4 * i + 2] == gray[i] && rgba[4 * i + 3] == 255) << i;
    }
}

TEST(JpegLayout, RgbaIsRgbWithAnOpaqueFourthByte)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(33, 17, 3, 5), "");
    std::vector<uint8_t> rgb, rgba;
    ASSERT_EQ(0, DecodeInto(jpeg, {33, 17, 3, JPG_COLOUR_RGB}, &rgb));
    ASSERT_EQ(0, DecodeInto(jpeg, {33, 17, 4, JPG_COLOUR_RGBA}, &rgba));
    for (size_t i = 0; i < rgb.size() / 3; i++)
        ASSERT_TRUE(std::equal(rgb.begin() + 3 * i, rgb.begin() + 3 * i + 3, rgba.begin() + 4 * i) &&
                    rgba[4 * i + 3] == 255)
            << i;
}

TEST(JpegLayout, PackedYcbcrKeepsLumaAndChroma)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(35, 9, 3, 6), "-sample 2x1");
    std::vector<uint8_t> packed, luma;
    ASSERT_EQ(0, DecodeInto(jpeg, {35, 9, 3, JPG_COLOUR_YCBCR, 0, 2}, &packed));
    ASSERT_EQ(0, DecodeInto(jpeg, {35, 9, 1, JPG_COLOUR_GRAY}, &luma));
    for (size_t i = 0; i < luma.size(); i++)
        ASSERT_EQ(luma[i], packed[2 * i]) << i;
    // Three bytes a pixel: every pixel its luma and the chroma of its pair.
    std::vector<uint8_t> three;
    ASSERT_EQ(0, DecodeInto(jpeg, {35, 9, 3, JPG_COLOUR_YCBCR}, &three));
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 35; x++) {
            size_t i = (size_t)y * 35 + x, pair = i - x % 2;
            ASSERT_EQ(luma[i], three[3 * i]) << x << ", " << y;
            ASSERT_EQ(packed[2 * pair + 1], three[3 * i + 1]) << x << ", " << y;
            if (x - x % 2 + 1 < 35) {
                ASSERT_EQ(packed[2 * pair + 3], three[3 * i + 2]) << x << ", " << y;
            }
        }
    std::vector<uint8_t> wrongSampling;
    Bytes jpeg420 = EncodeWithCjpeg(SynthesisePicture(35, 9, 3, 6), "-sample 2x2");
    EXPECT_EQ(JPG_ERR_INVALID_PROPERTIES, DecodeInto(jpeg420, {35, 9, 3, JPG_COLOUR_YCBCR, 0, 2}, &wrongSampling));
}

TEST(JpegLayout, NonInterleavedScansGiveThePictureOfTheInterleavedFile)
{
    Picture picture = SynthesisePicture(61, 35, 3, 7);
    std::string script = TempPath("scans.txt");
    ASSERT_TRUE(WriteWholeFile(script, Bytes{'0', ';', '\n', '1', ';', '\n', '2', ';', '\n'}));
    Bytes separate = EncodeWithCjpeg(picture, "-sample 2x2 -scans " + script);
    Bytes together = EncodeWithCjpeg(picture, "-sample 2x2");
    Bytes separate422 = EncodeWithCjpeg(picture, "-sample 2x1 -scans " + script);
    remove(script.c_str());
    std::vector<uint8_t> a, b, narrow, packed;
    ASSERT_EQ(0, DecodeInto(separate422, {61, 35, 1, JPG_COLOUR_YCBCR}, &narrow)) << "components past the channels";
    EXPECT_EQ(JPG_ERR_NOT_SUPPORTED, DecodeInto(separate422, {61, 35, 3, JPG_COLOUR_YCBCR, 0, 2}, &packed));
    ASSERT_EQ(0, DecodeInto(separate, {61, 35, 3, JPG_COLOUR_BGR}, &a));
    ASSERT_EQ(0, DecodeInto(together, {61, 35, 3, JPG_COLOUR_BGR}, &b));
    int largest = 0;
    for (size_t i = 0; i < a.size(); i++)
        largest = std::max(largest, abs((int)a[i] - (int)b[i]));
    EXPECT_LE(largest, 1) << "the in-place converter rounds green the other way";
}

TEST(JpegLayout, StoppedReadsResumeToTheSamePicture)
{
    for (const char *arguments : {"-sample 2x2", "-progressive"}) {
        SCOPED_TRACE(arguments);
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(32, 32, 3, 8), arguments);
        std::vector<uint8_t> once, stepped(32 * 32 * 3, 0);
        ASSERT_EQ(0, DecodeInto(jpeg, {32, 32, 3, JPG_COLOUR_BGR}, &once));
        JPEG_IMAGE_PROPS r;
        JpgLibInit(&r);
        r.jpgBytes = jpeg.data();
        r.jpgSizeBytes = (int)jpeg.size();
        ASSERT_EQ(0, JpgLibRead(&r, JPG_READ_HEADER_MEMORY));
        r.dibPixels = stepped.data();
        r.dibWidth = r.dibHeight = 32;
        int stops = 0, result;
        do {
            r.props.stopRequest = 1;
            result = JpgLibRead(&r, JPG_READ_IMAGE_MEMORY);
            stops += result == JPG_INTERRUPT_SUCCESS;
        } while (result == JPG_INTERRUPT_SUCCESS && stops < 1000);
        EXPECT_EQ(0, result);
        EXPECT_GE(stops, 3);
        EXPECT_EQ(0, r.props.stopRequest);
        JpgLibFree(&r);
        EXPECT_EQ(once, stepped);
    }
}

TEST(JpegLayout, SequentialImageStopsAfterEachMcu)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(32, 32, 3, 9), "-sample 2x2");
    JPEG_IMAGE_PROPS r;
    JpgLibInit(&r);
    r.jpgBytes = jpeg.data();
    r.jpgSizeBytes = (int)jpeg.size();
    ASSERT_EQ(0, JpgLibRead(&r, JPG_READ_HEADER_MEMORY));
    std::vector<uint8_t> dib(32 * 32 * 3);
    r.dibPixels = dib.data();
    r.dibWidth = r.dibHeight = 32;
    std::vector<int> results, rights;
    for (int i = 0; i < 4; i++) {
        r.props.stopRequest = 1;
        results.push_back(JpgLibRead(&r, JPG_READ_IMAGE_MEMORY));
        rights.push_back(r.props.progressRight);
    }
    EXPECT_EQ((std::vector<int>{1, 1, 1, 0}), results);
    EXPECT_EQ(16, rights[0]);
    EXPECT_EQ(32, rights[1]);
    JpgLibFree(&r);
}

TEST(JpegLayout, FileReadsEqualMemoryReads)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(70, 50, 3, 10), "-restart 1");
    std::string path = TempPath("pixels.jpg");
    ASSERT_TRUE(WriteWholeFile(path, jpeg));
    std::vector<uint8_t> memory;
    ASSERT_EQ(0, DecodeInto(jpeg, {70, 50, 3, JPG_COLOUR_BGR}, &memory));

    for (int header : {(int)JPG_READ_HEADER_FILE, (int)JPG_READ_TABLES_FILE, -1}) {
        SCOPED_TRACE(header);
        JPEG_IMAGE_PROPS r;
        JpgLibInit(&r);
        r.jpgFileName = path.c_str();
        if (header >= 0) {
            ASSERT_EQ(0, JpgLibRead(&r, header));
        }
        std::vector<uint8_t> dib(70 * 50 * 3, 0);
        r.dibPixels = dib.data();
        r.dibWidth = 70;
        r.dibHeight = 50;
        r.jpgChannels = 3;
        r.jpgColour = JPG_COLOUR_YCBCR;
        int mode = header == JPG_READ_TABLES_FILE ? JPG_READ_DATA_FILE : JPG_READ_IMAGE_FILE;
        ASSERT_EQ(0, JpgLibRead(&r, mode));
        EXPECT_EQ(nullptr, r.props.input.file);
        EXPECT_EQ(memory, dib);
        JpgLibFree(&r);
    }
    remove(path.c_str());
}

TEST(JpegLayout, FrameWithoutAnOutputRoutineKeepsNoneFromAnEarlierFrame)
{
    JPEG_IMAGE_PROPS r;
    JpgLibInit(&r);
    JPEG_PROPERTIES &p = r.props;
    p.componentCount = 3;
    for (int c = 0; c < 3; c++)
        p.components[c] = {c + 1, c == 0 ? 2 : 1, c == 0 ? 2 : 1, c == 0 ? 0 : 1};
    p.frameNeeded = 0;
    p.jpgWidth = p.jpgHeight = 16;
    p.dibColour = JPG_COLOUR_BGR;
    p.dibChannels = 3;
    ASSERT_EQ(0, JpgSetupFrame(&p));
    EXPECT_NE(nullptr, p.input.dispatch->run_mcu_output);
    EXPECT_EQ(4, p.outputKind);
    p.fourRowBuffers = 1; // smoothed chroma takes the generic converter
    ASSERT_EQ(0, JpgSetupFrame(&p));
    EXPECT_NE(nullptr, p.input.dispatch->run_mcu_output);
    EXPECT_EQ(0, p.outputKind);
    p.fourRowBuffers = 0;
    ASSERT_EQ(0, JpgSetupFrame(&p));
    EXPECT_NE(nullptr, p.input.dispatch->run_mcu_output);
    p.dibColour = JPG_COLOUR_RGB; // with four channels: a layout no routine writes
    p.dibChannels = 4;
    ASSERT_EQ(0, JpgSetupFrame(&p));
    EXPECT_EQ(nullptr, p.input.dispatch->run_mcu_output);
    JpgLibFree(&r);
}

} // namespace
