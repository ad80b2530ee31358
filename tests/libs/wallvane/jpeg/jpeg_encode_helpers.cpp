#include "jpeg_encode_helpers.h"

#include <string.h>

#include "jpeg_codec.h"
#include "jpeg_encoder.h"

Pixels MakePixels(int width, int height, int channels, unsigned seed)
{
    Pixels p;
    p.width = width;
    p.height = height;
    p.channels = channels;
    p.bytes.resize((size_t)width * height * channels);
    unsigned state = seed * 2654435761u + 7;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            for (int c = 0; c < channels; c++) {
                state = state * 1103515245u + 12345u;
                int v = 128 + (int)(100 * ((x + 2 * c) % 37) / 37) - (y * (c + 1)) % 60;
                if ((x / 9 + y / 6 + c) % 4 == 0)
                    v = 255 - v;
                v += (int)((state >> 16) % 25) - 12;
                p.bytes[((size_t)y * width + x) * channels + c] = (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    return p;
}

Bitmap LayOut(const Pixels &pixels, int colour, int channels, int padBytes, bool bottomUp)
{
    Bitmap b;
    b.width = pixels.width;
    b.height = bottomUp ? -pixels.height : pixels.height;
    b.channels = channels;
    b.colour = colour;
    b.padBytes = padBytes;
    size_t row = (size_t)pixels.width * channels + padBytes;
    b.bytes.assign(row * pixels.height, 0xEE);
    for (int y = 0; y < pixels.height; y++) {
        uint8_t *to = &b.bytes[row * (bottomUp ? pixels.height - 1 - y : y)];
        for (int x = 0; x < pixels.width; x++) {
            const uint8_t *from = &pixels.bytes[((size_t)y * pixels.width + x) * pixels.channels];
            uint8_t *p = to + (size_t)x * channels;
            for (int c = 0; c < channels; c++)
                p[c] = c < pixels.channels ? from[c] : 0x5A;
            if (colour == JPG_COLOUR_BGR && pixels.channels >= 3) {
                p[0] = from[2];
                p[2] = from[0];
            }
        }
    }
    return b;
}

static int Encode(const Bitmap &bitmap, const EncodeSettings &settings, const char *path, Bytes *out)
{
    JPEG_IMAGE_PROPS r;
    int result = JpgLibInit(&r);
    if (result != 0)
        return result;
    Bytes buffer((size_t)(bitmap.width * 4 + 64) * (abs(bitmap.height) * 4 + 64) + 4096);
    r.dibPixels = const_cast<uint8_t *>(bitmap.bytes.data());
    r.dibWidth = bitmap.width;
    r.dibHeight = bitmap.height;
    r.dibPadBytes = bitmap.padBytes;
    r.dibChannels = bitmap.channels;
    r.dibColour = bitmap.colour;
    r.dibSubsampling = bitmap.subsampling;
    r.jpgWidth = bitmap.width;
    r.jpgHeight = abs(bitmap.height);
    r.jpgChannels = settings.jpgChannels;
    r.jpgColour = settings.jpgColour;
    r.jpgSubsampling = settings.subsampling;
    r.quality = settings.quality;
    r.jpgFileName = path;
    r.jpgBytes = buffer.data();
    r.jpgSizeBytes = (int)buffer.size();
    r.props.progressiveScans = settings.progressive ? 1 : 0;
    r.props.restartInterval = settings.restartInterval;
    r.props.dctMethod = settings.dctMethod;
    int mode = path ? JPG_WRITE_IMAGE_FILE : JPG_WRITE_IMAGE_MEMORY;
    do {
        r.props.stopRequest = settings.stopAfterEveryMcu ? 1 : 0;
        result = JpgLibWrite(&r, mode);
    } while (result == JPG_INTERRUPT_SUCCESS);
    if (result == 0)
        *out = path ? ReadWholeFile(path) : Bytes(buffer.begin(), buffer.begin() + r.jpgSizeBytes);
    if (result == 0 && path && (int)out->size() != r.jpgSizeBytes)
        result = JPG_ERR_INTERNAL;
    JpgLibFree(&r);
    return result;
}

int EncodeToMemory(const Bitmap &bitmap, const EncodeSettings &settings, Bytes *out)
{
    return Encode(bitmap, settings, nullptr, out);
}

int EncodeToFile(const Bitmap &bitmap, const EncodeSettings &settings, const std::string &path, Bytes *out)
{
    return Encode(bitmap, settings, path.c_str(), out);
}

std::vector<StreamSegment> SplitStream(const Bytes &jpeg)
{
    std::vector<StreamSegment> segments;
    size_t i = 2;
    while (i + 2 <= jpeg.size() && jpeg[i] == 0xFF) {
        StreamSegment s;
        s.marker = jpeg[i + 1];
        if (s.marker == 0xD9) {
            segments.push_back(s);
            break;
        }
        if (i + 4 > jpeg.size())
            break;
        size_t length = (size_t)(jpeg[i + 2] << 8 | jpeg[i + 3]);
        if (length < 2 || i + 2 + length > jpeg.size())
            break;
        s.content.assign(jpeg.begin() + i + 4, jpeg.begin() + i + 2 + length);
        i += 2 + length;
        if (s.marker == 0xDA) {
            size_t end = i;
            while (end + 1 < jpeg.size() &&
                   !(jpeg[end] == 0xFF && jpeg[end + 1] != 0 && (jpeg[end + 1] < 0xD0 || jpeg[end + 1] > 0xD7)))
                end++;
            s.data.assign(jpeg.begin() + i, jpeg.begin() + end);
            i = end;
        }
        segments.push_back(s);
    }
    return segments;
}

StreamTables TablesOf(const Bytes &jpeg)
{
    StreamTables tables;
    for (const StreamSegment &s : SplitStream(jpeg)) {
        const Bytes &c = s.content;
        if (s.marker == 0xDB) {
            for (size_t i = 0; i < c.size();) {
                int precision = c[i] >> 4, id = c[i] & 15;
                size_t size = precision ? 128 : 64;
                if (i + 1 + size > c.size())
                    break;
                tables.quant[id] = Bytes(c.begin() + i + 1, c.begin() + i + 1 + size);
                i += 1 + size;
            }
        } else if (s.marker == 0xC4) {
            for (size_t i = 0; i + 17 <= c.size();) {
                int key = c[i], count = 0;
                for (int k = 1; k <= 16; k++)
                    count += c[i + k];
                if (i + 17 + count > c.size())
                    break;
                tables.huffman[key] = Bytes(c.begin() + i + 1, c.begin() + i + 17 + count);
                i += 17 + count;
            }
        }
    }
    return tables;
}

bool HuffmanTablesFromCounts(const uint32_t dcCounts[257], const uint32_t acCounts[257], RandomHuffmanTables *t)
{
    uint8_t bits[16], values[256];
    return JpgGenOptimalTable(dcCounts, bits, values) > 0 && JpgBuildEncodeTable(bits, values, &t->dcEncode) == 0 &&
           JpgBuildDecodeTable(bits, values, 0, 0, &t->dc) == 0 && JpgGenOptimalTable(acCounts, bits, values) > 0 &&
           JpgBuildEncodeTable(bits, values, &t->acEncode) == 0 && JpgBuildDecodeTable(bits, values, 1, 0, &t->ac) == 0;
}

bool MakeRandomHuffmanTables(std::mt19937 &random, RandomHuffmanTables *t)
{
    uint32_t dcCounts[257] = {}, acCounts[257] = {};
    for (int s = 0; s < 12; s++)
        dcCounts[s] = 1 + random() % 1000;
    acCounts[0x00] = 1 + random() % 5000;
    acCounts[0xF0] = 1 + random() % 100;
    for (int run = 0; run < 16; run++)
        for (int size = 1; size <= 10; size++)
            acCounts[run << 4 | size] = 1 + random() % (run < 3 ? 3000 : 40);
    return HuffmanTablesFromCounts(dcCounts, acCounts, t);
}

std::vector<std::vector<int16_t>> BaselineCoefficientBlocks(std::mt19937 &random, int count)
{
    std::vector<std::vector<int16_t>> blocks;
    for (int n = 0; n < count; n++) {
        std::vector<int16_t> b(64, 0);
        int kind = n % 4;
        b[0] = (int16_t)((int)(random() % 2047) - 1023);
        for (int i = 1; i < 64; i++) {
            bool set = kind == 0 ? random() % 20 == 0 : kind == 1 ? random() % 2 == 0 : kind == 2;
            if (set)
                b[i] = (int16_t)((int)(random() % 2047) - 1023);
        }
        if (kind == 3)
            b[63] = (int16_t)(n & 1 ? 1023 : -1023);
        blocks.push_back(b);
    }
    return blocks;
}
