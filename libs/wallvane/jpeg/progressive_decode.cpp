// Progressive scans: every scan adds to the coefficients of the whole image,
// and the bitmap shows them once every component's DC and last AC band are
// at full precision; each scan after that writes again the part it passes.
#include <string.h>

#include "scan_walk.h"

namespace {

int BlocksPerMcu(const JPEG_PROPERTIES *props)
{
    const JpgFrameComponent &last = props->components[props->componentCount - 1];
    return props->componentBlockOffset[props->componentCount - 1] + last.h * last.v;
}

// The whole image's coefficients are kept MCU after MCU, each MCU's blocks
// in frame order as in the MCU buffer.
int16_t *CoefficientBlock(const JPEG_PROPERTIES *props, int component, int blockColumn, int blockRow)
{
    const JpgFrameComponent &fc = props->components[component];
    int mcuColumn = blockColumn / fc.h, mcuRow = blockRow / fc.v;
    size_t mcu = (size_t)mcuRow * props->frameMcusAcross + mcuColumn;
    size_t index = mcu * BlocksPerMcu(props) + props->componentBlockOffset[component] +
                   (blockRow % fc.v) * fc.h + blockColumn % fc.h;
    return props->coefficients + index * 64;
}

bool InSpan(const JpgMcuSpan &span, int column, int row)
{
    return column >= span.firstColumn && column < span.endColumn && row >= span.firstRow && row < span.endRow;
}

int OutputProgressiveMcu(JPEG_PROPERTIES *props, int column, int row, int scale)
{
    if (column >= props->frameMcusAcross || row >= props->frameMcusDown)
        return JpgOutputMcu(props, column, row, scale); // a delayed position
    if (JpgHookTakesCoefficients(props)) {
        for (int c = 0; c < props->componentCount; c++) {
            const JpgFrameComponent &fc = props->components[c];
            for (int by = 0; by < fc.v; by++)
                for (int bx = 0; bx < fc.h; bx++) {
                    int blockColumn = column * fc.h + bx, blockRow = row * fc.v + by;
                    JpgPutBlockInPlane(props, c, blockColumn, blockRow,
                                       CoefficientBlock(props, c, blockColumn, blockRow));
                }
        }
        return 0;
    }
    // The MCU's blocks lie together and in the MCU buffer's order.
    int blocks = BlocksPerMcu(props);
    memcpy(props->mcuBuffer, props->coefficients + ((size_t)row * props->frameMcusAcross + column) * blocks * 64,
           (size_t)blocks * 64 * sizeof(int16_t));
    int16_t *block = props->mcuBuffer;
    for (int c = 0; c < props->componentCount; c++) {
        const JpgFrameComponent &fc = props->components[c];
        for (int b = 0; b < fc.h * fc.v; b++, block += 64)
            props->input.dispatch->run_dequant(block, props->quantTables[fc.tq].values);
    }
    return JpgOutputMcu(props, column, row, scale);
}

// The span of the frame's MCUs that the read writes.
void FrameSpan(const JPEG_PROPERTIES *props, int scale, JpgMcuSpan *span)
{
    int size = 8 / scale;
    JpgOutputSpan(props, props->frameMcusAcross, props->frameMcusDown, size * props->hMax, size * props->vMax,
                  span);
}

// One block of a DC scan: the first pass starts the block afresh, later
// passes refine its DC value.
int DecodeDcBlock(JpgBitInput *input, const JpgScan *scan, const JpgScanComponent &sc, int16_t *predictor,
                  int16_t *block)
{
    if (scan->ah != 0)
        return JpgDecodeDcRefine(input, &block[0], scan->al);
    JpgClearBlock(block);
    return JpgDecodeDcFirst(input, sc.dcTable, &block[0], predictor, scan->al);
}

int DecodeDcMcu(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int column, int row)
{
    // An interleaved scan's MCU is the frame's: its blocks lie together.
    int16_t *mcu = props->coefficients + ((size_t)row * props->frameMcusAcross + column) * BlocksPerMcu(props) * 64;
    for (int i = 0; i < scan->ns; i++) {
        const JpgScanComponent &sc = scan->components[i];
        int16_t *block = mcu + props->componentBlockOffset[sc.frameIndex] * 64;
        for (int by = 0; by < sc.v; by++)
            for (int bx = 0; bx < sc.h; bx++, block += 64) {
                int result = DecodeDcBlock(input, scan, sc, &scan->dcPredictor[i], block);
                if (result < 0)
                    return result;
            }
    }
    return 0;
}

int DecodeDcInterleaved(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale,
                        const JpgMcuSpan &span)
{
    bool ready = JpgProgressiveOutputReady(props);
    return JpgRunMcus(
        input, scan, props, props->frameMcusAcross, props->frameMcusDown,
        [&](int column, int row) { return DecodeDcMcu(input, scan, props, column, row); },
        [](int, int) {}, // the coefficients stay as they are
        [&](int column, int row) {
            return ready && InSpan(span, column, row) ? OutputProgressiveMcu(props, column, row, scale) : 0;
        },
        [](int, int, int) { return false; }); // every MCU keeps coefficients of its own
}

// A scan of one component codes its blocks in raster order over that
// component's own grid, whatever the frame's MCUs are; the output follows
// frame MCU row by frame MCU row.
int DecodeSingle(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale, const JpgMcuSpan &span)
{
    const JpgScanComponent &sc = scan->components[0];
    int gridAcross = JpgComponentBlocksAcross(props, sc.h);
    int gridDown = JpgComponentBlocksDown(props, sc.v);
    int mcuRows = props->frameMcusDown;
    bool ready = JpgProgressiveOutputReady(props);
    bool stalled = false;
    for (int mcuRow = scan->nextRow; mcuRow < mcuRows; mcuRow++) {
        for (int by = 0; by < sc.v; by++) {
            int blockRow = mcuRow * sc.v + by;
            if (blockRow >= gridDown)
                break;
            // Across the row the blocks step through each MCU's h blocks
            // of the component, then on to the next MCU.
            int16_t *block = CoefficientBlock(props, sc.frameIndex, 0, blockRow);
            ptrdiff_t nextMcu = (ptrdiff_t)(BlocksPerMcu(props) - sc.h + 1) * 64;
            for (int blockColumn = 0, bx = 0; blockColumn < gridAcross; blockColumn++) {
                if (blockColumn > 0)
                    block += ++bx < sc.h ? 64 : (bx = 0, nextMcu);
                // Up to the restart point of a marker that stopped the
                // decoding, blocks keep their coefficients (JpgRunMcus).
                if (!stalled) {
                    JpgInputMark mark(input);
                    int result;
                    if (scan->ss == 0)
                        result = DecodeDcBlock(input, scan, sc, &scan->dcPredictor[0], block);
                    else if (scan->ah == 0)
                        result = JpgDecodeAcFirst(input, block, sc.acTable, scan->ss, scan->se, scan->al);
                    else
                        result = JpgDecodeAcRefine(input, block, sc.acTable, scan->ss, scan->se, scan->al);
                    if (result < 0)
                        return result;
                    if (input->exhausted)
                        return JPG_ERR_EOF;
                    stalled = mark.Stalled(input);
                }
                if (scan->restartInterval &&
                    JpgCheckRestart(input, scan, gridAcross, gridDown, blockColumn, blockRow) < 0)
                    return JPG_ERR_BAD_RST;
                stalled = stalled && input->pendingMarker;
            }
        }
        bool last = mcuRow == mcuRows - 1;
        if (ready) {
            // The row after the last releases the delayed one.
            for (int row = mcuRow; row <= mcuRow + (last ? props->rowDelay : 0); row++)
                for (int column = span.firstColumn; column < span.endColumn; column++) {
                    if (!InSpan(span, column, row))
                        continue;
                    int result = OutputProgressiveMcu(props, column, row, scale);
                    if (result < 0)
                        return result;
                }
        }
        if (props->stopRequest && !last && !(props->rowDelay && mcuRow == 0)) {
            props->stopRequest = 0;
            scan->nextColumn = 0;
            scan->nextRow = mcuRow + 1;
            props->progressColumn = props->frameMcusAcross - 1;
            props->progressRow = mcuRow - props->rowDelay;
            return JPG_INTERRUPT_SUCCESS;
        }
    }
    props->stopRequest = 0;
    scan->nextColumn = scan->nextRow = 0;
    return 0;
}

int DecodeProgressive(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    JpgMcuSpan span;
    FrameSpan(props, scale, &span);
    if (scan->ns == 1)
        return DecodeSingle(input, scan, props, scale, span);
    return DecodeDcInterleaved(input, scan, props, scale, span);
}

} // namespace

bool JpgProgressiveOutputReady(const JPEG_PROPERTIES *props)
{
    return props->dcCounter >= props->componentCount && props->acCounter >= props->componentCount;
}

int JpgDecodeProgressiveScan(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    return DecodeProgressive(input, scan, props, scale);
}

// A progressive scan cannot be cut short: it is decoded whole, and only the
// output keeps to the region's MCUs. The read ends at the end of the image,
// as a later scan may still refine the region.
int JpgDecodeProgressiveScanRoi(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    return DecodeProgressive(input, scan, props, scale);
}

int JpgOutputProgressiveImage(JPEG_PROPERTIES *props, int scale)
{
    if (!props->coefficients)
        return 0;
    JpgMcuSpan span;
    FrameSpan(props, scale, &span);
    for (int row = span.firstRow; row < span.endRow; row++)
        for (int column = span.firstColumn; column < span.endColumn; column++) {
            int result = OutputProgressiveMcu(props, column, row, scale);
            if (result < 0)
                return result;
        }
    return 0;
}
