// Runs a demo program ROM on the arcade machine at full throttle, with a host
// that records the sounds started and composes every frame into a surface
// instead of showing it.
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

// Builds a machine for a game's program and character ROMs with the DIP
// settings and a saved score table (12 bytes), ready to run.
void StartDemoMachine(const std::vector<uint8_t> &programRom, const std::vector<uint8_t> &charRom,
                      uint8_t lives, uint8_t bonus, const uint8_t savedScores[12]);
void EndDemoMachine();
void RunFrames(int count);
// Holds or releases the keys of the input bits given, through the machine's keys.
void HoldKeys(uint8_t inputBits);
void ReleaseKeys(uint8_t inputBits);
uint8_t MachineByte(uint16_t address);
// The sounds started since the last call, by resource number.
std::vector<int> TakeSounds();
// The last composed picture, 208 x 256 pixels of 0x00RRGGBB, top row first.
uint32_t PicturePixel(int x, int y);

// What the foreground shows at a screen cell (column 0-25 from the left,
// row 0-31 from the top), and the text of count cells from there to the right:
// letters and digits of every colour, a blank for code 0, '?' for others.
uint8_t ForegroundCode(int column, int row);
uint8_t BackgroundCode(int column, int row);
std::string ScreenText(int column, int row, int count);
