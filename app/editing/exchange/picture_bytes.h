// Little-endian fields of picture data as read and written by the picture
// filter. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/notes_table/little_endian.h"

inline uint16_t Get16(const uint8_t *p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

inline int32_t GetSigned16(const uint8_t *p)
{
    return (int16_t)Get16(p);
}

inline int32_t GetSigned32(const uint8_t *p)
{
    return (int32_t)Get32(p);
}

inline void Append32(std::vector<uint8_t> *out, uint32_t v)
{
    uint8_t bytes[4];
    Put32(bytes, v);
    out->insert(out->end(), bytes, bytes + 4);
}

inline void Append16(std::vector<uint8_t> *out, uint32_t v)
{
    out->push_back((uint8_t)v);
    out->push_back((uint8_t)(v >> 8));
}
