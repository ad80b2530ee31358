#include "colour_steps.h"

static int Channel(uint32_t colour, int shift)
{
    return (int)((colour >> shift) & 0xFF);
}

static uint32_t MakeColour(int r, int g, int b)
{
    return (uint32_t)r | (uint32_t)g << 8 | (uint32_t)b << 16;
}

uint32_t DarkenColour(uint32_t colour)
{
    auto down = [](int v) { return v > 30 ? v - 30 : 0; };
    return MakeColour(down(Channel(colour, 0)), down(Channel(colour, 8)),
                      down(Channel(colour, 16)));
}

uint32_t GradientColumnColour(uint32_t left, uint32_t right, int n, int i)
{
    if (n <= 0)
        return left;
    int c[3];
    for (int k = 0; k < 3; ++k) {
        float from = (float)Channel(left, 8 * k);
        float perColumn = (float)(Channel(right, 8 * k) - Channel(left, 8 * k)) / (float)n;
        int v = (int)(from + perColumn * (float)i);
        c[k] = v < 0 ? 0 : v > 255 ? 255 : v;
    }
    return MakeColour(c[0], c[1], c[2]);
}
