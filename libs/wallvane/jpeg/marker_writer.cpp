// The encoder's marker segments, each assembled whole and handed to the
// output stream, which first ends any entropy-coded bits.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "jpeg_encoder.h"
#include "jpeg_platform.h"

namespace {

// A segment being assembled: marker, length and contents.
struct Segment {
    uint8_t bytes[2 + 2 + 16 + 256 + 64];
    int size = 0;
    void Byte(int b) { bytes[size++] = (uint8_t)b; }
    void Word(int w)
    {
        Byte(w >> 8);
        Byte(w);
    }
    void Marker(int code)
    {
        Byte(0xFF);
        Byte(code);
    }
    // The length counts itself and the contents after it.
    void Length(int contentBytes) { Word(contentBytes + 2); }
};

int Hand(JpgBitOutput *out, const Segment &segment)
{
    return out->dispatch->out_write_bytes(segment.bytes, segment.size, out);
}

int MarkerOnly(JpgBitOutput *out, int code)
{
    Segment s;
    s.Marker(code);
    return Hand(out, s);
}

// One table of a DHT segment: class and identifier, counts, values.
void PutHuffmanTable(Segment *s, const uint8_t bits[16], const uint8_t *values, int count, int tableClass,
                     int tableId)
{
    s->Byte(tableClass << 4 | tableId);
    for (int i = 0; i < 16; i++)
        s->Byte(bits[i]);
    for (int i = 0; i < count; i++)
        s->Byte(values[i]);
}

int ValueCount(const uint8_t bits[16])
{
    int n = 0;
    for (int i = 0; i < 16; i++)
        n += bits[i];
    return n;
}

int WriteFrame(JpgBitOutput *out, const JPEG_PROPERTIES *props, int marker, int firstIdentifier)
{
    int count = props->componentCount;
    Segment s;
    s.Marker(marker);
    s.Length(6 + 3 * count);
    s.Byte(8);
    s.Word(props->jpgHeight);
    s.Word(props->jpgWidth);
    s.Byte(count);
    for (int c = 0; c < count; c++) {
        const JpgFrameComponent &fc = props->components[c];
        s.Byte(count == 1 ? 0 : firstIdentifier + c);
        s.Byte(count == 1 ? 0x11 : fc.h << 4 | fc.v);
        s.Byte(fc.tq);
    }
    return Hand(out, s);
}

int TableByte(const JPEG_PROPERTIES *props, int component)
{
    return props->dcTableOf[component] << 4 | props->acTableOf[component];
}

} // namespace

int JpgWriteSoi(JpgBitOutput *out)
{
    return MarkerOnly(out, JPG_SOI);
}

int JpgWriteEoi(JpgBitOutput *out)
{
    return MarkerOnly(out, JPG_EOI);
}

int JpgWriteApp0(JpgBitOutput *out, const JPEG_PROPERTIES *props)
{
    Segment s;
    s.Marker(JPG_APP0);
    s.Length(14);
    for (const char *c = "JFIF"; *c; c++)
        s.Byte(*c);
    s.Byte(0);
    s.Word(props->jfifVersion);
    s.Byte(props->densityUnits);
    s.Word(props->xDensity);
    s.Word(props->yDensity);
    s.Byte(0);
    s.Byte(0);
    return Hand(out, s);
}

int JpgWriteApp14(JpgBitOutput *out, const JPEG_PROPERTIES *props, int transform)
{
    Segment s;
    s.Marker(JPG_APP14);
    s.Length(12);
    for (const char *c = "Adobe"; *c; c++)
        s.Byte(*c);
    s.Word(props->adobeVersion);
    s.Word(props->adobeFlags0);
    s.Word(props->adobeFlags1);
    s.Byte(transform);
    return Hand(out, s);
}

namespace {

struct CommentCopy {
    uint8_t *to;
    const char *from;
    int size;
};

int CopyComment(void *context)
{
    CommentCopy *copy = static_cast<CommentCopy *>(context);
    memcpy(copy->to, copy->from, (size_t)copy->size);
    return 0;
}

} // namespace

int JpgWriteComment(JpgBitOutput *out, JPEG_PROPERTIES *props)
{
    enum { MOST_COMMENT_BYTES = 65531 };
    if (props->jpegComment) {
        int size = props->jpegCommentSize;
        if (size == 0)
            return 0;
        if (size > MOST_COMMENT_BYTES) {
            size = MOST_COMMENT_BYTES;
            props->jpegCommentSize = (uint16_t)size;
        }
        uint8_t *buffer = static_cast<uint8_t *>(malloc((size_t)size + 4));
        if (!buffer)
            return JPG_ERR_MEMORY;
        buffer[0] = 0xFF;
        buffer[1] = JPG_COM;
        buffer[2] = (uint8_t)((size + 2) >> 8);
        buffer[3] = (uint8_t)(size + 2);
        // The caller's buffer may be shorter than it says.
        CommentCopy copy = {buffer + 4, props->jpegComment, size};
        int result = JpgRunGuarded(CopyComment, &copy) == 0 ? 0 : JPG_ERR_COMMENT_ACCESS;
        if (result == 0)
            result = out->dispatch->out_write_bytes(buffer, size + 4, out);
        free(buffer);
        return result;
    }
    static const char Format[] = "Kestrova JPEG Codec, version %s";
    char text[128];
    int length = snprintf(text, sizeof text, Format, JpgLibGetVersion()->buildText);
    if (length <= (int)strlen(Format) || length >= (int)sizeof text)
        return 0;
    Segment s;
    s.Marker(JPG_COM);
    s.Length(length + 1);
    for (int i = 0; i <= length; i++)
        s.Byte(text[i]);
    return Hand(out, s);
}

int JpgWriteSof0(JpgBitOutput *out, const JPEG_PROPERTIES *props)
{
    return WriteFrame(out, props, JPG_SOF0, 1);
}

int JpgWriteSof2(JpgBitOutput *out, const JPEG_PROPERTIES *props)
{
    return WriteFrame(out, props, JPG_SOF2, 0);
}

int JpgWriteDqt(JpgBitOutput *out, int precision, int tableId, const int16_t *zigzag)
{
    Segment s;
    s.Marker(JPG_DQT);
    s.Length(1 + 64 * (precision ? 2 : 1));
    s.Byte(precision << 4 | tableId);
    for (int k = 0; k < 64; k++) {
        if (precision)
            s.Word((uint16_t)zigzag[k]);
        else
            s.Byte(zigzag[k] & 0xFF);
    }
    return Hand(out, s);
}

int JpgWriteDht(JpgBitOutput *out, const uint8_t bits[16], const uint8_t *values, int tableClass, int tableId)
{
    int n = ValueCount(bits);
    if (19 + n > 324)
        return JPG_ERR_BAD_HUFFMAN;
    Segment s;
    s.Marker(JPG_DHT);
    s.Length(17 + n);
    PutHuffmanTable(&s, bits, values, n, tableClass, tableId);
    return Hand(out, s);
}

int JpgWriteDhtAll(JpgBitOutput *out, const JPEG_PROPERTIES *props, int pairs)
{
    int total = 0;
    for (int k = 0; k < 2 * pairs; k++) {
        const JpgRawHuffSlot &slot = props->rawHuff[k];
        if (!slot.bits || !slot.values)
            return JPG_ERR_NO_HUFFMAN;
        total += ValueCount(slot.bits);
    }
    Segment head;
    head.Marker(JPG_DHT);
    head.Length(17 * 2 * pairs + total);
    int result = Hand(out, head);
    // rawHuff is kept identifier by identifier, DC before AC.
    for (int k = 0; k < 2 * pairs && result == 0; k++) {
        const JpgRawHuffSlot &slot = props->rawHuff[k];
        int n = ValueCount(slot.bits);
        if (17 + n > 324)
            return JPG_ERR_BAD_HUFFMAN;
        Segment s;
        PutHuffmanTable(&s, slot.bits, slot.values, n, k & 1, k >> 1);
        result = Hand(out, s);
    }
    return result;
}

int JpgWriteSos(JpgBitOutput *out, const JPEG_PROPERTIES *props)
{
    int count = props->componentCount;
    Segment s;
    s.Marker(JPG_SOS);
    s.Length(4 + 2 * count);
    s.Byte(count);
    for (int c = 0; c < count; c++) {
        s.Byte(count == 1 ? 0 : c + 1);
        s.Byte(count == 1 ? 0 : TableByte(props, c));
    }
    s.Byte(0);
    s.Byte(63);
    s.Byte(0);
    return Hand(out, s);
}

int JpgWriteSosProgressive(JpgBitOutput *out, const JPEG_PROPERTIES *props, const JpgScan *scan)
{
    Segment s;
    s.Marker(JPG_SOS);
    s.Length(4 + 2 * scan->ns);
    s.Byte(scan->ns);
    for (int i = 0; i < scan->ns; i++) {
        int component = scan->components[i].frameIndex;
        s.Byte(component);
        s.Byte(TableByte(props, component));
    }
    s.Byte(scan->ss);
    s.Byte(scan->se);
    s.Byte(scan->ah << 4 | scan->al);
    return Hand(out, s);
}

int JpgWriteDri(JpgBitOutput *out, int interval)
{
    Segment s;
    s.Marker(JPG_DRI);
    s.Length(2);
    s.Word(interval);
    return Hand(out, s);
}

int JpgWriteRst(JpgBitOutput *out, int n)
{
    if (n < 0 || n > 7)
        return JPG_ERR_BAD_RST;
    return MarkerOnly(out, JPG_RST0 + n);
}
