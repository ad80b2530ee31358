// The run loop, its budget and hook, EI, HALT, interrupt acceptance and reset.
#include <gtest/gtest.h>
#include <string.h>

#include "test_machine.h"

namespace {

class RunLoop : public ::testing::Test {
protected:
    void SetUp() override { ResetMachine(); }
};

// Quit at the n-th hook call, recording the PC and budget seen by each call.
struct HookLog {
    std::vector<uint16_t> pcs;
    std::vector<int32_t> budgets;
};

void QuitAtCall(HookLog *log, int n) {
    Machine.hook = [log, n](Z80Regs *r) -> uint16_t {
        log->pcs.push_back(r->PC);
        log->budgets.push_back(r->cycleBudget);
        return (int)log->pcs.size() >= n ? Z80VectorQuit : Z80VectorNone;
    };
}

uint16_t StackWord(const Z80Regs &r) {
    return (uint16_t)(Machine.memory[r.SP] | Machine.memory[(uint16_t)(r.SP + 1)] << 8);
}

TEST_F(RunLoop, BudgetReachingExactlyZeroEndsTheSlice) {
    Z80Regs r = FreshRegs();
    r.cycleBudget = 8; // two NOPs
    EXPECT_EQ(2, Z80RunUntilQuit(&r));
    EXPECT_EQ(1, Machine.hookCalls);
}

TEST_F(RunLoop, ClearedRecordRunsOneInstructionBeforeTheHook) {
    Z80Regs r;
    Z80ClearRegisters(&r);
    EXPECT_EQ(1, Z80RunUntilQuit(&r));
}

TEST_F(RunLoop, EachSliceStartsAtTheFullPeriodWhateverTheOverrun) {
    Z80Regs r = FreshRegs();
    r.hookPeriod = 10;
    r.cycleBudget = 10;
    HookLog log;
    QuitAtCall(&log, 3);
    Z80RunUntilQuit(&r);
    // Three NOPs per slice (10, 6, 2, -2); carrying -2 over would give two.
    ASSERT_EQ(3u, log.pcs.size());
    EXPECT_EQ(3, log.pcs[0]);
    EXPECT_EQ(6, log.pcs[1]);
    EXPECT_EQ(9, log.pcs[2]);
    EXPECT_EQ(-2, log.budgets[1]);
    EXPECT_EQ(10, r.cycleBudget);
}

TEST_F(RunLoop, QuitReturnsPcWithoutRunningAnotherInstruction) {
    LoadBytes(0, {0x00, 0x3E, 0x55, 0x32, 0x00, 0x80}); // NOP; LD A,0x55; LD (0x8000),A
    Z80Regs r = FreshRegs();
    r.cycleBudget = 4;
    EXPECT_EQ(1, Z80RunUntilQuit(&r));
    EXPECT_EQ(0, Machine.memory[0x8000]);
    EXPECT_EQ(0, A(r));
    // The same record runs on from where it left off.
    Machine.hook = [](Z80Regs *) -> uint16_t { return Z80VectorQuit; };
    r.cycleBudget = 20;
    EXPECT_EQ(6, Z80RunUntilQuit(&r));
    EXPECT_EQ(0x55, Machine.memory[0x8000]);
}

TEST_F(RunLoop, HookCodesBecomeInterrupts) {
    LoadBytes(0x38, {0x76}); // the handler halts
    Z80Regs r = FreshRegs();
    r.interruptState = Z80Iff1 | Z80Mode1;
    r.hookPeriod = r.cycleBudget = 8;
    int calls = 0;
    Machine.hook = [&calls](Z80Regs *) -> uint16_t { return ++calls == 1 ? 0x00FF : Z80VectorQuit; };
    EXPECT_EQ(0x38, Z80RunUntilQuit(&r));
    EXPECT_EQ(2, StackWord(r));
    EXPECT_EQ(Z80Iff1AtInterrupt | Z80Mode1 | Z80Halted, r.interruptState);
}

TEST_F(RunLoop, EiWithoutARequestOnlySetsIff1) {
    LoadBytes(0, {0xFB});
    Z80Regs r = FreshRegs();
    EXPECT_EQ(4, StepCost(&r));
    EXPECT_EQ(Z80Iff1, r.interruptState);
}

TEST_F(RunLoop, EiWithARequestParksTheBudget) {
    LoadBytes(0, {0xFB});
    Z80Regs r = FreshRegs();
    r.cycleBudget = 500;
    r.pendingVector = 0x0038;
    Z80StepOne(&r);
    EXPECT_EQ(1, r.cycleBudget);
    EXPECT_EQ(496, r.budgetBeforeEi);
    EXPECT_EQ(Z80Iff1 | Z80EiPending, r.interruptState);
}

TEST_F(RunLoop, PendingRequestIsTakenAfterExactlyOneMoreInstruction) {
    Z80Regs r = FreshRegs();
    LoadBytes(0, {0xFB}); // EI, then NOPs
    r.interruptState = Z80Mode1;
    r.pendingVector = 0x00FF;
    r.hookPeriod = r.cycleBudget = 1000;
    HookLog log;
    QuitAtCall(&log, 1);
    Z80RunUntilQuit(&r);
    EXPECT_EQ(2, StackWord(r)); // after EI and one NOP
    // The slice went on as if EI had not touched the budget: 1000 - 4 - 4
    // cycles were left when the handler's NOPs began.
    EXPECT_EQ(0x38 + 992 / 4, log.pcs[0]);
    EXPECT_EQ(0x00FF, r.pendingVector); // stays pending for the next EI
}

TEST_F(RunLoop, EiFollowedByDiIgnoresTheRequestAndKeepsTheBudget) {
    LoadBytes(0, {0xFB, 0xF3});
    Z80Regs r = FreshRegs();
    r.interruptState = Z80Mode1;
    r.pendingVector = 0x00FF;
    r.hookPeriod = r.cycleBudget = 1000;
    HookLog log;
    QuitAtCall(&log, 1);
    Z80RunUntilQuit(&r);
    EXPECT_EQ(Z80ResetStack, r.SP);
    EXPECT_EQ(2 + 992 / 4, log.pcs[0]);
    EXPECT_EQ(Z80Mode1, r.interruptState);
}

TEST_F(RunLoop, ClearedRecordHasNoRequestSoEiNeverJumpsToZero) {
    LoadBytes(0x100, {0xFB}); // EI, then NOPs
    Z80Regs r;
    Z80ClearRegisters(&r);
    r.PC = 0x100;
    r.SP = Z80ResetStack;
    r.hookPeriod = r.cycleBudget = 400;
    EXPECT_EQ(Z80VectorNone, r.pendingVector);
    EXPECT_EQ(0x100 + 100, Z80RunUntilQuit(&r));
    EXPECT_EQ(Z80ResetStack, r.SP);
}

// A chain of EIs must not hold the budget at one cycle forever: the second
// EI leaves the first one's hold, so the request comes after it and the
// slice still ends.
TEST_F(RunLoop, RunOfEisStillReachesTheHook) {
    memset(Machine.memory, 0xFB, sizeof Machine.memory);
    Z80Regs r = FreshRegs();
    r.pendingVector = 0x00FF;
    r.interruptState = Z80Mode1;
    r.cycleBudget = 100;
    Z80StepOne(&r);
    Z80StepOne(&r);
    EXPECT_EQ(-3, r.cycleBudget);
    EXPECT_EQ(96, r.budgetBeforeEi);
    r.PC = 0;
    r.hookPeriod = r.cycleBudget = 1000;
    r.interruptState = Z80Mode1;
    uint16_t spAtHook = 0;
    Machine.hook = [&spAtHook](Z80Regs *regs) -> uint16_t {
        spAtHook = regs->SP;
        return Z80VectorQuit;
    };
    Z80RunUntilQuit(&r);
    // Each pair of EIs takes one request and spends 8 cycles, so the hook
    // comes once 1000 cycles are spent, not when the stack has worn the
    // program away.
    EXPECT_EQ(1, Machine.hookCalls);
    EXPECT_GE(spAtHook, Z80ResetStack - 2 * (1000 / 8 + 1));
}

// When the instruction after EI spends the slice, the request is taken and
// the hook follows at once, before the handler's first instruction.
TEST_F(RunLoop, ParkedRequestThatEndsTheSliceIsFollowedByTheHook) {
    LoadBytes(0, {0xFB});
    Z80Regs r = FreshRegs();
    r.interruptState = Z80Mode1;
    r.pendingVector = 0x00FF;
    r.cycleBudget = 4;
    HookLog log;
    QuitAtCall(&log, 1);
    EXPECT_EQ(0x38, Z80RunUntilQuit(&r));
    EXPECT_EQ(2, StackWord(r));
}

// Prefixes that the tables charge nothing for still cost a cycle each, so a
// loop made only of them cannot keep the machine from being stopped.
TEST_F(RunLoop, FreePrefixLoopsStillReachTheHook) {
    const std::vector<std::vector<uint8_t>> loops = {
        {0xDD, 0x18, 0xFE},       // JR to itself behind DD
        {0xFD, 0xC3, 0x00, 0x00}, // JP 0 behind FD
        {0xED, 0x00, 0x18, 0xFC}, // undefined ED code, JR back
    };
    for (const auto &loop : loops) {
        ResetMachine();
        LoadBytes(0, loop);
        Z80Regs r = FreshRegs();
        r.hookPeriod = r.cycleBudget = 100;
        Z80RunUntilQuit(&r);
        EXPECT_EQ(1, Machine.hookCalls);
    }
    ResetMachine();
    memset(Machine.memory, 0xDD, sizeof Machine.memory);
    Z80Regs r = FreshRegs();
    r.hookPeriod = r.cycleBudget = 100;
    EXPECT_EQ(100, Z80RunUntilQuit(&r)); // one cycle per dropped prefix
}

TEST_F(RunLoop, HaltStaysOnItsOpcodeAndEndsTheSlice) {
    LoadBytes(0x200, {0x76});
    Z80Regs r = FreshRegs();
    r.PC = 0x200;
    EXPECT_EQ(0x200, Z80StepOne(&r));
    EXPECT_EQ(Z80Halted, r.interruptState);
    EXPECT_EQ(0, r.cycleBudget);
    r.hookPeriod = 1000;
    HookLog log;
    QuitAtCall(&log, 3);
    EXPECT_EQ(0x200, Z80RunUntilQuit(&r));
    EXPECT_EQ(3, Machine.hookCalls);
}

TEST_F(RunLoop, InterruptWhileHaltedResumesAfterTheHalt) {
    LoadBytes(0x100, {0x76, 0x76});
    LoadBytes(0x38, {0xFB, 0xC9}); // EI; RET
    Z80Regs r = FreshRegs();
    r.PC = 0x100;
    r.interruptState = Z80Iff1 | Z80Mode1;
    r.hookPeriod = r.cycleBudget = 1000;
    uint16_t pushed = 0;
    int calls = 0;
    Machine.hook = [&](Z80Regs *regs) -> uint16_t {
        if (++calls == 1)
            return 0x00FF;
        pushed = (uint16_t)(Machine.memory[0xEFFE] | Machine.memory[0xEFFF] << 8);
        return Z80VectorQuit;
    };
    EXPECT_EQ(0x101, Z80RunUntilQuit(&r));
    EXPECT_EQ(0x101, pushed);
}

TEST_F(RunLoop, DdPrefixedHaltStepsBackOntoTheHaltByte) {
    LoadBytes(0x10, {0xDD, 0x76});
    Z80Regs r = FreshRegs();
    r.PC = 0x10;
    EXPECT_EQ(0x11, Z80StepOne(&r));
    EXPECT_EQ(Z80Halted, r.interruptState);
    EXPECT_EQ(0, r.cycleBudget);
}

class Interrupts : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachine();
        r = FreshRegs();
        r.PC = 0x1234;
        r.interruptState = Z80Iff1;
    }
    Z80Regs r;
};

TEST_F(Interrupts, ModeZeroJumpsToTheCode) {
    StartTrace();
    Z80TakeInterrupt(&r, 0x0028);
    EXPECT_EQ(0x0028, r.PC);
    EXPECT_EQ(Z80Iff1AtInterrupt, r.interruptState);
    // PC is pushed high byte first.
    std::vector<Access> expected = {{AccessWrite, 0xEFFF, 0x12}, {AccessWrite, 0xEFFE, 0x34}};
    EXPECT_EQ(expected, Machine.trace);
}

TEST_F(Interrupts, ModeOneJumpsTo38) {
    r.interruptState |= Z80Mode1;
    Z80TakeInterrupt(&r, 0x00FF);
    EXPECT_EQ(0x0038, r.PC);
}

TEST_F(Interrupts, ModeTwoReadsTheVectorTable) {
    r.interruptState |= Z80Mode2;
    r.I = 0x80;
    LoadBytes(0x8010, {0xCD, 0xAB});
    Z80TakeInterrupt(&r, 0x0010);
    EXPECT_EQ(0xABCD, r.PC);
}

TEST_F(Interrupts, ModeTwoTableWrapsAtTheTopOfMemory) {
    r.interruptState |= Z80Mode2;
    r.I = 0xFF;
    LoadBytes(0xFFFF, {0x21});
    LoadBytes(0x0000, {0x43});
    Z80TakeInterrupt(&r, 0x00FF);
    EXPECT_EQ(0x4321, r.PC);
}

TEST_F(Interrupts, MaskableRequestIgnoredWhileDisabled) {
    r.interruptState = Z80Mode1;
    Z80TakeInterrupt(&r, 0x00FF);
    EXPECT_EQ(0x1234, r.PC);
    EXPECT_EQ(Z80ResetStack, r.SP);
    EXPECT_EQ(Z80Mode1, r.interruptState);
}

TEST_F(Interrupts, NmiWhileDisabledThenRetnKeepsInterruptsOff) {
    r.interruptState = Z80Mode1;
    Z80TakeInterrupt(&r, Z80VectorNmi);
    EXPECT_EQ(0x0066, r.PC);
    EXPECT_EQ(Z80Mode1, r.interruptState);
    LoadBytes(0x66, {0xED, 0x45});
    Z80StepOne(&r);
    EXPECT_EQ(0x1234, r.PC);
    EXPECT_EQ(Z80Mode1, r.interruptState);
}

TEST_F(Interrupts, RetnRestoresIff1AsItStoodAtTheInterrupt) {
    r.interruptState |= Z80Mode2;
    LoadBytes(0x0000, {0x00, 0x30});
    Z80TakeInterrupt(&r, 0x0000);
    EXPECT_EQ(0x3000, r.PC);
    EXPECT_EQ(Z80Mode2 | Z80Iff1AtInterrupt, r.interruptState);
    LoadBytes(0x3000, {0xED, 0x45});
    Z80StepOne(&r);
    EXPECT_EQ(0x1234, r.PC);
    EXPECT_EQ(Z80Mode2 | Z80Iff1 | Z80Iff1AtInterrupt, r.interruptState);
}

TEST_F(Interrupts, RetiLeavesTheInterruptStateAlone) {
    r.interruptState |= Z80Mode1;
    Z80TakeInterrupt(&r, 0x00FF);
    LoadBytes(0x38, {0xED, 0x4D});
    Z80StepOne(&r);
    EXPECT_EQ(0x1234, r.PC);
    EXPECT_EQ(Z80Mode1 | Z80Iff1AtInterrupt, r.interruptState);
}

TEST_F(Interrupts, NmiWhileEnabledRemembersIff1) {
    Z80TakeInterrupt(&r, Z80VectorNmi);
    EXPECT_EQ(Z80Iff1AtInterrupt, r.interruptState);
}

TEST_F(Interrupts, AcceptanceClearsEiPendingButNotTheRequest) {
    r.interruptState |= Z80EiPending;
    r.pendingVector = 0x0008;
    Z80TakeInterrupt(&r, 0x0008);
    EXPECT_EQ(Z80Iff1AtInterrupt, r.interruptState);
    EXPECT_EQ(0x0008, r.pendingVector);
}

TEST_F(Interrupts, DiLeavesTheSavedIff1Alone) {
    r.interruptState = Z80Iff1 | Z80Iff1AtInterrupt;
    LoadBytes(0x1234, {0xF3});
    Z80StepOne(&r);
    EXPECT_EQ(Z80Iff1AtInterrupt, r.interruptState);
}

TEST_F(Interrupts, ImSetsTheModeBits) {
    LoadBytes(0x1234, {0xED, 0x5E, 0xED, 0x56, 0xED, 0x46});
    Z80StepOne(&r);
    EXPECT_EQ(Z80Iff1 | Z80Mode2, r.interruptState);
    Z80StepOne(&r);
    EXPECT_EQ(Z80Iff1 | Z80Mode1, r.interruptState);
    Z80StepOne(&r);
    EXPECT_EQ(Z80Iff1, r.interruptState);
}

TEST(Reset, SetsTheResetStateAndKeepsTheOwnersFields) {
    Z80Regs r;
    memset(&r, 0x5A, sizeof r);
    r.hookPeriod = 51166;
    Z80ResetRegisters(&r);
    EXPECT_EQ(0, r.AF | r.BC | r.DE | r.HL | r.IX | r.IY | r.PC);
    EXPECT_EQ(0, r.AFAlt | r.BCAlt | r.DEAlt | r.HLAlt);
    EXPECT_EQ(0xF000, r.SP);
    EXPECT_EQ(0, r.interruptState);
    EXPECT_EQ(0, r.I);
    EXPECT_EQ(51166, r.cycleBudget);
    EXPECT_EQ(Z80VectorNone, r.pendingVector);
    EXPECT_EQ(0x5A, r.R);
    EXPECT_EQ(0x5A5A5A5A, r.budgetBeforeEi);
    EXPECT_EQ(0x5A5A5A5Au, r.userTag);
    EXPECT_EQ(0x5A, r.reportUnknownOpcodes);
}

} // namespace
