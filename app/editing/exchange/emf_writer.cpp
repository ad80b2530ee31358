#include "emf_writer.h"

#include <utility>

#include "picture_bytes.h"
#include "picture_format.h"

EmfWriter::EmfWriter() : bytes(EMF_HEADER_BYTES, 0)
{
    records = 1;
}

void EmfWriter::Record(uint32_t type, const uint32_t *values, size_t count)
{
    Append32(&bytes, type);
    Append32(&bytes, (uint32_t)(EMF_RECORD_HEAD_BYTES + 4 * count));
    for (size_t i = 0; i < count; ++i)
        Append32(&bytes, values[i]);
    ++records;
}

void EmfWriter::RecordBytes(uint32_t type, const uint8_t *body, size_t length)
{
    // Records are whole double words; the padding is zero.
    size_t padded = (length + 3) & ~(size_t)3;
    Append32(&bytes, type);
    Append32(&bytes, (uint32_t)(EMF_RECORD_HEAD_BYTES + padded));
    bytes.insert(bytes.end(), body, body + length);
    bytes.insert(bytes.end(), padded - length, 0);
    ++records;
}

void EmfWriter::UseHandle(uint32_t index)
{
    if (index + 1 > handles)
        handles = index + 1;
}

std::vector<uint8_t> EmfWriter::Finish(const EmfPlace &place)
{
    // No palette: the count, the offset of where it would be, and the size.
    const uint32_t eof[] = {0, 16, EMF_EOF_BYTES};
    Record(EMR_EOF, eof, 3);
    uint8_t *h = bytes.data();
    const uint32_t head[] = {EMR_HEADER,
                             EMF_HEADER_BYTES,
                             (uint32_t)place.bounds.left,
                             (uint32_t)place.bounds.top,
                             (uint32_t)place.bounds.right,
                             (uint32_t)place.bounds.bottom,
                             (uint32_t)place.frame.left,
                             (uint32_t)place.frame.top,
                             (uint32_t)place.frame.right,
                             (uint32_t)place.frame.bottom,
                             EMF_SIGNATURE,
                             EMF_VERSION,
                             (uint32_t)bytes.size(),
                             records,
                             handles, // 16-bit count, then a reserved 0
                             0,       // no description
                             0,
                             0, // no palette
                             (uint32_t)place.deviceWidth,
                             (uint32_t)place.deviceHeight,
                             (uint32_t)place.millimetresWide,
                             (uint32_t)place.millimetresHigh,
                             0, // no pixel format, not OpenGL
                             0,
                             0,
                             (uint32_t)place.millimetresWide * 1000,
                             (uint32_t)place.millimetresHigh * 1000};
    static_assert(sizeof head == EMF_HEADER_BYTES, "every header field");
    for (size_t i = 0; i < sizeof head / sizeof *head; ++i)
        Put32(h + 4 * i, head[i]);
    records = 0;
    return std::move(bytes);
}

EmfPlace ReferencePlace(int32_t width, int32_t height)
{
    EmfPlace place;
    place.bounds = {0, 0, width - 1, height - 1};
    // The player scales by the frame's right minus its left: the drawing
    // fills it exactly when it is width x height units.
    place.frame = {0, 0, width, height};
    place.deviceWidth = place.deviceHeight = EMF_REFERENCE_UNITS;
    place.millimetresWide = place.millimetresHigh = EMF_REFERENCE_MILLIMETRES;
    return place;
}
