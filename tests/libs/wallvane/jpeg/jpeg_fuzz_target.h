#pragma once
#include <stddef.h>
#include <stdint.h>

// Header, thumbnail, coefficient, scaled and region reads of one input;
// never fails itself.
int JpegFuzzOneInput(const uint8_t *data, size_t size);
