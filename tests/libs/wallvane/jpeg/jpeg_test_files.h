// Building JPEG streams for the codec's tests: hand-made segments for
// crafted and hostile files, and (natively) real files made by cjpeg.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "jpeg_codec.h"

typedef std::vector<uint8_t> Bytes;

Bytes MarkerSegment(int marker, const Bytes &content);
Bytes Concat(std::initializer_list<Bytes> parts);

// The pieces of a small valid baseline stream, to be taken apart by tests.
struct CraftedJpeg {
    Bytes soi{0xFF, 0xD8};
    Bytes app0;
    Bytes dqt;
    Bytes sof;
    Bytes dht;
    Bytes sos;
    Bytes data;
    Bytes eoi{0xFF, 0xD9};
    Bytes Join() const;
};

// A gray image of flat mid-grey blocks: every block codes DC difference 0
// and end-of-block in two bits.
CraftedJpeg CraftGray(int width, int height);
// The same flat picture in three components, component 0 sampled h0 x v0.
CraftedJpeg CraftColour(int width, int height, int h0, int v0);
Bytes JfifApp0(int thumbWidth, int thumbHeight, const Bytes &thumbPixels);

// A record initialised for reading the given bytes from memory.
struct MemoryReader {
    JPEG_IMAGE_PROPS record;
    Bytes bytes;
    explicit MemoryReader(const Bytes &jpeg);
    ~MemoryReader();
    int Read(int mode);
};

// A pixel read into a bitmap that starts filled with Untouched.
struct BitmapRead {
    int mode = JPG_READ_IMAGE_MEMORY;
    int channels = 3, colour = JPG_COLOUR_BGR;
    int fourRowBuffers = 0;
    int left = 0, top = 0, right = 0, bottom = 0; // the region, all 0 for none
    int width = 0, height = 0; // of the bitmap; 0: the picture's at the mode's scale
    int pad = 0;
    bool bottomUp = false;
    int subsampling = 0; // 2: packed 4:2:2 pixels of two bytes
};
const uint8_t Untouched = 0xAB;
int ReadScale(int mode);
// Reads on a record whose header has been read; fills in the bitmap's size.
int ReadInto(JPEG_IMAGE_PROPS *record, BitmapRead *read, std::vector<uint8_t> *dib);
// Header read and pixel read of the bytes on a fresh record.
int ReadBitmap(const Bytes &jpeg, BitmapRead read, std::vector<uint8_t> *dib, BitmapRead *used = nullptr);

// Coefficients of every component, as the raw-block hook delivers them.
struct CoefficientPlanes {
    int lineValues[4] = {};
    int lines[4] = {};
    std::vector<int16_t> plane[4];
};
int ReadCoefficients(const Bytes &jpeg, CoefficientPlanes *planes);

Bytes ReadWholeFile(const std::string &path);
bool WriteWholeFile(const std::string &path, const Bytes &bytes);
std::string TempPath(const std::string &name);
