// Region reads of sequential scans: the MCUs around the region are passed
// over with the DC-only decoder, which keeps the DC predictors right at a
// fraction of the cost, and the input state at the start of every MCU row
// reached is kept in the row index, so that a later region read of the same
// scan seeks to its first row instead of passing over the rows above it.
// Once a marker has stopped the decoding, the MCUs up to its restart point
// take no bits and leave the predictors as they are: the walk steps past
// them without decoding, so a region low in a frame far larger than its
// data costs what the data cost.
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "scan_walk.h"

void JpgOutputSpan(const JPEG_PROPERTIES *props, int across, int down, int mcuWidth, int mcuHeight,
                   JpgMcuSpan *span)
{
    int cd = props->columnDelay, rd = props->rowDelay;
    span->firstColumn = span->firstRow = 0;
    span->endColumn = across + cd;
    span->endRow = down + rd;
    if (!props->regionInForce)
        return;
    const JpgRect &r = props->outputRegion;
    if (r.right <= r.left || r.bottom <= r.top || mcuWidth < 1 || mcuHeight < 1) {
        span->endColumn = span->endRow = 0;
        return;
    }
    // Smoothing needs the MCUs on either side of the region, and the output
    // of each MCU comes one position (column, row) behind its decoding.
    int first = r.left / mcuWidth - cd, end = JpgCeilDiv(r.right, mcuWidth) + cd;
    span->firstColumn = first > 0 ? first : 0;
    span->endColumn = end < across + cd ? end : across + cd;
    first = r.top / mcuHeight - rd;
    end = JpgCeilDiv(r.bottom, mcuHeight) + rd;
    span->firstRow = first > 0 ? first : 0;
    span->endRow = end < down + rd ? end : down + rd;
}

void JpgInvalidateRowIndex(JPEG_PROPERTIES *props)
{
    if (props->rowIndex)
        props->rowIndex->valid = false;
}

namespace {

// Where the next byte of the source lies, counted from the source's start.
long long SourceOffset(const JpgBitInput *input)
{
    int buffered = input->available > 0 ? input->available : 0;
    if (!input->file)
        return (long long)(input->position - input->start);
    long told = JpgFileTell(input->file);
    return told < 0 ? -1 : (long long)told - buffered;
}

uint64_t HashName(const char *name)
{
    uint64_t hash = 14695981039346656037ull;
    for (; name && *name; name++)
        hash = (hash ^ (uint8_t)*name) * 1099511628211ull;
    return hash;
}

void Capture(const JpgBitInput *input, const JpgScan *scan, long long offset, JpgRowState *state)
{
    state->offset = offset;
    state->bitBuffer = input->bitBuffer;
    state->bitsHeld = input->bitsHeld;
    state->restartsSeen = scan->restartsSeen;
    memcpy(state->dcPredictor, scan->dcPredictor, sizeof state->dcPredictor);
    state->pendingMarker = input->pendingMarker;
    // The bytes on either side of the position: the bit buffer came from
    // those before it, the decoding goes on with those after it.
    long long before = input->file ? input->position - input->fileBuffer : offset;
    state->checkBefore = (uint8_t)(before < 8 ? before : 8);
    int after = input->available < 8 ? (input->available > 0 ? input->available : 0) : 8;
    state->checkCount = (uint8_t)(state->checkBefore + after);
    memcpy(state->check, input->position - state->checkBefore, state->checkCount);
}

enum { STATE_RESTORED = 0, STATE_STALE = 1 };

// Puts the input where the state was taken. A state whose bytes the source
// no longer holds is stale; the input is then left where the state points.
int Restore(JpgBitInput *input, JpgScan *scan, const JpgRowState &state, bool check)
{
    long long here = SourceOffset(input);
    long long from = state.offset - state.checkBefore;
    if (from < 0)
        return STATE_STALE;
    if (input->file) {
        if (from > LONG_MAX || !JpgFileSeek(input->file, (long)from, SEEK_SET))
            return JPG_ERR_FILE;
        input->start = input->position = input->end = input->fileBuffer;
        input->available = 0;
        JpgFillInput(input);
    } else {
        if (from > input->size)
            return STATE_STALE;
        input->position = input->start + from;
        input->end = input->start + input->size;
        input->available = (int)(input->size - from);
    }
    if (check && (input->available < state.checkCount || memcmp(input->position, state.check, state.checkCount) != 0))
        return STATE_STALE;
    if (input->available < state.checkBefore)
        return STATE_STALE;
    input->position += state.checkBefore;
    input->available -= state.checkBefore;
    if (here >= 0)
        input->consumed += (uint32_t)(state.offset - here);
    input->bitBuffer = state.bitBuffer;
    input->bitsHeld = state.bitsHeld;
    input->pendingMarker = state.pendingMarker;
    input->exhausted = false;
    input->eobRun = 0;
    scan->restartsSeen = state.restartsSeen;
    memcpy(scan->dcPredictor, state.dcPredictor, sizeof scan->dcPredictor);
    return STATE_RESTORED;
}

bool Known(const JpgRowIndex *index, int row)
{
    return index->valid && row >= 0 && row < JPG_ROW_INDEX_ROWS && index->rows[row].offset >= 0;
}

int EnsureIndex(JPEG_PROPERTIES *props)
{
    if (!props->rowIndex)
        props->rowIndex = static_cast<JpgRowIndex *>(calloc(1, sizeof(JpgRowIndex)));
    return props->rowIndex ? 0 : JPG_ERR_MEMORY;
}

// Only the rows of the scan the index is tied to are ever looked up (the
// row after the last at most): clearing the whole table would cost a
// small picture's region read more than its decoding.
void ForgetRows(JpgRowIndex *index, int from, int down)
{
    int end = down + 2 < JPG_ROW_INDEX_ROWS ? down + 2 : JPG_ROW_INDEX_ROWS;
    for (int row = from; row < end; row++)
        index->rows[row].offset = -1;
}

// Ties the index to this source, frame and scan, taken at the scan's start;
// an index kept for anything else is cleared.
int PrepareIndex(JPEG_PROPERTIES *props, JpgBitInput *input, JpgScan *scan, int across, int down)
{
    if (EnsureIndex(props) < 0)
        return JPG_ERR_MEMORY;
    JpgRowIndexKey key;
    memset(&key, 0, sizeof key);
    key.fileSource = input->file != nullptr;
    if (input->file) {
        key.nameHash = HashName(props->jpgFileName);
    } else {
        key.memory = (uintptr_t)input->start;
        key.size = input->size;
    }
    key.scanOffset = SourceOffset(input);
    if (key.scanOffset < 0)
        return JPG_ERR_FILE;
    key.frameWidth = props->frameWidth;
    key.frameHeight = props->frameHeight;
    key.componentCount = props->componentCount;
    for (int c = 0; c < props->componentCount && c < JPG_MAX_COMPONENTS; c++)
        key.sampling[c] = props->components[c].h << 4 | props->components[c].v;
    key.scanComponents = scan->ns;
    for (int i = 0; i < scan->ns && i < JPG_MAX_COMPONENTS; i++)
        key.scanComponent[i] = scan->components[i].frameIndex;
    key.restartInterval = scan->restartInterval;
    key.across = across;
    key.down = down;
    JpgRowIndex *index = props->rowIndex;
    if (index->valid && memcmp(&key, &index->key, sizeof key) == 0)
        return 0;
    index->key = key;
    index->valid = true;
    ForgetRows(index, 0, down);
    JpgSaveRowState(0, input, scan, props);
    return 0;
}

// Where a region scan is, and what it needs to go on.
struct Walk {
    JpgBitInput *input;
    JpgScan *scan;
    JPEG_PROPERTIES *props;
    int across, down, scale;
    int row, column; // the next MCU; the input stands at its start
    bool stalled;    // the last MCU took nothing, a marker pending
};

// After an MCU's decoding: its restart check, and whether the decoding has
// stopped at a marker.
int FinishMcu(Walk &w, const JpgInputMark &mark)
{
    if (w.input->exhausted)
        return JPG_ERR_EOF;
    w.stalled = mark.Stalled(w.input);
    if (JpgCheckRestart(w.input, w.scan, w.across, w.down, w.column, w.row) < 0)
        return JPG_ERR_BAD_RST;
    w.stalled = w.stalled && w.input->pendingMarker;
    return 0;
}

int PassOverMcu(Walk &w)
{
    JpgInputMark mark(w.input);
    JpgDecodeBlockRoutine decode = w.input->dispatch->huff_decode_dc_skip_ac;
    for (int i = 0; i < w.scan->ns; i++) {
        const JpgScanComponent &sc = w.scan->components[i];
        int blocks = w.scan->ns == 1 ? 1 : sc.h * sc.v;
        for (int b = 0; b < blocks; b++) {
            int16_t dc;
            // A file that ends here is cut short as a memory block that ends
            // is, which the exhausted flag reports below.
            int result = decode(w.input, sc.dcTable, sc.acTable, &w.scan->dcPredictor[i], &dc);
            if (result < 0)
                return result == JPG_ERR_EOF ? result : JPG_ERR_DATA;
        }
    }
    w.props->rowIndex->mcusPassedOver++;
    return FinishMcu(w, mark);
}

// Passes over the MCUs of the current row up to column `end`; those that
// a stopped decoding would not decode are stepped past, up to the one
// whose restart check takes the marker.
int PassOverColumns(Walk &w, int end)
{
    while (w.column < end) {
        if (w.stalled) {
            long long rowStart = (long long)w.row * w.across;
            long long resume = JpgResumingMcu(w.scan, w.across, w.down, rowStart + w.column) - rowStart;
            int next = resume < end ? (int)resume : end;
            if (next > w.column) {
                w.column = next;
                continue;
            }
        }
        int result = PassOverMcu(w);
        if (result < 0)
            return result;
        w.column++;
    }
    return 0;
}

// Passes over MCUs up to the start of row `row`, keeping the start state of
// every row reached on the way.
int PassOverTo(Walk &w, int row)
{
    while (w.row < row) {
        int result = PassOverColumns(w, w.across);
        if (result < 0)
            return result;
        w.row++;
        w.column = 0;
        JpgSaveRowState(w.row, w.input, w.scan, w.props);
    }
    return 0;
}

// Seeks to the start state of row `row` when the index knows it, else of
// the nearest row above it that is known and lies ahead of the input.
int SeekTowards(Walk &w, int row)
{
    JpgRowIndex *index = w.props->rowIndex;
    int known = row < JPG_ROW_INDEX_ROWS ? row : JPG_ROW_INDEX_ROWS - 1;
    while (known >= 0 && !Known(index, known))
        known--;
    bool behind = w.row > row || (w.row == row && w.column > 0);
    // Passing over from here is as near; and a scan that a whole-image read
    // began has no index to go back by.
    if ((!behind && known <= w.row) || known < 0)
        return 0;
    JpgRowState here;
    long long offset = SourceOffset(w.input);
    if (offset < 0)
        return JPG_ERR_FILE;
    Capture(w.input, w.scan, offset, &here);
    w.stalled = false; // found again by the next MCU passed over
    int result = JpgRestoreRowState(known, w.input, w.scan, w.props);
    if (result == JPG_ERR_DATA && known > 0) {
        // The source is not the one the index was made from: only the
        // scan's start, which this read found itself, still holds.
        ForgetRows(index, 1, w.down);
        if (!behind) {
            result = Restore(w.input, w.scan, here, false) == STATE_RESTORED ? 0 : JPG_ERR_FILE;
            return result;
        }
        known = 0;
        result = JpgRestoreRowState(0, w.input, w.scan, w.props);
    }
    if (result < 0)
        return result;
    w.row = known;
    w.column = 0;
    return 0;
}

// After the region's part of a row: the next row's start is taken from the
// index when it is known, else reached by passing over the rest of the row.
int FinishRow(Walk &w)
{
    int next = w.row + 1;
    JpgRowIndex *index = w.props->rowIndex;
    if (w.column < w.across && Known(index, next)) {
        int result = SeekTowards(w, next);
        if (result < 0)
            return result;
    }
    return PassOverTo(w, next);
}

} // namespace

void JpgSaveRowState(int row, JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props)
{
    JpgRowIndex *index = props->rowIndex;
    if (!index || !index->valid || row < 0 || row >= JPG_ROW_INDEX_ROWS || input->exhausted)
        return;
    long long offset = SourceOffset(input);
    if (offset >= 0)
        Capture(input, scan, offset, &index->rows[row]);
}

// 0, JPG_ERR_FILE when the file cannot be positioned, or JPG_ERR_DATA when
// the source no longer holds the bytes the state was taken from.
int JpgRestoreRowState(int row, JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props)
{
    JpgRowIndex *index = props->rowIndex;
    if (!index || !Known(index, row))
        return JPG_ERR_INTERNAL;
    int result = Restore(input, scan, index->rows[row], true);
    return result == STATE_STALE ? JPG_ERR_DATA : result;
}

int JpgDecodeSequentialScanRoi(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    Walk w = {input, scan, props, 0, 0, scale, scan->nextRow, scan->nextColumn, false};
    JpgSequentialGeometry(props, scan, &w.across, &w.down);
    int size = 8 / scale;
    int mcuWidth = size * props->hMax, mcuHeight = size * props->vMax;
    if (scan->ns == 1) {
        const JpgFrameComponent &fc = props->components[scan->components[0].frameIndex];
        mcuWidth /= fc.h;
        mcuHeight /= fc.v;
    }
    JpgMcuSpan span;
    JpgOutputSpan(props, w.across, w.down, mcuWidth, mcuHeight, &span);
    bool fresh = w.row == 0 && w.column == 0;
    int result;
    if ((result = fresh ? PrepareIndex(props, input, scan, w.across, w.down) : EnsureIndex(props)) < 0)
        return result;
    if (span.endRow > span.firstRow && span.endColumn > span.firstColumn) {
        int firstRow = span.firstRow > w.row ? span.firstRow : w.row;
        if (w.row != firstRow && (result = SeekTowards(w, firstRow)) < 0)
            return result;
        if ((result = PassOverTo(w, firstRow)) < 0)
            return result;
        // Stops come after the output of MCUs of the region itself, which
        // runs the delays behind the decoding, not after those that only
        // feed the smoothing of its edges.
        int regionColumn = props->outputRegion.left / mcuWidth + props->columnDelay;
        int regionRow = props->outputRegion.top / mcuHeight + props->rowDelay;
        bool hook = JpgHookTakesCoefficients(props);
        for (; w.row < span.endRow; w.column = 0) {
            bool realRow = w.row < w.down;
            if (realRow && (result = PassOverColumns(w, span.firstColumn)) < 0)
                return result;
            if (w.column < span.firstColumn)
                w.column = span.firstColumn;
            for (; w.column < span.endColumn; w.column++) {
                if (realRow && w.column < w.across) {
                    JpgInputMark mark(input);
                    if ((result = JpgDecodeSequentialMcu(input, scan, props, w.column, w.row)) < 0)
                        return result;
                    props->rowIndex->mcusDecoded++;
                    if ((result = FinishMcu(w, mark)) < 0)
                        return result;
                }
                if (!hook && (result = JpgOutputMcu(props, w.column, w.row, scale)) < 0)
                    return result;
                bool last = w.row == span.endRow - 1 && w.column == span.endColumn - 1;
                if (props->stopRequest && !props->nonInterleaved && !last && w.column >= regionColumn && w.row >= regionRow) {
                    props->stopRequest = 0;
                    scan->nextRow = w.row;
                    scan->nextColumn = w.column + 1;
                    props->progressColumn = w.column - props->columnDelay;
                    props->progressRow = w.row - props->rowDelay;
                    return JPG_INTERRUPT_SUCCESS;
                }
            }
            if (realRow && w.row + 1 < span.endRow && w.row + 1 < w.down) {
                if ((result = FinishRow(w)) < 0)
                    return result;
            } else {
                w.row++;
            }
        }
    }
    props->stopRequest = 0;
    scan->nextRow = scan->nextColumn = 0;
    return JPG_ROI_SUCCESS;
}
