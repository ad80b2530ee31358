// The Z80 interpreter: register file, run loop, interrupts and single steps.
// The core reaches the machine only through the functions of z80_machine.h.
#pragma once
#include <stdint.h>

struct Z80Regs {
    uint16_t AF, BC, DE, HL, IX, IY, PC, SP;
    uint16_t AFAlt, BCAlt, DEAlt, HLAlt;
    uint8_t interruptState;
    uint8_t I;
    uint8_t R;                       // held for the owner; the core neither reads nor writes it
    int32_t hookPeriod;              // cycles between two calls of ArcadeFrameHook
    int32_t cycleBudget;             // cycles left in the current slice, counting down
    int32_t budgetBeforeEi;          // the slice's real budget while an EI holds it at 1
    uint16_t pendingVector;          // request presented after EI; Z80VectorNone when there is none
    uint32_t userTag;                // shown in the reports of undefined codes
    uint8_t reportUnknownOpcodes;    // non-zero: print a line for each undefined code
};

// Bits of interruptState.
enum : uint8_t {
    Z80Iff1 = 0x01,
    Z80Mode1 = 0x02,
    Z80Mode2 = 0x04,
    Z80EiPending = 0x20,
    Z80Iff1AtInterrupt = 0x40,
    Z80Halted = 0x80
};

// Codes between the frame hook, the run loop and Z80TakeInterrupt. Any other
// code is a maskable interrupt with that vector.
enum : uint16_t {
    Z80VectorNone = 0xFFFF,
    Z80VectorQuit = 0xFFFE,
    Z80VectorNmi = 0x0066
};

// Flag bits of F. Bits 3 and 5 are never computed, except by DAA.
enum : uint8_t {
    Z80FlagC = 0x01,
    Z80FlagN = 0x02,
    Z80FlagPV = 0x04,
    Z80FlagBit3 = 0x08,
    Z80FlagH = 0x10,
    Z80FlagBit5 = 0x20,
    Z80FlagZ = 0x40,
    Z80FlagS = 0x80
};

// Stack pointer after Z80ResetRegisters.
const uint16_t Z80ResetStack = 0xF000;

// Runs until ArcadeFrameHook returns Z80VectorQuit; returns PC at that moment.
uint16_t Z80RunUntilQuit(Z80Regs *regs);
// Reset state: registers 0, SP 0xF000, budget = hookPeriod, nothing pending.
// R, budgetBeforeEi, userTag and reportUnknownOpcodes keep their values.
void Z80ResetRegisters(Z80Regs *regs);
// Clears the whole record for a new machine. A zeroed record would hold a
// pending mode 0 request for address 0, taken after the first EI; this one
// holds none.
void Z80ClearRegisters(Z80Regs *regs);
// Accepts or ignores one interrupt (a vector, or Z80VectorNmi).
void Z80TakeInterrupt(Z80Regs *regs, uint16_t code);
// Executes one whole instruction, prefixes included, and charges its cycles
// without testing the budget; returns the new PC.
uint16_t Z80StepOne(Z80Regs *regs);

// The prefixed groups, entered with PC past the prefix byte.
void Z80ExecuteCbGroup(Z80Regs *regs);
void Z80ExecuteEdGroup(Z80Regs *regs);
void Z80ExecuteIxGroup(Z80Regs *regs);
void Z80ExecuteIyGroup(Z80Regs *regs);
