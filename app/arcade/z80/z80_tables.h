// Read-only tables shared by every instruction handler of the Z80 core.
#pragma once
#include <stdint.h>

#include <array>

// T-states charged before an instruction executes. Conditional instructions
// appear at their not-taken cost; prefixes cost 0 here and their groups
// charge from their own tables.
extern const uint8_t Z80CycleTable[256];
extern const uint8_t Z80CycleTableCB[256];
// 0 for undefined codes and for the eight repeating block instructions,
// whose loop charges each round itself.
extern const uint8_t Z80CycleTableED[256];
// Indexed by the byte after DD or FD.
extern const uint8_t Z80CycleTableIndex[256];
// Indexed by the opcode byte of DD CB d op and FD CB d op.
extern const uint8_t Z80CycleTableIndexCB[256];

// Z and S of an 8-bit result.
extern const std::array<uint8_t, 256> Z80SignZeroFlags;
// Z, S and P/V (even parity) of an 8-bit result.
extern const std::array<uint8_t, 256> Z80SignZeroParityFlags;
// New AF after DAA, indexed by A + 256*C + 512*H + 1024*N.
extern const std::array<uint16_t, 2048> Z80DaaResults;

// T-states per round of a repeating block instruction, and what its last
// round gives back.
const int Z80BlockRoundCycles = 21;
const int Z80BlockLastRoundRefund = 5;
// Extra T-states of a taken conditional branch on top of the table entry.
const int Z80TakenJrExtra = 5;
const int Z80TakenCallExtra = 7;
const int Z80TakenRetExtra = 6;
// What a prefixed instruction costs when its table entry is 0 (the cheap
// undocumented forms, dropped prefixes, undefined codes): never free, so a
// loop made only of them still runs down the budget and reaches the hook.
const int Z80PrefixFloorCycles = 1;
