// Pictures for the tests, laid out by hand field by field as the window
// system's file formats describe them: bitmaps, Windows metafiles and
// enhanced metafiles, sound or lying. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using PictureBytes = std::vector<uint8_t>;

void Put16(PictureBytes *b, uint32_t v);
void Put32(PictureBytes *b, uint32_t v);
uint32_t At32(const PictureBytes &b, size_t at);

// A packed bitmap: a 40-byte header, the colour table, the rows.
PictureBytes Dib(int32_t width, int32_t height, int bitCount, const PictureBytes &table,
                 const PictureBytes &bits, uint32_t compression = 0, uint32_t used = 0);
// 2 x 2 at 24 bits, bottom row first: blue, green / red, white.
PictureBytes QuadrantDib();

// A Windows metafile: the nine-word header, then records of words.
struct Wmf {
    PictureBytes bytes;
    explicit Wmf(int objects = 4);
    Wmf &Record(uint16_t function, std::vector<int> words);
    Wmf &RecordBytes(uint16_t function, const PictureBytes &params);
    PictureBytes End();
};

// Text in words, two characters each, the last padded with a zero.
std::vector<int> Chars(const std::string &text);

// 100 x 100 logical units: white ground, a red square over the top-left
// quarter, a blue one over the bottom-right, no outlines.
PictureBytes SquaresWmf();
// A polypolygon record claiming 16 polygons of 32,767 points in 16 bytes.
PictureBytes LyingPolyPolygonWmf();

// An enhanced metafile: the 88-byte header of older writers, the records,
// and the end record.
PictureBytes Emf(const std::vector<PictureBytes> &records, uint32_t handles = 4);
PictureBytes EmfRecord(uint32_t type, std::vector<uint32_t> values);
// EMR_EXTTEXTOUTW of "Hi" with its spacings, the offsets as given.
PictureBytes EmfText(uint32_t chars, uint32_t stringAt, uint32_t spacingAt);
// What the system's rich-edit control writes of a note given a small
// Windows metafile: its own conversion, with the metafile in a comment, the
// default palette selected and the clipping reset.
PictureBytes ControlConvertedEmf();

// Lower-case hex digits, a line break every 64 bytes, as writers of rich
// text lay picture data out.
std::string HexLines(const PictureBytes &bytes);
