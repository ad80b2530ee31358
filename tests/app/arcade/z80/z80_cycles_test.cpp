// T-state counts: every entry of the five tables against the counts of the
// documentation, written here by instruction family, and what each
// instruction really charges when run, taken and not taken.
#include <gtest/gtest.h>
#include <string.h>

#include "test_machine.h"
#include "z80_tables.h"

namespace {

bool IsPrefix(int op) { return op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD; }

int DocumentedCycles(int op) {
    int low = op & 7, middle = (op >> 3) & 7;
    if (op == 0x76)
        return 4; // HALT
    if (op >= 0x40 && op < 0x80)
        return low == 6 || middle == 6 ? 7 : 4; // LD r,r' / LD r,(HL) / LD (HL),r
    if (op >= 0x80 && op < 0xC0)
        return low == 6 ? 7 : 4; // arithmetic on r / (HL)
    if (op < 0x40) {
        if (low == 4 || low == 5)
            return middle == 6 ? 11 : 4; // INC/DEC r, (HL)
        if (low == 6)
            return middle == 6 ? 10 : 7; // LD r,n / LD (HL),n
        switch (op & 0x0F) {
        case 0x01: return 10; // LD rr,nn
        case 0x03: return 6;  // INC rr
        case 0x09: return 11; // ADD HL,rr
        case 0x0B: return 6;  // DEC rr
        }
        switch (op) {
        case 0x02: case 0x12: case 0x0A: case 0x1A: return 7;
        case 0x10: return 8;  // DJNZ not taken
        case 0x18: return 12; // JR
        case 0x20: case 0x28: case 0x30: case 0x38: return 7; // JR cc not taken
        case 0x22: case 0x2A: return 16;
        case 0x32: case 0x3A: return 13;
        }
        return 4; // NOP, EX AF,AF', the accumulator rotates, DAA, CPL, SCF, CCF
    }
    switch (low) {
    case 0: return 5;  // RET cc not taken
    case 2: return 10; // JP cc
    case 4: return 10; // CALL cc not taken
    case 6: return 7;  // arithmetic with n
    case 7: return 11; // RST
    }
    if ((op & 0xCF) == 0xC1)
        return 10; // POP
    if ((op & 0xCF) == 0xC5)
        return 11; // PUSH
    switch (op) {
    case 0xC3: case 0xC9: return 10;
    case 0xCD: return 17;
    case 0xD3: case 0xDB: return 11;
    case 0xE3: return 19;
    case 0xF9: return 6;
    case 0xCB: case 0xDD: case 0xED: case 0xFD: return 0;
    }
    return 4; // EXX, JP (HL), EX DE,HL, DI, EI
}

int DocumentedCbCycles(int op) {
    if ((op & 7) != 6)
        return 8;
    return op >= 0x40 && op < 0x80 ? 12 : 15;
}

int DocumentedEdCycles(int op) {
    if (op >= 0x40 && op < 0x80) {
        switch (op & 0x0F) {
        case 0x0: case 0x8: return 12;              // IN r,(C), IN F,(C)
        case 0x1: case 0x9: return op == 0x71 ? 0 : 12; // OUT (C),r
        case 0x2: case 0xA: return 15;              // SBC / ADC HL,rr
        case 0x3: case 0xB: return 20;              // LD (nn),rr / LD rr,(nn)
        }
        switch (op) {
        case 0x44: case 0x46: case 0x56: case 0x5E: return 8; // NEG, IM
        case 0x45: case 0x4D: return 14;                      // RETN, RETI
        case 0x47: case 0x4F: case 0x57: case 0x5F: return 9; // I and R loads
        case 0x67: case 0x6F: return 18;                      // RRD, RLD
        }
        return 0;
    }
    if ((op >= 0xA0 && op <= 0xA3) || (op >= 0xA8 && op <= 0xAB))
        return 16; // single block steps
    return 0;      // repeating forms charge per round; the rest are undefined
}

bool IsHalf(int operand) { return operand == 4 || operand == 5; }

int DocumentedIndexCycles(int op) {
    int to = (op >> 3) & 7, from = op & 7;
    switch (op) {
    case 0x09: case 0x19: case 0x29: case 0x39: return 15;
    case 0x21: return 14;
    case 0x22: case 0x2A: return 20;
    case 0x23: case 0x2B: return 10;
    case 0x24: case 0x25: case 0x26: case 0x2C: case 0x2D: case 0x2E: return 9;
    case 0x34: case 0x35: return 23;
    case 0x36: return 19;
    case 0x76: return 19;
    case 0xE1: return 14;
    case 0xE3: return 23;
    case 0xE5: return 15;
    case 0xE9: return 8;
    case 0xF9: return 10;
    }
    if (op >= 0x40 && op < 0x80) {
        if (to == 6 || from == 6)
            return 19;
        return IsHalf(to) || IsHalf(from) ? 9 : 0;
    }
    if (op >= 0x80 && op < 0xC0)
        return from == 6 ? 19 : IsHalf(from) ? 9 : 0;
    return 0;
}

int DocumentedIndexBitCycles(int op) {
    if (op >= 0x40 && op < 0x80)
        return 20;
    return (op & 7) == 6 ? 23 : 0;
}

TEST(CycleTables, EveryEntryMatchesTheDocumentedCount) {
    for (int op = 0; op < 256; op++) {
        EXPECT_EQ(DocumentedCycles(op), Z80CycleTable[op]) << std::hex << "op " << op;
        EXPECT_EQ(DocumentedCbCycles(op), Z80CycleTableCB[op]) << std::hex << "CB " << op;
        EXPECT_EQ(DocumentedEdCycles(op), Z80CycleTableED[op]) << std::hex << "ED " << op;
        EXPECT_EQ(DocumentedIndexCycles(op), Z80CycleTableIndex[op]) << std::hex << "DD " << op;
        EXPECT_EQ(DocumentedIndexBitCycles(op), Z80CycleTableIndexCB[op]) << std::hex << "DD CB " << op;
    }
}

class ChargedCycles : public ::testing::Test {
protected:
    void SetUp() override { ResetMachine(); }

    // Runs code at 0x100 with the given F, B = 5 and a harmless stack.
    int Charge(std::initializer_list<uint8_t> code, uint8_t f) {
        LoadBytes(0x100, code);
        Z80Regs r = FreshRegs();
        r.PC = 0x100;
        r.AF = f;
        r.BC = 0x0501;
        r.HL = r.DE = 0x6000;
        r.SP = 0x8000;
        return StepCost(&r);
    }
};

// cc in bits 3-5: NZ Z NC C PO PE P M.
bool Holds(int cc, uint8_t f) {
    static const uint8_t flag[4] = {Z80FlagZ, Z80FlagC, Z80FlagPV, Z80FlagS};
    bool set = f & flag[cc >> 1];
    return cc & 1 ? set : !set;
}

int TakenExtra(int op, uint8_t f) {
    if (op == 0x10)
        return 5; // B = 5: DJNZ jumps
    if (op == 0x20 || op == 0x28 || op == 0x30 || op == 0x38)
        return Holds(((op >> 3) & 7) - 4, f) ? 5 : 0;
    if (op >= 0xC0 && (op & 7) == 0)
        return Holds((op >> 3) & 7, f) ? 6 : 0;
    if (op >= 0xC0 && (op & 7) == 4)
        return Holds((op >> 3) & 7, f) ? 7 : 0;
    return 0;
}

TEST_F(ChargedCycles, UnprefixedInstructionsTakenAndNotTaken) {
    for (int op = 0; op < 256; op++) {
        if (IsPrefix(op) || op == 0x76)
            continue;
        for (uint8_t f : {0x00, 0xFF})
            EXPECT_EQ(DocumentedCycles(op) + TakenExtra(op, f), Charge({(uint8_t)op, 0x00, 0x00}, f))
                << std::hex << "op " << op << " F " << (int)f;
    }
}

TEST_F(ChargedCycles, BranchExamples) {
    EXPECT_EQ(12, Charge({0x20, 0x05}, 0));        // JR NZ taken
    EXPECT_EQ(7, Charge({0x20, 0x05}, Z80FlagZ));  // not taken
    EXPECT_EQ(17, Charge({0xDC, 0, 0}, Z80FlagC)); // CALL C taken
    EXPECT_EQ(10, Charge({0xDC, 0, 0}, 0));
    EXPECT_EQ(11, Charge({0xC8}, Z80FlagZ));       // RET Z taken
    EXPECT_EQ(5, Charge({0xC8}, 0));
    EXPECT_EQ(10, Charge({0xCA, 0, 0}, Z80FlagZ)); // JP Z costs the same either way
    EXPECT_EQ(10, Charge({0xCA, 0, 0}, 0));
}

TEST_F(ChargedCycles, DjnzFallsThroughAtOneAndWrapsAtZero) {
    LoadBytes(0x100, {0x10, 0x10});
    Z80Regs r = FreshRegs();
    r.PC = 0x100;
    r.BC = 0x0100;
    EXPECT_EQ(8, StepCost(&r));
    EXPECT_EQ(0x102, r.PC);
    r.PC = 0x100;
    r.BC = 0x0000;
    EXPECT_EQ(13, StepCost(&r));
    EXPECT_EQ(0xFF, r.BC >> 8);
    EXPECT_EQ(0x112, r.PC);
}

TEST_F(ChargedCycles, CbGroup) {
    for (int op = 0; op < 256; op++)
        EXPECT_EQ(DocumentedCbCycles(op), Charge({0xCB, (uint8_t)op}, 0)) << std::hex << op;
}

bool IsRepeatingBlock(int op) { return (op >= 0xB0 && op <= 0xB3) || (op >= 0xB8 && op <= 0xBB); }

// Undefined codes, ED ED and the patch opcode have no table cost but are
// charged one cycle; the repeating forms cost 16 for their last round.
TEST_F(ChargedCycles, EdGroup) {
    for (int op = 0; op < 256; op++) {
        int expected = IsRepeatingBlock(op) ? 16 : DocumentedEdCycles(op);
        if (expected == 0)
            expected = 1;
        // B = 1 and BC = 1 end the repeating forms after one round; A = 1
        // never matches the zeroes that CPIR reads.
        LoadBytes(0x100, {0xED, (uint8_t)op, 0, 0});
        Z80Regs r = FreshRegs();
        r.PC = 0x100;
        r.AF = 0x0100;
        r.BC = 0x0101;
        r.SP = 0x8000;
        if (op >= 0xB0 && op < 0xC0 && (op & 3) < 2)
            r.BC = 0x0001;
        EXPECT_EQ(expected, StepCost(&r)) << std::hex << "ED " << op;
    }
}

// Forms whose plain instruction ignores the prefix cost one cycle, taken
// branches included; dropped prefixes cost one cycle each.
TEST_F(ChargedCycles, IndexGroupsOnBothPrefixes) {
    for (uint8_t prefix : {0xDD, 0xFD})
        for (int op = 0; op < 256; op++) {
            if (op == 0xCB || op == 0x76)
                continue;
            int expected = DocumentedIndexCycles(op);
            if (expected == 0)
                expected = 1;
            for (uint8_t f : {0x00, 0xFF})
                EXPECT_EQ(expected, Charge({prefix, (uint8_t)op, 0, 0}, f))
                    << std::hex << (int)prefix << " " << op << " F " << (int)f;
        }
}

TEST_F(ChargedCycles, IndexBitForms) {
    for (uint8_t prefix : {0xDD, 0xFD})
        for (int op = 0; op < 256; op++) {
            int expected = DocumentedIndexBitCycles(op);
            EXPECT_EQ(expected ? expected : 1, Charge({prefix, 0xCB, 0x05, (uint8_t)op}, 0))
                << std::hex << (int)prefix << " CB " << op;
        }
}

// On the chip these cost the prefix's 4 T-states plus the plain form; here
// they cost a single cycle, which keeps them from running for free.
TEST_F(ChargedCycles, PrefixedFormsWithoutATableEntryCostOneCycle) {
    LoadBytes(0x100, {0xDD, 0x01, 0x34, 0x12});
    Z80Regs r = FreshRegs();
    r.PC = 0x100;
    EXPECT_EQ(1, StepCost(&r)); // DD 01: LD BC,nn
    EXPECT_EQ(0x1234, r.BC);
    EXPECT_EQ(1, Charge({0xDD, 0x20, 0x10}, 0));        // JR NZ behind DD, taken
    EXPECT_EQ(1, Charge({0xDD, 0x20, 0x10}, Z80FlagZ)); // and not taken
    EXPECT_EQ(1, Charge({0xED, 0x4C}, 0));              // a NEG mirror
    EXPECT_EQ(1, Charge({0xDD, 0xDD, 0x21, 0, 0}, 0));  // the dropped DD
    EXPECT_EQ(1, Charge({0xFD, 0xCB, 0x00, 0x00}, 0));  // undefined FD CB form
}

TEST_F(ChargedCycles, NopAndLoadsOntoThemselvesChangeOnlyPcAndBudget) {
    for (uint8_t op : {0x00, 0x40, 0x49, 0x52, 0x5B, 0x64, 0x6D, 0x7F}) {
        LoadBytes(0x100, {op});
        Z80Regs r = FreshRegs();
        r.PC = 0x100;
        r.AF = 0x12FF;
        r.BC = 0x3456;
        r.DE = 0x789A;
        r.HL = 0xBCDE;
        Z80Regs before = r;
        EXPECT_EQ(4, StepCost(&r));
        before.PC = 0x101;
        before.cycleBudget -= 4;
        EXPECT_EQ(0, memcmp(&before, &r, sizeof r)) << std::hex << (int)op;
    }
}

} // namespace
