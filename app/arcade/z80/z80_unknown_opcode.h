// Report lines for undefined prefixed codes.
#pragma once
#include <stdint.h>

struct Z80Regs;

// prefixAddress is where the first prefix byte was fetched; the bytes shown
// are read again from memory.
void ReportUnknownEdCode(const Z80Regs *regs, uint16_t prefixAddress);
// DD ED or FD ED. The FD line is printed whatever reportUnknownOpcodes holds.
void ReportUnknownIndexCode(const Z80Regs *regs, uint16_t prefixAddress, bool isIy);
void ReportUnknownIndexBitCode(const Z80Regs *regs, uint16_t prefixAddress, bool isIy);
