// Writing JPEG streams with the codec in tests: pictures laid out in every
// bitmap form the writer reads, and the segments of what comes out.
#pragma once
#include <stdint.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "jpeg_test_files.h"
#include "jpeg_types.h"

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

// Huffman tables in both forms with codes of many lengths, from random
// symbol counts, so that long all-ones codes and 0xFF bytes come up often;
// every AC run and size up to 10 bits has a code. False if a table could
// not be made.
struct RandomHuffmanTables {
    JpgHuffTable dcEncode, acEncode, dc, ac;
};
bool MakeRandomHuffmanTables(std::mt19937 &random, RandomHuffmanTables *tables);
// The optimal tables of the symbol counts, in both forms.
bool HuffmanTablesFromCounts(const uint32_t dcCounts[257], const uint32_t acCounts[257], RandomHuffmanTables *tables);

// Sparse blocks with long zero runs, blocks full to the last coefficient,
// and the extreme values a baseline quantiser lets through.
std::vector<std::vector<int16_t>> BaselineCoefficientBlocks(std::mt19937 &random, int count);
