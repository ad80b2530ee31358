#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "arcade_dialog_rules.h"
#include "arcade_test_host.h"
#include "z80_machine.h"

namespace {

struct Table {
    uint8_t bytes[HISCORE_BYTES];
};

Table Filled(uint8_t value)
{
    Table t;
    std::memset(t.bytes, value, sizeof t.bytes);
    return t;
}

std::string Format(const uint8_t *bytes)
{
    char text[HISCORE_TEXT_LIMIT];
    int n = FormatHiScoreText(bytes, text, sizeof text);
    return n < 0 ? "(error)" : std::string(text, (size_t)n);
}

} // namespace

TEST(HiScoreText, OneToTwelveLoadsInOrderAndFormatsBackTheSame)
{
    const char stored[] = "1 2 3 4 5 6 7 8 9 10 11 12";
    Table t = Filled(0xEE);
    EXPECT_EQ(ParseHiScoreText(stored, std::strlen(stored), t.bytes), 12);
    for (int i = 0; i < HISCORE_BYTES; ++i)
        EXPECT_EQ(t.bytes[i], i + 1);
    EXPECT_EQ(Format(t.bytes), stored);
}

TEST(HiScoreText, FormatsTheWholeByteRangeWithSingleBlanks)
{
    Table t = Filled(255);
    t.bytes[0] = 0;
    EXPECT_EQ(Format(t.bytes), "0 255 255 255 255 255 255 255 255 255 255 255");
    char small[10];
    EXPECT_EQ(FormatHiScoreText(t.bytes, small, sizeof small), -1);
    EXPECT_STREQ(small, "");
}

TEST(HiScoreText, HostileTextStoresOnlyTheNumbersBeforeIt)
{
    struct Case {
        const char *text;
        int stored;
    } cases[] = {
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"7 8 x 9", 2},
        {"7 -8 9", 1},              // no negative numbers: -8 would land as 248
        {"7 256 9", 1},             // past a byte
        {"7 99999999999999999999 9", 1}, // would overflow any integer
        {"7 12x 9", 1},             // digits glued to something else
        {"7 0000000000000000000000042 9", 3}, // long, but a fine number
        {"1 2 3 4 5 6 7 8 9 10 11 12 13 14", 12},
        {"  5\t6\r\n7 ", 3},
    };
    for (const Case &c : cases) {
        Table t = Filled(0xEE);
        EXPECT_EQ(ParseHiScoreText(c.text, std::strlen(c.text), t.bytes), c.stored) << c.text;
        for (int i = c.stored; i < HISCORE_BYTES; ++i)
            EXPECT_EQ(t.bytes[i], 0xEE) << c.text << " byte " << i << " kept its value";
    }
}

TEST(HiScoreText, ReadsOnlyTheBytesThatCameWithoutATerminator)
{
    // A value read into a full buffer has no NUL: the digits that follow in
    // memory are not part of it.
    const char memory[] = "1 2 3999";
    Table t = Filled(0xEE);
    EXPECT_EQ(ParseHiScoreText(memory, 5, t.bytes), 3);
    EXPECT_EQ(t.bytes[2], 3);
    EXPECT_EQ(t.bytes[3], 0xEE);

    const char withNul[] = {'4', ' ', '5', 0, '6'};
    t = Filled(0xEE);
    EXPECT_EQ(ParseHiScoreText(withNul, sizeof withNul, t.bytes), 2);
    EXPECT_EQ(ParseHiScoreText(nullptr, 10, t.bytes), 0);
}

TEST(DipSwitches, ButtonsGiveTheMachinesSettings)
{
    // Bonus 3000..6000 and lives 3..6 are buttons 0..3 of their groups.
    for (unsigned i = 0; i < 4; ++i) {
        DipSettings d = DipSettingsFromButtons(1u << i, 1u << i, 0);
        EXPECT_EQ(d.bonus, i);
        EXPECT_EQ(d.lives, i);
        EXPECT_EQ(d.game, 1);
    }
    DipSettings sorvalen = DipSettingsFromButtons(1u << 3, 1u << 3, 1);
    EXPECT_EQ(sorvalen.game, 2);
    EXPECT_EQ(sorvalen.lives + sorvalen.bonus * 4, 0x0F) << "the DIP port of 6 lives and 6000";
    DipSettings none = DipSettingsFromButtons(0, 0, 0);
    EXPECT_EQ(none.bonus, 0);
    EXPECT_EQ(none.lives, 0);
    // Tested in the order 4000, 5000, 6000 when several show as pressed.
    EXPECT_EQ(DipSettingsFromButtons(0x0C, 0x0A, 0).bonus, 2);
    EXPECT_EQ(DipSettingsFromButtons(0x0C, 0x0A, 0).lives, 1);
}

TEST(DialogKeys, ControlAltAndArrowsPlayLikeTheGamesOwnKeysOthersPassUnchanged)
{
    // Windows' virtual-key codes, and the game keys whose port bits the core
    // tests check: the space bar fires, A and D steer, B raises the barrier.
    const int control = 0x11, alt = 0x12, left = 0x25, up = 0x26, right = 0x27;
    struct Case {
        int dialogKey;
        char gameKey;
    } cases[] = {{control, ' '}, {alt, 'B'}, {up, 'B'}, {left, 'A'}, {right, 'D'}};
    ASSERT_EQ(0, BuildTestMachine({0x18, 0xFE}));
    auto portWhileHeld = [](int key) {
        ArcadeKey(key, 0);
        uint8_t port = ArcadeReadMem(0x7000);
        ArcadeKey(key, 1);
        return port;
    };
    for (const Case &c : cases) {
        uint8_t byGame = portWhileHeld(c.gameKey);
        EXPECT_NE(byGame, 0xFF) << c.gameKey;
        EXPECT_EQ(portWhileHeld(MapDialogKey(c.dialogKey)), byGame) << std::hex << c.dialogKey;
    }
    EndTestMachine();
    // The down arrow, Escape and the keys the game reads as characters.
    for (int key : {0x20, 0x31, 0x32, 0x33, 0x41, 0x42, 0x44, 0x51, 0x57, 0x1B, 0x28})
        EXPECT_EQ(MapDialogKey(key), key);
}

TEST(DialogCaption, VersionFollowsAfterOneBlankAndStaysInItsBounds)
{
    char out[64];
    CaptionWithVersion("Zettlies  : ", "1.0.0", 6, out, sizeof out);
    EXPECT_STREQ(out, "Zettlies  :  1.0.0");
    CaptionWithVersion("Zettlies  : ", "", 1, out, sizeof out);
    EXPECT_STREQ(out, "Zettlies  : ");
    CaptionWithVersion("Zettlies  : ", nullptr, 5, out, sizeof out);
    EXPECT_STREQ(out, "Zettlies  : ");
    // A version without its terminator is taken only up to its length.
    const char unterminated[] = {'2', '.', '1', 'X', 'X'};
    CaptionWithVersion("Z", unterminated, 3, out, sizeof out);
    EXPECT_STREQ(out, "Z 2.1");
    char tiny[6];
    CaptionWithVersion("Zettlies", "1.0", 4, tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "Zettl");
}

TEST(AboutStrip, SineWaveOfFourPixelsOver120Columns)
{
    int table[SINE_TABLE_SIZE];
    BuildSineTable(table);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[45], 724);
    EXPECT_EQ(table[90], 1024);
    EXPECT_EQ(table[270], -1024);
    EXPECT_EQ(table[359], -17) << "truncated toward zero";
    EXPECT_EQ(WaveOffset(table[45]), 2) << "the source line lies two pixels above the base line";
    // Offsets floor: the wave goes as far down as up.
    EXPECT_EQ(WaveOffset(1024), 4);
    EXPECT_EQ(WaveOffset(-1024), -4);
    EXPECT_EQ(WaveOffset(-1), -1);
    EXPECT_EQ(WaveOffset(255), 0);
    EXPECT_EQ(WaveOffset(256), 1);
    int lowest = 0, highest = 0;
    for (int c = 0; c < 120; ++c) {
        EXPECT_EQ(ColumnWaveOffset(table, c), ColumnWaveOffset(table, c + 120)) << c;
        lowest = std::min(lowest, ColumnWaveOffset(table, c));
        highest = std::max(highest, ColumnWaveOffset(table, c));
    }
    EXPECT_EQ(lowest, -4);
    EXPECT_EQ(highest, 3);
    // sin 1 degree is too small to lift the first column off the line; a
    // quarter period on, the wave is at its top, three quarters on at its bottom.
    EXPECT_EQ(ColumnWaveOffset(table, 0), 0);
    EXPECT_EQ(ColumnWaveOffset(table, 30), 3);
    EXPECT_EQ(ColumnWaveOffset(table, 90), -4);
    // Far along the strip the wave keeps its period instead of overflowing.
    EXPECT_EQ(ColumnWaveOffset(table, 2000000000), ColumnWaveOffset(table, 2000000000 % 120));
}

TEST(AboutStrip, TextRunsLeftAndStartsAgainFromTheRight)
{
    EXPECT_EQ(NextTextPosition(301, 1000, 300), 300);
    EXPECT_EQ(NextTextPosition(-1000, 1000, 300), -1001);
    EXPECT_EQ(NextTextPosition(-1001, 1000, 300), 301);
}

TEST(AboutStrip, TextIsOneLine)
{
    // TextOut draws line breaks as boxes in the running strip.
    EXPECT_EQ(std::strpbrk(VuvovirAboutText, "\r\n\t"), nullptr);
}

TEST(DialogLayout, GrowsOnlyByWhatTheScreenLacksOfThePicture)
{
    struct Case {
        int width, height, dx, dy;
    } cases[] = {
        {209, 238, 0, 18}, // the template under a font of small metrics
        {208, 256, 0, 0},
        {177, 300, 31, 0},
        {400, 500, 0, 0}, // a large font never shrinks the dialog
        {0, -3, 208, 256},
    };
    for (const Case &c : cases) {
        DialogGrowth growth = GrowthToHoldPicture(c.width, c.height);
        EXPECT_EQ(growth.dx, c.dx) << c.width << " x " << c.height;
        EXPECT_EQ(growth.dy, c.dy) << c.width << " x " << c.height;
    }
}

namespace {

bool SameRect(DialogRect a, DialogRect b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult SameLayout(const DialogLayout &a, const DialogLayout &b)
{
    if (a.clientWidth != b.clientWidth || a.clientHeight != b.clientHeight)
        return ::testing::AssertionFailure() << "client sizes differ";
    if (!SameRect(a.screen, b.screen))
        return ::testing::AssertionFailure() << "the screen moved";
    for (int i = 0; i < DIALOG_MOVING_CONTROLS; ++i)
        if (!SameRect(a.moving[i], b.moving[i]))
            return ::testing::AssertionFailure() << "control " << i << " moved";
    return ::testing::AssertionSuccess();
}

// Every control lies below the screen and inside the client area.
::testing::AssertionResult Holds(const DialogLayout &l)
{
    for (int i = 0; i < DIALOG_MOVING_CONTROLS; ++i) {
        DialogRect r = l.moving[i];
        if (r.left < 0 || r.right > l.clientWidth || r.bottom > l.clientHeight)
            return ::testing::AssertionFailure() << "control " << i << " leaves the client area";
        if (r.top < l.screen.bottom)
            return ::testing::AssertionFailure() << "control " << i << " reaches into the screen";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(DialogLayout, GrowingAndShrinkingBackPutsEveryControlWhereItWas)
{
    DialogLayout original = {};
    original.clientWidth = 240;
    original.clientHeight = 413;
    original.screen = {14, 11, 227, 253};
    for (int i = 0; i < DIALOG_MOVING_CONTROLS; ++i)
        original.moving[i] = {2 + i * 9, 262 + i * 6, 11 + i * 9, 268 + i * 6};
    // Right under the screen, and across the whole bottom edge.
    original.moving[0] = {2, 253, 40, 270};
    original.moving[DIALOG_MOVING_CONTROLS - 1] = {2, 393, 240, 413};

    // Odd amounts first, as the font makes them, then the stretch box's 100.
    DialogLayout l = original;
    ResizeDialogLayout(&l, 240 + 31, 413 + 21);
    EXPECT_TRUE(Holds(l));
    DialogLayout grown = l;
    ResizeDialogLayout(&l, grown.clientWidth + 100, grown.clientHeight + 100);
    EXPECT_TRUE(Holds(l));
    EXPECT_EQ(l.screen.left, 14) << "the screen keeps its corner";
    EXPECT_EQ(l.screen.top, 11);
    EXPECT_EQ(l.clientWidth - l.screen.right, 240 - 227) << "and its margins";
    EXPECT_EQ(l.clientHeight - l.screen.bottom, 413 - 253);

    ResizeDialogLayout(&l, grown.clientWidth, grown.clientHeight);
    EXPECT_TRUE(SameLayout(l, grown));
    ResizeDialogLayout(&l, original.clientWidth, original.clientHeight);
    EXPECT_TRUE(SameLayout(l, original));
}
