#include "test_machine.h"

#include <string.h>

#include "z80_machine.h"

TestMachine Machine;

void ResetMachine() {
    memset(Machine.memory, 0, sizeof Machine.memory);
    memset(Machine.portValue, 0, sizeof Machine.portValue);
    Machine.tracing = false;
    Machine.trace.clear();
    Machine.portsRead.clear();
    Machine.portWrites.clear();
    Machine.hookCalls = 0;
    Machine.hook = nullptr;
    Machine.patch = nullptr;
}

void LoadBytes(uint16_t address, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes)
        Machine.memory[address++] = b;
}

void LoadBytes(uint16_t address, const std::vector<uint8_t> &bytes) {
    for (uint8_t b : bytes)
        Machine.memory[address++] = b;
}

void StartTrace() {
    Machine.trace.clear();
    Machine.tracing = true;
}

Z80Regs FreshRegs() {
    Z80Regs r;
    Z80ClearRegisters(&r);
    r.SP = Z80ResetStack;
    r.hookPeriod = 1000000;
    r.cycleBudget = 1000000;
    return r;
}

int StepCost(Z80Regs *regs) {
    int32_t before = regs->cycleBudget;
    Z80StepOne(regs);
    return before - regs->cycleBudget;
}

uint8_t ArcadeReadMem(uint16_t address) {
    uint8_t value = Machine.memory[address];
    if (Machine.tracing)
        Machine.trace.push_back({AccessRead, address, value});
    return value;
}

void ArcadeWriteMem(uint16_t address, uint8_t value) {
    Machine.memory[address] = value;
    if (Machine.tracing)
        Machine.trace.push_back({AccessWrite, address, value});
}

uint8_t ArcadeInPort(uint16_t port) {
    Machine.portsRead.push_back(port);
    uint8_t value = Machine.portValue[port & 0xFF];
    if (Machine.tracing)
        Machine.trace.push_back({AccessIn, port, value});
    return value;
}

void ArcadeOutPort(uint16_t port, uint8_t value) {
    Machine.portWrites.push_back({AccessOut, port, value});
    if (Machine.tracing)
        Machine.trace.push_back({AccessOut, port, value});
}

void ArcadePatch(Z80Regs *regs) {
    if (Machine.patch)
        Machine.patch(regs);
}

uint16_t ArcadeFrameHook(Z80Regs *regs) {
    Machine.hookCalls++;
    return Machine.hook ? Machine.hook(regs) : (uint16_t)Z80VectorQuit;
}
