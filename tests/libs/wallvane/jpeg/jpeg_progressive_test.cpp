// Progressive files against their baseline twins and djpeg: scan scripts
// that libjpeg-turbo writes, when the bitmap may first be written, and
// files whose scans never complete the image.
#include <gtest/gtest.h>

#include <stdio.h>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"
#include "reference_jpeg.h"

namespace {

// A picture with flat areas, so that whole bands of many blocks are zero and
// the AC scans code long end-of-band runs, next to detailed ones.
Picture FlatAndDetailed(int width, int height, unsigned seed)
{
    Picture picture = SynthesisePicture(width, height, 3, seed);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width / 2; x++)
            for (int c = 0; c < 3; c++)
                picture.pixels[((size_t)y * width + x) * 3 + c] = (uint8_t)(60 + 40 * c + y / 16);
    return picture;
}


const char *const Scripts[] = {
    // DC of each component in its own scan, bands whole.
    "0: 0-0, 0, 0; 1: 0-0, 0, 0; 2: 0-0, 0, 0; 0: 1-63, 0, 0; 1: 1-63, 0, 0; 2: 1-63, 0, 0;",
    // DC refined from Al 1 to 0, split bands.
    "0,1,2: 0-0, 0, 1; 0: 1-5, 0, 0; 2: 1-63, 0, 0; 1: 1-63, 0, 0; 0: 6-63, 0, 0; 0,1,2: 0-0, 1, 0;",
    // Successive approximation of every band, refinements last.
    "0,1,2: 0-0, 0, 2; 0: 1-9, 0, 2; 0: 10-63, 0, 1; 1: 1-63, 0, 1; 2: 1-63, 0, 1; 0,1,2: 0-0, 2, 1;"
    "0: 1-9, 2, 1; 0: 1-9, 1, 0; 0: 10-63, 1, 0; 1: 1-63, 1, 0; 2: 1-63, 1, 0; 0,1,2: 0-0, 1, 0;",
    // A luminance band refined after its later band was final.
    "0,1,2: 0-0, 0, 0; 0: 1-5, 0, 1; 0: 6-63, 0, 0; 1: 1-63, 0, 0; 2: 1-63, 0, 0; 0: 1-5, 1, 0;",
};

TEST(JpegProgressive, ScanScriptsDecodeToTheirBaselineTwin)
{
    Picture picture = FlatAndDetailed(203, 141, 700);
    for (const char *sampling : {"-sample 2x2", "-sample 2x1", "-sample 1x1"}) {
        Bytes baseline = EncodeWithCjpeg(picture, std::string(sampling) + " -quality 85");
        std::vector<Bytes> twins = {EncodeWithCjpeg(picture, std::string(sampling) + " -quality 85 -progressive"),
                                    TransformWithJpegtran(baseline, "-progressive -restart 3B")};
        for (const char *script : Scripts)
            twins.push_back(TransformWithScript(baseline, script));
        for (int mode : {JPG_READ_IMAGE_MEMORY, JPG_READ_QUARTER_MEMORY})
            for (int smooth : {0, 1}) {
                BitmapRead read;
                read.mode = mode;
                read.fourRowBuffers = smooth;
                std::vector<uint8_t> want;
                ASSERT_EQ(0, ReadBitmap(baseline, read, &want));
                for (size_t t = 0; t < twins.size(); t++) {
                    SCOPED_TRACE(std::string(sampling) + " twin " + std::to_string(t) + " mode " +
                                 std::to_string(mode) + " smooth " + std::to_string(smooth));
                    ASSERT_FALSE(twins[t].empty());
                    std::vector<uint8_t> got;
                    ASSERT_EQ(0, ReadBitmap(twins[t], read, &got));
                    EXPECT_TRUE(got == want);
                }
            }
    }
}

// Stopped after every MCU or row of every scan (scans counted from 1), the read must leave the bitmap
// alone until the scan that brings the last component to full precision.
TEST(JpegProgressive, NothingIsWrittenBeforeEveryComponentIsAtFullPrecision)
{
    Bytes baseline = EncodeWithCjpeg(FlatAndDetailed(64, 48, 701), "-sample 2x2");
    const struct {
        const char *script;
        int firstWritingScan;
    } cases[] = {
        {"0,1,2: 0-0, 0, 1; 0: 1-63, 0, 0; 1: 1-63, 0, 0; 2: 1-63, 0, 0; 0,1,2: 0-0, 1, 0;", 5},
        {"0,1,2: 0-0, 0, 0; 0: 1-63, 0, 0; 1: 1-63, 0, 0; 2: 1-63, 0, 1; 2: 1-63, 1, 0;", 5},
        {"0,1,2: 0-0, 0, 0; 0: 1-5, 0, 1; 0: 6-63, 0, 0; 1: 1-63, 0, 0; 2: 1-63, 0, 0; 0: 1-5, 1, 0;", 5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.script);
        Bytes jpeg = TransformWithScript(baseline, c.script);
        std::vector<uint8_t> whole;
        ASSERT_EQ(0, ReadBitmap(jpeg, BitmapRead(), &whole));
        MemoryReader reader(jpeg);
        ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
        BitmapRead read;
        std::vector<uint8_t> dib;
        int result, stops = 0;
        reader.record.props.stopRequest = 1;
        result = ReadInto(&reader.record, &read, &dib);
        for (; result == JPG_INTERRUPT_SUCCESS && stops < 1000; stops++) {
            int scan = reader.record.props.progressiveScans;
            bool untouched = std::all_of(dib.begin(), dib.end(), [](uint8_t b) { return b == Untouched; });
            if (scan < c.firstWritingScan) {
                ASSERT_TRUE(untouched) << "written during scan " << scan;
            } else if (scan > c.firstWritingScan) {
                ASSERT_FALSE(untouched) << "nothing written by scan " << scan;
            }
            reader.record.props.stopRequest = 1;
            result = JpgLibRead(&reader.record, read.mode);
        }
        EXPECT_EQ(0, result);
        EXPECT_GT(stops, 5);
        EXPECT_TRUE(dib == whole);
    }
}

// Files whose scans leave some component short of full precision, or that
// end early: the bitmap gets what the coefficients give, as libjpeg-turbo
// outputs it, and the read reports the image as cut short.
TEST(JpegProgressive, IncompleteImagesAreWrittenAndReportedAsCutShort)
{
    Picture picture = FlatAndDetailed(101, 77, 702);
    Bytes baseline = EncodeWithCjpeg(picture, "-sample 2x2 -quality 90");
    Bytes progressive = EncodeWithCjpeg(picture, "-sample 2x2 -quality 90 -progressive");
    int scans = 0;
    for (size_t i = 0; i + 1 < progressive.size(); i++)
        scans += progressive[i] == 0xFF && progressive[i + 1] == JPG_SOS;
    const struct {
        const char *name;
        Bytes jpeg;
    } files[] = {
        {"luminance AC only", TransformWithScript(baseline, "0,1,2: 0-0, 0, 0; 0: 1-63, 0, 0;")},
        {"last chroma scan at Al 1",
         TransformWithScript(baseline, "0,1,2: 0-0, 0, 0; 0: 1-63, 0, 0; 1: 1-63, 0, 0; 2: 1-63, 0, 1;")},
        {"last scan removed", BeforeScan(progressive, scans - 1)},
        {"first DC scan only", BeforeScan(progressive, 1)},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        ASSERT_FALSE(f.jpeg.empty());
        Picture theirs = DecodeWithLibjpeg(f.jpeg);
        std::vector<uint8_t> ours;
        BitmapRead read;
        read.colour = JPG_COLOUR_RGB;
        ASSERT_EQ(JPG_ERR_EOF, ReadBitmap(f.jpeg, read, &ours));
        Comparison cmp = ComparePixels(ours, theirs.pixels);
        EXPECT_GE(cmp.psnr, 45.0);
        EXPECT_LE(cmp.maxDiff, 4);
        for (int mode : {JPG_READ_HALF_MEMORY, JPG_READ_QUARTER_MEMORY, JPG_READ_EIGHTH_MEMORY}) {
            read.mode = mode;
            std::vector<uint8_t> scaled;
            EXPECT_EQ(JPG_ERR_EOF, ReadBitmap(f.jpeg, read, &scaled)) << "mode " << mode;
            EXPECT_LT(std::count(scaled.begin(), scaled.end(), Untouched), (long)scaled.size() / 50)
                << "mode " << mode << " left the bitmap unwritten";
        }
    }

    // Cut inside a scan, without an end marker: what was decoded is shown.
    size_t lastScan = BeforeScan(progressive, scans - 1).size() - 2;
    size_t end = (lastScan + progressive.size()) / 2;
    while (progressive[end - 1] == 0xFF)
        end--; // a memory source ending in 0xFF is a data error instead
    Bytes cut(progressive.begin(), progressive.begin() + end);
    std::vector<uint8_t> ours;
    BitmapRead rgb;
    rgb.colour = JPG_COLOUR_RGB;
    ASSERT_EQ(JPG_ERR_EOF, ReadBitmap(cut, rgb, &ours));
    Comparison cmp = ComparePixels(ours, DecodeWithLibjpeg(cut).pixels);
    EXPECT_GE(cmp.psnr, 45.0);
    EXPECT_LE(cmp.maxDiff, 4);
    std::string path = TempPath("cut.jpg");
    ASSERT_TRUE(WriteWholeFile(path, cut));
    JPEG_IMAGE_PROPS r;
    ASSERT_EQ(0, JpgLibInit(&r));
    r.jpgFileName = path.c_str();
    ASSERT_EQ(0, JpgLibRead(&r, JPG_READ_HEADER_FILE));
    BitmapRead fromFile = rgb;
    fromFile.mode = JPG_READ_IMAGE_FILE;
    std::vector<uint8_t> viaFile;
    EXPECT_GT(0, ReadInto(&r, &fromFile, &viaFile));
    // The file read stops at the last whole block, the memory read decodes
    // the missing bits as zeros: they differ at most in the blocks there.
    EXPECT_GE(ComparePixels(viaFile, ours).psnr, 40.0) << "a file cut alike shows the same";
    JpgLibFree(&r);
    remove(path.c_str());
}

TEST(JpegProgressive, ScanShapeMustFitTheFrameType)
{
    Bytes baseline = EncodeWithCjpeg(FlatAndDetailed(32, 32, 703), "-sample 1x1");
    Bytes progressive = TransformWithJpegtran(baseline, "-progressive");
    // The same scans under the other frame type.
    for (Bytes jpeg : {baseline, progressive}) {
        for (size_t i = 0; i + 1 < jpeg.size(); i++)
            if (jpeg[i] == 0xFF && (jpeg[i + 1] == JPG_SOF0 || jpeg[i + 1] == JPG_SOF2)) {
                jpeg[i + 1] = jpeg[i + 1] == JPG_SOF0 ? JPG_SOF2 : JPG_SOF0;
                break;
            }
        std::vector<uint8_t> dib;
        EXPECT_EQ(JPG_ERR_DATA, ReadBitmap(jpeg, BitmapRead(), &dib));
    }
}

} // namespace
