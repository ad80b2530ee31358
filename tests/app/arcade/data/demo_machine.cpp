#include "demo_machine.h"

#include <string.h>

#include "arcade_core.h"

namespace {

struct {
    std::vector<int> sounds;
    std::vector<uint32_t> surface;
} Demo;

void RecordSound(int waveId) { Demo.sounds.push_back(waveId); }
void ComposeFrame() { ArcadeComposeFrame(Demo.surface.data()); }

const struct {
    uint8_t inputBit;
    int keyCode;
} Keys[] = {
    {DemoKeyCoin, ArcadeKeyCoin},   {DemoKeyStart1, ArcadeKeyStart1}, {DemoKeyStart2, ArcadeKeyStart2},
    {DemoKeyFire, ArcadeKeyFire},   {DemoKeyRight, ArcadeKeyRight},   {DemoKeyLeft, ArcadeKeyLeft},
    {DemoKeyBarrier, ArcadeKeyBarrier},
};

void SendKeys(uint8_t inputBits, uint8_t up) {
    for (const auto &key : Keys)
        if (inputBits & key.inputBit)
            ArcadeKey(key.keyCode, up);
}

} // namespace

void StartDemoMachine(const std::vector<uint8_t> &programRom, const std::vector<uint8_t> &charRom,
                      uint8_t lives, uint8_t bonus, const uint8_t savedScores[12]) {
    EndDemoMachine();
    Demo.sounds.clear();
    Demo.surface.assign(ArcadeSurfaceWidth * ArcadeSurfaceHeight, 0);
    Arcade.host = ArcadeHostCalls();
    Arcade.host.startSound = RecordSound;
    Arcade.host.renderFrame = ComposeFrame;
    memcpy(ArcadeKept.HiScoreTable, savedScores, sizeof ArcadeKept.HiScoreTable);
    ArcadeSetup setup = {0, 0, lives, bonus};
    if (ArcadeCoreInit(programRom.data(), programRom.size(), charRom.data(), charRom.size(), setup) != 0)
        return;
    ArcadeDrawTiles(Arcade.charRom, Demo.surface.data());
    ArcadeTakeBackgroundShadow();
    ArcadeSetOptions(0, 0, 1);
}

void EndDemoMachine() {
    ArcadeCoreEndRun();
    ArcadeCoreRelease();
}

void RunFrames(int count) { ArcadeCoreRunFrames(count); }
void HoldKeys(uint8_t inputBits) { SendKeys(inputBits, 0); }
void ReleaseKeys(uint8_t inputBits) { SendKeys(inputBits, 1); }

uint8_t MachineByte(uint16_t address) {
    return Arcade.memory ? Arcade.memory[address] : 0;
}

std::vector<int> TakeSounds() {
    std::vector<int> sounds;
    sounds.swap(Demo.sounds);
    return sounds;
}

uint32_t PicturePixel(int x, int y) {
    return Demo.surface[y * ArcadeSurfaceWidth + x];
}

uint8_t ForegroundCode(int column, int row) {
    return MachineByte((uint16_t)(0x4000 + 32 * (25 - column) + row));
}

uint8_t BackgroundCode(int column, int row) {
    return MachineByte((uint16_t)(0x4800 + 32 * (25 - column) + row));
}

std::string ScreenText(int column, int row, int count) {
    std::string text;
    for (int i = 0; i < count; i++) {
        uint8_t code = ForegroundCode(column + i, row);
        char c = '?';
        if (code == 0)
            c = ' ';
        else if ((code >= 0x30 && code <= 0x39) || (code >= 0xB0 && code <= 0xB9) ||
                 (code >= 0x10 && code <= 0x19))
            c = (char)('0' + (code & 0x0F));
        else if (code >= 0x41 && code <= 0x5A)
            c = (char)code;
        else if (code >= 0x61 && code <= 0x7A)
            c = (char)(code - 0x20);
        text += c;
    }
    return text;
}
