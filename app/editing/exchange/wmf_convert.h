// Windows metafiles from outside, read record by record and written again
// as an enhanced metafile (the one picture form every rich-edit control we
// meet writes back). Only the drawing a note's picture uses is translated;
// a metafile holding anything else, or a record whose sizes, counts or
// object numbers do not fit, is no picture. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The drawing's logical space is mapped onto a frame of width x height
// (0.01 mm), as a metafile picture of the anisotropic mapping is shown.
int ConvertWindowsMetafile(const uint8_t *data, size_t size, int32_t width, int32_t height,
                           std::vector<uint8_t> *emf);
