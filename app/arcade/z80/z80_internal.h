// Helpers shared by the instruction handlers of the Z80 core. Not for the
// machine: it sees only z80.h.
#pragma once
#include <stdint.h>

#include <array>

#include "z80.h"
#include "z80_machine.h"
#include "z80_tables.h"

// Handlers are entered with the opcode already fetched and its table cost
// already charged.
typedef void (*Z80Handler)(Z80Regs *regs, uint8_t op);
extern const std::array<Z80Handler, 256> Z80MainHandlers;

// Operand numbers in opcodes: 0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 6 memory, 7 A.
enum { Z80OperandMemory = 6, Z80OperandA = 7 };

inline uint8_t GetA(const Z80Regs *r) { return (uint8_t)(r->AF >> 8); }
inline uint8_t GetF(const Z80Regs *r) { return (uint8_t)r->AF; }
inline void SetA(Z80Regs *r, uint8_t value) { r->AF = (uint16_t)(value << 8 | (r->AF & 0xFF)); }
inline void SetF(Z80Regs *r, int value) { r->AF = (uint16_t)((r->AF & 0xFF00) | (value & 0xFF)); }
inline uint8_t HighByte(uint16_t value) { return (uint8_t)(value >> 8); }
inline uint8_t LowByte(uint16_t value) { return (uint8_t)value; }
inline uint16_t SetHighByte(uint16_t pair, uint8_t value) { return (uint16_t)(value << 8 | (pair & 0xFF)); }
inline uint16_t SetLowByte(uint16_t pair, uint8_t value) { return (uint16_t)((pair & 0xFF00) | value); }

// hl names the pair that plays H and L: HL itself, or IX or IY for the
// undocumented half-register forms. Operand 6 is not a register.
inline uint8_t GetRegister(const Z80Regs *r, int operand, const uint16_t *hl) {
    switch (operand) {
    case 0: return HighByte(r->BC);
    case 1: return LowByte(r->BC);
    case 2: return HighByte(r->DE);
    case 3: return LowByte(r->DE);
    case 4: return HighByte(*hl);
    case 5: return LowByte(*hl);
    case 7: return GetA(r);
    }
    return 0;
}

inline void SetRegister(Z80Regs *r, int operand, uint16_t *hl, uint8_t value) {
    switch (operand) {
    case 0: r->BC = SetHighByte(r->BC, value); break;
    case 1: r->BC = SetLowByte(r->BC, value); break;
    case 2: r->DE = SetHighByte(r->DE, value); break;
    case 3: r->DE = SetLowByte(r->DE, value); break;
    case 4: *hl = SetHighByte(*hl, value); break;
    case 5: *hl = SetLowByte(*hl, value); break;
    case 7: SetA(r, value); break;
    }
}

// An operand of the unprefixed and CB forms: a register, or the byte at HL.
inline uint8_t ReadOperand(Z80Regs *r, int operand) {
    if (operand == Z80OperandMemory)
        return ArcadeReadMem(r->HL);
    return GetRegister(r, operand, &r->HL);
}

inline void WriteOperand(Z80Regs *r, int operand, uint8_t value) {
    if (operand == Z80OperandMemory)
        ArcadeWriteMem(r->HL, value);
    else
        SetRegister(r, operand, &r->HL, value);
}

// Register pairs in bits 4-5 of an opcode: BC, DE, HL (or the index
// register), SP.
inline uint16_t *PairForLoad(Z80Regs *r, uint8_t op, uint16_t *hl) {
    switch ((op >> 4) & 3) {
    case 0: return &r->BC;
    case 1: return &r->DE;
    case 2: return hl;
    }
    return &r->SP;
}

// PUSH and POP name AF where the others name SP.
inline uint16_t *PairForStack(Z80Regs *r, uint8_t op, uint16_t *hl) {
    switch ((op >> 4) & 3) {
    case 0: return &r->BC;
    case 1: return &r->DE;
    case 2: return hl;
    }
    return &r->AF;
}

inline uint8_t FetchByte(Z80Regs *r) { return ArcadeReadMem(r->PC++); }

inline uint16_t FetchWord(Z80Regs *r) {
    uint8_t low = FetchByte(r);
    return (uint16_t)(FetchByte(r) << 8 | low);
}

inline uint16_t ReadWord(uint16_t address) {
    uint8_t low = ArcadeReadMem(address);
    return (uint16_t)(ArcadeReadMem((uint16_t)(address + 1)) << 8 | low);
}

inline void WriteWord(uint16_t address, uint16_t value) {
    ArcadeWriteMem(address, LowByte(value));
    ArcadeWriteMem((uint16_t)(address + 1), HighByte(value));
}

// High byte first, as the chip's bus does: memory-mapped hardware may see it.
inline void PushWord(Z80Regs *r, uint16_t value) {
    ArcadeWriteMem(--r->SP, HighByte(value));
    ArcadeWriteMem(--r->SP, LowByte(value));
}

inline uint16_t PopWord(Z80Regs *r) {
    uint8_t low = ArcadeReadMem(r->SP++);
    return (uint16_t)(ArcadeReadMem(r->SP++) << 8 | low);
}

// (IX+d): the displacement byte is signed.
inline uint16_t FetchIndexedAddress(Z80Regs *r, uint16_t index) {
    return (uint16_t)(index + (int8_t)FetchByte(r));
}

// cc in bits 3-5: NZ, Z, NC, C, PO, PE, P, M.
inline bool ConditionHolds(const Z80Regs *r, uint8_t op) {
    static const uint8_t kFlag[4] = {Z80FlagZ, Z80FlagC, Z80FlagPV, Z80FlagS};
    int cc = (op >> 3) & 7;
    bool set = (GetF(r) & kFlag[cc >> 1]) != 0;
    return (cc & 1) ? set : !set;
}

// JR NZ, Z, NC, C (20, 28, 30, 38) use the first four conditions.
inline uint8_t JumpRelativeCondition(uint8_t op) { return (uint8_t)(op - 0x20); }

// 8-bit arithmetic and logic; the operation is in bits 3-5 of the opcode:
// ADD, ADC, SUB, SBC, AND, XOR, OR, CP.
void Z80Arithmetic(Z80Regs *r, uint8_t op, uint8_t operand);
uint8_t Z80Increment(Z80Regs *r, uint8_t value);
uint8_t Z80Decrement(Z80Regs *r, uint8_t value);
uint16_t Z80AddWord(Z80Regs *r, uint16_t left, uint16_t right);
// The CB group's rotates and shifts, kind in bits 3-5 of the opcode.
uint8_t Z80RotateShift(Z80Regs *r, uint8_t op, uint8_t value);
void Z80TestBit(Z80Regs *r, uint8_t op, uint8_t value);
// The CB group's operation on a value: rotate or shift, BIT, RES, SET.
// Returns false for BIT, which writes nothing back.
bool Z80BitOperation(Z80Regs *r, uint8_t op, uint8_t value, uint8_t *result);
// EX (SP),HL and its index forms, in the chip's order of accesses.
void Z80ExchangeStackTop(Z80Regs *r, uint16_t *pair);

// Branches shared by the plain and the index-prefixed forms, which charge
// nothing extra when taken.
void Z80JumpRelativeIf(Z80Regs *r, bool taken, int takenExtra);
void Z80DecrementJumpNotZero(Z80Regs *r, int takenExtra);
void Z80CallIf(Z80Regs *r, bool taken, int takenExtra);
void Z80ReturnIf(Z80Regs *r, bool taken, int takenExtra);
void Z80Halt(Z80Regs *r);
