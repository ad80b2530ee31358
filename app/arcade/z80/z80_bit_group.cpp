// The CB group: rotates and shifts, BIT, RES and SET on a register or (HL).
#include "z80_internal.h"

void Z80ExecuteCbGroup(Z80Regs *regs) {
    uint8_t op = FetchByte(regs);
    regs->cycleBudget -= Z80CycleTableCB[op];
    int operand = op & 7;
    bool inMemory = operand == Z80OperandMemory;
    uint8_t value = inMemory ? ArcadeReadMem(regs->HL) : GetRegister(regs, operand, &regs->HL);
    uint8_t result;
    if (!Z80BitOperation(regs, op, value, &result))
        return;
    if (inMemory)
        ArcadeWriteMem(regs->HL, result);
    else
        SetRegister(regs, operand, &regs->HL, result);
}
