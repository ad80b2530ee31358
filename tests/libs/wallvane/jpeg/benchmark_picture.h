// What the codec's speed programs share: the thread's processor time, a
// photograph stand-in and a smooth picture.
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

// Soft gradients without edges or noise, as a sky or a blurred background:
// little entropy-coded data, so the transforms and the colour conversion
// take most of the time.
inline std::vector<unsigned char> SmoothPicture(int width, int height)
{
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            unsigned char *p = &rgb[((size_t)y * width + x) * 3];
            int u = x * 256 / width, v = y * 256 / height;
            p[0] = (unsigned char)(40 + u * 3 / 4);
            p[1] = (unsigned char)(60 + (u + v) / 3);
            p[2] = (unsigned char)(220 - v * 3 / 4);
        }
    return rgb;
}
