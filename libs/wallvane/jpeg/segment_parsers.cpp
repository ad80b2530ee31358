// Parsers of the marker segments: frame, tables, restart interval, scan
// header, JFIF, Adobe and comment. Every length is checked against what the
// segment holds before a byte of it is used.
#include <stdlib.h>
#include <string.h>

#include "jpeg_decoder.h"
#include "jpeg_platform.h"

namespace {

// One segment's content, read whole; frees its block on every path.
struct Segment {
    const uint8_t *bytes = nullptr;
    uint8_t *owned = nullptr;
    int size = 0;
    ~Segment() { free(owned); }
};

int ReadLength(JpgBitInput *input, int *length)
{
    if (JpgReadWord(input, length) < 0 || *length < 2)
        return JPG_ERR_DATA;
    return 0;
}

int ReadContent(JpgBitInput *input, int size, Segment *segment)
{
    segment->size = size;
    int result = JpgReadSegment(input, size, &segment->bytes, &segment->owned);
    return result == JPG_ERR_MEMORY ? result : result < 0 ? JPG_ERR_DATA : 0;
}

// A segment's length and content; content longer than most is refused
// before it is read.
int ReadWholeSegment(JpgBitInput *input, Segment *segment, int most = 0xFFFF)
{
    int length;
    if (ReadLength(input, &length) < 0 || length - 2 > most)
        return JPG_ERR_DATA;
    return ReadContent(input, length - 2, segment);
}

int Word(const uint8_t *p)
{
    return (p[0] << 8) | p[1];
}

} // namespace

static bool IsKnownFrame(const JPEG_PROPERTIES *props, int marker, int width, int height, int count,
                         const JpgFrameComponent *components)
{
    if (width != props->frameWidth || height != props->frameHeight || count != props->componentCount ||
        (marker == JPG_SOF2) != (props->frameProgressive != 0))
        return false;
    for (int i = 0; i < count; i++) {
        const JpgFrameComponent &known = props->components[i];
        if (components[i].identifier != known.identifier || components[i].h != known.h || components[i].v != known.v)
            return false;
    }
    return true;
}

int JpgParseFrameHeader(JPEG_PROPERTIES *props, int marker)
{
    Segment segment;
    int result = ReadWholeSegment(&props->input, &segment);
    if (result < 0)
        return result;
    // A second frame would be laid over buffers sized for the first.
    if (props->framesThisRead > 0 || props->coefficients || props->scan)
        return JPG_ERR_MULTIPLE_FRAMES;
    const uint8_t *p = segment.bytes;
    if (segment.size < 6)
        return JPG_ERR_SOF;
    int precision = p[0], height = Word(p + 1), width = Word(p + 3), count = p[5];
    if (count == 0)
        return JPG_ERR_COMP;
    if (count > JPG_MAX_COMPONENTS)
        return JPG_ERR_UNSUPPORTED_FRAME;
    if (segment.size != 6 + 3 * count)
        return JPG_ERR_SOF;
    if (precision != 8)
        return JPG_ERR_UNSUPPORTED_FRAME;
    if (height == 0)
        return JPG_ERR_DNL;
    if (width == 0)
        return JPG_ERR_SOF;

    JpgFrameComponent components[JPG_MAX_COMPONENTS] = {};
    int hMax = 1, vMax = 1, blocks = 0;
    for (int i = 0; i < count; i++) {
        const uint8_t *c = p + 6 + 3 * i;
        components[i].identifier = c[0];
        components[i].h = c[1] >> 4;
        components[i].v = c[1] & 15;
        components[i].tq = c[2];
        if (components[i].h < 1 || components[i].h > JPG_MAX_SAMPLING || components[i].v < 1 ||
            components[i].v > JPG_MAX_SAMPLING)
            return JPG_ERR_UNSUPPORTED_FRAME;
        // Every component's table is used at output, scanned or not.
        if (components[i].tq > 3)
            return JPG_ERR_SOF;
        // A lone component is coded one block at a time whatever its factors.
        if (count == 1)
            components[i].h = components[i].v = 1;
        hMax = components[i].h > hMax ? components[i].h : hMax;
        vMax = components[i].v > vMax ? components[i].v : vMax;
        blocks += components[i].h * components[i].v;
    }
    if (blocks > JPG_MAX_BLOCKS_PER_MCU)
        return JPG_ERR_UNSUPPORTED_FRAME;
    // A read after the header read meets the frame again: it must be the
    // picture that read reported, which the caller sized its bitmap by.
    if (!props->frameNeeded && !IsKnownFrame(props, marker, width, height, count, components))
        return JPG_ERR_MULTIPLE_FRAMES;

    memcpy(props->components, components, sizeof components);
    props->precision = precision;
    props->frameWidth = width;
    props->frameHeight = height;
    props->componentCount = count;
    props->frameProgressive = marker == JPG_SOF2;
    props->hMax = hMax;
    props->vMax = vMax;
    props->frameMcusAcross = (width + 8 * hMax - 1) / (8 * hMax);
    props->frameMcusDown = (height + 8 * vMax - 1) / (8 * vMax);
    props->frameMcusInAll = props->frameMcusAcross * props->frameMcusDown;
    props->frameNeeded = 0;
    props->framesThisRead++;
    props->jpgWidth = width;
    props->jpgHeight = height;
    props->jpgChannels = count;
    return JpgSetupFrame(props);
}

int JpgParseQuantTables(JPEG_PROPERTIES *props)
{
    Segment segment;
    int result = ReadWholeSegment(&props->input, &segment, JPG_MAX_QUANT_SEGMENT);
    if (result < 0)
        return result;
    int at = 0;
    while (at < segment.size) {
        int precision = segment.bytes[at] >> 4, id = segment.bytes[at] & 15;
        at++;
        int bytes = precision ? 128 : 64;
        if (id > 3 || precision > 1 || segment.size - at < bytes)
            return JPG_ERR_BAD_QUANT;
        const uint8_t *values = segment.bytes + at;
        JpgQuantTable *table = &props->quantTables[id];
        for (int k = 0; k < 64; k++)
            table->zigzag[k] = (int16_t)(precision ? Word(values + 2 * k) : values[k]);
        JpgRawQuantSlot &raw = props->rawQuant[id];
        if (raw.buffer) {
            memcpy(raw.buffer, values, bytes);
            raw.identifier = (uint8_t)id;
            raw.precision = (uint8_t)precision;
        }
        JpgPrepareQuantSlot(table, props->dctMethod == JPG_DCT_INTEGER ? JPG_DCT_INTEGER : JPG_DCT_AAN);
        props->quantLoaded[id] = true;
        if (id + 1 > props->quantHighestId)
            props->quantHighestId = id + 1;
        if (props->quantTablesLoaded < JPG_TABLE_SLOTS)
            props->quantTablesLoaded++;
        at += bytes;
    }
    return 0;
}

int JpgParseHuffmanTables(JPEG_PROPERTIES *props)
{
    Segment segment;
    int result = ReadWholeSegment(&props->input, &segment, JPG_MAX_HUFFMAN_SEGMENT);
    if (result < 0)
        return result;
    int at = 0;
    while (at < segment.size) {
        int header = segment.bytes[at];
        int tableClass = header >> 4, id = header & 15;
        if (header >= 32 || id > 3 || segment.size - at < 17)
            return JPG_ERR_BAD_HUFFMAN;
        const uint8_t *bits = segment.bytes + at + 1;
        int count = 0;
        for (int i = 0; i < 16; i++)
            count += bits[i];
        if (count > 256 || segment.size - at - 17 < count)
            return JPG_ERR_BAD_HUFFMAN;
        const uint8_t *values = bits + 16;
        JpgRawHuffSlot &raw = props->rawHuff[id * 2 + tableClass];
        if (raw.bits && raw.values) {
            memcpy(raw.bits, bits, 16);
            memcpy(raw.values, values, count);
            raw.tableClass = (uint8_t)tableClass;
            raw.identifier = (uint8_t)id;
        }
        JpgHuffTable *table = tableClass == JPG_CLASS_DC ? &props->dcTables[id] : &props->acTables[id];
        if (JpgBuildDecodeTable(bits, values, tableClass, id, table) < 0)
            return JPG_ERR_BAD_HUFFMAN;
        if (tableClass == JPG_CLASS_DC) {
            props->dcLoaded[id] = true;
            if (props->dcTablesLoaded < JPG_TABLE_SLOTS)
                props->dcTablesLoaded++;
        } else {
            props->acLoaded[id] = true;
            if (props->acTablesLoaded < JPG_TABLE_SLOTS)
                props->acTablesLoaded++;
        }
        if (id + 1 > props->huffHighestId)
            props->huffHighestId = id + 1;
        at += 17 + count;
    }
    return 0;
}

int JpgParseRestartInterval(JPEG_PROPERTIES *props)
{
    Segment segment;
    int result = ReadWholeSegment(&props->input, &segment);
    if (result < 0)
        return result;
    if (segment.size < 2)
        return JPG_ERR_DATA;
    props->restartInterval = Word(segment.bytes);
    return 0;
}

void JpgFreeScan(JpgScan *scan)
{
    if (scan) {
        free(scan->components);
        free(scan);
    }
}

bool JpgIsSequentialShape(const JpgScan *scan)
{
    return scan->ss == 0 && scan->se == 63 && scan->ah == 0 && scan->al == 0;
}

// The spectral and approximation limits of a progressive scan.
static bool ProgressiveShape(const JpgScan *scan)
{
    if (scan->ss > scan->se || scan->se > 63 || scan->ah > 13 || scan->al > 13)
        return false;
    if (scan->ss == 0 && scan->se != 0)
        return false;
    if (scan->ss > 0 && scan->ns != 1)
        return false;
    return scan->ah == 0 || scan->al == scan->ah - 1;
}

int JpgParseScanHeader(JPEG_PROPERTIES *props, JpgScan *scan)
{
    int length, result;
    Segment segment;
    if ((result = ReadLength(&props->input, &length)) < 0)
        return result;
    if (props->input.dispatch)
        props->input.dispatch->scanHeaderLength = length + 2;
    if ((result = ReadContent(&props->input, length - 2, &segment)) < 0)
        return result;
    const uint8_t *p = segment.bytes;
    if (segment.size < 1)
        return JPG_ERR_DATA;
    int ns = p[0];
    int maxNs = props->componentCount < JPG_MAX_COMPONENTS ? props->componentCount : JPG_MAX_COMPONENTS;
    if (ns < 1 || ns > maxNs || segment.size != 4 + 2 * ns)
        return JPG_ERR_DATA;
    scan->ns = ns;
    scan->components = static_cast<JpgScanComponent *>(calloc(ns, sizeof(JpgScanComponent)));
    if (!scan->components)
        return JPG_ERR_MEMORY;
    bool used[JPG_MAX_COMPONENTS] = {};
    for (int i = 0; i < ns; i++) {
        int selector = p[1 + 2 * i], td = p[2 + 2 * i] >> 4, ta = p[2 + 2 * i] & 15;
        int index = -1;
        for (int c = 0; c < props->componentCount && index < 0; c++)
            if (props->components[c].identifier == selector)
                index = c;
        if (td > 3 || ta > 3 || index < 0 || used[index] || props->components[index].tq > 3) {
            free(scan->components);
            scan->components = nullptr;
            return JPG_ERR_DATA;
        }
        used[index] = true;
        JpgScanComponent &entry = scan->components[i];
        entry.frameIndex = index;
        entry.h = props->components[index].h;
        entry.v = props->components[index].v;
        entry.dcTable = &props->dcTables[td];
        entry.acTable = &props->acTables[ta];
        entry.quant = &props->quantTables[props->components[index].tq];
        scan->dcTableId[i] = (uint8_t)td;
        scan->acTableId[i] = (uint8_t)ta;
    }
    const uint8_t *tail = p + 1 + 2 * ns;
    scan->ss = tail[0];
    scan->se = tail[1];
    scan->ah = tail[2] >> 4;
    scan->al = tail[2] & 15;
    // The frame type decides how every scan of it is coded.
    bool shapeFits = props->frameProgressive ? ProgressiveShape(scan) : JpgIsSequentialShape(scan);
    if (!shapeFits) {
        free(scan->components);
        scan->components = nullptr;
        return JPG_ERR_DATA;
    }
    props->input.eobRun = 0;

    bool needsDc = scan->ss == 0 && scan->ah == 0;
    bool needsAc = scan->se > 0;
    for (int i = 0; i < ns; i++) {
        int tq = props->components[scan->components[i].frameIndex].tq;
        result = 0;
        if ((needsDc && !props->dcLoaded[scan->dcTableId[i]]) ||
            (needsAc && !props->acLoaded[scan->acTableId[i]]))
            result = JPG_ERR_NO_HUFFMAN;
        else if (!props->quantLoaded[tq])
            result = JPG_ERR_NO_QUANT;
        if (result) {
            free(scan->components);
            scan->components = nullptr;
            return result;
        }
    }
    return 0;
}

// The thumbnail must fit the caller's rows; a smaller bitmap is refused
// rather than written past.
static int CheckThumbnailTarget(const JPEG_PROPERTIES *props, int width, int height)
{
    int rows = props->dibHeight < 0 ? -props->dibHeight : props->dibHeight;
    if (width > props->dibWidth || height > rows)
        return JPG_ERR_THUMB_TOO_SMALL;
    if (props->dibChannels < 3 ||
        (props->dibColour != JPG_COLOUR_RGB && props->dibColour != JPG_COLOUR_BGR))
        return JPG_ERR_THUMB_COLOUR;
    return 0;
}

static void PutThumbnailPixel(const JPEG_PROPERTIES *props, int x, int y, const uint8_t *rgb)
{
    uint8_t *pixel = props->dibRow + (ptrdiff_t)y * props->dibLineStep + (ptrdiff_t)x * props->dibChannels;
    if (props->dibColour == JPG_COLOUR_RGB) {
        pixel[0] = rgb[0], pixel[1] = rgb[1], pixel[2] = rgb[2];
    } else {
        pixel[0] = rgb[2], pixel[1] = rgb[1], pixel[2] = rgb[0];
    }
}

static int TakeRgbThumbnail(JPEG_PROPERTIES *props, const Segment &segment, int width, int height,
                            int offset)
{
    if (width && height) {
        props->jpgThumbWidth = width;
        props->jpgThumbHeight = height;
    }
    if (!JpgIsThumbnailMode(props->ioMode) || !width || !height || segment.size < offset + width * height * 3)
        return 0;
    int result = CheckThumbnailTarget(props, width, height);
    if (result < 0)
        return result;
    const uint8_t *rgb = segment.bytes + offset;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++, rgb += 3)
            PutThumbnailPixel(props, x, y, rgb);
    return 0;
}

static int TakePaletteThumbnail(JPEG_PROPERTIES *props, const Segment &segment, int width, int height)
{
    if (!JpgIsThumbnailMode(props->ioMode) || segment.size < width * height + 776)
        return 0;
    props->jpgThumbWidth = width;
    props->jpgThumbHeight = height;
    int result = CheckThumbnailTarget(props, width, height);
    if (result < 0)
        return result;
    const uint8_t *palette = segment.bytes + 8;
    const uint8_t *index = segment.bytes + 776;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            PutThumbnailPixel(props, x, y, palette + 3 * *index++);
    return 0;
}

int JpgParseApp0(JPEG_PROPERTIES *props)
{
    int length;
    if (JpgReadWord(&props->input, &length) < 0 || length < 2)
        return 0; // left to the marker search
    int size = length - 2;
    if (size < JPG_MIN_APP0_CONTENT || size > JPG_MAX_APP0_CONTENT || !props->frameNeeded) {
        // Skipped by its length: a search through thumbnail pixels could
        // take a pixel pair for a marker.
        return JpgSkipBytes(&props->input, size) < 0 ? JPG_ERR_DATA : 0;
    }
    Segment segment;
    int result = ReadContent(&props->input, size, &segment);
    if (result < 0)
        return result;
    const uint8_t *p = segment.bytes;
    if (memcmp(p, "JFIF", 5) == 0) {
        props->jfifSeen = 1;
        props->jfifVersion = Word(p + 5);
        props->densityUnits = p[7];
        props->xDensity = Word(p + 8);
        props->yDensity = Word(p + 10);
        return TakeRgbThumbnail(props, segment, p[12], p[13], 14);
    }
    if (memcmp(p, "JFXX", 5) == 0) {
        if (p[5] == 0x13 && segment.size >= 8)
            return TakeRgbThumbnail(props, segment, p[6], p[7], 8);
        if (p[5] == 0x11 && segment.size >= 8)
            return TakePaletteThumbnail(props, segment, p[6], p[7]);
    }
    return 0;
}

int JpgParseAdobe(JPEG_PROPERTIES *props)
{
    Segment segment;
    int result = ReadWholeSegment(&props->input, &segment);
    if (result < 0)
        return result;
    if (segment.size >= JPG_MIN_ADOBE_CONTENT && memcmp(segment.bytes, "Adobe", 5) == 0) {
        props->adobeVersion = Word(segment.bytes + 5);
        props->adobeFlags0 = Word(segment.bytes + 7);
        props->adobeFlags1 = Word(segment.bytes + 9);
        props->adobeTransform = segment.bytes[11];
        props->adobeSeen = 1;
    }
    return 0;
}

namespace {
struct CommentCopy {
    char *to;
    const uint8_t *from;
    int count;
};

int CopyComment(void *context)
{
    CommentCopy *copy = static_cast<CommentCopy *>(context);
    memcpy(copy->to, copy->from, copy->count);
    return 0;
}
} // namespace

int JpgParseComment(JPEG_PROPERTIES *props)
{
    Segment segment;
    if (ReadWholeSegment(&props->input, &segment) < 0)
        return JPG_ERR_DATA;
    if (!props->frameNeeded || !props->jpegComment)
        return 0;
    int capacity = props->jpegCommentSize;
    CommentCopy copy = {props->jpegComment, segment.bytes,
                        segment.size > capacity ? capacity : segment.size};
    props->jpegCommentSize = (uint16_t)segment.size;
    if (JpgRunGuarded(CopyComment, &copy) != 0)
        return JPG_ERR_COMMENT_ACCESS;
    return segment.size > capacity ? JPG_ERR_COMMENT_ACCESS : 0;
}
