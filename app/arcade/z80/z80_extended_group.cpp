// The ED group: port I/O through C, 16-bit arithmetic with carry, interrupt
// modes, the block instructions and the machine's patch opcode.
#include <array>

#include "z80_internal.h"
#include "z80_unknown_opcode.h"

namespace {

// The machine's ports are 8 bits wide: B never reaches the port number.
uint16_t PortOfC(const Z80Regs *r) { return LowByte(r->BC); }

// IN r,(C); 70 is IN F,(C), which keeps only the flags.
void InputRegister(Z80Regs *r, uint8_t op) {
    uint8_t value = ArcadeInPort(PortOfC(r));
    SetRegister(r, (op >> 3) & 7, &r->HL, value);
    SetF(r, Z80SignZeroParityFlags[value] | (GetF(r) & Z80FlagC));
}

void OutputRegister(Z80Regs *r, uint8_t op) { ArcadeOutPort(PortOfC(r), GetRegister(r, (op >> 3) & 7, &r->HL)); }

void WordFlags(Z80Regs *r, int result, int carries, int overflow, int subtract) {
    uint16_t word = (uint16_t)result;
    int f = (word & 0x8000 ? Z80FlagS : 0) | (word == 0 ? Z80FlagZ : 0) | ((carries >> 8) & Z80FlagH) |
            ((result >> 16) & Z80FlagC) | (overflow ? Z80FlagPV : 0) | subtract;
    SetF(r, f);
}

void SubtractPairWithCarry(Z80Regs *r, uint8_t op) {
    int hl = r->HL;
    int operand = *PairForLoad(r, op, &r->HL);
    int difference = hl - operand - (GetF(r) & Z80FlagC);
    r->HL = (uint16_t)difference;
    WordFlags(r, difference, hl ^ operand ^ difference, (hl ^ operand) & (hl ^ difference) & 0x8000, Z80FlagN);
}

void AddPairWithCarry(Z80Regs *r, uint8_t op) {
    int hl = r->HL;
    int operand = *PairForLoad(r, op, &r->HL);
    int sum = hl + operand + (GetF(r) & Z80FlagC);
    r->HL = (uint16_t)sum;
    WordFlags(r, sum, hl ^ operand ^ sum, (hl ^ ~operand) & (hl ^ sum) & 0x8000, 0);
}

void StorePairDirect(Z80Regs *r, uint8_t op) { WriteWord(FetchWord(r), *PairForLoad(r, op, &r->HL)); }
void LoadPairDirect(Z80Regs *r, uint8_t op) { *PairForLoad(r, op, &r->HL) = ReadWord(FetchWord(r)); }

void Negate(Z80Regs *r, uint8_t) {
    int a = GetA(r);
    int difference = 0 - a;
    uint8_t result = (uint8_t)difference;
    SetA(r, result);
    SetF(r, Z80SignZeroFlags[result] | ((a ^ difference) & Z80FlagH) | ((difference & 0x100) >> 8) |
                (a == 0x80 ? Z80FlagPV : 0) | Z80FlagN);
}

void ReturnFromNmi(Z80Regs *r, uint8_t) {
    uint8_t state = (uint8_t)(r->interruptState & ~Z80Iff1);
    if (state & Z80Iff1AtInterrupt)
        state |= Z80Iff1;
    r->interruptState = state;
    r->PC = PopWord(r);
}

void ReturnFromInterrupt(Z80Regs *r, uint8_t) { r->PC = PopWord(r); }

// 46 IM 0, 56 IM 1, 5E IM 2.
void SetInterruptMode(Z80Regs *r, uint8_t op) {
    uint8_t state = (uint8_t)(r->interruptState & ~(Z80Mode1 | Z80Mode2));
    if (op == 0x56)
        state |= Z80Mode1;
    else if (op == 0x5E)
        state |= Z80Mode2;
    r->interruptState = state;
}

void LoadIA(Z80Regs *r, uint8_t) { r->I = GetA(r); }
void DoNothing(Z80Regs *, uint8_t) {}

// IFF1 stands in for IFF2, which this core does not keep apart.
void LoadASpecial(Z80Regs *r, uint8_t value) {
    SetA(r, value);
    int f = Z80SignZeroFlags[value] | (GetF(r) & Z80FlagC);
    if (r->interruptState & Z80Iff1)
        f |= Z80FlagPV;
    SetF(r, f);
}

void LoadAI(Z80Regs *r, uint8_t) { LoadASpecial(r, r->I); }
// No refresh counter is kept; the cycles spent so far serve as one.
void LoadAR(Z80Regs *r, uint8_t) { LoadASpecial(r, (uint8_t)(0u - (uint32_t)r->cycleBudget)); }

void RotateDigitRight(Z80Regs *r, uint8_t) {
    uint8_t a = GetA(r);
    uint8_t v = ArcadeReadMem(r->HL);
    ArcadeWriteMem(r->HL, (uint8_t)((a & 0x0F) << 4 | v >> 4));
    a = (uint8_t)((a & 0xF0) | (v & 0x0F));
    SetA(r, a);
    SetF(r, Z80SignZeroParityFlags[a] | (GetF(r) & Z80FlagC));
}

void RotateDigitLeft(Z80Regs *r, uint8_t) {
    uint8_t a = GetA(r);
    uint8_t v = ArcadeReadMem(r->HL);
    ArcadeWriteMem(r->HL, (uint8_t)((v & 0x0F) << 4 | (a & 0x0F)));
    a = (uint8_t)((a & 0xF0) | v >> 4);
    SetA(r, a);
    SetF(r, Z80SignZeroParityFlags[a] | (GetF(r) & Z80FlagC));
}

// Bit 3 of the block opcodes chooses the direction: A0-A3 up, A8-AB down.
int StepOf(uint8_t op) { return (op & 0x08) ? -1 : 1; }

// One round of each block instruction. Each returns true when a repeating
// form would be finished.

// LDI, LDD: finished when BC runs out.
bool TransferOne(Z80Regs *r, uint8_t op) {
    int step = StepOf(op);
    ArcadeWriteMem(r->DE, ArcadeReadMem(r->HL));
    r->HL = (uint16_t)(r->HL + step);
    r->DE = (uint16_t)(r->DE + step);
    r->BC--;
    int f = GetF(r) & ~(Z80FlagH | Z80FlagPV | Z80FlagN);
    if (r->BC)
        f |= Z80FlagPV;
    SetF(r, f);
    return r->BC == 0;
}

// CPI, CPD: finished on a match or when BC runs out.
bool CompareOne(Z80Regs *r, uint8_t op) {
    uint8_t a = GetA(r);
    uint8_t v = ArcadeReadMem(r->HL);
    r->HL = (uint16_t)(r->HL + StepOf(op));
    r->BC--;
    uint8_t difference = (uint8_t)(a - v);
    int f = (GetF(r) & (Z80FlagC | Z80FlagBit3 | Z80FlagBit5)) | Z80SignZeroFlags[difference] |
            ((a ^ v ^ difference) & Z80FlagH) | Z80FlagN;
    if (r->BC)
        f |= Z80FlagPV;
    SetF(r, f);
    return a == v || r->BC == 0;
}

// Port rounds leave F as N, plus Z when B has run out.
void SetPortRoundFlags(Z80Regs *r) { SetF(r, Z80FlagN | (HighByte(r->BC) == 0 ? Z80FlagZ : 0)); }

// INI, IND: finished when B runs out.
bool InputOne(Z80Regs *r, uint8_t op) {
    ArcadeWriteMem(r->HL, ArcadeInPort(PortOfC(r)));
    r->HL = (uint16_t)(r->HL + StepOf(op));
    r->BC = (uint16_t)(r->BC - 0x100);
    SetPortRoundFlags(r);
    return HighByte(r->BC) == 0;
}

// OUTI, OUTD: finished when B runs out.
bool OutputOne(Z80Regs *r, uint8_t op) {
    uint8_t value = ArcadeReadMem(r->HL);
    r->HL = (uint16_t)(r->HL + StepOf(op));
    ArcadeOutPort(PortOfC(r), value);
    r->BC = (uint16_t)(r->BC - 0x100);
    SetPortRoundFlags(r);
    return HighByte(r->BC) == 0;
}

void TransferSingle(Z80Regs *r, uint8_t op) { TransferOne(r, op); }
void CompareSingle(Z80Regs *r, uint8_t op) { CompareOne(r, op); }
void InputSingle(Z80Regs *r, uint8_t op) { InputOne(r, op); }
void OutputSingle(Z80Regs *r, uint8_t op) { OutputOne(r, op); }

// The repeating forms run as many rounds as the budget allows in one call;
// the last round costs less than the others. When the budget runs out first,
// PC goes back onto the ED byte so the instruction resumes after the hook or
// an interrupt has had its turn.
template <bool (*Round)(Z80Regs *, uint8_t)> void Repeat(Z80Regs *r, uint8_t op) {
    for (;;) {
        bool finished = Round(r, op);
        r->cycleBudget -= Z80BlockRoundCycles;
        if (finished) {
            r->cycleBudget += Z80BlockLastRoundRefund;
            return;
        }
        if (r->cycleBudget <= 0) {
            r->PC -= 2;
            return;
        }
    }
}

void TransferRepeat(Z80Regs *r, uint8_t op) { Repeat<TransferOne>(r, op); }
void CompareRepeat(Z80Regs *r, uint8_t op) { Repeat<CompareOne>(r, op); }
void InputRepeat(Z80Regs *r, uint8_t op) { Repeat<InputOne>(r, op); }
void OutputRepeat(Z80Regs *r, uint8_t op) { Repeat<OutputOne>(r, op); }

// ED ED: the first ED is dropped and the second starts the next instruction.
void DropPrefix(Z80Regs *r, uint8_t) { r->PC--; }

void Patch(Z80Regs *r, uint8_t) { ArcadePatch(r); }

void Undefined(Z80Regs *r, uint8_t) { ReportUnknownEdCode(r, (uint16_t)(r->PC - 2)); }

constexpr std::array<Z80Handler, 256> MakeEdHandlers() {
    std::array<Z80Handler, 256> t = {};
    for (Z80Handler &h : t)
        h = Undefined;
    for (int n = 0; n < 8; n++) {
        int y = n << 3;
        t[0x40 | y] = InputRegister;
        if (n != Z80OperandMemory)
            t[0x41 | y] = OutputRegister;
    }
    for (int pair = 0; pair < 4; pair++) {
        int p = pair << 4;
        t[0x42 | p] = SubtractPairWithCarry;
        t[0x4A | p] = AddPairWithCarry;
        t[0x43 | p] = StorePairDirect;
        t[0x4B | p] = LoadPairDirect;
    }
    t[0x44] = Negate;
    t[0x45] = ReturnFromNmi;
    t[0x4D] = ReturnFromInterrupt;
    t[0x46] = SetInterruptMode;
    t[0x56] = SetInterruptMode;
    t[0x5E] = SetInterruptMode;
    t[0x47] = LoadIA;
    t[0x4F] = DoNothing;
    t[0x57] = LoadAI;
    t[0x5F] = LoadAR;
    t[0x67] = RotateDigitRight;
    t[0x6F] = RotateDigitLeft;
    for (int down = 0; down < 2; down++) {
        int d = down << 3;
        t[0xA0 | d] = TransferSingle;
        t[0xA1 | d] = CompareSingle;
        t[0xA2 | d] = InputSingle;
        t[0xA3 | d] = OutputSingle;
        t[0xB0 | d] = TransferRepeat;
        t[0xB1 | d] = CompareRepeat;
        t[0xB2 | d] = InputRepeat;
        t[0xB3 | d] = OutputRepeat;
    }
    t[0xED] = DropPrefix;
    t[0xFE] = Patch;
    return t;
}

const std::array<Z80Handler, 256> kEdHandlers = MakeEdHandlers();

bool IsRepeatingBlock(uint8_t op) { return (op & 0xF4) == 0xB0; }

} // namespace

void Z80ExecuteEdGroup(Z80Regs *regs) {
    uint8_t op = FetchByte(regs);
    int cost = Z80CycleTableED[op];
    if (cost == 0 && !IsRepeatingBlock(op))
        cost = Z80PrefixFloorCycles;
    regs->cycleBudget -= cost;
    kEdHandlers[op](regs, op);
}
