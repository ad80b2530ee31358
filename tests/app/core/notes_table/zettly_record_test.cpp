#include <gtest/gtest.h>

#include <cstring>

#include "core/notes_table/zettly_record.h"

namespace {

int32_t StoredInt(const uint8_t *bytes, int offset)
{
    return (int32_t)((uint32_t)bytes[offset] | (uint32_t)bytes[offset + 1] << 8 |
                     (uint32_t)bytes[offset + 2] << 16 | (uint32_t)bytes[offset + 3] << 24);
}

ZettlyRecord DefaultRecord()
{
    ZettlyRecord r;
    FillDefaultRecord(&r, 1280, 1024);
    return r;
}

void ClearTable()
{
    std::memset(ZettlyTable, 0, sizeof ZettlyTable);
}

HWND__ *FakeWindow(uintptr_t n)
{
    return (HWND__ *)n;
}

} // namespace

TEST(ZettlyRecordLayout, EachFieldIsStoredAtItsOffset)
{
    ZettlyRecord r = DefaultRecord();
    r.windowRect = {11, 12, 13, 14};
    r.unrolledRect = {21, 22, 23, 24};
    r.restoreRect = {31, 32, 33, 34};
    r.backColour = 0x00123456;
    r.showCommand = 7;
    r.wordWrap = 1;
    r.editFont.lfHeight = -17;
    std::strcpy(r.title, "Shopping");
    r.alarmMinute = 42;
    r.alarmPending = 1;
    r.ownAlpha = 1;
    r.alphaValue = 201;
    r.groupSlot = 77;
    r.checkListWidth = 0xBEEF;
    r.checkListHeight = 0x1234;
    r.checkListDocked = 1;
    uint8_t bytes[ZETTLY_RECORD_BYTES];
    PackZettlyRecord(&r, bytes);

    struct Expect {
        int offset;
        int32_t value;
    } expected[] = {
        {0, 11},       {12, 14},         {16, 21},  {36, 31},  {48, 34}, {60, 0x00123456},
        {80, 7},       {116, 1},         {128, -17}, {512, -2}, {528, 42}, {536, 1},
        {556, 0xFF},   {560, 1},         {572, 1},  {608, 1},  {640, 77},
    };
    for (const Expect &e : expected)
        EXPECT_EQ(StoredInt(bytes, e.offset), e.value) << "offset " << e.offset;
    EXPECT_STREQ((const char *)bytes + 252, "Shopping");
    EXPECT_STREQ((const char *)bytes + 128 + 28, "MS Sans Serif");
    EXPECT_STREQ((const char *)bytes + 192 + 28, "MS Sans Serif");
    EXPECT_EQ(bytes[612], 201);
    EXPECT_EQ(bytes[648] | bytes[649] << 8, 0xBEEF);
    EXPECT_EQ(bytes[650] | bytes[651] << 8, 0x1234);
    EXPECT_EQ(bytes[652], 1);
}

TEST(ZettlyRecordLayout, PackedRecordUnpacksToTheSameRecord)
{
    ZettlyRecord r = DefaultRecord();
    std::strcpy(r.title, "Round trip");
    r.alarmDays = 0x55;
    r.isMember = 1;
    r.groupSlot = 3;
    r.window = FakeWindow(0x1234);
    uint8_t first[ZETTLY_RECORD_BYTES], second[ZETTLY_RECORD_BYTES];
    PackZettlyRecord(&r, first);
    ZettlyRecord back;
    UnpackZettlyRecord(first, &back);
    PackZettlyRecord(&back, second);
    EXPECT_EQ(0, std::memcmp(first, second, sizeof first));
    EXPECT_STREQ(back.title, "Round trip");
    EXPECT_EQ(back.window, FakeWindow(0x1234)); // as stored; the sanitiser clears it
}

TEST(ZettlyRecordDefaults, DefaultRecordIsAYellowNoteInTheMiddleOfTheScreen)
{
    ZettlyRecord r = DefaultRecord();
    EXPECT_EQ(r.windowRect.left, 540);
    EXPECT_EQ(r.windowRect.top, 487);
    EXPECT_EQ(r.windowRect.right, 740);
    EXPECT_EQ(r.windowRect.bottom, 537);
    EXPECT_EQ(r.backColour, 0x0000FFFFu);
    EXPECT_EQ(r.blinkColour, 0x000000FFu);
    EXPECT_EQ(r.alarmYear, -2);
    EXPECT_EQ(r.alarmRepeats, 1);
    EXPECT_EQ(r.alphaValue, 137);
    EXPECT_EQ(r.showCommand, 1);
    EXPECT_EQ(r.editFont.lfPitchAndFamily, 0x22);
    EXPECT_EQ(r.titleFont.lfQuality, 1);
    EXPECT_EQ(r.titleFont.lfHeight, -10);
}

TEST(ZettlyRecordSanitise, ClearsEverythingThatBelongedToAnotherRun)
{
    ZettlyRecord r = DefaultRecord();
    r.window = FakeWindow(0x10);
    r.editWindow = FakeWindow(0x20);
    r.titleEdit = FakeWindow(0x30);
    r.pendingText = (char *)0x40;
    r.consoleReadPipe = (void *)0x50;
    r.consoleProcess.dwProcessId = 99;
    r.consoleRunning = 1;
    r.blinking = 1;
    r.soundPlaying = 1;
    r.alarmPending = 1;
    r.checkListWindow = FakeWindow(0x5678);
    SanitiseZettlyRecord(&r, ZETTLY_SANITISE_KEEP_GROUP);
    EXPECT_EQ(r.window, nullptr);
    EXPECT_EQ(r.editWindow, nullptr);
    EXPECT_EQ(r.titleEdit, nullptr);
    EXPECT_EQ(r.pendingText, nullptr);
    EXPECT_EQ(r.consoleReadPipe, nullptr);
    EXPECT_EQ(r.consoleProcess.dwProcessId, 0u);
    EXPECT_EQ(r.consoleRunning + r.blinking + r.soundPlaying, 0);
    EXPECT_EQ(r.alarmPending, 1) << "a reminder open at the save is shown again after loading";
    // "has a check list" survives, the stale handle does not
    EXPECT_EQ(r.checkListWindow, FakeWindow(1));

    r.alarmPending = 0x55;
    SanitiseZettlyRecord(&r, ZETTLY_SANITISE_KEEP_GROUP);
    EXPECT_EQ(r.alarmPending, 1);
    SanitiseZettlyRecord(&r, ZETTLY_SANITISE_FOREIGN);
    EXPECT_EQ(r.alarmPending, 0) << "another copy's reminder is not ours";
}

TEST(ZettlyRecordSanitise, TerminatesStringsAndClampsHostileValues)
{
    uint8_t bytes[ZETTLY_RECORD_BYTES];
    std::memset(bytes, 0x7F, sizeof bytes);
    ZettlyRecord r;
    UnpackZettlyRecord(bytes, &r);
    r.alphaValue = 3;
    r.windowRect = {100, 100, -5000000, 90};
    SanitiseZettlyRecord(&r, ZETTLY_SANITISE_KEEP_GROUP);
    EXPECT_LT(std::strlen(r.title), (size_t)ZETTLY_TITLE_BYTES);
    EXPECT_LT(std::strlen(r.editFont.lfFaceName), sizeof r.editFont.lfFaceName);
    EXPECT_LT(std::strlen(r.titleFont.lfFaceName), sizeof r.titleFont.lfFaceName);
    EXPECT_EQ(r.alphaValue, 20);
    EXPECT_GE(r.windowRect.right, r.windowRect.left);
    EXPECT_GE(r.windowRect.bottom, r.windowRect.top);
    EXPECT_LE(r.unrolledRect.right, 32767);
    EXPECT_EQ(r.isMember, 0) << "group slot 0x7F7F7F7F is out of range";
    EXPECT_EQ(r.alarmActive, 0) << "alarm fields out of range";
    EXPECT_EQ(r.textColour >> 24, 0u);
    // 0x7F7F7F7F pixels high: GDI would build glyphs of gigabytes for the title.
    for (const ZettlyLogFont *font : {&r.titleFont, &r.editFont}) {
        EXPECT_LE(font->lfHeight, 2730);
        EXPECT_LE(font->lfWidth, 2730);
        EXPECT_LE(font->lfWeight, 1000);
        EXPECT_LE(font->lfEscapement, 3600);
        EXPECT_LE(font->lfItalic, 1);
    }
    r.titleFont.lfHeight = -65536;
    SanitiseZettlyRecord(&r, ZETTLY_SANITISE_KEEP_GROUP);
    EXPECT_EQ(r.titleFont.lfHeight, -2730);
}

// The control writes the face name into the note's saved text unescaped.
TEST(ZettlyRecordSanitise, FaceNamesThatWouldBreakTheSavedTextGetTheDefault)
{
    static const struct {
        const char *face, *kept;
    } Cases[] = {
        {"\x01\x02\x01\"MS Sans Serif", "MS Sans Serif"},
        {"Arial}}{\\b", "MS Sans Serif"},
        {"Ari;al", "MS Sans Serif"},
        {"Tahoma\x7f", "MS Sans Serif"},
        {"Courier New", "Courier New"},
        {"caf\xe9 Sans", "caf\xe9 Sans"},
        // Double-byte names keep their trail bytes, a backslash among them.
        {"\x83\x5c\x83\x7b", "\x83\x5c\x83\x7b"},
    };
    for (const auto &c : Cases) {
        ZettlyRecord r;
        FillDefaultRecord(&r, 1024, 768);
        std::strcpy(r.editFont.lfFaceName, c.face);
        std::strcpy(r.titleFont.lfFaceName, c.face);
        SanitiseZettlyRecord(&r, ZETTLY_SANITISE_FOREIGN);
        EXPECT_STREQ(r.editFont.lfFaceName, c.kept) << c.face;
        SanitiseZettlyRecord(&r, ZETTLY_SANITISE_KEEP_GROUP);
        EXPECT_STREQ(r.titleFont.lfFaceName, c.kept) << c.face;
    }
}

TEST(ZettlyRecordSanitise, GroupLinksSurviveTheNotesFileButNotAForeignRecord)
{
    ZettlyRecord r = DefaultRecord();
    r.isMember = 1;
    r.groupSlot = 12;
    ZettlyRecord own = r, foreign = r;
    SanitiseZettlyRecord(&own, ZETTLY_SANITISE_KEEP_GROUP);
    SanitiseZettlyRecord(&foreign, ZETTLY_SANITISE_FOREIGN);
    EXPECT_EQ(own.isMember, 1);
    EXPECT_EQ(own.groupSlot, 12);
    EXPECT_EQ(foreign.isMember, 0);
    EXPECT_EQ(foreign.isGroup, 0);
}

TEST(ZettlyRecordSanitise, ForeignNoteArrivesVisibleWithoutAConsoleAndWithAPrintableTitle)
{
    ZettlyRecord r = DefaultRecord();
    r.consoleMode = 1;
    r.showCommand = 0;
    // 0x9B is the one-byte form of ESC [ to a terminal; 0x80 and 0xFF are
    // controls too in code pages other than the sender's.
    std::strcpy(r.title, "Bell\a\x1b[2Jand \x7f caf\xe9 \x9b"
                         "31m\x80\xff!");
    ZettlyRecord own = r, foreign = r;
    SanitiseZettlyRecord(&own, ZETTLY_SANITISE_KEEP_GROUP);
    SanitiseZettlyRecord(&foreign, ZETTLY_SANITISE_FOREIGN);
    EXPECT_EQ(own.consoleMode, 1) << "the user's own notes keep their console";
    EXPECT_EQ(own.showCommand, 0) << "and stay hidden when hidden";
    EXPECT_EQ(foreign.consoleMode, 0);
    EXPECT_EQ(foreign.showCommand, 1);
    EXPECT_STREQ(foreign.title, "Bell  [2Jand   caf\xe9  31m  !");
}

TEST(ZettlyRecordSanitise, ForeignNoteLandsOnTheScreenAtASizeAUserCanHandle)
{
    const ZettlyRect screen = {0, 0, 1280, 994};
    ZettlyRecord r = DefaultRecord();
    r.windowRect = {-32767, -32767, -32700, -32760};
    r.unrolledRect = {30000, 30000, 32767, 32767};
    r.restoreRect = {-5, 100, 32000, 32000};
    // A title strip of thousands of pixels made the note taller than any screen.
    r.titleFont.lfHeight = 2730;
    r.editFont.lfHeight = -2730;
    ZettlyRecord own = r;
    SanitiseZettlyRecord(&own, ZETTLY_SANITISE_KEEP_GROUP);
    EXPECT_EQ(own.titleFont.lfHeight, 2730) << "a size the font dialog offers";
    SanitiseZettlyRecord(&r, ZETTLY_SANITISE_FOREIGN);
    FitForeignRecordOnScreen(&r, screen);
    EXPECT_LE(r.titleFont.lfHeight, 200);
    EXPECT_GE(r.editFont.lfHeight, -200);
    for (const ZettlyRect &place : {r.windowRect, r.unrolledRect, r.restoreRect}) {
        EXPECT_GE(place.left, screen.left);
        EXPECT_GE(place.top, screen.top);
        EXPECT_LE(place.right, screen.right);
        EXPECT_LE(place.bottom, screen.bottom);
        EXPECT_GE(place.right - place.left, 200) << "as wide as a new note at least";
        EXPECT_GE(place.bottom - place.top, 50);
    }
    EXPECT_EQ(r.restoreRect.right - r.restoreRect.left, 1280) << "no wider than the screen";

    // A note that fits keeps its place and size; a rolled-up one its strip.
    ZettlyRecord fits = DefaultRecord();
    fits.windowRect = {300, 200, 520, 212};
    fits.rolledUp = 1;
    ZettlyRecord placed = fits;
    FitForeignRecordOnScreen(&placed, ZettlyRect{0, 30, 1280, 1024});
    EXPECT_EQ(std::memcmp(&placed.windowRect, &fits.windowRect, sizeof fits.windowRect), 0);
}

TEST(ZettlyClone, NewNoteSitsTenPixelsOffAndInheritsNoRuntimeState)
{
    ZettlyRecord src = DefaultRecord();
    std::strcpy(src.title, "Source");
    src.alarmActive = 1;
    src.alarmYear = 2026;
    src.consoleRunning = 1;
    src.window = FakeWindow(0x99);
    src.editWindow = FakeWindow(0x98);
    src.rolledUp = 1;
    src.showCommand = 0;
    src.isMember = 1;
    src.groupSlot = 4;
    src.textColour = 0x00ABCDEF;
    ZettlyRecord dst;
    CloneRecordInto(&src, &dst);
    EXPECT_EQ(dst.windowRect.left, src.windowRect.left + 10);
    EXPECT_EQ(dst.windowRect.bottom, src.windowRect.bottom + 10);
    EXPECT_EQ(dst.unrolledRect.left, dst.windowRect.left);
    EXPECT_EQ(dst.restoreRect.top, dst.windowRect.top);
    EXPECT_STREQ(dst.title, "");
    EXPECT_EQ(dst.alarmActive, 0);
    EXPECT_EQ(dst.alarmYear, -2);
    EXPECT_EQ(dst.consoleRunning, 0);
    EXPECT_EQ(dst.window, nullptr);
    EXPECT_EQ(dst.editWindow, nullptr);
    EXPECT_EQ(dst.rolledUp, 0);
    EXPECT_EQ(dst.showCommand, 1);
    EXPECT_EQ(dst.isMember, 1);
    EXPECT_EQ(dst.groupSlot, 4);
    EXPECT_EQ(dst.textColour, 0x00ABCDEFu);
}

// A note in console mode with a check list and its own brush, cloned into a
// new note and made the default: neither copy may start a console, grow a
// check list or share the brush, and the default joins no group.
TEST(ZettlyClone, ConsoleCheckListAndBrushStayWithTheirNote)
{
    ZettlyRecord src = DefaultRecord();
    src.consoleMode = 1;
    src.consoleRunning = 1;
    src.consoleProcess.hProcess = (void *)0x44;
    src.checkListWindow = FakeWindow(0x97);
    src.checkListWidth = 150;
    src.backBrush = (HBRUSH__ *)0x96;
    src.calculatorMode = 1;
    src.isGroup = 1;
    src.isMember = 1;
    src.groupSlot = 7;
    src.backColour = 0x00123456;

    ZettlyRecord copy;
    CloneRecordInto(&src, &copy);
    EXPECT_EQ(copy.consoleMode, 0);
    EXPECT_EQ(copy.consoleProcess.hProcess, nullptr);
    EXPECT_EQ(copy.checkListWindow, nullptr);
    EXPECT_EQ(copy.backBrush, nullptr);
    EXPECT_EQ(copy.checkListWidth, 150); // the list's size is a look, kept
    EXPECT_EQ(copy.calculatorMode, 1);
    EXPECT_EQ(copy.isMember, 1); // a new note from a member joins its group
    EXPECT_EQ(copy.groupSlot, 7);

    ZettlyRecord defaults;
    MakeDefaultRecordFrom(&src, &defaults);
    EXPECT_EQ(defaults.consoleMode, 0);
    EXPECT_EQ(defaults.checkListWindow, nullptr);
    EXPECT_EQ(defaults.backBrush, nullptr);
    EXPECT_EQ(defaults.isGroup, 0);
    EXPECT_EQ(defaults.isMember, 0);
    EXPECT_EQ(defaults.groupSlot, 0);
    EXPECT_EQ(defaults.backColour, 0x00123456u);
}

TEST(ZettlyCreationRect, KeepsFivePixelsOnScreen)
{
    struct Case {
        ZettlyRect in, out;
    } cases[] = {
        {{-300, 10, -100, 60}, {-195, 10, 5, 60}},       // left of the screen: right edge at 5
        {{10, -300, 110, -250}, {10, -45, 110, 5}},    // above the screen
        {{5000, 5000, 5100, 5050}, {1275, 1019, 5100, 5050}}, // beyond the bottom right
        {{10, 10, 110, 60}, {10, 10, 110, 60}},         // on screen: unchanged
    };
    for (const Case &c : cases) {
        ZettlyRect r = ClampCreationRect(c.in, 1280, 1024);
        EXPECT_EQ(r.left, c.out.left);
        EXPECT_EQ(r.top, c.out.top);
        EXPECT_EQ(r.right, c.out.right);
        EXPECT_EQ(r.bottom, c.out.bottom);
    }
}

TEST(ZettlyTableSlots, NewNotesUseSlotsUpTo253Only)
{
    ClearTable();
    EXPECT_EQ(FindFreeZettlySlot(), 0);
    for (int slot = 0; slot <= 253; ++slot)
        ZettlyTable[slot].window = FakeWindow(0x100 + slot);
    EXPECT_EQ(FindFreeZettlySlot(), -1) << "slot 254 is free but never given to a new note";
    ZettlyTable[100].window = nullptr;
    EXPECT_EQ(FindFreeZettlySlot(), 100);
    ClearTable();
}
