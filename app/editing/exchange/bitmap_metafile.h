// Enhanced metafiles that draw a bitmap: what a bitmap picture from outside
// becomes, because the rich-edit control of some systems can write a picture
// back only in that form. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dib_check.h"
#include "emf_writer.h"

struct StretchPlace {
    int32_t x, y, width, height;             // where it is drawn, logical units
    int32_t sourceX, sourceY, sourceWidth, sourceHeight; // in the bitmap
    uint32_t rop;
};

// One EMR_STRETCHDIBITS of a checked bitmap in its plain form.
void WriteStretchDib(EmfWriter *writer, const EmfRect &bounds, const StretchPlace &place,
                     const uint8_t *info, const DibLayout &layout, const uint8_t *bits);

// A packed bitmap drawn over a frame of width x height (0.01 mm).
int DibToEmf(const uint8_t *dib, size_t size, int32_t width, int32_t height,
             std::vector<uint8_t> *emf);
