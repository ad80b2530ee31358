// The codec's working records: input stream, tables, frame, scan, dispatch.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "jpeg_constants.h"

// Look-ahead of the combined AC table.
const int JPG_FAST_AC_BITS = 11;
static_assert(JPG_FAST_AC_BITS < 16, "the bits used by a step fill bits 0 to 3 of its entry");
// AC values of category 5 and below: nearly all coded ones in photographs,
// and their encode tables still fit the storage of the decode form's.
const int JPG_SMALL_AC_VALUES = 32;

struct JpgDispatch;
struct JpgEncoderState;
struct JpgRowIndex;

// Decode form of a Huffman table, with the encode form sharing its storage.
struct JpgHuffTable {
    int32_t tableClass;
    int32_t identifier;
    union {
        uint32_t lookahead[256]; // (length << 16) | symbol for codes of 8 bits or fewer
        uint32_t codeLength[256]; // encode form: length of each symbol's code
    };
    union {
        uint16_t symbols[256]; // HUFFVAL in code order
        uint16_t code[256]; // encode form: each symbol's code
    };
    int32_t minCode[17]; // index 1..16
    int32_t maxCode[18]; // index 1..17; -1 where a length has no code
    int32_t valPtr[17]; // index 1..16
    // Decode form, AC tables: for each look-ahead whose code and extra bits
    // both fit, the step at once: value << 20, run before the value << 16,
    // places moved on << 8, bits used (below 16, bits 4 and 5 clear, so that
    // a shift by the entry modulo 64 drops them). End of block moves on by
    // 64, a run of 16 zeros by 16, both with value 0. 0 where they do not fit.
    union {
        int32_t fastAc[1 << JPG_FAST_AC_BITS];
        struct {
            // Encode form: code << 8 | length, one load a symbol for the
            // packed coders; a symbol without a code has a length no code
            // and extra bits reach, which their check for a full
            // accumulator meets.
            uint32_t codeAndLength[256];
            // The same for an AC value of magnitude below
            // JPG_SMALL_AC_VALUES after 0 to 15 zeros, its extra bits
            // already below its code (by run, then value +
            // JPG_SMALL_AC_VALUES): nearly every coded coefficient takes
            // its bits and their length from here without working out its
            // category.
            uint32_t runValueBits[16][2 * JPG_SMALL_AC_VALUES];
            uint8_t runValueLength[16][2 * JPG_SMALL_AC_VALUES];
        };
    };
};

static_assert(sizeof(uint32_t) * 256 + (sizeof(uint32_t) + 1) * 16 * 2 * JPG_SMALL_AC_VALUES <=
                  sizeof(int32_t) << JPG_FAST_AC_BITS,
              "the encode form takes no more room than the decode form");

const uint32_t JPG_NO_CODE_LENGTH = 128;

inline int32_t JpgFastAcEntry(int value, int run, int advance, int used)
{
    return (int32_t)((uint32_t)value << 20) | (run << 16) | (advance << 8) | used;
}

inline int JpgFastAcValue(int32_t entry)
{
    return entry >> 20;
}

inline int JpgFastAcRun(int32_t entry)
{
    return (entry >> 16) & 15;
}

inline int JpgFastAcAdvance(int32_t entry)
{
    return (entry >> 8) & 0xFF;
}

// The bits used, as a shift count that a 64-bit shift takes modulo 64.
inline int JpgFastAcUsed(int32_t entry)
{
    return entry & 63;
}

struct JpgRect {
    int left, top, right, bottom;
};

struct JpgQuantTable {
    alignas(16) int16_t values[80]; // 64 in natural order once prepared, then 16 zeros
    int16_t zigzag[64]; // as the stream gave them, to prepare again for the other transform
    int preparedFor; // the DCT method the values are prepared for
};

struct JpgRawQuantSlot {
    uint8_t *buffer; // 64 bytes, or 128 (big-endian pairs) when precision is 1
    uint8_t identifier;
    uint8_t precision;
};

struct JpgRawHuffSlot {
    uint8_t *bits; // 16 counts
    uint8_t *values; // up to 256 symbols
    uint8_t tableClass;
    uint8_t identifier;
};

struct JpgFrameComponent {
    int identifier;
    int h;
    int v;
    int tq;
};

struct JpgScanComponent {
    int frameIndex;
    int h;
    int v;
    JpgHuffTable *dcTable;
    JpgHuffTable *acTable;
    JpgQuantTable *quant;
};

struct JpgScan {
    int ns;
    int ss, se, ah, al;
    int restartInterval;
    int nextColumn; // progress: 0, 0 until the scan has started
    int nextRow;
    int16_t dcPredictor[JPG_MAX_COMPONENTS];
    int restartsSeen;
    JpgScanComponent *components;
    uint8_t dcTableId[JPG_MAX_COMPONENTS];
    uint8_t acTableId[JPG_MAX_COMPONENTS];
};

// Blocks handed to the caller instead of pixels: with flag 0 the quantised
// coefficients of every block go to the component's plane. A plane holds
// frame MCUs across x H x 8 values a line and frame MCUs down x V x 8 lines;
// block (column, row) of a component starts at line 8 x row, value 8 x column.
struct JpgRawBlockHook {
    int flag;
    int16_t *planes[JPG_MAX_COMPONENTS];
};

struct JpgBitInput {
    uint64_t bitBuffer;
    int bitsHeld;
    int eobRun;
    JpgDispatch *dispatch;
    const uint8_t *position;
    const uint8_t *start;
    const uint8_t *end;
    uint32_t consumed;
    int size;
    int available;
    uint8_t pendingMarker;
    bool exhausted; // bits were taken past the end of a memory source
    void *file;
    int fileFailures;
    uint8_t fileBuffer[JPG_FILE_BUFFER_SIZE];
};

struct JPEG_PROPERTIES {
    int ioMode;
    int roiLeft, roiTop, roiRight, roiBottom;
    int dctMethod;
    int outputKind;
    volatile int stopRequest;
    // Where a stopped read got to: the last MCU output, and in pixels.
    int progressColumn, progressRow;
    int progressRight, progressBottom;

    // Mirror of the public record.
    uint8_t *dibPixels;
    int dibWidth, dibHeight, dibPadBytes, dibChannels, dibColour, dibSubsampling;
    ptrdiff_t dibLineStep;
    const char *jpgFileName;
    uint8_t *jpgBytes;
    int jpgSizeBytes;
    int jpgWidth, jpgHeight, jpgChannels, jpgColour, jpgSubsampling;
    int jpgThumbWidth, jpgThumbHeight;
    int colourConversionNeeded, upsamplingNeeded;
    int quality;

    int nonInterleavedEncode;
    int mcusAcross, mcusDown;
    int quantTablesLoaded, quantHighestId, acTablesLoaded, dcTablesLoaded, huffHighestId;

    JpgQuantTable quantTables[JPG_TABLE_SLOTS];
    JpgHuffTable dcTables[JPG_TABLE_SLOTS];
    JpgHuffTable acTables[JPG_TABLE_SLOTS];
    bool quantLoaded[JPG_TABLE_SLOTS];
    bool dcLoaded[JPG_TABLE_SLOTS];
    bool acLoaded[JPG_TABLE_SLOTS];

    int useCallerQuantTables, useCallerHuffTables;
    JpgRawQuantSlot rawQuant[JPG_TABLE_SLOTS];
    JpgRawHuffSlot rawHuff[2 * JPG_TABLE_SLOTS]; // index identifier x 2 + class
    uint8_t defaultQuant[2][64];
    uint8_t defaultHuffBits[4][16];
    uint8_t defaultHuffValues[4][256];
    int dcTableOf[JPG_MAX_COMPONENTS];
    int acTableOf[JPG_MAX_COMPONENTS];

    // Frame.
    int componentCount;
    JpgFrameComponent components[JPG_MAX_COMPONENTS];
    int frameNeeded;
    int framesThisRead;
    int precision;
    int frameWidth, frameHeight;
    int frameProgressive; // from SOF2
    int hMax, vMax;
    int mcuWidth, mcuHeight;
    int frameMcusAcross, frameMcusDown, frameMcusInAll;
    int nonInterleaved;
    int restartInterval;

    JpgScan *scan;
    // The MCU buffer holds the samples of an MCU without coefficients,
    // flat at the level shift, where the output would transform.
    int flatMcu;
    JpgBitInput input;
    int cpuType;
    int cpuTypeCopy;
    uint8_t *dibRow;
    uint8_t *workArea;
    alignas(32) uint8_t workScratch[256];
    alignas(16) int16_t mcuBuffer[JPG_MAX_BLOCKS_PER_MCU * 64];

    // JFIF and Adobe segments.
    int jfifSeen;
    int jfifVersion;
    int densityUnits, xDensity, yDensity;
    int adobeSeen;
    int adobeVersion, adobeFlags0, adobeFlags1, adobeTransform;

    // Progressive state.
    int progressiveScans;
    int16_t *coefficients;
    size_t coefficientCount;
    int fourRowBuffers;
    void *rowBuffers;
    int dcCounter, acCounter;
    // Components whose DC, and whose last AC band, are at full precision
    // (bit per frame component); the two counters count their bits.
    unsigned dcFullPrecision, acFullPrecision;
    // Coefficients have changed since the bitmap last showed them all.
    int outputBehind;
    int sequentialComponents;
    int endOfImageSeen;

    char *jpegComment;
    uint16_t jpegCommentSize;

    JpgRawBlockHook *rawBlockHook;
    int outputFormat;
    int streamColour;
    int outputBlockSize;
    int componentBlockSize[JPG_MAX_COMPONENTS];
    int componentBlockOffset[JPG_MAX_COMPONENTS];

    // Smoothed chroma of the four-row-buffers flag: 0 off, 1 across only
    // (Hmax 2, Vmax 1), 2 across and down (Hmax = Vmax = 2). The output then
    // runs the column and row delays behind the decoding.
    int smoothUpsampling;
    int columnDelay, rowDelay;
    int smoothAcross, smoothDown; // MCUs of the scan being smoothed
    alignas(16) int16_t smoothPlanes[JPG_MAX_COMPONENTS][16 * 16];

    // The region the output is clipped to: the caller's region once the
    // scan dispatch has found it in force and clipped it, else none.
    JpgRect outputRegion;
    int regionInForce;
    // Start states of MCU rows of the last scan read by region, so that a
    // later region read of it seeks instead of decoding.
    JpgRowIndex *rowIndex;

    // The encoder's output stream and scan script, from the first write.
    JpgEncoderState *encoder;
};
