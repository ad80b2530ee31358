// A flat 64 KB machine for the Z80 core: every access can be traced, ports
// answer from a table, and the hook and patch opcode call what a test sets.
#pragma once
#include <stdint.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "z80.h"

enum AccessKind { AccessRead, AccessWrite, AccessIn, AccessOut };

struct Access {
    AccessKind kind;
    uint16_t address;
    uint8_t value;
    bool operator==(const Access &o) const { return kind == o.kind && address == o.address && value == o.value; }
};

struct TestMachine {
    uint8_t memory[65536];
    uint8_t portValue[256];          // what ArcadeInPort returns for each low byte
    bool tracing;
    std::vector<Access> trace;
    std::vector<uint16_t> portsRead;  // whole 16-bit port numbers, for the high byte
    std::vector<Access> portWrites;
    int hookCalls;
    std::function<uint16_t(Z80Regs *)> hook; // default: quit at once
    std::function<void(Z80Regs *)> patch;
};

extern TestMachine Machine;

// Clears memory, ports, trace and callbacks.
void ResetMachine();
void LoadBytes(uint16_t address, std::initializer_list<uint8_t> bytes);
void LoadBytes(uint16_t address, const std::vector<uint8_t> &bytes);
void StartTrace();

// A cleared register file with a budget large enough for any single step.
Z80Regs FreshRegs();
// Runs one instruction at PC and returns the T-states it charged.
int StepCost(Z80Regs *regs);

// The value of A and F in a register file.
inline uint8_t A(const Z80Regs &r) { return (uint8_t)(r.AF >> 8); }
inline uint8_t F(const Z80Regs &r) { return (uint8_t)r.AF; }
