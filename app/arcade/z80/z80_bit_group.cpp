// The CB group: rotates and shifts, BIT, RES and SET on a register or (HL).
#include "z80_internal.h"

void Z80ExecuteCbGroup(Z80Regs *regs) {
    uint8_t op = FetchByte(regs);
    regs->cycleBudget -= Z80CycleTableCB[op];
    int operand = op & 7;
    uint8_t result;
    if (Z80BitOperation(regs, op, ReadOperand(regs, operand), &result))
        WriteOperand(regs, operand, result);
}
