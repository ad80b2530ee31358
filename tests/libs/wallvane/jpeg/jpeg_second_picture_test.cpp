// A stream that goes on with a second picture, before or instead of the
// first one's end marker, read through files and memory in every mode: the
// read refuses the second picture, writes nothing of it, and never reports
// a size other than the header read's.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>

#include "jpeg_decoder.h"
#include "jpeg_encode_helpers.h"
#include "jpeg_second_picture.h"

namespace {

const size_t Guard = 256;

// One way of reading a stream on one record, as the caller would.
struct Sequence {
    const char *name;
    int headerMode; // -1: none; else the file form (0 or 4)
    int dataMode; // -1: none; else the file form
    int region; // 0 none, 1 inside, 2 from the middle to the far corner
    bool stopEveryMcu;
    int fourRowBuffers;
};

const Sequence Sequences[] = {
    {"header, image", 0, 2, 0, false, 0},
    {"header, half", 0, 14, 0, false, 0},
    {"header, quarter", 0, 16, 0, false, 0},
    {"header, eighth", 0, 18, 0, false, 0},
    {"image alone", -1, 2, 0, false, 0},
    {"tables, data", 4, 6, 0, false, 0},
    {"header, smoothed image", 0, 2, 0, false, 1},
    {"header, image stopped after every MCU", 0, 2, 0, true, 0},
    {"header, region inside", 0, 2, 1, false, 0},
    {"header, region to the far corner", 0, 2, 2, false, 0},
    {"header only", 0, -1, 0, false, 0},
};

struct Outcome {
    int result = 0;
    int reportedWidth = 0, reportedHeight = 0;
    Bytes dib;
};

// The file forms of the modes are even; memory takes the odd one above.
Outcome RunSequence(const Sequence &s, const Bytes &jpeg, const std::string *path, int width, int height)
{
    Outcome out;
    int memory = path ? 0 : 1;
    JPEG_IMAGE_PROPS r;
    JpgLibInit(&r);
    Bytes bytes = jpeg;
    r.jpgFileName = path ? path->c_str() : nullptr;
    r.jpgBytes = bytes.data();
    r.jpgSizeBytes = (int)bytes.size();
    if (s.headerMode >= 0)
        out.result = JpgLibRead(&r, s.headerMode + memory);
    if (out.result == 0 && s.dataMode >= 0) {
        if (s.headerMode == 0) {
            width = r.jpgWidth;
            height = r.jpgHeight;
        }
        int scale = ReadScale(s.dataMode);
        int w = (width + scale - 1) / scale, h = (height + scale - 1) / scale;
        JPEG_PROPERTIES &p = r.props;
        if (s.region) {
            p.roiLeft = s.region == 1 ? w / 4 : w / 2;
            p.roiTop = s.region == 1 ? h / 5 : h / 2;
            p.roiRight = s.region == 1 ? w * 3 / 4 : w;
            p.roiBottom = s.region == 1 ? h / 2 : h;
            w = p.roiRight - p.roiLeft;
            h = p.roiBottom - p.roiTop;
        }
        out.dib.assign((size_t)w * h * 3 + Guard, Untouched);
        r.dibPixels = out.dib.data();
        r.dibWidth = w;
        r.dibHeight = h;
        r.dibChannels = 3;
        r.dibColour = JPG_COLOUR_BGR;
        r.jpgColour = r.jpgChannels == 1 ? JPG_COLOUR_GRAY : JPG_COLOUR_YCBCR;
        p.fourRowBuffers = s.fourRowBuffers;
        for (int calls = 0; calls < 100000; calls++) {
            p.stopRequest = s.stopEveryMcu ? 1 : 0;
            out.result = JpgLibRead(&r, s.dataMode + memory);
            if (out.result != JPG_INTERRUPT_SUCCESS)
                break;
        }
    }
    out.reportedWidth = r.jpgWidth;
    out.reportedHeight = r.jpgHeight;
    JpgLibFree(&r);
    return out;
}

struct TempFile {
    std::string path;
    explicit TempFile(const Bytes &bytes) : path(TempPath("second.jpg")) { WriteWholeFile(path, bytes); }
    ~TempFile() { remove(path.c_str()); }
};

TEST(JpegSecondPicture, EveryReadRefusesTheSecondPictureAndWritesNothingOfIt)
{
    std::vector<SecondPictureFile> family = SecondPictureFamily();
    ASSERT_EQ(30u, family.size());
    for (const SecondPictureFile &f : family) {
        TempFile file(f.jpeg);
        // What the first picture alone gives, closed where the second begins.
        Bytes alone = Concat({f.first, {0xFF, JPG_EOI}});
        for (const Sequence &s : Sequences) {
            SCOPED_TRACE(f.name + ": " + s.name);
            Outcome expected = RunSequence(s, alone, nullptr, f.width, f.height);
            for (bool fromFile : {false, true}) {
                SCOPED_TRACE(fromFile ? "file" : "memory");
                Outcome got = RunSequence(s, f.jpeg, fromFile ? &file.path : nullptr, f.width, f.height);
                if (s.dataMode < 0)
                    EXPECT_EQ(0, got.result);
                else if (s.region && expected.result == JPG_ROI_SUCCESS)
                    EXPECT_TRUE(got.result == JPG_ROI_SUCCESS || got.result == JPG_ERR_MULTIPLE_FRAMES) << got.result;
                else
                    EXPECT_EQ(JPG_ERR_MULTIPLE_FRAMES, got.result);
                if (s.headerMode == 0) {
                    EXPECT_EQ(f.width, got.reportedWidth);
                    EXPECT_EQ(f.height, got.reportedHeight);
                }
                ASSERT_EQ(expected.dib.size(), got.dib.size());
                EXPECT_TRUE(expected.dib == got.dib) << "a pixel differs from the first picture's own";
            }
        }
    }
}

// A frame header of any kind, supported or not, after the first picture's
// scan: the data read refuses it as a second frame.
TEST(JpegSecondPicture, FramesOfEveryKindAfterTheFirstAreRefused)
{
    Pixels pixels = MakePixels(40, 24, 3, 7);
    Bytes first;
    ASSERT_EQ(0, EncodeToMemory(LayOut(pixels, JPG_COLOUR_BGR, 3, 0, false), EncodeSettings(), &first));
    first.resize(first.size() - 2);
    Bytes frame = MarkerSegment(JPG_SOF0, {8, 0, 200, 1, 44, 1, 1, 0x11, 0});
    for (int marker = JPG_SOF0; marker <= JPG_SOF15; marker++) {
        if (marker == JPG_DHT || marker == JPG_DAC)
            continue;
        frame[1] = (uint8_t)marker;
        Bytes jpeg = Concat({first, frame, {0xFF, JPG_EOI}});
        TempFile file(jpeg);
        for (bool fromFile : {false, true}) {
            SCOPED_TRACE(testing::Message() << std::hex << marker << (fromFile ? " file" : " memory"));
            Outcome got = RunSequence(Sequences[0], jpeg, fromFile ? &file.path : nullptr, 40, 24);
            EXPECT_EQ(JPG_ERR_MULTIPLE_FRAMES, got.result);
            EXPECT_EQ(40, got.reportedWidth);
        }
    }
}

// A header read that meets the end marker before any scan stops there; a
// data read of the file goes on from there, and must not take a picture
// appended after that end for the first one's scans.
TEST(JpegSecondPicture, PictureEndingBeforeItsScanGoesOnWithNothing)
{
    Bytes first, second;
    EncodeSettings settings;
    ASSERT_EQ(0, EncodeToMemory(LayOut(MakePixels(40, 24, 3, 3), JPG_COLOUR_BGR, 3, 0, false), settings, &first));
    ASSERT_EQ(0, EncodeToMemory(LayOut(MakePixels(40, 24, 3, 4), JPG_COLOUR_BGR, 3, 0, false), settings, &second));
    size_t sos = 0;
    while (sos + 1 < first.size() && !(first[sos] == 0xFF && first[sos + 1] == JPG_SOS))
        sos++;
    size_t secondSos = 0;
    while (secondSos + 1 < second.size() && !(second[secondSos] == 0xFF && second[secondSos + 1] == JPG_SOS))
        secondSos++;
    // The second picture's tables and scan, without its start and frame.
    Bytes jpeg = Concat({Bytes(first.begin(), first.begin() + sos), {0xFF, JPG_EOI},
                         Bytes(second.begin() + secondSos, second.end())});
    TempFile file(jpeg);
    for (bool fromFile : {false, true}) {
        SCOPED_TRACE(fromFile ? "file" : "memory");
        Outcome got = RunSequence(Sequences[0], jpeg, fromFile ? &file.path : nullptr, 40, 24);
        EXPECT_EQ(JPG_ERR_EOF, got.result) << "the picture ended without a scan";
        EXPECT_TRUE(std::all_of(got.dib.begin(), got.dib.end(), [](uint8_t b) { return b == Untouched; }));
    }
}

// A data read that finds another frame where the header read found its own
// (the caller's bytes changed in between) refuses it too.
TEST(JpegSecondPicture, DataReadOfAnotherPictureThanTheHeaderReadIsRefused)
{
    Bytes small, large;
    EncodeSettings settings;
    ASSERT_EQ(0, EncodeToMemory(LayOut(MakePixels(16, 16, 3, 1), JPG_COLOUR_BGR, 3, 0, false), settings, &small));
    ASSERT_EQ(0, EncodeToMemory(LayOut(MakePixels(64, 48, 3, 2), JPG_COLOUR_BGR, 3, 0, false), settings, &large));
    JPEG_IMAGE_PROPS r;
    ASSERT_EQ(0, JpgLibInit(&r));
    r.jpgBytes = small.data();
    r.jpgSizeBytes = (int)small.size();
    ASSERT_EQ(0, JpgLibRead(&r, JPG_READ_HEADER_MEMORY));
    Bytes dib(16 * 16 * 3 + Guard, Untouched);
    r.dibPixels = dib.data();
    r.dibWidth = r.dibHeight = 16;
    r.jpgBytes = large.data();
    r.jpgSizeBytes = (int)large.size();
    EXPECT_EQ(JPG_ERR_MULTIPLE_FRAMES, JpgLibRead(&r, JPG_READ_IMAGE_MEMORY));
    EXPECT_EQ(16, r.jpgWidth);
    EXPECT_TRUE(std::all_of(dib.begin(), dib.end(), [](uint8_t b) { return b == Untouched; }));
    r.jpgBytes = small.data();
    r.jpgSizeBytes = (int)small.size();
    EXPECT_EQ(0, JpgLibRead(&r, JPG_READ_IMAGE_MEMORY)) << "the picture of the header read still decodes";
    JpgLibFree(&r);
}

// A file cut anywhere reads as the same bytes in memory do, through every
// sequence; cut inside its scan data it is cut short ("Error EOF").
TEST(JpegTruncation, FileAndMemoryGiveTheSameResultWhereverTheStreamEnds)
{
    const struct {
        const char *name;
        int channels;
        EncodeSettings settings;
    } pictures[] = {
        {"baseline", 3, EncodeSettings()},
        {"progressive", 3, [] { EncodeSettings s; s.progressive = true; return s; }()},
        {"gray with restarts", 1, [] { EncodeSettings s; s.jpgChannels = 1; s.jpgColour = JPG_COLOUR_GRAY; s.subsampling = 0; s.restartInterval = 3; return s; }()},
    };
    for (const auto &picture : pictures) {
        Bytes whole;
        Pixels pixels = MakePixels(53, 37, picture.channels, 5);
        ASSERT_EQ(0, EncodeToMemory(LayOut(pixels, picture.channels == 1 ? JPG_COLOUR_GRAY : JPG_COLOUR_BGR,
                                           picture.channels, 0, false),
                                    picture.settings, &whole));
        size_t dataStart, dataEnd;
        LargestScanData(whole, &dataStart, &dataEnd);
        for (size_t cut = 1; cut < whole.size(); cut += 5 + cut % 11) {
            Bytes jpeg(whole.begin(), whole.begin() + cut);
            TempFile file(jpeg);
            for (const Sequence &s : {Sequences[0], Sequences[4], Sequences[9]}) {
                SCOPED_TRACE(testing::Message() << picture.name << " cut at " << cut << ": " << s.name);
                Outcome memory = RunSequence(s, jpeg, nullptr, 53, 37);
                Outcome fromFile = RunSequence(s, jpeg, &file.path, 53, 37);
                EXPECT_EQ(memory.result, fromFile.result);
                // Cut inside a marker the data is damaged; where a restart
                // marker should come, the end is a bad one.
                bool restarts = picture.settings.restartInterval != 0;
                int cutShort = jpeg.back() == 0xFF ? JPG_ERR_DATA : JPG_ERR_EOF;
                if (cut > dataStart + 2 && cut < dataEnd - 2 && !s.region)
                    EXPECT_TRUE(fromFile.result == cutShort || (restarts && fromFile.result == JPG_ERR_BAD_RST))
                        << fromFile.result;
            }
        }
    }
}

} // namespace
