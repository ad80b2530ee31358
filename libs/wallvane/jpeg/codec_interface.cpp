// The codec's operations on the caller's record: init, check, read, write,
// free, and the version record. Each runs under the fault guard.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "jpeg_codec.h"
#include "jpeg_decoder.h"
#include "jpeg_encoder.h"
#include "jpeg_platform.h"

static const JpgLibVersion Version = {1,        51,           12,      "jpglib15l.lib", "1.51.12",
                                      "[1.51.12.44]", "May 30 2001", "Win32*"};

const JpgLibVersion *JpgLibGetVersion(void)
{
    return &Version;
}

namespace {

bool IsReadMode(int mode)
{
    return (mode >= 0 && mode <= 7) || (mode >= 14 && mode <= 21);
}

bool NeedsDib(int mode)
{
    return mode == 2 || mode == 3 || mode == 6 || mode == 7 || mode == 8 || mode == 9 ||
           mode == 12 || mode == 13 || (mode >= 14 && mode <= 21);
}

void SetPublicDefaults(JPEG_IMAGE_PROPS *record)
{
    record->useInnerProperties = 0;
    record->dibPixels = nullptr;
    record->dibWidth = record->dibHeight = record->dibPadBytes = 0;
    record->dibChannels = 3;
    record->dibColour = JPG_COLOUR_BGR;
    record->dibSubsampling = 0;
    record->jpgFileName = nullptr;
    record->jpgBytes = nullptr;
    record->jpgSizeBytes = record->jpgWidth = record->jpgHeight = 0;
    record->jpgChannels = 3;
    record->jpgColour = JPG_COLOUR_YCBCR;
    record->jpgSubsampling = JPG_SUBSAMPLING_411;
    record->jpgThumbWidth = record->jpgThumbHeight = 0;
    record->colourConversionNeeded = record->upsamplingNeeded = 1;
    record->quality = 75;
}

void MirrorAll(JPEG_IMAGE_PROPS *record)
{
    JPEG_PROPERTIES *p = &record->props;
    p->dibPixels = record->dibPixels;
    p->dibWidth = record->dibWidth;
    p->dibHeight = record->dibHeight;
    p->dibPadBytes = record->dibPadBytes;
    p->dibChannels = record->dibChannels;
    p->dibColour = record->dibColour;
    p->dibSubsampling = record->dibSubsampling;
    p->jpgFileName = record->jpgFileName;
    p->jpgBytes = record->jpgBytes;
    p->jpgSizeBytes = record->jpgSizeBytes;
    p->jpgWidth = record->jpgWidth;
    p->jpgHeight = record->jpgHeight;
    p->jpgChannels = record->jpgChannels;
    p->jpgColour = record->jpgColour;
    p->jpgSubsampling = record->jpgSubsampling;
    p->jpgThumbWidth = record->jpgThumbWidth;
    p->jpgThumbHeight = record->jpgThumbHeight;
    p->colourConversionNeeded = record->colourConversionNeeded;
    p->upsamplingNeeded = record->upsamplingNeeded;
    p->quality = record->quality;
}

ptrdiff_t RowBytes(const JPEG_PROPERTIES *p)
{
    ptrdiff_t bytesPerPixel = p->dibSubsampling == 2 ? 2 : p->dibChannels;
    return (ptrdiff_t)p->dibWidth * bytesPerPixel + p->dibPadBytes;
}

void FreeImageState(JPEG_PROPERTIES *p)
{
    JpgFreeScan(p->scan);
    p->scan = nullptr;
    free(p->coefficients);
    p->coefficients = nullptr;
    p->coefficientCount = 0;
    free(p->rowBuffers);
    p->rowBuffers = nullptr;
    p->progressiveScans = 0;
    p->dcCounter = p->acCounter = p->sequentialComponents = 0;
    p->dcFullPrecision = p->acFullPrecision = 0;
    p->outputBehind = 0;
    JpgInvalidateRowIndex(p);
}

int CloseFile(JPEG_PROPERTIES *p)
{
    if (!p->input.file)
        return 0;
    int closed = JpgFileClose(p->input.file);
    p->input.file = nullptr;
    return closed ? 0 : JPG_ERR_CLOSE_FILE;
}

int InitOperation(void *context)
{
    JPEG_IMAGE_PROPS *record = static_cast<JPEG_IMAGE_PROPS *>(context);
    memset(record, 0, sizeof *record);
    JpgDispatch *dispatch = static_cast<JpgDispatch *>(calloc(1, sizeof(JpgDispatch)));
    if (!dispatch)
        return JPG_ERR_MEMORY;
    JPEG_PROPERTIES *p = &record->props;
    p->input.dispatch = dispatch;
    JpgSelectCpuRoutines(dispatch);

    SetPublicDefaults(record);
    MirrorAll(record);
    p->ioMode = JPG_MODE_NONE;
    p->dctMethod = JPG_DCT_INTEGER;
    for (int c = 0; c < JPG_MAX_COMPONENTS; c++) {
        p->dcTableOf[c] = c == 0 ? 0 : 1;
        p->acTableOf[c] = c == 0 ? 0 : 1;
        p->components[c].tq = c == 0 ? 0 : 1;
    }
    p->frameNeeded = 1;
    p->componentCount = JPG_MAX_COMPONENTS;
    p->cpuType = p->cpuTypeCopy = JpgDetectCpuType(dispatch);
    p->jfifVersion = 0x0101;
    p->xDensity = p->yDensity = 1;
    p->adobeVersion = 100;
    return 0;
}

int CheckOperation(void *context)
{
    JPEG_IMAGE_PROPS *r = static_cast<JPEG_IMAGE_PROPS *>(context);
    JPEG_PROPERTIES *p = &r->props;
    if (r->useInnerProperties)
        return 0;
    int mode = p->ioMode;
    if (mode < 0 || mode > JPG_MODE_LAST)
        return JPG_ERR_INVALID_PROPERTIES;
    bool reading = IsReadMode(mode);
    if (NeedsDib(mode) && !p->rawBlockHook) {
        if (!r->dibPixels || r->dibWidth < 1 || r->dibWidth > JPG_MAX_DIMENSION ||
            r->dibHeight < -JPG_MAX_DIMENSION || r->dibHeight > JPG_MAX_DIMENSION)
            return JPG_ERR_INVALID_PROPERTIES;
        if (JpgIsThumbnailMode(mode) && r->dibColour != JPG_COLOUR_RGB && r->dibColour != JPG_COLOUR_BGR)
            return JPG_ERR_THUMB_COLOUR;
        if (r->dibPadBytes < 0 || r->dibChannels < 1 || r->dibChannels > 255)
            return JPG_ERR_INVALID_PROPERTIES;
        if (r->dibSubsampling != 0 && !(r->dibSubsampling == 2 && r->dibColour == JPG_COLOUR_YCBCR))
            return JPG_ERR_SUBSAMPLING;
    }
    if (JpgIsFileMode(mode) ? !r->jpgFileName : (!r->jpgBytes || r->jpgSizeBytes == 0))
        return JPG_ERR_INVALID_PROPERTIES;
    if (r->jpgChannels < 1 || r->jpgChannels > 256)
        return JPG_ERR_INVALID_PROPERTIES;

    int dc = r->dibColour, dn = r->dibChannels, jc = r->jpgColour, jn = r->jpgChannels;
    bool paired = false;
    if (reading) {
        if (jc == JPG_COLOUR_GRAY && jn == 1)
            paired = (dc == JPG_COLOUR_GRAY && dn == 1) || (dc == JPG_COLOUR_RGB && dn == 3) ||
                     (dc == JPG_COLOUR_BGR && dn == 3) || (dc == JPG_COLOUR_RGBA && dn == 4);
        else if (jc == JPG_COLOUR_RGB && jn == 3)
            paired = (dc == JPG_COLOUR_RGB && dn == 3) || (dc == JPG_COLOUR_BGR && dn == 3) ||
                     (dc == JPG_COLOUR_RGBA && dn == 4);
        else if (jc == JPG_COLOUR_YCBCR && jn == 3)
            paired = (dc == JPG_COLOUR_GRAY && dn == 1) || (dc == JPG_COLOUR_RGB && dn == 3) ||
                     (dc == JPG_COLOUR_BGR && dn == 3) || (dc == JPG_COLOUR_RGBA && dn == 4) ||
                     dc == JPG_COLOUR_YCBCR;
        else if ((jc == JPG_COLOUR_RGBA || jc == JPG_COLOUR_YCBCRA) && jn == 4)
            paired = dc == JPG_COLOUR_RGBA && dn == 4;
        else if (jc == JPG_COLOUR_OTHER)
            paired = dc == JPG_COLOUR_OTHER;
    } else {
        if (mode == 8 || mode == 9 || mode == 12 || mode == 13) {
            if (r->jpgWidth < 1 || r->jpgWidth > JPG_MAX_DIMENSION || r->jpgHeight < 1 ||
                r->jpgHeight > JPG_MAX_DIMENSION)
                return JPG_ERR_INVALID_PROPERTIES;
            if (dc != JPG_COLOUR_GRAY && jc != JPG_COLOUR_YCBCR && dn < jn)
                return JPG_ERR_INVALID_PROPERTIES;
        }
        int s = r->jpgSubsampling;
        bool subsamplingOk = jn == 3   ? (s == 0 || s == 1 || s == 2)
                             : jn == 4 ? (s == 0 || s == 3 || s == 4)
                                       : s == 0;
        if (!subsamplingOk)
            return JPG_ERR_SUBSAMPLING;
        if (dc == JPG_COLOUR_GRAY && dn == 1)
            paired = (jc == JPG_COLOUR_GRAY && jn == 1) || (jc == JPG_COLOUR_YCBCR && jn == 3);
        else if ((dc == JPG_COLOUR_RGB || dc == JPG_COLOUR_BGR) && dn == 3)
            paired = (jc == JPG_COLOUR_GRAY && jn == 1) || (jc == JPG_COLOUR_RGB && jn == 3) ||
                     (jc == JPG_COLOUR_YCBCR && jn == 3);
        else if (dc == JPG_COLOUR_RGB && dn == 4)
            paired = jc == JPG_COLOUR_YCBCR && jn == 3;
        else if (dc == JPG_COLOUR_RGBA && dn == 4)
            paired = (jc == JPG_COLOUR_RGBA || jc == JPG_COLOUR_YCBCRA) && jn == 4;
        else if (dc == JPG_COLOUR_YCBCR && dn == 3)
            paired = jc == JPG_COLOUR_YCBCR && jn == 3;
        else if (dc == JPG_COLOUR_OTHER && dn >= jn)
            paired = jc == JPG_COLOUR_OTHER;
    }
    if (!paired)
        return JPG_ERR_INVALID_PROPERTIES;
    if ((p->dctMethod != 0 && p->dctMethod != 1) || (p->fourRowBuffers != 0 && p->fourRowBuffers != 1) ||
        (p->fourRowBuffers == 1 && p->rawBlockHook))
        return JPG_ERR_INVALID_PROPERTIES;
    return 0;
}

int SubsamplingCode(const JPEG_PROPERTIES *p)
{
    const JpgFrameComponent *c = p->components;
    auto is = [&](int i, int h, int v) { return c[i].h == h && c[i].v == v; };
    switch (p->componentCount) {
    case 1:
        return JPG_SUBSAMPLING_NONE;
    case 2:
        return is(0, 1, 1) && is(1, 1, 1) ? JPG_SUBSAMPLING_NONE : JPG_SUBSAMPLING_OTHER;
    case 3:
        if (!is(1, 1, 1) || !is(2, 1, 1))
            return JPG_SUBSAMPLING_OTHER;
        return is(0, 1, 1) ? JPG_SUBSAMPLING_NONE
               : is(0, 2, 2) ? JPG_SUBSAMPLING_411
               : is(0, 2, 1) ? JPG_SUBSAMPLING_422
                             : JPG_SUBSAMPLING_OTHER;
    case 4:
        if (!is(1, 1, 1) || !is(2, 1, 1))
            return JPG_SUBSAMPLING_OTHER;
        if (is(0, 1, 1) && is(3, 1, 1))
            return JPG_SUBSAMPLING_NONE;
        if (is(0, 2, 2) && is(3, 2, 2))
            return JPG_SUBSAMPLING_411_ALPHA;
        if (is(0, 2, 1) && is(3, 2, 1))
            return JPG_SUBSAMPLING_422_ALPHA;
        return JPG_SUBSAMPLING_OTHER;
    default:
        return JPG_SUBSAMPLING_OTHER;
    }
}

void InferColour(JPEG_PROPERTIES *p)
{
    int mode = p->ioMode;
    if (p->adobeSeen && (mode == 0 || mode == 1)) {
        p->dibChannels = p->componentCount;
        if (p->componentCount == 1) {
            p->jpgColour = JPG_COLOUR_GRAY;
        } else if (p->componentCount == 3) {
            p->jpgColour = p->adobeTransform ? JPG_COLOUR_YCBCR : JPG_COLOUR_RGB;
        } else if (p->componentCount == 4) {
            p->jpgColour = p->adobeTransform ? JPG_COLOUR_YCBCRA : JPG_COLOUR_RGBA;
            p->dibColour = JPG_COLOUR_RGBA;
        }
    } else if (!p->adobeSeen) {
        if (p->componentCount == 1)
            p->jpgColour = JPG_COLOUR_GRAY;
        else if (p->componentCount == 3 && p->jfifSeen)
            p->jpgColour = JPG_COLOUR_YCBCR;
    }
    if (p->dibColour == JPG_COLOUR_YCBCR && p->jpgColour == JPG_COLOUR_YCBCR)
        p->dibSubsampling = 2;
}

void Report(JPEG_IMAGE_PROPS *r)
{
    JPEG_PROPERTIES *p = &r->props;
    if (!p->frameNeeded) {
        r->jpgWidth = p->jpgWidth = p->frameWidth;
        r->jpgHeight = p->jpgHeight = p->frameHeight;
        r->jpgChannels = p->jpgChannels = p->componentCount;
        r->jpgSubsampling = p->jpgSubsampling = SubsamplingCode(p);
    }
    r->jpgThumbWidth = p->jpgThumbWidth;
    r->jpgThumbHeight = p->jpgThumbHeight;
    r->colourConversionNeeded = p->colourConversionNeeded;
    r->upsamplingNeeded = p->upsamplingNeeded;
    r->jpgColour = p->jpgColour;
    r->dibColour = p->dibColour;
    r->dibChannels = p->dibChannels;
    r->dibSubsampling = p->dibSubsampling;
}

// Copies the caller's own tables in before a data read.
int LoadCallerTables(JPEG_PROPERTIES *p)
{
    if (p->useCallerQuantTables) {
        for (JpgRawQuantSlot &raw : p->rawQuant) {
            if (!raw.buffer || raw.identifier > 3)
                continue;
            JpgQuantTable *table = &p->quantTables[raw.identifier];
            for (int k = 0; k < 64; k++)
                table->zigzag[k] = (int16_t)(raw.precision ? (raw.buffer[2 * k] << 8) | raw.buffer[2 * k + 1]
                                                           : raw.buffer[k]);
            JpgPrepareQuantSlot(table, p->dctMethod == JPG_DCT_INTEGER ? JPG_DCT_INTEGER : JPG_DCT_AAN);
            p->quantLoaded[raw.identifier] = true;
        }
    }
    if (p->useCallerHuffTables) {
        for (JpgRawHuffSlot &raw : p->rawHuff) {
            if (!raw.bits || !raw.values || raw.identifier > 3 || raw.tableClass > 1)
                continue;
            JpgHuffTable *table =
                raw.tableClass == JPG_CLASS_DC ? &p->dcTables[raw.identifier] : &p->acTables[raw.identifier];
            if (JpgBuildDecodeTable(raw.bits, raw.values, raw.tableClass, raw.identifier, table) < 0)
                return JPG_ERR_BAD_HUFFMAN;
            (raw.tableClass == JPG_CLASS_DC ? p->dcLoaded : p->acLoaded)[raw.identifier] = true;
        }
    }
    return 0;
}

struct ModeCall {
    JPEG_IMAGE_PROPS *record;
    int mode;
};

int ReadSteps(JPEG_IMAGE_PROPS *r, int mode)
{
    JPEG_PROPERTIES *p = &r->props;
    if (!p->input.dispatch)
        return JPG_ERR_INVALID_PROPERTIES;
    int result = CheckOperation(r);
    if (result != 0)
        return result;
    if (!IsReadMode(mode))
        return JPG_ERR_INVALID_PROPERTIES;
    bool header = JpgIsHeaderMode(mode);
    if (header) {
        // A header read starts a new image: nothing of the last one's scans
        // may be laid over the next frame.
        p->frameNeeded = 1;
        FreeImageState(p);
        p->quantTablesLoaded = p->quantHighestId = 0;
        p->acTablesLoaded = p->dcTablesLoaded = p->huffHighestId = 0;
        p->jpgThumbWidth = p->jpgThumbHeight = 0;
        p->adobeSeen = p->jfifSeen = 0;
    } else if ((result = LoadCallerTables(p)) < 0) {
        return result;
    }
    bool fileMode = JpgIsFileMode(mode);
    // A stopped read goes on inside its scan, past the frame. A data read of
    // a file that a header read left open goes on from that read's first
    // scan, also past the frame; every other read starts at the stream's start.
    if (!p->scan)
        p->framesThisRead = fileMode && !header && p->input.file && !p->frameNeeded ? 1 : 0;
    p->endOfImageSeen = 0;
    p->input.dispatch->scanHeaderLength = 0;

    if (fileMode && !p->input.file) {
        p->input.file = JpgFileOpen(r->jpgFileName, false);
        if (!p->input.file)
            return JPG_ERR_FILE_NAME;
    }
    if (!fileMode)
        CloseFile(p);
    if (!r->useInnerProperties) {
        p->dibPixels = r->dibPixels;
        p->dibWidth = r->dibWidth;
        p->dibHeight = r->dibHeight;
        p->dibPadBytes = r->dibPadBytes;
        p->dibChannels = r->dibChannels;
        p->dibColour = r->dibColour;
        p->dibSubsampling = r->dibSubsampling;
        p->jpgFileName = r->jpgFileName;
        p->jpgBytes = r->jpgBytes;
        p->jpgSizeBytes = r->jpgSizeBytes;
        p->jpgColour = r->jpgColour;
        p->colourConversionNeeded = r->colourConversionNeeded;
        p->upsamplingNeeded = r->upsamplingNeeded;
        p->quality = r->quality;
    }
    ptrdiff_t rowBytes = RowBytes(p);
    p->dibLineStep = p->dibHeight < 0 ? -rowBytes : rowBytes;
    if (!p->scan) {
        if (!fileMode) {
            p->input.start = p->jpgBytes;
            p->input.size = p->jpgSizeBytes > 0 ? p->jpgSizeBytes : 0;
        }
        JpgResetInput(&p->input);
        // Every header read starts at the top of the file, also when an
        // earlier one left it open at its first scan.
        if (header && fileMode && !JpgFileSeek(p->input.file, 0, SEEK_SET))
            return JPG_ERR_FILE;
    }
    int rows = p->dibHeight < 0 ? -p->dibHeight : p->dibHeight;
    p->dibRow = p->dibHeight < 0 && p->dibPixels ? p->dibPixels + (ptrdiff_t)(rows - 1) * rowBytes
                                                 : p->dibPixels;
    p->workArea = p->workScratch;
    result = JpgReadMarkers(p);

    if (result == JPG_INTERRUPT_SUCCESS) {
        long long right = ((long long)p->progressColumn * 8 + 8) * p->hMax;
        long long bottom = ((long long)p->progressRow * 8 + 8) * p->vMax;
        p->progressRight = (int)(right < p->frameWidth ? right : p->frameWidth);
        p->progressBottom = (int)(bottom < p->frameHeight ? bottom : p->frameHeight);
        return result;
    }
    if (result != 0 && result != JPG_ROI_SUCCESS)
        return result;
    int success = result;
    InferColour(p);
    // A later data read of the same file starts at the marker where this
    // header read stopped.
    if (fileMode && header && mode != JPG_READ_TABLES_FILE) {
        long back = (long)p->input.available + p->input.dispatch->scanHeaderLength;
        if (!JpgFileSeek(p->input.file, -back, SEEK_CUR))
            return JPG_ERR_FILE;
        p->input.available = 0;
        p->input.position = p->input.end;
    }
    Report(r);
    // A region read stops inside its scan; a later read of the file must
    // start again from the file's start, not there.
    bool closes = mode == JPG_READ_IMAGE_FILE || mode == JPG_READ_TABLES_FILE || mode == JPG_READ_DATA_FILE;
    if (closes || (fileMode && success == JPG_ROI_SUCCESS)) {
        int closed = CloseFile(p);
        if (closed < 0)
            return closed;
    }
    return success;
}

int ReadOperation(void *context)
{
    ModeCall *call = static_cast<ModeCall *>(context);
    JPEG_IMAGE_PROPS *r = call->record;
    JPEG_PROPERTIES *p = &r->props;
    p->ioMode = call->mode;
    int result = ReadSteps(r, call->mode);
    if (p->input.dispatch && p->input.dispatch->mmx_state_clear)
        p->input.dispatch->mmx_state_clear();
    if (result < 0)
        CloseFile(p);
    return result;
}

int WriteOperation(void *context)
{
    ModeCall *call = static_cast<ModeCall *>(context);
    JPEG_PROPERTIES *p = &call->record->props;
    p->ioMode = call->mode;
    if (!p->input.dispatch)
        return JPG_ERR_INVALID_PROPERTIES;
    int result = CheckOperation(call->record);
    if (result == 0)
        result = JpgWriteSteps(call->record, call->mode);
    // A stopped write keeps its file open for the next call.
    if (result != JPG_INTERRUPT_SUCCESS && result != JPG_ROI_SUCCESS) {
        int closed = CloseFile(p);
        if (result >= 0 && closed < 0)
            result = closed;
    }
    if (p->input.dispatch && p->input.dispatch->mmx_state_clear)
        p->input.dispatch->mmx_state_clear();
    return result;
}

int FreeOperation(void *context)
{
    JPEG_IMAGE_PROPS *r = static_cast<JPEG_IMAGE_PROPS *>(context);
    JPEG_PROPERTIES *p = &r->props;
    JpgDispatch *dispatch = p->input.dispatch;
    if (CloseFile(p) < 0) {
        if (dispatch) {
            JpgReleaseSystemFunctions(dispatch);
            free(dispatch);
            p->input.dispatch = nullptr;
        }
        return JPG_ERR_CLOSE_FILE;
    }
    if (p->componentCount > 255)
        return JPG_ERR_INVALID_PROPERTIES;
    FreeImageState(p);
    free(p->rowIndex);
    p->rowIndex = nullptr;
    JpgFreeEncoder(p);
    memset(p->rawQuant, 0, sizeof p->rawQuant);
    memset(p->rawHuff, 0, sizeof p->rawHuff);
    p->quantTablesLoaded = p->quantHighestId = 0;
    p->acTablesLoaded = p->dcTablesLoaded = p->huffHighestId = 0;
    p->useCallerQuantTables = p->useCallerHuffTables = 0;
    if (dispatch) {
        JpgReleaseSystemFunctions(dispatch);
        free(dispatch);
        p->input.dispatch = nullptr;
    }
    return 0;
}

} // namespace

void JpgMirrorPublicRecord(JPEG_IMAGE_PROPS *record)
{
    MirrorAll(record);
}

int JpgLibInit(JPEG_IMAGE_PROPS *record)
{
    return JpgRunGuarded(InitOperation, record);
}

int JpgCheckProperties(JPEG_IMAGE_PROPS *record)
{
    return JpgRunGuarded(CheckOperation, record);
}

int JpgLibRead(JPEG_IMAGE_PROPS *record, int mode)
{
    ModeCall call = {record, mode};
    return JpgRunGuarded(ReadOperation, &call);
}

int JpgLibWrite(JPEG_IMAGE_PROPS *record, int mode)
{
    ModeCall call = {record, mode};
    return JpgRunGuarded(WriteOperation, &call);
}

int JpgLibFree(JPEG_IMAGE_PROPS *record)
{
    return JpgRunGuarded(FreeOperation, record);
}
