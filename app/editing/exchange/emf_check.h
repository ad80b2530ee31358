// Enhanced metafiles from outside, read record by record: every size, count
// and offset must lie within its record and the picture, and only the
// drawing a note's picture uses passes (lines, polygons, rectangles and
// ellipses, text, pens, brushes and fonts, the mapping, bitmaps that are
// themselves checked, and the default palette and no clipping that the
// system's own conversion of a metafile selects). The drawing library
// trusts what a record says of itself, and a record that lies about its
// counts faults inside it.
// No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "emf_writer.h"

// 0 when data is such a metafile; then *out (when not null) holds it again
// with only its drawing records, comments left out, and a header that counts
// them, and *place (when not null) where it lies.
int CheckEnhancedMetafile(const uint8_t *data, size_t size, std::vector<uint8_t> *out,
                          EmfPlace *place);
