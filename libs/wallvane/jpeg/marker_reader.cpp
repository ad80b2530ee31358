// The marker loop of a read: segments to their parsers, scans to the scan
// decoders, and where a read stops for each mode.
#include <stdlib.h>

#include "jpeg_decoder.h"

bool JpgIsHeaderMode(int mode)
{
    return mode == 0 || mode == 1 || mode == 4 || mode == 5 || mode == 20 || mode == 21;
}

bool JpgIsFileMode(int mode)
{
    return (mode & 1) == 0;
}

bool JpgIsThumbnailMode(int mode)
{
    return mode == JPG_READ_THUMB_FILE || mode == JPG_READ_THUMB_MEMORY;
}

int JpgReadScale(int mode)
{
    return mode == 14 || mode == 15 ? 2 : mode == 16 || mode == 17 ? 4 : mode == 18 || mode == 19 ? 8 : 1;
}

static bool IsTablesMode(int mode)
{
    return mode == JPG_READ_TABLES_FILE || mode == JPG_READ_TABLES_MEMORY;
}

bool JpgIsFrameMarker(int marker)
{
    return marker >= JPG_SOF0 && marker <= JPG_SOF15 && marker != JPG_DHT && marker != JPG_DAC;
}

bool JpgStartsAnotherPicture(int marker)
{
    return marker == JPG_SOI || JpgIsFrameMarker(marker);
}

// Whether the scans read so far make up an image: every component of a
// sequential image.
static bool ImageComplete(const JPEG_PROPERTIES *props)
{
    return props->sequentialComponents >= props->componentCount;
}

// The end of a progressive image: the bitmap gets what the coefficients
// give, bands that never came counting as zero; an image whose scans never
// brought every component to full precision is reported as cut short.
static int FinishProgressiveImage(JPEG_PROPERTIES *props)
{
    if (props->outputBehind) {
        int result = JpgOutputProgressiveImage(props, JpgReadScale(props->ioMode));
        if (result < 0)
            return result;
        props->outputBehind = 0;
    }
    return JpgProgressiveOutputReady(props) ? 0 : JPG_ERR_EOF;
}

// What a read that reached the end of its image gives.
static int FinishImage(JPEG_PROPERTIES *props)
{
    int result = props->progressiveScans > 0 ? FinishProgressiveImage(props)
                 : ImageComplete(props)       ? 0
                                              : JPG_ERR_EOF;
    return result == 0 && props->regionInForce ? JPG_ROI_SUCCESS : result;
}

static int CountBits(unsigned bits)
{
    int count = 0;
    for (; bits; bits &= bits - 1)
        count++;
    return count;
}

static int AllocateCoefficients(JPEG_PROPERTIES *props)
{
    long long blocks = 0;
    for (int c = 0; c < props->componentCount; c++)
        blocks += props->components[c].h * props->components[c].v;
    long long count = blocks * props->frameMcusAcross * props->frameMcusDown * 64;
    if (count * (long long)sizeof(int16_t) > JPG_MAX_COEFFICIENT_BYTES)
        return JPG_ERR_MEMORY;
    props->coefficients = static_cast<int16_t *>(calloc((size_t)count, sizeof(int16_t)));
    if (!props->coefficients)
        return JPG_ERR_MEMORY;
    props->coefficientCount = (size_t)count;
    return 0;
}

static void DropScan(JPEG_PROPERTIES *props)
{
    JpgFreeScan(props->scan);
    props->scan = nullptr;
}

// Runs a scan that has been set up, or resumes one that stopped early.
static int RunScan(JPEG_PROPERTIES *props)
{
    JpgScan *scan = props->scan;
    int result = JpgDecodeScan(&props->input, scan, props);
    // The restart check leaves a picture's start where a restart marker
    // should be: the stream goes on with another picture.
    if (result == JPG_ERR_BAD_RST && JpgStartsAnotherPicture(props->input.pendingMarker))
        result = JPG_ERR_MULTIPLE_FRAMES;
    if (result == JPG_INTERRUPT_SUCCESS) {
        props->stopRequest = 0;
        return result;
    }
    if (result < 0) {
        DropScan(props);
        // What the scans before gave is still shown.
        if (props->progressiveScans > 0) {
            props->outputBehind = 1;
            FinishProgressiveImage(props);
        }
        return result;
    }
    if (props->progressiveScans == 0)
        props->sequentialComponents += scan->ns;
    else if (JpgProgressiveOutputReady(props))
        props->outputBehind = 0;
    DropScan(props);
    if (result == JPG_ROI_SUCCESS) {
        props->stopRequest = 0;
        // The region of a separate-component image is done only when its
        // other components' scans have been read; the rest of this scan's
        // data is passed over by the marker search.
        if (props->nonInterleaved) {
            props->input.bitsHeld = 0;
            return 0;
        }
        return JPG_ROI_SUCCESS;
    }
    return 0;
}

static int HandleScan(JPEG_PROPERTIES *props)
{
    if (props->frameNeeded)
        return JPG_ERR_NO_FRAME;
    JpgScan *scan = static_cast<JpgScan *>(calloc(1, sizeof(JpgScan)));
    if (!scan)
        return JPG_ERR_MEMORY;
    int result = JpgParseScanHeader(props, scan);
    if (result < 0) {
        JpgFreeScan(scan);
        return result;
    }
    if (JpgIsHeaderMode(props->ioMode)) {
        props->input.consumed -= props->input.dispatch->scanHeaderLength;
        JpgFreeScan(scan);
        return JPG_STATUS_MARKER_REACHED; // the header read ends here
    }
    scan->restartInterval = props->restartInterval;
    bool sequential = !props->frameProgressive;
    // Interleaving only part of a frame's components is legal but unused.
    if (sequential && scan->ns > 1 && scan->ns < props->componentCount) {
        JpgFreeScan(scan);
        return JPG_ERR_NOT_SUPPORTED;
    }
    props->nonInterleaved = sequential && scan->ns < props->componentCount;
    if ((result = JpgSetupFrame(props)) < 0) {
        JpgFreeScan(scan);
        return result;
    }
    if (!sequential) {
        // Counted per component, so that a band sent twice is not taken
        // for another component's.
        for (int i = 0; i < scan->ns; i++) {
            unsigned bit = 1u << scan->components[i].frameIndex;
            if (scan->ss == 0 && scan->al == 0)
                props->dcFullPrecision |= bit;
            if (scan->ss > 0 && scan->se == 63 && scan->al == 0)
                props->acFullPrecision |= bit;
        }
        props->dcCounter = CountBits(props->dcFullPrecision);
        props->acCounter = CountBits(props->acFullPrecision);
        if (!JpgProgressiveOutputReady(props))
            props->outputBehind = 1;
        props->progressiveScans++;
        if (!props->coefficients && (result = AllocateCoefficients(props)) < 0) {
            JpgFreeScan(scan);
            return result;
        }
    } else if (props->nonInterleaved) {
        props->acCounter += scan->ns;
    }
    props->scan = scan;
    return RunScan(props);
}

static int HandleEndOfImage(JPEG_PROPERTIES *props)
{
    if (JpgIsHeaderMode(props->ioMode)) {
        // A data read of the file goes on from here: it must meet this end
        // marker too, as a read from the stream's start does, and not the
        // bytes after it.
        props->input.consumed -= 2;
        props->input.dispatch->scanHeaderLength = 2;
        return JPG_STATUS_MARKER_REACHED;
    }
    if (props->frameNeeded) {
        // Tables-only streams may be followed by the image itself.
        if (JpgNextMarker(&props->input) == JPG_SOI)
            return 0;
        return JPG_ERR_NO_IMAGE;
    }
    props->endOfImageSeen = 1;
    if (props->nonInterleaved && props->colourConversionNeeded && props->progressiveScans == 0 &&
        !props->rawBlockHook && props->dibRow)
        JpgConvertPlanesInPlace(props);
    int result = FinishImage(props);
    return result == 0 ? (int)JPG_STATUS_MARKER_REACHED : result;
}

static bool IsUnsupportedFrame(int marker)
{
    return marker == JPG_SOF3 || (marker >= JPG_SOF5 && marker <= JPG_SOF7) ||
           marker == JPG_JPG || (marker >= JPG_SOF9 && marker <= JPG_SOF11) ||
           (marker >= JPG_SOF13 && marker <= JPG_SOF15);
}

// The frame was passed in this pass over the stream (or by the header read
// this one goes on from): any frame after it belongs to another picture,
// which would be laid over buffers the caller sized for the first.
static int HandleFrame(JPEG_PROPERTIES *props, int marker)
{
    if (props->framesThisRead > 0)
        return JPG_ERR_MULTIPLE_FRAMES;
    if (IsUnsupportedFrame(marker))
        return JPG_ERR_UNSUPPORTED_FRAME;
    if (IsTablesMode(props->ioMode)) {
        props->input.consumed -= 2;
        props->input.dispatch->scanHeaderLength = 2;
        return JPG_STATUS_MARKER_REACHED;
    }
    return JpgParseFrameHeader(props, marker);
}

// A stream holds one picture: a second start marker, before the first
// picture's end or after its frame, begins another.
static int HandleStartOfImage(JPEG_PROPERTIES *props, bool *startSeen)
{
    if (props->framesThisRead > 0 || *startSeen)
        return JPG_ERR_MULTIPLE_FRAMES;
    *startSeen = true;
    props->restartInterval = 0;
    return 0;
}

// Returns 0 to go on, JPG_STATUS_MARKER_REACHED to end the read with
// success, another positive result to end with it, or an error.
static int DispatchMarker(JPEG_PROPERTIES *props, int marker, bool *startSeen)
{
    JpgBitInput *input = &props->input;
    if (JpgIsFrameMarker(marker))
        return HandleFrame(props, marker);
    switch (marker) {
    case JPG_DHT:
        return JpgParseHuffmanTables(props);
    case JPG_SOI:
        return HandleStartOfImage(props, startSeen);
    case JPG_EOI:
        return HandleEndOfImage(props);
    case JPG_SOS:
        return HandleScan(props);
    case JPG_DQT:
        return JpgParseQuantTables(props);
    case JPG_DRI:
        return JpgParseRestartInterval(props);
    case JPG_APP0:
        return props->ioMode == JPG_READ_DATA_FILE ? 0 : JpgParseApp0(props);
    case JPG_APP14: {
        int result = JpgParseAdobe(props);
        if (result == 0 && !props->frameNeeded)
            result = JpgSetupFrame(props);
        return result;
    }
    case JPG_COM:
        return JpgParseComment(props);
    default:
        break;
    }
    if (marker >= JPG_RST0 && marker <= JPG_RST7)
        return 0;
    return JpgSkipSegment(input);
}

int JpgReadMarkers(JPEG_PROPERTIES *props)
{
    JpgBitInput *input = &props->input;
    int mode = props->ioMode;
    if (!props->scan)
        JpgResetInput(input);
    bool dataOnly = mode == 6 || mode == 7 || (mode >= 14 && mode <= 19);
    bool noRegion = !props->roiLeft && !props->roiTop && !props->roiRight && !props->roiBottom;
    if (!(dataOnly && noRegion))
        input->consumed = 0;
    int result;
    if (!props->frameNeeded && (result = JpgSetupFrame(props)) < 0)
        return result;
    if (JpgIsHeaderMode(mode) && JpgNextMarker(input) != JPG_SOI)
        return JPG_ERR_NOT_JPEG;
    bool startSeen = JpgIsHeaderMode(mode);
    if (!props->scan) {
        // A read from the stream's start decodes every scan again.
        free(props->coefficients);
        props->coefficients = nullptr;
        props->coefficientCount = 0;
        props->progressiveScans = 0;
        props->dcCounter = props->acCounter = 0;
        props->dcFullPrecision = props->acFullPrecision = 0;
        props->outputBehind = 0;
        props->sequentialComponents = 0;
        props->regionInForce = 0;
    }
    if (props->scan) {
        result = RunScan(props);
        if (result != 0)
            return result;
    }
    for (;;) {
        int marker = JpgNextMarker(input);
        if (marker == JPG_MARKER_NONE) {
            // The stream ended without its end marker.
            if (JpgIsHeaderMode(mode))
                return props->frameNeeded && !IsTablesMode(mode) ? (int)JPG_ERR_EOF : 0;
            if (props->frameNeeded)
                return JPG_ERR_NO_IMAGE;
            return FinishImage(props);
        }
        result = DispatchMarker(props, marker, &startSeen);
        if (result == JPG_STATUS_MARKER_REACHED)
            return 0;
        if (result == JPG_ERR_MULTIPLE_FRAMES && props->progressiveScans > 0) {
            // Another picture ends this one as its end marker would: the
            // bitmap shows what this picture's scans gave.
            FinishProgressiveImage(props);
        }
        if (result != 0)
            return result;
    }
}
