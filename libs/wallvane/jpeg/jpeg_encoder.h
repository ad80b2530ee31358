// Inner steps of the encoder, shared between its files: the output stream,
// marker writers, forward transform, colour input, block loops and drivers.
#pragma once
#include "jpeg_codec.h"
#include "jpeg_decoder.h"

// The encoder's output stream: a caller's memory buffer, or a file through
// the 4096-byte buffer inside the record.
struct JpgBitOutput {
    uint64_t accumulator; // pending bits, the newest in the lowest places
    int pendingBits; // how many, 0..7 between calls
    JpgDispatch *dispatch;
    uint8_t *writePointer, *bufferStart, *bufferEnd;
    uint32_t flushedBytes; // written to the file before the buffer's start
    int capacity;
    int eobRun; // progressive end-of-band run, 0..32767
    void *file; // null for memory output
    uint8_t buffer[JPG_FILE_BUFFER_SIZE];
};

// What the encoder keeps between write calls of one record.
struct JpgEncoderState {
    JpgBitOutput output;
    JpgScan *script; // progressive scans, while an image is being written
    int scriptScans;
    bool stopped; // the last write stopped after an MCU and goes on at the next
};

// How a quantisation slot's values are prepared once the encoder owns them;
// the decoder prepares them again from the zigzag copy when it sees these.
enum { JPG_PREPARED_RECIPROCALS_AAN = 2, JPG_PREPARED_RECIPROCALS_INTEGER = 3 };

// The interface's write, after the record has been checked.
int JpgWriteSteps(JPEG_IMAGE_PROPS *record, int mode);
// Copies the public fields into the working record.
void JpgMirrorPublicRecord(JPEG_IMAGE_PROPS *record);
void JpgFreeEncoder(JPEG_PROPERTIES *props);

// Output stream.
void JpgOutputInit(JpgBitOutput *out, uint8_t *buffer, int size);
int JpgWriteBytes(const uint8_t *bytes, int count, JpgBitOutput *out);
int JpgFlushOutput(JpgBitOutput *out);
// Makes room for one byte at the write pointer: a full file buffer is
// written out, a full memory buffer gives JPG_ERR_OUTPUT_TOO_SMALL.
int JpgMakeRoom(JpgBitOutput *out);
// Writes the file buffer from its start to the write pointer and starts it
// again: JPG_ERR_FILE on a failed or short write.
int JpgWriteOutBuffer(JpgBitOutput *out);
uint32_t JpgBytesWritten(const JpgBitOutput *out);

// Entropy coding.
// Significant bits of |value|: called for every coded coefficient.
inline int JpgBitCategory(int value)
{
    unsigned magnitude = (unsigned)(value < 0 ? -value : value);
    return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude);
}
// For each row r of a block and each byte m of that row's flags (bit c for
// column c), the same flags at their zigzag positions.
struct JpgZigzagRows {
    uint64_t row[8][256];
    JpgZigzagRows();
};
extern const JpgZigzagRows JpgZigzagFlags;
// Flags of the 64 coefficients in natural order (row r in byte r) moved to
// zigzag order.
inline uint64_t JpgZigzagMask(uint64_t natural)
{
    uint64_t mask = 0;
    for (int r = 0; r < 8; r++)
        mask |= JpgZigzagFlags.row[r][(natural >> (8 * r)) & 0xFF];
    return mask;
}
int JpgEncodeBlock(JpgBitOutput *out, const JpgHuffTable *dc, const JpgHuffTable *ac, int16_t *predictor,
                   const int16_t *block);
int JpgEncodeDcProgressive(JpgBitOutput *out, const JpgHuffTable *dc, int16_t *predictor, const int16_t *block,
                           int refinement, int al);
void JpgCountDcFirst(uint32_t *counts, int16_t *predictor, const int16_t *block, int refinement, int al);
int JpgEncodeAcFirst(JpgBitOutput *out, const JpgHuffTable *ac, const int16_t *block, int ss, int se, int al);
void JpgCountAcFirst(JpgBitOutput *out, const int16_t *block, int ss, int se, int al, uint32_t *counts);
// Correction bits of a refinement scan wait in a buffer of this many.
enum { JPG_MAX_CORRECTION_BITS = 1000 };
int JpgEncodeAcRefine(JpgBitOutput *out, const JpgHuffTable *ac, const int16_t *block, int ss, int se, int al,
                      uint8_t *correctionBits, int *bufferedBits);
void JpgCountAcRefine(JpgBitOutput *out, const int16_t *block, int ss, int se, int al, uint8_t *correctionBits,
                      int *bufferedBits, uint32_t *counts);
int JpgEmitEobRun(JpgBitOutput *out, const JpgHuffTable *ac, const uint8_t *correctionBits, int *bufferedBits);
void JpgCountEobRun(JpgBitOutput *out, uint32_t *counts, int *bufferedBits);
// Pads the last byte of a scan with 1-bits and writes it.
int JpgFinishScanBits(JpgBitOutput *out);
int JpgGenOptimalTable(const uint32_t counts[257], uint8_t bits[16], uint8_t values[256]);

// Marker writers.
int JpgWriteSoi(JpgBitOutput *out);
int JpgWriteEoi(JpgBitOutput *out);
int JpgWriteApp0(JpgBitOutput *out, const JPEG_PROPERTIES *props);
int JpgWriteApp14(JpgBitOutput *out, const JPEG_PROPERTIES *props, int transform);
int JpgWriteComment(JpgBitOutput *out, JPEG_PROPERTIES *props);
int JpgWriteSof0(JpgBitOutput *out, const JPEG_PROPERTIES *props);
int JpgWriteSof2(JpgBitOutput *out, const JPEG_PROPERTIES *props);
int JpgWriteDqt(JpgBitOutput *out, int precision, int tableId, const int16_t *zigzag);
int JpgWriteDht(JpgBitOutput *out, const uint8_t bits[16], const uint8_t *values, int tableClass, int tableId);
int JpgWriteDhtAll(JpgBitOutput *out, const JPEG_PROPERTIES *props, int pairs);
int JpgWriteSos(JpgBitOutput *out, const JPEG_PROPERTIES *props);
int JpgWriteSosProgressive(JpgBitOutput *out, const JPEG_PROPERTIES *props, const JpgScan *scan);
int JpgWriteDri(JpgBitOutput *out, int interval);
int JpgWriteRst(JpgBitOutput *out, int n);

// Forward transform and quantisation.
extern const int32_t JpgAanQuantNumerator[64];
void JpgFdctAan(int16_t *block);
void JpgFdctInteger(int16_t *block);
void JpgQuantizeAan(int16_t *block, const int16_t *reciprocals);
void JpgQuantizeInteger(int16_t *block, const int16_t *reciprocals);
void JpgMakeQuantReciprocalsAan(int16_t *table);
void JpgMakeQuantReciprocalsInteger(int16_t *table);

// Colour input: the whole-MCU kernels of the dispatch record.
void JpgSplitGray1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbToYcc1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbToYcc2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbToYcc2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgBgrToYcc2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgSplit3Channels1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgSplit3Channels2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgSplit3Channels2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgSplitPacked422(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbaToYcca1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbaToYcca2x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgRgbaToYcca2x2(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
void JpgSplit4Channels1x1(const uint8_t *source, ptrdiff_t lineStep, int16_t *const *blocks);
int JpgSetupEncoderInput(JPEG_PROPERTIES *props);

// Block loops.
int JpgEncodeSequentialMcus(JPEG_PROPERTIES *props, JpgBitOutput *out, JpgScan *scan);
int JpgEncodeSequentialMcusRestart(JPEG_PROPERTIES *props, JpgBitOutput *out, JpgScan *scan);
int JpgTransformImageToCoefficients(JPEG_PROPERTIES *props);
void JpgGatherScanStatistics(JPEG_PROPERTIES *props, JpgBitOutput *out, const JpgScan *scan,
                             uint32_t counts[2][257]);
int JpgEmitProgressiveScan(JPEG_PROPERTIES *props, JpgBitOutput *out, const JpgScan *scan);
int JpgBlocksPerMcu(const JPEG_PROPERTIES *props);
void JpgCopyMcuFromPlanes(const JPEG_PROPERTIES *props, int column, int row, int16_t *blocks);

// Drivers.
int JpgWriteHeader(JPEG_PROPERTIES *props);
int JpgPrepareTables(JPEG_PROPERTIES *props);
int JpgEncodeImage(JPEG_PROPERTIES *props);
int JpgEncodeProgressive(JPEG_PROPERTIES *props);
int JpgBuildScanScript(JPEG_PROPERTIES *props, int *scans);
void JpgFreeScanScript(JPEG_PROPERTIES *props);
