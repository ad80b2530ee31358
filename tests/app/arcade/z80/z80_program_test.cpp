// Whole programs, assembled by hand, run through the run loop with console
// output through the trap at 0x0005.
#include <gtest/gtest.h>

#include "program_harness.h"
#include "test_machine.h"

namespace {

std::vector<uint8_t> At(std::vector<uint8_t> code, size_t offset, std::vector<uint8_t> more) {
    if (code.size() < offset)
        code.resize(offset, 0x00);
    code.insert(code.end(), more.begin(), more.end());
    return code;
}

TEST(Programs, PrintsAString) {
    std::vector<uint8_t> program = {
        0x11, 0x09, 0x01, // LD DE,message
        0x0E, 0x09,       // LD C,9
        0xCD, 0x05, 0x00, // CALL 5
        0xC9,             // RET
        'H', 'e', 'l', 'l', 'o', ',', ' ', 'Z', '8', '0', '$',
    };
    ProgramRun run = RunProgram(program, 10);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ("Hello, Z80", run.console);
}

// Sums 1..150 with DJNZ and ADD HL,DE, then prints HL in decimal by
// subtracting powers of ten read through IX.
TEST(Programs, SumPrintedInDecimal) {
    std::vector<uint8_t> program = {
        0x21, 0x00, 0x00, // 0100 LD HL,0
        0x06, 0x96,       // 0103 LD B,150
        0x16, 0x00,       // 0105 LD D,0
        0x58,             // 0107 loop: LD E,B
        0x19,             // 0108 ADD HL,DE
        0x10, 0xFC,       // 0109 DJNZ loop
        0xCD, 0x10, 0x01, // 010B CALL print
        0xC9,             // 010E RET
    };
    program = At(program, 0x10, {
        0xDD, 0x21, 0x40, 0x01, // 0110 print: LD IX,powers
        0x06, 0x05,             // 0114 LD B,5
        0xDD, 0x5E, 0x00,       // 0116 digit: LD E,(IX+0)
        0xDD, 0x56, 0x01,       // 0119 LD D,(IX+1)
        0x3E, 0x2F,             // 011C LD A,'0'-1
        0x3C,                   // 011E count: INC A
        0xB7,                   // 011F OR A
        0xED, 0x52,             // 0120 SBC HL,DE
        0x30, 0xFA,             // 0122 JR NC,count
        0x19,                   // 0124 ADD HL,DE
        0xC5,                   // 0125 PUSH BC
        0xE5,                   // 0126 PUSH HL
        0x5F,                   // 0127 LD E,A
        0x0E, 0x02,             // 0128 LD C,2
        0xCD, 0x05, 0x00,       // 012A CALL 5
        0xE1,                   // 012D POP HL
        0xC1,                   // 012E POP BC
        0xDD, 0x23,             // 012F INC IX
        0xDD, 0x23,             // 0131 INC IX
        0x10, 0xE1,             // 0133 DJNZ digit
        0xC9,                   // 0135 RET
    });
    program = At(program, 0x40, {0x10, 0x27, 0xE8, 0x03, 0x64, 0x00, 0x0A, 0x00, 0x01, 0x00});
    ProgramRun run = RunProgram(program, 10);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ("11325", run.console);
}

// Copies a table with LDIR, bubble-sorts it with CP (HL), and prints it in
// hex with the DAA trick for nibbles.
TEST(Programs, BubbleSortPrintedInHex) {
    std::vector<uint8_t> program = {
        0x21, 0x70, 0x01, // 0100 LD HL,table
        0x11, 0x00, 0x02, // 0103 LD DE,0x0200
        0x01, 0x08, 0x00, // 0106 LD BC,8
        0xED, 0xB0,       // 0109 LDIR
        0x0E, 0x07,       // 010B LD C,7
        0x21, 0x00, 0x02, // 010D pass: LD HL,0x0200
        0x41,             // 0110 LD B,C
        0x7E,             // 0111 compare: LD A,(HL)
        0x23,             // 0112 INC HL
        0xBE,             // 0113 CP (HL)
        0x38, 0x05,       // 0114 JR C,next
        0x56,             // 0116 LD D,(HL)
        0x77,             // 0117 LD (HL),A
        0x2B,             // 0118 DEC HL
        0x72,             // 0119 LD (HL),D
        0x23,             // 011A INC HL
        0x10, 0xF4,       // 011B next: DJNZ compare
        0x0D,             // 011D DEC C
        0x20, 0xED,       // 011E JR NZ,pass
        0x21, 0x00, 0x02, // 0120 LD HL,0x0200
        0x06, 0x08,       // 0123 LD B,8
        0x7E,             // 0125 show: LD A,(HL)
        0xCD, 0x40, 0x01, // 0126 CALL hexbyte
        0x23,             // 0129 INC HL
        0x10, 0xF9,       // 012A DJNZ show
        0xC9,             // 012C RET
    };
    program = At(program, 0x40, {
        0xE5,             // 0140 hexbyte: PUSH HL
        0xC5,             // 0141 PUSH BC
        0xF5,             // 0142 PUSH AF
        0x0F, 0x0F, 0x0F, 0x0F, // 0143 RRCA x4
        0xCD, 0x5A, 0x01, // 0147 CALL nibble
        0xF1,             // 014A POP AF
        0xCD, 0x5A, 0x01, // 014B CALL nibble
        0x1E, 0x20,       // 014E LD E,' '
        0x0E, 0x02,       // 0150 LD C,2
        0xCD, 0x05, 0x00, // 0152 CALL 5
        0xC1,             // 0155 POP BC
        0xE1,             // 0156 POP HL
        0xC9,             // 0157 RET
    });
    program = At(program, 0x5A, {
        0xE6, 0x0F,       // 015A nibble: AND 0x0F
        0xC6, 0x90,       // 015C ADD A,0x90
        0x27,             // 015E DAA
        0xCE, 0x40,       // 015F ADC A,0x40
        0x27,             // 0161 DAA
        0x5F,             // 0162 LD E,A
        0x0E, 0x02,       // 0163 LD C,2
        0xC3, 0x05, 0x00, // 0165 JP 5
    });
    program = At(program, 0x70, {0x5A, 0x03, 0xFF, 0x80, 0x7F, 0x10, 0xC4, 0x00});
    ProgramRun run = RunProgram(program, 10);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ("00 03 10 5A 7F 80 C4 FF ", run.console);
}

// Waits in HALT for mode 2 interrupts, counts five of them in the handler,
// then prints the count.
TEST(Programs, InterruptCounterWithHaltAndModeTwo) {
    std::vector<uint8_t> program = {
        0x3E, 0x03,       // 0100 LD A,3
        0xED, 0x47,       // 0102 LD I,A
        0xED, 0x5E,       // 0104 IM 2
        0xFB,             // 0106 EI
        0x76,             // 0107 wait: HALT
        0x3A, 0x00, 0x02, // 0108 LD A,(count)
        0xFE, 0x05,       // 010B CP 5
        0x38, 0xF8,       // 010D JR C,wait
        0xF3,             // 010F DI
        0xC6, 0x30,       // 0110 ADD A,'0'
        0x5F,             // 0112 LD E,A
        0x0E, 0x02,       // 0113 LD C,2
        0xC3, 0x05, 0x00, // 0115 JP 5
    };
    program = At(program, 0x50, {
        0xF5,             // 0150 handler: PUSH AF
        0x3A, 0x00, 0x02, // 0151 LD A,(count)
        0x3C,             // 0154 INC A
        0x32, 0x00, 0x02, // 0155 LD (count),A
        0xF1,             // 0158 POP AF
        0xFB,             // 0159 EI
        0xED, 0x4D,       // 015A RETI
    });
    program = At(program, 0x3FE - 0x100, {0x50, 0x01}); // vector 0xFE of page 3
    ProgramRun run = RunProgram(program, 20, 0x00FE);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ("5", run.console);
    EXPECT_EQ(6, run.slices); // five interrupts, then the exit
}

TEST(Programs, EndlessLoopIsStoppedByTheHook) {
    ProgramRun run = RunProgram({0x18, 0xFE}, 7);
    EXPECT_FALSE(run.finished);
    EXPECT_EQ(7, run.slices);
}

} // namespace
