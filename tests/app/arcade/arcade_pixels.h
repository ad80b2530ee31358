// Readers of what the machine drew, as 0x00RRGGBB pixels, top row first.
#pragma once
#include <windows.h>
#include <stdint.h>

#include <vector>

// A w x h block of a DC.
std::vector<uint32_t> ReadPixels(HDC dc, int x, int y, int w, int h);
// The 208 x 256 picture band of the machine's surface, through GetDIBits.
std::vector<uint32_t> ReadSurfacePicture();
