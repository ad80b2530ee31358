// The writer on its own: transforms against the DCT's definition, the bits
// at the end of a scan, restart markers, the checks of the caller's bitmap,
// and the write paths that must give the same bytes.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "jpeg_codec.h"
#include "jpeg_encode_helpers.h"
#include "jpeg_encoder.h"

namespace {

// F(u, v) of T.81 A.3.3, straight from the sum.
double DefinitionDct(const int16_t *samples, int u, int v)
{
    const double pi = 3.14159265358979323846;
    double sum = 0;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            sum += samples[y * 8 + x] * cos((2 * x + 1) * u * pi / 16) * cos((2 * y + 1) * v * pi / 16);
    double cu = u ? 1 : 1 / sqrt(2.0), cv = v ? 1 : 1 / sqrt(2.0);
    return sum * cu * cv / 4;
}

TEST(JpegForwardTransform, BothMethodsAgreeWithTheDefinition)
{
    const double pi = 3.14159265358979323846;
    unsigned state = 99;
    for (int trial = 0; trial < 200; trial++) {
        int16_t samples[64], integer[64], aan[64];
        for (int i = 0; i < 64; i++) {
            state = state * 1103515245u + 12345u;
            // Extreme blocks now and then: the sums must not overflow.
            int range = trial % 5 == 0 ? 2 : 256;
            int value = (int)((state >> 16) % range);
            samples[i] = (int16_t)(range == 2 ? (value ? 127 : -128) : value - 128);
        }
        memcpy(integer, samples, sizeof samples);
        memcpy(aan, samples, sizeof samples);
        JpgFdctInteger(integer);
        JpgFdctAan(aan);
        for (int v = 0; v < 8; v++)
            for (int u = 0; u < 8; u++) {
                double expected = DefinitionDct(samples, u, v);
                EXPECT_NEAR(expected, integer[v * 8 + u], 1.5) << trial << " " << u << "," << v;
                // The fast method leaves the factor 8 s(u) s(v) in its output,
                // and rounds its products to whole units of the first pass.
                double su = u ? sqrt(2.0) * cos(u * pi / 16) : 1, sv = v ? sqrt(2.0) * cos(v * pi / 16) : 1;
                EXPECT_NEAR(expected, aan[v * 8 + u] / (8 * su * sv), 3.0) << trial << " " << u << "," << v;
            }
    }
}

TEST(JpegForwardTransform, QuantisersDivideRoundingAndStayCodable)
{
    // Divisors 1..255 in every place; values that a baseline Huffman table
    // cannot code (DC beyond 11 bits, AC beyond 10) come out at the limit.
    int16_t table[64];
    for (int k = 0; k < 64; k++)
        table[k] = (int16_t)(1 + (k * 37) % 255);
    JpgMakeQuantReciprocalsInteger(table);
    int16_t block[64];
    for (int i = 0; i < 64; i++)
        block[i] = (int16_t)((i * 977) % 4000 - 2000);
    int16_t quantised[64];
    memcpy(quantised, block, sizeof block);
    JpgQuantizeInteger(quantised, table);
    for (int k = 0; k < 64; k++) {
        int natural = JpgNaturalOrder[k];
        double exact = floor(block[natural] / (double)(1 + (k * 37) % 255) + 0.5);
        double low = natural == 0 ? -1024 : -1023;
        exact = exact > 1023 ? 1023 : exact < low ? low : exact;
        EXPECT_NEAR(exact, quantised[natural], 1) << k;
    }
    // The fast method's reciprocals hold its factors: a flat block's DC of
    // 64 d quantises to d at divisor 8, as the integer method's 8 d does.
    int16_t aan[64];
    for (int k = 0; k < 64; k++)
        aan[k] = 16;
    aan[0] = 8;
    JpgMakeQuantReciprocalsAan(aan);
    int16_t flat[64] = {};
    flat[0] = 64 * 37;
    JpgQuantizeAan(flat, aan);
    EXPECT_EQ(37, flat[0]);
}

EncodeSettings Gray()
{
    EncodeSettings s;
    s.jpgChannels = 1;
    s.jpgColour = JPG_COLOUR_GRAY;
    s.subsampling = 0;
    return s;
}

Bitmap FlatGray(int width, int height, uint8_t value)
{
    Pixels p;
    p.width = width;
    p.height = height;
    p.channels = 1;
    p.bytes.assign((size_t)width * height, value);
    return LayOut(p, JPG_COLOUR_GRAY, 1, 0, false);
}

TEST(JpegWriter, ScanEndsInOneBitsAndNoRestartFollowsTheLastMcu)
{
    // A flat mid-grey block codes DC category 0 (00) and end-of-block
    // (1010) with the tables of T.81 Annex K: six bits, then 1-fill.
    Bytes jpeg;
    ASSERT_EQ(0, EncodeToMemory(FlatGray(8, 8, 128), Gray(), &jpeg));
    std::vector<StreamSegment> segments = SplitStream(jpeg);
    ASSERT_GE(segments.size(), 2u);
    EXPECT_EQ(0xDA, segments[segments.size() - 2].marker);
    EXPECT_EQ(Bytes{0x2B}, segments[segments.size() - 2].data);
    EXPECT_EQ(0xD9, segments.back().marker);

    // Nine MCUs, a marker after each but the last: RST0..RST7 then RST0
    // would end the scan with a marker that starts an empty interval.
    EncodeSettings settings = Gray();
    settings.restartInterval = 1;
    ASSERT_EQ(0, EncodeToMemory(FlatGray(72, 8, 128), settings, &jpeg));
    Bytes data = SplitStream(jpeg)[SplitStream(jpeg).size() - 2].data;
    std::vector<int> markers;
    for (size_t i = 0; i + 1 < data.size(); i++)
        if (data[i] == 0xFF && data[i + 1] >= 0xD0 && data[i + 1] <= 0xD7)
            markers.push_back(data[i + 1] - 0xD0);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}), markers);
    EXPECT_EQ(0x2B, data.back());
}

TEST(JpegWriter, FileMemoryAndStoppedWritesGiveTheSameBytes)
{
    Pixels pixels = MakePixels(53, 37, 3, 4);
    Bitmap bitmap = LayOut(pixels, JPG_COLOUR_BGR, 3, 2, true);
    for (int restart : {0, 3})
        for (bool progressive : {false, true}) {
            SCOPED_TRACE(testing::Message() << "restart " << restart << " progressive " << progressive);
            EncodeSettings settings;
            settings.restartInterval = progressive ? 0 : restart;
            settings.progressive = progressive;
            Bytes once, stopped, file, stoppedFile;
            ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &once));
            std::string path = TempPath("written.jpg");
            ASSERT_EQ(0, EncodeToFile(bitmap, settings, path, &file));
            settings.stopAfterEveryMcu = true;
            ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &stopped));
            ASSERT_EQ(0, EncodeToFile(bitmap, settings, path, &stoppedFile));
            remove(path.c_str());
            EXPECT_EQ(once, file);
            EXPECT_EQ(once, stopped);
            EXPECT_EQ(once, stoppedFile);
        }
}

// Points a record at the bitmap, the whole image, and the output buffer.
void Describe(JPEG_IMAGE_PROPS *r, Bitmap &bitmap, Bytes *out)
{
    r->dibPixels = bitmap.bytes.data();
    r->dibWidth = r->jpgWidth = bitmap.width;
    r->dibHeight = bitmap.height;
    r->jpgHeight = bitmap.height < 0 ? -bitmap.height : bitmap.height;
    r->dibChannels = bitmap.channels;
    r->dibColour = bitmap.colour;
    r->jpgBytes = out->data();
    r->jpgSizeBytes = (int)out->size();
}

TEST(JpegWriter, StoppedWriteCodesOneMcuACallAndReportsProgress)
{
    Bitmap bitmap = LayOut(MakePixels(40, 20, 3, 2), JPG_COLOUR_RGB, 3, 0, false);
    JPEG_IMAGE_PROPS r;
    ASSERT_EQ(0, JpgLibInit(&r));
    Bytes buffer(65536);
    Describe(&r, bitmap, &buffer);
    int calls = 0, result;
    do {
        r.props.stopRequest = 1;
        result = JpgLibWrite(&r, JPG_WRITE_IMAGE_MEMORY);
        calls++;
        if (result == JPG_INTERRUPT_SUCCESS && calls == 4) {
            // 16x16 MCUs, three across: the fourth call ends in the second row.
            EXPECT_EQ(16, r.props.progressRight);
            EXPECT_EQ(20, r.props.progressBottom);
        }
    } while (result == JPG_INTERRUPT_SUCCESS && calls < 100);
    EXPECT_EQ(0, result);
    EXPECT_EQ(3 * 2 + 1, calls);
    JpgLibFree(&r);
}

int WriteWith(void (*change)(JPEG_IMAGE_PROPS *), Bytes *buffer)
{
    static Bitmap bitmap = LayOut(MakePixels(33, 17, 3, 5), JPG_COLOUR_RGB, 3, 0, false);
    JPEG_IMAGE_PROPS r;
    JpgLibInit(&r);
    buffer->assign(65536, 0);
    Describe(&r, bitmap, buffer);
    change(&r);
    int result = JpgLibWrite(&r, JPG_WRITE_IMAGE_MEMORY);
    buffer->resize(result == 0 ? r.jpgSizeBytes : 0);
    JpgLibFree(&r);
    return result;
}

TEST(JpegWriter, RefusesBitmapsThatDoNotHoldTheImage)
{
    const struct {
        const char *name;
        void (*change)(JPEG_IMAGE_PROPS *);
        int expected;
    } cases[] = {
        {"narrower bitmap", [](JPEG_IMAGE_PROPS *r) { r->dibWidth = 32; }, JPG_ERR_INVALID_PROPERTIES},
        {"shorter bitmap", [](JPEG_IMAGE_PROPS *r) { r->dibHeight = -16; }, JPG_ERR_INVALID_PROPERTIES},
        {"one channel for RGB into YCbCr",
         [](JPEG_IMAGE_PROPS *r) { r->dibChannels = 1; }, JPG_ERR_INVALID_PROPERTIES},
        {"packed 4:2:2 of odd width",
         [](JPEG_IMAGE_PROPS *r) {
             r->dibColour = JPG_COLOUR_YCBCR;
             r->dibSubsampling = 2;
         },
         JPG_ERR_SUBSAMPLING},
        {"memory too small", [](JPEG_IMAGE_PROPS *r) { r->jpgSizeBytes = 300; }, JPG_ERR_OUTPUT_TOO_SMALL},
        {"five components", [](JPEG_IMAGE_PROPS *r) {
             r->dibColour = r->jpgColour = JPG_COLOUR_OTHER;
             r->dibChannels = r->jpgChannels = 5;
             r->jpgSubsampling = 0;
         }, JPG_ERR_COMP},
    };
    Bytes out;
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, WriteWith(c.change, &out)) << c.name;
    // The same record writes once the bitmap fits.
    EXPECT_EQ(0, WriteWith([](JPEG_IMAGE_PROPS *) {}, &out));
    EXPECT_GT(out.size(), 300u);
}

TEST(JpegWriter, TablesOnlyWriteThenDataOnlyWrite)
{
    Bitmap bitmap = LayOut(MakePixels(24, 16, 3, 8), JPG_COLOUR_RGB, 3, 0, false);
    JPEG_IMAGE_PROPS r;
    ASSERT_EQ(0, JpgLibInit(&r));
    Bytes tables(4096), data(65536);
    Describe(&r, bitmap, &tables);
    ASSERT_EQ(0, JpgLibWrite(&r, JPG_WRITE_TABLES_MEMORY));
    tables.resize(r.jpgSizeBytes);
    std::vector<int> markers;
    for (const StreamSegment &s : SplitStream(tables))
        markers.push_back(s.marker);
    EXPECT_EQ((std::vector<int>{0xE0, 0xFE, 0xDB, 0xDB, 0xC4, 0xD9}), markers);

    r.jpgBytes = data.data();
    r.jpgSizeBytes = (int)data.size();
    ASSERT_EQ(0, JpgLibWrite(&r, JPG_WRITE_DATA_MEMORY));
    data.resize(r.jpgSizeBytes);
    JpgLibFree(&r);
    markers.clear();
    for (const StreamSegment &s : SplitStream(data))
        markers.push_back(s.marker);
    EXPECT_EQ((std::vector<int>{0xC0, 0xDA, 0xD9}), markers);

    // The tables and the data together are a whole stream that reads back.
    Bytes joined(tables.begin(), tables.end() - 2);
    joined.insert(joined.end(), data.begin() + 2, data.end());
    Bytes whole;
    EncodeSettings settings;
    ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &whole));
    EXPECT_EQ(whole, joined);
}

TEST(JpegWriter, QuantisationTableInTheFileIsTheOneUsed)
{
    // One 8x8 block of the highest-frequency basis function, amplitude 100:
    // F(7, 7) = 400 by the definition. At quality 100 the fast method cannot
    // divide coefficient 63 by 1; whatever it divides by, the file must say.
    const double pi = 3.14159265358979323846;
    Pixels p;
    p.width = p.height = 8;
    p.channels = 1;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            p.bytes.push_back((uint8_t)lround(128 + 100 * cos((2 * x + 1) * 7 * pi / 16) * cos((2 * y + 1) * 7 * pi / 16)));
    for (int method : {JPG_DCT_AAN, JPG_DCT_INTEGER}) {
        SCOPED_TRACE(method);
        EncodeSettings settings = Gray();
        settings.quality = 100;
        settings.dctMethod = method;
        Bytes jpeg;
        ASSERT_EQ(0, EncodeToMemory(LayOut(p, JPG_COLOUR_GRAY, 1, 0, false), settings, &jpeg));
        int divisor = TablesOf(jpeg).quant[0][63];
        CoefficientPlanes planes;
        ASSERT_EQ(0, ReadCoefficients(jpeg, &planes));
        EXPECT_NEAR(400, planes.plane[0][7 * planes.lineValues[0] + 7] * divisor, 8);
    }
}

TEST(JpegWriter, CallerCommentIsCutToWhatASegmentHolds)
{
    std::vector<char> comment(65535);
    for (size_t i = 0; i < comment.size(); i++)
        comment[i] = (char)('a' + i % 26);
    JPEG_IMAGE_PROPS r;
    ASSERT_EQ(0, JpgLibInit(&r));
    Bytes out(70000);
    r.jpgBytes = out.data();
    r.jpgSizeBytes = (int)out.size();
    r.props.jpegComment = comment.data();
    r.props.jpegCommentSize = 65535;
    ASSERT_EQ(0, JpgLibWrite(&r, JPG_WRITE_TABLES_MEMORY));
    out.resize(r.jpgSizeBytes);
    EXPECT_EQ(65531, r.props.jpegCommentSize);
    JpgLibFree(&r);
    std::vector<StreamSegment> segments = SplitStream(out);
    ASSERT_GE(segments.size(), 2u);
    EXPECT_EQ(0xFE, segments[1].marker);
    EXPECT_EQ(Bytes(comment.begin(), comment.begin() + 65531), segments[1].content);
}

// Bitmaps the writer reads differently but that hold the same picture
// write the same stream.
TEST(JpegWriter, EveryLayoutOfOnePictureWritesTheSameStream)
{
    Pixels colour = MakePixels(45, 29, 3, 11);
    for (int subsampling : {0, 1, 2}) {
        SCOPED_TRACE(subsampling);
        EncodeSettings settings;
        settings.subsampling = subsampling;
        Bytes reference;
        ASSERT_EQ(0, EncodeToMemory(LayOut(colour, JPG_COLOUR_RGB, 3, 0, false), settings, &reference));
        const struct {
            int colour, channels, pad;
            bool bottomUp;
        } layouts[] = {{JPG_COLOUR_BGR, 3, 0, false}, {JPG_COLOUR_RGB, 3, 3, true}, {JPG_COLOUR_BGR, 3, 1, true}};
        for (const auto &l : layouts) {
            Bytes jpeg;
            ASSERT_EQ(0, EncodeToMemory(LayOut(colour, l.colour, l.channels, l.pad, l.bottomUp), settings, &jpeg));
            EXPECT_EQ(reference, jpeg) << l.colour << " " << l.pad << " " << l.bottomUp;
        }
    }
    Pixels gray = MakePixels(45, 29, 1, 12);
    Bytes reference, flipped;
    ASSERT_EQ(0, EncodeToMemory(LayOut(gray, JPG_COLOUR_GRAY, 1, 0, false), Gray(), &reference));
    ASSERT_EQ(0, EncodeToMemory(LayOut(gray, JPG_COLOUR_GRAY, 1, 5, true), Gray(), &flipped));
    EXPECT_EQ(reference, flipped);
}

// Decodes with the codec's own reader into a bitmap of the given form.
int ReadBack(const Bytes &jpeg, int width, int height, int colour, int channels, int subsampling,
             std::vector<uint8_t> *dib)
{
    MemoryReader reader(jpeg);
    JPEG_IMAGE_PROPS &r = reader.record;
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    dib->assign((size_t)width * (subsampling == 2 ? 2 : channels) * height, 0);
    r.dibPixels = dib->data();
    r.dibWidth = width;
    r.dibHeight = height;
    r.dibChannels = channels;
    r.dibColour = colour;
    r.dibSubsampling = subsampling;
    // Nothing in a stream names plain channels; the caller knows them.
    if (colour == JPG_COLOUR_OTHER)
        r.jpgColour = JPG_COLOUR_OTHER;
    return result == 0 ? reader.Read(JPG_READ_IMAGE_MEMORY) : result;
}

double Psnr(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
{
    if (a.size() != b.size() || a.empty())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.size(); i++)
        sum += ((double)a[i] - b[i]) * ((double)a[i] - b[i]);
    return sum == 0 ? 99 : 10 * log10(255.0 * 255.0 * a.size() / sum);
}

// Layouts that djpeg's picture output cannot show: four channels with and
// without the colour transform, packed 4:2:2, and two plain components.
TEST(JpegWriter, FourChannelPackedAndPlainLayoutsReadBack)
{
    const struct {
        const char *name;
        int dibColour, channels, jpgChannels, jpgColour, subsampling, packed;
        bool progressive;
    } cases[] = {
        {"RGBA to YCbCrA", JPG_COLOUR_RGBA, 4, 4, JPG_COLOUR_YCBCRA, 0, 0, false},
        {"RGBA to YCbCrA 2x2", JPG_COLOUR_RGBA, 4, 4, JPG_COLOUR_YCBCRA, 3, 0, false},
        {"RGBA to YCbCrA 2x1", JPG_COLOUR_RGBA, 4, 4, JPG_COLOUR_YCBCRA, 4, 0, true},
        {"RGBA to RGBA", JPG_COLOUR_RGBA, 4, 4, JPG_COLOUR_RGBA, 0, 0, true},
        {"packed 4:2:2", JPG_COLOUR_YCBCR, 3, 3, JPG_COLOUR_YCBCR, 2, 2, false},
        {"packed 4:2:2 progressive", JPG_COLOUR_YCBCR, 3, 3, JPG_COLOUR_YCBCR, 2, 2, true},
        {"two components", JPG_COLOUR_OTHER, 2, 2, JPG_COLOUR_OTHER, 0, 0, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const int width = 38, height = 27;
        Pixels pixels = MakePixels(width, height, c.packed ? 2 : c.channels, 21);
        Bitmap bitmap = LayOut(pixels, c.dibColour, c.packed ? 2 : c.channels, 0, false);
        bitmap.channels = c.channels;
        bitmap.subsampling = c.packed;
        if (c.packed) {
            // Pairs share their chroma: Y0 Cb Y1 Cr.
            for (size_t i = 0; i + 3 < bitmap.bytes.size(); i += 4) {
                bitmap.bytes[i + 1] = (uint8_t)(96 + i % 64);
                bitmap.bytes[i + 3] = (uint8_t)(160 - i % 48);
            }
        }
        EncodeSettings settings;
        settings.jpgChannels = c.jpgChannels;
        settings.jpgColour = c.jpgColour;
        settings.subsampling = c.subsampling;
        settings.quality = 95;
        settings.progressive = c.progressive;
        Bytes jpeg;
        ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &jpeg));
        std::vector<uint8_t> back;
        ASSERT_EQ(0, ReadBack(jpeg, width, height, c.dibColour, c.channels, c.packed, &back));
        // The picture's noise is independent per channel: halved chroma
        // loses much of it, full resolution little.
        double least = c.subsampling == 0 ? 34 : 22;
        EXPECT_GT(Psnr(bitmap.bytes, back), least);
    }
}

} // namespace
