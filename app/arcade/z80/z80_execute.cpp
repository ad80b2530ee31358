// The unprefixed instruction set: one handler per family of opcodes and the
// 256-way table that dispatches the first byte.
#include <array>

#include "z80_internal.h"

namespace {

const int kKeptByAccumulatorRotate = Z80FlagS | Z80FlagZ | Z80FlagPV | Z80FlagBit3 | Z80FlagBit5;

void DoNothing(Z80Regs *, uint8_t) {}

void LoadPairImmediate(Z80Regs *r, uint8_t op) { *PairForLoad(r, op, &r->HL) = FetchWord(r); }
void IncrementPair(Z80Regs *r, uint8_t op) { ++*PairForLoad(r, op, &r->HL); }
void DecrementPair(Z80Regs *r, uint8_t op) { --*PairForLoad(r, op, &r->HL); }
void AddPairToHl(Z80Regs *r, uint8_t op) { r->HL = Z80AddWord(r, r->HL, *PairForLoad(r, op, &r->HL)); }

// 02 and 12: LD (BC),A and LD (DE),A; 0A and 1A the loads back.
void StoreAIndirect(Z80Regs *r, uint8_t op) { ArcadeWriteMem(op & 0x10 ? r->DE : r->BC, GetA(r)); }
void LoadAIndirect(Z80Regs *r, uint8_t op) { SetA(r, ArcadeReadMem(op & 0x10 ? r->DE : r->BC)); }
void StoreHlDirect(Z80Regs *r, uint8_t) { WriteWord(FetchWord(r), r->HL); }
void LoadHlDirect(Z80Regs *r, uint8_t) { r->HL = ReadWord(FetchWord(r)); }
void StoreADirect(Z80Regs *r, uint8_t) { ArcadeWriteMem(FetchWord(r), GetA(r)); }
void LoadADirect(Z80Regs *r, uint8_t) { SetA(r, ArcadeReadMem(FetchWord(r))); }

// INC r, DEC r and LD r,n keep their operand in bits 3-5; (HL) is read once
// and written once.
void IncrementOperand(Z80Regs *r, uint8_t op) {
    int operand = (op >> 3) & 7;
    WriteOperand(r, operand, Z80Increment(r, ReadOperand(r, operand)));
}

void DecrementOperand(Z80Regs *r, uint8_t op) {
    int operand = (op >> 3) & 7;
    WriteOperand(r, operand, Z80Decrement(r, ReadOperand(r, operand)));
}

void LoadOperandImmediate(Z80Regs *r, uint8_t op) { WriteOperand(r, (op >> 3) & 7, FetchByte(r)); }

void LoadOperandOperand(Z80Regs *r, uint8_t op) { WriteOperand(r, (op >> 3) & 7, ReadOperand(r, op & 7)); }

void ArithmeticOperand(Z80Regs *r, uint8_t op) { Z80Arithmetic(r, op, ReadOperand(r, op & 7)); }
void ArithmeticImmediate(Z80Regs *r, uint8_t op) { Z80Arithmetic(r, op, FetchByte(r)); }

// RLCA, RRCA, RLA, RRA: the CB rotates on A, but S, Z and P/V stay.
void RotateAccumulator(Z80Regs *r, uint8_t op) {
    uint8_t before = GetF(r);
    SetA(r, Z80RotateShift(r, op, GetA(r)));
    SetF(r, (before & kKeptByAccumulatorRotate) | (GetF(r) & Z80FlagC));
}

void DecimalAdjust(Z80Regs *r, uint8_t) {
    int f = GetF(r);
    int index = GetA(r) | (f & Z80FlagC) << 8 | (f & Z80FlagH) << 5 | (f & Z80FlagN) << 9;
    r->AF = Z80DaaResults[index];
}

void Complement(Z80Regs *r, uint8_t) {
    SetA(r, (uint8_t)~GetA(r));
    SetF(r, GetF(r) | Z80FlagH | Z80FlagN);
}

void SetCarry(Z80Regs *r, uint8_t) { SetF(r, (GetF(r) & ~(Z80FlagH | Z80FlagN)) | Z80FlagC); }

void ComplementCarry(Z80Regs *r, uint8_t) {
    int f = GetF(r);
    SetF(r, ((f & ~(Z80FlagH | Z80FlagN)) | (f & Z80FlagC) << 4) ^ Z80FlagC);
}

void ExchangeAf(Z80Regs *r, uint8_t) {
    uint16_t t = r->AF;
    r->AF = r->AFAlt;
    r->AFAlt = t;
}

void ExchangeAll(Z80Regs *r, uint8_t) {
    uint16_t t = r->BC; r->BC = r->BCAlt; r->BCAlt = t;
    t = r->DE; r->DE = r->DEAlt; r->DEAlt = t;
    t = r->HL; r->HL = r->HLAlt; r->HLAlt = t;
}

void ExchangeDeHl(Z80Regs *r, uint8_t) {
    uint16_t t = r->DE;
    r->DE = r->HL;
    r->HL = t;
}

void ExchangeStackHl(Z80Regs *r, uint8_t) { Z80ExchangeStackTop(r, &r->HL); }

void LoadSpHl(Z80Regs *r, uint8_t) { r->SP = r->HL; }
void JumpHl(Z80Regs *r, uint8_t) { r->PC = r->HL; }

void DecrementJumpNotZero(Z80Regs *r, uint8_t) { Z80DecrementJumpNotZero(r, Z80TakenJrExtra); }
void JumpRelative(Z80Regs *r, uint8_t) { Z80JumpRelativeIf(r, true, 0); }
void JumpRelativeConditional(Z80Regs *r, uint8_t op) {
    Z80JumpRelativeIf(r, ConditionHolds(r, JumpRelativeCondition(op)), Z80TakenJrExtra);
}

void Jump(Z80Regs *r, uint8_t) { r->PC = FetchWord(r); }

void JumpConditional(Z80Regs *r, uint8_t op) {
    uint16_t target = FetchWord(r);
    if (ConditionHolds(r, op))
        r->PC = target;
}

void Call(Z80Regs *r, uint8_t) { Z80CallIf(r, true, 0); }
void CallConditional(Z80Regs *r, uint8_t op) { Z80CallIf(r, ConditionHolds(r, op), Z80TakenCallExtra); }
void Return(Z80Regs *r, uint8_t) { r->PC = PopWord(r); }
void ReturnConditional(Z80Regs *r, uint8_t op) { Z80ReturnIf(r, ConditionHolds(r, op), Z80TakenRetExtra); }

void Restart(Z80Regs *r, uint8_t op) {
    PushWord(r, r->PC);
    r->PC = op & 0x38;
}

void Push(Z80Regs *r, uint8_t op) { PushWord(r, *PairForStack(r, op, &r->HL)); }
void Pop(Z80Regs *r, uint8_t op) { *PairForStack(r, op, &r->HL) = PopWord(r); }

void Halt(Z80Regs *r, uint8_t) { Z80Halt(r); }

void DisableInterrupts(Z80Regs *r, uint8_t) { r->interruptState &= (uint8_t)~Z80Iff1; }

// A pending request waits for exactly one more instruction: the budget is
// parked and the run loop presents the request when the next instruction
// spends the single cycle left. An EI right after an EI leaves the first
// one's hold alone, so a run of EIs cannot keep the slice from ending.
void EnableInterrupts(Z80Regs *r, uint8_t) {
    r->interruptState |= Z80Iff1;
    if (r->pendingVector == Z80VectorNone || (r->interruptState & Z80EiPending))
        return;
    r->interruptState |= Z80EiPending;
    r->budgetBeforeEi = r->cycleBudget;
    r->cycleBudget = 1;
}

// The machine's ports are 8 bits wide: the high byte is always 0.
void OutputA(Z80Regs *r, uint8_t) { ArcadeOutPort(FetchByte(r), GetA(r)); }
void InputA(Z80Regs *r, uint8_t) { SetA(r, ArcadeInPort(FetchByte(r))); }

void PrefixCb(Z80Regs *r, uint8_t) { Z80ExecuteCbGroup(r); }
void PrefixEd(Z80Regs *r, uint8_t) { Z80ExecuteEdGroup(r); }
void PrefixIx(Z80Regs *r, uint8_t) { Z80ExecuteIxGroup(r); }
void PrefixIy(Z80Regs *r, uint8_t) { Z80ExecuteIyGroup(r); }

constexpr std::array<Z80Handler, 256> MakeMainHandlers() {
    std::array<Z80Handler, 256> t = {};
    for (int pair = 0; pair < 4; pair++) {
        int p = pair << 4;
        t[0x01 | p] = LoadPairImmediate;
        t[0x03 | p] = IncrementPair;
        t[0x09 | p] = AddPairToHl;
        t[0x0B | p] = DecrementPair;
        t[0xC1 | p] = Pop;
        t[0xC5 | p] = Push;
    }
    for (int n = 0; n < 8; n++) {
        int y = n << 3;
        t[0x04 | y] = IncrementOperand;
        t[0x05 | y] = DecrementOperand;
        t[0x06 | y] = LoadOperandImmediate;
        t[0xC0 | y] = ReturnConditional;
        t[0xC2 | y] = JumpConditional;
        t[0xC4 | y] = CallConditional;
        t[0xC6 | y] = ArithmeticImmediate;
        t[0xC7 | y] = Restart;
    }
    for (int op = 0x40; op < 0x80; op++)
        t[op] = ((op >> 3) & 7) == (op & 7) ? DoNothing : LoadOperandOperand;
    for (int op = 0x80; op < 0xC0; op++)
        t[op] = ArithmeticOperand;
    t[0x00] = DoNothing;
    t[0x02] = StoreAIndirect;
    t[0x12] = StoreAIndirect;
    t[0x0A] = LoadAIndirect;
    t[0x1A] = LoadAIndirect;
    t[0x07] = RotateAccumulator;
    t[0x0F] = RotateAccumulator;
    t[0x17] = RotateAccumulator;
    t[0x1F] = RotateAccumulator;
    t[0x08] = ExchangeAf;
    t[0x10] = DecrementJumpNotZero;
    t[0x18] = JumpRelative;
    t[0x20] = JumpRelativeConditional;
    t[0x28] = JumpRelativeConditional;
    t[0x30] = JumpRelativeConditional;
    t[0x38] = JumpRelativeConditional;
    t[0x22] = StoreHlDirect;
    t[0x2A] = LoadHlDirect;
    t[0x32] = StoreADirect;
    t[0x3A] = LoadADirect;
    t[0x27] = DecimalAdjust;
    t[0x2F] = Complement;
    t[0x37] = SetCarry;
    t[0x3F] = ComplementCarry;
    t[0x76] = Halt;
    t[0xC3] = Jump;
    t[0xC9] = Return;
    t[0xCB] = PrefixCb;
    t[0xCD] = Call;
    t[0xD3] = OutputA;
    t[0xD9] = ExchangeAll;
    t[0xDB] = InputA;
    t[0xDD] = PrefixIx;
    t[0xE3] = ExchangeStackHl;
    t[0xE9] = JumpHl;
    t[0xEB] = ExchangeDeHl;
    t[0xED] = PrefixEd;
    t[0xF3] = DisableInterrupts;
    t[0xF9] = LoadSpHl;
    t[0xFB] = EnableInterrupts;
    t[0xFD] = PrefixIy;
    return t;
}

constexpr bool EveryEntryFilled(const std::array<Z80Handler, 256> &t) {
    for (Z80Handler h : t)
        if (!h)
            return false;
    return true;
}
static_assert(EveryEntryFilled(MakeMainHandlers()), "every first byte needs a handler");

} // namespace

const std::array<Z80Handler, 256> Z80MainHandlers = MakeMainHandlers();

void Z80JumpRelativeIf(Z80Regs *r, bool taken, int takenExtra) {
    int8_t displacement = (int8_t)FetchByte(r);
    if (!taken)
        return;
    r->PC = (uint16_t)(r->PC + displacement);
    r->cycleBudget -= takenExtra;
}

void Z80DecrementJumpNotZero(Z80Regs *r, int takenExtra) {
    uint8_t b = (uint8_t)(HighByte(r->BC) - 1);
    r->BC = SetHighByte(r->BC, b);
    Z80JumpRelativeIf(r, b != 0, takenExtra);
}

void Z80CallIf(Z80Regs *r, bool taken, int takenExtra) {
    uint16_t target = FetchWord(r);
    if (!taken)
        return;
    r->cycleBudget -= takenExtra;
    PushWord(r, r->PC);
    r->PC = target;
}

void Z80ReturnIf(Z80Regs *r, bool taken, int takenExtra) {
    if (!taken)
        return;
    r->cycleBudget -= takenExtra;
    r->PC = PopWord(r);
}

void Z80ExchangeStackTop(Z80Regs *r, uint16_t *pair) {
    uint8_t low = ArcadeReadMem(r->SP);
    ArcadeWriteMem(r->SP, LowByte(*pair));
    uint16_t highAddress = (uint16_t)(r->SP + 1);
    uint8_t high = ArcadeReadMem(highAddress);
    ArcadeWriteMem(highAddress, HighByte(*pair));
    *pair = (uint16_t)(high << 8 | low);
}

// The slice ends at once; PC stays on the HALT byte so every later slice
// executes it again until an interrupt steps past it.
void Z80Halt(Z80Regs *r) {
    r->interruptState |= Z80Halted;
    r->PC--;
    r->cycleBudget = 0;
}
