// The write operation on the caller's record, once the record has been
// checked: the frame the encoder makes of it, headers, image, and the size
// written.
#include <stdlib.h>

#include "jpeg_encoder.h"

namespace {

bool IsImageWrite(int mode)
{
    return mode == JPG_WRITE_IMAGE_FILE || mode == JPG_WRITE_IMAGE_MEMORY || mode == JPG_WRITE_DATA_FILE ||
           mode == JPG_WRITE_DATA_MEMORY;
}

// The bitmap must hold every pixel the encoder will read: the check of the
// record looks at the fields one by one, not at how they fit together.
int CheckBitmapCoversImage(const JPEG_PROPERTIES *p)
{
    if (p->rawBlockHook)
        return 0;
    int rows = p->dibHeight < 0 ? -p->dibHeight : p->dibHeight;
    if (!p->dibPixels || p->dibWidth < p->jpgWidth || rows < p->jpgHeight)
        return JPG_ERR_INVALID_PROPERTIES;
    if (p->dibSubsampling == 2) {
        // A pixel pair shares its chroma, so half a pair has none to give.
        if ((p->jpgWidth & 1) || (p->dibWidth & 1))
            return JPG_ERR_SUBSAMPLING;
        return 0;
    }
    int needed = p->dibColour == JPG_COLOUR_GRAY             ? 1
                 : p->dibColour == JPG_COLOUR_OTHER          ? p->jpgChannels
                 : p->dibColour == JPG_COLOUR_RGBA           ? 4
                                                             : 3;
    return p->dibChannels >= needed ? 0 : JPG_ERR_INVALID_PROPERTIES;
}

void SetSamplingFactors(JPEG_PROPERTIES *p)
{
    static const int Factors[5][2] = {{1, 1}, {2, 2}, {2, 1}, {2, 2}, {2, 1}};
    int code = p->jpgSubsampling >= 0 && p->jpgSubsampling <= 4 ? p->jpgSubsampling : 0;
    bool converted = p->colourConversionNeeded != 0;
    p->hMax = p->vMax = 1;
    for (int c = 0; c < p->componentCount; c++) {
        JpgFrameComponent &fc = p->components[c];
        bool sampled = c == 0 || (c == 3 && code >= 3);
        fc.identifier = c + 1;
        fc.h = sampled ? Factors[code][0] : 1;
        fc.v = sampled ? Factors[code][1] : 1;
        fc.tq = c == 0 || !converted ? 0 : 1;
        p->hMax = fc.h > p->hMax ? fc.h : p->hMax;
        p->vMax = fc.v > p->vMax ? fc.v : p->vMax;
    }
    p->upsamplingNeeded = p->hMax > 1 || p->vMax > 1;
}

int SetupFrame(JPEG_PROPERTIES *p)
{
    if (p->jpgChannels < 1 || p->jpgChannels > JPG_MAX_COMPONENTS)
        return JPG_ERR_COMP;
    p->componentCount = p->jpgChannels;
    if (p->dibSubsampling == 2 && p->dibColour == JPG_COLOUR_YCBCR && p->jpgColour == JPG_COLOUR_YCBCR)
        p->jpgSubsampling = JPG_SUBSAMPLING_422;
    int jpg = p->jpgColour, dib = p->dibColour;
    p->colourConversionNeeded = jpg == JPG_COLOUR_RGB || jpg == JPG_COLOUR_RGBA || dib == JPG_COLOUR_YCBCR ||
                                        dib == JPG_COLOUR_GRAY || dib == JPG_COLOUR_OTHER
                                    ? 0
                                    : 1;
    SetSamplingFactors(p);
    p->nonInterleaved = 0;
    p->mcuWidth = p->nonInterleavedEncode == 1 ? 8 : 8 * p->hMax;
    p->mcuHeight = p->nonInterleavedEncode == 1 ? 8 : 8 * p->vMax;
    p->mcusAcross = (p->jpgWidth + p->mcuWidth - 1) / p->mcuWidth;
    p->mcusDown = (p->jpgHeight + p->mcuHeight - 1) / p->mcuHeight;
    int offset = 0;
    for (int c = 0; c < p->componentCount; c++) {
        p->componentBlockOffset[c] = offset;
        offset += p->components[c].h * p->components[c].v;
    }
    // Eight-line MCUs of subsampled components are not a layout this
    // encoder writes.
    if (p->nonInterleavedEncode == 1)
        return JPG_ERR_NOT_SUPPORTED;
    return 0;
}

void ReportProgress(JPEG_PROPERTIES *p)
{
    long long right = ((long long)p->progressColumn * 8 + 8) * p->hMax;
    long long bottom = ((long long)p->progressRow * 8 + 8) * p->vMax;
    p->progressRight = (int)(right < p->jpgWidth ? right : p->jpgWidth);
    p->progressBottom = (int)(bottom < p->jpgHeight ? bottom : p->jpgHeight);
}

int StartImage(JPEG_IMAGE_PROPS *r, int mode)
{
    JPEG_PROPERTIES *p = &r->props;
    // A write starts a new image; a read's scan left behind has no place in it.
    JpgFreeScan(p->scan);
    p->scan = nullptr;
    if (!r->useInnerProperties)
        JpgMirrorPublicRecord(r);
    ptrdiff_t bytesPerPixel = p->dibSubsampling == 2 ? 2 : p->dibChannels;
    ptrdiff_t rowBytes = (ptrdiff_t)p->dibWidth * bytesPerPixel + p->dibPadBytes;
    p->dibLineStep = p->dibHeight < 0 ? -rowBytes : rowBytes;
    int rows = p->dibHeight < 0 ? -p->dibHeight : p->dibHeight;
    p->dibRow = p->dibHeight < 0 && p->dibPixels ? p->dibPixels + (ptrdiff_t)(rows - 1) * rowBytes : p->dibPixels;
    int result = 0;
    if (IsImageWrite(mode) && (result = CheckBitmapCoversImage(p)) < 0)
        return result;
    if ((result = SetupFrame(p)) < 0)
        return result;
    JpgSetDefaultTables(p);
    return JpgWriteHeader(p);
}

} // namespace

int JpgWriteSteps(JPEG_IMAGE_PROPS *r, int mode)
{
    JPEG_PROPERTIES *p = &r->props;
    if (mode < JPG_WRITE_IMAGE_FILE || mode > JPG_WRITE_DATA_MEMORY)
        return JPG_ERR_INVALID_PROPERTIES;
    if (!p->encoder && !(p->encoder = static_cast<JpgEncoderState *>(calloc(1, sizeof(JpgEncoderState)))))
        return JPG_ERR_MEMORY;
    JpgEncoderState *state = p->encoder;
    bool fileMode = JpgIsFileMode(mode);
    if (fileMode && !p->input.file && !(p->input.file = JpgFileOpen(r->jpgFileName, true)))
        return JPG_ERR_FILE_NAME;

    int result = 0;
    bool resuming = state->stopped && p->scan;
    state->stopped = false;
    if (!resuming && (result = StartImage(r, mode)) < 0)
        return result;
    if (IsImageWrite(mode)) {
        result = p->progressiveScans != 0 ? JpgEncodeProgressive(p) : JpgEncodeImage(p);
        p->frameNeeded = 1;
    }
    r->jpgSizeBytes = p->jpgSizeBytes = (int)JpgBytesWritten(&state->output);
    if (result == JPG_INTERRUPT_SUCCESS) {
        state->stopped = true;
        ReportProgress(p);
    }
    return result;
}

void JpgFreeEncoder(JPEG_PROPERTIES *props)
{
    JpgEncoderState *state = props->encoder;
    if (!state)
        return;
    JpgFreeScanScript(props);
    free(state);
    props->encoder = nullptr;
}
