// The colour arithmetic of the title strips, frames and colour menus of
// every note: a shade 30 darker and the columns of a gradient. No windows.h.
#pragma once
#include <cstdint>

// A COLORREF with 30 taken off red, green and blue, each floored at 0.
uint32_t DarkenColour(uint32_t colour);

// Colour of column i of an n-column gradient from left to right: each channel
// grows per column by (right - left) / n in single precision, truncated.
uint32_t GradientColumnColour(uint32_t left, uint32_t right, int n, int i);
