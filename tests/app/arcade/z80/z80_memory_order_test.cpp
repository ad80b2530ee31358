// The order and addresses of memory and port accesses: the machine behind
// the core maps hardware into memory, so both matter.
#include <gtest/gtest.h>

#include "test_machine.h"

namespace {

class MemoryOrder : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachine();
        r = FreshRegs();
        r.PC = 0x100;
    }

    // Runs the instruction at PC with the trace on; returns the data
    // accesses, leaving out the fetches of the instruction's own bytes.
    std::vector<Access> Run(std::initializer_list<uint8_t> code) {
        LoadBytes(r.PC, code);
        uint16_t start = r.PC;
        StartTrace();
        Z80StepOne(&r);
        Machine.tracing = false;
        std::vector<Access> data;
        for (const Access &a : Machine.trace)
            if (!(a.kind == AccessRead && (uint16_t)(a.address - start) < code.size()))
                data.push_back(a);
        return data;
    }

    Z80Regs r;
};

const AccessKind R = AccessRead, W = AccessWrite;

TEST_F(MemoryOrder, OperandsAreFetchedFromPcUpwards) {
    LoadBytes(0x100, {0x01, 0x34, 0x12}); // LD BC,0x1234
    StartTrace();
    Z80StepOne(&r);
    std::vector<Access> expected = {{R, 0x100, 0x01}, {R, 0x101, 0x34}, {R, 0x102, 0x12}};
    EXPECT_EQ(expected, Machine.trace);
    EXPECT_EQ(0x1234, r.BC);
}

TEST_F(MemoryOrder, PushWritesTheHighByteFirst) {
    r.BC = 0xA1B2;
    std::vector<Access> expected = {{W, 0xEFFF, 0xA1}, {W, 0xEFFE, 0xB2}};
    EXPECT_EQ(expected, Run({0xC5}));
    EXPECT_EQ(0xEFFE, r.SP);
}

TEST_F(MemoryOrder, PopReadsTheLowByteFirst) {
    r.SP = 0x9000;
    LoadBytes(0x9000, {0x22, 0x11});
    std::vector<Access> expected = {{R, 0x9000, 0x22}, {R, 0x9001, 0x11}};
    EXPECT_EQ(expected, Run({0xF1})); // POP AF
    EXPECT_EQ(0x1122, r.AF);
    EXPECT_EQ(0x9002, r.SP);
}

TEST_F(MemoryOrder, CallAtStackOneWrapsBelowZero) {
    r.SP = 0x0001;
    std::vector<Access> expected = {{W, 0x0000, 0x01}, {W, 0xFFFF, 0x03}};
    EXPECT_EQ(expected, Run({0xCD, 0x00, 0x20}));
    EXPECT_EQ(0x2000, r.PC);
    EXPECT_EQ(0xFFFF, r.SP);
}

TEST_F(MemoryOrder, RestartPushesAndJumps) {
    std::vector<Access> expected = {{W, 0xEFFF, 0x01}, {W, 0xEFFE, 0x01}};
    EXPECT_EQ(expected, Run({0xEF})); // RST 0x28
    EXPECT_EQ(0x28, r.PC);
}

TEST_F(MemoryOrder, WordStoreAtTheTopWrapsToZero) {
    r.HL = 0xBEEF;
    std::vector<Access> expected = {{W, 0xFFFF, 0xEF}, {W, 0x0000, 0xBE}};
    EXPECT_EQ(expected, Run({0x22, 0xFF, 0xFF}));
}

TEST_F(MemoryOrder, WordLoadsReadLowThenHigh) {
    LoadBytes(0x3000, {0x78, 0x56});
    std::vector<Access> expected = {{R, 0x3000, 0x78}, {R, 0x3001, 0x56}};
    EXPECT_EQ(expected, Run({0x2A, 0x00, 0x30})); // LD HL,(nn)
    EXPECT_EQ(0x5678, r.HL);
    r.PC = 0x100;
    EXPECT_EQ(expected, Run({0xED, 0x7B, 0x00, 0x30})); // LD SP,(nn)
    EXPECT_EQ(0x5678, r.SP);
    r.PC = 0x100;
    r.DE = 0x9ABC;
    std::vector<Access> stores = {{W, 0x3000, 0xBC}, {W, 0x3001, 0x9A}};
    EXPECT_EQ(stores, Run({0xED, 0x53, 0x00, 0x30})); // LD (nn),DE
}

TEST_F(MemoryOrder, ExchangeWithStackTopInterleavesReadsAndWrites) {
    r.SP = 0x8000;
    r.HL = 0x1234;
    LoadBytes(0x8000, {0xCD, 0xAB});
    std::vector<Access> expected = {{R, 0x8000, 0xCD}, {W, 0x8000, 0x34}, {R, 0x8001, 0xAB}, {W, 0x8001, 0x12}};
    EXPECT_EQ(expected, Run({0xE3}));
    EXPECT_EQ(0xABCD, r.HL);
    r.PC = 0x100;
    r.IY = 0x5566;
    std::vector<Access> indexed = {{R, 0x8000, 0x34}, {W, 0x8000, 0x66}, {R, 0x8001, 0x12}, {W, 0x8001, 0x55}};
    EXPECT_EQ(indexed, Run({0xFD, 0xE3}));
    EXPECT_EQ(0x1234, r.IY);
}

TEST_F(MemoryOrder, ReadModifyWriteReadsOnceAndWritesOnce) {
    r.HL = 0x4000;
    Machine.memory[0x4000] = 0x81;
    std::vector<Access> inc = {{R, 0x4000, 0x81}, {W, 0x4000, 0x82}};
    EXPECT_EQ(inc, Run({0x34}));
    r.PC = 0x100;
    std::vector<Access> rlc = {{R, 0x4000, 0x82}, {W, 0x4000, 0x05}};
    EXPECT_EQ(rlc, Run({0xCB, 0x06}));
    r.PC = 0x100;
    std::vector<Access> bit = {{R, 0x4000, 0x05}};
    EXPECT_EQ(bit, Run({0xCB, 0x46}));
    r.PC = 0x100;
    r.IX = 0x4010;
    std::vector<Access> indexed = {{R, 0x4000, 0x05}, {W, 0x4000, 0x04}};
    EXPECT_EQ(indexed, Run({0xDD, 0x35, 0xF0})); // DEC (IX-16)
}

TEST_F(MemoryOrder, ProgramCounterWrapsAtTheTop) {
    r.PC = 0xFFFF;
    LoadBytes(0xFFFF, {0x3E});
    Machine.memory[0x0000] = 0x77;
    Z80StepOne(&r); // LD A,n with n at 0x0000
    EXPECT_EQ(0x77, A(r));
    EXPECT_EQ(0x0001, r.PC);
    r.PC = 0xFFFE;
    LoadBytes(0xFFFE, {0x18, 0x04}); // JR +4 from 0x0000
    Z80StepOne(&r);
    EXPECT_EQ(0x0004, r.PC);
    r.PC = 0x0200;
    LoadBytes(0x0200, {0x18, 0xFE}); // JR to itself
    Z80StepOne(&r);
    EXPECT_EQ(0x0200, r.PC);
}

TEST_F(MemoryOrder, IndexedBitFormWrapsItsAddress) {
    r.IX = 0xFFFF;
    Machine.memory[0x0000] = 0x80;
    std::vector<Access> expected = {{R, 0x0000, 0x80}, {W, 0x0000, 0x01}};
    EXPECT_EQ(expected, Run({0xDD, 0xCB, 0x01, 0x06})); // RLC (IX+1)
}

TEST_F(MemoryOrder, JumpHlTakesHlItself) {
    r.HL = 0x4321;
    EXPECT_TRUE(Run({0xE9}).empty());
    EXPECT_EQ(0x4321, r.PC);
}

// The chip puts A (IN A,(n), OUT (n),A) or B (the (C) forms) on the high
// half of the port address; this machine's ports are 8 bits and the core
// always sends 0 there.
TEST_F(MemoryOrder, PortNumbersHaveAZeroHighByte) {
    r.AF = 0xAB00;
    r.BC = 0x1234;
    Machine.portValue[0x34] = 0x5A;
    Machine.portValue[0x20] = 0xC3;
    LoadBytes(0x100, {0xD3, 0x20, 0xDB, 0x20, 0xED, 0x41, 0xED, 0x78, 0xED, 0x50});
    for (int i = 0; i < 5; i++)
        Z80StepOne(&r);
    std::vector<Access> writes = {{AccessOut, 0x0020, 0xAB}, {AccessOut, 0x0034, 0x12}};
    EXPECT_EQ(writes, Machine.portWrites);
    std::vector<uint16_t> reads = {0x0020, 0x0034, 0x0034};
    EXPECT_EQ(reads, Machine.portsRead);
    EXPECT_EQ(0x5A, A(r));      // IN A,(C)
    EXPECT_EQ(0x5A, r.DE >> 8); // IN D,(C)
}

TEST_F(MemoryOrder, ExchangesSwapWholePairs) {
    r.AF = 0x1111;
    r.BC = 0x2222;
    r.DE = 0x3333;
    r.HL = 0x4444;
    r.AFAlt = 0x5555;
    r.BCAlt = 0x6666;
    r.DEAlt = 0x7777;
    r.HLAlt = 0x8888;
    LoadBytes(0x100, {0x08, 0xD9, 0xEB, 0xDD, 0xEB, 0xFD, 0xD9});
    Z80StepOne(&r);
    EXPECT_EQ(0x5555, r.AF);
    EXPECT_EQ(0x1111, r.AFAlt);
    Z80StepOne(&r);
    EXPECT_EQ(0x6666, r.BC);
    EXPECT_EQ(0x7777, r.DE);
    EXPECT_EQ(0x8888, r.HL);
    EXPECT_EQ(0x4444, r.HLAlt);
    Z80StepOne(&r); // EX DE,HL
    EXPECT_EQ(0x8888, r.DE);
    EXPECT_EQ(0x7777, r.HL);
    Z80StepOne(&r); // DD EB still exchanges DE and HL
    EXPECT_EQ(0x7777, r.DE);
    EXPECT_EQ(0x8888, r.HL);
    Z80StepOne(&r); // FD D9 still exchanges HL, not IY
    EXPECT_EQ(0x4444, r.HL);
    EXPECT_EQ(0, r.IY);
}

} // namespace
