// The picture forms a note's rich text carries, as the files of the window
// system lay them out (Windows metafiles, enhanced metafiles, device
// independent bitmaps), and the bounds a picture from outside is held to.
// No windows.h: the numbers are the file formats' own.
#pragma once
#include <cstddef>
#include <cstdint>

// Windows metafile record functions: the drawing a note's picture uses.
enum WmfFunction {
    WMF_EOF = 0x0000,
    WMF_SAVEDC = 0x001E,
    WMF_SETBKMODE = 0x0102,
    WMF_SETMAPMODE = 0x0103,
    WMF_SETROP2 = 0x0104,
    WMF_SETPOLYFILLMODE = 0x0106,
    WMF_SETSTRETCHBLTMODE = 0x0107,
    WMF_RESTOREDC = 0x0127,
    WMF_SELECTOBJECT = 0x012D,
    WMF_SETTEXTALIGN = 0x012E,
    WMF_DELETEOBJECT = 0x01F0,
    WMF_SETBKCOLOR = 0x0201,
    WMF_SETTEXTCOLOR = 0x0209,
    WMF_SETWINDOWORG = 0x020B,
    WMF_SETWINDOWEXT = 0x020C,
    WMF_SETVIEWPORTORG = 0x020D,
    WMF_SETVIEWPORTEXT = 0x020E,
    WMF_LINETO = 0x0213,
    WMF_MOVETO = 0x0214,
    WMF_CREATEPENINDIRECT = 0x02FA,
    WMF_CREATEFONTINDIRECT = 0x02FB,
    WMF_CREATEBRUSHINDIRECT = 0x02FC,
    WMF_POLYGON = 0x0324,
    WMF_POLYLINE = 0x0325,
    WMF_ELLIPSE = 0x0418,
    WMF_RECTANGLE = 0x041B,
    WMF_TEXTOUT = 0x0521,
    WMF_POLYPOLYGON = 0x0538,
    WMF_ROUNDRECT = 0x061C,
    WMF_EXTTEXTOUT = 0x0A32,
    WMF_DIBSTRETCHBLT = 0x0B41,
    WMF_STRETCHDIB = 0x0F43,
};

// Enhanced metafile record types.
enum EmfRecordType {
    EMR_HEADER = 1,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_SELECTPALETTE = 48,
    EMR_LINETO = 54,
    EMR_GDICOMMENT = 70,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
};

enum PictureFormatNumbers {
    WMF_HEADER_BYTES = 18,
    WMF_PLACEABLE_BYTES = 22,
    WMF_RECORD_HEAD_BYTES = 6,
    EMF_RECORD_HEAD_BYTES = 8,
    // The header with the pixel format and micrometre fields of later systems;
    // older writers stop at 88 bytes.
    EMF_HEADER_BYTES = 108,
    EMF_HEADER_OLD_BYTES = 88,
    EMF_EOF_BYTES = 20,
    EMF_STRETCHDIBITS_BYTES = 80,
    EMF_TEXT_RECORD_BYTES = 76,
    EMF_LOGFONTW_BYTES = 92,
    DIB_INFO_HEADER_BYTES = 40,
    DIB_V4_HEADER_BYTES = 108,
    DIB_V5_HEADER_BYTES = 124,
    DIB_RGB = 0,
    DIB_BITFIELDS = 3,
    MAP_MODE_TEXT = 1,
    MAP_MODE_ISOTROPIC = 7,
    MAP_MODE_ANISOTROPIC = 8,
    STRETCH_COLOR_ON_COLOR = 3,
    STOCK_OBJECT_FLAG = 0x80000000u,
    STOCK_OBJECT_LAST = 19,
    STOCK_DEFAULT_PALETTE = 15,
    REGION_COPY = 5,
    TEXT_OPAQUE = 0x0002,
    TEXT_CLIPPED = 0x0004,
    TEXT_GLYPH_INDEX = 0x0010,
    TEXT_RTL_READING = 0x0080,
    TEXT_PDY = 0x2000,
};

static_assert(WMF_HEADER_BYTES == 9 * 2, "a metafile header is nine words");
static_assert(EMF_HEADER_OLD_BYTES == 8 + 16 + 16 + 4 * 7 + 2 * 2 + 8 + 8,
              "type, size, bounds, frame, signature to palette, handles, two sizes");
static_assert(EMF_HEADER_BYTES == EMF_HEADER_OLD_BYTES + 3 * 4 + 8, "pixel format, OpenGL, micrometres");
static_assert(EMF_STRETCHDIBITS_BYTES == 8 + 16 + 6 * 4 + 4 * 4 + 2 * 4 + 2 * 4,
              "head, bounds, places, bitmap offsets, usage and raster operation, sizes");
static_assert(EMF_TEXT_RECORD_BYTES == 8 + 16 + 3 * 4 + 40, "head, bounds, mode and scales, text");

const uint32_t EMF_SIGNATURE = 0x464D4520; // " EMF"
const uint32_t EMF_VERSION = 0x00010000;
const uint32_t WMF_PLACEABLE_KEY = 0x9AC6CDD7;
const uint32_t ROP_SRCCOPY = 0x00CC0020;
const uint32_t ROP_SRCAND = 0x008800C6;
const uint32_t ROP_SRCPAINT = 0x00EE0086;
const uint32_t ROP_SRCINVERT = 0x00660046;

// What one picture from outside may cost. A note holds at most 1 MB of
// text, so these bound what the drawing does with it rather than its bytes.
enum PictureBounds {
    PICTURE_DATA_BYTES_MAX = 1024 * 1024,
    // 2048 x 2048: a screenful and more; the control and the drawing library
    // each keep a copy of the bits, four bytes a pixel once converted.
    PICTURE_PIXELS_MAX = 4 * 1024 * 1024,
    PICTURE_SIDE_PIXELS_MAX = 16384,
    // Shown size: 22 inches in twips, larger than any page.
    PICTURE_GOAL_TWIPS_MAX = 31680,
    PICTURE_SCALE_PERCENT_MAX = 1000,
    // Points of one line or polygon record, and of the whole picture: a chart
    // of many series has some thousands.
    PICTURE_RECORD_POINTS_MAX = 32768,
    PICTURE_POINTS_MAX = 262144,
    PICTURE_POLYGONS_MAX = 4096,
    PICTURE_RECORDS_MAX = 65536,
    PICTURE_TEXT_CHARS_MAX = 8192,
    PICTURE_OBJECTS_MAX = 1024,
    PICTURE_BITMAPS_MAX = 64,
    PICTURE_SAVED_STATES_MAX = 64,
    // Logical sizes beyond these are no drawing a note holds; they also keep
    // every product of two of them inside 32 bits.
    PICTURE_COORDINATE_MAX = 1 << 20,
    PICTURE_FONT_HEIGHT_MAX = 16384,
    PICTURE_PEN_WIDTH_MAX = 16384,
    // A font on the reference surface at most this many times the picture's
    // larger side; the fixed mappings enlarge at most 0.01 inch to 0.01 mm.
    PICTURE_FONT_FRAME_TIMES = 2,
    FIXED_MAPPING_SCALE_MAX = 26,
    // The enhanced metafiles we write: one unit 0.01 mm on a reference
    // surface 1 m square, so that the frame and the drawing share units.
    EMF_REFERENCE_MILLIMETRES = 1000,
    EMF_REFERENCE_UNITS = EMF_REFERENCE_MILLIMETRES * 100,
};

static_assert(PICTURE_PIXELS_MAX <= PICTURE_SIDE_PIXELS_MAX * PICTURE_SIDE_PIXELS_MAX,
              "the pixel bound is the tighter one");
static_assert((int64_t)PICTURE_GOAL_TWIPS_MAX * 2540 / 1440 < EMF_REFERENCE_UNITS,
              "the largest shown picture fits the reference surface");
