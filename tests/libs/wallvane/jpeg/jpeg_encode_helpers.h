// Writing JPEG streams with the codec in tests: pictures laid out in every
// bitmap form the writer reads, and the segments of what comes out.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "jpeg_test_files.h"

// A picture of interleaved 8-bit channels, rows top to bottom, no padding.
struct Pixels {
    int width = 0, height = 0, channels = 3;
    std::vector<uint8_t> bytes;
};

// Shading, edges and noise: every Huffman length gets used.
Pixels MakePixels(int width, int height, int channels, unsigned seed);

// The same picture as a bitmap of the writer: its colour code and channel
// count, pad bytes after each row, and rows stored bottom-up for a
// negative height. RGB pixels become BGR, gray stays gray, a fourth
// channel is filled with 0x5A.
struct Bitmap {
    int width = 0, height = 0, channels = 3, colour = JPG_COLOUR_RGB, padBytes = 0, subsampling = 0;
    std::vector<uint8_t> bytes;
};
Bitmap LayOut(const Pixels &pixels, int colour, int channels, int padBytes, bool bottomUp);

struct EncodeSettings {
    int jpgChannels = 3, jpgColour = JPG_COLOUR_YCBCR, subsampling = 1, quality = 75;
    bool progressive = false;
    int restartInterval = 0;
    int dctMethod = JPG_DCT_INTEGER;
    bool stopAfterEveryMcu = false;
};

// Writes the bitmap in write mode 9 (or 8 with a path); the result of the
// last write call, the stream in out.
int EncodeToMemory(const Bitmap &bitmap, const EncodeSettings &settings, Bytes *out);
int EncodeToFile(const Bitmap &bitmap, const EncodeSettings &settings, const std::string &path, Bytes *out);

// Marker segments of a stream up to its first scan, in order, with the
// entropy-coded data that follows each SOS.
struct StreamSegment {
    int marker = 0;
    Bytes content; // after the length field; for SOS the header only
    Bytes data; // SOS: the coded bytes up to the next marker other than RSTn
};
std::vector<StreamSegment> SplitStream(const Bytes &jpeg);

// Tables as the stream states them: quantisation by identifier, Huffman by
// class << 4 | identifier (BITS then HUFFVAL).
struct StreamTables {
    std::map<int, Bytes> quant;
    std::map<int, Bytes> huffman;
};
StreamTables TablesOf(const Bytes &jpeg);
