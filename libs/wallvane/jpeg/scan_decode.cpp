// Scan dispatch and the MCU loops of sequential and progressive scans.
#include <string.h>

#include "jpeg_decoder.h"

void JpgPutBlockInPlane(const JPEG_PROPERTIES *props, int component, int blockColumn, int blockRow,
                        const int16_t *block)
{
    int16_t *plane = props->rawBlockHook->planes[component];
    if (!plane)
        return;
    ptrdiff_t line = (ptrdiff_t)props->frameMcusAcross * props->components[component].h * 8;
    int16_t *at = plane + (ptrdiff_t)blockRow * 8 * line + (ptrdiff_t)blockColumn * 8;
    for (int y = 0; y < 8; y++)
        memcpy(at + y * line, block + 8 * y, 8 * sizeof(int16_t));
}

namespace {

int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

// Blocks of a component across and down, as coded in a scan of that
// component alone.
int ComponentBlocksAcross(const JPEG_PROPERTIES *props, int h)
{
    return CeilDiv(props->frameWidth * h, 8 * props->hMax);
}

int ComponentBlocksDown(const JPEG_PROPERTIES *props, int v)
{
    return CeilDiv(props->frameHeight * v, 8 * props->vMax);
}

bool HookTakesCoefficients(const JPEG_PROPERTIES *props)
{
    return props->rawBlockHook && props->rawBlockHook->flag == 0;
}

// The whole image's coefficients are kept MCU after MCU, each MCU's blocks
// in frame order as in the MCU buffer.
int16_t *CoefficientBlock(const JPEG_PROPERTIES *props, int component, int blockColumn, int blockRow)
{
    const JpgFrameComponent &last = props->components[props->componentCount - 1];
    int blocksPerMcu = props->componentBlockOffset[props->componentCount - 1] + last.h * last.v;
    const JpgFrameComponent &fc = props->components[component];
    int mcuColumn = blockColumn / fc.h, mcuRow = blockRow / fc.v;
    size_t mcu = (size_t)mcuRow * props->frameMcusAcross + mcuColumn;
    size_t index = mcu * blocksPerMcu + props->componentBlockOffset[component] + (blockRow % fc.v) * fc.h +
                   blockColumn % fc.h;
    return props->coefficients + index * 64;
}

// Saves where a stopped scan goes on and tells the caller how far it got.
// Positions run to the last MCU plus the delays of smoothed output; the
// position reported is that of the last MCU written.
int StopAfter(JPEG_PROPERTIES *props, JpgScan *scan, int column, int row, int across, int down)
{
    props->stopRequest = 0;
    int nextColumn = column + 1, nextRow = row;
    if (nextColumn >= across + props->columnDelay) {
        nextColumn = 0;
        nextRow++;
    }
    if (nextRow >= down + props->rowDelay) {
        scan->nextColumn = scan->nextRow = 0;
        return 0;
    }
    scan->nextColumn = nextColumn;
    scan->nextRow = nextRow;
    props->progressColumn = column - props->columnDelay;
    props->progressRow = row - props->rowDelay;
    return JPG_INTERRUPT_SUCCESS;
}

// A stop waits until the delayed output has written something.
bool MayStop(const JPEG_PROPERTIES *props, int column, int row)
{
    return props->stopRequest && !(props->columnDelay && column == 0) && !(props->rowDelay && row == 0);
}

int OutputProgressiveMcu(JPEG_PROPERTIES *props, int column, int row, int scale)
{
    if (column >= props->frameMcusAcross || row >= props->frameMcusDown)
        return JpgOutputMcu(props, column, row, scale); // a delayed position
    if (HookTakesCoefficients(props)) {
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
    int16_t *block = props->mcuBuffer;
    for (int c = 0; c < props->componentCount; c++) {
        const JpgFrameComponent &fc = props->components[c];
        for (int by = 0; by < fc.v; by++)
            for (int bx = 0; bx < fc.h; bx++, block += 64) {
                memcpy(block, CoefficientBlock(props, c, column * fc.h + bx, row * fc.v + by),
                       64 * sizeof(int16_t));
                props->input.dispatch->run_dequant(block, props->quantTables[fc.tq].values);
            }
    }
    return JpgOutputMcu(props, column, row, scale);
}

bool OutputReady(const JPEG_PROPERTIES *props)
{
    return props->dcCounter >= props->componentCount && props->acCounter >= props->componentCount;
}

// One block of a DC scan: the first pass starts the block afresh, later
// passes refine its DC value.
int DecodeDcBlock(JpgBitInput *input, const JpgScan *scan, const JpgScanComponent &sc, int16_t *predictor,
                  int16_t *block)
{
    if (scan->ah != 0)
        return JpgDecodeDcRefine(input, &block[0], scan->al);
    memset(block, 0, 64 * sizeof(int16_t));
    return JpgDecodeDcFirst(input, sc.dcTable, &block[0], predictor, scan->al);
}

int DecodeDcMcu(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int column, int row)
{
    for (int i = 0; i < scan->ns; i++) {
        const JpgScanComponent &sc = scan->components[i];
        for (int by = 0; by < sc.v; by++)
            for (int bx = 0; bx < sc.h; bx++) {
                int16_t *block = CoefficientBlock(props, sc.frameIndex, column * sc.h + bx, row * sc.v + by);
                int result = DecodeDcBlock(input, scan, sc, &scan->dcPredictor[i], block);
                if (result < 0)
                    return result;
            }
    }
    return 0;
}

// The MCUs of a scan in raster order, from where a stopped read left off,
// each decoded, checked for a restart and output; with smoothed output the
// delayed column and row follow, where only the output runs.
template <typename DecodeMcu, typename OutputMcu>
int RunMcus(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int across, int down, DecodeMcu decode,
            OutputMcu output)
{
    for (int row = scan->nextRow; row < down + props->rowDelay; row++) {
        for (int column = row == scan->nextRow ? scan->nextColumn : 0; column < across + props->columnDelay;
             column++) {
            if (column < across && row < down) {
                int result = decode(column, row);
                if (result < 0)
                    return result;
                if (input->exhausted)
                    return JPG_ERR_EOF;
                if (JpgCheckRestart(input, scan, across, down, column, row) < 0)
                    return JPG_ERR_BAD_RST;
            }
            int result = output(column, row);
            if (result < 0)
                return result;
            if (MayStop(props, column, row))
                return StopAfter(props, scan, column, row, across, down);
        }
    }
    scan->nextColumn = scan->nextRow = 0;
    return 0;
}

int DecodeProgressiveDcInterleaved(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    return RunMcus(
        input, scan, props, props->frameMcusAcross, props->frameMcusDown,
        [&](int column, int row) { return DecodeDcMcu(input, scan, props, column, row); },
        [&](int column, int row) { return OutputReady(props) ? OutputProgressiveMcu(props, column, row, scale) : 0; });
}

// A scan of one component codes its blocks in raster order over that
// component's own grid, whatever the frame's MCUs are.
int DecodeProgressiveSingle(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    const JpgScanComponent &sc = scan->components[0];
    int gridAcross = ComponentBlocksAcross(props, sc.h);
    int gridDown = ComponentBlocksDown(props, sc.v);
    int mcuRows = props->frameMcusDown;
    for (int mcuRow = scan->nextRow; mcuRow < mcuRows; mcuRow++) {
        for (int by = 0; by < sc.v; by++) {
            int blockRow = mcuRow * sc.v + by;
            if (blockRow >= gridDown)
                break;
            for (int blockColumn = 0; blockColumn < gridAcross; blockColumn++) {
                int16_t *block = CoefficientBlock(props, sc.frameIndex, blockColumn, blockRow);
                int result;
                if (scan->ss == 0) {
                    result = DecodeDcBlock(input, scan, sc, &scan->dcPredictor[0], block);
                } else if (scan->ah == 0) {
                    result = JpgDecodeAcFirst(input, block, sc.acTable, scan->ss, scan->se, scan->al);
                } else {
                    result = JpgDecodeAcRefine(input, block, sc.acTable, scan->ss, scan->se, scan->al);
                }
                if (result < 0)
                    return result;
                if (input->exhausted)
                    return JPG_ERR_EOF;
                if (JpgCheckRestart(input, scan, gridAcross, gridDown, blockColumn, blockRow) < 0)
                    return JPG_ERR_BAD_RST;
            }
        }
        bool last = mcuRow == mcuRows - 1;
        if (OutputReady(props)) {
            // The row after the last releases the delayed one.
            for (int row = mcuRow; row <= mcuRow + (last ? props->rowDelay : 0); row++)
                for (int column = 0; column < props->frameMcusAcross + props->columnDelay; column++) {
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

// The region clips the output only; every MCU is still decoded, and those
// wholly outside it are not written.
void SetUpRegion(JPEG_PROPERTIES *props, int scale)
{
    JpgRect none = {0, 0, 0, 0};
    props->outputRegion = none;
    bool inForce = (props->roiRight != 0 && props->roiRight < props->frameWidth) ||
                   (props->roiBottom != 0 && props->roiBottom < props->frameHeight) || props->roiLeft >= 1 ||
                   props->roiTop >= 1;
    if (!inForce)
        return;
    // The region counts pixels of the output, at the read's scale. An edge
    // of 0 leaves that side at the picture's edge.
    int width = (props->frameWidth + scale - 1) / scale, height = (props->frameHeight + scale - 1) / scale;
    if (props->roiRight == 0 || props->roiRight > width)
        props->roiRight = width;
    if (props->roiBottom == 0 || props->roiBottom > height)
        props->roiBottom = height;
    if (props->roiLeft < 0)
        props->roiLeft = 0;
    if (props->roiTop < 0)
        props->roiTop = 0;
    JpgRect region = {props->roiLeft, props->roiTop, props->roiRight, props->roiBottom};
    if (region.right <= region.left || region.bottom <= region.top) {
        // An empty region: every MCU lies outside it.
        region.left = region.right = region.top = region.bottom = -1;
    }
    props->outputRegion = region;
}

// Smoothed chroma needs a frame of 2 x 1 or 2 x 2 sampling; at the reduced
// sizes 2 x 2 chroma comes out at the luminance's size already and is not
// smoothed. A separate scan of one component is smoothed, and delayed,
// only when that component is.
void SetUpSmoothing(JPEG_PROPERTIES *props, JpgScan *scan, int scale)
{
    props->smoothUpsampling = 0;
    props->columnDelay = props->rowDelay = 0;
    if (props->fourRowBuffers != 1 || !props->upsamplingNeeded || props->rawBlockHook || props->hMax != 2 ||
        props->componentCount > JPG_MAX_COMPONENTS)
        return;
    int mode = props->vMax == 1 ? 1 : props->vMax == 2 && scale == 1 ? 2 : 0;
    if (!mode)
        return;
    props->smoothAcross = props->frameMcusAcross;
    props->smoothDown = props->frameMcusDown;
    if (props->nonInterleaved) {
        const JpgFrameComponent &fc = props->components[scan->components[0].frameIndex];
        if (fc.h * 2 != props->hMax || (mode == 2 && fc.v * 2 != props->vMax))
            return;
        props->smoothAcross = ComponentBlocksAcross(props, fc.h);
        props->smoothDown = ComponentBlocksDown(props, fc.v);
    }
    props->smoothUpsampling = mode;
    props->columnDelay = 1;
    props->rowDelay = mode == 2 ? 1 : 0;
}

} // namespace

int JpgCheckRestart(JpgBitInput *input, JpgScan *scan, int mcusAcross, int mcusDown, int column,
                    int row)
{
    int interval = scan->restartInterval;
    if (interval == 0)
        return 0;
    long long n = (long long)row * mcusAcross + column + 1;
    if (n % interval != 0 || n >= (long long)mcusAcross * mcusDown)
        return 0;
    for (int i = 0; i < JPG_MAX_COMPONENTS; i++)
        scan->dcPredictor[i] = 0;
    input->bitsHeld = 0;
    input->eobRun = 0;
    int marker = JpgNextMarker(input);
    int expected = JPG_RST0 + (scan->restartsSeen & 7);
    scan->restartsSeen++;
    return marker == expected ? 0 : JPG_ERR_BAD_RST;
}

namespace {

// The blocks of one MCU into the MCU buffer, dequantised, or to the hook.
int DecodeSequentialMcu(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int column, int row, bool hook,
                        bool fused)
{
    JpgDispatch *dispatch = input->dispatch;
    for (int i = 0; i < scan->ns; i++) {
        const JpgScanComponent &sc = scan->components[i];
        int blocksAcross = scan->ns == 1 ? 1 : sc.h, blocksDown = scan->ns == 1 ? 1 : sc.v;
        // Blocks go to the MCU buffer in frame order, whatever the scan's order.
        int16_t *block = props->mcuBuffer;
        if (scan->ns > 1)
            block += props->componentBlockOffset[sc.frameIndex] * 64;
        for (int by = 0; by < blocksDown; by++)
            for (int bx = 0; bx < blocksAcross; bx++, block += 64) {
                int result;
                if (fused) {
                    result = JpgDecodeBlockDequantized(input, sc.dcTable, sc.acTable, &scan->dcPredictor[i], block,
                                                       sc.quant->values);
                    if (result < 0)
                        return result;
                    continue;
                }
                result = dispatch->huff_decode_block(input, sc.dcTable, sc.acTable, &scan->dcPredictor[i], block);
                if (result < 0)
                    return result;
                if (hook)
                    JpgPutBlockInPlane(props, sc.frameIndex, column * blocksAcross + bx, row * blocksDown + by, block);
                else
                    dispatch->run_dequant(block, sc.quant->values);
            }
    }
    return 0;
}

} // namespace

int JpgDecodeSequentialScan(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    int across, down;
    if (scan->ns == 1) {
        across = ComponentBlocksAcross(props, scan->components[0].h);
        down = ComponentBlocksDown(props, scan->components[0].v);
    } else {
        across = props->frameMcusAcross;
        down = props->frameMcusDown;
    }
    bool hook = HookTakesCoefficients(props);
    // The generic decoder multiplies the coefficients by their quantisers as
    // it stores them; any other pair of routines runs one after the other.
    JpgDispatch *dispatch = input->dispatch;
    bool fused = !hook && dispatch->huff_decode_block == JpgDecodeBlock &&
                 dispatch->run_dequant == JpgDequantizeInteger;
    return RunMcus(
        input, scan, props, across, down,
        [&](int column, int row) { return DecodeSequentialMcu(input, scan, props, column, row, hook, fused); },
        [&](int column, int row) { return hook ? 0 : JpgOutputMcu(props, column, row, scale); });
}

int JpgDecodeProgressiveScan(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    if (scan->ns == 1)
        return DecodeProgressiveSingle(input, scan, props, scale);
    return DecodeProgressiveDcInterleaved(input, scan, props, scale);
}

int JpgDecodeScan(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props)
{
    JpgDispatch *dispatch = input->dispatch;
    // Large quantisers do not fit the fast method's 16-bit scaled tables;
    // such frames take the accurate transform. Tables prepared under the
    // other method are prepared again from the stream's values.
    int method = props->dctMethod == JPG_DCT_INTEGER ? JPG_DCT_INTEGER : JPG_DCT_AAN;
    for (int c = 0; c < props->componentCount && method == JPG_DCT_AAN; c++) {
        int tq = props->components[c].tq;
        if (tq >= 0 && tq < JPG_TABLE_SLOTS && !JpgAanTableFits(props->quantTables[tq].zigzag))
            method = JPG_DCT_INTEGER;
    }
    for (int c = 0; c < props->componentCount; c++) {
        int tq = props->components[c].tq;
        if (tq >= 0 && tq < JPG_TABLE_SLOTS && props->quantTables[tq].preparedFor != method)
            JpgPrepareQuantSlot(&props->quantTables[tq], method);
    }
    if (method == JPG_DCT_INTEGER) {
        dispatch->run_idct_8x8 = dispatch->idct_integer_8x8;
        dispatch->run_idct_4x4 = dispatch->idct_integer_4x4;
        dispatch->run_idct_2x2 = dispatch->idct_integer_2x2;
        dispatch->run_idct_1x1 = dispatch->idct_integer_1x1;
        dispatch->run_dequant = dispatch->dequant_integer;
    } else {
        dispatch->run_idct_8x8 = dispatch->idct_aan_8x8;
        dispatch->run_idct_4x4 = dispatch->idct_aan_4x4;
        dispatch->run_idct_2x2 = dispatch->idct_aan_2x2;
        dispatch->run_idct_1x1 = dispatch->idct_aan_1x1;
        dispatch->run_dequant = dispatch->dequant_aan;
    }
    int scale = JpgReadScale(props->ioMode);
    SetUpRegion(props, scale);
    SetUpSmoothing(props, scan, scale);
    int result;
    if (props->progressiveScans != 0)
        result = JpgDecodeProgressiveScan(input, scan, props, scale);
    else
        result = JpgDecodeSequentialScan(input, scan, props, scale);
    if (result == 0)
        input->bitsHeld = 0;
    dispatch->mmx_state_clear();
    return result;
}
