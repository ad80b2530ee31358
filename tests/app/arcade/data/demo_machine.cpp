#include "demo_machine.h"

#include <string.h>

#include "z80.h"
#include "z80_machine.h"

namespace {

const int32_t FramePeriod = 51166;

struct {
    uint8_t memory[65536];
    uint8_t lives, bonus;
    bool verticalBlank;
    int restoreCount;
    uint8_t savedScores[12];
    std::vector<int> sounds;
    int framesLeft;
    Z80Regs regs;
} Demo;

bool InRange(uint16_t address, uint16_t first, uint16_t last) {
    return address >= first && address <= last;
}

} // namespace

void StartDemoMachine(const std::vector<uint8_t> &programRom, uint8_t lives, uint8_t bonus,
                      const uint8_t savedScores[12]) {
    memset(Demo.memory, 0, sizeof Demo.memory);
    memcpy(Demo.memory, programRom.data(), programRom.size() < 0x4000 ? programRom.size() : 0x4000);
    Demo.memory[0x7000] = 0xFF;
    Demo.lives = lives;
    Demo.bonus = bonus;
    Demo.verticalBlank = false;
    Demo.restoreCount = 36;
    memcpy(Demo.savedScores, savedScores, 12);
    Demo.sounds.clear();
    Z80ClearRegisters(&Demo.regs);
    Demo.regs.hookPeriod = FramePeriod;
    Demo.regs.cycleBudget = FramePeriod;
}

void RunFrames(int count) {
    if (count <= 0)
        return;
    Demo.framesLeft = count;
    Z80RunUntilQuit(&Demo.regs);
}

void HoldKeys(uint8_t mask) { Demo.memory[0x7000] &= (uint8_t)~mask; }
void ReleaseKeys(uint8_t mask) { Demo.memory[0x7000] |= mask; }
uint8_t MachineByte(uint16_t address) { return Demo.memory[address]; }

std::vector<int> TakeSounds() {
    std::vector<int> sounds;
    sounds.swap(Demo.sounds);
    return sounds;
}

uint8_t ForegroundCode(int column, int row) {
    return Demo.memory[0x4000 + 32 * (25 - column) + row];
}

uint8_t BackgroundCode(int column, int row) {
    return Demo.memory[0x4800 + 32 * (25 - column) + row];
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

uint8_t ArcadeReadMem(uint16_t address) {
    if (InRange(address, 0x7800, 0x7BFF)) {
        uint8_t value = (uint8_t)(Demo.lives + Demo.bonus * 4 + (Demo.verticalBlank ? 0x80 : 0));
        Demo.verticalBlank = false;
        return value;
    }
    if (InRange(address, 0x7000, 0x73FF))
        return Demo.memory[0x7000];
    return Demo.memory[address];
}

void ArcadeWriteMem(uint16_t address, uint8_t value) {
    if (InRange(address, 0x6000, 0x63FF)) {
        if (Demo.memory[address] != value) {
            Demo.memory[address] = value;
            bool fireHeld = !(Demo.memory[0x7000] & DemoKeyFire);
            if (value == 0x8F)
                Demo.sounds.push_back(112);
            if (fireHeld && (value == 0x4F || (value >= 0x66 && value <= 0x6A)))
                Demo.sounds.push_back(114);
            if (value == 0x0C)
                Demo.sounds.push_back(128);
            else if (value == 0x50)
                Demo.sounds.push_back(111);
        }
        return;
    }
    if (InRange(address, 0x6800, 0x6BFF)) {
        if (Demo.memory[address] != value) {
            Demo.memory[address] = value;
            if (value == 0x0C)
                Demo.sounds.push_back(115);
            else if (value == 0x02)
                Demo.sounds.push_back(113);
        }
        return;
    }
    if (InRange(address, 0x4380, 0x438B) && Demo.restoreCount > 0) {
        Demo.restoreCount--;
        Demo.memory[address] = Demo.savedScores[address - 0x4380];
        return;
    }
    if (address >= 0x4000)
        Demo.memory[address] = value;
}

uint8_t ArcadeInPort(uint16_t) { return 0; }
void ArcadeOutPort(uint16_t, uint8_t) {}
void ArcadePatch(Z80Regs *) {}

uint16_t ArcadeFrameHook(Z80Regs *) {
    Demo.verticalBlank = true;
    return --Demo.framesLeft > 0 ? Z80VectorNone : Z80VectorQuit;
}
