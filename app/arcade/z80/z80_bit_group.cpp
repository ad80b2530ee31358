// The CB group: rotates and shifts, BIT, RES and SET on a register or (HL).
#include "z80_internal.h"

void Z80ExecuteCbGroup(Z80Regs *regs) {
    uint8_t op = FetchByte(regs);
    regs->cycleBudget -= Z80CycleTableCB[op];
    int operand = op & 7;
    bool inMemory = operand == Z80OperandMemory;
    uint8_t value = inMemory ? ArcadeReadMem(regs->HL) : GetRegister(regs, operand, &regs->HL);
    uint8_t mask = (uint8_t)(1 << ((op >> 3) & 7));
    uint8_t result;
    switch (op >> 6) {
    case 0: result = Z80RotateShift(regs, op, value); break;
    case 1: Z80TestBit(regs, op, value); return;
    case 2: result = (uint8_t)(value & ~mask); break;
    default: result = (uint8_t)(value | mask); break;
    }
    if (inMemory)
        ArcadeWriteMem(regs->HL, result);
    else
        SetRegister(regs, operand, &regs->HL, result);
}
