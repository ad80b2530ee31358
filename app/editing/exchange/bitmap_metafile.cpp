#include "bitmap_metafile.h"

#include "picture_bytes.h"
#include "picture_format.h"

void WriteStretchDib(EmfWriter *writer, const EmfRect &bounds, const StretchPlace &place,
                     const uint8_t *info, const DibLayout &layout, const uint8_t *bits)
{
    std::vector<uint8_t> plain = PlainDibInfo(info, layout);
    const uint32_t infoAt = EMF_STRETCHDIBITS_BYTES;
    const uint32_t bitsAt = infoAt + (uint32_t)plain.size();
    const uint32_t fields[] = {(uint32_t)bounds.left,
                               (uint32_t)bounds.top,
                               (uint32_t)bounds.right,
                               (uint32_t)bounds.bottom,
                               (uint32_t)place.x,
                               (uint32_t)place.y,
                               (uint32_t)place.sourceX,
                               (uint32_t)place.sourceY,
                               (uint32_t)place.sourceWidth,
                               (uint32_t)place.sourceHeight,
                               infoAt,
                               (uint32_t)plain.size(),
                               bitsAt,
                               (uint32_t)layout.bitsBytes,
                               0, // colours are the table's own
                               place.rop,
                               (uint32_t)place.width,
                               (uint32_t)place.height};
    static_assert(sizeof fields == EMF_STRETCHDIBITS_BYTES - EMF_RECORD_HEAD_BYTES, "every field");
    std::vector<uint8_t> body;
    body.reserve(sizeof fields + plain.size() + layout.bitsBytes);
    for (uint32_t value : fields)
        Append32(&body, value);
    body.insert(body.end(), plain.begin(), plain.end());
    body.insert(body.end(), bits, bits + layout.bitsBytes);
    writer->RecordBytes(EMR_STRETCHDIBITS, body.data(), body.size());
}

int DibToEmf(const uint8_t *dib, size_t size, int32_t width, int32_t height,
             std::vector<uint8_t> *emf)
{
    DibLayout layout;
    if (width < 1 || height < 1 || CheckPackedDib(dib, size, &layout) != 0)
        return -1;
    EmfPlace place = ReferencePlace(width, height);
    EmfWriter writer;
    // Each source pixel a whole block of the shown picture, not a blend:
    // what the note showed before it was saved, whatever the scale.
    const uint32_t mode = STRETCH_COLOR_ON_COLOR;
    writer.Record(EMR_SETSTRETCHBLTMODE, &mode, 1);
    int32_t rows = layout.height < 0 ? -layout.height : layout.height;
    StretchPlace stretch = {0, 0, width, height, 0, 0, layout.width, rows, ROP_SRCCOPY};
    WriteStretchDib(&writer, place.bounds, stretch, dib, layout,
                    dib + layout.headerBytes + layout.tableBytes);
    *emf = writer.Finish(place);
    return 0;
}
