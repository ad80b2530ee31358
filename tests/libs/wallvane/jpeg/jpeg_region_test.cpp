// Reads of a region of interest: the bitmap holds the region only, its
// pixels are those of the whole picture, and nothing around them is touched.
#include <gtest/gtest.h>

#include <stdio.h>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"
#include "reference_jpeg.h"

namespace {

typedef BitmapRead Read;

// Compares a region read with the whole picture's read: the region's
// pixels at the bitmap's top left, every other byte untouched.
void ExpectCrop(const std::vector<uint8_t> &full, const Read &fullShape, const std::vector<uint8_t> &part,
                const Read &partShape)
{
    int left = partShape.left < 0 ? 0 : partShape.left, top = partShape.top < 0 ? 0 : partShape.top;
    int right = partShape.right ? std::min(partShape.right, fullShape.width) : fullShape.width;
    int bottom = partShape.bottom ? std::min(partShape.bottom, fullShape.height) : fullShape.height;
    int channels = partShape.channels;
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

// The whole picture read as the region is, but without the region.
int ReadWhole(const Bytes &jpeg, const Read &region, std::vector<uint8_t> *full, Read *fullShape)
{
    Read whole = region;
    whole.mode |= 1; // from memory
    whole.left = whole.top = whole.right = whole.bottom = 0;
    whole.width = whole.height = 0;
    whole.pad = 0;
    whole.bottomUp = false;
    return ReadBitmap(jpeg, whole, full, fullShape);
}

void ExpectRegion(const Bytes &jpeg, const Read &region)
{
    std::vector<uint8_t> full, part;
    Read fullShape, partShape;
    ASSERT_EQ(0, ReadWhole(jpeg, region, &full, &fullShape));
    ASSERT_EQ(JPG_ROI_SUCCESS, ReadBitmap(jpeg, region, &part, &partShape));
    ExpectCrop(full, fullShape, part, partShape);
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
    ASSERT_EQ(JPG_ROI_SUCCESS, ReadBitmap(jpeg, empty, &dib));
    for (uint8_t byte : dib)
        ASSERT_EQ(Untouched, byte);
}

Read RegionOf(int left, int top, int right, int bottom)
{
    Read read;
    read.left = left, read.top = top, read.right = right, read.bottom = bottom;
    read.width = right - left, read.height = bottom - top;
    return read;
}

TEST(JpegRegion, FileAndMemoryRegionsAtEveryScaleAlsoSmoothedAndReadTwice)
{
    const struct {
        const char *name;
        int channels;
        const char *cjpeg;
    } files[] = {{"420 restart", 3, "-sample 2x2 -restart 2"}, {"422", 3, "-sample 2x1"}, {"gray", 1, ""}};
    const int scaled[][2] = {{JPG_READ_IMAGE_FILE, 1}, {JPG_READ_HALF_FILE, 2}, {JPG_READ_QUARTER_FILE, 4},
                             {JPG_READ_EIGHTH_FILE, 8}};
    std::string path = TempPath("region.jpg");
    unsigned seed = 530;
    for (const auto &f : files) {
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(157, 131, f.channels, seed++), f.cjpeg);
        ASSERT_TRUE(WriteWholeFile(path, jpeg));
        for (const auto &m : scaled)
            for (int smooth : {0, 1})
                for (int memory : {0, 1}) {
                    SCOPED_TRACE(std::string(f.name) + " scale " + std::to_string(m[1]) + " smooth " +
                                 std::to_string(smooth) + (memory ? " memory" : " file"));
                    JPEG_IMAGE_PROPS r;
                    ASSERT_EQ(0, JpgLibInit(&r));
                    r.jpgFileName = path.c_str();
                    r.jpgBytes = jpeg.data();
                    r.jpgSizeBytes = (int)jpeg.size();
                    ASSERT_EQ(0, JpgLibRead(&r, JPG_READ_HEADER_FILE + memory));
                    // A region low in the picture, then one above it on the same record.
                    int s = m[1];
                    for (Read region : {RegionOf(70 / s, 97 / s, 131 / s + 1, 120 / s + 1),
                                        RegionOf(9 / s, 33 / s, 100 / s + 1, 60 / s + 1)}) {
                        region.mode = m[0] + memory;
                        region.channels = f.channels;
                        region.fourRowBuffers = smooth;
                        std::vector<uint8_t> full, part;
                        Read fullShape;
                        ASSERT_EQ(0, ReadWhole(jpeg, region, &full, &fullShape));
                        ASSERT_EQ(JPG_ROI_SUCCESS, ReadInto(&r, &region, &part));
                        ExpectCrop(full, fullShape, part, region);
                    }
                    EXPECT_EQ(0, JpgLibFree(&r));
                }
    }
    remove(path.c_str());
}

// MCUs of a 4:2:0 picture 4 MCUs across and 20 rows down; a region of MCU
// columns 1 and 2 in one row.
struct CountedRead {
    long long passedOver, decoded;
};

CountedRead ReadRowOfRegion(MemoryReader &reader, int mcuRow, const std::vector<uint8_t> &full, const Read &fullShape)
{
    JpgRowIndex *index = reader.record.props.rowIndex;
    CountedRead before = {index ? index->mcusPassedOver : 0, index ? index->mcusDecoded : 0};
    Read region = RegionOf(20, mcuRow * 16 + 3, 40, mcuRow * 16 + 9);
    std::vector<uint8_t> part;
    EXPECT_EQ(JPG_ROI_SUCCESS, ReadInto(&reader.record, &region, &part));
    ExpectCrop(full, fullShape, part, region);
    index = reader.record.props.rowIndex;
    if (!index)
        return CountedRead{-1, -1};
    return CountedRead{index->mcusPassedOver - before.passedOver, index->mcusDecoded - before.decoded};
}

TEST(JpegRegion, LaterReadsSeekToTheNearestRowAnEarlierReadReached)
{
    for (const char *arguments : {"-sample 2x2", "-sample 2x2 -restart 1"}) {
        SCOPED_TRACE(arguments);
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(64, 320, 3, 540), arguments);
        std::vector<uint8_t> full;
        Read fullShape;
        ASSERT_EQ(0, ReadBitmap(jpeg, Read(), &full, &fullShape));
        MemoryReader reader(jpeg);
        ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
        const int across = 4, first = 1, regionMcus = 2;
        // Rows 0..9 and the MCU left of the region are passed over.
        CountedRead row10 = ReadRowOfRegion(reader, 10, full, fullShape);
        EXPECT_EQ(10 * across + first, row10.passedOver);
        EXPECT_EQ(regionMcus, row10.decoded);
        // Row 10's start is known: only rows 10 and 11 are passed over again.
        CountedRead row12 = ReadRowOfRegion(reader, 12, full, fullShape);
        EXPECT_EQ(2 * across + first, row12.passedOver);
        EXPECT_EQ(regionMcus, row12.decoded);
        // A row above the last read's: its start was kept on the way down.
        CountedRead row5 = ReadRowOfRegion(reader, 5, full, fullShape);
        EXPECT_EQ(first, row5.passedOver);
        // A header read starts another image: nothing of the index is used.
        ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
        CountedRead again = ReadRowOfRegion(reader, 12, full, fullShape);
        EXPECT_EQ(12 * across + first, again.passedOver);
    }
}

TEST(JpegRegion, StoppedRegionReadsResumeToTheSameCrop)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(150, 90, 3, 545), "-sample 2x2 -restart 1");
    for (int smooth : {0, 1}) {
        SCOPED_TRACE(smooth);
        Read region = RegionOf(21, 19, 97, 70);
        region.fourRowBuffers = smooth;
        std::vector<uint8_t> full, part;
        Read fullShape;
        ASSERT_EQ(0, ReadWhole(jpeg, region, &full, &fullShape));
        MemoryReader reader(jpeg);
        ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
        reader.record.props.stopRequest = 1;
        int result = ReadInto(&reader.record, &region, &part), stops = 0;
        for (; result == JPG_INTERRUPT_SUCCESS && stops < 100; stops++) {
            reader.record.props.stopRequest = 1;
            result = JpgLibRead(&reader.record, region.mode);
        }
        EXPECT_EQ(JPG_ROI_SUCCESS, result);
        // One stop after every MCU of the region but its last: 6 x 4 MCUs.
        EXPECT_EQ(6 * 4 - 1, stops);
        ExpectCrop(full, fullShape, part, region);
    }
}

// An index kept for one file must not position the read of another that
// looks the same from outside: same name or same memory, same size.
TEST(JpegRegion, IndexOfAChangedSourceNeverPositionsTheRead)
{
    Bytes a = EncodeWithCjpeg(SynthesisePicture(64, 320, 3, 550), "-sample 2x2");
    Bytes b = EncodeWithCjpeg(SynthesisePicture(64, 320, 3, 551), "-sample 2x2");
    size_t size = std::max(a.size(), b.size());
    a.resize(size, 0); // bytes after the end marker are never read
    b.resize(size, 0);
    std::vector<uint8_t> fullB;
    Read fullShape;
    ASSERT_EQ(0, ReadBitmap(b, Read(), &fullB, &fullShape));

    MemoryReader reader(a);
    ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
    std::vector<uint8_t> part;
    Read region = RegionOf(20, 10 * 16 + 3, 40, 10 * 16 + 9);
    ASSERT_EQ(JPG_ROI_SUCCESS, ReadInto(&reader.record, &region, &part));
    std::copy(b.begin(), b.end(), reader.bytes.begin());
    region = RegionOf(20, 12 * 16 + 3, 40, 12 * 16 + 9);
    ASSERT_EQ(JPG_ROI_SUCCESS, ReadInto(&reader.record, &region, &part));
    ExpectCrop(fullB, fullShape, part, region);

    std::string path = TempPath("changed.jpg");
    ASSERT_TRUE(WriteWholeFile(path, a));
    JPEG_IMAGE_PROPS r;
    ASSERT_EQ(0, JpgLibInit(&r));
    r.jpgFileName = path.c_str();
    ASSERT_EQ(0, JpgLibRead(&r, JPG_READ_HEADER_FILE));
    region = RegionOf(20, 10 * 16 + 3, 40, 10 * 16 + 9);
    region.mode = JPG_READ_IMAGE_FILE;
    ASSERT_EQ(JPG_ROI_SUCCESS, ReadInto(&r, &region, &part));
    ASSERT_TRUE(WriteWholeFile(path, b));
    region = RegionOf(20, 12 * 16 + 3, 40, 12 * 16 + 9);
    region.mode = JPG_READ_IMAGE_FILE;
    ASSERT_EQ(JPG_ROI_SUCCESS, ReadInto(&r, &region, &part));
    ExpectCrop(fullB, fullShape, part, region);
    EXPECT_EQ(0, JpgLibFree(&r));
    remove(path.c_str());
}

} // namespace
