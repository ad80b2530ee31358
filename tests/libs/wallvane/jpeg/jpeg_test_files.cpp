#include "jpeg_test_files.h"

#include <stdio.h>
#include <stdlib.h>

#include "jpeg_constants.h"

#ifdef _WIN32
#include <process.h>
#define ProcessId _getpid
#else
#include <unistd.h>
#define ProcessId getpid
#endif

Bytes MarkerSegment(int marker, const Bytes &content)
{
    size_t length = content.size() + 2;
    Bytes out{0xFF, (uint8_t)marker, (uint8_t)(length >> 8), (uint8_t)length};
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes CraftedJpeg::Join() const
{
    return Concat({soi, app0, dqt, sof, dht, sos, data, eoi});
}

Bytes JfifApp0(int thumbWidth, int thumbHeight, const Bytes &thumbPixels)
{
    Bytes content{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, (uint8_t)thumbWidth, (uint8_t)thumbHeight};
    content.insert(content.end(), thumbPixels.begin(), thumbPixels.end());
    return MarkerSegment(JPG_APP0, content);
}

CraftedJpeg CraftGray(int width, int height)
{
    CraftedJpeg j;
    j.app0 = JfifApp0(0, 0, {});
    Bytes dqt{0x00};
    dqt.resize(65, 1);
    j.dqt = MarkerSegment(JPG_DQT, dqt);
    j.sof = MarkerSegment(JPG_SOF0, {8, (uint8_t)(height >> 8), (uint8_t)height, (uint8_t)(width >> 8),
                                     (uint8_t)width, 1, 1, 0x11, 0});
    // DC table: one code "0" for category 0; AC table: one code "0" for EOB.
    Bytes dht{0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00,
              0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00};
    j.dht = MarkerSegment(JPG_DHT, dht);
    j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x00, 0, 63, 0});
    int blocks = ((width + 7) / 8) * ((height + 7) / 8);
    int bits = blocks * 2;
    j.data.assign((bits + 7) / 8, 0x00);
    if (bits % 8)
        j.data.back() = (uint8_t)((1 << (8 - bits % 8)) - 1);
    return j;
}

CraftedJpeg CraftColour(int width, int height, int h0, int v0)
{
    CraftedJpeg j = CraftGray(width, height);
    j.sof = MarkerSegment(JPG_SOF0, {8, (uint8_t)(height >> 8), (uint8_t)height, (uint8_t)(width >> 8),
                                     (uint8_t)width, 3, 1, (uint8_t)(h0 << 4 | v0), 0, 2, 0x11, 0, 3, 0x11, 0});
    j.sos = MarkerSegment(JPG_SOS, {3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 63, 0});
    int mcuWidth = 8 * h0, mcuHeight = 8 * v0;
    int mcus = ((width + mcuWidth - 1) / mcuWidth) * ((height + mcuHeight - 1) / mcuHeight);
    int bits = mcus * (h0 * v0 + 2) * 2;
    j.data.assign((bits + 7) / 8, 0x00);
    if (bits % 8)
        j.data.back() = (uint8_t)((1 << (8 - bits % 8)) - 1);
    return j;
}

MemoryReader::MemoryReader(const Bytes &jpeg) : bytes(jpeg)
{
    JpgLibInit(&record);
    record.jpgBytes = bytes.data();
    record.jpgSizeBytes = (int)bytes.size();
}

MemoryReader::~MemoryReader()
{
    JpgLibFree(&record);
}

int MemoryReader::Read(int mode)
{
    record.jpgBytes = bytes.data();
    record.jpgSizeBytes = (int)bytes.size();
    return JpgLibRead(&record, mode);
}

int ReadScale(int mode)
{
    return mode == 14 || mode == 15 ? 2 : mode == 16 || mode == 17 ? 4 : mode == 18 || mode == 19 ? 8 : 1;
}

int ReadInto(JPEG_IMAGE_PROPS *r, BitmapRead *read, std::vector<uint8_t> *dib)
{
    int scale = ReadScale(read->mode);
    if (!read->width) {
        read->width = (r->jpgWidth + scale - 1) / scale;
        read->height = (r->jpgHeight + scale - 1) / scale;
    }
    if (r->jpgChannels == 1 && read->channels == 1)
        read->colour = JPG_COLOUR_GRAY;
    int bytesPerPixel = read->subsampling == 2 ? 2 : read->channels;
    dib->assign((size_t)(read->width * bytesPerPixel + read->pad) * read->height, Untouched);
    r->dibPixels = dib->data();
    r->dibWidth = read->width;
    r->dibHeight = read->bottomUp ? -read->height : read->height;
    r->dibChannels = read->channels;
    r->dibColour = read->colour;
    r->dibPadBytes = read->pad;
    r->dibSubsampling = read->subsampling;
    r->props.fourRowBuffers = read->fourRowBuffers;
    r->props.roiLeft = read->left;
    r->props.roiTop = read->top;
    r->props.roiRight = read->right;
    r->props.roiBottom = read->bottom;
    return JpgLibRead(r, read->mode);
}

int ReadBitmap(const Bytes &jpeg, BitmapRead read, std::vector<uint8_t> *dib, BitmapRead *used)
{
    MemoryReader reader(jpeg);
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    if (result == 0)
        result = ReadInto(&reader.record, &read, dib);
    if (used)
        *used = read;
    return result;
}

int ReadCoefficients(const Bytes &jpeg, CoefficientPlanes *planes)
{
    MemoryReader reader(jpeg);
    int result = reader.Read(JPG_READ_HEADER_MEMORY);
    if (result != 0)
        return result;
    JPEG_PROPERTIES &p = reader.record.props;
    JpgRawBlockHook hook = {};
    for (int c = 0; c < p.componentCount; c++) {
        planes->lineValues[c] = p.frameMcusAcross * p.components[c].h * 8;
        planes->lines[c] = p.frameMcusDown * p.components[c].v * 8;
        planes->plane[c].assign((size_t)planes->lineValues[c] * planes->lines[c], 0);
        hook.planes[c] = planes->plane[c].data();
    }
    p.rawBlockHook = &hook;
    result = reader.Read(JPG_READ_IMAGE_MEMORY);
    p.rawBlockHook = nullptr;
    return result;
}

Bytes ReadWholeFile(const std::string &path)
{
    Bytes out;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return out;
    uint8_t buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    fclose(f);
    return out;
}

bool WriteWholeFile(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string TempPath(const std::string &name)
{
    const char *dir = getenv("TEMP");
    if (!dir)
        dir = getenv("TMPDIR");
    std::string base = dir ? dir : "/tmp";
    static int counter = 0;
    char unique[64];
    snprintf(unique, sizeof unique, "zt_jpeg_%d_%d_", (int)ProcessId(), counter++);
    return base + "/" + unique + name;
}
