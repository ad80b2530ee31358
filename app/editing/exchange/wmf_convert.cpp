#include "wmf_convert.h"

#include <initializer_list>

#include "bitmap_metafile.h"
#include "emf_check.h"
#include "emf_writer.h"
#include "picture_bytes.h"
#include "picture_format.h"

namespace {

struct Conversion {
    EmfWriter writer;
    EmfRect bounds;
    std::vector<bool> objects; // the metafile's object table: which entries are taken
};

int32_t Word(const uint8_t *p, size_t i)
{
    return GetSigned16(p + 2 * i);
}

void Emit(Conversion *c, uint32_t type, std::initializer_list<int32_t> values)
{
    uint32_t fields[8];
    size_t count = 0;
    for (int32_t value : values)
        fields[count++] = (uint32_t)value;
    c->writer.Record(type, fields, count);
}

void AppendBounds(std::vector<uint8_t> *body, const EmfRect &r)
{
    Append32(body, (uint32_t)r.left);
    Append32(body, (uint32_t)r.top);
    Append32(body, (uint32_t)r.right);
    Append32(body, (uint32_t)r.bottom);
}

// A new object takes the lowest free entry of the table, as the player of
// the metafile's own system numbers them; it is that entry plus one in the
// enhanced metafile, where 0 is the metafile itself.
int TakeObject(Conversion *c)
{
    for (size_t i = 0; i < c->objects.size(); ++i)
        if (!c->objects[i]) {
            c->objects[i] = true;
            return (int)i + 1;
        }
    return -1;
}

bool TakenObject(const Conversion &c, uint32_t index)
{
    return index < c.objects.size() && c.objects[index];
}

// Points as the metafile holds them, x then y in 16 bits: the same as the
// enhanced metafile's 16-bit point records.
bool Points(Conversion *c, uint32_t type, const uint8_t *p, size_t bytes)
{
    if (bytes < 2)
        return false;
    uint64_t count = Get16(p);
    if (2 + 4 * count > bytes)
        return false;
    std::vector<uint8_t> body;
    AppendBounds(&body, c->bounds);
    Append32(&body, (uint32_t)count);
    body.insert(body.end(), p + 2, p + 2 + 4 * count);
    c->writer.RecordBytes(type, body.data(), body.size());
    return true;
}

bool PolyPolygon(Conversion *c, const uint8_t *p, size_t bytes)
{
    if (bytes < 2)
        return false;
    uint64_t polys = Get16(p);
    if (2 + 2 * polys > bytes)
        return false;
    uint64_t total = 0;
    for (uint64_t i = 0; i < polys; ++i)
        total += Get16(p + 2 + 2 * i);
    // The counts must describe points the record holds: the drawing library
    // walks them whatever the record's size says.
    const uint8_t *points = p + 2 + 2 * polys;
    if (2 + 2 * polys + 4 * total > bytes)
        return false;
    std::vector<uint8_t> body;
    AppendBounds(&body, c->bounds);
    Append32(&body, (uint32_t)polys);
    Append32(&body, (uint32_t)total);
    for (uint64_t i = 0; i < polys; ++i)
        Append32(&body, Get16(p + 2 + 2 * i));
    body.insert(body.end(), points, points + 4 * total);
    c->writer.RecordBytes(EMR_POLYPOLYGON16, body.data(), body.size());
    return true;
}

// Text of count bytes at x, y, with the spacing words when given.
void Text(Conversion *c, int32_t x, int32_t y, uint32_t options, const int32_t *rect,
          const uint8_t *chars, size_t count, const uint8_t *spacing)
{
    size_t padded = (count + 3) & ~(size_t)3;
    uint32_t stringAt = EMF_TEXT_RECORD_BYTES;
    uint32_t spacingAt = spacing ? stringAt + (uint32_t)padded : 0;
    std::vector<uint8_t> body;
    AppendBounds(&body, c->bounds);
    Append32(&body, 1); // the compatible graphics mode, the metafile's own
    Append32(&body, 0);
    Append32(&body, 0);
    Append32(&body, (uint32_t)x);
    Append32(&body, (uint32_t)y);
    Append32(&body, (uint32_t)count);
    Append32(&body, stringAt);
    Append32(&body, options);
    for (int i = 0; i < 4; ++i)
        Append32(&body, (uint32_t)(rect ? rect[i] : 0));
    Append32(&body, spacingAt);
    body.insert(body.end(), chars, chars + count);
    body.insert(body.end(), padded - count, 0);
    for (size_t i = 0; spacing && i < count; ++i)
        Append32(&body, (uint32_t)Word(spacing, i));
    c->writer.RecordBytes(EMR_EXTTEXTOUTA, body.data(), body.size());
}

bool TextOut(Conversion *c, const uint8_t *p, size_t bytes)
{
    if (bytes < 2)
        return false;
    size_t count = Get16(p), padded = (count + 1) & ~(size_t)1;
    if (2 + padded + 4 > bytes)
        return false;
    const uint8_t *place = p + 2 + padded;
    Text(c, Word(place, 1), Word(place, 0), 0, nullptr, p + 2, count, nullptr);
    return true;
}

bool ExtTextOut(Conversion *c, const uint8_t *p, size_t bytes)
{
    if (bytes < 8)
        return false;
    size_t count = Get16(p + 4);
    uint32_t options = Get16(p + 6);
    if (options & ~(uint32_t)(TEXT_OPAQUE | TEXT_CLIPPED | TEXT_GLYPH_INDEX | TEXT_RTL_READING))
        return false;
    size_t at = 8;
    int32_t rect[4];
    bool withRect = (options & (TEXT_OPAQUE | TEXT_CLIPPED)) != 0;
    if (withRect) {
        if (bytes < at + 8)
            return false;
        for (int i = 0; i < 4; ++i)
            rect[i] = Word(p + at, (size_t)i);
        at += 8;
    }
    size_t padded = (count + 1) & ~(size_t)1;
    if (at + padded > bytes)
        return false;
    // The spacings are there when the record has room for them.
    const uint8_t *spacing = bytes - at - padded >= 2 * count ? p + at + padded : nullptr;
    Text(c, Word(p, 1), Word(p, 0), options, withRect ? rect : nullptr, p + at, count, spacing);
    return true;
}

bool Font(Conversion *c, const uint8_t *p, size_t bytes)
{
    if (bytes < 18)
        return false;
    int index = TakeObject(c);
    if (index < 0)
        return false;
    std::vector<uint8_t> body;
    Append32(&body, (uint32_t)index);
    for (size_t i = 0; i < 5; ++i)
        Append32(&body, (uint32_t)Word(p, i));
    body.insert(body.end(), p + 10, p + 18);
    // The face name as far as the record holds it, widened a byte a
    // character, ended within its 32.
    size_t name = 0;
    for (; name < 31 && 18 + name < bytes && p[18 + name]; ++name)
        Append16(&body, p[18 + name]);
    body.insert(body.end(), 2 * (32 - name), 0);
    c->writer.RecordBytes(EMR_EXTCREATEFONTINDIRECTW, body.data(), body.size());
    return true;
}

// A bitmap drawn stretched; offset is where the packed bitmap starts, after
// the raster operation, any usage word and the eight place words.
bool StretchBitmap(Conversion *c, const uint8_t *p, size_t bytes, size_t placeAt)
{
    size_t dibAt = placeAt + 16;
    if (bytes < dibAt)
        return false;
    DibLayout layout;
    if (CheckPackedDib(p + dibAt, bytes - dibAt, &layout) != 0)
        return false;
    const uint8_t *w = p + placeAt;
    StretchPlace place = {Word(w, 7), Word(w, 6), Word(w, 5), Word(w, 4),
                          Word(w, 3), Word(w, 2), Word(w, 1), Word(w, 0), Get32(p)};
    const uint8_t *dib = p + dibAt;
    WriteStretchDib(&c->writer, c->bounds, place, dib, layout,
                    dib + layout.headerBytes + layout.tableBytes);
    return true;
}

// Records of one setting or one place: the same parameters in the enhanced
// record, checked there again. Places are y before x in the metafile.
struct SimpleRecord {
    uint16_t function;
    uint32_t type;
    enum { SIGNED_WORD, WORD, DOUBLE_WORD, PLACE } parameters;
};

const SimpleRecord SimpleRecords[] = {
    {WMF_RESTOREDC, EMR_RESTOREDC, SimpleRecord::SIGNED_WORD},
    {WMF_SETBKMODE, EMR_SETBKMODE, SimpleRecord::WORD},
    {WMF_SETMAPMODE, EMR_SETMAPMODE, SimpleRecord::WORD},
    {WMF_SETROP2, EMR_SETROP2, SimpleRecord::WORD},
    {WMF_SETPOLYFILLMODE, EMR_SETPOLYFILLMODE, SimpleRecord::WORD},
    {WMF_SETSTRETCHBLTMODE, EMR_SETSTRETCHBLTMODE, SimpleRecord::WORD},
    {WMF_SETTEXTALIGN, EMR_SETTEXTALIGN, SimpleRecord::WORD},
    {WMF_SETBKCOLOR, EMR_SETBKCOLOR, SimpleRecord::DOUBLE_WORD},
    {WMF_SETTEXTCOLOR, EMR_SETTEXTCOLOR, SimpleRecord::DOUBLE_WORD},
    {WMF_SETWINDOWORG, EMR_SETWINDOWORGEX, SimpleRecord::PLACE},
    {WMF_SETWINDOWEXT, EMR_SETWINDOWEXTEX, SimpleRecord::PLACE},
    {WMF_SETVIEWPORTORG, EMR_SETVIEWPORTORGEX, SimpleRecord::PLACE},
    {WMF_SETVIEWPORTEXT, EMR_SETVIEWPORTEXTEX, SimpleRecord::PLACE},
    {WMF_MOVETO, EMR_MOVETOEX, SimpleRecord::PLACE},
    {WMF_LINETO, EMR_LINETO, SimpleRecord::PLACE},
};

// 1 when function is one of the simple records and was translated, 0 when
// it was one that does not fit, -1 when it is none of them.
int TranslateSimple(Conversion *c, uint32_t function, const uint8_t *p, size_t bytes)
{
    for (const SimpleRecord &simple : SimpleRecords) {
        if (simple.function != function)
            continue;
        bool twoWords = simple.parameters == SimpleRecord::DOUBLE_WORD ||
                        simple.parameters == SimpleRecord::PLACE;
        if (bytes < (twoWords ? 4u : 2u))
            return 0;
        switch (simple.parameters) {
        case SimpleRecord::SIGNED_WORD:
            Emit(c, simple.type, {Word(p, 0)});
            break;
        case SimpleRecord::WORD:
            Emit(c, simple.type, {(int32_t)Get16(p)});
            break;
        case SimpleRecord::DOUBLE_WORD:
            Emit(c, simple.type, {(int32_t)Get32(p)});
            break;
        default:
            Emit(c, simple.type, {Word(p, 1), Word(p, 0)});
            break;
        }
        return 1;
    }
    return -1;
}

// One record: its function and its parameters of bytes.
bool Translate(Conversion *c, uint32_t function, const uint8_t *p, size_t bytes)
{
    int simple = TranslateSimple(c, function, p, bytes);
    if (simple >= 0)
        return simple == 1;
    auto needs = [&](size_t words) { return bytes >= 2 * words; };
    switch (function) {
    case WMF_SAVEDC:
        Emit(c, EMR_SAVEDC, {});
        return true;
    // Rectangles are bottom, right, top, left.
    case WMF_RECTANGLE:
    case WMF_ELLIPSE:
        return needs(4) && (Emit(c, function == WMF_RECTANGLE ? EMR_RECTANGLE : EMR_ELLIPSE,
                                 {Word(p, 3), Word(p, 2), Word(p, 1), Word(p, 0)}),
                            true);
    case WMF_ROUNDRECT:
        return needs(6) &&
               (Emit(c, EMR_ROUNDRECT, {Word(p, 5), Word(p, 4), Word(p, 3), Word(p, 2), Word(p, 1), Word(p, 0)}),
                true);
    case WMF_POLYGON:
        return Points(c, EMR_POLYGON16, p, bytes);
    case WMF_POLYLINE:
        return Points(c, EMR_POLYLINE16, p, bytes);
    case WMF_POLYPOLYGON:
        return PolyPolygon(c, p, bytes);
    case WMF_TEXTOUT:
        return TextOut(c, p, bytes);
    case WMF_EXTTEXTOUT:
        return ExtTextOut(c, p, bytes);
    case WMF_CREATEPENINDIRECT: {
        int index = needs(5) ? TakeObject(c) : -1;
        return index > 0 &&
               (Emit(c, EMR_CREATEPEN, {index, (int32_t)Get16(p), Word(p, 1), Word(p, 2), (int32_t)Get32(p + 6)}),
                true);
    }
    case WMF_CREATEBRUSHINDIRECT: {
        int index = needs(4) ? TakeObject(c) : -1;
        return index > 0 &&
               (Emit(c, EMR_CREATEBRUSHINDIRECT, {index, (int32_t)Get16(p), (int32_t)Get32(p + 2), (int32_t)Get16(p + 6)}),
                true);
    }
    case WMF_CREATEFONTINDIRECT:
        return Font(c, p, bytes);
    case WMF_SELECTOBJECT:
        return needs(1) && TakenObject(*c, Get16(p)) &&
               (Emit(c, EMR_SELECTOBJECT, {(int32_t)Get16(p) + 1}), true);
    case WMF_DELETEOBJECT:
        if (!needs(1) || !TakenObject(*c, Get16(p)))
            return false;
        c->objects[Get16(p)] = false;
        Emit(c, EMR_DELETEOBJECT, {(int32_t)Get16(p) + 1});
        return true;
    case WMF_STRETCHDIB:
        // Colours from the bitmap's own table only.
        return needs(3) && Get16(p + 4) == 0 && StretchBitmap(c, p, bytes, 6);
    case WMF_DIBSTRETCHBLT:
        return StretchBitmap(c, p, bytes, 4);
    default:
        return false;
    }
}

} // namespace

int ConvertWindowsMetafile(const uint8_t *data, size_t size, int32_t width, int32_t height,
                           std::vector<uint8_t> *emf)
{
    if (!data || width < 1 || height < 1)
        return -1;
    // The placeable header of metafile files says where the drawing lies;
    // the note's picture says so itself.
    if (size >= WMF_PLACEABLE_BYTES && Get32(data) == WMF_PLACEABLE_KEY) {
        data += WMF_PLACEABLE_BYTES;
        size -= WMF_PLACEABLE_BYTES;
    }
    if (size < WMF_HEADER_BYTES)
        return -1;
    uint32_t kind = Get16(data), headerWords = Get16(data + 2), version = Get16(data + 4);
    uint32_t objects = Get16(data + 10);
    if ((kind != 1 && kind != 2) || headerWords * 2 != WMF_HEADER_BYTES ||
        (version != 0x0100 && version != 0x0300) || objects > PICTURE_OBJECTS_MAX - 1)
        return -1;
    Conversion c;
    EmfPlace place = ReferencePlace(width, height);
    c.bounds = place.bounds;
    c.objects.assign(objects, false);
    // The logical space fills the frame until the drawing says otherwise.
    Emit(&c, EMR_SETMAPMODE, {MAP_MODE_ANISOTROPIC});
    Emit(&c, EMR_SETWINDOWEXTEX, {width, height});
    Emit(&c, EMR_SETVIEWPORTEXTEX, {width, height});
    size_t at = WMF_HEADER_BYTES, records = 0;
    while (at < size) {
        if (size - at < WMF_RECORD_HEAD_BYTES || ++records > PICTURE_RECORDS_MAX)
            return -1;
        const uint8_t *r = data + at;
        uint64_t length = (uint64_t)Get32(r) * 2;
        uint32_t function = Get16(r + 4);
        if (length < WMF_RECORD_HEAD_BYTES || length > size - at)
            return -1;
        if (function == WMF_EOF)
            break;
        if (!Translate(&c, function, r + WMF_RECORD_HEAD_BYTES, (size_t)length - WMF_RECORD_HEAD_BYTES))
            return -1;
        at += (size_t)length;
    }
    c.writer.UseHandle(objects);
    std::vector<uint8_t> written = c.writer.Finish(place);
    // What the records said is held to the enhanced metafile's own bounds.
    return CheckEnhancedMetafile(written.data(), written.size(), emf, nullptr);
}
