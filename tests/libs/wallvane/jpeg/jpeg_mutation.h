#pragma once
#include <algorithm>

#include "jpeg_fuzz_target.h"
#include "jpeg_test_files.h"

// Runs the fuzz target over count mutations of the seeds: flipped bits,
// changed bytes, cut tails, copied and removed runs.
inline void RunMutations(const std::vector<Bytes> &seeds, int count, unsigned state)
{
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (const Bytes &seed : seeds)
        JpegFuzzOneInput(seed.data(), seed.size());
    for (int i = 0; i < count; i++) {
        Bytes input = seeds[next() % seeds.size()];
        int edits = 1 + next() % 4;
        for (int e = 0; e < edits && !input.empty(); e++) {
            size_t at = next() % input.size();
            switch (next() % 6) {
            case 0:
                input[at] ^= (uint8_t)(1u << (next() % 8));
                break;
            case 1:
                input[at] = (uint8_t)next();
                break;
            case 2:
                input.resize(at + 1);
                break;
            case 3: {
                size_t length = 1 + next() % 16;
                if (at + length <= input.size()) {
                    Bytes run(input.begin() + at, input.begin() + at + length);
                    input.insert(input.begin() + at, run.begin(), run.end());
                }
                break;
            }
            case 4: {
                size_t length = 1 + next() % 16;
                input.erase(input.begin() + at, input.begin() + std::min(input.size(), at + length));
                break;
            }
            default:
                input[at] = (uint8_t)(next() % 2 ? 0xFF : 0x00);
                break;
            }
        }
        JpegFuzzOneInput(input.data(), input.size());
    }
}
