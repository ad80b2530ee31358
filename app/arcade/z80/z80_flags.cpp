// Flag arithmetic shared by the plain and the prefixed instructions. Results
// are worked out on widened values; S, Z and parity come from the tables.
#include "z80_internal.h"

namespace {

const int kKeptByWordAdd = Z80FlagS | Z80FlagZ | Z80FlagPV | Z80FlagBit3 | Z80FlagBit5;
const int kKeptByBitTest = Z80FlagS | Z80FlagPV | Z80FlagC | Z80FlagBit3 | Z80FlagBit5;

// Overflow of a + b = sum: both operands of one sign, the result of the other.
int AddOverflow(int a, int b, int sum) { return ((a ^ ~b) & (a ^ sum) & 0x80) >> 5; }
// Overflow of a - b = difference: operands of different signs, and the
// result's sign differs from a's.
int SubtractOverflow(int a, int b, int difference) { return ((a ^ b) & (a ^ difference) & 0x80) >> 5; }

} // namespace

void Z80Arithmetic(Z80Regs *r, uint8_t op, uint8_t operand) {
    int a = GetA(r);
    int carryIn = GetF(r) & Z80FlagC;
    int kind = (op >> 3) & 7;
    switch (kind) {
    case 0:   // ADD
    case 1: { // ADC
        int sum = a + operand + (kind == 1 ? carryIn : 0);
        uint8_t result = (uint8_t)sum;
        SetA(r, result);
        SetF(r, Z80SignZeroFlags[result] | ((a ^ operand ^ sum) & Z80FlagH) | ((sum & 0x100) >> 8) |
                    AddOverflow(a, operand, sum));
        return;
    }
    case 2:   // SUB
    case 3:   // SBC
    case 7: { // CP
        int difference = a - operand - (kind == 3 ? carryIn : 0);
        uint8_t result = (uint8_t)difference;
        if (kind != 7)
            SetA(r, result);
        SetF(r, Z80SignZeroFlags[result] | ((a ^ operand ^ difference) & Z80FlagH) |
                    ((difference & 0x100) >> 8) | SubtractOverflow(a, operand, difference) | Z80FlagN);
        return;
    }
    case 4: {
        uint8_t result = (uint8_t)(a & operand);
        SetA(r, result);
        SetF(r, Z80SignZeroParityFlags[result] | Z80FlagH);
        return;
    }
    case 5: {
        uint8_t result = (uint8_t)(a ^ operand);
        SetA(r, result);
        SetF(r, Z80SignZeroParityFlags[result]);
        return;
    }
    case 6: {
        uint8_t result = (uint8_t)(a | operand);
        SetA(r, result);
        SetF(r, Z80SignZeroParityFlags[result]);
        return;
    }
    }
}

uint8_t Z80Increment(Z80Regs *r, uint8_t value) {
    uint8_t result = (uint8_t)(value + 1);
    int f = Z80SignZeroFlags[result] | (GetF(r) & Z80FlagC);
    if ((result & 0x0F) == 0)
        f |= Z80FlagH;
    if (result == 0x80)
        f |= Z80FlagPV;
    SetF(r, f);
    return result;
}

uint8_t Z80Decrement(Z80Regs *r, uint8_t value) {
    uint8_t result = (uint8_t)(value - 1);
    int f = Z80SignZeroFlags[result] | (GetF(r) & Z80FlagC) | Z80FlagN;
    if ((result & 0x0F) == 0x0F)
        f |= Z80FlagH;
    if (result == 0x7F)
        f |= Z80FlagPV;
    SetF(r, f);
    return result;
}

uint16_t Z80AddWord(Z80Regs *r, uint16_t left, uint16_t right) {
    int sum = left + right;
    SetF(r, (GetF(r) & kKeptByWordAdd) | (((left ^ right ^ sum) >> 8) & Z80FlagH) | ((sum >> 16) & Z80FlagC));
    return (uint16_t)sum;
}

uint8_t Z80RotateShift(Z80Regs *r, uint8_t op, uint8_t value) {
    int carryIn = GetF(r) & Z80FlagC;
    int carryOut;
    int result;
    switch ((op >> 3) & 7) {
    case 0: carryOut = value >> 7; result = value << 1 | carryOut; break;          // RLC
    case 1: carryOut = value & 1; result = value >> 1 | carryOut << 7; break;      // RRC
    case 2: carryOut = value >> 7; result = value << 1 | carryIn; break;           // RL
    case 3: carryOut = value & 1; result = value >> 1 | carryIn << 7; break;       // RR
    case 4: carryOut = value >> 7; result = value << 1; break;                     // SLA
    case 5: carryOut = value & 1; result = value >> 1 | (value & 0x80); break;     // SRA
    case 6: carryOut = value >> 7; result = value << 1 | 1; break;                 // SLL
    default: carryOut = value & 1; result = value >> 1; break;                     // SRL
    }
    uint8_t byte = (uint8_t)result;
    SetF(r, Z80SignZeroParityFlags[byte] | carryOut);
    return byte;
}

void Z80TestBit(Z80Regs *r, uint8_t op, uint8_t value) {
    int f = (GetF(r) & kKeptByBitTest) | Z80FlagH;
    if (!(value & (1 << ((op >> 3) & 7))))
        f |= Z80FlagZ;
    SetF(r, f);
}

bool Z80BitOperation(Z80Regs *r, uint8_t op, uint8_t value, uint8_t *result) {
    uint8_t mask = (uint8_t)(1 << ((op >> 3) & 7));
    switch (op >> 6) {
    case 0: *result = Z80RotateShift(r, op, value); return true;
    case 1: Z80TestBit(r, op, value); return false;
    case 2: *result = (uint8_t)(value & ~mask); return true;
    }
    *result = (uint8_t)(value | mask);
    return true;
}
