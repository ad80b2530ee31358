// The encoder's drivers: the headers ahead of the first scan with the
// tables they carry, one baseline scan, and progressive output with its
// fixed scan scripts and per-scan optimal Huffman tables.
#include <stdlib.h>
#include <string.h>

#include "jpeg_encoder.h"

namespace {

int QuantBaseValue(const JpgRawQuantSlot &raw, int k)
{
    int value = raw.precision ? (raw.buffer[2 * k] << 8) | raw.buffer[2 * k + 1] : raw.buffer[k];
    return value > 255 ? 255 : value;
}

// Scales the base table of raw slot j into quantisation slot j; with
// the stream written, the zigzag copy is what the file says.
void ScaleQuantSlot(JPEG_PROPERTIES *props, int j)
{
    uint8_t base[64], scaled[64];
    for (int k = 0; k < 64; k++)
        base[k] = (uint8_t)QuantBaseValue(props->rawQuant[j], k);
    JpgScaleQuantTable(props->quality, base, scaled);
    JpgQuantTable *table = &props->quantTables[j];
    for (int k = 0; k < 64; k++)
        table->zigzag[k] = scaled[k];
    // The fast quantiser cannot hold the reciprocal of 1 for the last
    // coefficient; the file must name the divisor actually used.
    if (props->dctMethod == JPG_DCT_AAN && table->zigzag[63] < 2)
        table->zigzag[63] = 2;
}

int MakeReciprocals(JPEG_PROPERTIES *props, int j)
{
    JpgQuantTable *table = &props->quantTables[j];
    memcpy(table->values, table->zigzag, sizeof table->zigzag);
    memset(table->values + 64, 0, 16 * sizeof(int16_t));
    if (props->dctMethod == JPG_DCT_AAN) {
        JpgMakeQuantReciprocalsAan(table->values);
        table->preparedFor = JPG_PREPARED_RECIPROCALS_AAN;
    } else if (props->dctMethod == JPG_DCT_INTEGER) {
        JpgMakeQuantReciprocalsInteger(table->values);
        table->preparedFor = JPG_PREPARED_RECIPROCALS_INTEGER;
    } else {
        return JPG_ERR_INVALID_PROPERTIES;
    }
    return 0;
}

int QuantTableCount(const JPEG_PROPERTIES *props)
{
    int count = props->quantTablesLoaded;
    return count < 0 ? 0 : count > JPG_TABLE_SLOTS ? JPG_TABLE_SLOTS : count;
}

int HuffmanPairCount(const JPEG_PROPERTIES *props)
{
    int count = props->huffHighestId;
    return count < 0 ? 0 : count > JPG_TABLE_SLOTS ? JPG_TABLE_SLOTS : count;
}

int BuildEncodeTables(JPEG_PROPERTIES *props)
{
    for (int k = 0; k < HuffmanPairCount(props); k++) {
        const JpgRawHuffSlot &dc = props->rawHuff[2 * k], &ac = props->rawHuff[2 * k + 1];
        if (!dc.bits || !dc.values || !ac.bits || !ac.values)
            return JPG_ERR_NO_HUFFMAN;
        int result = JpgBuildEncodeTable(dc.bits, dc.values, &props->dcTables[k]);
        if (result == 0)
            result = JpgBuildEncodeTable(ac.bits, ac.values, &props->acTables[k]);
        if (result < 0)
            return result;
        props->dcLoaded[k] = props->acLoaded[k] = true;
    }
    return 0;
}

JpgBitOutput *Output(JPEG_PROPERTIES *props)
{
    return &props->encoder->output;
}

bool ProgressiveRequested(const JPEG_PROPERTIES *props)
{
    return props->progressiveScans != 0;
}

} // namespace

int JpgPrepareTables(JPEG_PROPERTIES *props)
{
    JpgBitOutput *out = Output(props);
    for (int j = 0; j < QuantTableCount(props); j++) {
        if (!props->rawQuant[j].buffer)
            continue;
        ScaleQuantSlot(props, j);
        int result = JpgWriteDqt(out, 0, j, props->quantTables[j].zigzag);
        if (result == 0)
            result = MakeReciprocals(props, j);
        if (result < 0)
            return result;
    }
    if (ProgressiveRequested(props))
        return 0;
    int result = JpgWriteDhtAll(out, props, HuffmanPairCount(props));
    return result < 0 ? result : BuildEncodeTables(props);
}

int JpgWriteHeader(JPEG_PROPERTIES *props)
{
    JpgBitOutput *out = Output(props);
    JpgDispatch *dispatch = props->input.dispatch;
    out->dispatch = dispatch;
    out->file = props->input.file;
    dispatch->out_init(out, props->jpgBytes, props->jpgSizeBytes);
    int mode = props->ioMode, result = JpgWriteSoi(out);
    if (result == 0 && mode >= JPG_WRITE_IMAGE_FILE && mode <= JPG_WRITE_TABLES_MEMORY) {
        int colour = props->jpgColour;
        if (colour == JPG_COLOUR_RGB || colour == JPG_COLOUR_RGBA)
            result = JpgWriteApp14(out, props, 0);
        else if (colour == JPG_COLOUR_YCBCRA)
            result = JpgWriteApp14(out, props, 2);
        else
            result = JpgWriteApp0(out, props);
        if (result == 0)
            result = JpgWriteComment(out, props);
        if (result == 0)
            result = JpgPrepareTables(props);
    } else if (result == 0) {
        // Image data for tables written elsewhere: prepare what is not yet.
        for (int j = 0; j < QuantTableCount(props) && result == 0; j++) {
            JpgQuantTable *table = &props->quantTables[j];
            bool prepared = table->preparedFor == JPG_PREPARED_RECIPROCALS_AAN ||
                            table->preparedFor == JPG_PREPARED_RECIPROCALS_INTEGER;
            if (!prepared && props->rawQuant[j].buffer) {
                ScaleQuantSlot(props, j);
                result = MakeReciprocals(props, j);
            }
        }
        if (result == 0 && !ProgressiveRequested(props))
            result = BuildEncodeTables(props);
    }
    if (result < 0)
        return result;
    bool integer = props->dctMethod == JPG_DCT_INTEGER;
    dispatch->run_fdct = integer ? dispatch->fdct_integer : dispatch->fdct_aan;
    dispatch->run_quant = integer ? dispatch->quant_integer : dispatch->quant_aan;
    if (mode == JPG_WRITE_TABLES_FILE || mode == JPG_WRITE_TABLES_MEMORY)
        result = JpgWriteEoi(out);
    if (result == 0 && out->file)
        result = JpgFlushOutput(out);
    return result;
}

int JpgEncodeImage(JPEG_PROPERTIES *props)
{
    JpgBitOutput *out = Output(props);
    int result = 0;
    if (!props->scan) {
        JpgScan *scan = static_cast<JpgScan *>(calloc(1, sizeof(JpgScan)));
        if (scan)
            scan->components = static_cast<JpgScanComponent *>(calloc((size_t)props->componentCount,
                                                                      sizeof(JpgScanComponent)));
        if (!scan || !scan->components) {
            JpgFreeScan(scan);
            return JPG_ERR_MEMORY;
        }
        scan->ns = props->componentCount;
        scan->se = 63;
        for (int c = 0; c < scan->ns; c++) {
            scan->components[c].frameIndex = c;
            scan->components[c].h = props->components[c].h;
            scan->components[c].v = props->components[c].v;
        }
        scan->restartInterval = props->restartInterval;
        result = JpgWriteSof0(out, props);
        if (result == 0 && props->restartInterval != 0)
            result = JpgWriteDri(out, props->restartInterval);
        if (result == 0)
            result = JpgWriteSos(out, props);
        if (result == 0)
            result = JpgFlushOutput(out);
        if (result < 0) {
            JpgFreeScan(scan);
            return result;
        }
        props->scan = scan;
    }
    if (!props->rawBlockHook) {
        result = JpgSetupEncoderInput(props);
        if (result == 0 && !props->input.dispatch->run_mcu_input)
            result = JPG_ERR_NOT_SUPPORTED;
    }
    if (result == 0)
        result = props->scan->restartInterval != 0 ? JpgEncodeSequentialMcusRestart(props, out, props->scan)
                                                   : JpgEncodeSequentialMcus(props, out, props->scan);
    if (result == JPG_INTERRUPT_SUCCESS || result == JPG_ROI_SUCCESS) {
        props->stopRequest = 0;
        return result;
    }
    JpgFreeScan(props->scan);
    props->scan = nullptr;
    if (result == 0)
        result = JpgWriteEoi(out);
    if (result == 0)
        result = JpgFlushOutput(out);
    return result;
}

namespace {

// A scan of the script: components, spectral band, successive approximation.
struct ScriptScan {
    int ns; // components 0..ns-1 for a DC scan; for an AC scan the component
    int component;
    int ss, se, ah, al;
};

#define DC(n, ah, al) {n, 0, 0, 0, ah, al}
#define AC(c, ss, se, ah, al) {1, c, ss, se, ah, al}

const ScriptScan GrayScript[] = {DC(1, 0, 1),     AC(0, 1, 5, 0, 2), AC(0, 6, 63, 0, 2),
                                 AC(0, 1, 63, 2, 1), DC(1, 1, 0),       AC(0, 1, 63, 1, 0)};
const ScriptScan TwoComponentScript[] = {DC(2, 0, 0), AC(0, 1, 5, 0, 0), AC(1, 1, 5, 0, 0), AC(0, 6, 63, 0, 0),
                                         AC(1, 6, 63, 0, 0)};
const ScriptScan ThreePlainScript[] = {DC(3, 0, 1),       AC(0, 1, 5, 0, 0),  AC(1, 1, 5, 0, 0),
                                       AC(2, 1, 5, 0, 0), DC(3, 1, 0),        AC(0, 6, 63, 0, 0),
                                       AC(1, 6, 63, 0, 0), AC(2, 6, 63, 0, 0)};
const ScriptScan YccScript[] = {DC(3, 0, 1),        AC(0, 1, 5, 0, 2),  AC(2, 1, 63, 0, 1), AC(1, 1, 63, 0, 1),
                                AC(0, 6, 63, 0, 2), AC(0, 1, 63, 2, 1), DC(3, 1, 0),        AC(2, 1, 63, 1, 0),
                                AC(1, 1, 63, 1, 0), AC(0, 1, 63, 1, 0)};
const ScriptScan FourPlainScript[] = {DC(4, 0, 1),        AC(0, 1, 5, 0, 0),  AC(1, 1, 5, 0, 0),
                                      AC(2, 1, 5, 0, 0),  AC(3, 1, 5, 0, 0),  DC(4, 1, 0),
                                      AC(0, 6, 63, 0, 0), AC(1, 6, 63, 0, 0), AC(2, 6, 63, 0, 0),
                                      AC(3, 6, 63, 0, 0)};
const ScriptScan YccaScript[] = {DC(4, 0, 1),        AC(0, 1, 5, 0, 2),  AC(2, 1, 63, 0, 1), AC(1, 1, 63, 0, 1),
                                 AC(3, 1, 63, 0, 0), AC(0, 6, 63, 0, 2), AC(0, 1, 63, 2, 1), DC(4, 1, 0),
                                 AC(2, 1, 63, 1, 0), AC(1, 1, 63, 1, 0), AC(0, 1, 63, 1, 0)};

#undef DC
#undef AC

template <size_t N>
const ScriptScan *Script(const ScriptScan (&scans)[N], int *count)
{
    *count = (int)N;
    return scans;
}

const ScriptScan *ChooseScript(int components, int colour, int *count)
{
    if (components == 1 && colour == JPG_COLOUR_GRAY)
        return Script(GrayScript, count);
    if (components == 2 && colour == JPG_COLOUR_OTHER)
        return Script(TwoComponentScript, count);
    if (components == 3 && (colour == JPG_COLOUR_RGB || colour == JPG_COLOUR_OTHER))
        return Script(ThreePlainScript, count);
    if (components == 3 && colour == JPG_COLOUR_YCBCR)
        return Script(YccScript, count);
    if (components == 4 && (colour == JPG_COLOUR_RGBA || colour == JPG_COLOUR_OTHER))
        return Script(FourPlainScript, count);
    if (components == 4 && colour == JPG_COLOUR_YCBCRA)
        return Script(YccaScript, count);
    return nullptr;
}

int WriteScanTables(JPEG_PROPERTIES *props, const JpgScan *scan, uint32_t counts[2][257])
{
    JpgBitOutput *out = Output(props);
    uint8_t bits[16], values[256];
    if (scan->ss != 0) {
        int id = props->acTableOf[scan->components[0].frameIndex];
        JpgGenOptimalTable(counts[0], bits, values);
        int result = JpgBuildEncodeTable(bits, values, &props->acTables[id]);
        return result < 0 ? result : JpgWriteDht(out, bits, values, JPG_CLASS_AC, id);
    }
    if (scan->ah != 0)
        return 0;
    for (int id = 0; id < (props->componentCount > 1 ? 2 : 1); id++) {
        JpgGenOptimalTable(counts[id], bits, values);
        int result = JpgBuildEncodeTable(bits, values, &props->dcTables[id]);
        if (result == 0)
            result = JpgWriteDht(out, bits, values, JPG_CLASS_DC, id);
        if (result < 0)
            return result;
    }
    return 0;
}

int EncodeScans(JPEG_PROPERTIES *props)
{
    JpgBitOutput *out = Output(props);
    int result = JpgWriteSof2(out, props);
    if (result == 0 && !(props->rawBlockHook && props->rawBlockHook->flag == 0)) {
        if (!props->rawBlockHook) {
            result = JpgSetupEncoderInput(props);
            if (result == 0 && !props->input.dispatch->run_mcu_input)
                result = JPG_ERR_NOT_SUPPORTED;
        }
        if (result == 0)
            result = JpgTransformImageToCoefficients(props);
    } else if (result == 0) {
        // Coefficients handed in by the caller go into the buffer as they are.
        size_t mcuValues = (size_t)JpgBlocksPerMcu(props) * 64;
        for (int row = 0; row < props->mcusDown; row++)
            for (int column = 0; column < props->mcusAcross; column++)
                JpgCopyMcuFromPlanes(props, column, row,
                                     props->coefficients + ((size_t)row * props->mcusAcross + column) * mcuValues);
    }
    JpgEncoderState *state = props->encoder;
    for (int i = 0; i < state->scriptScans && result == 0; i++) {
        const JpgScan *scan = &state->script[i];
        uint32_t counts[2][257];
        memset(counts, 0, sizeof counts);
        JpgGatherScanStatistics(props, out, scan, counts);
        result = WriteScanTables(props, scan, counts);
        if (result == 0)
            result = JpgWriteSosProgressive(out, props, scan);
        if (result == 0)
            result = JpgEmitProgressiveScan(props, out, scan);
    }
    if (result == 0)
        result = JpgWriteEoi(out);
    if (result == 0)
        result = JpgFlushOutput(out);
    return result;
}

} // namespace

void JpgFreeScanScript(JPEG_PROPERTIES *props)
{
    JpgEncoderState *state = props->encoder;
    if (!state || !state->script)
        return;
    for (int i = 0; i < state->scriptScans; i++)
        free(state->script[i].components);
    free(state->script);
    state->script = nullptr;
    state->scriptScans = 0;
}

int JpgBuildScanScript(JPEG_PROPERTIES *props, int *scans)
{
    int count = 0;
    const ScriptScan *script = ChooseScript(props->componentCount, props->jpgColour, &count);
    *scans = 0;
    if (!script)
        return JPG_ERR_INVALID_PROPERTIES;
    JpgEncoderState *state = props->encoder;
    JpgFreeScanScript(props);
    state->script = static_cast<JpgScan *>(calloc((size_t)count, sizeof(JpgScan)));
    if (!state->script)
        return JPG_ERR_MEMORY;
    state->scriptScans = count;
    for (int i = 0; i < count; i++) {
        JpgScan *scan = &state->script[i];
        scan->components = static_cast<JpgScanComponent *>(calloc(JPG_MAX_COMPONENTS, sizeof(JpgScanComponent)));
        if (!scan->components) {
            JpgFreeScanScript(props);
            return JPG_ERR_MEMORY;
        }
        const ScriptScan &s = script[i];
        bool dc = s.ss == 0;
        scan->ns = s.ns;
        scan->ss = s.ss;
        scan->se = s.se;
        scan->ah = s.ah;
        scan->al = s.al;
        for (int k = 0; k < scan->ns; k++) {
            int c = dc ? k : s.component;
            scan->components[k].frameIndex = c;
            scan->components[k].h = props->components[c].h;
            scan->components[k].v = props->components[c].v;
        }
    }
    *scans = count;
    return 0;
}

int JpgEncodeProgressive(JPEG_PROPERTIES *props)
{
    long long values = (long long)JpgBlocksPerMcu(props) * 64 * props->mcusAcross * props->mcusDown;
    if (values * (long long)sizeof(int16_t) > JPG_MAX_COEFFICIENT_BYTES)
        return JPG_ERR_MEMORY;
    free(props->coefficients);
    props->coefficients = static_cast<int16_t *>(calloc((size_t)values, sizeof(int16_t)));
    if (!props->coefficients)
        return JPG_ERR_MEMORY;
    props->coefficientCount = (size_t)values;
    int scans = 0, result = 0;
    if (!props->encoder->script)
        result = JpgBuildScanScript(props, &scans);
    // The header writer has written SOI in every write mode.
    if (result == 0)
        result = EncodeScans(props);
    JpgFreeScanScript(props);
    free(props->coefficients);
    props->coefficients = nullptr;
    props->coefficientCount = 0;
    return result;
}
