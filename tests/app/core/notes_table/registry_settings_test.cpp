#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/notes_table/registry_settings.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "test_support.h"

namespace {

class RegistrySettings : public ::testing::Test {
protected:
    ScopedRegistryRoot root;
    void SetUp() override
    {
        SetDefaultInfoSettings(&ZettlyInfo);
        SetDefaultSoundPaths(&ZettlySounds);
    }
    void SetString(const char *name, const std::string &value, bool withTerminator = false)
    {
        RegSetValueExA(root.OpenProgramKey(), name, 0, REG_SZ, (const BYTE *)value.c_str(),
                       (DWORD)value.size() + (withTerminator ? 1 : 0));
    }
    LONG Load(int *open)
    {
        open[0] = open[1] = open[2] = open[3] = 0;
        return LoadSettings(&open[0], &open[1], &open[2], &open[3]);
    }
};

} // namespace

TEST_F(RegistrySettings, WrittenSettingsReadBack)
{
    ZettlyInfo.latchDistance = 42;
    ZettlyInfo.autoSavePeriod = 300000;
    ZettlyInfo.caretStyle = 4;
    std::strcpy(ZettlySounds.alarm, "C:\\My Sounds\\wake up.wav");
    SaveSettings(1, 0, 1, 0x1234);

    // the stored text has no terminator
    DWORD type, size = 0;
    ASSERT_EQ(RegQueryValueExA(root.OpenProgramKey(), "Zettly Info", nullptr, &type, nullptr,
                               &size),
              ERROR_SUCCESS);
    char info[ZETTLY_INFO_BYTES];
    FormatZettlyInfo(&ZettlyInfo, info, sizeof info);
    EXPECT_EQ(type, (DWORD)REG_SZ);

    SetDefaultInfoSettings(&ZettlyInfo);
    SetDefaultSoundPaths(&ZettlySounds);
    int open[4];
    EXPECT_EQ(Load(open), ERROR_SUCCESS);
    EXPECT_EQ(ZettlyInfo.latchDistance, 42);
    EXPECT_EQ(ZettlyInfo.autoSavePeriod, 300000);
    EXPECT_EQ(ZettlyInfo.caretStyle, 4);
    EXPECT_STREQ(ZettlySounds.alarm, "C:\\My Sounds\\wake up.wav");
    EXPECT_STREQ(ZettlySounds.rollup, "rollup.wav");
    EXPECT_EQ(open[0], 1);
    EXPECT_EQ(open[1], 0);
    EXPECT_EQ(open[2], 1);
    EXPECT_EQ(open[3], 0x1234) << "a window handle value from a session end still means open";
}

TEST_F(RegistrySettings, MissingKeyLeavesDefaultsAndReportsNothing)
{
    MessageBoxRecorder boxes;
    int open[4];
    EXPECT_NE(Load(open), ERROR_SUCCESS);
    EXPECT_EQ(ZettlyInfo.autoSavePeriod, 600000);
    EXPECT_STREQ(ZettlySounds.unroll, "unroll.wav");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(RegistrySettings, ShortOrGarbledInfoKeepsTheRestAtDefaults)
{
    SetString("Zettly Info", "0 25 0 1 1 7 0 0 1 0 0 0 1 80 2 0 60000 0 1 0");
    int open[4];
    Load(open);
    EXPECT_EQ(ZettlyInfo.latching, 0);
    EXPECT_EQ(ZettlyInfo.latchDistance, 25);
    EXPECT_EQ(ZettlyInfo.groupWarning, 0);
    EXPECT_EQ(ZettlyInfo.roundBorder, 0);
    EXPECT_EQ(ZettlyInfo.syntaxBlockColour, 0x00FFFFFF);

    SetDefaultInfoSettings(&ZettlyInfo);
    SetString("Zettly Info", "1 5000 garbage \x01\x02");
    Load(open);
    EXPECT_EQ(ZettlyInfo.latchDistance, 300);
    EXPECT_EQ(ZettlyInfo.soundEffects, 1);
}

TEST_F(RegistrySettings, SoundPathsAreTerminatedAndCut)
{
    SetString("Zettly Info", "1");
    SetString("Rollup Wave", "C:\\a much longer path\\roll up.wav");
    SetString("Unroll Wave", "u.wav");
    SetString("Alarm Wave", std::string(5000, 'a'));
    int open[4];
    Load(open);
    EXPECT_STREQ(ZettlySounds.rollup, "C:\\a much longer path\\roll up.wav");
    EXPECT_STREQ(ZettlySounds.unroll, "u.wav") << "no text of a longer earlier path";
    EXPECT_EQ(std::strlen(ZettlySounds.alarm), (size_t)ZETTLY_PATH_BYTES - 1);

    // a value stored exactly as long as the buffer, without terminator
    SetString("Unroll Wave", std::string(ZETTLY_PATH_BYTES, 'b'));
    Load(open);
    EXPECT_EQ(std::strlen(ZettlySounds.unroll), (size_t)ZETTLY_PATH_BYTES - 1);
}

TEST_F(RegistrySettings, WrongValueTypeIsNotReadAsText)
{
    DWORD number = 0x31313131;
    RegSetValueExA(root.OpenProgramKey(), "Zettly Info", 0, REG_DWORD, (const BYTE *)&number,
                   sizeof number);
    int open[4];
    EXPECT_NE(Load(open), ERROR_SUCCESS);
    EXPECT_EQ(ZettlyInfo.latching, 1);
}
