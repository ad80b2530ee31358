// Our demo program ROMs run frame after frame on the machine: the screen
// shows what the programs draw, keys move the ship, fire starts the sounds,
// and the score table survives from one machine to the next.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

#include "demo_machine.h"
#include "known_glyphs.h"

namespace {

const uint8_t NoScores[12] = {0};
const uint16_t ScoreTable = 0x4380;
const uint8_t ShipCode = 0x80, EnemyCode = 0x81, ShotCode = 0x82, BarrierCode = 0x83, LifeCode = 0x84;
const int ShipRow = 29;

struct Game {
    const char *rom;
    const char *chars;
    const char *title;
    uint8_t videoValue;
    uint8_t scrollStep;
};

const Game Vuvovir = {"vuvovir.rom", "vuvovir_chars.rom", "VUVOVIR", 0x00, 0xFF};
const Game Sorvalen = {"sorvalen.rom", "sorvalen_chars.rom", "SORVALEN", 0x01, 0x01};

void Start(const Game &game, uint8_t lives = 0, uint8_t bonus = 0, const uint8_t *scores = NoScores) {
    std::vector<uint8_t> rom = ReadDataFile(game.rom);
    std::vector<uint8_t> chars = ReadDataFile(game.chars);
    ASSERT_EQ(rom.size(), 16384u);
    ASSERT_EQ(chars.size(), 8192u);
    StartDemoMachine(rom, chars, lives, bonus, scores);
    ASSERT_EQ(MachineByte(0), rom[0]) << "no machine";
    RunFrames(20);
}

class DemoProgram : public ::testing::Test {
protected:
    void TearDown() override { EndDemoMachine(); }
};

int ColumnOf(uint8_t code, int row) {
    for (int column = 0; column < 26; column++)
        if (ForegroundCode(column, row) == code)
            return column;
    return -1;
}

// Where a code stands on the screen: column * 32 + row, or -1.
int PlaceOf(uint8_t code) {
    for (int column = 0; column < 26; column++)
        for (int row = 0; row < 32; row++)
            if (ForegroundCode(column, row) == code)
                return column * 32 + row;
    return -1;
}

void Press(uint8_t keys, int frames = 2) {
    HoldKeys(keys);
    RunFrames(frames);
    ReleaseKeys(keys);
    RunFrames(2);
}

bool Heard(const std::vector<int> &sounds, int sound) {
    return std::find(sounds.begin(), sounds.end(), sound) != sounds.end();
}

// Follows the enemy with the ship, fires under it, and waits for the shot to end.
void ShootTheEnemy() {
    for (int step = 0; step < 200; step++) {
        int enemy = PlaceOf(EnemyCode);
        ASSERT_GE(enemy, 0);
        int ship = ColumnOf(ShipCode, ShipRow);
        if (ship == enemy / 32)
            break;
        uint8_t key = ship < enemy / 32 ? DemoKeyRight : DemoKeyLeft;
        HoldKeys(key);
        RunFrames(1);
        ReleaseKeys(key);
        RunFrames(1);
    }
    Press(DemoKeyFire, 1);
    for (int frame = 0; frame < 30 && PlaceOf(ShotCode) >= 0; frame++)
        RunFrames(1);
}

int LivesShown() {
    int lives = 0;
    for (int column = 0; column < 26; column++)
        lives += ForegroundCode(column, 31) == LifeCode;
    return lives;
}

// True when the background under a screen cell is blank in the last
// composed frame, so the cell shows the foreground alone.
bool BackgroundBlankUnder(int column, int row) {
    int scroll = MachineByte(0x5800);
    for (int dy = 0; dy < 8; dy++) {
        int layerRow = (row * 8 + dy + scroll) & 255;
        if (BackgroundCode(column, layerRow / 8) != 0)
            return false;
    }
    return true;
}

// The cell of the picture, with each pixel named by its colour in palette.
GlyphArt PictureCell(int column, int row, const std::vector<uint32_t> &palette) {
    GlyphArt cell(8, std::string(8, '?'));
    for (int dy = 0; dy < 8; dy++) {
        for (int dx = 0; dx < 8; dx++) {
            uint32_t pixel = PicturePixel(column * 8 + dx, row * 8 + dy);
            for (size_t v = 0; v < palette.size(); v++)
                if (pixel == palette[v])
                    cell[dy][dx] = v ? (char)('0' + v) : '.';
        }
    }
    return cell;
}

void StartPlaying() {
    Press(DemoKeyCoin);
    Press(DemoKeyStart1);
    TakeSounds();
}

} // namespace

TEST_F(DemoProgram, TitleScreenShowsTitleTableSettingsAndShip) {
    for (const Game *game : {&Vuvovir, &Sorvalen}) {
        SCOPED_TRACE(game->title);
        Start(*game, 2, 1);
        EXPECT_EQ(ScreenText(9, 4, (int)strlen(game->title)), game->title);
        EXPECT_EQ(ScreenText(1, 0, 5), "SCORE");
        EXPECT_EQ(ScreenText(15, 0, 8), "HI SCORE");
        EXPECT_EQ(ScreenText(1, 1, 6), "000000");
        EXPECT_EQ(ScreenText(8, 7, 11), "HIGH SCORES");
        EXPECT_EQ(ScreenText(7, 9, 9), "1  000000");
        EXPECT_EQ(ScreenText(7, 15, 9), "4  000000");
        EXPECT_EQ(ScreenText(1, 18, 10), "BONUS 4000");
        EXPECT_EQ(ScreenText(15, 18, 7), "LIVES 5");
        EXPECT_EQ(ScreenText(7, 21, 11), "INSERT COIN");
        EXPECT_EQ(ForegroundCode(12, ShipRow), ShipCode);
        EXPECT_EQ(MachineByte(0x5000), game->videoValue);
    }
}

TEST_F(DemoProgram, BackgroundIsFilledAndScrollsOneStepAFrame) {
    for (const Game *game : {&Vuvovir, &Sorvalen}) {
        SCOPED_TRACE(game->title);
        Start(*game);
        int filled = 0;
        for (int column = 0; column < 26; column++)
            for (int row = 0; row < 32; row++)
                filled += BackgroundCode(column, row) != 0;
        EXPECT_GT(filled, 40);
        EXPECT_LT(filled, 26 * 32);
        for (int frame = 0; frame < 3; frame++) {
            uint8_t before = MachineByte(0x5800);
            RunFrames(1);
            EXPECT_EQ((uint8_t)(MachineByte(0x5800) - before), game->scrollStep);
        }
    }
    // The two backgrounds are different pictures.
    Start(Vuvovir);
    std::vector<uint8_t> stars;
    for (int row = 0; row < 32; row++)
        stars.push_back(BackgroundCode(0, row));
    Start(Sorvalen);
    std::vector<uint8_t> rocks;
    for (int row = 0; row < 32; row++)
        rocks.push_back(BackgroundCode(0, row));
    EXPECT_NE(stars, rocks);
}

TEST_F(DemoProgram, HeldKeysMoveTheShipOneColumnEveryFourFramesWithinTheScreen) {
    Start(Vuvovir);
    ASSERT_EQ(ColumnOf(ShipCode, ShipRow), 12);
    HoldKeys(DemoKeyLeft);
    RunFrames(9);
    EXPECT_EQ(ColumnOf(ShipCode, ShipRow), 9);
    RunFrames(80);
    EXPECT_EQ(ColumnOf(ShipCode, ShipRow), 0);
    ReleaseKeys(DemoKeyLeft);
    HoldKeys(DemoKeyRight);
    RunFrames(200);
    EXPECT_EQ(ColumnOf(ShipCode, ShipRow), 25);
    ReleaseKeys(DemoKeyRight);
    RunFrames(10);
    EXPECT_EQ(ColumnOf(ShipCode, ShipRow), 25);
    // Only one ship is ever drawn.
    int ships = 0;
    for (int column = 0; column < 26; column++)
        ships += ForegroundCode(column, ShipRow) == ShipCode;
    EXPECT_EQ(ships, 1);
}

TEST_F(DemoProgram, FireStartsTheShotSoundAndAShotRises) {
    Start(Sorvalen);
    TakeSounds();
    HoldKeys(DemoKeyFire);
    RunFrames(1);
    EXPECT_EQ(TakeSounds(), std::vector<int>{114});
    EXPECT_EQ(MachineByte(0x6000), 0x4F);
    EXPECT_EQ(ColumnOf(ShotCode, ShipRow - 1), 12);
    RunFrames(2);
    // Holding fire does not fire again; the shot rises a row a frame.
    EXPECT_TRUE(TakeSounds().empty());
    EXPECT_EQ(ForegroundCode(12, ShipRow - 3), ShotCode);
    EXPECT_EQ(ForegroundCode(12, ShipRow - 1), 0);
    ReleaseKeys(DemoKeyFire);
    RunFrames(10);
    // A second shot starts the sound again: the latch passes through 0.
    HoldKeys(DemoKeyFire);
    RunFrames(2);
    EXPECT_EQ(TakeSounds(), std::vector<int>{114});
    ReleaseKeys(DemoKeyFire);
}

TEST_F(DemoProgram, BarrierShowsOverTheShipWithItsSound) {
    Start(Vuvovir);
    TakeSounds();
    HoldKeys(DemoKeyBarrier);
    RunFrames(2);
    EXPECT_EQ(TakeSounds(), std::vector<int>{128});
    EXPECT_EQ(ForegroundCode(12, ShipRow - 1), BarrierCode);
    ReleaseKeys(DemoKeyBarrier);
    RunFrames(130);
    EXPECT_EQ(ForegroundCode(12, ShipRow - 1), 0);
}

TEST_F(DemoProgram, CoinAndStartBeginAGameWithTheLivesOfTheSwitches) {
    Start(Vuvovir, 1, 0);
    TakeSounds();
    Press(DemoKeyStart1);
    EXPECT_EQ(ScreenText(7, 21, 11), "INSERT COIN") << "no credit, no game";
    Press(DemoKeyCoin);
    EXPECT_EQ(TakeSounds(), std::vector<int>{115});
    EXPECT_EQ(ScreenText(7, 21, 8), "CREDIT 1");
    EXPECT_EQ(ScreenText(7, 23, 11), "PUSH 1 OR 2");
    Press(DemoKeyStart2);
    EXPECT_EQ(TakeSounds(), std::vector<int>{112});
    EXPECT_EQ(ScreenText(9, 4, 7), "       ") << "the title is gone";
    EXPECT_EQ(ScreenText(1, 1, 6), "000000");
    EXPECT_EQ(LivesShown(), 4);
    EXPECT_GE(PlaceOf(EnemyCode), 0);
}

TEST_F(DemoProgram, HittingTheEnemyScoresAndExplodes) {
    Start(Sorvalen);
    StartPlaying();
    ShootTheEnemy();
    std::vector<int> sounds = TakeSounds();
    EXPECT_TRUE(Heard(sounds, 114));
    EXPECT_TRUE(Heard(sounds, 111));
    EXPECT_EQ(ScreenText(1, 1, 6), "000050");
    EXPECT_EQ(ScreenText(15, 1, 6), "000050") << "the best score follows the running one";
    ShootTheEnemy();
    EXPECT_EQ(ScreenText(1, 1, 6), "000100");
}

TEST_F(DemoProgram, SavedScoreTableIsRestoredAndShown) {
    const uint8_t saved[12] = {0x01, 0x23, 0x50, 0x00, 0x45, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x50};
    Start(Vuvovir, 0, 0, saved);
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(MachineByte((uint16_t)(ScoreTable + i)), saved[i]) << i;
    EXPECT_EQ(ScreenText(7, 9, 9), "1  012350");
    EXPECT_EQ(ScreenText(7, 11, 9), "2  004500");
    EXPECT_EQ(ScreenText(7, 15, 9), "4  000050");
    EXPECT_EQ(ScreenText(15, 1, 6), "012350");
}

TEST_F(DemoProgram, ScoreTableThatIsNotDecimalStartsEmpty) {
    const uint8_t garbage[12] = {0xFF, 0x12, 0x34, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00};
    Start(Vuvovir, 0, 0, garbage);
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(MachineByte((uint16_t)(ScoreTable + i)), 0) << i;
    EXPECT_EQ(ScreenText(7, 9, 9), "1  000000");
}

TEST_F(DemoProgram, LostLivesEndTheGameAndTheScoreGoesIntoTheTable) {
    const uint8_t saved[12] = {0x00, 0x10, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00};
    Start(Sorvalen, 0, 0, saved);
    StartPlaying();
    ShootTheEnemy();
    ShootTheEnemy();
    ASSERT_EQ(ScreenText(1, 1, 6), "000100");
    TakeSounds();
    // Three enemies land unhindered.
    int lost = 0;
    for (int frame = 0; frame < 3000 && ScreenText(8, 14, 9) != "GAME OVER"; frame += 10) {
        RunFrames(10);
        std::vector<int> sounds = TakeSounds();
        lost += (int)std::count(sounds.begin(), sounds.end(), 113);
    }
    EXPECT_EQ(lost, 3);
    ASSERT_EQ(ScreenText(8, 14, 9), "GAME OVER");
    const uint8_t expected[12] = {0x00, 0x10, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x20};
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(MachineByte((uint16_t)(ScoreTable + i)), expected[i]) << i;
    RunFrames(200);
    EXPECT_EQ(ScreenText(7, 11, 9), "2  000100");
    EXPECT_EQ(ScreenText(8, 7, 11), "HIGH SCORES");
}

TEST_F(DemoProgram, TheBonusScoreOfTheSwitchesGivesOneExtraLife) {
    Start(Vuvovir, 3, 0);
    StartPlaying();
    ASSERT_EQ(LivesShown(), 6);
    int lives = 6, bonuses = 0;
    for (int attempt = 0; attempt < 150 && ScreenText(1, 1, 6) < "003500"; attempt++) {
        ShootTheEnemy();
        std::vector<int> sounds = TakeSounds();
        lives -= (int)std::count(sounds.begin(), sounds.end(), 113);
        if (Heard(sounds, 112)) {
            bonuses++;
            lives++;
            EXPECT_EQ(ScreenText(1, 1, 6), "003000") << "the life comes with the bonus score";
        }
        ASSERT_EQ(LivesShown(), lives);
        ASSERT_GT(lives, 0);
    }
    EXPECT_EQ(ScreenText(1, 1, 6), "003500");
    EXPECT_EQ(bonuses, 1);
}

TEST_F(DemoProgram, ThePictureShowsTitleAndShipUprightInTheirColours) {
    Start(Vuvovir);
    for (int frame = 0; frame < 200; frame++) {
        if (BackgroundBlankUnder(9, 4) && BackgroundBlankUnder(12, ShipRow))
            break;
        RunFrames(1);
    }
    ASSERT_TRUE(BackgroundBlankUnder(9, 4) && BackgroundBlankUnder(12, ShipRow));
    const uint32_t black = 0, magenta = 0xFF00FF, purple = 0x800080, yellow = 0xFFFF00;
    EXPECT_EQ(PictureCell(9, 4, {black, 0x1, 0x2, yellow}), LetterV);
    EXPECT_EQ(PictureCell(12, ShipRow, {black, magenta, purple, yellow}), VuvovirShip);
}
