#include "arcade_dialog_fixture.h"

#include <cstring>
#include <string>

#include "ui_seams.h"

namespace {

void FillTable(uint8_t value)
{
    std::memset(ArcadeKept.HiScoreTable, value, sizeof ArcadeKept.HiScoreTable);
}

} // namespace

TEST_F(ArcadeDialogTest, ScoresMakeTheRoundTripThroughTheRegistry)
{
    const char stored[] = "1 2 3 4 5 6 7 8 9 10 11 12";
    StoreHiScore(stored, sizeof stored - 1);
    LoadVuvovirHiScores();
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(ArcadeKept.HiScoreTable[i], i + 1);
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(root.Key(), VUVOVIR_REGISTRY_KEY, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, VUVOVIR_HISCORE_VALUE);
    EXPECT_EQ(SaveVuvovirHiScores(), 0);
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExA(key, VUVOVIR_HISCORE_VALUE, nullptr, &type, nullptr, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(StoredHiScore(), stored);
}

TEST_F(ArcadeDialogTest, SavingCreatesTheKey)
{
    FillTable(0);
    ArcadeKept.HiScoreTable[11] = 255;
    EXPECT_EQ(StoredHiScore(), "(none)");
    EXPECT_EQ(SaveVuvovirHiScores(), 0);
    EXPECT_EQ(StoredHiScore(), "0 0 0 0 0 0 0 0 0 0 0 255");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ArcadeDialogTest, MissingOrHostileStoredValuesLeaveTheTableAlone)
{
    FillTable(42);
    LoadVuvovirHiScores();
    EXPECT_EQ(ArcadeKept.HiScoreTable[0], 42) << "no key";

    std::string overlong(300, '1');
    for (size_t i = 1; i < overlong.size(); i += 2)
        overlong[i] = ' ';
    struct Case {
        std::string bytes;
        DWORD type;
        int changed; // leading bytes that load
    } cases[] = {
        {overlong, REG_SZ, 0}, // past the 128 bytes a value may have
        {"5 6 junk 7", REG_SZ, 2},
        {"1 2 3", REG_BINARY, 0},
        {std::string("8 9\0 10", 7), REG_SZ, 2},
    };
    for (const Case &c : cases) {
        FillTable(42);
        StoreHiScore(c.bytes.data(), (DWORD)c.bytes.size(), c.type);
        LoadVuvovirHiScores();
        for (int i = c.changed; i < 12; ++i)
            EXPECT_EQ(ArcadeKept.HiScoreTable[i], 42) << c.bytes.substr(0, 20) << " byte " << i;
        EXPECT_TRUE(boxes.Boxes().empty()) << "nothing is reported when loading";
    }
    // Exactly 128 bytes without a terminator is still read; one more is too long.
    std::string full = "1 2 3";
    full.resize(128, ' ');
    FillTable(42);
    StoreHiScore(full.data(), (DWORD)full.size());
    LoadVuvovirHiScores();
    EXPECT_EQ(ArcadeKept.HiScoreTable[2], 3);
    EXPECT_EQ(ArcadeKept.HiScoreTable[3], 42);
    full += "4";
    FillTable(42);
    StoreHiScore(full.data(), (DWORD)full.size());
    LoadVuvovirHiScores();
    EXPECT_EQ(ArcadeKept.HiScoreTable[0], 42);
}

TEST_F(ArcadeDialogTest, AKeyThatCannotBeCreatedIsReported)
{
    // A root that is no longer open: nothing can be created below it.
    HKEY gone;
    ASSERT_EQ(RegOpenKeyExA(root.Key(), nullptr, 0, KEY_READ, &gone), ERROR_SUCCESS);
    RegCloseKey(gone);
    SetRegistryRoot(gone);
    int result = SaveVuvovirHiScores();
    SetRegistryRoot(root.Key());
    EXPECT_EQ(result, -1);
    ASSERT_EQ(CountBoxes("Registry Error"), 1);
    EXPECT_EQ(boxes.Boxes()[0].text, "Unable to open/create registry key!");
    EXPECT_EQ(boxes.Boxes()[0].type & MB_ICONMASK, (UINT)MB_ICONSTOP);
}
