// What the codec's speed programs share: the thread's processor time and a
// photograph stand-in.
#pragma once
#include <time.h>

#include <vector>

// The thread's own processor time: other work on a busy machine does not
// count against either contender.
inline double ThreadSeconds(void)
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Smooth shading, edges and fine noise, as RGB.
inline std::vector<unsigned char> PhotoStandIn(int width, int height)
{
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    unsigned state = 1;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            state = state * 1103515245u + 12345u;
            int noise = (int)((state >> 16) % 17) - 8;
            int base = ((x / 64 + y / 48) % 2) ? 60 : 180;
            unsigned char *p = &rgb[((size_t)y * width + x) * 3];
            for (int c = 0; c < 3; c++) {
                int v = base + (x * (c + 1)) / 40 - (y * (3 - c)) / 50 + noise;
                p[c] = (unsigned char)(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    return rgb;
}
