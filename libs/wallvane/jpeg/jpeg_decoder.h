// Inner steps of the decoder, shared between its files.
#pragma once
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "jpeg_dispatch.h"
#include "jpeg_types.h"

extern const int JpgNaturalOrder[80];

// File access.
void *JpgFileOpen(const char *name, bool forWriting);
int JpgFileClose(void *file);
int JpgFileRead(void *file, void *buffer, int count, int *done);
int JpgFileWrite(void *file, const void *buffer, int count, int *done);
int JpgFileSeek(void *file, long distance, int origin); // origin as SEEK_SET/CUR/END
long JpgFileTell(void *file); // -1 on failure

// Input stream.
void JpgResetInput(JpgBitInput *input);
// JPG_ERR_EOF at the end of the source, a file's or a memory block's alike;
// JPG_ERR_FILE when a file read fails.
int JpgFillInput(JpgBitInput *input);
int JpgTakeBytes(JpgBitInput *input, int n, const uint8_t **bytes);
int JpgReadSegment(JpgBitInput *input, int n, const uint8_t **bytes, uint8_t **owned);
int JpgReadWord(JpgBitInput *input, int *value);
int JpgNextMarker(JpgBitInput *input);
int JpgSeekMarker(JpgBitInput *input);
int JpgSkipSegment(JpgBitInput *input);
int JpgSkipBytes(JpgBitInput *input, int count);

// Marker reader and parsers.
int JpgReadMarkers(JPEG_PROPERTIES *props);
int JpgParseFrameHeader(JPEG_PROPERTIES *props, int marker);
int JpgParseQuantTables(JPEG_PROPERTIES *props);
int JpgParseHuffmanTables(JPEG_PROPERTIES *props);
int JpgParseRestartInterval(JPEG_PROPERTIES *props);
int JpgParseScanHeader(JPEG_PROPERTIES *props, JpgScan *scan);
// A scan of the whole band at full precision, as a sequential frame codes it.
bool JpgIsSequentialShape(const JpgScan *scan);
int JpgParseApp0(JPEG_PROPERTIES *props);
int JpgParseAdobe(JPEG_PROPERTIES *props);
int JpgParseComment(JPEG_PROPERTIES *props);
void JpgFreeScan(JpgScan *scan);

// Tables.
int JpgBuildDecodeTable(const uint8_t bits[16], const uint8_t *huffval, int tableClass,
                        int identifier, JpgHuffTable *table);
int JpgBuildEncodeTable(const uint8_t bits[16], const uint8_t *huffval, JpgHuffTable *table);
void JpgSetDefaultTables(JPEG_PROPERTIES *props);
void JpgScaleQuantTable(int quality, const uint8_t base[64], uint8_t out[64]);
extern const uint8_t JpgStdLuminanceQuant[64];
extern const uint8_t JpgStdChrominanceQuant[64];

// Quantisation tables for the inverse transforms.
int JpgPrepareQuantTableInteger(int16_t *table);
int JpgPrepareQuantTableAan(int16_t *table);
bool JpgAanTableFits(const int16_t *zigzag);
void JpgPrepareQuantSlot(JpgQuantTable *table, int method);
// A hostile coefficient times its quantiser can leave 16 bits; it
// saturates rather than wrapping to the opposite sign.
// Clears one block of 64 coefficients. A call to the C library's memset
// for 128 bytes costs more than the stores themselves, once per block.
inline void JpgClearBlock(int16_t *block)
{
#if defined(__SSE2__)
    __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 8; i++)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(block) + i, zero);
#else
    uint64_t *words = reinterpret_cast<uint64_t *>(block);
    for (int i = 0; i < 16; i++)
        words[i] = 0;
#endif
}

inline int16_t JpgSaturate16(int v)
{
    return (int16_t)(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}
void JpgDequantizeInteger(int16_t *block, const int16_t *table);
void JpgDequantizeAan(int16_t *block, const int16_t *table);
void JpgIdctInteger(int16_t *block);
void JpgIdctInteger4x4(int16_t *block);
void JpgIdctInteger2x2(int16_t *block);
void JpgIdctInteger1x1(int16_t *block);
void JpgIdctAan(int16_t *block);
void JpgIdctAan4x4(int16_t *block);
void JpgIdctAan2x2(int16_t *block);
void JpgIdctAan1x1(int16_t *block);

// Whole-MCU colour kernels: luminance sampled 1x1, 2x1 or 2x2 against
// chroma 1x1, into 3-byte RGB or BGR or 4-byte RGBA pixels.
void JpgYccToRgb1x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgb2x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgb2x2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr1x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr2x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToBgr2x2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgba1x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgba2x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccToRgba2x2(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
// The other output kinds' kernels: a gray block, three components
// interleaved (with 255 as a fourth byte) or replicated 2 x 1 or 2 x 2,
// four components interleaved, YCbCr as packed 4:2:2 pixels, and
// YCbCrA as complemented RGB with the fourth sample.
void JpgCopyGray1x1(const int16_t *samples, uint8_t *dib, ptrdiff_t step);
void JpgInterleave3Channels1x1(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib,
                               ptrdiff_t step);
void JpgExpand3Channels2x1(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib, ptrdiff_t step);
void JpgExpand3Channels2x2(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib, ptrdiff_t step);
void JpgInterleave3ChannelsAlpha1x1(const int16_t *c0, const int16_t *c1, const int16_t *c2, uint8_t *dib,
                                    ptrdiff_t step);
void JpgInterleave4Channels1x1(const int16_t *c0, const int16_t *c1, const int16_t *c2, const int16_t *c3,
                               uint8_t *dib, ptrdiff_t step);
void JpgYccToPacked422(const int16_t *luma, const int16_t *cb, const int16_t *cr, uint8_t *dib, ptrdiff_t step);
void JpgYccaToRgba1x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth, uint8_t *dib,
                      ptrdiff_t step);
void JpgYccaToRgba2x1(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth, uint8_t *dib,
                      ptrdiff_t step);
void JpgYccaToRgba2x2(const int16_t *luma, const int16_t *cb, const int16_t *cr, const int16_t *fourth, uint8_t *dib,
                      ptrdiff_t step);

// Entropy decoding.
int JpgFillBitBuffer(JpgBitInput *input, int bitsNeeded);
unsigned JpgGetBits(JpgBitInput *input, int n);
unsigned JpgPeekBits(JpgBitInput *input, int n);
int JpgHuffDecode(JpgBitInput *input, int *symbol, const JpgHuffTable *table);
int JpgDecodeBlock(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                   int16_t *predictor, int16_t *block);
// The AC coefficients of a block from zigzag position k on, each step
// checked for its bits: the way every block decoder goes near a marker or
// the end of the data. A null block passes them over.
int JpgDecodeAcNearEnd(JpgBitInput *input, const JpgHuffTable *ac, int16_t *block, int k);
int JpgDecodeBlockDcOnly(JpgBitInput *input, const JpgHuffTable *dc, const JpgHuffTable *ac,
                         int16_t *predictor, int16_t *dcOut);
int JpgDecodeDcFirst(JpgBitInput *input, const JpgHuffTable *dc, int16_t *coefficient,
                     int16_t *predictor, int al);
int JpgDecodeDcRefine(JpgBitInput *input, int16_t *coefficient, int al);
int JpgDecodeAcFirst(JpgBitInput *input, int16_t *block, const JpgHuffTable *ac, int ss, int se,
                     int al);
int JpgDecodeAcRefine(JpgBitInput *input, int16_t *block, const JpgHuffTable *ac, int ss, int se,
                      int al);

// Frame setup and scans.
int JpgSetupFrame(JPEG_PROPERTIES *props);
int JpgDecodeScan(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props);
int JpgDecodeSequentialScan(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale);
int JpgDecodeProgressiveScan(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale);
int JpgCheckRestart(JpgBitInput *input, JpgScan *scan, int mcusAcross, int mcusDown, int column,
                    int row);

// The input state at the start of an MCU row. Positions are offsets from the
// start of the source, never pointers, so that a state can only ever point
// into the source it is checked against.
struct JpgRowState {
    long long offset; // -1 while the row's start is unknown
    uint64_t bitBuffer;
    int bitsHeld;
    int restartsSeen;
    int16_t dcPredictor[JPG_MAX_COMPONENTS];
    uint8_t pendingMarker;
    // The source's bytes around the offset (checkBefore of them before it),
    // to tell a source that has changed since.
    uint8_t checkBefore, checkCount;
    uint8_t check[16];
};

// What the saved states belong to: a source, a frame and a scan of it.
struct JpgRowIndexKey {
    int fileSource;
    uintptr_t memory; // identity only, never dereferenced
    long long size;
    uint64_t nameHash;
    long long scanOffset;
    int frameWidth, frameHeight, componentCount;
    int sampling[JPG_MAX_COMPONENTS];
    int scanComponents, scanComponent[JPG_MAX_COMPONENTS];
    int restartInterval, across, down;
};

struct JpgRowIndex {
    bool valid;
    JpgRowIndexKey key;
    // Counts kept for tests and measurements: MCUs decoded whole and MCUs
    // passed over with the DC-only decoder by region reads.
    long long mcusDecoded, mcusPassedOver;
    JpgRowState rows[JPG_ROW_INDEX_ROWS];
};

// MCU positions whose output step runs: the whole image, or the region's
// MCUs widened by the delays of smoothed output. End column and row are
// exclusive and may lie past the image by those delays.
struct JpgMcuSpan {
    int firstColumn, endColumn, firstRow, endRow;
};
void JpgOutputSpan(const JPEG_PROPERTIES *props, int across, int down, int mcuWidth, int mcuHeight,
                   JpgMcuSpan *span);
int JpgDecodeSequentialScanRoi(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale);
int JpgDecodeProgressiveScanRoi(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale);
void JpgSaveRowState(int row, JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props);
int JpgRestoreRowState(int row, JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props);
void JpgInvalidateRowIndex(JPEG_PROPERTIES *props);
// Whether every component's DC and last AC band are at full precision.
bool JpgProgressiveOutputReady(const JPEG_PROPERTIES *props);
// Every MCU of the span from the coefficient buffer of a progressive image.
int JpgOutputProgressiveImage(JPEG_PROPERTIES *props, int scale);
int JpgOutputMcu(JPEG_PROPERTIES *props, int column, int row, int scale);
// What the output of every MCU of a scan shares on the usual road (full
// size, interleaved, no hook, region or smoothing, a whole-MCU colour
// kernel), worked out once per scan.
struct JpgFastOutput {
    bool usable;
    int blocks;
    int wholeAcross, wholeDown; // MCUs that lie wholly inside the bitmap
    ptrdiff_t mcuBytes, mcuRowBytes;
    JpgIdctRoutine transform;
    const int16_t *quant[JPG_MAX_BLOCKS_PER_MCU];
    JpgColourOutKernel kernel; // none: smoothed chroma through the row buffers
    int smoothLayout;
};
void JpgPrepareFastOutput(JPEG_PROPERTIES *props, int scale, JpgFastOutput *fast);
// An MCU through the fast road where it is whole, else through JpgOutputMcu.
int JpgOutputMcuFast(JPEG_PROPERTIES *props, const JpgFastOutput &fast, int column, int row, int scale);
// Gives output MCU rows first..end-1 of a scan `across` MCUs wide the bytes
// that output row reference received, in what the bitmap holds of them;
// false where the output goes elsewhere than the bitmap.
bool JpgRepeatOutputRows(JPEG_PROPERTIES *props, int across, int reference, int first, int end, int scale);
// Block (column, row) of a component into the raw-block hook's plane, if it has one.
void JpgPutBlockInPlane(const JPEG_PROPERTIES *props, int component, int blockColumn, int blockRow,
                        const int16_t *block);
void JpgSelectMcuOutput(JPEG_PROPERTIES *props);
int JpgPutMcuConverted(JPEG_PROPERTIES *props, int column, int row);
int JpgPutMcuUpsampleGeneric(JPEG_PROPERTIES *props, int column, int row);
int JpgConvertPlanesInPlace(JPEG_PROPERTIES *props);
int JpgPrepareRowBuffers(JPEG_PROPERTIES *props, int blockSize);
void JpgStoreMcuRows(JPEG_PROPERTIES *props, int column, int row);
void JpgBuildSmoothPlanes(JPEG_PROPERTIES *props, int column, int row);
void JpgSmoothMcu(const JpgSmoothSource *source);
// Test programs send whole smoothed MCUs through the planes too, to hold
// the two roads to the same bytes.
void JpgUseSmoothRowKernelForTests(bool use);
bool JpgSmoothMcuByRows(JPEG_PROPERTIES *props, int column, int row, int layout, uint8_t *address, ptrdiff_t step);
int JpgClipMcuToRoi(const JpgRect *region, int mcuWidth, int mcuHeight, int column, int row, int channels,
                    ptrdiff_t lineStep, uint8_t *dib, int dibWidth, int dibHeight, uint8_t **address,
                    JpgRect *visible);

bool JpgIsHeaderMode(int mode);
// SOF0..SOF15 (not DHT or DAC), supported or not.
bool JpgIsFrameMarker(int marker);
// SOI or a frame header: where a stream's next picture begins.
bool JpgStartsAnotherPicture(int marker);
bool JpgIsFileMode(int mode);
bool JpgIsThumbnailMode(int mode);
// The read's reduction: 1, or 2, 4 or 8 for the scaled modes.
int JpgReadScale(int mode);
