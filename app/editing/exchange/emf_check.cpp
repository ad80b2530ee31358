#include "emf_check.h"

#include "dib_check.h"
#include "picture_bytes.h"
#include "picture_format.h"

namespace {

// What the records so far have spent of a picture's bounds.
// The extents of the mapping in force, as far as they enlarge a font.
struct Mapping {
    int64_t window[2], viewport[2];
    bool fixed;
};

struct EmfState {
    uint32_t handles;
    size_t points, bitmaps, pixels;
    Mapping mapping;             // a player starts at one unit a device unit
    std::vector<Mapping> saved;  // by the states saved on the way
    // How large a font can become on the reference surface: the largest font
    // made so far, as the mapping in force at each text draws it.
    int64_t largestFont;
    double largestText;
};

bool InRange(int64_t value, int64_t low, int64_t high)
{
    return value >= low && value <= high;
}

bool Coordinate(const uint8_t *p)
{
    return InRange(GetSigned32(p), -PICTURE_COORDINATE_MAX, PICTURE_COORDINATE_MAX);
}

bool Coordinates(const uint8_t *p, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (!Coordinate(p + 4 * i))
            return false;
    return true;
}

// A colour value, not a palette index.
bool PlainColour(uint32_t colour)
{
    return (colour >> 24) == 0;
}

bool SpendPoints(EmfState *state, uint64_t count)
{
    if (count > PICTURE_RECORD_POINTS_MAX || state->points + count > PICTURE_POINTS_MAX)
        return false;
    state->points += (size_t)count;
    return true;
}

bool NewHandle(const EmfState &state, uint32_t index)
{
    return index >= 1 && index < state.handles;
}

bool UsedHandle(const EmfState &state, uint32_t index)
{
    if (index & STOCK_OBJECT_FLAG)
        return (index & ~STOCK_OBJECT_FLAG) <= STOCK_OBJECT_LAST;
    return NewHandle(state, index);
}

// One point list: 32-bit points (8 bytes) or 16-bit ones (4), after a
// bounds rectangle and the count.
bool CheckPoly(const uint8_t *r, size_t size, size_t pointBytes, EmfState *state)
{
    if (size < 28)
        return false;
    uint64_t count = Get32(r + 24);
    if (count < 1 || !SpendPoints(state, count) || 28 + count * pointBytes > size)
        return false;
    return pointBytes == 4 || Coordinates(r + 28, (size_t)count * 2);
}

// Polygons or lines, each of at least two points, whose counts add up to the
// points the record holds.
bool CheckPolyPoly(const uint8_t *r, size_t size, size_t pointBytes, EmfState *state)
{
    if (size < 32)
        return false;
    uint64_t polys = Get32(r + 24), total = Get32(r + 28);
    if (polys < 1 || polys > PICTURE_POLYGONS_MAX || !SpendPoints(state, total))
        return false;
    if (32 + 4 * polys + total * pointBytes > size)
        return false;
    uint64_t sum = 0;
    for (uint64_t i = 0; i < polys; ++i) {
        uint32_t count = Get32(r + 32 + 4 * i);
        if (count < 2)
            return false;
        sum += count;
    }
    return sum == total &&
           (pointBytes == 4 || Coordinates(r + 32 + 4 * polys, (size_t)total * 2));
}

bool CheckText(const uint8_t *r, size_t size, size_t charBytes)
{
    if (size < EMF_TEXT_RECORD_BYTES)
        return false;
    uint32_t mode = Get32(r + 24);
    uint64_t chars = Get32(r + 44), stringAt = Get32(r + 48), options = Get32(r + 52);
    uint64_t spacingAt = Get32(r + 72);
    const uint32_t known = TEXT_OPAQUE | TEXT_CLIPPED | TEXT_GLYPH_INDEX | TEXT_RTL_READING | TEXT_PDY;
    if ((mode != 1 && mode != 2) || (options & ~known) || chars > PICTURE_TEXT_CHARS_MAX)
        return false;
    if (!Coordinates(r + 36, 2) || !Coordinates(r + 56, 4))
        return false;
    if (chars == 0)
        return true;
    if (stringAt < EMF_TEXT_RECORD_BYTES || stringAt + chars * charBytes > size)
        return false;
    // Without spacings the player measures the text itself.
    uint64_t spacing = chars * 4 * ((options & TEXT_PDY) ? 2 : 1);
    return spacingAt == 0 || (spacingAt >= EMF_TEXT_RECORD_BYTES && spacingAt + spacing <= size);
}

bool CheckStretchDib(const uint8_t *r, size_t size, EmfState *state)
{
    if (size < EMF_STRETCHDIBITS_BYTES)
        return false;
    uint64_t infoAt = Get32(r + 48), infoBytes = Get32(r + 52);
    uint64_t bitsAt = Get32(r + 56), bitsBytes = Get32(r + 60);
    uint32_t usage = Get32(r + 64), rop = Get32(r + 68);
    if (infoAt < EMF_STRETCHDIBITS_BYTES || infoAt + infoBytes > size ||
        bitsAt < EMF_STRETCHDIBITS_BYTES || bitsAt + bitsBytes > size)
        return false;
    if (usage != 0 ||
        (rop != ROP_SRCCOPY && rop != ROP_SRCAND && rop != ROP_SRCPAINT && rop != ROP_SRCINVERT))
        return false;
    DibLayout layout;
    if (CheckDibHeader(r + infoAt, (size_t)infoBytes, &layout) != 0 || layout.bitsBytes > bitsBytes)
        return false;
    int64_t rows = layout.height < 0 ? -(int64_t)layout.height : layout.height;
    int64_t sourceX = GetSigned32(r + 32), sourceY = GetSigned32(r + 36);
    int64_t sourceWidth = GetSigned32(r + 40), sourceHeight = GetSigned32(r + 44);
    if (sourceX < 0 || sourceY < 0 || sourceWidth < 1 || sourceHeight < 1 ||
        sourceX + sourceWidth > layout.width || sourceY + sourceHeight > rows)
        return false;
    if (!Coordinates(r + 24, 2) || !Coordinates(r + 72, 2) || GetSigned32(r + 72) == 0 ||
        GetSigned32(r + 76) == 0)
        return false;
    uint64_t pixels = (uint64_t)layout.width * (uint64_t)rows;
    if (++state->bitmaps > PICTURE_BITMAPS_MAX || state->pixels + pixels > PICTURE_PIXELS_MAX)
        return false;
    state->pixels += (size_t)pixels;
    return true;
}

bool CheckFont(const uint8_t *r, size_t size, const EmfState &state)
{
    if (size < 12 + EMF_LOGFONTW_BYTES || !NewHandle(state, Get32(r + 8)))
        return false;
    const uint8_t *font = r + 12;
    if (!InRange(GetSigned32(font), -PICTURE_FONT_HEIGHT_MAX, PICTURE_FONT_HEIGHT_MAX) ||
        !InRange(GetSigned32(font + 4), -PICTURE_FONT_HEIGHT_MAX, PICTURE_FONT_HEIGHT_MAX) ||
        !InRange(GetSigned32(font + 8), -3600, 3600) || !InRange(GetSigned32(font + 12), -3600, 3600) ||
        !InRange(GetSigned32(font + 16), 0, 1000))
        return false;
    // The face name ends within its 32 characters.
    for (int i = 0; i < 32; ++i)
        if (Get16(font + 28 + 2 * i) == 0)
            return true;
    return false;
}

bool CheckPen(const uint8_t *r, size_t size, const EmfState &state)
{
    return size >= 28 && NewHandle(state, Get32(r + 8)) && Get32(r + 12) <= 6 &&
           InRange(GetSigned32(r + 16), 0, PICTURE_PEN_WIDTH_MAX) && PlainColour(Get32(r + 24));
}

bool CheckBrush(const uint8_t *r, size_t size, const EmfState &state)
{
    if (size < 24 || !NewHandle(state, Get32(r + 8)) || !PlainColour(Get32(r + 16)))
        return false;
    uint32_t style = Get32(r + 12);
    return style <= 1 || (style == 2 && Get32(r + 20) <= 5);
}

// A record with one number, which must lie in low..high.
bool CheckSetting(const uint8_t *r, size_t size, uint32_t low, uint32_t high)
{
    return size >= 12 && Get32(r + 8) >= low && Get32(r + 8) <= high;
}

// The largest font so far as the mapping in force draws it.
void MeasureText(EmfState *state)
{
    const Mapping &m = state->mapping;
    double scale = 1;
    for (int i = 0; i < 2; ++i) {
        double axis = (double)m.viewport[i] / (double)m.window[i];
        scale = axis > scale ? axis : scale;
    }
    if (m.fixed && scale < FIXED_MAPPING_SCALE_MAX)
        scale = FIXED_MAPPING_SCALE_MAX;
    double font = (double)state->largestFont * scale;
    state->largestText = font > state->largestText ? font : state->largestText;
}

// The record at r, of size bytes, is one a note's picture may hold.
bool CheckRecord(uint32_t type, const uint8_t *r, size_t size, EmfState *state)
{
    switch (type) {
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX:
        if (size < 16 || !Coordinates(r + 8, 2))
            return false;
        for (int i = 0; i < 2; ++i) {
            int64_t extent = GetSigned32(r + 8 + 4 * i);
            extent = extent < 0 ? -extent : extent;
            // The library refuses an extent of 0 and keeps the one before.
            if (extent)
                (type == EMR_SETWINDOWEXTEX ? state->mapping.window : state->mapping.viewport)[i] = extent;
        }
        return true;
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_MOVETOEX:
    case EMR_LINETO:
        return size >= 16 && Coordinates(r + 8, 2);
    case EMR_SETMAPMODE:
        // The modes of fixed units, 0.1 mm to 0.01 inch a unit.
        if (size >= 12)
            state->mapping.fixed = Get32(r + 8) > MAP_MODE_TEXT && Get32(r + 8) < MAP_MODE_ISOTROPIC;
        return CheckSetting(r, size, MAP_MODE_TEXT, MAP_MODE_ANISOTROPIC);
    case EMR_SETBKMODE:
    case EMR_SETPOLYFILLMODE:
        return CheckSetting(r, size, 1, 2);
    case EMR_SETROP2:
        return CheckSetting(r, size, 1, 16);
    case EMR_SETSTRETCHBLTMODE:
        return CheckSetting(r, size, 1, 4);
    case EMR_SETTEXTALIGN:
        return size >= 12 && (Get32(r + 8) & ~0x11Fu) == 0;
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR:
        return size >= 12 && PlainColour(Get32(r + 8));
    case EMR_SAVEDC:
        if (state->saved.size() >= PICTURE_SAVED_STATES_MAX)
            return false;
        state->saved.push_back(state->mapping);
        return true;
    case EMR_RESTOREDC: {
        if (size < 12)
            return false;
        int64_t back = GetSigned32(r + 8);
        if (back > -1 || -back > (int64_t)state->saved.size())
            return false;
        state->mapping = state->saved[state->saved.size() + (size_t)back];
        state->saved.resize(state->saved.size() + (size_t)back);
        return true;
    }
    case EMR_SELECTOBJECT:
        return size >= 12 && UsedHandle(*state, Get32(r + 8));
    case EMR_SELECTPALETTE:
        // A picture makes no palette of its own (the record that would is
        // refused): only the system's default one can be selected.
        return size >= 12 && Get32(r + 8) == (STOCK_OBJECT_FLAG | STOCK_DEFAULT_PALETTE);
    case EMR_EXTSELECTCLIPRGN:
        // Only the reset to no clipping, which carries no region: a region's
        // rectangles are counted by its own header, which the player trusts.
        return size >= 16 && Get32(r + 8) == 0 && Get32(r + 12) == REGION_COPY;
    case EMR_DELETEOBJECT:
        return size >= 12 && NewHandle(*state, Get32(r + 8));
    case EMR_CREATEPEN:
        return CheckPen(r, size, *state);
    case EMR_CREATEBRUSHINDIRECT:
        return CheckBrush(r, size, *state);
    case EMR_EXTCREATEFONTINDIRECTW:
        if (!CheckFont(r, size, *state))
            return false;
        for (int i = 0; i < 2; ++i) {
            int64_t extent = GetSigned32(r + 12 + 4 * i);
            extent = extent < 0 ? -extent : extent;
            state->largestFont = extent > state->largestFont ? extent : state->largestFont;
        }
        return true;
    case EMR_ELLIPSE:
    case EMR_RECTANGLE:
        return size >= 24 && Coordinates(r + 8, 4);
    case EMR_ROUNDRECT:
        return size >= 32 && Coordinates(r + 8, 6);
    case EMR_POLYGON:
    case EMR_POLYLINE:
        return CheckPoly(r, size, 8, state);
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
        return CheckPoly(r, size, 4, state);
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE:
        return CheckPolyPoly(r, size, 8, state);
    case EMR_POLYPOLYGON16:
    case EMR_POLYPOLYLINE16:
        return CheckPolyPoly(r, size, 4, state);
    case EMR_EXTTEXTOUTA:
        return CheckText(r, size, 1) && (MeasureText(state), true);
    case EMR_EXTTEXTOUTW:
        return CheckText(r, size, 2) && (MeasureText(state), true);
    case EMR_STRETCHDIBITS:
        return CheckStretchDib(r, size, state);
    default:
        return false;
    }
}

bool CheckRectangle(const uint8_t *p)
{
    return Coordinates(p, 4) && GetSigned32(p + 8) >= GetSigned32(p) &&
           GetSigned32(p + 12) >= GetSigned32(p + 4);
}

// The header: what it says of the whole and where the drawing lies.
int CheckHeader(const uint8_t *data, size_t size, EmfPlace *place, size_t *extent, uint32_t *handles)
{
    if (size < EMF_HEADER_OLD_BYTES || Get32(data) != EMR_HEADER)
        return -1;
    uint64_t headerBytes = Get32(data + 4), whole = Get32(data + 48);
    if (headerBytes < EMF_HEADER_OLD_BYTES || headerBytes % 4 || headerBytes > size ||
        Get32(data + 40) != EMF_SIGNATURE || Get32(data + 44) != EMF_VERSION)
        return -1;
    if (whole < headerBytes + EMF_EOF_BYTES || whole > size)
        return -1;
    // An empty drawing's bounds are written the wrong way round.
    if (!Coordinates(data + 8, 4) || !CheckRectangle(data + 24) ||
        GetSigned32(data + 32) <= GetSigned32(data + 24) ||
        GetSigned32(data + 36) <= GetSigned32(data + 28))
        return -1;
    int64_t device[4];
    for (int i = 0; i < 4; ++i)
        device[i] = GetSigned32(data + 72 + 4 * i);
    if (!InRange(device[0], 1, PICTURE_COORDINATE_MAX) || !InRange(device[1], 1, PICTURE_COORDINATE_MAX) ||
        !InRange(device[2], 1, PICTURE_COORDINATE_MAX) || !InRange(device[3], 1, PICTURE_COORDINATE_MAX))
        return -1;
    *handles = Get16(data + 56);
    if (*handles > PICTURE_OBJECTS_MAX)
        return -1;
    if (*handles == 0)
        *handles = 1;
    place->bounds = {GetSigned32(data + 8), GetSigned32(data + 12), GetSigned32(data + 16),
                     GetSigned32(data + 20)};
    place->frame = {GetSigned32(data + 24), GetSigned32(data + 28), GetSigned32(data + 32),
                    GetSigned32(data + 36)};
    place->deviceWidth = (int32_t)device[0];
    place->deviceHeight = (int32_t)device[1];
    place->millimetresWide = (int32_t)device[2];
    place->millimetresHigh = (int32_t)device[3];
    *extent = (size_t)whole;
    return 0;
}

// Glyphs are drawn whole, however little of them shows: a font the mapping
// makes a million pixels high costs the drawing library its memory. The
// largest font any mapping of the picture could make must stay within a few
// times the picture's own size.
bool FontsFitThePicture(const EmfState &state, const EmfPlace &place)
{
    double wide = ((double)place.frame.right - place.frame.left) * place.deviceWidth /
                  (100.0 * place.millimetresWide);
    double high = ((double)place.frame.bottom - place.frame.top) * place.deviceHeight /
                  (100.0 * place.millimetresHigh);
    double side = wide > high ? wide : high;
    return state.largestText <= PICTURE_FONT_FRAME_TIMES * side;
}

} // namespace

int CheckEnhancedMetafile(const uint8_t *data, size_t size, std::vector<uint8_t> *out,
                          EmfPlace *where)
{
    EmfPlace place;
    size_t extent = 0;
    EmfState state = {0, 0, 0, 0, {{1, 1}, {1, 1}, false}, {}, 0, 0};
    if (!data || CheckHeader(data, size, &place, &extent, &state.handles) != 0)
        return -1;
    EmfWriter writer;
    size_t at = Get32(data + 4), records = 1;
    for (;;) {
        if (extent - at < EMF_RECORD_HEAD_BYTES || ++records > PICTURE_RECORDS_MAX)
            return -1;
        const uint8_t *r = data + at;
        uint32_t type = Get32(r);
        uint64_t length = Get32(r + 4);
        if (length < EMF_RECORD_HEAD_BYTES || length % 4 || length > extent - at)
            return -1;
        if (type == EMR_EOF) {
            if (length < EMF_EOF_BYTES)
                return -1;
            break;
        }
        if (type != EMR_GDICOMMENT) {
            if (!CheckRecord(type, r, (size_t)length, &state))
                return -1;
            if (out)
                writer.RecordBytes(type, r + EMF_RECORD_HEAD_BYTES, (size_t)length - EMF_RECORD_HEAD_BYTES);
        }
        at += (size_t)length;
    }
    if (!FontsFitThePicture(state, place))
        return -1;
    writer.UseHandle(state.handles - 1);
    if (out)
        *out = writer.Finish(place);
    if (where)
        *where = place;
    return 0;
}
