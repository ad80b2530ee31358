#include "dib_check.h"

#include "picture_bytes.h"
#include "picture_format.h"

namespace {

// The masks of the 16- and 32-bit forms every writer uses; others are no
// picture a note has held.
bool UsualMasks(int bitCount, const uint8_t *masks)
{
    uint32_t red = Get32(masks), green = Get32(masks + 4), blue = Get32(masks + 8);
    if (bitCount == 16)
        return (red == 0x7C00 && green == 0x03E0 && blue == 0x001F) ||
               (red == 0xF800 && green == 0x07E0 && blue == 0x001F);
    return bitCount == 32 && red == 0xFF0000 && green == 0xFF00 && blue == 0xFF;
}

uint64_t RowBytes(int64_t width, int bitCount)
{
    return ((uint64_t)width * (uint64_t)bitCount + 31) / 32 * 4;
}

} // namespace

int CheckDibHeader(const uint8_t *info, size_t infoBytes, DibLayout *layout)
{
    if (!info || infoBytes < DIB_INFO_HEADER_BYTES)
        return -1;
    uint32_t headerBytes = Get32(info);
    if (headerBytes != DIB_INFO_HEADER_BYTES && headerBytes != DIB_V4_HEADER_BYTES &&
        headerBytes != DIB_V5_HEADER_BYTES)
        return -1;
    if (headerBytes > infoBytes)
        return -1;
    int64_t width = GetSigned32(info + 4), height = GetSigned32(info + 8);
    int64_t rows = height < 0 ? -height : height;
    int bitCount = Get16(info + 14);
    uint32_t compression = Get32(info + 16), used = Get32(info + 32);
    if (Get16(info + 12) != 1 || width < 1 || rows < 1 || width > PICTURE_SIDE_PIXELS_MAX ||
        rows > PICTURE_SIDE_PIXELS_MAX || width * rows > PICTURE_PIXELS_MAX)
        return -1;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return -1;
    size_t table = 0;
    if (compression == DIB_BITFIELDS) {
        if (bitCount != 16 && bitCount != 32)
            return -1;
        // The masks follow a plain header; the later headers hold them.
        const uint8_t *masks = info + DIB_INFO_HEADER_BYTES;
        if (headerBytes == DIB_INFO_HEADER_BYTES)
            table = 12;
        if (DIB_INFO_HEADER_BYTES + 12 > infoBytes || !UsualMasks(bitCount, masks))
            return -1;
    } else if (compression != DIB_RGB) {
        // Run lengths and embedded JPEG or PNG: no note's picture needs them
        // and each is another decoder in the drawing library.
        return -1;
    }
    uint32_t colours = 0;
    if (bitCount <= 8) {
        uint32_t most = 1u << bitCount;
        if (used > most)
            return -1;
        colours = used ? used : most;
    } else if (used > 256) {
        return -1;
    }
    // Above 8 bits a table is a hint for palette devices, kept out of the
    // plain form; its entries are still part of what is given.
    table += 4 * (size_t)(bitCount <= 8 ? colours : used);
    if (table > infoBytes - headerBytes)
        return -1;
    layout->width = (int32_t)width;
    layout->height = (int32_t)height;
    layout->bitCount = bitCount;
    layout->compression = compression;
    layout->colours = colours;
    layout->headerBytes = headerBytes;
    layout->tableBytes = table;
    layout->bitsBytes = (size_t)(RowBytes(width, bitCount) * (uint64_t)rows);
    return 0;
}

int CheckPackedDib(const uint8_t *data, size_t size, DibLayout *layout)
{
    if (CheckDibHeader(data, size, layout) != 0)
        return -1;
    size_t before = layout->headerBytes + layout->tableBytes;
    return layout->bitsBytes <= size - before ? 0 : -1;
}

std::vector<uint8_t> PlainDibInfo(const uint8_t *info, const DibLayout &layout)
{
    std::vector<uint8_t> out;
    const uint32_t header[] = {DIB_INFO_HEADER_BYTES,
                               (uint32_t)layout.width,
                               (uint32_t)layout.height,
                               1u | (uint32_t)layout.bitCount << 16,
                               layout.compression,
                               (uint32_t)layout.bitsBytes,
                               0,
                               0,
                               layout.colours,
                               0};
    static_assert(sizeof header == DIB_INFO_HEADER_BYTES, "every header field");
    for (uint32_t value : header)
        Append32(&out, value);
    const uint8_t *table = info + layout.headerBytes;
    if (layout.compression == DIB_BITFIELDS) {
        const uint8_t *masks = info + DIB_INFO_HEADER_BYTES;
        out.insert(out.end(), masks, masks + 12);
        if (layout.headerBytes == DIB_INFO_HEADER_BYTES)
            table += 12;
    }
    for (uint32_t i = 0; i < layout.colours; ++i) {
        // The fourth byte of an entry must be zero.
        out.insert(out.end(), table + 4 * i, table + 4 * i + 3);
        out.push_back(0);
    }
    return out;
}

int DeviceBitmapToDib(const uint8_t *bits, size_t size, int32_t width, int32_t height,
                      int32_t bitsPixel, int32_t planes, int32_t widthBytes,
                      std::vector<uint8_t> *dib)
{
    // Other depths are laid out as the device that made them pleased.
    if (!bits || planes != 1 || (bitsPixel != 1 && bitsPixel != 24 && bitsPixel != 32))
        return -1;
    if (width < 1 || height < 1 || width > PICTURE_SIDE_PIXELS_MAX ||
        height > PICTURE_SIDE_PIXELS_MAX || (int64_t)width * height > PICTURE_PIXELS_MAX)
        return -1;
    // Device rows are whole words.
    uint64_t least = ((uint64_t)width * bitsPixel + 15) / 16 * 2;
    uint64_t stride = widthBytes > 0 ? (uint64_t)widthBytes : least;
    if (stride < least || stride > PICTURE_DATA_BYTES_MAX || stride * (uint64_t)height > size)
        return -1;
    DibLayout layout = {width, -height, bitsPixel, DIB_RGB, bitsPixel == 1 ? 2u : 0u, 0, 0,
                        (size_t)(RowBytes(width, bitsPixel) * (uint64_t)height)};
    // A monochrome device bitmap draws its 0 bits black and its 1 bits white.
    const uint8_t mono[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    std::vector<uint8_t> info(DIB_INFO_HEADER_BYTES, 0);
    info.insert(info.end(), mono, mono + (bitsPixel == 1 ? 8 : 0));
    layout.headerBytes = DIB_INFO_HEADER_BYTES;
    *dib = PlainDibInfo(info.data(), layout);
    size_t row = (size_t)RowBytes(width, bitsPixel);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t *from = bits + (size_t)stride * (size_t)y;
        // A device row is never longer than a bitmap row of double words.
        dib->insert(dib->end(), from, from + (size_t)least);
        dib->insert(dib->end(), row - (size_t)least, 0);
    }
    return 0;
}
