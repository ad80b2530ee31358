// A machine built from ROM images in memory, with a host that records what
// the machine asks of the platform instead of playing, drawing or waiting.
#pragma once
#include <stdint.h>

#include <vector>

#include "arcade_core.h"

struct RecordingHost {
    std::vector<int> sounds;
    int renders = 0;
    int waits = 0;
    uint32_t now = 1000;       // the millisecond clock the machine reads
    uint32_t stepPerWait = 0;  // how far the clock moves in each paced wait
};
extern RecordingHost Host;

// A program ROM with the given code at address 0, padded to full size.
std::vector<uint8_t> ProgramRom(const std::vector<uint8_t> &code);
// A character ROM whose bytes follow a fixed pseudo-random sequence, so every
// pixel value of every plane turns up.
std::vector<uint8_t> PatternCharRom(uint32_t seed);

// Stops any machine, then builds one with the recording host. Returns
// ArcadeCoreInit's result.
int BuildTestMachine(const std::vector<uint8_t> &program, uint8_t lives = 0, uint8_t bonus = 0,
                     const std::vector<uint8_t> &charRom = PatternCharRom(1));
void EndTestMachine();
