// The machine plays its sounds straight from the program's resources; the
// player trusts the RIFF sizes inside them, so each one is walked once here.
#include <string.h>

#include "arcade_core.h"

namespace {

uint32_t ReadLittle32(const uint8_t *p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

uint16_t ReadLittle16(const uint8_t *p) { return (uint16_t)(p[0] | p[1] << 8); }

} // namespace

int CheckArcadeWave(const uint8_t *data, size_t size) {
    if (!data || size < 12 || memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0)
        return -1;
    uint32_t riffSize = ReadLittle32(data + 4);
    if (riffSize < 4 || riffSize > size - 8)
        return -1;
    size_t end = 8 + (size_t)riffSize;
    size_t at = 12;
    bool format = false, samples = false;
    while (at + 8 <= end) {
        uint32_t chunkSize = ReadLittle32(data + at + 4);
        if (chunkSize > end - at - 8)
            return -1;
        const uint8_t *body = data + at + 8;
        if (memcmp(data + at, "fmt ", 4) == 0) {
            // Only plain PCM is expected among the machine's sounds.
            if (chunkSize < 16 || ReadLittle16(body) != 1 || ReadLittle16(body + 2) == 0)
                return -1;
            format = true;
        } else if (memcmp(data + at, "data", 4) == 0) {
            if (!format)
                return -1;
            samples = true;
        }
        at += 8 + (size_t)chunkSize + (chunkSize & 1);
    }
    return format && samples ? 0 : -1;
}
