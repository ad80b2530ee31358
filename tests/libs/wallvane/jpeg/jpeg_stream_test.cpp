// The marker reader over hand-made streams: where reads stop, what the
// segments leave in the record, file and memory sources.
#include <gtest/gtest.h>

#include <stdio.h>

#include "jpeg_decoder.h"
#include "jpeg_test_files.h"

namespace {

size_t OffsetOf(const Bytes &bytes, int marker)
{
    for (size_t i = 0; i + 1 < bytes.size(); i++)
        if (bytes[i] == 0xFF && bytes[i + 1] == marker)
            return i;
    return (size_t)-1;
}

TEST(JpegStream, HeaderReadOfACraftedGrayImage)
{
    MemoryReader reader(CraftGray(20, 12).Join());
    ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
    EXPECT_EQ(20, reader.record.jpgWidth);
    EXPECT_EQ(12, reader.record.jpgHeight);
    EXPECT_EQ(1, reader.record.jpgChannels);
    EXPECT_EQ(JPG_COLOUR_GRAY, reader.record.jpgColour);
    EXPECT_EQ(0, reader.record.jpgSubsampling);
    EXPECT_EQ(1, reader.record.props.jfifSeen);
}

TEST(JpegStream, ConsumedCountStopsAtTheFrameOrTheFirstScan)
{
    Bytes jpeg = CraftGray(8, 8).Join();
    MemoryReader tables(jpeg);
    ASSERT_EQ(0, tables.Read(JPG_READ_TABLES_MEMORY));
    EXPECT_EQ(OffsetOf(jpeg, JPG_SOF0), tables.record.props.input.consumed);
    MemoryReader header(jpeg);
    ASSERT_EQ(0, header.Read(JPG_READ_HEADER_MEMORY));
    EXPECT_EQ(OffsetOf(jpeg, JPG_SOS), header.record.props.input.consumed);
}

TEST(JpegStream, BytesBeforeTheStartMarkerArePassedOver)
{
    Bytes jpeg = Concat({{0x00, 0x12, 0x34}, CraftGray(8, 8).Join()});
    MemoryReader reader(jpeg);
    EXPECT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
    MemoryReader notJpeg(Concat({{0xFF, 0xD9}, CraftGray(8, 8).Join()}));
    EXPECT_EQ(JPG_ERR_NOT_JPEG, notJpeg.Read(JPG_READ_HEADER_MEMORY));
}

TEST(JpegStream, FillBytesAndStuffedPairsBetweenSegmentsArePassedOver)
{
    CraftedJpeg j = CraftGray(8, 8);
    j.dht = Concat({{0xFF, 0x00, 0xFF, 0xFF}, j.dht});
    j.eoi = {0xFF, 0xFF, 0xD9};
    CoefficientPlanes planes;
    EXPECT_EQ(0, ReadCoefficients(j.Join(), &planes));
}

TEST(JpegStream, QuantisationTablesByIdentifierAndPrecision)
{
    CraftedJpeg j = CraftGray(8, 8);
    Bytes dqt{0x13};
    for (int k = 0; k < 64; k++) {
        dqt.push_back(0x01);
        dqt.push_back((uint8_t)k);
    }
    j.dqt = Concat({j.dqt, MarkerSegment(JPG_DQT, dqt)});
    MemoryReader reader(j.Join());
    uint8_t raw[128];
    reader.record.props.rawQuant[3].buffer = raw;
    ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
    const int16_t *table = reader.record.props.quantTables[3].values;
    EXPECT_EQ(0x100, table[0]);
    EXPECT_EQ(0x100 + 63, table[63]);
    EXPECT_EQ(0x01, raw[0]);
    EXPECT_EQ(1, reader.record.props.rawQuant[3].precision);
    EXPECT_EQ(2, reader.record.props.quantTablesLoaded);
    EXPECT_EQ(4, reader.record.props.quantHighestId);
}

TEST(JpegStream, CommentGoesToTheCallersBuffer)
{
    CraftedJpeg j = CraftGray(8, 8);
    const char text[] = "a comment of 28 characters!!";
    j.app0 = Concat({j.app0, MarkerSegment(JPG_COM, Bytes(text, text + 28))});
    char buffer[40] = {};
    {
        MemoryReader reader(j.Join());
        reader.record.props.jpegComment = buffer;
        reader.record.props.jpegCommentSize = sizeof buffer;
        ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
        EXPECT_EQ(28, reader.record.props.jpegCommentSize);
        EXPECT_EQ(0, memcmp(buffer, text, 28));
    }
    char small[10] = {};
    MemoryReader reader(j.Join());
    reader.record.props.jpegComment = small;
    reader.record.props.jpegCommentSize = sizeof small;
    EXPECT_EQ(JPG_ERR_COMMENT_ACCESS, reader.Read(JPG_READ_HEADER_MEMORY));
    EXPECT_EQ(28, reader.record.props.jpegCommentSize);
    EXPECT_EQ(0, memcmp(small, text, 10));
}

Bytes ThumbPixels(int width, int height)
{
    Bytes pixels;
    for (int i = 0; i < width * height; i++) {
        pixels.push_back((uint8_t)i);
        pixels.push_back((uint8_t)(i * 3));
        pixels.push_back((uint8_t)(200 - i));
    }
    return pixels;
}

TEST(JpegStream, JfifThumbnailIntoRgbAndBgrBitmaps)
{
    CraftedJpeg j = CraftGray(8, 8);
    j.app0 = JfifApp0(3, 2, ThumbPixels(3, 2));
    Bytes jpeg = j.Join();
    for (int colour : {JPG_COLOUR_RGB, JPG_COLOUR_BGR}) {
        MemoryReader reader(jpeg);
        uint8_t dib[4 * 3 * 3] = {};
        reader.record.dibPixels = dib;
        reader.record.dibWidth = 4;
        reader.record.dibHeight = -3; // bottom-up: the first row lands last
        reader.record.dibColour = colour;
        ASSERT_EQ(0, reader.Read(JPG_READ_THUMB_MEMORY));
        EXPECT_EQ(3, reader.record.jpgThumbWidth);
        EXPECT_EQ(2, reader.record.jpgThumbHeight);
        const uint8_t *first = dib + 2 * 12; // row 0 of the thumbnail
        const uint8_t *second = dib + 1 * 12;
        int r = colour == JPG_COLOUR_RGB ? 0 : 2;
        EXPECT_EQ(0, first[r]);
        EXPECT_EQ(200, first[2 - r]);
        EXPECT_EQ(3, second[r]) << "pixel 3 starts the second row";
        EXPECT_EQ(9, second[1]);
        EXPECT_EQ(0, dib[0]) << "rows below the thumbnail stay untouched";
    }
}

TEST(JpegStream, ThumbnailLargerThanTheBitmapIsRefused)
{
    CraftedJpeg j = CraftGray(8, 8);
    j.app0 = JfifApp0(5, 2, ThumbPixels(5, 2));
    uint8_t dib[4 * 4 * 3];
    MemoryReader reader(j.Join());
    reader.record.dibPixels = dib;
    reader.record.dibWidth = 4;
    reader.record.dibHeight = 4;
    EXPECT_EQ(JPG_ERR_THUMB_TOO_SMALL, reader.Read(JPG_READ_THUMB_MEMORY));
    MemoryReader narrow(j.Join());
    narrow.record.dibPixels = dib;
    narrow.record.dibWidth = 8;
    narrow.record.dibHeight = 2;
    narrow.record.dibColour = JPG_COLOUR_RGBA;
    narrow.record.dibChannels = 4;
    EXPECT_EQ(JPG_ERR_THUMB_COLOUR, narrow.Read(JPG_READ_THUMB_MEMORY));
}

TEST(JpegStream, PaletteThumbnailIsLookedUp)
{
    CraftedJpeg j = CraftGray(8, 8);
    Bytes content{'J', 'F', 'X', 'X', 0, 0x11, 2, 1};
    for (int i = 0; i < 256; i++) {
        content.push_back((uint8_t)i);
        content.push_back((uint8_t)(255 - i));
        content.push_back(7);
    }
    content.push_back(10);
    content.push_back(20);
    j.app0 = Concat({j.app0, MarkerSegment(JPG_APP0, content)});
    uint8_t dib[2 * 3] = {};
    MemoryReader reader(j.Join());
    reader.record.dibPixels = dib;
    reader.record.dibWidth = 2;
    reader.record.dibHeight = 1;
    reader.record.dibColour = JPG_COLOUR_RGB;
    ASSERT_EQ(0, reader.Read(JPG_READ_THUMB_MEMORY));
    EXPECT_EQ(2, reader.record.jpgThumbWidth);
    EXPECT_EQ((Bytes{10, 245, 7, 20, 235, 7}), Bytes(dib, dib + 6));
}

TEST(JpegStream, AdobeSegmentNamesTheColour)
{
    CraftedJpeg j = CraftGray(8, 8);
    j.app0 = MarkerSegment(JPG_APP14, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 0});
    MemoryReader reader(j.Join());
    ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
    EXPECT_EQ(1, reader.record.props.adobeSeen);
    EXPECT_EQ(100, reader.record.props.adobeVersion);
    EXPECT_EQ(1, reader.record.dibChannels);
    EXPECT_EQ(JPG_COLOUR_GRAY, reader.record.jpgColour);
}

TEST(JpegStream, RestartMarkersMustComeInOrder)
{
    CraftedJpeg j = CraftGray(24, 8); // three blocks, one a restart interval
    j.app0 = MarkerSegment(JPG_DRI, {0, 1});
    j.data = {0x3F, 0xFF, 0xD0, 0x3F, 0xFF, 0xD1, 0x3F};
    CoefficientPlanes planes;
    EXPECT_EQ(0, ReadCoefficients(j.Join(), &planes));
    j.data = {0x3F, 0xFF, 0xD0, 0x3F, 0xFF, 0xD5, 0x3F};
    EXPECT_EQ(JPG_ERR_BAD_RST, ReadCoefficients(j.Join(), &planes));
    j.data = {0x3F, 0x3F, 0xFF, 0xD1, 0x3F};
    EXPECT_EQ(JPG_ERR_BAD_RST, ReadCoefficients(j.Join(), &planes));
}

TEST(JpegStream, CoefficientsOfACraftedImageLandInTheirBlocks)
{
    CraftedJpeg j = CraftGray(16, 8);
    // DC table: "00" category 0, "01" category 1; block 0 diff +1, block 1 diff -1.
    j.dht = MarkerSegment(JPG_DHT, {0x00, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x01,
                                    0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00});
    // "01" "1" "0" | "01" "0" "0" -> 0110 0100 then padding.
    j.data = {0x64, 0xFF, 0x00};
    CoefficientPlanes planes;
    ASSERT_EQ(0, ReadCoefficients(j.Join(), &planes));
    EXPECT_EQ(1, planes.plane[0][0]);
    EXPECT_EQ(0, planes.plane[0][8]) << "the predictor carries: 1 - 1";
}

struct TempFile {
    std::string path;
    explicit TempFile(const Bytes &bytes) : path(TempPath("stream.jpg")) { WriteWholeFile(path, bytes); }
    ~TempFile() { remove(path.c_str()); }
};

// Segments that straddle the 4096-byte file buffer come out whole.
TEST(JpegStream, FileReadsAcrossTheBufferEdge)
{
    CraftedJpeg j = CraftGray(64, 64);
    Bytes comment(4091, 'c');
    j.app0 = Concat({JfifApp0(60, 60, ThumbPixels(60, 60)), MarkerSegment(JPG_COM, comment)});
    Bytes jpeg = j.Join();
    TempFile file(jpeg);

    JPEG_IMAGE_PROPS record;
    ASSERT_EQ(0, JpgLibInit(&record));
    record.jpgFileName = file.path.c_str();
    std::vector<uint8_t> dib(60 * 60 * 3);
    record.dibPixels = dib.data();
    record.dibWidth = record.dibHeight = 60;
    record.dibColour = JPG_COLOUR_RGB;
    ASSERT_EQ(0, JpgLibRead(&record, JPG_READ_THUMB_FILE));
    Bytes expected = ThumbPixels(60, 60);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), dib.begin()));
    ASSERT_EQ(0, JpgLibRead(&record, JPG_READ_HEADER_FILE)) << "a second header read starts over";
    EXPECT_EQ(64, record.jpgWidth);
    EXPECT_EQ(OffsetOf(jpeg, JPG_SOS), record.props.input.consumed);
    EXPECT_EQ(0, JpgLibFree(&record));
}

TEST(JpegStream, TablesThenFrameFromOneFile)
{
    Bytes jpeg = CraftGray(8, 8).Join();
    TempFile file(jpeg);
    JPEG_IMAGE_PROPS record;
    ASSERT_EQ(0, JpgLibInit(&record));
    record.jpgFileName = file.path.c_str();
    ASSERT_EQ(0, JpgLibRead(&record, JPG_READ_TABLES_FILE));
    EXPECT_EQ(1, record.props.frameNeeded);
    EXPECT_TRUE(record.props.quantLoaded[0]);
    EXPECT_FALSE(record.props.dcLoaded[0]) << "the Huffman tables follow the frame";
    EXPECT_EQ(nullptr, record.props.input.file);
    EXPECT_EQ(0, JpgLibFree(&record));
}

TEST(JpegStream, MissingFileIsAnInvalidName)
{
    JPEG_IMAGE_PROPS record;
    ASSERT_EQ(0, JpgLibInit(&record));
    std::string path = TempPath("missing.jpg");
    record.jpgFileName = path.c_str();
    EXPECT_EQ(JPG_ERR_FILE_NAME, JpgLibRead(&record, JPG_READ_HEADER_FILE));
    EXPECT_EQ(0, JpgLibFree(&record));
}

TEST(JpegStream, GrayPixelsWhateverTheSamplingFactorsSay)
{
    for (int factors : {0x11, 0x22, 0x21}) {
        CraftedJpeg j = CraftGray(13, 11);
        j.sof[11] = (uint8_t)factors;
        MemoryReader reader(j.Join());
        std::vector<uint8_t> dib(13 * 11 * 3, 0);
        reader.record.dibPixels = dib.data();
        reader.record.dibWidth = 13;
        reader.record.dibHeight = 11;
        ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY)) << factors;
        ASSERT_EQ(0, reader.Read(JPG_READ_IMAGE_MEMORY)) << factors;
        for (uint8_t value : dib)
            ASSERT_EQ(128, value) << factors;
    }
}

} // namespace

namespace {

TEST(JpegStream, FlatSubsampledPictureStaysFlatWhenSmoothed)
{
    // Every sample is 128: smoothing must find a neighbour for each edge
    // sample, at the picture's edges too, and give 128 everywhere.
    const int sizes[][4] = {{40, 24, 2, 2}, {33, 17, 2, 2}, {24, 17, 2, 1}, {7, 5, 2, 1}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(size[0] * 100 + size[1]);
        MemoryReader reader(CraftColour(size[0], size[1], size[2], size[3]).Join());
        ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
        std::vector<uint8_t> dib((size_t)size[0] * size[1] * 3, 0);
        reader.record.dibPixels = dib.data();
        reader.record.dibWidth = size[0];
        reader.record.dibHeight = -size[1];
        reader.record.props.fourRowBuffers = 1;
        ASSERT_EQ(0, reader.Read(JPG_READ_IMAGE_MEMORY));
        for (size_t i = 0; i < dib.size(); i++)
            ASSERT_EQ(128, dib[i]) << i;
    }
}

} // namespace
