// The encoder's MCU loops: sequential scans with and without restart
// markers, and for progressive output the whole-image transform, the
// statistics pass and the emission of one scan.
#include <stdint.h>
#include <string.h>

#include "jpeg_encoder.h"

int JpgBlocksPerMcu(const JPEG_PROPERTIES *props)
{
    int blocks = 0;
    for (int c = 0; c < props->componentCount; c++)
        blocks += props->components[c].h * props->components[c].v;
    return blocks;
}

// The caller's planes instead of the bitmap: samples (flag set) or
// quantised coefficients, 8 rows of 8 values a block.
void JpgCopyMcuFromPlanes(const JPEG_PROPERTIES *props, int column, int row, int16_t *block)
{
    const JpgRawBlockHook *hook = props->rawBlockHook;
    for (int c = 0; c < props->componentCount; c++) {
        const JpgFrameComponent &fc = props->components[c];
        ptrdiff_t line = (ptrdiff_t)props->mcusAcross * fc.h * 8;
        for (int b = 0; b < fc.h * fc.v; b++, block += 64) {
            const int16_t *plane = hook->planes[c];
            if (!plane) {
                JpgClearBlock(block);
                continue;
            }
            const int16_t *at = plane + ((ptrdiff_t)row * fc.v + b / fc.h) * 8 * line +
                                ((ptrdiff_t)column * fc.h + b % fc.h) * 8;
            for (int y = 0; y < 8; y++)
                memcpy(block + 8 * y, at + y * line, 8 * sizeof(int16_t));
            if (hook->flag)
                for (int i = 0; i < 64; i++)
                    block[i] = (int16_t)(block[i] - 128);
        }
    }
}

namespace {

bool HookHoldsCoefficients(const JPEG_PROPERTIES *props)
{
    return props->rawBlockHook && props->rawBlockHook->flag == 0;
}

void FillMcu(JPEG_PROPERTIES *props, int column, int row)
{
    if (props->rawBlockHook)
        JpgCopyMcuFromPlanes(props, column, row, props->mcuBuffer);
    else
        props->input.dispatch->run_mcu_input(props, column, row);
}

// The component of each block of an MCU, in MCU order, worked out once per
// scan rather than per MCU.
struct McuBlocks {
    int count;
    int component[JPG_MAX_BLOCKS_PER_MCU];
};

void ListMcuBlocks(const JPEG_PROPERTIES *props, McuBlocks *list)
{
    list->count = 0;
    for (int c = 0; c < props->componentCount; c++) {
        int n = props->components[c].h * props->components[c].v;
        for (int b = 0; b < n && list->count < JPG_MAX_BLOCKS_PER_MCU; b++)
            list->component[list->count++] = c;
    }
}

void TransformMcu(JPEG_PROPERTIES *props, const McuBlocks &blocks, int16_t *const quant[JPG_MAX_COMPONENTS])
{
    JpgDispatch *dispatch = props->input.dispatch;
    int16_t *block = props->mcuBuffer;
    for (int i = 0; i < blocks.count; i++, block += 64) {
        dispatch->run_fdct(block);
        dispatch->run_quant(block, quant[blocks.component[i]]);
    }
}

// Each component's reciprocal table, or JPG_ERR_NO_QUANT.
int FindQuantTables(JPEG_PROPERTIES *props, int16_t *quant[JPG_MAX_COMPONENTS])
{
    for (int c = 0; c < props->componentCount; c++) {
        int tq = props->components[c].tq;
        if (tq < 0 || tq >= JPG_TABLE_SLOTS || (props->quantTables[tq].preparedFor != JPG_PREPARED_RECIPROCALS_AAN &&
                                                props->quantTables[tq].preparedFor != JPG_PREPARED_RECIPROCALS_INTEGER))
            return JPG_ERR_NO_QUANT;
        quant[c] = props->quantTables[tq].values;
    }
    return 0;
}

template <bool Restarts>
int EncodeSequential(JPEG_PROPERTIES *props, JpgBitOutput *out, JpgScan *scan)
{
    JpgDispatch *dispatch = props->input.dispatch;
    int16_t *quant[JPG_MAX_COMPONENTS];
    const JpgHuffTable *dc[JPG_MAX_COMPONENTS], *ac[JPG_MAX_COMPONENTS];
    int result = 0;
    for (int c = 0; c < props->componentCount && result == 0; c++) {
        int td = props->dcTableOf[c], ta = props->acTableOf[c];
        if (td < 0 || td >= JPG_TABLE_SLOTS || ta < 0 || ta >= JPG_TABLE_SLOTS || !props->dcLoaded[td] ||
            !props->acLoaded[ta])
            result = JPG_ERR_NO_HUFFMAN;
        else {
            dc[c] = &props->dcTables[td];
            ac[c] = &props->acTables[ta];
        }
    }
    if (result == 0)
        result = FindQuantTables(props, quant);
    if (result < 0) {
        dispatch->mmx_state_clear();
        return result;
    }
    JpgEncodeBlockRoutine encodeBlock = dispatch->huff_encode_block;
    McuBlocks blocks;
    ListMcuBlocks(props, &blocks);
    bool transform = !HookHoldsCoefficients(props);
    int interval = props->restartInterval;
    int column = scan->nextColumn;
    for (int row = scan->nextRow; row < props->mcusDown && result == 0; row++, column = 0) {
        for (; column < props->mcusAcross; column++) {
            FillMcu(props, column, row);
            if (transform)
                TransformMcu(props, blocks, quant);
            const int16_t *block = props->mcuBuffer;
            for (int i = 0; i < blocks.count && result == 0; i++, block += 64) {
                int c = blocks.component[i];
                result = encodeBlock(out, dc[c], ac[c], &scan->dcPredictor[c], block);
            }
            if (result != 0)
                break;
            bool last = row == props->mcusDown - 1 && column == props->mcusAcross - 1;
            // A restart marker separates intervals; none follows the last MCU.
            if (Restarts && ++scan->restartsSeen % interval == 0 && !last) {
                int n = (scan->restartsSeen / interval - 1) & 7;
                if (n == 7)
                    scan->restartsSeen = 0;
                if ((result = JpgWriteRst(out, n)) != 0)
                    break;
                memset(scan->dcPredictor, 0, sizeof scan->dcPredictor);
            }
            if (props->stopRequest) {
                props->progressColumn = column;
                props->progressRow = row;
                scan->nextColumn = column + 1 == props->mcusAcross ? 0 : column + 1;
                scan->nextRow = column + 1 == props->mcusAcross ? row + 1 : row;
                dispatch->mmx_state_clear();
                return JPG_INTERRUPT_SUCCESS;
            }
        }
    }
    dispatch->mmx_state_clear();
    return result;
}

int16_t *CoefficientMcu(const JPEG_PROPERTIES *props, int column, int row)
{
    size_t mcu = (size_t)row * props->mcusAcross + column;
    return props->coefficients + mcu * JpgBlocksPerMcu(props) * 64;
}

// Blocks of a component as a scan of it alone codes them.
int ComponentBlocks(int imageSize, int factor, int largest)
{
    int samples = (imageSize * factor + largest - 1) / largest;
    return (samples + 7) / 8;
}

// What a pass over one progressive scan does with each block: count its
// symbols or write them.
struct ScanPass {
    JpgBitOutput *out;
    uint32_t (*counts)[257]; // null when emitting
    JpgHuffTable *dcTables, *acTables;
    uint8_t correctionBits[JPG_MAX_CORRECTION_BITS];
    int bufferedBits;
};

int DcBlock(ScanPass *pass, const JPEG_PROPERTIES *props, const JpgScan *scan, int component,
            int16_t *predictor, const int16_t *block)
{
    int table = props->dcTableOf[component];
    if (pass->counts) {
        JpgCountDcFirst(pass->counts[table], predictor, block, scan->ah, scan->al);
        return 0;
    }
    return JpgEncodeDcProgressive(pass->out, &pass->dcTables[table], predictor, block, scan->ah, scan->al);
}

int AcBlock(ScanPass *pass, const JpgScan *scan, const JpgHuffTable *table, const int16_t *block)
{
    if (pass->counts) {
        if (scan->ah == 0)
            JpgCountAcFirst(pass->out, block, scan->ss, scan->se, scan->al, pass->counts[0]);
        else
            JpgCountAcRefine(pass->out, block, scan->ss, scan->se, scan->al, pass->correctionBits,
                             &pass->bufferedBits, pass->counts[0]);
        return 0;
    }
    if (scan->ah == 0)
        return JpgEncodeAcFirst(pass->out, table, block, scan->ss, scan->se, scan->al);
    return JpgEncodeAcRefine(pass->out, table, block, scan->ss, scan->se, scan->al, pass->correctionBits,
                             &pass->bufferedBits);
}

// How far ahead of the block being coded an AC pass asks for a later one
// (a few kilobytes: enough to cover the time memory takes to answer).
const int PrefetchMcusAhead = 6;

int RunScanPass(JPEG_PROPERTIES *props, ScanPass *pass, const JpgScan *scan)
{
    int result = 0;
    pass->out->eobRun = 0;
    pass->bufferedBits = 0;
    if (scan->ss == 0) {
        int16_t predictor[JPG_MAX_COMPONENTS] = {};
        for (int row = 0; row < props->mcusDown && result == 0; row++)
            for (int column = 0; column < props->mcusAcross && result == 0; column++) {
                const int16_t *mcu = CoefficientMcu(props, column, row);
                for (int i = 0; i < scan->ns && result == 0; i++) {
                    int c = scan->components[i].frameIndex;
                    const JpgFrameComponent &fc = props->components[c];
                    const int16_t *block = mcu + props->componentBlockOffset[c] * 64;
                    for (int b = 0; b < fc.h * fc.v && result == 0; b++, block += 64)
                        result = DcBlock(pass, props, scan, c, &predictor[c], block);
                }
            }
        return result;
    }
    int c = scan->components[0].frameIndex;
    const JpgFrameComponent &fc = props->components[c];
    const JpgHuffTable *table = &pass->acTables[props->acTableOf[c]];
    int across = ComponentBlocks(props->jpgWidth, fc.h, props->hMax);
    int down = ComponentBlocks(props->jpgHeight, fc.v, props->vMax);
    size_t mcuValues = (size_t)JpgBlocksPerMcu(props) * 64, mcuBytes = mcuValues * sizeof(int16_t);
    for (int y = 0; y < down && result == 0; y++) {
        const int16_t *rowStart = props->coefficients + (size_t)(y / fc.v) * props->mcusAcross * mcuValues +
                                  (props->componentBlockOffset[c] + (y % fc.v) * fc.h) * 64;
        // The block's MCU and its place in it step along; no division per block.
        size_t at = 0;
        int inMcu = 0;
        for (int x = 0; x < across && result == 0; x++) {
            const int16_t *block = rowStart + at + inMcu * 64;
            // The coefficients of a big picture are far beyond the caches and
            // each scan walks them again: ask for the block PrefetchMcusAhead
            // MCUs on early (an address only, it may lie past the buffer).
            uintptr_t later = reinterpret_cast<uintptr_t>(block) + PrefetchMcusAhead * mcuBytes;
            __builtin_prefetch(reinterpret_cast<const void *>(later));
            __builtin_prefetch(reinterpret_cast<const void *>(later + 64));
            result = AcBlock(pass, scan, table, block);
            if (++inMcu == fc.h) {
                inMcu = 0;
                at += mcuValues;
            }
        }
    }
    if (result == 0) {
        if (pass->counts)
            JpgCountEobRun(pass->out, pass->counts[0], &pass->bufferedBits);
        else
            result = JpgEmitEobRun(pass->out, table, pass->correctionBits, &pass->bufferedBits);
    }
    return result;
}

} // namespace

int JpgEncodeSequentialMcus(JPEG_PROPERTIES *props, JpgBitOutput *out, JpgScan *scan)
{
    return EncodeSequential<false>(props, out, scan);
}

int JpgEncodeSequentialMcusRestart(JPEG_PROPERTIES *props, JpgBitOutput *out, JpgScan *scan)
{
    return EncodeSequential<true>(props, out, scan);
}

int JpgTransformImageToCoefficients(JPEG_PROPERTIES *props)
{
    int16_t *quant[JPG_MAX_COMPONENTS];
    int result = FindQuantTables(props, quant);
    if (result < 0)
        return result;
    size_t mcuValues = (size_t)JpgBlocksPerMcu(props) * 64;
    McuBlocks blocks;
    ListMcuBlocks(props, &blocks);
    for (int row = 0; row < props->mcusDown; row++)
        for (int column = 0; column < props->mcusAcross; column++) {
            FillMcu(props, column, row);
            TransformMcu(props, blocks, quant);
            memcpy(CoefficientMcu(props, column, row), props->mcuBuffer, mcuValues * sizeof(int16_t));
        }
    props->input.dispatch->mmx_state_clear();
    return 0;
}

void JpgGatherScanStatistics(JPEG_PROPERTIES *props, JpgBitOutput *out, const JpgScan *scan,
                             uint32_t counts[2][257])
{
    ScanPass pass;
    pass.out = out;
    pass.counts = counts;
    pass.dcTables = pass.acTables = nullptr;
    RunScanPass(props, &pass, scan);
    out->eobRun = 0;
}

int JpgEmitProgressiveScan(JPEG_PROPERTIES *props, JpgBitOutput *out, const JpgScan *scan)
{
    ScanPass pass;
    pass.out = out;
    pass.counts = nullptr;
    pass.dcTables = props->dcTables;
    pass.acTables = props->acTables;
    int result = RunScanPass(props, &pass, scan);
    if (result == 0)
        result = JpgFinishScanBits(out);
    props->input.dispatch->mmx_state_clear();
    return result;
}
