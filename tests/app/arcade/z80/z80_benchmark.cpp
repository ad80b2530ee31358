// Emulated speed of the core on a mixed instruction loop, against the
// arcade machine's own pace: a frame of 51166 T-states every 14 ms.
#include <stdio.h>
#include <string.h>

#include <chrono>

#include "z80.h"
#include "z80_machine.h"

namespace {

uint8_t Memory[65536];
int FramesLeft;

const int kFrameCycles = 51166;
const double kArcadeMHz = kFrameCycles / 14000.0;
const int kFrames = 2000;

// A loop of loads, arithmetic, stack work, calls, bit tests, indexed
// accesses and a short block copy, as a game's main loop mixes them.
const uint8_t kProgram[] = {
    0x21, 0x00, 0x40,       // 0100 LD HL,0x4000
    0x11, 0x00, 0x50,       // 0103 LD DE,0x5000
    0xDD, 0x21, 0x00, 0x60, // 0106 LD IX,0x6000
    0x06, 0x40,             // 010A LD B,64
    0x7E,                   // 010C loop: LD A,(HL)
    0x80,                   // 010D ADD A,B
    0x12,                   // 010E LD (DE),A
    0x23,                   // 010F INC HL
    0x13,                   // 0110 INC DE
    0xDD, 0x77, 0x05,       // 0111 LD (IX+5),A
    0xDD, 0x7E, 0x03,       // 0114 LD A,(IX+3)
    0xCB, 0x47,             // 0117 BIT 0,A
    0x28, 0x01,             // 0119 JR Z,skip
    0x3C,                   // 011B INC A
    0xC5,                   // 011C skip: PUSH BC
    0xCD, 0x30, 0x01,       // 011D CALL sub
    0xC1,                   // 0120 POP BC
    0x10, 0xE9,             // 0121 DJNZ loop
    0x01, 0x10, 0x00,       // 0123 LD BC,16
    0xED, 0xB0,             // 0126 LDIR
    0xC3, 0x00, 0x01,       // 0128 JP 0x0100
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xE6, 0x0F,             // 0130 sub: AND 0x0F
    0x47,                   // 0132 LD B,A
    0x87,                   // 0133 ADD A,A
    0xA8,                   // 0134 XOR B
    0xC9,                   // 0135 RET
};

} // namespace

uint8_t ArcadeReadMem(uint16_t address) { return Memory[address]; }
void ArcadeWriteMem(uint16_t address, uint8_t value) { Memory[address] = value; }
uint8_t ArcadeInPort(uint16_t) { return 0; }
void ArcadeOutPort(uint16_t, uint8_t) {}
void ArcadePatch(Z80Regs *) {}
uint16_t ArcadeFrameHook(Z80Regs *) { return --FramesLeft > 0 ? Z80VectorNone : Z80VectorQuit; }

int main() {
    memcpy(Memory + 0x100, kProgram, sizeof kProgram);
    Z80Regs regs;
    Z80ClearRegisters(&regs);
    regs.hookPeriod = kFrameCycles;
    Z80ResetRegisters(&regs);
    regs.PC = 0x100;
    FramesLeft = kFrames;
    auto start = std::chrono::steady_clock::now();
    Z80RunUntilQuit(&regs);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double mhz = (double)kFrames * kFrameCycles / seconds / 1e6;
    printf("Z80 core: %.0f emulated MHz, %.1f times the arcade machine's %.2f MHz (target 300 MHz)\n", mhz,
           mhz / kArcadeMHz, kArcadeMHz);
    // Slower than the machine itself would make the game unplayable.
    return mhz > kArcadeMHz ? 0 : 1;
}
