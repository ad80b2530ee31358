// The block decoders with a 64-bit accumulator against the generic one:
// the same coefficients from the same entropy-coded data, read from memory
// and from a file, and their own rule at the end of the data.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <vector>

#include "jpeg_dispatch.h"
#include "jpeg_encode_helpers.h"
#include "jpeg_encoder.h"
#include "jpeg_forced_cpu.h"
#include "jpeg_slot_calls.h"
#include "jpeg_test_files.h"
#include "jpeg_simd.h"

namespace {

typedef RandomHuffmanTables Coder;

Bytes Encode(const Coder &c, const std::vector<std::vector<int16_t>> &blocks)
{
    Bytes bytes(blocks.size() * 200 + 64);
    JpgBitOutput out;
    memset(&out, 0, sizeof out);
    JpgOutputInit(&out, bytes.data(), (int)bytes.size());
    int16_t predictor = 0;
    for (const std::vector<int16_t> &b : blocks)
        EXPECT_EQ(0, JpgEncodeBlock(&out, &c.dcEncode, &c.acEncode, &predictor, b.data()));
    EXPECT_EQ(0, JpgWriteBytes(nullptr, 0, &out));
    bytes.resize(out.writePointer - bytes.data());
    return bytes;
}

// Tables and blocks from a seed, and the blocks coded with the tables.
struct Coded {
    Coder c;
    std::vector<std::vector<int16_t>> blocks;
    Bytes stream;
    Coded(unsigned seed, int count)
    {
        std::mt19937 random(seed);
        EXPECT_TRUE(MakeRandomHuffmanTables(random, &c));
        blocks = BaselineCoefficientBlocks(random, count);
        stream = Encode(c, blocks);
    }
};

// The input of a scan over the bytes, from memory or from a file.
struct Input {
    Bytes bytes;
    std::string path;
    JpgBitInput input = {};
    Input(const Bytes &data, bool fromFile) : bytes(data)
    {
        if (fromFile) {
            path = TempPath("simd_decode.bin");
            EXPECT_TRUE(WriteWholeFile(path, bytes));
            input.file = JpgFileOpen(path.c_str(), false);
            EXPECT_NE(nullptr, input.file);
        } else {
            input.start = bytes.data();
            input.size = (int)bytes.size();
        }
        JpgResetInput(&input);
    }
    ~Input()
    {
        if (input.file)
            JpgFileClose(input.file);
        if (!path.empty())
            remove(path.c_str());
    }
};

struct Named {
    const char *name;
    JpgDecodeBlockRoutine decode;
};

// Decodes the first count blocks with the form and holds each to the block
// that was coded.
void DecodeBlocks(const Named &form, JpgBitInput *input, const Coder &c,
                  const std::vector<std::vector<int16_t>> &blocks, size_t count)
{
    int16_t predictor = 0, block[64];
    for (size_t n = 0; n < count; n++) {
        ASSERT_EQ(0, form.decode(input, &c.dc, &c.ac, &predictor, block)) << form.name;
        ASSERT_EQ(0, memcmp(blocks[n].data(), block, sizeof block)) << form.name << ", block " << n;
    }
}

const Named Packed[] = {{"family 5", JpgDecodeBlockMmxFamily5}, {"family 6 on", JpgDecodeBlockMmx}};

TEST(JpegSimdDecoder, PackedDecodersGiveTheGenericCoefficientsFromMemoryAndFile)
{
    Coded coded(341, 300);
    const Coder &c = coded.c;
    ASSERT_GT(coded.stream.size(), 2u * JPG_FILE_BUFFER_SIZE);
    for (const Named &form : Packed)
        for (bool fromFile : {false, true}) {
            Input generic(coded.stream, false), packed(coded.stream, fromFile);
            int16_t gp = 0, pp = 0;
            for (size_t n = 0; n < coded.blocks.size(); n++) {
                int16_t expected[64], got[64];
                ASSERT_EQ(0, JpgDecodeBlock(&generic.input, &c.dc, &c.ac, &gp, expected));
                ASSERT_EQ(0, form.decode(&packed.input, &c.dc, &c.ac, &pp, got));
                ASSERT_EQ(0, memcmp(expected, coded.blocks[n].data(), sizeof expected)) << "generic, block " << n;
                ASSERT_EQ(0, memcmp(expected, got, sizeof got)) << form.name << (fromFile ? " from a file" : "")
                                                                << ", block " << n;
            }
            EXPECT_FALSE(packed.input.exhausted);
            EXPECT_EQ(coded.stream.size(), packed.input.consumed) << form.name;
            JpgClearMmxState();
        }
}

// Short codes for end of block and runs of 16 zeros, so that both come
// through the decoders' one-step look-up, around the end of the block.
TEST(JpegSimdDecoder, ShortEndOfBlockAndZeroRunCodesPlaceTheNextCoefficients)
{
    struct Case {
        const char *name;
        std::vector<std::pair<int, int>> coefficients; // zigzag position, value
    };
    const Case cases[] = {
        {"DC alone", {{0, 5}}},
        {"one run of 16", {{0, -3}, {17, 1}}},
        {"runs up to the last place", {{63, -1}}},
        {"two runs and 15 more zeros", {{1, 2}, {48, -2}}},
        {"first and last", {{1, 1}, {63, 3}}},
        {"end of block after a run", {{0, 1}, {33, -1}}},
        {"run of exactly 16 ending the block", {{47, 1}, {63, -3}}},
        {"run reaching past the last place then end", {{2, 1}, {50, 1}}},
    };
    uint32_t dcCounts[257] = {}, acCounts[257] = {};
    for (int s = 0; s < 12; s++)
        dcCounts[s] = 100;
    acCounts[0x00] = 5000;
    acCounts[0xF0] = 4000;
    for (int run = 0; run < 16; run++)
        for (int size = 1; size <= 2; size++)
            acCounts[run << 4 | size] = run == 0 ? 2000 : 50;
    Coder c;
    ASSERT_TRUE(HuffmanTablesFromCounts(dcCounts, acCounts, &c));
    std::vector<std::vector<int16_t>> blocks;
    for (const Case &k : cases) {
        std::vector<int16_t> b(64, 0);
        for (const std::pair<int, int> &p : k.coefficients)
            b[JpgNaturalOrder[p.first]] = (int16_t)p.second;
        blocks.push_back(b);
    }
    Bytes stream = Encode(c, blocks);
    const Named decoders[] = {{"generic", JpgDecodeBlock}, Packed[0], Packed[1]};
    for (const Named &d : decoders) {
        Input plain(stream, false);
        int16_t pp = 0;
        for (size_t n = 0; n < blocks.size(); n++) {
            int16_t got[64];
            ASSERT_EQ(0, d.decode(&plain.input, &c.dc, &c.ac, &pp, got));
            for (int i = 0; i < 64; i++)
                ASSERT_EQ(blocks[n][i], got[i]) << d.name << ", " << cases[n].name << " at " << i;
        }
        EXPECT_EQ(stream.size(), plain.input.consumed) << d.name;
        JpgClearMmxState();
    }
}

TEST(JpegSimdDecoder, DcOnlyDecoderKeepsTheDcAndPassesTheBlock)
{
    Coded coded(57, 200);
    const Coder &c = coded.c;
    Input input(coded.stream, false);
    int16_t predictor = 0;
    for (size_t n = 0; n < coded.blocks.size(); n++) {
        int16_t dc = 0x7777;
        ASSERT_EQ(0, JpgDecodeBlockDcOnlyMmx(&input.input, &c.dc, &c.ac, &predictor, &dc));
        ASSERT_EQ(coded.blocks[n][0], dc) << "block " << n;
    }
    EXPECT_EQ(coded.stream.size(), input.input.consumed);
}

// Through the whole read: quantisers of 255 and values whose short codes
// come through the one-step look-up make products beyond 16 bits, so the
// scan must keep the saturating decoder. The packed types, whichever
// dequantises, give the same bytes.
TEST(JpegSimdDecoder, LargeQuantisersKeepTheSaturatingDecoderInAScan)
{
    uint32_t dcCounts[257] = {}, acCounts[257] = {};
    dcCounts[0] = 10;
    dcCounts[1] = 1;
    acCounts[0x08] = 1000;
    acCounts[0x00] = 1000;
    acCounts[0x01] = 1;
    Coder c;
    uint8_t dcBits[16], dcValues[256], acBits[16], acValues[256];
    int dcCount = JpgGenOptimalTable(dcCounts, dcBits, dcValues), acCount = JpgGenOptimalTable(acCounts, acBits, acValues);
    ASSERT_GT(dcCount, 0);
    ASSERT_GT(acCount, 0);
    ASSERT_EQ(0, JpgBuildEncodeTable(dcBits, dcValues, &c.dcEncode));
    ASSERT_EQ(0, JpgBuildEncodeTable(acBits, acValues, &c.acEncode));
    std::vector<std::vector<int16_t>> blocks(2, std::vector<int16_t>(64, 0));
    blocks[0][JpgNaturalOrder[1]] = 200;
    blocks[0][JpgNaturalOrder[2]] = -200;
    blocks[1][JpgNaturalOrder[1]] = -255;
    CraftedJpeg crafted = CraftGray(16, 8);
    Bytes dqt{0x00};
    dqt.resize(65, 255);
    crafted.dqt = MarkerSegment(JPG_DQT, dqt);
    Bytes dht{0x00};
    dht.insert(dht.end(), dcBits, dcBits + 16);
    dht.insert(dht.end(), dcValues, dcValues + dcCount);
    dht.push_back(0x10);
    dht.insert(dht.end(), acBits, acBits + 16);
    dht.insert(dht.end(), acValues, acValues + acCount);
    crafted.dht = MarkerSegment(JPG_DHT, dht);
    crafted.data = Encode(c, blocks);
    Bytes jpeg = crafted.Join();
    BitmapRead read;
    std::vector<uint8_t> expected, got;
    JpgForceCpuTypeForTests(6);
    ASSERT_EQ(0, ReadBitmap(jpeg, read, &expected));
    for (int type : {3, 4, 5}) {
        JpgForceCpuTypeForTests(type);
        ASSERT_EQ(0, ReadBitmap(jpeg, read, &got)) << "type " << type;
        EXPECT_EQ(expected, got) << "type " << type;
    }
    ApplyForcedCpuTypeFromEnvironment();
}

// The data end in the middle of a block: no error from the decoder, the
// missing bits read as zero, and the input is marked exhausted so that the
// scan reports the cut.
TEST(JpegSimdDecoder, EndOfTheDataIsNoErrorButExhaustsTheInput)
{
    Coded coded(12, 8);
    const Coder &c = coded.c;
    Bytes cut(coded.stream.begin(), coded.stream.begin() + coded.stream.size() / 2);
    for (const Named &form : Packed)
        for (bool fromFile : {false, true}) {
            Input input(cut, fromFile);
            int16_t predictor = 0, block[64];
            for (size_t n = 0; n < coded.blocks.size(); n++)
                ASSERT_EQ(0, form.decode(&input.input, &c.dc, &c.ac, &predictor, block)) << form.name;
            EXPECT_TRUE(input.input.exhausted) << form.name << (fromFile ? " from a file" : "");
            EXPECT_EQ(cut.size(), input.input.consumed);
            Input dcOnly(cut, fromFile);
            predictor = 0;
            for (size_t n = 0; n < coded.blocks.size(); n++)
                ASSERT_EQ(0, JpgDecodeBlockDcOnlyMmx(&dcOnly.input, &c.dc, &c.ac, &predictor, block));
            EXPECT_TRUE(dcOnly.input.exhausted);
        }
}

// Data that end on an 0xFF end inside a marker: damaged, from memory as
// from a file, as the generic decoder has it.
TEST(JpegSimdDecoder, DataEndingInsideAMarkerAreDamaged)
{
    Coded coded(31, 6);
    const Coder &c = coded.c;
    Bytes cut(coded.stream.begin(), coded.stream.begin() + coded.stream.size() / 2);
    cut.push_back(0xFF);
    for (bool fromFile : {false, true}) {
        Input generic(cut, fromFile);
        int result = 0;
        int16_t predictor = 0, block[64];
        for (size_t n = 0; n < coded.blocks.size() && result == 0; n++)
            result = JpgDecodeBlock(&generic.input, &c.dc, &c.ac, &predictor, block);
        EXPECT_EQ(JPG_ERR_DATA, result) << "the generic decoder";
        for (const Named &form : Packed) {
            Input input(cut, fromFile);
            result = 0;
            predictor = 0;
            for (size_t n = 0; n < coded.blocks.size() && result == 0; n++)
                result = form.decode(&input.input, &c.dc, &c.ac, &predictor, block);
            EXPECT_EQ(JPG_ERR_DATA, result) << form.name << (fromFile ? " from a file" : "");
            Input dcOnly(cut, fromFile);
            result = 0;
            predictor = 0;
            for (size_t n = 0; n < coded.blocks.size() && result == 0; n++)
                result = JpgDecodeBlockDcOnlyMmx(&dcOnly.input, &c.dc, &c.ac, &predictor, block);
            EXPECT_EQ(JPG_ERR_DATA, result) << "DC only";
        }
    }
}

// A file of exactly one buffer, cut inside a block: the blocks before the
// cut decode whole, the refill after the buffer brings no bytes, and the
// block cut short decodes without an error.
TEST(JpegSimdDecoder, FileEndingAtABufferBoundaryDecodesWithoutError)
{
    Coded coded(4096, 120);
    const Coder &c = coded.c;
    ASSERT_GT(coded.stream.size(), (size_t)JPG_FILE_BUFFER_SIZE);
    Bytes whole(coded.stream.begin(), coded.stream.begin() + JPG_FILE_BUFFER_SIZE);
    Input reference(whole, false);
    int16_t predictor = 0, block[64];
    size_t complete = 0;
    while (complete < coded.blocks.size()) {
        ASSERT_EQ(0, JpgDecodeBlock(&reference.input, &c.dc, &c.ac, &predictor, block));
        if (reference.input.exhausted)
            break;
        complete++;
    }
    ASSERT_GT(complete, 10u);
    for (const Named &form : Packed) {
        Input input(whole, true);
        DecodeBlocks(form, &input.input, c, coded.blocks, complete);
        EXPECT_FALSE(input.input.exhausted) << form.name;
        int16_t last[64];
        EXPECT_EQ(0, form.decode(&input.input, &c.dc, &c.ac, &predictor, last)) << "a block cut by the end";
        EXPECT_TRUE(input.input.exhausted);
        EXPECT_EQ(JPG_ERR_EOF, JpgRefillInputMmx(&input.input)) << "the file has no more bytes";
        EXPECT_EQ(0, input.input.available);
    }
}

// A marker stops the loading and waits for the scan decoder; the bits up
// to it are decoded, and nothing reads as an error.
TEST(JpegSimdDecoder, MarkerStopsTheLoadingAndStaysPending)
{
    Coded coded(208, 3);
    const Coder &c = coded.c;
    Bytes stream = coded.stream;
    size_t data = stream.size();
    stream.insert(stream.end(), {0xFF, 0xFF, 0xD3, 0x12, 0x34});
    for (const Named &form : Packed) {
        Input input(stream, false);
        DecodeBlocks(form, &input.input, c, coded.blocks, coded.blocks.size());
        EXPECT_EQ(0xD3, input.input.pendingMarker) << form.name;
        EXPECT_EQ(data + 3, input.input.consumed) << "the fill byte and the marker are taken";
        // Past the marker the generic decoder's rule holds: the last
        // bits before it and no symbol from the zeros in its place.
        Input generic(stream, false);
        DecodeBlocks(Named{"generic", JpgDecodeBlock}, &generic.input, c, coded.blocks, coded.blocks.size());
        int16_t predictor = 7, expectedPredictor = 7;
        for (int n = 0; n < 3; n++) {
            int16_t block[64], expected[64];
            memset(block, 0x55, sizeof block);
            EXPECT_EQ(JpgDecodeBlock(&generic.input, &c.dc, &c.ac, &expectedPredictor, expected),
                      form.decode(&input.input, &c.dc, &c.ac, &predictor, block))
                << form.name << ", past the marker";
            EXPECT_EQ(0, memcmp(expected, block, sizeof block)) << form.name << ", block " << n;
            EXPECT_EQ(expectedPredictor, predictor);
            EXPECT_EQ(generic.input.bitsHeld, input.input.bitsHeld);
        }
        EXPECT_FALSE(input.input.exhausted) << "a marker is not the end of the data";
        EXPECT_EQ(data + 3, input.input.consumed);
    }
}

// Through the whole read: a picture whose data are cut short reads as cut
// short on every processor type, never as a success.
TEST(JpegSimdDecoder, EveryProcessorTypeReportsCutData)
{
    CraftedJpeg crafted = CraftColour(64, 48, 2, 2);
    Bytes whole = crafted.Join();
    BitmapRead read;
    std::vector<uint8_t> dib;
    ASSERT_EQ(0, ReadBitmap(whole, read, &dib));
    crafted.data.resize(crafted.data.size() / 3);
    crafted.eoi.clear();
    Bytes jpeg = crafted.Join();
    int expected = 0;
    for (int type = 0; type <= 6; type++) {
        JpgForceCpuTypeForTests(type);
        int result = ReadBitmap(jpeg, read, &dib);
        if (type == 0)
            expected = result;
        EXPECT_EQ(expected, result) << "type " << type;
    }
    EXPECT_EQ(JPG_ERR_EOF, expected);
    ApplyForcedCpuTypeFromEnvironment();
}

// The restart interval of the DRI segment, rewritten.
void SetRestartInterval(Bytes *jpeg, int interval)
{
    for (size_t i = 0; i + 5 < jpeg->size(); i++)
        if ((*jpeg)[i] == 0xFF && (*jpeg)[i + 1] == JPG_DRI) {
            (*jpeg)[i + 4] = (uint8_t)(interval >> 8);
            (*jpeg)[i + 5] = (uint8_t)interval;
            return;
        }
    ADD_FAILURE() << "no DRI segment";
}

// A read of the bytes from memory, or from a file of them.
int ReadOnType(int type, const Bytes &jpeg, bool fromFile, BitmapRead read, std::vector<uint8_t> *dib)
{
    JpgForceCpuTypeForTests(type);
    if (!fromFile)
        return ReadBitmap(jpeg, read, dib);
    std::string path = TempPath("cut.jpg");
    EXPECT_TRUE(WriteWholeFile(path, jpeg));
    JPEG_IMAGE_PROPS record;
    JpgLibInit(&record);
    record.jpgFileName = path.c_str();
    read.mode = JPG_READ_IMAGE_FILE;
    int result = JpgLibRead(&record, JPG_READ_HEADER_FILE);
    if (result == 0)
        result = ReadInto(&record, &read, dib);
    JpgLibFree(&record);
    remove(path.c_str());
    return result;
}

// Data that end early, at a marker, at the end of memory or of a file, and
// restart markers at other places than the header's interval says: every
// processor type decodes what the data hold and nothing past them, so the
// blocks the data do not reach come out flat on every type. Types 3 to 6
// write the same bytes, and the generic types the same to the rounding
// their transforms differ by; bits decoded past a marker made stripes.
TEST(JpegSimdDecoder, DataEndingEarlyReadsAlikeOnEveryType)
{
    struct Picture {
        const char *name;
        int channels, subsampling;
        bool progressive;
        int restarts, restartsSaid; // coded every restarts MCUs, the header saying restartsSaid
    };
    const Picture pictures[] = {
        {"4:2:0", 3, 1, false, 0, 0},     {"4:4:4", 3, 0, false, 0, 0},       {"gray", 1, 0, false, 0, 0},
        {"progressive", 3, 1, true, 0, 0}, {"restarts said 5, every 2", 3, 1, false, 2, 5},
        {"restarts said 3, every 7", 1, 0, false, 7, 3}};
    for (const Picture &p : pictures) {
        Pixels pixels = MakePixels(100, 72, p.channels, 5);
        Bitmap bitmap = LayOut(pixels, p.channels == 1 ? JPG_COLOUR_GRAY : JPG_COLOUR_RGB, p.channels, 0, false);
        EncodeSettings settings;
        settings.jpgChannels = p.channels;
        settings.jpgColour = p.channels == 1 ? JPG_COLOUR_GRAY : JPG_COLOUR_YCBCR;
        settings.subsampling = p.subsampling;
        settings.progressive = p.progressive;
        settings.restartInterval = p.restarts;
        Bytes whole;
        ASSERT_EQ(0, EncodeToMemory(bitmap, settings, &whole)) << p.name;
        if (p.restarts)
            SetRestartInterval(&whole, p.restartsSaid);
        size_t cut = whole.size() * 2 / 5;
        if (whole[cut - 1] == 0xFF)
            cut--;
        Bytes shorter(whole.begin(), whole.begin() + cut), marked = shorter;
        marked.insert(marked.end(), {0xFF, 0xD9});
        struct Case {
            const char *name;
            const Bytes &jpeg;
            bool fromFile;
        };
        std::vector<Case> cases = {{"ending at a marker", marked, false},
                                   {"ending with memory", shorter, false},
                                   {"ending with the file", shorter, true}};
        if (p.restarts)
            cases.push_back({"whole", whole, false});
        for (const Case &c : cases) {
            std::string what = std::string(p.name) + ", " + c.name;
            BitmapRead read;
            read.channels = p.channels;
            std::vector<uint8_t> generic, packed, dib;
            int expected = ReadOnType(0, c.jpeg, c.fromFile, read, &generic);
            for (int type = 1; type <= 6; type++) {
                EXPECT_EQ(expected, ReadOnType(type, c.jpeg, c.fromFile, read, &dib)) << what << ", type " << type;
                ASSERT_EQ(generic.size(), dib.size());
                int worst = 0;
                for (size_t i = 0; i < dib.size(); i++)
                    worst = std::max(worst, abs(dib[i] - generic[i]));
                EXPECT_LE(worst, type < 3 ? 0 : 6) << what << ", type " << type;
                if (type == 3) {
                    packed = dib;
                } else if (type > 3) {
                    EXPECT_TRUE(dib == packed) << what << ", type " << type;
                }
            }
        }
    }
    ApplyForcedCpuTypeFromEnvironment();
}

// A frame far larger than its data, cut by the end of the picture: once the
// marker stops the decoding, the MCUs left are not decoded block by block
// but come out flat, and their rows not MCU by MCU but as copies of the
// first such row, so the read costs what its data and its bitmap cost.
// A region read far down and right steps past the MCUs above it and left
// of it without passing over them one by one with the DC-only decoder.
// The data code flat blocks too: the whole bitmap is one colour.
TEST(JpegSimdDecoder, HugeFrameOverLittleDataDecodesOnlyItsData)
{
    CraftedJpeg crafted = CraftColour(512, 256, 2, 2);
    const int width = 65500, height = 2048;
    crafted.sof[5] = (uint8_t)(height >> 8);
    crafted.sof[6] = (uint8_t)height;
    crafted.sof[7] = (uint8_t)(width >> 8);
    crafted.sof[8] = (uint8_t)width;
    Bytes jpeg = crafted.Join();
    ASSERT_LT(jpeg.size(), 2500u);
    const long long dataBlocks = 512 * 256 / 256 * 6;
    const int bitmapWidth = 1024, mcusAcrossBitmap = bitmapWidth / 16;
    std::vector<uint8_t> first, firstWhole, dib;
    for (int type = 0; type <= 6; type++) {
        SlotCalls calls;
        CountSlotCalls(&calls);
        BitmapRead read;
        read.mode = JPG_READ_EIGHTH_MEMORY;
        read.width = read.height = 64; // the picture's corner
        EXPECT_EQ(0, ReadOnType(type, jpeg, false, read, type ? &dib : &first)) << "type " << type;
        long long decoded = calls.calls[SlotNumber(offsetof(JpgDispatch, huff_decode_block))];
        EXPECT_GE(decoded, dataBlocks) << "type " << type;
        EXPECT_LE(decoded, dataBlocks + 6) << "type " << type;
        if (type) {
            EXPECT_TRUE(dib == first) << "type " << type;
        }
        // At full size, into a bitmap as tall as the frame: the data fill
        // the first MCU row, then one flat row goes through the kernel.
        calls = SlotCalls();
        read.mode = JPG_READ_IMAGE_MEMORY;
        read.width = bitmapWidth;
        read.height = height;
        EXPECT_EQ(0, ReadOnType(type, jpeg, false, read, &dib)) << "type " << type;
        StopCountingSlotCalls();
        long long kernelCalls = calls.calls[SlotNumber(offsetof(JpgDispatch, dec_cc_ycc_bgr_h2v2))];
        EXPECT_GE(kernelCalls, 2 * mcusAcrossBitmap) << "type " << type;
        EXPECT_LE(kernelCalls, 3 * mcusAcrossBitmap) << "type " << type;
        size_t odd = 0;
        for (size_t i = 3; i < dib.size(); i++)
            odd += dib[i] != dib[i % 3];
        EXPECT_EQ(0u, odd) << "type " << type;
        if (!type)
            firstWhole = dib;
        EXPECT_TRUE(dib == firstWhole) << "type " << type;
        // A region low and right in the frame, at eighth scale.
        calls = SlotCalls();
        CountSlotCalls(&calls);
        BitmapRead region;
        region.mode = JPG_READ_EIGHTH_MEMORY;
        region.left = 6000, region.top = 200, region.right = 6040, region.bottom = 240;
        region.width = region.height = 40;
        EXPECT_EQ(JPG_ROI_SUCCESS, ReadOnType(type, jpeg, false, region, &dib)) << "type " << type;
        StopCountingSlotCalls();
        long long passedOver = calls.calls[SlotNumber(offsetof(JpgDispatch, huff_decode_dc_skip_ac))];
        EXPECT_GE(passedOver, dataBlocks) << "type " << type;
        EXPECT_LE(passedOver, dataBlocks + 12) << "type " << type;
        size_t wrong = 0;
        for (size_t i = 0; i < dib.size(); i++)
            wrong += dib[i] != first[i % 3];
        EXPECT_EQ(0u, wrong) << "type " << type;
    }
    ApplyForcedCpuTypeFromEnvironment();
}

} // namespace
