// Pictures in notes from outside: what passes becomes an enhanced metafile
// drawing the same thing, and a picture any of whose records or headers does
// not fit is dropped.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editing/exchange/emf_check.h"
#include "editing/exchange/picture_filter.h"
#include "picture_samples.h"

namespace {

using Bytes = PictureBytes;

PictureInfo Info(int form)
{
    PictureInfo info = {};
    info.form = form;
    return info;
}

int Filter(const PictureInfo &info, const Bytes &data, PictureOut *out = nullptr)
{
    PictureOut local;
    return FilterPicture(info, data.data(), data.size(), out ? out : &local);
}

// The records of an enhanced metafile, as type and offset.
std::vector<std::pair<uint32_t, size_t>> Records(const Bytes &emf)
{
    std::vector<std::pair<uint32_t, size_t>> records;
    for (size_t at = 0; at + 8 <= emf.size() && At32(emf, at + 4) >= 8; at += At32(emf, at + 4))
        records.push_back({At32(emf, at), at});
    return records;
}

std::vector<uint32_t> Types(const Bytes &emf)
{
    std::vector<uint32_t> types;
    for (auto &r : Records(emf))
        types.push_back(r.first);
    return types;
}

} // namespace

TEST(PictureFilter, BitmapsBecomeMetafilesThatDrawTheirOwnBits)
{
    struct Case {
        const char *what;
        PictureInfo info;
        Bytes data;
        Bytes bits; // the rows the metafile must draw
        int32_t goal;
    };
    PictureInfo device = Info(PICTURE_DDB);
    device.picw = 3;
    device.pich = 2;
    device.bitsPixel = 1;
    device.planes = 1;
    device.widthBytes = 2;
    const Bytes small = QuadrantDib();
    const Bytes mono = {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
    Case cases[] = {
        {"24 bits", Info(PICTURE_DIB), small, Bytes(small.begin() + 40, small.end()), 30},
        {"1 bit with its table", Info(PICTURE_DIB), Dib(3, 1, 1, mono, {0xA0, 0, 0, 0}), {0xA0, 0, 0, 0}, 45},
        // A device bitmap's rows are words, from the top; the metafile's are
        // double words.
        {"device bitmap", device, {0xA0, 0x55, 0x40, 0x77}, {0xA0, 0x55, 0, 0, 0x40, 0x77, 0, 0}, 45},
    };
    for (const Case &c : cases) {
        PictureOut out;
        ASSERT_EQ(Filter(c.info, c.data, &out), 0) << c.what;
        const Bytes &emf = out.emf;
        std::vector<uint32_t> types = Types(emf);
        ASSERT_GE(types.size(), 3u) << c.what;
        EXPECT_EQ(types.front(), 1u) << c.what;
        EXPECT_EQ(types.back(), 14u) << c.what;
        EXPECT_EQ(At32(emf, 40), 0x464D4520u) << c.what;
        EXPECT_EQ(At32(emf, 48), emf.size()) << c.what;
        EXPECT_EQ(At32(emf, 52), types.size()) << c.what;
        size_t stretch = 0;
        for (auto &r : Records(emf))
            if (r.first == 81)
                stretch = r.second;
        ASSERT_NE(stretch, 0u) << c.what;
        size_t bitsAt = stretch + At32(emf, stretch + 56);
        ASSERT_EQ(At32(emf, stretch + 60), c.bits.size()) << c.what;
        EXPECT_EQ(Bytes(emf.begin() + (long)bitsAt, emf.begin() + (long)(bitsAt + c.bits.size())), c.bits)
            << c.what;
        // Shown at 96 pixels to the inch when nothing else is said.
        EXPECT_EQ(out.picwgoal, c.goal) << c.what;
        // What we write passes as an enhanced metafile from outside, unchanged.
        PictureOut again;
        ASSERT_EQ(Filter(Info(PICTURE_EMF), emf, &again), 0) << c.what;
        EXPECT_EQ(again.emf, emf) << c.what;
    }
    // The shown size is the text's, scaled.
    PictureInfo scaled = Info(PICTURE_DIB);
    scaled.picwgoal = 1440;
    scaled.pichgoal = 720;
    scaled.picscalex = 50;
    PictureOut out;
    ASSERT_EQ(Filter(scaled, QuadrantDib(), &out), 0);
    EXPECT_EQ(out.picwgoal, 720);
    EXPECT_EQ(out.pichgoal, 720);
    EXPECT_EQ(out.picw, 1270);
}

TEST(PictureFilter, BitmapsWhoseHeadersOrBitsDoNotFitAreDropped)
{
    Bytes rows(16, 0);
    Bytes cut = QuadrantDib();
    cut.pop_back();
    Bytes giant = Dib(30000, 30000, 1, {0, 0, 0, 0, 255, 255, 255, 0}, Bytes(1000, 0));
    Bytes planes = QuadrantDib();
    planes[12] = 2;
    const Bytes small = QuadrantDib();
    Bytes headerSize = QuadrantDib();
    headerSize[0] = 64;
    const struct {
        const char *what;
        Bytes data;
    } cases[] = {
        {"bits one byte short", cut},
        {"a header cut short", Bytes(small.begin(), small.begin() + 30)},
        {"30000 x 30000 in a kilobyte", giant},
        {"no width", Dib(0, 2, 24, {}, rows)},
        {"more colours than 8 bits index", Dib(2, 2, 8, Bytes(300 * 4, 0), rows, 0, 300)},
        {"a colour table past the end", Dib(2, 2, 8, Bytes(16, 0), {}, 0, 200)},
        {"run lengths", Dib(2, 2, 8, Bytes(1024, 0), rows, 1)},
        {"masks no writer uses", Dib(2, 2, 16, {1, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0}, rows, 3)},
        {"7 bits a pixel", Dib(2, 2, 7, {}, rows)},
        {"two planes", planes},
        {"a header of no known size", headerSize},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Filter(Info(PICTURE_DIB), c.data), -1) << c.what;
    PictureInfo device = Info(PICTURE_DDB);
    device.picw = 100;
    device.pich = 100;
    device.bitsPixel = 1;
    device.planes = 1;
    EXPECT_EQ(Filter(device, Bytes(100, 0)), -1) << "device rows past the data";
    device.bitsPixel = 8;
    EXPECT_EQ(Filter(device, Bytes(20000, 0)), -1) << "a device's own palette";
    EXPECT_EQ(Filter(Info(PICTURE_PNG), Bytes(100, 0)), -1);
    Bytes huge = Dib(1024, 1024, 8, Bytes(1024, 0), Bytes(1024 * 1024, 0));
    EXPECT_EQ(Filter(Info(PICTURE_DIB), huge), -1) << "past the bytes a note may hold";
}

TEST(PictureFilter, MetafilesAreTranslatedRecordByRecord)
{
    Wmf wmf;
    wmf.Record(0x020C, {200, 400})                     // window extent: y, x
        .Record(0x02FA, {0, 1, 0, 0x00FF, 0})          // pen: solid, 1 wide, red
        .Record(0x02FC, {0, 0xFF00, 0, 0})             // brush: solid green
        .Record(0x012D, {0})
        .Record(0x012D, {1})
        .Record(0x0324, {3, 0, 0, 100, 0, 50, 80})     // a triangle
        .Record(0x0538, {2, 3, 3, 0, 0, 9, 0, 9, 9, 20, 20, 29, 20, 29, 29})
        .Record(0x041B, {150, 390, 110, 300})          // rectangle: bottom, right, top, left
        .Record(0x01F0, {0})
        .Record(0x02FA, {0, 3, 0, 0, 0});              // a new pen takes the freed entry
    std::vector<int> font = {-16, 0, 0, 0, 700, 0, 0, 0, 0};
    for (int w : Chars("Arial"))
        font.push_back(w);
    wmf.Record(0x02FB, font).Record(0x012D, {0});
    std::vector<int> text = {5};
    for (int w : Chars("Hello"))
        text.push_back(w);
    text.push_back(40); // y, x
    text.push_back(10);
    wmf.Record(0x0521, text);
    Bytes stretch;
    for (int w : {0x0020, 0x00CC, 0, 2, 2, 0, 0, 50, 50, 100, 300})
        Put16(&stretch, (uint32_t)w);
    Bytes dib = QuadrantDib();
    stretch.insert(stretch.end(), dib.begin(), dib.end());
    wmf.RecordBytes(0x0F43, stretch);
    PictureInfo info = Info(PICTURE_WMF);
    info.mapMode = 8;
    info.picw = 2540;
    info.pich = 1270;
    PictureOut out;
    ASSERT_EQ(Filter(info, wmf.End(), &out), 0);
    EXPECT_EQ(out.picwgoal, 1440);
    EXPECT_EQ(out.pichgoal, 720);
    std::vector<uint32_t> expected = {1,  17, 9,  11, 9,  38, 39, 37, 37, 86, 91,
                                      43, 40, 38, 82, 37, 83, 81, 14};
    ASSERT_EQ(Types(out.emf), expected);
    auto records = Records(out.emf);
    // Places come out x before y; points and counts as drawn.
    size_t extent = records[4].second;
    EXPECT_EQ(At32(out.emf, extent + 8), 400u);
    EXPECT_EQ(At32(out.emf, extent + 12), 200u);
    size_t polygon = records[9].second;
    EXPECT_EQ(At32(out.emf, polygon + 24), 3u);
    EXPECT_EQ(At32(out.emf, polygon + 32), 100u); // second point: 100, 0
    size_t polys = records[10].second;
    EXPECT_EQ(At32(out.emf, polys + 28), 6u);
    EXPECT_EQ(At32(out.emf, polys + 44), 9u); // second point: 9, 0
    EXPECT_EQ(At32(out.emf, polys + 48), 9u | 9u << 16);
    size_t rect = records[11].second;
    EXPECT_EQ(At32(out.emf, rect + 8), 300u);
    EXPECT_EQ(At32(out.emf, rect + 20), 150u);
    // The pen after the deleted one reuses its number; the font takes the next.
    EXPECT_EQ(At32(out.emf, records[12].second + 8), 1u);
    EXPECT_EQ(At32(out.emf, records[13].second + 8), 1u);
    EXPECT_EQ(At32(out.emf, records[14].second + 8), 3u);
    size_t face = records[14].second + 12 + 28;
    EXPECT_EQ(At32(out.emf, face), 'A' | 'r' << 16);
    size_t hello = records[16].second;
    EXPECT_EQ(At32(out.emf, hello + 44), 5u);
    EXPECT_EQ(std::string((const char *)&out.emf[hello + At32(out.emf, hello + 48)], 5), "Hello");
    EXPECT_EQ(At32(out.emf, hello + 36), 10u);
    EXPECT_EQ(At32(out.emf, hello + 40), 40u);
    EXPECT_EQ(CheckEnhancedMetafile(out.emf.data(), out.emf.size(), nullptr, nullptr), 0);
}

TEST(PictureFilter, RecordsThatDoNotFitDropThePicture)
{
    Bytes tooLong = Wmf().Record(0x0324, {2, 0, 0, 5, 5}).End();
    tooLong[18] = 0xFF; // the record's size in words
    Bytes shortRecord = Wmf().Record(0x0324, {2, 0, 0, 5, 5}).End();
    shortRecord[18] = 2;
    std::vector<int> text = {200};
    for (int w : Chars("Hi"))
        text.push_back(w);
    Bytes stretch;
    for (int w : {0x0020, 0x00CC, 0, 2, 2, 0, 0, 50, 50, 0, 0})
        Put16(&stretch, (uint32_t)w);
    Bytes cutDib = QuadrantDib();
    cutDib.resize(cutDib.size() - 4);
    stretch.insert(stretch.end(), cutDib.begin(), cutDib.end());
    const Bytes empty = Wmf().End();
    const struct {
        const char *what;
        Bytes data;
    } metafiles[] = {
        // The drawing library walks the points the counts promise.
        {"a polypolygon claiming 16 x 32767 points", LyingPolyPolygonWmf()},
        {"polygon points past the record", Wmf().Record(0x0324, {30000, 0, 0, 5, 5}).End()},
        {"a record past the end", tooLong},
        {"a record shorter than its head", shortRecord},
        {"text past the record", Wmf().Record(0x0521, text).End()},
        {"an object never made selected", Wmf().Record(0x012D, {3}).End()},
        {"more objects than the table holds",
         Wmf(1).Record(0x02FC, {0, 0, 0, 0}).Record(0x02FC, {0, 0, 0, 0}).End()},
        {"an escape", Wmf().Record(0x0626, {15, 4, 0, 0}).End()},
        {"a bitmap cut short", Wmf().RecordBytes(0x0F43, stretch).End()},
        {"a header of another kind", Bytes(empty.begin() + 2, empty.end())},
        // Glyphs are drawn whole: one unit of the logical space is the
        // whole picture, so the font would be thousands of pictures high.
        {"a font the mapping makes huge",
         Wmf().Record(0x020C, {1, 1}).Record(0x02FB, {-4000, 0, 0, 0, 400, 0, 0, 0, 0})
             .Record(0x012D, {0}).Record(0x0521, {1, 'x', 0, 0}).End()},
    };
    for (const auto &c : metafiles)
        EXPECT_EQ(Filter(Info(PICTURE_WMF), c.data), -1) << c.what;

    Bytes text16 = EmfText(2, 76, 80);
    ASSERT_EQ(Filter(Info(PICTURE_EMF), Emf({text16})), 0);
    // A note the control wrote itself: its palette and clipping records
    // pass, the comment that holds the metafile is left out.
    PictureOut converted;
    ASSERT_EQ(Filter(Info(PICTURE_EMF), ControlConvertedEmf(), &converted), 0);
    EXPECT_EQ(Types(converted.emf), (std::vector<uint32_t>{1, 17, 11, 9, 10, 9, 20, 37, 37, 48, 75, 14}));
    Bytes bytesPastSize = Emf({text16});
    bytesPastSize[48] += 4;
    Bytes unaligned = Emf({EmfRecord(18, {1})});
    unaligned[88 + 4] = 10;
    Bytes stretchAtEnd = EmfRecord(81, std::vector<uint32_t>(18, 0));
    stretchAtEnd[48] = 80;
    stretchAtEnd[52] = 40;
    const Bytes endless = Emf({});
    const struct {
        const char *what;
        Bytes data;
    } enhanced[] = {
        {"text behind the record", Emf({EmfText(2, 200, 80)})},
        {"more characters than the record holds", Emf({EmfText(9, 76, 80)})},
        {"spacings behind the record", Emf({EmfText(2, 76, 84)})},
        {"a size past the data", bytesPastSize},
        {"a record of no whole double words", unaligned},
        {"an object past the handle table", Emf({EmfRecord(37, {4})})},
        {"a polypolygon whose counts are not its points",
         Emf({EmfRecord(91, {0, 0, 9, 9, 2, 4, 2, 3, 0, 0, 0, 0, 0})})},
        {"a polyline of 16 x 32767 points in a few bytes", Emf({EmfRecord(90, {0, 0, 9, 9, 1, 524272, 524272})})},
        {"a bitmap outside its record", Emf({stretchAtEnd})},
        {"no end", Bytes(endless.begin(), endless.end() - 20)},
        {"a palette record", Emf({EmfRecord(49, {1, 0})})},
        {"a palette the picture never made selected", Emf({EmfRecord(48, {1})})},
        {"a clipping region whose rectangles are not there", Emf({EmfRecord(75, {48, 5})})},
    };
    for (const auto &c : enhanced)
        EXPECT_EQ(Filter(Info(PICTURE_EMF), c.data), -1) << c.what;
}
