#include "picture_samples.h"

void Put16(PictureBytes *b, uint32_t v)
{
    b->push_back((uint8_t)v);
    b->push_back((uint8_t)(v >> 8));
}

void Put32(PictureBytes *b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

uint32_t At32(const PictureBytes &b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

PictureBytes Dib(int32_t width, int32_t height, int bitCount, const PictureBytes &table,
                 const PictureBytes &bits, uint32_t compression, uint32_t used)
{
    PictureBytes b;
    for (uint32_t v : {40u, (uint32_t)width, (uint32_t)height})
        Put32(&b, v);
    Put16(&b, 1);
    Put16(&b, (uint32_t)bitCount);
    for (uint32_t v : {compression, (uint32_t)bits.size(), 2835u, 2835u, used, 0u})
        Put32(&b, v);
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

PictureBytes QuadrantDib()
{
    return Dib(2, 2, 24, {}, {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0});
}

Wmf::Wmf(int objects)
{
    for (uint32_t w : {1u, 9u, 0x300u, 0u, 0u, (uint32_t)objects, 0u, 0u, 0u})
        Put16(&bytes, w);
}

Wmf &Wmf::Record(uint16_t function, std::vector<int> words)
{
    Put32(&bytes, (uint32_t)(3 + words.size()));
    Put16(&bytes, function);
    for (int w : words)
        Put16(&bytes, (uint32_t)w);
    return *this;
}

Wmf &Wmf::RecordBytes(uint16_t function, const PictureBytes &params)
{
    Put32(&bytes, (uint32_t)(3 + params.size() / 2));
    Put16(&bytes, function);
    bytes.insert(bytes.end(), params.begin(), params.end());
    return *this;
}

PictureBytes Wmf::End()
{
    Record(0, {});
    return bytes;
}

std::vector<int> Chars(const std::string &text)
{
    std::vector<int> words;
    for (size_t i = 0; i < text.size(); i += 2)
        words.push_back((uint8_t)text[i] | (i + 1 < text.size() ? (uint8_t)text[i + 1] << 8 : 0));
    return words;
}

PictureBytes SquaresWmf()
{
    return Wmf(3)
        .Record(0x020B, {0, 0})            // window origin: y, x
        .Record(0x020C, {100, 100})        // window extent
        .Record(0x02FA, {5, 0, 0, 0, 0})   // the null pen
        .Record(0x012D, {0})
        .Record(0x02FC, {0, 0xFFFF, 0xFF, 0}) // a white brush
        .Record(0x012D, {1})
        .Record(0x041B, {101, 101, 0, 0})  // rectangle: bottom, right, top, left
        .Record(0x02FC, {0, 0x00FF, 0, 0}) // red
        .Record(0x012D, {2})
        .Record(0x041B, {51, 51, 0, 0})
        .Record(0x012D, {1})
        .Record(0x01F0, {2})
        .Record(0x02FC, {0, 0, 0xFF, 0}) // blue, in the freed entry
        .Record(0x012D, {2})
        .Record(0x041B, {101, 101, 50, 50})
        .End();
}

PictureBytes LyingPolyPolygonWmf()
{
    std::vector<int> lying = {16};
    for (int i = 0; i < 16; ++i)
        lying.push_back(32767);
    for (int i = 0; i < 8; ++i)
        lying.push_back(5);
    return Wmf().Record(0x0538, lying).End();
}

PictureBytes Emf(const std::vector<PictureBytes> &records, uint32_t handles)
{
    PictureBytes b;
    for (uint32_t v : {1u, 88u, 0u, 0u, 99u, 99u, 0u, 0u, 2646u, 2646u, 0x464D4520u, 0x10000u})
        Put32(&b, v);
    size_t whole = 88 + 20;
    for (const PictureBytes &r : records)
        whole += r.size();
    for (uint32_t v : {(uint32_t)whole, (uint32_t)records.size() + 2, handles, 0u, 0u, 0u, 1024u,
                       768u, 320u, 240u})
        Put32(&b, v);
    for (const PictureBytes &r : records)
        b.insert(b.end(), r.begin(), r.end());
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u})
        Put32(&b, v);
    return b;
}

PictureBytes EmfRecord(uint32_t type, std::vector<uint32_t> values)
{
    PictureBytes b;
    Put32(&b, type);
    Put32(&b, (uint32_t)(8 + 4 * values.size()));
    for (uint32_t v : values)
        Put32(&b, v);
    return b;
}

PictureBytes EmfText(uint32_t chars, uint32_t stringAt, uint32_t spacingAt)
{
    // Bounds, graphics mode and scales, reference point, the text's count,
    // offset and options, its rectangle, the spacings' offset; then "Hi" and
    // two spacings.
    return EmfRecord(84, {0, 0, 99, 99, 1, 0, 0, 10, 20, chars, stringAt, 0, 0, 0, 99, 99,
                          spacingAt, 'H' | 'i' << 16, 8, 8});
}

PictureBytes ControlConvertedEmf()
{
    static const char hex[] =
        "010000006c0000000000000000000000ffffffffffffffff00000000000000006400000064000000"
        "20454d4600000100640100000d000000010000000000000000000000000000000005000000040000"
        "530100000f010000000000000000000000000000382c05009822040046000000580000004c000000"
        "47444943010000800003000000000000000000003400000001000900000322000000000005000000"
        "0000050000000b0200000000050000000c02640064000400000004010d0003000000000011000000"
        "0c000000080000000b00000010000000040000000400000009000000100000000400000004000000"
        "0a00000010000000000000000000000009000000100000006400000064000000140000000c000000"
        "0d000000250000000c00000007000080250000000c00000000000080300000000c0000000f000080"
        "4b0000001000000000000000050000000e00000014000000000000001000000014000000";
    PictureBytes b;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        b.push_back((uint8_t)std::stoi(std::string(hex + i, 2), nullptr, 16));
    return b;
}

std::string HexLines(const PictureBytes &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < bytes.size(); ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
        if (i % 64 == 63)
            hex += "\r\n";
    }
    return hex;
}
