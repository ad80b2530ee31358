// Scan dispatch and the MCU loop of sequential scans.
#include <stdlib.h>
#include <string.h>

#include "scan_walk.h"

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

int JpgStopAfter(JPEG_PROPERTIES *props, JpgScan *scan, int column, int row, int across, int down)
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

bool JpgMayStop(const JPEG_PROPERTIES *props, int column, int row)
{
    return props->stopRequest && !(props->columnDelay && column == 0) && !(props->rowDelay && row == 0);
}

namespace {

// The region counts pixels of the output, at the read's scale. Whether one
// is in force, and its edges clipped to the picture.
bool SetUpRegion(JPEG_PROPERTIES *props, int scale)
{
    JpgRect none = {0, 0, 0, 0};
    props->outputRegion = none;
    props->regionInForce = 0;
    bool inForce = (props->roiRight != 0 && props->roiRight < props->frameWidth) ||
                   (props->roiBottom != 0 && props->roiBottom < props->frameHeight) || props->roiLeft >= 1 ||
                   props->roiTop >= 1;
    if (!inForce)
        return false;
    // An edge of 0 leaves that side at the picture's edge.
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
    props->regionInForce = 1;
    return true;
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
        props->smoothAcross = JpgComponentBlocksAcross(props, fc.h);
        props->smoothDown = JpgComponentBlocksDown(props, fc.v);
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
    if (marker == expected)
        return 0;
    // Another picture's start is left for the marker reader, which tells it
    // apart from a restart marker out of order.
    if (JpgStartsAnotherPicture(marker))
        input->pendingMarker = (uint8_t)marker;
    return JPG_ERR_BAD_RST;
}

namespace {

// The blocks of one MCU into the MCU buffer, dequantised, or to the hook.
int DecodeSequentialMcu(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int column, int row, bool hook)
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
                int result =
                    dispatch->huff_decode_block(input, sc.dcTable, sc.acTable, &scan->dcPredictor[i], block);
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

struct SampleBlock {
    int16_t samples[64];
};

constexpr SampleBlock FlatSamples()
{
    SampleBlock b{};
    for (int16_t &v : b.samples)
        v = 128;
    return b;
}

// What every inverse transform makes of a block without coefficients.
constexpr SampleBlock LevelShiftBlock = FlatSamples();

// The blocks of one MCU in decoding order, with their tables, their DC
// predictor, their quantiser and where each goes, worked out once per scan.
struct BlockPlan {
    int count;
    const JpgHuffTable *dc[JPG_MAX_BLOCKS_PER_MCU], *ac[JPG_MAX_BLOCKS_PER_MCU];
    int16_t *predictor[JPG_MAX_BLOCKS_PER_MCU], *block[JPG_MAX_BLOCKS_PER_MCU];
    const int16_t *quant[JPG_MAX_BLOCKS_PER_MCU];
};

bool PlanBlocks(JpgScan *scan, JPEG_PROPERTIES *props, BlockPlan *plan)
{
    plan->count = 0;
    for (int i = 0; i < scan->ns; i++) {
        const JpgScanComponent &sc = scan->components[i];
        int blocks = scan->ns == 1 ? 1 : sc.h * sc.v;
        int16_t *block = props->mcuBuffer;
        if (scan->ns > 1)
            block += props->componentBlockOffset[sc.frameIndex] * 64;
        for (int b = 0; b < blocks; b++, block += 64) {
            if (plan->count == JPG_MAX_BLOCKS_PER_MCU)
                return false;
            int k = plan->count++;
            plan->dc[k] = sc.dcTable;
            plan->ac[k] = sc.acTable;
            plan->predictor[k] = &scan->dcPredictor[i];
            plan->block[k] = block;
            plan->quant[k] = sc.quant->values;
        }
    }
    return true;
}

int DecodePlannedMcu(JpgBitInput *input, const BlockPlan &plan)
{
    JpgDispatch *dispatch = input->dispatch;
    for (int k = 0; k < plan.count; k++) {
        int result = dispatch->huff_decode_block(input, plan.dc[k], plan.ac[k], plan.predictor[k], plan.block[k]);
        if (result < 0)
            return result;
        dispatch->run_dequant(plan.block[k], plan.quant[k]);
    }
    return 0;
}

} // namespace

void JpgSequentialGeometry(const JPEG_PROPERTIES *props, const JpgScan *scan, int *across, int *down)
{
    if (scan->ns == 1) {
        *across = JpgComponentBlocksAcross(props, scan->components[0].h);
        *down = JpgComponentBlocksDown(props, scan->components[0].v);
    } else {
        *across = props->frameMcusAcross;
        *down = props->frameMcusDown;
    }
}

int JpgDecodeSequentialMcu(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int column, int row)
{
    return DecodeSequentialMcu(input, scan, props, column, row, JpgHookTakesCoefficients(props));
}

int JpgDecodeSequentialScan(JpgBitInput *input, JpgScan *scan, JPEG_PROPERTIES *props, int scale)
{
    int across, down;
    JpgSequentialGeometry(props, scan, &across, &down);
    bool hook = JpgHookTakesCoefficients(props);
    BlockPlan plan = {}; // read only when planned; the compiler cannot see that
    bool planned = !hook && PlanBlocks(scan, props, &plan);
    JpgFastOutput fast;
    JpgPrepareFastOutput(props, scale, &fast);
    return JpgRunMcus(
        input, scan, props, across, down,
        [&](int column, int row) {
            return planned ? DecodePlannedMcu(input, plan) : DecodeSequentialMcu(input, scan, props, column, row, hook);
        },
        [&](int column, int row) {
            if (!planned) {
                DecodeSequentialMcu(input, scan, props, column, row, hook);
                return;
            }
            // The samples the output's transforms would make of blocks
            // without coefficients, on every processor type.
            for (int k = 0; k < plan.count; k++)
                memcpy(plan.block[k], LevelShiftBlock.samples, sizeof LevelShiftBlock.samples);
            props->flatMcu = 1;
        },
        [&](int column, int row) { return hook ? 0 : JpgOutputMcuFast(props, fast, column, row, scale); },
        [&](int reference, int first, int end) {
            return planned && JpgRepeatOutputRows(props, across, reference, first, end, scale);
        });
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
    bool region = SetUpRegion(props, scale);
    SetUpSmoothing(props, scan, scale);
    int result;
    if (props->progressiveScans != 0)
        result = region ? JpgDecodeProgressiveScanRoi(input, scan, props, scale)
                        : JpgDecodeProgressiveScan(input, scan, props, scale);
    else
        result = region ? JpgDecodeSequentialScanRoi(input, scan, props, scale)
                        : JpgDecodeSequentialScan(input, scan, props, scale);
    if (result == 0)
        input->bitsHeld = 0;
    dispatch->mmx_state_clear();
    return result;
}
