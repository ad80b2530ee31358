// Crafted files for every error a hostile stream can reach.
#include <gtest/gtest.h>

#include <functional>

#include "jpeg_decoder.h"
#include "jpeg_test_files.h"

namespace {

Bytes Sof(int marker, int precision, int height, int width, Bytes components)
{
    Bytes content{(uint8_t)precision, (uint8_t)(height >> 8), (uint8_t)height, (uint8_t)(width >> 8),
                  (uint8_t)width, (uint8_t)(components.size() / 3)};
    content.insert(content.end(), components.begin(), components.end());
    return MarkerSegment(marker, content);
}

Bytes DhtSegment(int header, Bytes bits, Bytes values)
{
    Bytes content{(uint8_t)header};
    bits.resize(16, 0);
    content.insert(content.end(), bits.begin(), bits.end());
    content.insert(content.end(), values.begin(), values.end());
    return MarkerSegment(JPG_DHT, content);
}

struct HostileCase {
    const char *name;
    std::function<void(CraftedJpeg &)> spoil;
    int mode;
    int expected;
};

const int Header = JPG_READ_HEADER_MEMORY;
const int Image = JPG_READ_IMAGE_MEMORY; // read with the raw-block hook

const HostileCase Cases[] = {
    {"sound", [](CraftedJpeg &) {}, Image, 0},
    {"no start marker", [](CraftedJpeg &j) { j.soi = {0xFF, 0xE1, 0, 2}; }, Header, JPG_ERR_NOT_JPEG},
    {"no components", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 8, 8, {}); }, Header, JPG_ERR_COMP},
    {"five components", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 8, 8, Bytes(15, 0x11)); }, Header, JPG_ERR_UNSUPPORTED_FRAME},
    {"frame length short of its components", [](CraftedJpeg &j) { j.sof = MarkerSegment(JPG_SOF0, {8, 0, 8, 0, 8, 2, 1, 0x11, 0}); }, Header, JPG_ERR_SOF},
    {"frame length beyond its components", [](CraftedJpeg &j) { j.sof = MarkerSegment(JPG_SOF0, {8, 0, 8, 0, 8, 1, 1, 0x11, 0, 0}); }, Header, JPG_ERR_SOF},
    {"frame cut short", [](CraftedJpeg &j) { j.sof = MarkerSegment(JPG_SOF0, {8, 0, 8}); }, Header, JPG_ERR_SOF},
    {"twelve-bit samples", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 12, 8, 8, {1, 0x11, 0}); }, Header, JPG_ERR_UNSUPPORTED_FRAME},
    {"height from DNL", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 0, 8, {1, 0x11, 0}); }, Header, JPG_ERR_DNL},
    {"width 0", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 8, 0, {1, 0x11, 0}); }, Header, JPG_ERR_SOF},
    {"sampling 0", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 8, 8, {1, 0x01, 0}); }, Header, JPG_ERR_UNSUPPORTED_FRAME},
    {"sampling 5", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 8, 8, {1, 0x51, 0}); }, Header, JPG_ERR_UNSUPPORTED_FRAME},
    {"eleven blocks an MCU", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 8, 8, {1, 0x33, 0, 2, 0x21, 0}); }, Header, JPG_ERR_UNSUPPORTED_FRAME},
    {"lossless frame", [](CraftedJpeg &j) { j.sof[1] = JPG_SOF3; }, Header, JPG_ERR_UNSUPPORTED_FRAME},
    {"arithmetic frame", [](CraftedJpeg &j) { j.sof[1] = 0xC9; }, Header, JPG_ERR_UNSUPPORTED_FRAME},
    {"second frame", [](CraftedJpeg &j) { j.dht = Concat({j.sof, j.dht}); }, Image, JPG_ERR_MULTIPLE_FRAMES},
    {"progressive frame after the first", [](CraftedJpeg &j) { Bytes sof2 = j.sof; sof2[1] = JPG_SOF2; j.dht = Concat({sof2, j.dht}); }, Image, JPG_ERR_MULTIPLE_FRAMES},
    {"scan before the frame", [](CraftedJpeg &j) { j.sof.clear(); }, Image, JPG_ERR_NO_FRAME},
    {"quantisation table 4", [](CraftedJpeg &j) { j.dqt[4] = 0x04; }, Header, JPG_ERR_BAD_QUANT},
    {"quantisation precision 2", [](CraftedJpeg &j) { j.dqt[4] = 0x20; }, Header, JPG_ERR_BAD_QUANT},
    {"quantisation table cut short", [](CraftedJpeg &j) { j.dqt = MarkerSegment(JPG_DQT, Bytes(40, 1)); }, Header, JPG_ERR_BAD_QUANT},
    {"quantisation segment too long", [](CraftedJpeg &j) { j.dqt = MarkerSegment(JPG_DQT, Bytes(517, 0)); }, Header, JPG_ERR_DATA},
    {"Huffman class 1 table 4", [](CraftedJpeg &j) { j.dht = DhtSegment(0x14, {1}, {0}); }, Header, JPG_ERR_BAD_HUFFMAN},
    {"Huffman class 2", [](CraftedJpeg &j) { j.dht = DhtSegment(0x20, {1}, {0}); }, Header, JPG_ERR_BAD_HUFFMAN},
    {"Huffman segment of 1092 bytes", [](CraftedJpeg &j) { j.dht = MarkerSegment(JPG_DHT, Bytes(1092, 0)); }, Header, JPG_ERR_DATA},
    {"Huffman table of 257 codes", [](CraftedJpeg &j) { j.dht = DhtSegment(0x00, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 255}, Bytes(257, 0)); }, Header, JPG_ERR_BAD_HUFFMAN},
    {"Huffman codes overflow their length", [](CraftedJpeg &j) { j.dht = DhtSegment(0x00, {3}, {0, 1, 2}); }, Header, JPG_ERR_BAD_HUFFMAN},
    {"Huffman values beyond the segment", [](CraftedJpeg &j) { j.dht = DhtSegment(0x00, {0, 0, 40}, Bytes(10, 0)); }, Header, JPG_ERR_BAD_HUFFMAN},
    {"Huffman counts cut short", [](CraftedJpeg &j) { j.dht = MarkerSegment(JPG_DHT, {0x00, 1, 0, 0}); }, Header, JPG_ERR_BAD_HUFFMAN},
    {"segment length 1", [](CraftedJpeg &j) { j.dqt = {0xFF, JPG_DQT, 0, 1}; }, Header, JPG_ERR_DATA},
    {"segment longer than the stream", [](CraftedJpeg &j) { j.dqt = {0xFF, JPG_DQT, 0x7F, 0xFF, 0}; j.sof.clear(); j.dht.clear(); j.sos.clear(); j.data.clear(); j.eoi.clear(); }, Header, JPG_ERR_DATA},
    {"restart interval cut short", [](CraftedJpeg &j) { j.app0 = MarkerSegment(JPG_DRI, {0}); }, Header, JPG_ERR_DATA},
    {"no components in scan", [](CraftedJpeg &j) { j.sos = MarkerSegment(JPG_SOS, {0, 0, 63, 0}); }, Image, JPG_ERR_DATA},
    {"scan length wrong", [](CraftedJpeg &j) { j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x00, 0, 63, 0, 0}); }, Image, JPG_ERR_DATA},
    {"scan of an unknown component", [](CraftedJpeg &j) { j.sos = MarkerSegment(JPG_SOS, {1, 9, 0x00, 0, 63, 0}); }, Image, JPG_ERR_DATA},
    {"scan with DC table 4", [](CraftedJpeg &j) { j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x40, 0, 63, 0}); }, Image, JPG_ERR_DATA},
    {"scan with a component twice", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 8, 8, {1, 0x11, 0, 2, 0x11, 0}); j.sos = MarkerSegment(JPG_SOS, {2, 1, 0, 1, 0, 0, 63, 0}); }, Image, JPG_ERR_DATA},
    {"spectral end past 63", [](CraftedJpeg &j) { j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x00, 1, 64, 0}); }, Image, JPG_ERR_DATA},
    {"DC scan with AC band", [](CraftedJpeg &j) { j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x00, 0, 5, 0}); }, Image, JPG_ERR_DATA},
    {"successive approximation jump", [](CraftedJpeg &j) { j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x00, 0, 0, 0x31}); }, Image, JPG_ERR_DATA},
    {"quantisation table of the frame past 3", [](CraftedJpeg &j) { j.sof = Sof(JPG_SOF0, 8, 8, 8, {1, 0x11, 7}); }, Header, JPG_ERR_SOF},
    {"no Huffman table", [](CraftedJpeg &j) { j.dht.clear(); }, Image, JPG_ERR_NO_HUFFMAN},
    {"no AC table", [](CraftedJpeg &j) { j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x01, 0, 63, 0}); }, Image, JPG_ERR_NO_HUFFMAN},
    {"no quantisation table", [](CraftedJpeg &j) { j.dqt.clear(); }, Image, JPG_ERR_NO_QUANT},
    {"stream ends before its scan", [](CraftedJpeg &j) { j.sos.clear(); j.data.clear(); j.eoi.clear(); }, Image, JPG_ERR_EOF},
    {"stream ends inside its data", [](CraftedJpeg &j) { j.data.resize(2); j.eoi.clear(); }, Image, JPG_ERR_EOF},
    {"stream ends before its frame", [](CraftedJpeg &j) { j.sof.clear(); j.dht.clear(); j.sos.clear(); j.data.clear(); j.eoi.clear(); }, Header, JPG_ERR_EOF},
    {"end marker before any frame", [](CraftedJpeg &j) { j.app0 = {0xFF, 0xD9, 0xFF, 0xC4, 0, 2}; }, Image, JPG_ERR_NO_IMAGE},
    {"end marker before the scan", [](CraftedJpeg &j) { j.sos = {0xFF, 0xD9}; j.data.clear(); }, Image, JPG_ERR_EOF},
    {"data ends in 0xFF", [](CraftedJpeg &j) { j.data.push_back(0xFF); j.eoi.clear(); }, Image, JPG_ERR_DATA},
};

TEST(JpegHostile, EachCraftedFaultGivesItsCode)
{
    for (const HostileCase &c : Cases) {
        CraftedJpeg j = CraftGray(64, 64);
        c.spoil(j);
        Bytes jpeg = j.Join();
        int result;
        if (c.mode == Image) {
            CoefficientPlanes planes;
            result = ReadCoefficients(jpeg, &planes);
        } else {
            MemoryReader reader(jpeg);
            result = reader.Read(c.mode);
        }
        EXPECT_EQ(c.expected, result) << c.name;
    }
}

// The caller sizes its buffers by the header read; a second frame with
// other geometry must not be decoded into them, whatever the first frame's type.
TEST(JpegHostile, SecondFrameAfterAnExtendedFrameIsRefusedByEveryRead)
{
    CraftedJpeg first = CraftGray(16, 16);
    first.sof[1] = JPG_SOF1;
    CraftedJpeg second = CraftGray(64, 64);
    CraftedJpeg followed = first;
    followed.eoi = Concat({second.sof, second.sos, second.data, first.eoi});
    CraftedJpeg unended = first;
    unended.eoi.clear();
    const struct {
        const char *name;
        Bytes jpeg;
    } files[] = {{"second frame after the first scan", followed.Join()},
                 {"second image after an unended one", Concat({unended.Join(), second.Join()})}};
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        CoefficientPlanes planes;
        EXPECT_EQ(JPG_ERR_MULTIPLE_FRAMES, ReadCoefficients(f.jpeg, &planes));
        std::vector<uint8_t> dib;
        BitmapRead read;
        read.channels = 1;
        read.colour = JPG_COLOUR_GRAY;
        BitmapRead used;
        EXPECT_EQ(JPG_ERR_MULTIPLE_FRAMES, ReadBitmap(f.jpeg, read, &dib, &used));
        EXPECT_EQ(16, used.width) << "the header read reports the first frame";
        MemoryReader direct(f.jpeg);
        read.width = read.height = 16;
        EXPECT_EQ(JPG_ERR_MULTIPLE_FRAMES, ReadInto(&direct.record, &read, &dib)) << "without a header read";
    }
    CoefficientPlanes alone;
    EXPECT_EQ(0, ReadCoefficients(first.Join(), &alone)) << "an extended frame on its own decodes";
}

// The end of a file is the end of the data, as the end of a memory block
// is: the same cut stream gives the same result from both.
TEST(JpegHostile, FileThatEndsInsideItsDataEndsAsMemoryDoes)
{
    for (bool lastByteIsFill : {false, true}) {
        CraftedJpeg j = CraftGray(64, 64);
        j.data.resize(3);
        if (lastByteIsFill)
            j.data.push_back(0xFF);
        j.eoi.clear();
        std::string path = TempPath("short.jpg");
        ASSERT_TRUE(WriteWholeFile(path, j.Join()));
        JPEG_IMAGE_PROPS record;
        ASSERT_EQ(0, JpgLibInit(&record));
        record.jpgFileName = path.c_str();
        ASSERT_EQ(0, JpgLibRead(&record, JPG_READ_HEADER_FILE));
        JpgRawBlockHook hook = {};
        std::vector<int16_t> plane(64 * 64);
        hook.planes[0] = plane.data();
        record.props.rawBlockHook = &hook;
        // Cut inside a marker it is damaged, elsewhere cut short.
        int expected = lastByteIsFill ? JPG_ERR_DATA : JPG_ERR_EOF;
        EXPECT_EQ(expected, JpgLibRead(&record, JPG_READ_IMAGE_FILE));
        EXPECT_EQ(nullptr, record.props.input.file) << "a failed read closes its file";
        EXPECT_EQ(0, JpgLibFree(&record));
        remove(path.c_str());
        CoefficientPlanes planes;
        EXPECT_EQ(expected, ReadCoefficients(j.Join(), &planes));
    }
}

TEST(JpegHostile, HugeProgressiveFrameIsRefusedBeforeAllocation)
{
    CraftedJpeg j = CraftGray(8, 8);
    j.sof = Sof(JPG_SOF2, 8, 65535, 65535, {1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
    j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x00, 0, 0, 1});
    CoefficientPlanes planes;
    MemoryReader reader(j.Join());
    ASSERT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
    JpgRawBlockHook hook = {};
    reader.record.props.rawBlockHook = &hook;
    EXPECT_EQ(JPG_ERR_MEMORY, reader.Read(JPG_READ_IMAGE_MEMORY));
}

TEST(JpegHostile, FailedReadLeavesTheRecordUsable)
{
    CraftedJpeg bad = CraftGray(16, 16);
    bad.dht.clear();
    MemoryReader reader(bad.Join());
    JpgRawBlockHook hook = {};
    std::vector<int16_t> plane(16 * 16);
    hook.planes[0] = plane.data();
    reader.record.props.rawBlockHook = &hook;
    EXPECT_EQ(JPG_ERR_NO_HUFFMAN, reader.Read(JPG_READ_IMAGE_MEMORY));
    reader.bytes = CraftGray(16, 16).Join();
    EXPECT_EQ(0, reader.Read(JPG_READ_HEADER_MEMORY));
    EXPECT_EQ(0, reader.Read(JPG_READ_IMAGE_MEMORY));
}

} // namespace
