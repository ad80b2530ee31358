// The ED group, the block instructions and their resumption, the index
// groups and the reports of undefined codes.
#include <gtest/gtest.h>

#include "test_machine.h"

namespace {

class Prefixed : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachine();
        r = FreshRegs();
        r.PC = 0x100;
    }

    int Step(std::initializer_list<uint8_t> code) {
        LoadBytes(r.PC, code);
        return StepCost(&r);
    }

    Z80Regs r;
};

TEST_F(Prefixed, InputThroughCSetsFlagsAndKeepsCarry) {
    r.BC = 0x0010;
    r.AF = 0x00FF;
    Machine.portValue[0x10] = 0x00;
    Step({0xED, 0x58}); // IN E,(C)
    EXPECT_EQ(0, r.DE & 0xFF);
    EXPECT_EQ(Z80FlagZ | Z80FlagPV | Z80FlagC, F(r));
    Machine.portValue[0x10] = 0x81;
    r.AF = 0x7700;
    Step({0xED, 0x70}); // IN F,(C): flags only
    EXPECT_EQ(0x77, A(r));
    EXPECT_EQ(Z80FlagS | Z80FlagPV, F(r));
    EXPECT_EQ(0, r.HL);
}

TEST_F(Prefixed, NegMirrorsAreUndefinedAndOnlyMovePc) {
    r.AF = 0x0100;
    Z80Regs before = r;
    EXPECT_EQ(1, Step({0xED, 0x4C}));
    EXPECT_EQ(0x102, r.PC);
    EXPECT_EQ(before.AF, r.AF);
    for (uint8_t op : {0x00, 0x54, 0x5C, 0x64, 0x6C, 0x71, 0x74, 0x7D, 0x80, 0xA4, 0xBF, 0xC0}) {
        r = before;
        Step({0xED, op});
        EXPECT_EQ(0x102, r.PC) << std::hex << (int)op;
        EXPECT_EQ(before.AF, r.AF);
        EXPECT_EQ(before.SP, r.SP);
        EXPECT_EQ(before.interruptState, r.interruptState);
    }
    EXPECT_TRUE(Machine.portWrites.empty()); // ED 71 is not OUT (C),0
}

// The chip's IFF2 is not kept apart from IFF1: LD A,I reports IFF1.
TEST_F(Prefixed, LoadAFromIReportsIff1InParity) {
    r.I = 0x80;
    r.AF = 0x0001;
    Step({0xED, 0x57});
    EXPECT_EQ(0x80, A(r));
    EXPECT_EQ(Z80FlagS | Z80FlagC, F(r));
    r.interruptState = Z80Iff1;
    r.I = 0;
    Step({0xED, 0x57});
    EXPECT_EQ(Z80FlagZ | Z80FlagPV | Z80FlagC, F(r));
    r.interruptState = Z80Iff1AtInterrupt; // the saved copy does not count
    r.AF = 0;
    Step({0xED, 0x57});
    EXPECT_EQ(Z80FlagZ, F(r));
    r.AF = 0x4200;
    Step({0xED, 0x47}); // LD I,A
    EXPECT_EQ(0x42, r.I);
}

// There is no refresh counter: LD A,R reads the cycles spent, and LD R,A
// writes nothing.
TEST_F(Prefixed, RefreshRegisterCountsSpentCycles) {
    r.cycleBudget = 1000;
    r.R = 0x33;
    r.AF = 0x7700;
    Step({0xED, 0x4F}); // LD R,A
    EXPECT_EQ(0x33, r.R);
    Step({0xED, 0x5F});
    uint8_t first = A(r);
    EXPECT_EQ((uint8_t)(0 - r.cycleBudget), first);
    Step({0xED, 0x5F});
    EXPECT_EQ((uint8_t)(first + 9), A(r));
    EXPECT_EQ(0x33, r.R);
}

TEST_F(Prefixed, DigitRotatesThroughMemory) {
    r.HL = 0x5000;
    Machine.memory[0x5000] = 0x34;
    r.AF = 0x1201;
    StartTrace();
    Step({0xED, 0x67}); // RRD
    EXPECT_EQ(0x23, Machine.memory[0x5000]);
    EXPECT_EQ(0x14, A(r));
    EXPECT_EQ(Z80FlagPV | Z80FlagC, F(r));
    r.AF = 0x8000;
    Step({0xED, 0x6F}); // RLD
    EXPECT_EQ(0x30, Machine.memory[0x5000]);
    EXPECT_EQ(0x82, A(r));
    EXPECT_EQ(Z80FlagS | Z80FlagPV, F(r));
}

TEST_F(Prefixed, SingleBlockSteps) {
    LoadBytes(0x4000, {0x11, 0x22});
    r.HL = 0x4001;
    r.DE = 0x6001;
    r.BC = 0x0002;
    r.AF = 0x00FF;
    Step({0xED, 0xA8}); // LDD
    EXPECT_EQ(0x22, Machine.memory[0x6001]);
    EXPECT_EQ(0x4000, r.HL);
    EXPECT_EQ(0x6000, r.DE);
    EXPECT_EQ(1, r.BC);
    EXPECT_EQ(0xFF & ~(Z80FlagH | Z80FlagN), F(r)); // P/V: BC not 0
    Step({0xED, 0xA0});                             // LDI, BC reaches 0
    EXPECT_EQ(0xFF & ~(Z80FlagH | Z80FlagN | Z80FlagPV), F(r));

    r.HL = 0x4000;
    r.BC = 0x0005;
    r.AF = 0x1101 | Z80FlagBit3;
    Step({0xED, 0xA1}); // CPI, a match
    EXPECT_EQ(Z80FlagZ | Z80FlagPV | Z80FlagN | Z80FlagC | Z80FlagBit3, F(r));
    EXPECT_EQ(0x4001, r.HL);
    r.AF = 0x1000;
    Step({0xED, 0xA9}); // CPD: 0x10 - 0x22 borrows, and from bit 4
    EXPECT_EQ(Z80FlagS | Z80FlagH | Z80FlagPV | Z80FlagN, F(r));
    EXPECT_EQ(0x4000, r.HL);

    Machine.portValue[0x07] = 0x99;
    r.BC = 0x0107;
    r.HL = 0x7000;
    r.AF = 0x00FF;
    Step({0xED, 0xA2}); // INI
    EXPECT_EQ(0x99, Machine.memory[0x7000]);
    EXPECT_EQ(0x0007, r.BC);
    EXPECT_EQ(Z80FlagZ | Z80FlagN, F(r));
    r.BC = 0x0207;
    r.HL = 0x7000;
    Step({0xED, 0xAB}); // OUTD
    std::vector<Access> out = {{AccessOut, 0x0007, 0x99}};
    EXPECT_EQ(out, Machine.portWrites);
    EXPECT_EQ(0x6FFF, r.HL);
    EXPECT_EQ(Z80FlagN, F(r));
}

TEST_F(Prefixed, LdirOfOneByteCosts16AndClearsParity) {
    Machine.memory[0x4000] = 0x5A;
    r.HL = 0x4000;
    r.DE = 0x5000;
    r.BC = 1;
    r.AF = 0x00FF;
    EXPECT_EQ(16, Step({0xED, 0xB0}));
    EXPECT_EQ(0x5A, Machine.memory[0x5000]);
    EXPECT_EQ(0x102, r.PC);
    EXPECT_EQ(0xFF & ~(Z80FlagH | Z80FlagN | Z80FlagPV), F(r));
}

TEST_F(Prefixed, LdirOutOfBudgetStopsOnItsEdByteAndResumes) {
    for (int i = 0; i < 10; i++)
        Machine.memory[0x4000 + i] = (uint8_t)(i + 1);
    r.HL = 0x4000;
    r.DE = 0x5000;
    r.BC = 10;
    r.cycleBudget = 50; // three rounds of 21
    LoadBytes(0x100, {0xED, 0xB0});
    Z80StepOne(&r);
    EXPECT_EQ(0x100, r.PC);
    EXPECT_EQ(7, r.BC);
    EXPECT_EQ(0x4003, r.HL);
    EXPECT_EQ(-13, r.cycleBudget);
    EXPECT_EQ(Z80FlagPV, F(r));
    r.cycleBudget = 1000;
    EXPECT_EQ(6 * 21 + 16, StepCost(&r));
    EXPECT_EQ(0x102, r.PC);
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(i + 1, Machine.memory[0x5000 + i]);
    EXPECT_EQ(0, Machine.memory[0x500A]);
}

// In the run loop the hook gets its turn in the middle of a long copy.
TEST_F(Prefixed, LdirWithZeroCountCopies64KiBAcrossSlices) {
    for (int i = 0; i < 0x10000; i++)
        Machine.memory[i] = (uint8_t)(i * 7);
    Machine.memory[0x100] = 0xED;
    Machine.memory[0x101] = 0xB0;
    Machine.memory[0x102] = 0x76;
    r.HL = 0x0000;
    r.DE = 0x0000; // copies memory onto itself, so the program survives
    r.BC = 0;
    r.hookPeriod = r.cycleBudget = 51166;
    Machine.hook = [](Z80Regs *regs) -> uint16_t {
        return regs->interruptState & Z80Halted ? Z80VectorQuit : Z80VectorNone;
    };
    EXPECT_EQ(0x102, Z80RunUntilQuit(&r));
    EXPECT_EQ(0, r.BC);
    EXPECT_EQ(0, r.HL);
    // 2437 rounds of 21 cycles fill a slice: 26 full slices, then the last
    // 2174 rounds and the HALT.
    EXPECT_EQ(27, Machine.hookCalls);
}

TEST_F(Prefixed, CpirMatchingAtOnceCosts16) {
    LoadBytes(0x4000, {0x42, 0x42});
    r.HL = 0x4000;
    r.BC = 5;
    r.AF = 0x4200;
    EXPECT_EQ(16, Step({0xED, 0xB1}));
    EXPECT_EQ(Z80FlagZ | Z80FlagPV | Z80FlagN, F(r));
    EXPECT_EQ(4, r.BC);
    EXPECT_EQ(0x102, r.PC);
    r.BC = 1;
    r.PC = 0x100;
    Step({0xED, 0xB1}); // matches with the count used up: P/V clear
    EXPECT_EQ(Z80FlagZ | Z80FlagN, F(r));
}

TEST_F(Prefixed, CpdrOutOfBudgetResumesLikeCpir) {
    LoadBytes(0x4000, {0x99, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    r.HL = 0x4009;
    r.BC = 20;
    r.AF = 0x9900;
    r.cycleBudget = 42; // two rounds
    Step({0xED, 0xB9});
    EXPECT_EQ(0x100, r.PC);
    EXPECT_EQ(0x4007, r.HL);
    EXPECT_EQ(Z80FlagS | Z80FlagPV | Z80FlagN, F(r));
    r.cycleBudget = 1000;
    EXPECT_EQ(7 * 21 + 16, StepCost(&r));
    EXPECT_EQ(0x3FFF, r.HL);
    EXPECT_EQ(10, r.BC);
    EXPECT_EQ(Z80FlagZ | Z80FlagPV | Z80FlagN, F(r));
    EXPECT_EQ(0x102, r.PC);
}

TEST_F(Prefixed, InirOfOneByteLeavesZAndN) {
    Machine.portValue[0x30] = 0x7E;
    r.BC = 0x0130;
    r.HL = 0x6000;
    r.AF = 0x00FF;
    EXPECT_EQ(16, Step({0xED, 0xB2}));
    EXPECT_EQ(0x7E, Machine.memory[0x6000]);
    EXPECT_EQ(1u, Machine.portsRead.size());
    EXPECT_EQ(0x42, F(r));
}

TEST_F(Prefixed, PortRepeatsOutOfBudgetLeaveOnlyN) {
    LoadBytes(0x6000, {1, 2, 3, 4});
    r.BC = 0x0440;
    r.HL = 0x6000;
    r.cycleBudget = 30;
    Step({0xED, 0xB3}); // OTIR: two rounds fit
    EXPECT_EQ(0x100, r.PC);
    EXPECT_EQ(Z80FlagN, F(r));
    EXPECT_EQ(0x0240, r.BC);
    r.cycleBudget = 1000;
    Step({0xED, 0xB3});
    EXPECT_EQ(0x42, F(r));
    std::vector<Access> out = {
        {AccessOut, 0x40, 1}, {AccessOut, 0x40, 2}, {AccessOut, 0x40, 3}, {AccessOut, 0x40, 4}};
    EXPECT_EQ(out, Machine.portWrites);
    r.PC = 0x100;
    r.BC = 0x0340;
    r.HL = 0x6103;
    Step({0xED, 0xBA}); // INDR
    EXPECT_EQ(0x6100, r.HL);
    EXPECT_EQ(0x0040, r.BC);
}

TEST_F(Prefixed, EdEdDropsTheFirstEd) {
    r.AF = 0x0500;
    EXPECT_EQ(1, Step({0xED, 0xED, 0x44}));
    EXPECT_EQ(0x101, r.PC);
    Z80StepOne(&r);
    EXPECT_EQ(0xFB, A(r)); // the second ED ran NEG
}

TEST_F(Prefixed, PatchOpcodeHandsTheRegistersToTheMachine) {
    Machine.patch = [](Z80Regs *regs) {
        regs->HL = 0xCAFE;
        regs->PC = 0x3000;
    };
    Step({0xED, 0xFE});
    EXPECT_EQ(0xCAFE, r.HL);
    EXPECT_EQ(0x3000, r.PC);
}

TEST_F(Prefixed, DroppedIndexPrefixesLeaveTheLastOne) {
    LoadBytes(0x100, {0xDD, 0xDD, 0x21, 0x34, 0x12, 0xDD, 0xFD, 0x21, 0x78, 0x56});
    EXPECT_EQ(1, StepCost(&r));
    EXPECT_EQ(0x101, r.PC);
    EXPECT_EQ(14, StepCost(&r));
    EXPECT_EQ(0x1234, r.IX);
    Z80StepOne(&r);
    Z80StepOne(&r);
    EXPECT_EQ(0x5678, r.IY);
    EXPECT_EQ(0x1234, r.IX);
    EXPECT_EQ(0x10A, r.PC);
}

struct IndexCase {
    const char *name;
    std::vector<uint8_t> code; // after the prefix
    void (*check)(const Z80Regs &r);
};

// Each case runs behind DD with IX and behind FD with IY, with the other
// index register holding something else.
TEST_F(Prefixed, IndexFormsOnIxAndIy) {
    const IndexCase cases[] = {
        {"LD H,(IX+d) keeps H", {0x66, 0x02}, [](const Z80Regs &r) { EXPECT_EQ(0xA3, r.HL >> 8); }},
        {"LD (IX+d),H stores H", {0x74, 0xFF}, [](const Z80Regs &r) { EXPECT_EQ(0x11, Machine.memory[0x40FF]); }},
        {"LD (IX+d),n", {0x36, 0x01, 0x5E}, [](const Z80Regs &r) { EXPECT_EQ(0x5E, Machine.memory[0x4101]); }},
        {"LD IXH,n", {0x26, 0x77}, [](const Z80Regs &r) { EXPECT_EQ(0x7700, r.IX & 0xFF00); }},
        {"LD IXL,IXH", {0x6C}, [](const Z80Regs &r) { EXPECT_EQ(0x4141, r.IX); }},
        {"LD B,IXL", {0x45}, [](const Z80Regs &r) { EXPECT_EQ(0x00, r.BC >> 8); }},
        {"LD IXH,E", {0x63}, [](const Z80Regs &r) { EXPECT_EQ(0x3300, r.IX & 0xFF00); }},
        {"ADD A,IXH", {0x84}, [](const Z80Regs &r) { EXPECT_EQ(0x42, r.AF >> 8); }},
        {"CP (IX+d)", {0xBE, 0x00}, [](const Z80Regs &r) { EXPECT_TRUE(r.AF & Z80FlagZ); }},
        {"INC IXL", {0x2C}, [](const Z80Regs &r) { EXPECT_EQ(0x4101, r.IX); }},
        {"DEC (IX-1)", {0x35, 0xFF}, [](const Z80Regs &r) { EXPECT_EQ(0x0F, Machine.memory[0x40FF]); }},
        {"ADD IX,IX", {0x29}, [](const Z80Regs &r) { EXPECT_EQ(0x8200, r.IX); }},
        {"ADD IX,BC", {0x09}, [](const Z80Regs &r) { EXPECT_EQ(0x4100 + 0x1122, r.IX); }},
        {"LD (nn),IX", {0x22, 0x00, 0x90}, [](const Z80Regs &r) { EXPECT_EQ(0x41, Machine.memory[0x9001]); }},
        {"PUSH IX", {0xE5}, [](const Z80Regs &r) { EXPECT_EQ(0x41, Machine.memory[0xEFFF]); }},
        {"JP (IX)", {0xE9}, [](const Z80Regs &r) { EXPECT_EQ(0x4100, r.PC); }},
        {"LD SP,IX", {0xF9}, [](const Z80Regs &r) { EXPECT_EQ(0x4100, r.SP); }},
        {"LD HL,nn keeps HL", {0x21, 0x00, 0x00}, [](const Z80Regs &r) { EXPECT_EQ(0xA3A4, r.HL); }},
        {"LD BC,nn unchanged", {0x01, 0x99, 0x88}, [](const Z80Regs &r) { EXPECT_EQ(0x8899, r.BC); }},
        {"JR NZ unchanged", {0x20, 0x10}, [](const Z80Regs &r) { EXPECT_EQ(0x113, r.PC); }},
        {"SET 7,(IX+d)", {0xCB, 0x01, 0xFE}, [](const Z80Regs &r) { EXPECT_EQ(0x80, Machine.memory[0x4101]); }},
        {"BIT 1,(IX+d), any low bits", {0xCB, 0x00, 0x4B}, [](const Z80Regs &r) { EXPECT_TRUE(r.AF & Z80FlagZ); }},
        {"SRL (IX+d)", {0xCB, 0x02, 0x3E}, [](const Z80Regs &r) { EXPECT_EQ(0x04, Machine.memory[0x4102]); }},
    };
    for (uint8_t prefix : {0xDD, 0xFD})
        for (const IndexCase &c : cases) {
            ResetMachine();
            r = FreshRegs();
            r.PC = 0x100;
            r.AF = 0x0100;
            r.BC = 0x1122;
            r.DE = 0x3333;
            r.HL = 0x11A4;
            (prefix == 0xDD ? r.IX : r.IY) = 0x4100;
            (prefix == 0xDD ? r.IY : r.IX) = 0x2468;
            LoadBytes(0x4100, {0x01, 0x00, 0x08});
            Machine.memory[0x4102] = 0x08;
            Machine.memory[0x40FF] = 0x10;
            if (c.code[0] == 0x66)
                Machine.memory[0x4102] = 0xA3;
            if (c.code[0] == 0x21)
                r.HL = 0xA3A4;
            LoadBytes(0x100, {prefix});
            LoadBytes(0x101, c.code);
            Z80StepOne(&r);
            // Report against IX whichever prefix ran.
            if (prefix == 0xFD) {
                uint16_t t = r.IX;
                r.IX = r.IY;
                r.IY = t;
            }
            SCOPED_TRACE(std::string(prefix == 0xDD ? "DD " : "FD ") + c.name);
            c.check(r);
            EXPECT_EQ(0x2468, r.IY);
        }
}

TEST_F(Prefixed, UndocumentedCopyingBitFormsDoNothing) {
    r.IX = 0x5000;
    Machine.memory[0x5003] = 0x81;
    r.BC = 0x1234;
    Z80Regs before = r;
    Step({0xDD, 0xCB, 0x03, 0x00}); // would be RLC (IX+3),B on the chip
    EXPECT_EQ(0x81, Machine.memory[0x5003]);
    EXPECT_EQ(before.BC, r.BC);
    EXPECT_EQ(before.AF, r.AF);
    EXPECT_EQ(0x104, r.PC);
}

class Reports : public Prefixed {};

TEST_F(Reports, UndefinedEdCodeIsReportedOnlyWhenAsked) {
    r.userTag = 0x1A2B;
    testing::internal::CaptureStdout();
    Step({0xED, 0x4C});
    r.reportUnknownOpcodes = 1;
    Step({0xED, 0x4C});
    EXPECT_EQ("[Z80 1A2B] Unrecognized instruction: ED 4C at PC=0102\n", testing::internal::GetCapturedStdout());
}

TEST_F(Reports, DdEdIsReportedAndTheNextByteRunsOnItsOwn) {
    r.reportUnknownOpcodes = 1;
    r.userTag = 7;
    r.AF = 0x0100;
    r.BC = 0x0200;
    testing::internal::CaptureStdout();
    Step({0xDD, 0xED, 0xB0});
    EXPECT_EQ(0x102, r.PC);
    Z80StepOne(&r); // OR B
    EXPECT_EQ("[Z80 7] Unrecognized instruction: DD ED at PC=0100\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(0x03, A(r));
}

// The FD line ignores reportUnknownOpcodes: that is how the core has always
// reported it.
TEST_F(Reports, FdEdIsReportedEvenWhenReportsAreOff) {
    testing::internal::CaptureStdout();
    Step({0xFD, 0xED, 0xB0});
    EXPECT_EQ("Unrecognized instruction: FD ED at PC=0100\n", testing::internal::GetCapturedStdout());
}

TEST_F(Reports, IndexBitFormsShowDisplacementAndOpcode) {
    r.reportUnknownOpcodes = 1;
    r.userTag = 0xFFFFFFFF;
    testing::internal::CaptureStdout();
    Step({0xDD, 0xCB, 0x05, 0x00});
    Step({0xFD, 0xCB, 0xF0, 0x87});
    EXPECT_EQ("[Z80 FFFFFFFF] Unrecognized instruction: DD CB 05 00 at PC=0100\n"
              "[Z80 FFFFFFFF] Unrecognized instruction: FD CB F0 87 at PC=0104\n",
              testing::internal::GetCapturedStdout());
    EXPECT_EQ(0x108, r.PC);
}

} // namespace
