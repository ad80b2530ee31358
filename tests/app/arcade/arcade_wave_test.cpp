#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "arcade_core.h"

namespace {

void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b[at + i] = (uint8_t)(v >> (8 * i));
}

void Append(std::vector<uint8_t> &b, const char *tag, uint32_t size) {
    b.insert(b.end(), tag, tag + 4);
    for (int i = 0; i < 4; i++)
        b.push_back((uint8_t)(size >> (8 * i)));
}

// A mono 8-bit PCM sound of n samples, as the machine's sounds are made.
std::vector<uint8_t> Wave(uint32_t samples, uint16_t formatTag = 1) {
    std::vector<uint8_t> b;
    Append(b, "RIFF", 0);
    b.insert(b.end(), {'W', 'A', 'V', 'E'});
    Append(b, "fmt ", 16);
    uint8_t fmt[16] = {(uint8_t)formatTag, (uint8_t)(formatTag >> 8), 1, 0, 0x40, 0x1F, 0, 0,
                       0x40, 0x1F, 0, 0, 1, 0, 8, 0};
    b.insert(b.end(), fmt, fmt + 16);
    Append(b, "data", samples);
    b.insert(b.end(), samples, 0x80);
    if (samples & 1)
        b.push_back(0);
    Put32(b, 4, (uint32_t)b.size() - 8);
    return b;
}

TEST(ArcadeWave, AcceptsWholePcmSounds) {
    for (uint32_t samples : {1u, 2u, 3842u, 12420u}) {
        std::vector<uint8_t> w = Wave(samples);
        EXPECT_EQ(0, CheckArcadeWave(w.data(), w.size())) << samples;
    }
    // Trailing bytes past the RIFF chunk are harmless.
    std::vector<uint8_t> w = Wave(100);
    w.resize(w.size() + 10);
    EXPECT_EQ(0, CheckArcadeWave(w.data(), w.size()));
}

TEST(ArcadeWave, RefusesSoundsThatWouldBeReadPastTheirEnd) {
    std::vector<uint8_t> good = Wave(400);
    struct Case { const char *what; std::vector<uint8_t> bytes; } cases[] = {
        {"empty", {}},
        {"cut header", std::vector<uint8_t>(good.begin(), good.begin() + 11)},
        {"cut data", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"not RIFF", good},
        {"not WAVE", good},
        {"RIFF size past the end", good},
        {"data size past the end", good},
        {"fmt too short", good},
        {"compressed", Wave(400, 2)},
        {"no data chunk", std::vector<uint8_t>(good.begin(), good.begin() + 36)},
        {"huge chunk size", good},
    };
    cases[3].bytes[0] = 'X';
    cases[4].bytes[8] = 'X';
    Put32(cases[5].bytes, 4, (uint32_t)good.size());
    Put32(cases[6].bytes, 40, 401);
    Put32(cases[7].bytes, 16, 8);
    Put32(cases[9].bytes, 4, 28);
    Put32(cases[10].bytes, 40, 0xFFFFFFF0u);
    for (const Case &c : cases)
        EXPECT_EQ(-1, CheckArcadeWave(c.bytes.data(), c.bytes.size())) << c.what;
    EXPECT_EQ(-1, CheckArcadeWave(nullptr, 100));
}

} // namespace
