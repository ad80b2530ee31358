#include "program_harness.h"

#include "test_machine.h"

namespace {

const uint16_t kProgramStart = 0x0100;
const uint16_t kExitTrap = 0x0000;
const uint16_t kConsoleTrap = 0x0005;
const uint8_t kPatchOpcode[] = {0xED, 0xFE};

// Both traps are ED FE: PC tells which one ran.
void Trap(Z80Regs *r, ProgramRun *run) {
    if (r->PC == kExitTrap + 2) {
        run->finished = true;
        r->cycleBudget = 0;
        return;
    }
    uint8_t function = (uint8_t)r->BC;
    if (function == 2) {
        run->console += (char)(uint8_t)r->DE;
    } else if (function == 9) {
        uint16_t at = r->DE;
        for (int n = 0; n < 0x10000 && Machine.memory[at] != '$'; n++)
            run->console += (char)Machine.memory[at++];
    }
}

} // namespace

ProgramRun RunProgram(const std::vector<uint8_t> &program, int maxSlices, uint16_t interruptVector,
                      int32_t slicePeriod) {
    ResetMachine();
    ProgramRun run = {"", false, 0};
    LoadBytes(kExitTrap, {kPatchOpcode[0], kPatchOpcode[1], 0x76});
    LoadBytes(kConsoleTrap, {kPatchOpcode[0], kPatchOpcode[1], 0xC9}); // trap; RET
    LoadBytes(kProgramStart, program);
    Machine.patch = [&run](Z80Regs *r) { Trap(r, &run); };
    Machine.hook = [&run, maxSlices, interruptVector](Z80Regs *) -> uint16_t {
        run.slices++;
        if (run.finished || run.slices >= maxSlices)
            return Z80VectorQuit;
        return interruptVector;
    };
    Z80Regs r = FreshRegs();
    r.hookPeriod = r.cycleBudget = slicePeriod;
    r.PC = kProgramStart;
    r.SP = (uint16_t)(Z80ResetStack - 2); // the return address 0x0000 is on the stack
    Z80RunUntilQuit(&r);
    return run;
}
