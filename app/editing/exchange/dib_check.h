// Device independent bitmaps from outside: their headers, colour tables and
// bits checked against the bytes present and against the bounds of a
// picture, and written again in the one plain form the metafiles we make
// carry. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct DibLayout {
    int32_t width, height; // a negative height: rows from the top down
    int bitCount;
    uint32_t compression;  // DIB_RGB, or DIB_BITFIELDS with the usual masks
    uint32_t colours;      // colour table entries the bits index
    size_t headerBytes;    // as given
    size_t tableBytes;     // masks and colour table as given
    size_t bitsBytes;      // whole rows of double words
};

// The header and what follows it up to the bits, within infoBytes.
int CheckDibHeader(const uint8_t *info, size_t infoBytes, DibLayout *layout);
// A packed bitmap: header, table, then the bits, all within size.
int CheckPackedDib(const uint8_t *data, size_t size, DibLayout *layout);

// The 40-byte header, the masks or colour table, then the bits.
std::vector<uint8_t> PlainDibInfo(const uint8_t *info, const DibLayout &layout);

// A device bitmap as a note's text carries it (rows of widthBytes from the
// top, 1, 24 or 32 bits a pixel on one plane) as a packed bitmap.
int DeviceBitmapToDib(const uint8_t *bits, size_t size, int32_t width, int32_t height,
                      int32_t bitsPixel, int32_t planes, int32_t widthBytes,
                      std::vector<uint8_t> *dib);
