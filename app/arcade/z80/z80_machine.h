// What the machine around the Z80 core supplies. The core is bound to these
// names at link time: the arcade machine defines them once, and test programs
// define their own.
#pragma once
#include <stdint.h>

struct Z80Regs;

uint8_t ArcadeReadMem(uint16_t address);
void ArcadeWriteMem(uint16_t address, uint8_t value);
uint8_t ArcadeInPort(uint16_t port);
void ArcadeOutPort(uint16_t port, uint8_t value);
// The ED FE opcode hands the register file to the machine.
void ArcadePatch(Z80Regs *regs);
// Called each time a slice's budget runs out; returns Z80VectorNone,
// Z80VectorQuit, Z80VectorNmi or a maskable interrupt's vector.
uint16_t ArcadeFrameHook(Z80Regs *regs);
