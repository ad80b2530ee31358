// Runs a demo program ROM the way the arcade machine does: the memory map,
// the active-low input byte, the DIP port with its vertical-blank bit, the
// sound latches and the restore of a saved score table, one frame per slice
// of the Z80 core.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "data_files.h"

enum {
    DemoKeyCoin = 0x01,
    DemoKeyStart1 = 0x02,
    DemoKeyStart2 = 0x04,
    DemoKeyFire = 0x10,
    DemoKeyRight = 0x20,
    DemoKeyLeft = 0x40,
    DemoKeyBarrier = 0x80
};

// Builds a machine for the program ROM with the DIP settings and a saved
// score table (12 bytes), ready to run.
void StartDemoMachine(const std::vector<uint8_t> &programRom, uint8_t lives, uint8_t bonus,
                      const uint8_t savedScores[12]);
void RunFrames(int count);
void HoldKeys(uint8_t mask);
void ReleaseKeys(uint8_t mask);
uint8_t MachineByte(uint16_t address);
// The sounds started since the last call, by resource number.
std::vector<int> TakeSounds();

// What the foreground shows at a screen cell (column 0-25 from the left,
// row 0-31 from the top), and the text of count cells from there to the right:
// letters and digits of every colour, a blank for code 0, '?' for others.
uint8_t ForegroundCode(int column, int row);
uint8_t BackgroundCode(int column, int row);
std::string ScreenText(int column, int row, int count);
