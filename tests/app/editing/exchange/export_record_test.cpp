#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "editing/exchange/export_record.h"

namespace {

void Put(std::vector<uint8_t> &b, size_t at, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = (uint8_t)((uint32_t)v >> (8 * i));
}

int32_t Get(const uint8_t *b, size_t at)
{
    return (int32_t)((uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 |
                     (uint32_t)b[at + 3] << 24);
}

std::vector<uint8_t> Header(const char *text)
{
    std::vector<uint8_t> h(text, text + 17);
    h.push_back(0x1A);
    return h;
}

std::vector<uint8_t> Bytes17(const char *text)
{
    return std::vector<uint8_t>(text, text + 17);
}

std::vector<uint8_t> WithHeader(const char *text, const std::vector<uint8_t> &record)
{
    std::vector<uint8_t> out = Header(text);
    out.insert(out.end(), record.begin(), record.end());
    return out;
}

// A V1.5 record: rectangle with height, colours, one font face, a title and an alarm day.
std::vector<uint8_t> RecordV15(int32_t day, int32_t blinkColour)
{
    std::vector<uint8_t> r(ZETTLY_RECORD_V15_BYTES, 0);
    Put(r, 0, 100);               // left
    Put(r, 4, 200);               // top
    Put(r, 8, 300);               // right
    Put(r, 12, 80);               // height
    Put(r, 16, 0x00112233);       // textColour
    Put(r, 20, 0x00445566);       // backColour
    Put(r, 28, 1);                // rolledUp
    Put(r, 44, 1);                // topMost
    Put(r, 56, 1);                // thinBorder
    Put(r, 68, 1);                // wordWrap
    Put(r, 76, 0x1234);           // editWindow: a handle of another run
    Put(r, 80, -13);              // editFont.lfHeight
    std::memcpy(&r[80 + 28], "Courier", 8);
    Put(r, 144, -9);              // titleFont.lfHeight
    std::memset(&r[204], 'T', 51); // the longest title the layout holds
    Put(r, 256, 2024);            // alarmYear
    Put(r, 260, 5);               // alarmMonth
    Put(r, 264, day);
    Put(r, 268, 7);               // alarmHour
    Put(r, 272, 30);              // alarmMinute
    Put(r, 276, 1);               // alarmPm
    Put(r, 280, 3);               // alarmRepeats
    Put(r, 288, 1);               // alarmActive
    Put(r, 292, blinkColour);
    return r;
}

ZettlyRecord Read(const std::vector<uint8_t> &data, size_t *textStart = nullptr)
{
    ZettlyRecord r;
    size_t start = 0;
    EXPECT_EQ(ReadExportRecord(data.data(), data.size(), &r, &start), EXPORT_READ_OK);
    if (textStart)
        *textStart = start;
    return r;
}

} // namespace

TEST(ExportHeader, OnlyAnExactMatchOfAll18BytesIsAHeader)
{
    struct Case {
        std::vector<uint8_t> bytes;
        int version;
    } cases[] = {
        {Header("ZettlyExport V1.5"), EXPORT_V15},
        {Header("ZettlyExport V1.6"), EXPORT_V16},
        {Header("ZettlyExport V1.7"), EXPORT_V17},
        {Header("ZettlyExport V1.8"), EXPORT_V18},
        {Header("ZettlyExport V1.9"), EXPORT_NO_HEADER},
        {Header("zettlyexport v1.8"), EXPORT_NO_HEADER},
        {Header("ZettlyExport V1.4"), EXPORT_NO_HEADER},
        {Bytes17("ZettlyExport V1.8"), EXPORT_NO_HEADER},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IdentifyExportHeader(c.bytes.data(), c.bytes.size()), c.version);

    std::vector<uint8_t> noEndByte = Header("ZettlyExport V1.8");
    noEndByte[17] = 0;
    EXPECT_EQ(IdentifyExportHeader(noEndByte.data(), 18), EXPORT_NO_HEADER);
    EXPECT_EQ(IdentifyExportHeader(nullptr, 18), EXPORT_NO_HEADER);

    uint8_t written[ZETTLY_EXPORT_HEADER_BYTES];
    WriteExportHeader(written);
    EXPECT_EQ(IdentifyExportHeader(written, sizeof written), EXPORT_V18);
    EXPECT_EQ(std::memcmp(written, "ZettlyExport V1.8\x1A", 18), 0);
}

TEST(ExportUpgrade, V15KeepsGeometryFontsTitleAndAlarm)
{
    ZettlyRecord r = Read(WithHeader("ZettlyExport V1.5", RecordV15(3, 0x000000FF)));
    EXPECT_EQ(r.windowRect.left, 100);
    EXPECT_EQ(r.windowRect.top, 200);
    EXPECT_EQ(r.windowRect.right, 300);
    EXPECT_EQ(r.windowRect.bottom, 280) << "the old layout stored a height";
    EXPECT_EQ(r.unrolledRect.bottom, 280);
    EXPECT_EQ(r.restoreRect.left, 100);
    EXPECT_EQ(r.unrolledRectValid, 0);
    EXPECT_EQ(r.textColour, 0x00112233u);
    EXPECT_EQ(r.backColour, 0x00445566u);
    EXPECT_EQ(r.rolledUp, 1);
    EXPECT_EQ(r.topMost, 1);
    EXPECT_EQ(r.thinBorder, 1);
    EXPECT_EQ(r.wordWrap, 1);
    EXPECT_EQ(r.editWindow, nullptr);
    EXPECT_EQ(r.editFont.lfHeight, -13);
    EXPECT_STREQ(r.editFont.lfFaceName, "Courier");
    EXPECT_EQ(r.titleFont.lfHeight, -9);
    EXPECT_EQ(std::string(r.title), std::string(51, 'T'));
    EXPECT_EQ(r.alarmYear, 2024);
    EXPECT_EQ(r.alarmMonth, 5);
    EXPECT_EQ(r.alarmDays, 4) << "day 3 is bit 2";
    EXPECT_EQ(r.alarmRepeating, 0);
    EXPECT_EQ(r.alarmWeekdays, 0);
    EXPECT_EQ(r.alarmHour, 7);
    EXPECT_EQ(r.alarmMinute, 30);
    EXPECT_EQ(r.alarmPm, 1);
    EXPECT_EQ(r.alarmRepeats, 3);
    EXPECT_EQ(r.alarmActive, 1);
    EXPECT_EQ(r.blinkColour, 0x000000FFu);
    EXPECT_NE(r.blinkOn, 0);
}

TEST(ExportUpgrade, V15DayBecomesAMask)
{
    struct Case {
        int32_t day, mask, repeating;
    } cases[] = {
        {-1, -1, 1}, {1, 1, 0}, {3, 4, 0}, {31, 1 << 30, 0}, {32, (int32_t)0x80000000, 0},
        {33, 1, 0},  {0, (int32_t)0x80000000, 0}, {-5, 1 << 26, 0},
    };
    for (const Case &c : cases) {
        ZettlyRecord r = Read(WithHeader("ZettlyExport V1.5", RecordV15(c.day, 0)));
        EXPECT_EQ(r.alarmDays, c.mask) << "day " << c.day;
        EXPECT_EQ(r.alarmRepeating, c.repeating) << "day " << c.day;
    }
}

TEST(ExportUpgrade, EveryUpgradeLeavesConsoleOffFullAlphaAndBlinkFromColour)
{
    std::vector<uint8_t> v16(ZETTLY_RECORD_V16_BYTES, 0);
    Put(v16, 104 - 4, 1);   // calculatorMode kept
    Put(v16, 308, 0x55);    // alarmDays
    Put(v16, 336, 1);       // alarmWeekdays
    Put(v16, 344, 0x00ABCDEF); // blink colour
    Put(v16, 348, 0);       // the copy the V1.5 upgrade made: not the switch
    Put(v16, 352, 1);       // blinking
    std::memcpy(&v16[248], "Groceries", 10);
    std::vector<uint8_t> v17(ZETTLY_RECORD_V17_BYTES, 0);
    Put(v17, 104, 1);       // consoleMode on in the source
    Put(v17, 556, 0);       // blink colour black
    Put(v17, 560, 1);       // the source's own switch is not carried
    Put(v17, 576, 0x4444);  // console process handle
    std::memcpy(&v17[252], "Seven", 6);

    ZettlyRecord a = Read(WithHeader("ZettlyExport V1.6", v16));
    EXPECT_EQ(a.calculatorMode, 1);
    EXPECT_EQ(a.consoleMode, 0);
    EXPECT_EQ(a.alarmDays, 0x55);
    EXPECT_EQ(a.alarmWeekdays, 1);
    EXPECT_EQ(a.blinkColour, 0x00ABCDEFu);
    EXPECT_NE(a.blinkOn, 0);
    EXPECT_EQ(a.blinking, 0) << "runtime flag of the sender";
    EXPECT_EQ(a.alphaValue, 255);
    EXPECT_EQ(a.ownAlpha, 0);
    EXPECT_STREQ(a.title, "Groceries");

    ZettlyRecord b = Read(WithHeader("ZettlyExport V1.7", v17));
    EXPECT_EQ(b.consoleMode, 0);
    EXPECT_EQ(b.blinkOn, 0);
    EXPECT_EQ(b.consoleProcess.hProcess, nullptr);
    EXPECT_EQ(b.ownAlpha, 0);
    EXPECT_EQ(b.alphaValue, 255);
    EXPECT_STREQ(b.title, "Seven");

    ZettlyRecord c = Read(WithHeader("ZettlyExport V1.5", RecordV15(1, 0)));
    EXPECT_EQ(c.blinkOn, 0);
    EXPECT_EQ(c.alphaValue, 255);
}

TEST(ExportUpgrade, V18IsTakenAsReadButSanitisedAsForeign)
{
    ZettlyRecord r;
    FillDefaultRecord(&r, 1280, 1024);
    r.isMember = 1;
    r.groupSlot = 4;
    r.window = (HWND__ *)0x1000;
    r.consoleMode = 1;
    r.alphaValue = 90;
    std::strcpy(r.title, "Current");
    std::vector<uint8_t> record(ZETTLY_RECORD_BYTES);
    PackZettlyRecord(&r, record.data());
    std::vector<uint8_t> file = WithHeader("ZettlyExport V1.8", record);
    file.insert(file.end(), {'{', '\\', 'r', 't', 'f'});
    size_t textStart = 0;
    ZettlyRecord back = Read(file, &textStart);
    EXPECT_EQ(textStart, 18u + 744u);
    EXPECT_EQ(back.consoleMode, 0) << "a note from elsewhere never starts a console here";
    EXPECT_EQ(back.alphaValue, 90);
    EXPECT_STREQ(back.title, "Current");
    EXPECT_EQ(back.isMember, 0);
    EXPECT_EQ(back.window, nullptr);
}

TEST(ExportUpgrade, V17PokedGivesTheSameNoteAsItsUpgradeAsV18)
{
    std::vector<uint8_t> v17(ZETTLY_RECORD_V17_BYTES, 0);
    for (size_t i = 0; i < v17.size(); ++i)
        v17[i] = (uint8_t)(i * 7 + 1);
    std::vector<uint8_t> v18(ZETTLY_RECORD_BYTES);
    UpgradeRecordV17ToV18(v18.data(), v17.data());
    ZettlyRecord a = Read(WithHeader("ZettlyExport V1.7", v17));
    ZettlyRecord b = Read(WithHeader("ZettlyExport V1.8", v18));
    uint8_t pa[ZETTLY_RECORD_BYTES], pb[ZETTLY_RECORD_BYTES];
    PackZettlyRecord(&a, pa);
    PackZettlyRecord(&b, pb);
    EXPECT_EQ(std::memcmp(pa, pb, sizeof pa), 0);
    EXPECT_EQ(Get(v18.data(), 104), 0);
    EXPECT_EQ(v18[612], 255);
    EXPECT_EQ(v18[511], 0) << "the title is ended inside its field";
}

TEST(ExportUpgrade, NullPointersDoNothing)
{
    std::vector<uint8_t> dst(ZETTLY_RECORD_BYTES, 0xCC);
    UpgradeRecordV15ToV16(dst.data(), nullptr);
    UpgradeRecordV16ToV17(dst.data(), nullptr);
    UpgradeRecordV17ToV18(dst.data(), nullptr);
    UpgradeRecordV15ToV16(nullptr, dst.data());
    EXPECT_EQ(dst[0], 0xCC);
    EXPECT_EQ(UpgradeRecordToCurrent(7, dst.data(), dst.data()), -1);
}

TEST(ExportRead, RecordCutShortIsRefusedAtEveryLength)
{
    struct Version {
        const char *header;
        size_t bytes;
    } versions[] = {{"ZettlyExport V1.5", 304}, {"ZettlyExport V1.6", 364},
                    {"ZettlyExport V1.7", 608}, {"ZettlyExport V1.8", 744}};
    for (const Version &v : versions) {
        std::vector<uint8_t> full = WithHeader(v.header, std::vector<uint8_t>(v.bytes, 0));
        for (size_t cut = 18; cut < full.size(); cut += 37) {
            // A copy of exactly the bytes present, so a read beyond them is caught.
            std::vector<uint8_t> part(full.begin(), full.begin() + cut);
            ZettlyRecord r;
            size_t start = 0;
            EXPECT_EQ(ReadExportRecord(part.data(), part.size(), &r, &start),
                      EXPORT_READ_TRUNCATED)
                << v.header << " cut at " << cut;
        }
        ZettlyRecord r;
        EXPECT_EQ(ReadExportRecord(full.data(), full.size(), &r, nullptr), EXPORT_READ_OK);
    }
}
