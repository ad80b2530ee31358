#include <gtest/gtest.h>
#include <string.h>

#include "arcade_reference_picture.h"
#include "arcade_test_host.h"
#include "z80_machine.h"

namespace {

const std::vector<uint8_t> Idle = {0x18, 0xFE};

// Compares the picture band of a surface with a reference, naming the first
// pixel that differs.
::testing::AssertionResult PictureMatches(const std::vector<uint32_t> &surface,
                                          const std::vector<uint32_t> &reference) {
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 208; x++) {
            uint32_t got = surface[y * 832 + x], want = reference[y * 208 + x];
            if (got != want)
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                                     << got << ", not " << want;
        }
    }
    return ::testing::AssertionSuccess();
}

class ArcadeVideo : public ::testing::Test {
protected:
    std::vector<uint8_t> chars = PatternCharRom(7);
    std::vector<uint32_t> surface = std::vector<uint32_t>(832 * 256, 0);
    uint8_t foreground[832], background[832], backgroundBank[832];

    void SetUp() override {
        ArcadeKept.videoRegisterValue = 0;
        ASSERT_EQ(0, BuildTestMachine(Idle, 0, 0, chars));
        ArcadeDrawTiles(Arcade.charRom, surface.data());
        ArcadeTakeBackgroundShadow();
        memset(backgroundBank, 0, sizeof backgroundBank);
        memset(background, 0, sizeof background);
        // Every code in the foreground, with the three transparent ones and
        // an all-black tile among them.
        for (int i = 0; i < 832; i++)
            foreground[i] = (uint8_t)(i * 37 + 11);
        foreground[0] = 0x00;
        foreground[100] = 0x2D;
        foreground[831] = 0x2E;
        foreground[400] = 0xF0;
        for (int plane = 2; plane < 4; plane++)
            memset(&Arcade.charRom[plane * 2048 + 0xF0 * 8], 0, 8);
        // Background code 0 is blank, as the cleared layer shows it before
        // any tile is drawn.
        for (int plane = 0; plane < 2; plane++)
            memset(&Arcade.charRom[plane * 2048], 0, 8);
        ArcadeDrawTiles(Arcade.charRom, surface.data());
        for (int i = 0; i < 832; i++)
            ArcadeWriteMem((uint16_t)(0x4000 + i), foreground[i]);
    }
    void TearDown() override { EndTestMachine(); }

    void WriteBackground(int index, uint8_t code) {
        ArcadeWriteMem((uint16_t)(0x4800 + index), code);
        background[index] = code;
        backgroundBank[index] = Arcade.characterBank;
    }
    std::vector<uint32_t> Reference(int scroll) {
        ReferenceScreen screen = {Arcade.charRom, foreground, background, backgroundBank,
                                  Arcade.characterBank, scroll};
        return ReferencePicture(screen);
    }
};

TEST_F(ArcadeVideo, DecodedTileSetsFillThePictureUntilTheFirstFrame) {
    std::vector<uint32_t> fresh(832 * 256, 0);
    ArcadeDrawTiles(chars.data(), fresh.data());
    EXPECT_TRUE(PictureMatches(fresh, ReferenceTileSets(chars.data())));
    // Bank 1's band holds the same shapes in bank 1's colours.
    for (int code : {0, 31, 32, 200, 255}) {
        int bandX = 416 + (code % 26) * 8, bandY = 160 + (code / 26) * 8;
        for (int sy = 0; sy < 8; sy++)
            for (int sx = 0; sx < 8; sx++)
                ASSERT_EQ(ReferenceColour(code, 1, 0, ReferenceTileValue(chars.data(), 0, code, sx, sy)),
                          fresh[(bandY + sy) * 832 + bandX + sx]) << code;
    }
}

TEST_F(ArcadeVideo, FramesMatchThePixelRulesAtEveryScroll) {
    for (int i = 0; i < 832; i++)
        WriteBackground(i, (uint8_t)(i * 13 + 5));
    for (int scroll : {0, 1, 255, 8, 129}) {
        ArcadeWriteMem(0x5800, (uint8_t)scroll);
        ArcadeComposeFrame(surface.data());
        EXPECT_TRUE(PictureMatches(surface, Reference(scroll))) << "scroll " << scroll;
    }
}

TEST_F(ArcadeVideo, ScrollWrapsTheLayerVertically) {
    for (int i = 0; i < 832; i++)
        WriteBackground(i, (uint8_t)(i * 13 + 5));
    for (int i = 0; i < 832; i++)
        ArcadeWriteMem((uint16_t)(0x4000 + i), 0);
    ArcadeComposeFrame(surface.data());
    std::vector<uint32_t> unscrolled(surface.begin(), surface.end());
    ArcadeWriteMem(0x5800, 255);
    ArcadeComposeFrame(surface.data());
    for (int x = 0; x < 208; x++) {
        ASSERT_EQ(unscrolled[255 * 832 + x], surface[x]) << "layer row 255 becomes picture row 0";
        for (int y = 1; y < 256; y++)
            ASSERT_EQ(unscrolled[(y - 1) * 832 + x], surface[y * 832 + x]);
    }
}

TEST_F(ArcadeVideo, BankSwitchRecoloursTheForegroundButOnlyChangedBackgroundTiles) {
    for (int i = 0; i < 832; i++)
        WriteBackground(i, (uint8_t)(i * 5 + 1));
    ArcadeComposeFrame(surface.data());
    ASSERT_TRUE(PictureMatches(surface, Reference(0)));

    ArcadeWriteMem(0x5000, 0x01);
    for (int i = 0; i < 832; i += 3)
        WriteBackground(i, (uint8_t)(i * 5 + 2));
    ArcadeComposeFrame(surface.data());
    EXPECT_TRUE(PictureMatches(surface, Reference(0)));

    ArcadeWriteMem(0x5000, 0x00);
    WriteBackground(1, 0x77);
    ArcadeComposeFrame(surface.data());
    EXPECT_TRUE(PictureMatches(surface, Reference(0)));
}

TEST_F(ArcadeVideo, UnchangedBackgroundCodesAreNotRedrawn) {
    WriteBackground(40, 0x33);
    ArcadeComposeFrame(surface.data());
    // Mark the layer where code 0x33 was drawn (row 1, byte 8).
    int layerX = 624 + 24 * 8, layerY = 8 * 8;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
            surface[(layerY + y) * 832 + layerX + x] = 0x123456;

    ArcadeWriteMem(0x4800 + 40, 0x33);
    EXPECT_EQ(1, Arcade.backgroundDirty);
    ArcadeComposeFrame(surface.data());
    EXPECT_EQ(0u, Arcade.backgroundDirty);
    EXPECT_EQ(0x123456u, surface[layerY * 832 + layerX]) << "the same code redraws nothing";

    // Without any background write the layer is not looked at at all.
    memset(Arcade.backgroundShadow, 0xAA, sizeof Arcade.backgroundShadow);
    ArcadeComposeFrame(surface.data());
    EXPECT_EQ(0x123456u, surface[layerY * 832 + layerX]);

    memcpy(Arcade.backgroundShadow, Arcade.memory + 0x4800, 1024);
    WriteBackground(40, 0x34);
    ArcadeComposeFrame(surface.data());
    EXPECT_NE(0x123456u, surface[layerY * 832 + layerX]);
    EXPECT_TRUE(PictureMatches(surface, Reference(0)));
}

TEST(ArcadePalette, SetsFollowCodeBankAndLayer) {
    EXPECT_EQ(0, ArcadeTileSet(0, 0, 0));
    EXPECT_EQ(7, ArcadeTileSet(255, 0, 0));
    EXPECT_EQ(8, ArcadeTileSet(31, 1, 0));
    EXPECT_EQ(16, ArcadeTileSet(0, 0, 1));
    EXPECT_EQ(31, ArcadeTileSet(224, 1, 1));
    for (int set = 0; set < 32; set++)
        EXPECT_EQ(0u, ArcadePalette[set * 4]) << "value 0 is black in set " << set;
    for (int code = 0; code < 256; code += 32)
        for (int bank = 0; bank < 2; bank++)
            for (int layer = 0; layer < 2; layer++)
                for (int v = 1; v < 4; v++)
                    EXPECT_EQ(ReferenceColour(code, bank, layer, v),
                              ArcadeSurfacePixel(ArcadePalette[4 * ArcadeTileSet(code, bank, layer) + v]));
    EXPECT_EQ(0x0050FFu, ArcadePalette[4 * 17 + 3]) << "red-orange as a COLORREF";
}

} // namespace
