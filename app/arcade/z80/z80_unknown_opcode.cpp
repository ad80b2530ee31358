#include "z80_unknown_opcode.h"

#include <stdio.h>

#include "z80.h"
#include "z80_machine.h"

namespace {

uint8_t ByteAfter(uint16_t address, int offset) { return ArcadeReadMem((uint16_t)(address + offset)); }

} // namespace

void ReportUnknownEdCode(const Z80Regs *regs, uint16_t prefixAddress) {
    if (!regs->reportUnknownOpcodes)
        return;
    printf("[Z80 %lX] Unrecognized instruction: ED %02X at PC=%04X\n", (unsigned long)regs->userTag,
           ByteAfter(prefixAddress, 1), prefixAddress);
}

void ReportUnknownIndexCode(const Z80Regs *regs, uint16_t prefixAddress, bool isIy) {
    if (isIy) {
        printf("Unrecognized instruction: FD %02X at PC=%04X\n", ByteAfter(prefixAddress, 1), prefixAddress);
        return;
    }
    if (!regs->reportUnknownOpcodes)
        return;
    printf("[Z80 %lX] Unrecognized instruction: DD %02X at PC=%04X\n", (unsigned long)regs->userTag,
           ByteAfter(prefixAddress, 1), prefixAddress);
}

void ReportUnknownIndexBitCode(const Z80Regs *regs, uint16_t prefixAddress, bool isIy) {
    if (!regs->reportUnknownOpcodes)
        return;
    printf("[Z80 %lX] Unrecognized instruction: %s CB %02X %02X at PC=%04X\n", (unsigned long)regs->userTag,
           isIy ? "FD" : "DD", ByteAfter(prefixAddress, 2), ByteAfter(prefixAddress, 3), prefixAddress);
}
