// Smoothed chroma (the four-row-buffers flag) against djpeg's own smoothed
// upsampling, and its delayed output under stop and resume.
#include <gtest/gtest.h>

#include <stdio.h>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"
#include "jpeg_dispatch.h"
#include "reference_jpeg.h"

namespace {

struct Options {
    int mode = JPG_READ_IMAGE_MEMORY;
    int colour = JPG_COLOUR_RGB;
    int channels = 3;
    int fourRowBuffers = 1;
    int scale = 1;
    bool rowKernel = true; // whole smoothed MCUs through the MCU kernel
};

// Decodes after a header read into a bitmap of exactly the picture's size.
int Decode(const Bytes &jpeg, const Options &o, std::vector<uint8_t> *dib, int *width = nullptr,
           int *height = nullptr)
{
    MemoryReader reader(jpeg);
    JPEG_IMAGE_PROPS &r = reader.record;
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    if (result == 0) {
        int w = (r.jpgWidth + o.scale - 1) / o.scale, h = (r.jpgHeight + o.scale - 1) / o.scale;
        dib->assign((size_t)w * h * o.channels, 0);
        r.dibPixels = dib->data();
        r.dibWidth = w;
        r.dibHeight = h;
        r.dibChannels = o.channels;
        r.dibColour = o.colour;
        r.props.fourRowBuffers = o.fourRowBuffers;
        if (width)
            *width = w, *height = h;
        JpgUseSmoothRowKernelForTests(o.rowKernel);
        result = reader.Read(o.mode);
        JpgUseSmoothRowKernelForTests(true);
    }
    return result;
}

struct SmoothCase {
    const char *name;
    int width, height;
    const char *cjpeg;
};

const SmoothCase Cases[] = {
    {"420", 227, 149, "-sample 2x2"},
    {"420 q95 whole MCUs", 64, 48, "-sample 2x2 -quality 95"},
    {"420 odd", 61, 47, "-sample 2x2 -quality 90"},
    {"420 one MCU row", 35, 9, "-sample 2x2"},
    {"420 restart", 120, 90, "-sample 2x2 -restart 1"},
    {"422", 227, 149, "-sample 2x1 -quality 80"},
    {"422 odd", 35, 9, "-sample 2x1 -quality 95"},
    {"422 narrow", 17, 30, "-sample 2x1"},
    {"progressive 420", 101, 67, "-progressive"},
    {"progressive 422", 77, 41, "-progressive -sample 2x1"},
};

TEST(JpegSmooth, SmoothedChromaMatchesDjpegSmoothing)
{
    unsigned seed = 300;
    for (const SmoothCase &c : Cases) {
        SCOPED_TRACE(c.name);
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(c.width, c.height, 3, seed++), c.cjpeg);
        Picture theirs = DecodeWithDjpeg(jpeg, "-dct int");
        Picture replicated = DecodeWithDjpeg(jpeg, "-dct int -nosmooth");
        std::vector<uint8_t> ours;
        ASSERT_EQ(0, Decode(jpeg, Options(), &ours));
        ASSERT_EQ(theirs.pixels.size(), ours.size());
        Comparison smoothed = ComparePixels(ours, theirs.pixels);
        double psnrReplicated = ComparePixels(ours, replicated.pixels).psnr;
        printf("    %-22s smoothed %.2f dB (max %d), against replication %.2f dB\n", c.name, smoothed.psnr,
               smoothed.maxDiff, psnrReplicated);
        EXPECT_GE(smoothed.psnr, 54.0); // 56 dB reached: the colour conversion rounds differently
        EXPECT_LE(smoothed.maxDiff, 3);
        EXPECT_GT(smoothed.psnr, psnrReplicated + 3.0) << "the chroma is smoothed, not replicated";
    }
}

TEST(JpegSmooth, SeparateComponentScansAreSmoothedAlike)
{
    std::string script = TempPath("scans.txt");
    ASSERT_TRUE(WriteWholeFile(script, Bytes{'0', ';', '\n', '1', ';', '\n', '2', ';', '\n'}));
    unsigned seed = 320;
    for (const char *sampling : {"-sample 2x2", "-sample 2x1"}) {
        for (int width : {61, 64}) {
            SCOPED_TRACE(std::string(sampling) + " " + std::to_string(width));
            Picture picture = SynthesisePicture(width, 35, 3, seed++);
            Bytes separate = EncodeWithCjpeg(picture, std::string(sampling) + " -scans " + script);
            Picture theirs = DecodeWithDjpeg(separate, "-dct int");
            std::vector<uint8_t> ours;
            ASSERT_EQ(0, Decode(separate, Options(), &ours));
            ASSERT_EQ(theirs.pixels.size(), ours.size());
            Comparison cmp = ComparePixels(ours, theirs.pixels);
            EXPECT_GE(cmp.psnr, 54.0);
            EXPECT_LE(cmp.maxDiff, 3);
        }
    }
    remove(script.c_str());
}

TEST(JpegSmooth, BgrAndRgbaCarryTheSameSmoothedColours)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(53, 37, 3, 12), "-sample 2x2");
    std::vector<uint8_t> rgb, bgr, rgba;
    Options o;
    ASSERT_EQ(0, Decode(jpeg, o, &rgb));
    o.colour = JPG_COLOUR_BGR;
    ASSERT_EQ(0, Decode(jpeg, o, &bgr));
    o.colour = JPG_COLOUR_RGBA;
    o.channels = 4;
    ASSERT_EQ(0, Decode(jpeg, o, &rgba));
    for (size_t i = 0; i < rgb.size() / 3; i++) {
        ASSERT_TRUE(rgb[3 * i] == bgr[3 * i + 2] && rgb[3 * i + 1] == bgr[3 * i + 1] && rgb[3 * i + 2] == bgr[3 * i])
            << i;
        ASSERT_TRUE(std::equal(rgb.begin() + 3 * i, rgb.begin() + 3 * i + 3, rgba.begin() + 4 * i) &&
                    rgba[4 * i + 3] == 255)
            << i;
    }
}

TEST(JpegSmooth, RowKernelWritesWhatThePlanesWrite)
{
    // Whole MCUs go through the processor's row kernel, cut ones through
    // the planes: the two must agree to the byte, or seams would show.
    for (const SmoothCase &c : Cases) {
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(c.width, c.height, 3, 7), c.cjpeg);
        for (int colour : {JPG_COLOUR_RGB, JPG_COLOUR_BGR, JPG_COLOUR_RGBA}) {
            Options o;
            o.colour = colour;
            o.channels = colour == JPG_COLOUR_RGBA ? 4 : 3;
            std::vector<uint8_t> rows, planes;
            ASSERT_EQ(0, Decode(jpeg, o, &rows)) << c.name;
            o.rowKernel = false;
            ASSERT_EQ(0, Decode(jpeg, o, &planes)) << c.name;
            ASSERT_EQ(planes, rows) << c.name << ", colour " << colour;
        }
    }
}

TEST(JpegSmooth, ScaledReadsStayCloseToDjpeg)
{
    // 2 x 1 chroma is smoothed at the reduced sizes too; 2 x 2 chroma comes
    // out at the luminance's size and needs none.
    Bytes jpeg422 = EncodeWithCjpeg(SynthesisePicture(227, 149, 3, 13), "-sample 2x1");
    Bytes jpeg420 = EncodeWithCjpeg(SynthesisePicture(227, 149, 3, 14), "-sample 2x2");
    const struct {
        int mode, scale;
        const char *djpeg;
    } scales[] = {{JPG_READ_HALF_MEMORY, 2, "1/2"}, {JPG_READ_QUARTER_MEMORY, 4, "1/4"}, {JPG_READ_EIGHTH_MEMORY, 8, "1/8"}};
    for (const Bytes *jpeg : {&jpeg422, &jpeg420})
        for (const auto &s : scales) {
            SCOPED_TRACE(s.djpeg);
            Options o;
            o.mode = s.mode;
            o.scale = s.scale;
            std::vector<uint8_t> ours;
            ASSERT_EQ(0, Decode(*jpeg, o, &ours));
            Picture theirs = DecodeWithDjpeg(*jpeg, std::string("-dct int -scale ") + s.djpeg);
            ASSERT_EQ(theirs.pixels.size(), ours.size());
            EXPECT_GE(ComparePixels(ours, theirs.pixels).psnr, 33.0);
        }
}

// Reads with a stop request before every call; returns the results and the
// reported positions, and the picture in dib.
std::vector<int> ReadInSteps(const Bytes &jpeg, int width, int height, std::vector<uint8_t> *dib,
                             std::vector<std::pair<int, int>> *positions)
{
    MemoryReader reader(jpeg);
    JPEG_IMAGE_PROPS &r = reader.record;
    std::vector<int> results;
    if (reader.Read(JPG_READ_HEADER_MEMORY) != 0)
        return results;
    dib->assign((size_t)width * height * 3, 0);
    r.dibPixels = dib->data();
    r.dibWidth = width;
    r.dibHeight = height;
    r.dibColour = JPG_COLOUR_RGB;
    r.props.fourRowBuffers = 1;
    int result;
    do {
        r.props.stopRequest = 1;
        result = reader.Read(JPG_READ_IMAGE_MEMORY);
        results.push_back(result);
        positions->push_back({r.props.progressColumn, r.props.progressRow});
    } while (result == JPG_INTERRUPT_SUCCESS && results.size() < 1000);
    return results;
}

TEST(JpegSmooth, StopsComeOneMcuLateAndResumeToTheSamePicture)
{
    // 2 x 2 MCUs of 2 x 2 sampling: the first output follows the decoding of
    // MCU (0, 1), and each stop reports the MCU written, a column and a row
    // behind the one decoded.
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(32, 32, 3, 15), "-sample 2x2");
    std::vector<uint8_t> once, stepped;
    ASSERT_EQ(0, Decode(jpeg, Options(), &once));
    std::vector<std::pair<int, int>> positions;
    std::vector<int> results = ReadInSteps(jpeg, 32, 32, &stepped, &positions);
    ASSERT_EQ((std::vector<int>{1, 1, 1, 0}), results);
    EXPECT_EQ(std::make_pair(0, 0), positions[0]); // after decoding (1, 1)
    EXPECT_EQ(std::make_pair(1, 0), positions[1]); // the delayed column of row 1
    EXPECT_EQ(std::make_pair(0, 1), positions[2]); // the delayed row
    EXPECT_EQ(once, stepped);

    for (const char *arguments : {"-sample 2x1", "-progressive", "-sample 2x2 -restart 1B"}) {
        SCOPED_TRACE(arguments);
        Bytes other = EncodeWithCjpeg(SynthesisePicture(45, 37, 3, 16), arguments);
        ASSERT_EQ(0, Decode(other, Options(), &once));
        positions.clear();
        results = ReadInSteps(other, 45, 37, &stepped, &positions);
        ASSERT_FALSE(results.empty());
        EXPECT_EQ(0, results.back());
        EXPECT_GE(results.size(), 3u);
        EXPECT_EQ(once, stepped);
    }
}

TEST(JpegSmooth, FlagOutsideZeroAndOneIsRefused)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(16, 16, 3, 17), "");
    std::vector<uint8_t> dib;
    Options o;
    o.fourRowBuffers = 2;
    EXPECT_EQ(JPG_ERR_INVALID_PROPERTIES, Decode(jpeg, o, &dib));
}

} // namespace
