// Headers and coefficients of files made by cjpeg and jpegtran, checked
// against what libjpeg-turbo reads from the same bytes.
#include <gtest/gtest.h>
#include <string.h>

#include "jpeg_decoder.h"

#include "jpeg_codec.h"
#include "jpeg_mutation.h"
#include "reference_jpeg.h"

namespace {

struct HeaderCase {
    const char *name;
    int width, height, channels;
    const char *arguments;
    int expectChannels, expectColour, expectSubsampling;
};

const HeaderCase HeaderCases[] = {
    {"gray", 64, 48, 1, "-quality 75", 1, JPG_COLOUR_GRAY, JPG_SUBSAMPLING_NONE},
    {"444", 227, 149, 3, "-sample 1x1", 3, JPG_COLOUR_YCBCR, JPG_SUBSAMPLING_NONE},
    {"422", 227, 149, 3, "-sample 2x1", 3, JPG_COLOUR_YCBCR, JPG_SUBSAMPLING_422},
    {"420", 227, 149, 3, "-sample 2x2", 3, JPG_COLOUR_YCBCR, JPG_SUBSAMPLING_411},
    {"progressive", 100, 75, 3, "-progressive", 3, JPG_COLOUR_YCBCR, JPG_SUBSAMPLING_411},
    {"restart", 90, 70, 3, "-restart 2B", 3, JPG_COLOUR_YCBCR, JPG_SUBSAMPLING_411},
    {"rgb", 40, 30, 3, "-rgb -sample 1x1", 3, JPG_COLOUR_RGB, JPG_SUBSAMPLING_NONE},
    {"other", 40, 30, 3, "-sample 1x2", 3, JPG_COLOUR_YCBCR, JPG_SUBSAMPLING_OTHER},
};

TEST(JpegReference, HeaderReadsReportSizeChannelsColourAndSubsampling)
{
    for (const HeaderCase &c : HeaderCases) {
        SCOPED_TRACE(c.name);
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(c.width, c.height, c.channels, 1), c.arguments);
        ASSERT_FALSE(jpeg.empty());
        for (int mode : {JPG_READ_HEADER_MEMORY, JPG_READ_HEADER_FILE}) {
            MemoryReader reader(jpeg);
            std::string path = TempPath("header.jpg");
            ASSERT_TRUE(WriteWholeFile(path, jpeg));
            reader.record.jpgFileName = path.c_str();
            ASSERT_EQ(0, reader.Read(mode));
            EXPECT_EQ(c.width, reader.record.jpgWidth);
            EXPECT_EQ(c.height, reader.record.jpgHeight);
            EXPECT_EQ(c.expectChannels, reader.record.jpgChannels);
            EXPECT_EQ(c.expectColour, reader.record.jpgColour);
            EXPECT_EQ(c.expectSubsampling, reader.record.jpgSubsampling);
            JpgLibFree(&reader.record);
            JpgLibInit(&reader.record);
            remove(path.c_str());
        }
    }
}

void ExpectSameCoefficients(const Bytes &jpeg, const char *what)
{
    SCOPED_TRACE(what);
    ASSERT_FALSE(jpeg.empty());
    ReferenceImage reference = ReadReferenceCoefficients(jpeg);
    ASSERT_TRUE(reference.ok);
    CoefficientPlanes planes;
    ASSERT_EQ(0, ReadCoefficients(jpeg, &planes));
    for (int c = 0; c < reference.components; c++) {
        const ReferenceComponent &rc = reference.component[c];
        int mismatches = 0;
        for (int by = 0; by < rc.blocksDown; by++)
            for (int bx = 0; bx < rc.blocksAcross; bx++)
                for (int k = 0; k < 64; k++) {
                    int16_t expected = rc.coefficients[((size_t)by * rc.blocksAcross + bx) * 64 + k];
                    size_t at = ((size_t)by * 8 + k / 8) * planes.lineValues[c] + bx * 8 + k % 8;
                    ASSERT_LT(at, planes.plane[c].size());
                    if (planes.plane[c][at] != expected && mismatches++ < 3)
                        ADD_FAILURE() << "component " << c << " block " << bx << "," << by << " coefficient "
                                      << k << ": " << planes.plane[c][at] << " instead of " << expected;
                }
        EXPECT_EQ(0, mismatches) << "component " << c;
    }
}

struct CorpusCase {
    const char *name;
    int width, height, channels;
    const char *cjpeg;
    const char *jpegtran; // null: the cjpeg file itself
};

const CorpusCase Corpus[] = {
    {"gray", 64, 48, 1, "-quality 75", nullptr},
    {"gray odd", 17, 9, 1, "-quality 90", nullptr},
    {"single pixel", 1, 1, 3, "", nullptr},
    {"444 q90", 227, 149, 3, "-sample 1x1 -quality 90", nullptr},
    {"422 q50", 227, 149, 3, "-sample 2x1 -quality 50", nullptr},
    {"420 q75", 227, 149, 3, "-sample 2x2", nullptr},
    {"420 q100", 61, 47, 3, "-quality 100", nullptr},
    {"411 wide", 70, 33, 3, "-sample 4x1", nullptr},
    {"12 tall", 50, 41, 3, "-sample 1x2", nullptr},
    {"optimised", 227, 149, 3, "-optimize", nullptr},
    {"restart rows", 227, 149, 3, "-restart 1", nullptr},
    {"restart blocks", 99, 77, 3, "-restart 3B", nullptr},
    {"restart gray", 75, 41, 1, "-restart 5B", nullptr},
    {"rgb", 40, 30, 3, "-rgb -sample 1x1", nullptr},
    {"progressive 420", 227, 149, 3, "-progressive", nullptr},
    {"progressive 444", 65, 33, 3, "-progressive -sample 1x1 -quality 95", nullptr},
    {"progressive gray", 100, 75, 1, "-progressive", nullptr},
    {"progressive restart", 120, 90, 3, "-progressive -restart 2B", nullptr},
    {"jpegtran progressive", 227, 149, 3, "-sample 2x1", "-progressive"},
    {"jpegtran restart", 150, 100, 3, "", "-restart 1B"},
    {"jpegtran optimise", 150, 100, 1, "", "-optimize -progressive"},
};

TEST(JpegReference, CoefficientsEqualLibjpegOverTheCorpus)
{
    unsigned seed = 7;
    for (const CorpusCase &c : Corpus) {
        Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(c.width, c.height, c.channels, seed++), c.cjpeg);
        if (c.jpegtran)
            jpeg = TransformWithJpegtran(jpeg, c.jpegtran);
        ExpectSameCoefficients(jpeg, c.name);
    }
}

TEST(JpegReference, DefaultTablesAreThoseCjpegWrites)
{
    // At quality 50 cjpeg writes the base quantisation tables and the
    // standard Huffman tables, which the parser copies to the raw slots.
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(16, 16, 3, 3), "-quality 50");
    MemoryReader reader(jpeg);
    JPEG_PROPERTIES &p = reader.record.props;
    uint8_t quant[2][64];
    uint8_t bits[4][16], values[4][256];
    for (int t = 0; t < 2; t++)
        p.rawQuant[t].buffer = quant[t];
    for (int s = 0; s < 4; s++) {
        p.rawHuff[s].bits = bits[s];
        p.rawHuff[s].values = values[s];
    }
    ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));

    JPEG_IMAGE_PROPS defaults;
    ASSERT_EQ(0, JpgLibInit(&defaults));
    JpgSetDefaultTables(&defaults.props);
    for (int t = 0; t < 2; t++)
        EXPECT_EQ(0, memcmp(quant[t], defaults.props.rawQuant[t].buffer, 64)) << "quantisation " << t;
    for (int s = 0; s < 4; s++) {
        const JpgRawHuffSlot &d = defaults.props.rawHuff[s];
        EXPECT_EQ(0, memcmp(bits[s], d.bits, 16)) << "Huffman slot " << s;
        int count = 0;
        for (int i = 0; i < 16; i++)
            count += d.bits[i];
        EXPECT_EQ(0, memcmp(values[s], d.values, count)) << "Huffman slot " << s;
    }
    JpgLibFree(&defaults);
}

TEST(JpegReference, HeaderReadThenDataReadOfOneFileDecodesTheSameCoefficients)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(80, 60, 3, 11), "-restart 1");
    std::string path = TempPath("twostep.jpg");
    ASSERT_TRUE(WriteWholeFile(path, jpeg));
    JPEG_IMAGE_PROPS record;
    ASSERT_EQ(0, JpgLibInit(&record));
    record.jpgFileName = path.c_str();
    ASSERT_EQ(0, JpgLibRead(&record, JPG_READ_HEADER_FILE));
    EXPECT_NE(nullptr, record.props.input.file) << "a header read leaves the file open";

    JPEG_PROPERTIES &p = record.props;
    CoefficientPlanes planes;
    JpgRawBlockHook hook = {};
    for (int c = 0; c < p.componentCount; c++) {
        planes.lineValues[c] = p.frameMcusAcross * p.components[c].h * 8;
        planes.lines[c] = p.frameMcusDown * p.components[c].v * 8;
        planes.plane[c].assign((size_t)planes.lineValues[c] * planes.lines[c], 0);
        hook.planes[c] = planes.plane[c].data();
    }
    p.rawBlockHook = &hook;
    ASSERT_EQ(0, JpgLibRead(&record, JPG_READ_IMAGE_FILE));
    EXPECT_EQ(nullptr, record.props.input.file) << "the data read closes it";
    p.rawBlockHook = nullptr;

    CoefficientPlanes direct;
    ASSERT_EQ(0, ReadCoefficients(jpeg, &direct));
    for (int c = 0; c < 3; c++)
        EXPECT_EQ(direct.plane[c], planes.plane[c]) << "component " << c;
    JpgLibFree(&record);
    remove(path.c_str());
}

TEST(JpegReference, ArithmeticCodedFileIsAnUnsupportedFrame)
{
    Bytes jpeg = EncodeWithCjpeg(SynthesisePicture(16, 16, 3, 5), "-arithmetic");
    ASSERT_FALSE(jpeg.empty());
    MemoryReader reader(jpeg);
    EXPECT_EQ(JPG_ERR_UNSUPPORTED_FRAME, reader.Read(JPG_READ_HEADER_MEMORY));
}

} // namespace

namespace {

TEST(JpegReference, MutatedEncoderOutputNeitherCrashesNorHangs)
{
    std::vector<Bytes> seeds;
    const char *arguments[] = {"-progressive", "-restart 1B -sample 1x1", "-progressive -restart 2B",
                               "-optimize -sample 2x1"};
    unsigned seed = 40;
    for (const char *a : arguments)
        seeds.push_back(EncodeWithCjpeg(SynthesisePicture(40, 24, 3, seed++), a));
    seeds.push_back(EncodeWithCjpeg(SynthesisePicture(33, 17, 1, seed++), "-progressive"));
    for (const Bytes &s : seeds)
        ASSERT_FALSE(s.empty());
    RunMutations(seeds, 2000, 777u);
}

} // namespace
