// Runs whole Z80 programs on the test machine. A program is loaded at 0x100
// and called with the return address 0x0000, where a trap ends the run; a
// call of 0x0005 writes to the console: C = 2 writes the character in E,
// C = 9 the string at DE up to '$'.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

struct ProgramRun {
    std::string console;
    bool finished;  // returned to 0x0000
    int slices;     // hook calls
};

// interruptVector: when not Z80VectorNone, every slice ends with that
// maskable request.
ProgramRun RunProgram(const std::vector<uint8_t> &program, int maxSlices, uint16_t interruptVector = 0xFFFF,
                      int32_t slicePeriod = 10000);
