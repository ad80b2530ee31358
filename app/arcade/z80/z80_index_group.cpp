// The DD and FD groups: HL's instructions on IX or IY, (IX+d) operands, the
// undocumented half-register forms and the DD CB / FD CB bit operations.
// Everything else runs as its plain form.
#include <array>

#include "z80_internal.h"
#include "z80_unknown_opcode.h"

namespace {

// index is &regs->IX or &regs->IY.
typedef void (*IndexHandler)(Z80Regs *r, uint8_t op, uint16_t *index);

bool IsIy(const Z80Regs *r, const uint16_t *index) { return index == &r->IY; }

// The prefix only costs the group's table entry, so the plain instruction
// charges nothing more.
void RunPlain(Z80Regs *r, uint8_t op, uint16_t *) { Z80MainHandlers[op](r, op); }

void AddPair(Z80Regs *r, uint8_t op, uint16_t *index) { *index = Z80AddWord(r, *index, *PairForLoad(r, op, index)); }
void LoadImmediate(Z80Regs *r, uint8_t, uint16_t *index) { *index = FetchWord(r); }
void StoreDirect(Z80Regs *r, uint8_t, uint16_t *index) { WriteWord(FetchWord(r), *index); }
void LoadDirect(Z80Regs *r, uint8_t, uint16_t *index) { *index = ReadWord(FetchWord(r)); }
void Increment(Z80Regs *, uint8_t, uint16_t *index) { ++*index; }
void Decrement(Z80Regs *, uint8_t, uint16_t *index) { --*index; }

// Operands 4 and 5 are the index register's halves in these forms.
void IncrementHalf(Z80Regs *r, uint8_t op, uint16_t *index) {
    int operand = (op >> 3) & 7;
    SetRegister(r, operand, index, Z80Increment(r, GetRegister(r, operand, index)));
}

void DecrementHalf(Z80Regs *r, uint8_t op, uint16_t *index) {
    int operand = (op >> 3) & 7;
    SetRegister(r, operand, index, Z80Decrement(r, GetRegister(r, operand, index)));
}

void LoadHalfImmediate(Z80Regs *r, uint8_t op, uint16_t *index) { SetRegister(r, (op >> 3) & 7, index, FetchByte(r)); }

void LoadHalves(Z80Regs *r, uint8_t op, uint16_t *index) {
    SetRegister(r, (op >> 3) & 7, index, GetRegister(r, op & 7, index));
}

void ArithmeticHalf(Z80Regs *r, uint8_t op, uint16_t *index) { Z80Arithmetic(r, op, GetRegister(r, op & 7, index)); }

void IncrementMemory(Z80Regs *r, uint8_t, uint16_t *index) {
    uint16_t address = FetchIndexedAddress(r, *index);
    ArcadeWriteMem(address, Z80Increment(r, ArcadeReadMem(address)));
}

void DecrementMemory(Z80Regs *r, uint8_t, uint16_t *index) {
    uint16_t address = FetchIndexedAddress(r, *index);
    ArcadeWriteMem(address, Z80Decrement(r, ArcadeReadMem(address)));
}

// The immediate follows the displacement.
void LoadMemoryImmediate(Z80Regs *r, uint8_t, uint16_t *index) {
    uint16_t address = FetchIndexedAddress(r, *index);
    ArcadeWriteMem(address, FetchByte(r));
}

// With a memory operand, H and L stay H and L.
void LoadRegisterMemory(Z80Regs *r, uint8_t op, uint16_t *index) {
    uint16_t address = FetchIndexedAddress(r, *index);
    SetRegister(r, (op >> 3) & 7, &r->HL, ArcadeReadMem(address));
}

void LoadMemoryRegister(Z80Regs *r, uint8_t op, uint16_t *index) {
    uint16_t address = FetchIndexedAddress(r, *index);
    ArcadeWriteMem(address, GetRegister(r, op & 7, &r->HL));
}

void ArithmeticMemory(Z80Regs *r, uint8_t op, uint16_t *index) {
    uint16_t address = FetchIndexedAddress(r, *index);
    Z80Arithmetic(r, op, ArcadeReadMem(address));
}

void Halt(Z80Regs *r, uint8_t, uint16_t *) { Z80Halt(r); }
void Pop(Z80Regs *r, uint8_t, uint16_t *index) { *index = PopWord(r); }
void Push(Z80Regs *r, uint8_t, uint16_t *index) { PushWord(r, *index); }
void JumpIndex(Z80Regs *r, uint8_t, uint16_t *index) { r->PC = *index; }
void LoadSpIndex(Z80Regs *r, uint8_t, uint16_t *index) { r->SP = *index; }

void ExchangeStack(Z80Regs *r, uint8_t, uint16_t *index) { Z80ExchangeStackTop(r, index); }

// Behind a prefix a taken branch costs nothing beyond the group's charge.
void DecrementJumpNotZero(Z80Regs *r, uint8_t, uint16_t *) { Z80DecrementJumpNotZero(r, 0); }
void JumpRelativeConditional(Z80Regs *r, uint8_t op, uint16_t *) {
    Z80JumpRelativeIf(r, ConditionHolds(r, JumpRelativeCondition(op)), 0);
}
void CallConditional(Z80Regs *r, uint8_t op, uint16_t *) { Z80CallIf(r, ConditionHolds(r, op), 0); }
void ReturnConditional(Z80Regs *r, uint8_t op, uint16_t *) { Z80ReturnIf(r, ConditionHolds(r, op), 0); }

// DD DD, DD FD, FD DD, FD FD: the first prefix is dropped.
void DropPrefix(Z80Regs *r, uint8_t, uint16_t *) { r->PC--; }

// DD ED, FD ED: the ED byte is consumed; the byte after it starts the next
// instruction.
void Undefined(Z80Regs *r, uint8_t, uint16_t *index) {
    ReportUnknownIndexCode(r, (uint16_t)(r->PC - 2), IsIy(r, index));
}

// DD CB d op: the address is formed before the opcode is read. The forms
// that would also copy the result into a register are not carried out.
void BitOperation(Z80Regs *r, uint8_t, uint16_t *index) {
    uint16_t prefixAddress = (uint16_t)(r->PC - 2);
    uint16_t address = FetchIndexedAddress(r, *index);
    uint8_t op = FetchByte(r);
    int cost = Z80CycleTableIndexCB[op];
    if (cost == 0) {
        r->cycleBudget -= Z80PrefixFloorCycles;
        ReportUnknownIndexBitCode(r, prefixAddress, IsIy(r, index));
        return;
    }
    r->cycleBudget -= cost;
    uint8_t result;
    if (Z80BitOperation(r, op, ArcadeReadMem(address), &result))
        ArcadeWriteMem(address, result);
}

constexpr bool UsesHalf(int operand) { return operand == 4 || operand == 5; }

constexpr std::array<IndexHandler, 256> MakeIndexHandlers() {
    std::array<IndexHandler, 256> t = {};
    for (IndexHandler &h : t)
        h = RunPlain;
    for (int pair = 0; pair < 4; pair++)
        t[0x09 | pair << 4] = AddPair;
    t[0x21] = LoadImmediate;
    t[0x22] = StoreDirect;
    t[0x2A] = LoadDirect;
    t[0x23] = Increment;
    t[0x2B] = Decrement;
    t[0x24] = IncrementHalf;
    t[0x2C] = IncrementHalf;
    t[0x25] = DecrementHalf;
    t[0x2D] = DecrementHalf;
    t[0x26] = LoadHalfImmediate;
    t[0x2E] = LoadHalfImmediate;
    t[0x34] = IncrementMemory;
    t[0x35] = DecrementMemory;
    t[0x36] = LoadMemoryImmediate;
    for (int op = 0x40; op < 0x80; op++) {
        int to = (op >> 3) & 7, from = op & 7;
        if (to == Z80OperandMemory)
            t[op] = LoadMemoryRegister;
        else if (from == Z80OperandMemory)
            t[op] = LoadRegisterMemory;
        else if (UsesHalf(to) || UsesHalf(from))
            t[op] = LoadHalves;
    }
    t[0x76] = Halt;
    for (int op = 0x80; op < 0xC0; op++) {
        if ((op & 7) == Z80OperandMemory)
            t[op] = ArithmeticMemory;
        else if (UsesHalf(op & 7))
            t[op] = ArithmeticHalf;
    }
    t[0xE1] = Pop;
    t[0xE3] = ExchangeStack;
    t[0xE5] = Push;
    t[0xE9] = JumpIndex;
    t[0xF9] = LoadSpIndex;
    t[0x10] = DecrementJumpNotZero;
    for (int op = 0x20; op < 0x40; op += 8)
        t[op] = JumpRelativeConditional;
    for (int n = 0; n < 8; n++) {
        t[0xC0 | n << 3] = ReturnConditional;
        t[0xC4 | n << 3] = CallConditional;
    }
    t[0xCB] = BitOperation;
    t[0xDD] = DropPrefix;
    t[0xFD] = DropPrefix;
    t[0xED] = Undefined;
    return t;
}

const std::array<IndexHandler, 256> kIndexHandlers = MakeIndexHandlers();

// The forms that keep HL, and dropped or undefined prefixes, have no table
// cost; they still cost a cycle so that no loop of them is free. DD CB
// charges when its opcode is known.
void ExecuteIndexGroup(Z80Regs *r, uint16_t *index) {
    uint8_t op = FetchByte(r);
    int cost = Z80CycleTableIndex[op];
    if (cost == 0 && op != 0xCB)
        cost = Z80PrefixFloorCycles;
    r->cycleBudget -= cost;
    kIndexHandlers[op](r, op, index);
}

} // namespace

void Z80ExecuteIxGroup(Z80Regs *regs) { ExecuteIndexGroup(regs, &regs->IX); }
void Z80ExecuteIyGroup(Z80Regs *regs) { ExecuteIndexGroup(regs, &regs->IY); }
