// Writes an enhanced metafile record by record: the header is filled in last
// with the counts and sizes of what was written. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct EmfRect {
    int32_t left, top, right, bottom;
};

// The parts of the header that say where the drawing lies.
struct EmfPlace {
    EmfRect bounds; // device units, inclusive
    EmfRect frame;  // 0.01 mm
    int32_t deviceWidth, deviceHeight; // reference surface in device units
    int32_t millimetresWide, millimetresHigh;
};

class EmfWriter {
public:
    EmfWriter();
    // A record of type with the given parameters (its size is added).
    void Record(uint32_t type, const uint32_t *values, size_t count);
    // A record whose body (all after the type and size) is given whole.
    void RecordBytes(uint32_t type, const uint8_t *body, size_t bytes);
    // Handles 1..highest are used by the records.
    void UseHandle(uint32_t index);
    // Ends with EMR_EOF and fills in the header; the writer is spent.
    std::vector<uint8_t> Finish(const EmfPlace &place);

private:
    std::vector<uint8_t> bytes;
    uint32_t records = 0, handles = 1;
};

// A place whose frame is width x height in 0.01 mm on the reference
// surface, where a device unit is 0.01 mm too.
EmfPlace ReferencePlace(int32_t width, int32_t height);
