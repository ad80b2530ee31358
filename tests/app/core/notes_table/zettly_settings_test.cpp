#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/notes_table/zettly_settings.h"

namespace {
ZettlyInfoSettings Defaults()
{
    ZettlyInfoSettings s;
    SetDefaultInfoSettings(&s);
    return s;
}
} // namespace

TEST(ZettlyInfoFormat, DefaultsFormatAsTheStoredString)
{
    ZettlyInfoSettings s = Defaults();
    char text[ZETTLY_INFO_BYTES];
    int length = FormatZettlyInfo(&s, text, sizeof text);
    EXPECT_STREQ(text, "1 10 1 0 1 3 1 1 0 1 1 0 0 137 0 0 600000 0 0 1 0 0 16777215 0");
    EXPECT_EQ(length, (int)std::strlen(text));
}

TEST(ZettlyInfoFormat, FormattedSettingsParseBackUnchanged)
{
    ZettlyInfoSettings s = Defaults();
    s.latchDistance = 250;
    s.caretStyle = 8;
    s.autoSavePeriod = 43200000;
    s.playerOpen = 0x000A0B0C; // a window handle value after a session end
    char text[ZETTLY_INFO_BYTES];
    ASSERT_GT(FormatZettlyInfo(&s, text, sizeof text), 0);
    ZettlyInfoSettings back = Defaults();
    EXPECT_EQ(ParseZettlyInfo(text, std::strlen(text), &back), 24);
    EXPECT_EQ(0, std::memcmp(&s, &back, sizeof s));
}

TEST(ZettlyInfoParse, OlderValueWithTwentyNumbersLeavesTheRestAtDefaults)
{
    ZettlyInfoSettings s = Defaults();
    const char *old = "0 20 0 1 0 5 0 0 1 0 0 1 1 99 2 1 120000 1 1 0";
    EXPECT_EQ(ParseZettlyInfo(old, std::strlen(old), &s), 20);
    EXPECT_EQ(s.latching, 0);
    EXPECT_EQ(s.latchDistance, 20);
    EXPECT_EQ(s.allAlpha, 99);
    EXPECT_EQ(s.autoSavePeriod, 120000);
    EXPECT_EQ(s.groupWarning, 0);
    EXPECT_EQ(s.roundBorder, 0);
    EXPECT_EQ(s.syntaxBlockColour, 0x00FFFFFF);
    EXPECT_EQ(s.meterOpen, 0);
}

TEST(ZettlyInfoParse, StopsAtGarbageAndKeepsWhatFollowsAtDefaults)
{
    ZettlyInfoSettings s = Defaults();
    const char *text = "0 15 x 1 1 1";
    EXPECT_EQ(ParseZettlyInfo(text, std::strlen(text), &s), 2);
    EXPECT_EQ(s.latching, 0);
    EXPECT_EQ(s.latchDistance, 15);
    EXPECT_EQ(s.soundEffects, 1);
    EXPECT_EQ(s.autoCopy, 0);

    ZettlyInfoSettings empty = Defaults();
    EXPECT_EQ(ParseZettlyInfo("", 0, &empty), 0);
    ZettlyInfoSettings defaults = Defaults();
    EXPECT_EQ(0, std::memcmp(&empty, &defaults, sizeof empty));
}

TEST(ZettlyInfoParse, ValuesAreBroughtIntoTheirRanges)
{
    ZettlyInfoSettings s = Defaults();
    const char *text = "7 9999 -3 0 1 0 1 1 0 1 1 0 1 5 77 0 90001 0 1 1 0 1 -1 0";
    ASSERT_EQ(ParseZettlyInfo(text, std::strlen(text), &s), 24);
    EXPECT_EQ(s.latching, 1);
    EXPECT_EQ(s.latchDistance, 300);
    EXPECT_EQ(s.soundEffects, 1);
    EXPECT_EQ(s.animationStep, 1);
    EXPECT_EQ(s.allAlpha, 20);
    EXPECT_EQ(s.caretStyle, 8);
    EXPECT_EQ(s.autoSavePeriod, 60000) << "whole minutes only";
    EXPECT_EQ(s.syntaxBlockColour, 0x00FFFFFF);

    const char *huge = "1 99999999999999999999 1";
    ParseZettlyInfo(huge, std::strlen(huge), &s);
    EXPECT_EQ(s.latchDistance, 300);
}

TEST(ZettlyInfoParse, ReadsOnlyTheBytesItIsGiven)
{
    // A stored value carries no terminator: the bytes after it are not part of it.
    char stored[8] = {'1', ' ', '2', '5', '7', '7', '7', '7'};
    ZettlyInfoSettings s = Defaults();
    EXPECT_EQ(ParseZettlyInfo(stored, 4, &s), 2);
    EXPECT_EQ(s.latchDistance, 25);
}

TEST(StoredString, IsTerminatedAndCutToTheBuffer)
{
    char out[8];
    std::memset(out, 'x', sizeof out);
    CopyStoredString(out, sizeof out, "abc", 3);
    EXPECT_STREQ(out, "abc");
    CopyStoredString(out, sizeof out, "a much longer path", 18);
    EXPECT_STREQ(out, "a much ");
    CopyStoredString(out, sizeof out, "ab\0cd", 5);
    EXPECT_STREQ(out, "ab");
}
