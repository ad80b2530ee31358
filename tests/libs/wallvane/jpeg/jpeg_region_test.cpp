// Reads of a region of interest: the bitmap holds the region only, its
// pixels are those of the whole picture, and nothing around them is touched.
#include <gtest/gtest.h>

#include <stdio.h>

#include "jpeg_codec.h"
#include "reference_jpeg.h"

namespace {

struct Read {
    int mode = JPG_READ_IMAGE_MEMORY;
    int channels = 3, colour = JPG_COLOUR_BGR;
    int fourRowBuffers = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    int width = 0, height = 0; // of the bitmap; 0: the picture's at the mode's scale
    int pad = 0;
    bool bottomUp = false;
};

const uint8_t Untouched = 0xAB;

int Decode(const Bytes &jpeg, Read read, std::vector<uint8_t> *dib, Read *used = nullptr)
{
    MemoryReader reader(jpeg);
    JPEG_IMAGE_PROPS &r = reader.record;
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    if (result == 0) {
        int scale = read.mode == 15 ? 2 : read.mode == 17 ? 4 : read.mode == 19 ? 8 : 1;
        if (!read.width) {
            read.width = (r.jpgWidth + scale - 1) / scale;
            read.height = (r.jpgHeight + scale - 1) / scale;
        }
        if (r.jpgChannels == 1 && read.channels == 1)
            read.colour = JPG_COLOUR_GRAY;
        dib->assign((size_t)(read.width * read.channels + read.pad) * read.height, Untouched);
        r.dibPixels = dib->data();
        r.dibWidth = read.width;
        r.dibHeight = read.bottomUp ? -read.height : read.height;
        r.dibChannels = read.channels;
        r.dibColour = read.colour;
        r.dibPadBytes = read.pad;
        r.props.fourRowBuffers = read.fourRowBuffers;
        r.props.roiLeft = read.left;
        r.props.roiTop = read.top;
        r.props.roiRight = read.right;
        r.props.roiBottom = read.bottom;
        result = reader.Read(read.mode);
    }
    if (used)
        *used = read;
    return result;
}

// Checks a region read against the whole picture: the region's pixels at
// the bitmap's top left, every other byte untouched.
void ExpectRegion(const Bytes &jpeg, const Read &region)
{
    Read whole = region;
    whole.left = whole.top = whole.right = whole.bottom = 0;
    whole.width = whole.height = 0;
    whole.pad = 0;
    whole.bottomUp = false;
    std::vector<uint8_t> full, part;
    Read fullShape, partShape;
    ASSERT_EQ(0, Decode(jpeg, whole, &full, &fullShape));
    ASSERT_EQ(0, Decode(jpeg, region, &part, &partShape));
    int left = region.left < 0 ? 0 : region.left, top = region.top < 0 ? 0 : region.top;
    int right = region.right ? std::min(region.right, fullShape.width) : fullShape.width;
    int bottom = region.bottom ? std::min(region.bottom, fullShape.height) : fullShape.height;
    int channels = region.channels;
    size_t fullRow = (size_t)fullShape.width * channels, partRow = (size_t)partShape.width * channels + partShape.pad;
    int wrong = 0, touched = 0;
    for (int y = 0; y < partShape.height; y++) {
        int stored = partShape.bottomUp ? partShape.height - 1 - y : y;
        for (size_t i = 0; i < partRow; i++) {
            uint8_t got = part[stored * partRow + i];
            int x = (int)(i / channels);
            bool inside = i < (size_t)partShape.width * channels && left + x < right && top + y < bottom;
            if (inside) {
                uint8_t want = full[(size_t)(top + y) * fullRow + (size_t)(left + x) * channels + i % channels];
                if (got != want && wrong++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << " byte " << i % channels << ": " << (int)got
                                  << " instead of " << (int)want;
            } else if (got != Untouched && touched++ < 3) {
                ADD_FAILURE() << "byte " << i << " of row " << y << " outside the region was written";
            }
        }
    }
    EXPECT_EQ(0, wrong);
    EXPECT_EQ(0, touched);
}

struct RegionCase {
    const char *name;
    int width, height, channels;
    const char *cjpeg;
};

const RegionCase Files[] = {
    {"444", 227, 149, 3, "-sample 1x1"},
    {"420", 227, 149, 3, "-sample 2x2"},
    {"422", 61, 47, 3, "-sample 2x1"},
    {"gray", 75, 41, 1, ""},
    {"progressive", 101, 67, 3, "-progressive"},
    {"restart", 90, 70, 3, "-restart 1B"},
};

TEST(JpegRegion, RegionPixelsEqualTheWholePictureAndNothingElseIsWritten)
{
    const int regions[][4] = {{10, 10, 30, 30}, {17, 5, 60, 37}, {0, 0, 23, 9}, {33, 1, 0, 0}, {3, 16, 4, 17}};
    unsigned seed = 500;
    for (const RegionCase &f : Files) {
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(f.width, f.height, f.channels, seed++), f.cjpeg);
        for (const auto &r : regions) {
            SCOPED_TRACE(std::string(f.name) + " region " + std::to_string(r[0]) + "," + std::to_string(r[1]) + "," +
                         std::to_string(r[2]) + "," + std::to_string(r[3]));
            Read read;
            read.channels = f.channels;
            read.left = r[0], read.top = r[1], read.right = r[2], read.bottom = r[3];
            int right = r[2] ? r[2] : f.width, bottom = r[3] ? r[3] : f.height;
            // A bitmap wider and taller than the region, with padding.
            read.width = right - r[0] + 3;
            read.height = bottom - r[1] + 2;
            read.pad = 5;
            ExpectRegion(jpeg, read);
            // One exactly of the region's size, rows bottom up.
            read.width = right - r[0];
            read.height = bottom - r[1];
            read.pad = 0;
            read.bottomUp = true;
            ExpectRegion(jpeg, read);
        }
    }
}

TEST(JpegRegion, ScaledSmoothedAndSeparateScanReadsKeepToTheRegion)
{
    Bytes jpeg420 = EncodeWithCjpeg(SynthesisePicture(227, 149, 3, 510), "-sample 2x2");
    Bytes jpeg422 = EncodeWithCjpeg(SynthesisePicture(99, 45, 3, 511), "-sample 2x1");
    for (int mode : {JPG_READ_HALF_MEMORY, JPG_READ_QUARTER_MEMORY, JPG_READ_EIGHTH_MEMORY}) {
        SCOPED_TRACE(mode);
        Read read;
        read.mode = mode;
        read.left = 3, read.top = 2, read.right = 19, read.bottom = 13;
        read.width = 17, read.height = 12;
        ExpectRegion(jpeg420, read);
        read.channels = 4, read.colour = JPG_COLOUR_RGBA;
        ExpectRegion(jpeg422, read);
    }
    for (const Bytes *jpeg : {&jpeg420, &jpeg422}) {
        Read smooth;
        smooth.fourRowBuffers = 1;
        smooth.left = 21, smooth.top = 9, smooth.right = 50, smooth.bottom = 40;
        smooth.width = 30, smooth.height = 32;
        ExpectRegion(*jpeg, smooth);
    }

    Picture picture = SynthesisePicture(61, 35, 3, 512);
    std::string script = TempPath("scans.txt");
    ASSERT_TRUE(WriteWholeFile(script, Bytes{'0', ';', '\n', '1', ';', '\n', '2', ';', '\n'}));
    Bytes separate = EncodeWithCjpeg(picture, "-sample 2x2 -scans " + script);
    remove(script.c_str());
    Read read;
    read.left = 9, read.top = 7, read.right = 40, read.bottom = 30;
    read.width = 40, read.height = 30; // larger than the region: the converter must keep to it
    ExpectRegion(separate, read);
    read.fourRowBuffers = 1;
    ExpectRegion(separate, read);
}

TEST(JpegRegion, EdgesOutsideThePictureAreClippedAndAnEmptyRegionWritesNothing)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(40, 24, 3, 520), "");
    Read read;
    read.left = -7, read.top = -3, read.right = 25, read.bottom = 100;
    read.width = 25, read.height = 24;
    ExpectRegion(jpeg, read);

    std::vector<uint8_t> dib;
    Read empty;
    empty.left = 30, empty.right = 20, empty.width = 10, empty.height = 10;
    ASSERT_EQ(0, Decode(jpeg, empty, &dib));
    for (uint8_t byte : dib)
        ASSERT_EQ(Untouched, byte);
}

} // namespace
