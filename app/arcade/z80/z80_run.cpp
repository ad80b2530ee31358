// The frame of the core: the run loop with its cycle budget and hook,
// interrupt acceptance and reset.
#include <string.h>

#include "z80_internal.h"

namespace {

inline void ExecuteInstruction(Z80Regs *r) {
    uint8_t op = FetchByte(r);
    r->cycleBudget -= Z80CycleTable[op];
    Z80MainHandlers[op](r, op);
}

// Presents a code from the hook or a parked request; false means quit.
bool PresentCode(Z80Regs *regs, uint16_t code) {
    if (code == Z80VectorQuit)
        return false;
    if (code != Z80VectorNone)
        Z80TakeInterrupt(regs, code);
    return true;
}

} // namespace

uint16_t Z80StepOne(Z80Regs *regs) {
    ExecuteInstruction(regs);
    return regs->PC;
}

// The hook is called between instructions only, once per slice. A slice that
// overran is not carried over: the next one starts at the full period.
uint16_t Z80RunUntilQuit(Z80Regs *regs) {
    for (;;) {
        ExecuteInstruction(regs);
        if (regs->cycleBudget > 0)
            continue;
        if (regs->interruptState & Z80EiPending) {
            // The slice goes on from where EI parked it, less what the
            // instruction after EI spent beyond the one cycle it was given.
            // When that spends the slice, the hook follows at once: the
            // instruction after a parked request may be another EI, and the
            // hook must never wait on the program.
            regs->interruptState &= (uint8_t)~Z80EiPending;
            regs->cycleBudget = regs->budgetBeforeEi + regs->cycleBudget - 1;
            if (!PresentCode(regs, regs->pendingVector))
                return regs->PC;
            if (regs->cycleBudget > 0)
                continue;
        }
        uint16_t code = ArcadeFrameHook(regs);
        regs->cycleBudget = regs->hookPeriod;
        if (!PresentCode(regs, code))
            return regs->PC;
    }
}

void Z80TakeInterrupt(Z80Regs *regs, uint16_t code) {
    uint8_t state = regs->interruptState;
    if (!(state & Z80Iff1) && code != Z80VectorNmi)
        return;
    state &= (uint8_t)~(Z80Iff1 | Z80EiPending | Z80Iff1AtInterrupt);
    if (regs->interruptState & Z80Iff1)
        state |= Z80Iff1AtInterrupt;
    if (state & Z80Halted) {
        state &= (uint8_t)~Z80Halted;
        regs->PC++;
    }
    regs->interruptState = state;
    PushWord(regs, regs->PC);
    if (code == Z80VectorNmi)
        regs->PC = Z80VectorNmi;
    else if (state & Z80Mode2)
        regs->PC = ReadWord((uint16_t)(regs->I << 8 | (code & 0xFF)));
    else if (state & Z80Mode1)
        regs->PC = 0x0038;
    else
        regs->PC = code;
}

void Z80ResetRegisters(Z80Regs *regs) {
    regs->AF = regs->BC = regs->DE = regs->HL = 0;
    regs->IX = regs->IY = regs->PC = 0;
    regs->AFAlt = regs->BCAlt = regs->DEAlt = regs->HLAlt = 0;
    regs->SP = Z80ResetStack;
    regs->interruptState = 0;
    regs->I = 0;
    regs->cycleBudget = regs->hookPeriod;
    regs->pendingVector = Z80VectorNone;
}

void Z80ClearRegisters(Z80Regs *regs) {
    memset(regs, 0, sizeof *regs);
    regs->pendingVector = Z80VectorNone;
}
