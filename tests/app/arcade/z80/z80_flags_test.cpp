// Flag results against formulas written from the instruction descriptions,
// over whole operand ranges. Bits 3 and 5 of F are set beforehand so that
// the tests see whether an instruction clears, keeps or computes them.
#include <gtest/gtest.h>

#include "test_machine.h"
#include "z80_tables.h"

namespace {

const uint8_t kUndocumented = Z80FlagBit3 | Z80FlagBit5;

int Parity(int v) { return __builtin_popcount(v & 0xFF) % 2 == 0 ? Z80FlagPV : 0; }
int SignZero(int v) { return (v & 0x80) | ((v & 0xFF) == 0 ? Z80FlagZ : 0); }

class Flags : public ::testing::Test {
protected:
    void SetUp() override { ResetMachine(); }

    // Runs the bytes at address 0 with the given AF and BC; returns the regs.
    Z80Regs Execute(std::initializer_list<uint8_t> code, uint16_t af, uint16_t bc = 0, uint16_t hl = 0) {
        LoadBytes(0, code);
        Z80Regs r = FreshRegs();
        r.AF = af;
        r.BC = bc;
        r.HL = hl;
        Z80StepOne(&r);
        return r;
    }
};

struct ArithmeticCase {
    const char *name;
    uint8_t op; // with operand B
    bool subtract;
    bool usesCarry;
    bool storesResult;
};

// Operands and results as whole numbers: the carries come from the
// mathematical sums, the overflow from the signed ones.
uint16_t ExpectedArithmetic(const ArithmeticCase &c, int a, int b, int carryIn) {
    int carry = c.usesCarry ? carryIn : 0;
    int full, halfSum, signedResult;
    if (c.subtract) {
        full = a - b - carry;
        halfSum = (a & 15) - (b & 15) - carry;
        signedResult = (int8_t)a - (int8_t)b - carry;
    } else {
        full = a + b + carry;
        halfSum = (a & 15) + (b & 15) + carry;
        signedResult = (int8_t)a + (int8_t)b + carry;
    }
    int result = full & 0xFF;
    int f = SignZero(result) | (c.subtract ? Z80FlagN : 0);
    if (halfSum < 0 || halfSum > 15)
        f |= Z80FlagH;
    if (signedResult < -128 || signedResult > 127)
        f |= Z80FlagPV;
    if (full < 0 || full > 255)
        f |= Z80FlagC;
    return (uint16_t)((c.storesResult ? result : a) << 8 | f);
}

TEST_F(Flags, ArithmeticOverEveryOperandPair) {
    const ArithmeticCase cases[] = {
        {"ADD", 0x80, false, false, true}, {"ADC", 0x88, false, true, true}, {"SUB", 0x90, true, false, true},
        {"SBC", 0x98, true, true, true},   {"CP", 0xB8, true, false, false},
    };
    for (const ArithmeticCase &c : cases) {
        LoadBytes(0, {c.op});
        int failures = 0;
        for (int a = 0; a < 256; a++)
            for (int b = 0; b < 256; b++)
                for (int carry = 0; carry < 2; carry++) {
                    Z80Regs r = FreshRegs();
                    r.AF = (uint16_t)(a << 8 | carry | kUndocumented);
                    r.BC = (uint16_t)(b << 8);
                    Z80StepOne(&r);
                    uint16_t expected = ExpectedArithmetic(c, a, b, carry);
                    if (r.AF != expected && failures++ < 5)
                        ADD_FAILURE() << c.name << " a=" << a << " b=" << b << " carry=" << carry << " got AF="
                                      << std::hex << r.AF << " expected " << expected;
                }
    }
}

TEST_F(Flags, LogicOverEveryOperandPair) {
    struct Case {
        uint8_t op;
        int (*apply)(int, int);
        int extra;
    } cases[] = {
        {0xA0, [](int a, int b) { return a & b; }, Z80FlagH},
        {0xA8, [](int a, int b) { return a ^ b; }, 0},
        {0xB0, [](int a, int b) { return a | b; }, 0},
    };
    for (const Case &c : cases) {
        LoadBytes(0, {c.op});
        for (int a = 0; a < 256; a++)
            for (int b = 0; b < 256; b++) {
                Z80Regs r = FreshRegs();
                r.AF = (uint16_t)(a << 8 | 0xFF);
                r.BC = (uint16_t)(b << 8);
                Z80StepOne(&r);
                int result = c.apply(a, b);
                ASSERT_EQ(result << 8 | SignZero(result) | Parity(result) | c.extra, r.AF)
                    << std::hex << "op " << (int)c.op << " a=" << a << " b=" << b;
            }
    }
}

TEST_F(Flags, ImmediateAndMemoryOperandsMatchTheRegisterForm) {
    Machine.memory[0x4000] = 0x39;
    Z80Regs viaRegister = Execute({0x98}, 0x7F01, 0x3900);             // SBC A,B
    Z80Regs viaImmediate = Execute({0xDE, 0x39}, 0x7F01);              // SBC A,0x39
    Z80Regs viaMemory = Execute({0x9E}, 0x7F01, 0, 0x4000);            // SBC A,(HL)
    EXPECT_EQ(viaRegister.AF, viaImmediate.AF);
    EXPECT_EQ(viaRegister.AF, viaMemory.AF);
}

TEST_F(Flags, DocumentedExamples) {
    Z80Regs r = Execute({0xC6, 0x01}, 0x7F00); // ADD A,1 at 0x7F
    EXPECT_EQ(0x80, A(r));
    EXPECT_EQ(Z80FlagS | Z80FlagH | Z80FlagPV, F(r));
    r = Execute({0xD6, 0x01}, 0x8000); // SUB 1 at 0x80
    EXPECT_EQ(0x7F, A(r));
    EXPECT_EQ(Z80FlagH | Z80FlagPV | Z80FlagN, F(r));
    r = Execute({0x3C}, 0xFF01); // INC A at 0xFF keeps C
    EXPECT_EQ(0x00, A(r));
    EXPECT_EQ(Z80FlagZ | Z80FlagH | Z80FlagC, F(r));
}

TEST_F(Flags, IncrementAndDecrementKeepCarry) {
    for (int v = 0; v < 256; v++)
        for (int carry = 0; carry < 2; carry++) {
            Z80Regs r = Execute({0x04}, (uint16_t)(carry | kUndocumented), (uint16_t)(v << 8)); // INC B
            int up = (v + 1) & 0xFF;
            int f = SignZero(up) | carry | ((v & 15) == 15 ? Z80FlagH : 0) | (v == 0x7F ? Z80FlagPV : 0);
            ASSERT_EQ(up, r.BC >> 8);
            ASSERT_EQ(f, F(r)) << "INC " << v;
            r = Execute({0x05}, (uint16_t)(carry | kUndocumented), (uint16_t)(v << 8)); // DEC B
            int down = (v - 1) & 0xFF;
            f = SignZero(down) | carry | Z80FlagN | ((v & 15) == 0 ? Z80FlagH : 0) | (v == 0x80 ? Z80FlagPV : 0);
            ASSERT_EQ(down, r.BC >> 8);
            ASSERT_EQ(f, F(r)) << "DEC " << v;
        }
    Machine.memory[0x5000] = 0x0F;
    Z80Regs r = Execute({0x34}, 0, 0, 0x5000); // INC (HL)
    EXPECT_EQ(0x10, Machine.memory[0x5000]);
    EXPECT_EQ(Z80FlagH, F(r));
}

// The manufacturer's table of DAA: by N, C, the upper digit, H and the lower
// digit of A, the number that is added and the carry afterwards (FA, A0 and
// 9A after a subtraction: 6, 0x60 and 0x66 taken away). These are all the
// inputs a decimal addition or subtraction can leave. H afterwards is the
// half carry of that adjustment itself, S, Z and P/V come from the result and
// bits 3 and 5 are copied from it, N stays.
TEST_F(Flags, DecimalAdjustFollowsTheManualsTable) {
    struct Row {
        bool n, c;
        int highFrom, highTo;
        bool h;
        int lowFrom, lowTo;
        int adjustment; // taken away after a subtraction
        bool carryAfter;
    } rows[] = {
        {false, false, 0x0, 0x9, false, 0x0, 0x9, 0x00, false},
        {false, false, 0x0, 0x8, false, 0xA, 0xF, 0x06, false},
        {false, false, 0x0, 0x9, true, 0x0, 0x3, 0x06, false},
        {false, false, 0xA, 0xF, false, 0x0, 0x9, 0x60, true},
        {false, false, 0x9, 0xF, false, 0xA, 0xF, 0x66, true},
        {false, false, 0xA, 0xF, true, 0x0, 0x3, 0x66, true},
        {false, true, 0x0, 0x2, false, 0x0, 0x9, 0x60, true},
        {false, true, 0x0, 0x2, false, 0xA, 0xF, 0x66, true},
        {false, true, 0x0, 0x3, true, 0x0, 0x3, 0x66, true},
        {true, false, 0x0, 0x9, false, 0x0, 0x9, 0x00, false},
        {true, false, 0x0, 0x8, true, 0x6, 0xF, 0x06, false},
        {true, true, 0x7, 0xF, false, 0x0, 0x9, 0x60, true},
        {true, true, 0x6, 0x7, true, 0x6, 0xF, 0x66, true},
    };
    LoadBytes(0, {0x27});
    for (const Row &row : rows)
        for (int high = row.highFrom; high <= row.highTo; high++)
            for (int low = row.lowFrom; low <= row.lowTo; low++) {
                int a = high << 4 | low;
                int result = (row.n ? a - row.adjustment : a + row.adjustment) & 0xFF;
                int lowAdjustment = row.adjustment & 0x0F;
                bool halfAfter = row.n ? low < lowAdjustment : low + lowAdjustment > 0x0F;
                int f = SignZero(result) | Parity(result) | (result & kUndocumented) |
                        (row.n ? Z80FlagN : 0) | (row.carryAfter ? Z80FlagC : 0) | (halfAfter ? Z80FlagH : 0);
                Z80Regs r = FreshRegs();
                r.AF = (uint16_t)(a << 8 | (row.c ? Z80FlagC : 0) | (row.h ? Z80FlagH : 0) |
                                  (row.n ? Z80FlagN : 0));
                Z80StepOne(&r);
                ASSERT_EQ(result << 8 | f, r.AF)
                    << std::hex << "A=" << a << " N=" << row.n << " C=" << row.c << " H=" << row.h;
            }
}

int Bcd(int n) { return (n / 10) << 4 | n % 10; }

// Decimal arithmetic done the way programs do it: ADD/ADC or SUB/SBC, then DAA.
TEST_F(Flags, DecimalAdjustGivesDecimalSumsAndDifferences) {
    for (int x = 0; x < 100; x++)
        for (int y = 0; y < 100; y++)
            for (int carry = 0; carry < 2; carry++) {
                Z80Regs r = Execute({0x88, 0x27}, (uint16_t)(Bcd(x) << 8 | carry), (uint16_t)(Bcd(y) << 8));
                Z80StepOne(&r);
                int sum = x + y + carry;
                ASSERT_EQ(Bcd(sum % 100), A(r)) << x << "+" << y << "+" << carry;
                ASSERT_EQ(sum >= 100, (F(r) & Z80FlagC) != 0);
                r = Execute({0x98, 0x27}, (uint16_t)(Bcd(x) << 8 | carry), (uint16_t)(Bcd(y) << 8));
                Z80StepOne(&r);
                int difference = x - y - carry;
                ASSERT_EQ(Bcd((difference + 100) % 100), A(r)) << x << "-" << y << "-" << carry;
                ASSERT_EQ(difference < 0, (F(r) & Z80FlagC) != 0);
            }
    Z80Regs r = Execute({0xC6, 0x27, 0x27}, 0x1500); // 0x15 + 0x27 = 0x3C, then DAA
    Z80StepOne(&r);
    EXPECT_EQ(0x42, A(r));
    EXPECT_TRUE(F(r) & Z80FlagH);
}

TEST_F(Flags, AddToHlKeepsSignZeroAndParity) {
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; i++) {
        seed = seed * 1103515245 + 12345;
        uint16_t hl = (uint16_t)(seed >> 8), de = (uint16_t)(seed >> 15);
        if (i < 4)
            hl = (uint16_t)(i & 1 ? 0xFFFF : 0x0FFF), de = (uint16_t)(i & 2 ? 0x0001 : 0xF001);
        uint8_t before = (uint8_t)(seed >> 24) & (uint8_t)~(Z80FlagH | Z80FlagC);
        LoadBytes(0, {0x19});
        Z80Regs r = FreshRegs();
        r.AF = before;
        r.HL = hl;
        r.DE = de;
        Z80StepOne(&r);
        int f = (before & ~Z80FlagN) | ((hl & 0xFFF) + (de & 0xFFF) > 0xFFF ? Z80FlagH : 0) |
                (hl + de > 0xFFFF ? Z80FlagC : 0);
        ASSERT_EQ((uint16_t)(hl + de), r.HL);
        ASSERT_EQ(f, F(r)) << std::hex << hl << "+" << de;
    }
}

TEST_F(Flags, WordArithmeticWithCarry) {
    uint32_t seed = 777;
    for (int i = 0; i < 40000; i++) {
        seed = seed * 1103515245 + 12345;
        int hl = (seed >> 4) & 0xFFFF, bc = (seed >> 13) & 0xFFFF, carry = (seed >> 31) & 1;
        if (i < 8) {
            static const int edges[8][3] = {{0x7FFF, 0, 1},      {0x8000, 0, 1},      {0xFFFF, 0, 1},
                                            {0, 0xFFFF, 1},      {0x8000, 1, 0},      {0x0FFF, 1, 0},
                                            {0x1000, 0x0FFF, 1}, {0x0000, 0x0000, 0}};
            hl = edges[i][0], bc = edges[i][1], carry = edges[i][2];
        }
        bool subtract = i & 1;
        LoadBytes(0, {0xED, (uint8_t)(subtract ? 0x42 : 0x4A)});
        Z80Regs r = FreshRegs();
        r.AF = (uint16_t)(carry | kUndocumented);
        r.HL = (uint16_t)hl;
        r.BC = (uint16_t)bc;
        Z80StepOne(&r);
        int full = subtract ? hl - bc - carry : hl + bc + carry;
        int half = subtract ? (hl & 0xFFF) - (bc & 0xFFF) - carry : (hl & 0xFFF) + (bc & 0xFFF) + carry;
        int sign = subtract ? (int16_t)hl - (int16_t)bc - carry : (int16_t)hl + (int16_t)bc + carry;
        int result = full & 0xFFFF;
        int f = (result & 0x8000 ? Z80FlagS : 0) | (result == 0 ? Z80FlagZ : 0) |
                (half < 0 || half > 0xFFF ? Z80FlagH : 0) | (sign < -32768 || sign > 32767 ? Z80FlagPV : 0) |
                (subtract ? Z80FlagN : 0) | (full < 0 || full > 0xFFFF ? Z80FlagC : 0);
        ASSERT_EQ(result, r.HL);
        ASSERT_EQ(f, F(r)) << (subtract ? "SBC " : "ADC ") << std::hex << hl << "," << bc << "," << carry;
    }
}

TEST_F(Flags, NegateEveryValue) {
    for (int a = 0; a < 256; a++) {
        Z80Regs r = Execute({0xED, 0x44}, (uint16_t)(a << 8 | 0xFF));
        int result = (-a) & 0xFF;
        int f = SignZero(result) | Z80FlagN | (a != 0 ? Z80FlagC : 0) | (a == 0x80 ? Z80FlagPV : 0) |
                ((a & 15) != 0 ? Z80FlagH : 0);
        ASSERT_EQ(result << 8 | f, r.AF) << a;
    }
}

int RotateExpected(int kind, int v, int carryIn, int *carryOut) {
    switch (kind) {
    case 0: *carryOut = v >> 7; return (v << 1 | v >> 7) & 0xFF;
    case 1: *carryOut = v & 1; return (v >> 1 | v << 7) & 0xFF;
    case 2: *carryOut = v >> 7; return (v << 1 | carryIn) & 0xFF;
    case 3: *carryOut = v & 1; return v >> 1 | carryIn << 7;
    case 4: *carryOut = v >> 7; return (v << 1) & 0xFF;
    case 5: *carryOut = v & 1; return v >> 1 | (v & 0x80);
    case 6: *carryOut = v >> 7; return (v << 1 | 1) & 0xFF;
    default: *carryOut = v & 1; return v >> 1;
    }
}

TEST_F(Flags, RotatesAndShiftsOfEveryValue) {
    for (int kind = 0; kind < 8; kind++)
        for (int v = 0; v < 256; v++)
            for (int carry = 0; carry < 2; carry++) {
                Z80Regs r = Execute({0xCB, (uint8_t)(kind << 3)}, (uint16_t)(0xFE | carry), (uint16_t)(v << 8));
                int carryOut;
                int result = RotateExpected(kind, v, carry, &carryOut);
                ASSERT_EQ(result, r.BC >> 8) << "kind " << kind << " value " << v;
                ASSERT_EQ(SignZero(result) | Parity(result) | carryOut, F(r)) << "kind " << kind << " value " << v;
            }
    Z80Regs r = Execute({0xCB, 0x30}, 0, 0x8000); // SLL B
    EXPECT_EQ(0x01, r.BC >> 8);
    EXPECT_EQ(Z80FlagC, F(r));
}

TEST_F(Flags, AccumulatorRotatesKeepSignZeroParityAndBits3And5) {
    const uint8_t ops[4] = {0x07, 0x0F, 0x17, 0x1F}; // RLCA RRCA RLA RRA, as RLC RRC RL RR
    for (int kind = 0; kind < 4; kind++)
        for (int v = 0; v < 256; v++)
            for (int carry = 0; carry < 2; carry++) {
                uint8_t before = (uint8_t)(Z80FlagS | Z80FlagZ | Z80FlagPV | kUndocumented | Z80FlagH | Z80FlagN | carry);
                Z80Regs r = Execute({ops[kind]}, (uint16_t)(v << 8 | before));
                int carryOut;
                int result = RotateExpected(kind, v, carry, &carryOut);
                ASSERT_EQ(result, A(r));
                ASSERT_EQ((before & (Z80FlagS | Z80FlagZ | Z80FlagPV | kUndocumented)) | carryOut, F(r));
            }
}

TEST_F(Flags, BitTestSetsZeroFromTheBitOnly) {
    for (int bit = 0; bit < 8; bit++)
        for (int v = 0; v < 256; v++)
            for (uint8_t before : {0x00, 0xFF, 0xA5}) {
                Z80Regs r = Execute({0xCB, (uint8_t)(0x40 | bit << 3 | 7)}, (uint16_t)(v << 8 | before));
                int kept = before & (Z80FlagS | Z80FlagPV | Z80FlagC | kUndocumented);
                int f = kept | Z80FlagH | ((v >> bit) & 1 ? 0 : Z80FlagZ);
                ASSERT_EQ(v << 8 | f, r.AF) << "bit " << bit << " value " << v;
            }
    Z80Regs r = Execute({0xCB, 0x7F}, 0x8000); // BIT 7,A with A = 0x80
    EXPECT_EQ(Z80FlagH, F(r)); // S does not follow the tested bit
}

TEST_F(Flags, SetAndResetTouchOneBitAndNoFlags) {
    for (int bit = 0; bit < 8; bit++)
        for (int v = 0; v < 256; v += 7) {
            Z80Regs r = Execute({0xCB, (uint8_t)(0xC0 | bit << 3 | 1)}, 0x00A5, (uint16_t)v); // SET b,C
            ASSERT_EQ(v | 1 << bit, r.BC);
            ASSERT_EQ(0xA5, F(r));
            r = Execute({0xCB, (uint8_t)(0x80 | bit << 3 | 1)}, 0x005A, (uint16_t)v); // RES b,C
            ASSERT_EQ(v & ~(1 << bit), r.BC);
            ASSERT_EQ(0x5A, F(r));
        }
}

TEST_F(Flags, ComplementAndCarryFlagsKeepTheRest) {
    Z80Regs r = Execute({0x2F}, 0x5AC5); // CPL
    EXPECT_EQ(0xA5, A(r));
    EXPECT_EQ(0xC5 | Z80FlagH | Z80FlagN, F(r));
    r = Execute({0x37}, (uint16_t)(Z80FlagH | Z80FlagN | kUndocumented | Z80FlagS)); // SCF
    EXPECT_EQ(Z80FlagC | kUndocumented | Z80FlagS, F(r));
    r = Execute({0x3F}, (uint16_t)(Z80FlagC | Z80FlagN | kUndocumented)); // CCF, carry set
    EXPECT_EQ(Z80FlagH | kUndocumented, F(r));
    r = Execute({0x3F}, (uint16_t)(Z80FlagH | Z80FlagZ)); // CCF, carry clear
    EXPECT_EQ(Z80FlagC | Z80FlagZ, F(r));
}

// Bits 3 and 5 of F: the chip copies them from results; this core computes
// them only in DAA, clears them wherever F is built whole and keeps them
// wherever only some flags change. Programs that read them see this core's
// values, not the chip's.
TEST_F(Flags, Bits3And5AreNeverCopiedFromResultsExceptByDaa) {
    Z80Regs r = Execute({0x80}, 0x2800, 0x0000); // ADD A,B with A = 0x28
    EXPECT_EQ(0, F(r) & kUndocumented);
    r = Execute({0x27}, 0x2800); // DAA keeps A = 0x28, copies its bits 3 and 5
    EXPECT_EQ(kUndocumented, F(r) & kUndocumented);
    r = Execute({0x37}, kUndocumented); // SCF keeps them
    EXPECT_EQ(kUndocumented, F(r) & kUndocumented);
    r = Execute({0x37}, 0x2800); // ... and does not take them from A
    EXPECT_EQ(0, F(r) & kUndocumented);
    r = Execute({0x09}, kUndocumented, 0x2828, 0x0000); // ADD HL,BC keeps them
    EXPECT_EQ(kUndocumented, F(r) & kUndocumented);
}

} // namespace
