// The character ROM script stores our upright glyphs so that the machine's
// quarter-turned tile drawing shows them upright, in the right planes.
#include <gtest/gtest.h>

#include "data_files.h"
#include "known_glyphs.h"

namespace {

enum TileSet { BackgroundSet = 0, ForegroundSet = 1 };

// The 8 x 8 picture of one tile as the machine draws it: ROM pixel (x, y)
// lands at column 7 - y and row x; the set's first plane is the high bit.
std::vector<std::string> DrawnTile(const std::vector<uint8_t> &rom, TileSet set, int code) {
    int first = set == BackgroundSet ? 0 : 2;
    std::vector<std::string> picture(8, std::string(8, '.'));
    for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 8; x++) {
            int high = rom[first * 2048 + code * 8 + y] >> x & 1;
            int low = rom[(first + 1) * 2048 + code * 8 + y] >> x & 1;
            int v = 2 * high + low;
            if (v)
                picture[x][7 - y] = (char)('0' + v);
        }
    }
    return picture;
}

std::vector<std::string> Inked(std::vector<std::string> picture, char ink) {
    for (std::string &row : picture)
        for (char &c : row)
            if (c != '.')
                c = ink;
    return picture;
}

} // namespace

TEST(CharRomLayout, LettersAndDigitsReadUprightInEveryColourCopy) {
    struct {
        const char *name;
        char accent;
    } games[] = {{"vuvovir_chars.rom", '3'}, {"sorvalen_chars.rom", '1'}};
    for (const auto &game : games) {
        SCOPED_TRACE(game.name);
        std::vector<uint8_t> rom = ReadDataFile(game.name);
        ASSERT_EQ(rom.size(), 8192u);
        EXPECT_EQ(DrawnTile(rom, ForegroundSet, 0x46), LetterF);
        EXPECT_EQ(DrawnTile(rom, ForegroundSet, 0x66), LetterF);
        EXPECT_EQ(DrawnTile(rom, ForegroundSet, 0x37), DigitSeven);
        EXPECT_EQ(DrawnTile(rom, ForegroundSet, 0xB7), Inked(DigitSeven, game.accent));
    }
}

TEST(CharRomLayout, SpritesKeepTheirThreeColoursAndBackgroundUsesItsOwnPlanes) {
    std::vector<uint8_t> rom = ReadDataFile("vuvovir_chars.rom");
    ASSERT_EQ(rom.size(), 8192u);
    EXPECT_EQ(DrawnTile(rom, ForegroundSet, 0x80), VuvovirShip);
    // The star lives in the background set only.
    const std::vector<std::string> star = {
        "........", "........", "........", "...3....",
        "........", "........", "........", "........",
    };
    EXPECT_EQ(DrawnTile(rom, BackgroundSet, 0x01), star);
    EXPECT_EQ(DrawnTile(rom, ForegroundSet, 0x01), std::vector<std::string>(8, "........"));
    EXPECT_EQ(DrawnTile(rom, BackgroundSet, 0x46), std::vector<std::string>(8, "........"));
}

TEST(CharRomLayout, SeeThroughForegroundCodesAndBlankBackgroundStayEmpty) {
    for (const char *name : {"vuvovir_chars.rom", "sorvalen_chars.rom"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> rom = ReadDataFile(name);
        ASSERT_EQ(rom.size(), 8192u);
        const std::vector<std::string> empty(8, "........");
        for (int code : {0x00, 0x2D, 0x2E})
            EXPECT_EQ(DrawnTile(rom, ForegroundSet, code), empty) << code;
        EXPECT_EQ(DrawnTile(rom, BackgroundSet, 0x00), empty);
    }
}
