#include "plasma.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const double Pi = 3.141592654;

int TableEntry(int kind, double a, int amplitude, int j, int length)
{
    switch (kind) {
    case 0: return (int)((cos(a) + 1) * 16);
    case 1: return (int)((sin(a) + 1) * 32);
    case 2: return (int)((cos(a) + 1) * 64);
    case 3: return (int)((sin(a) + 1) * 128);
    case 4: return (int)((sin(a) + 1) * 64);
    case 5: return (int)((cos(a) + 1) * 128);
    case 6:
    case 8: return (int)((sin(a) + 1) * amplitude);
    case 7:
    case 9: return (int)((cos(a) + 1) * amplitude);
    case 10: return (int)(cos(a) * -1 * amplitude);
    default: return (int)(cos(6.283185308 * j / length) * 0.3 * amplitude);
    }
}

// How a colour channel runs over the two halves of the palette.
enum Ramp { ZERO, UP_DOWN, DOWN_UP };

const Ramp Schemes[6][3] = {
    // red, green, blue
    {UP_DOWN, ZERO, DOWN_UP},    {ZERO, UP_DOWN, DOWN_UP},    {DOWN_UP, UP_DOWN, ZERO},
    {DOWN_UP, UP_DOWN, UP_DOWN}, {DOWN_UP, UP_DOWN, DOWN_UP}, {UP_DOWN, UP_DOWN, DOWN_UP},
};

int RampValue(Ramp ramp, int entry)
{
    int k = entry % 128;
    bool firstHalf = entry < 128;
    auto line = [k](int from, int to) { return from + (to - from) * k / 128; };
    switch (ramp) {
    case UP_DOWN: return firstHalf ? line(0, 255) : line(255, 0);
    case DOWN_UP: return firstHalf ? line(255, 0) : line(0, 255);
    default: return 0;
    }
}

void FreeTables(PlasmaState *state)
{
    for (int *&table : state->tables) {
        free(table);
        table = nullptr;
    }
    free(state->pixels);
    state->pixels = nullptr;
}

} // namespace

int SeedPlasma(PlasmaState *state, int clientWidth, int clientHeight, int (*random)(void))
{
    for (int i = 0; i < 4; ++i)
        random();
    state->rowSteps[0] = random() % 15;
    state->rowSteps[1] = random() % 3;
    state->columnSteps[0] = random() % 16;
    state->columnSteps[1] = random() % 4;
    for (int &step : state->frameSteps)
        step = 1;
    FreeTables(state);
    state->scale = 1;
    state->width = (clientWidth + PLASMA_MARGIN) / state->scale;
    state->height = clientHeight + PLASMA_MARGIN;
    if (state->width < 1 || state->height < 1)
        return -1;
    state->length = (state->width + state->height) / 2 * 4;
    state->rowBytes = (state->width + 3) & ~3;
    for (int t = 0; t < PLASMA_TABLES; ++t) {
        state->tables[t] = (int *)malloc(sizeof(int) * state->length);
        if (!state->tables[t]) {
            FreeTables(state);
            return -1;
        }
        int kind = random() % 12, amplitude = random() % 256;
        for (int j = 0; j < state->length; ++j)
            state->tables[t][j] = TableEntry(kind, 2 * Pi * j / state->length, amplitude, j, state->length);
    }
    state->pixels = (unsigned char *)calloc((size_t)state->rowBytes * state->height, 1);
    if (!state->pixels) {
        FreeTables(state);
        return -1;
    }
    const Ramp *scheme = Schemes[random() % 6];
    for (int i = 0; i < PLASMA_COLOURS; ++i) {
        state->palette[i][0] = (unsigned char)RampValue(scheme[2], i);
        state->palette[i][1] = (unsigned char)RampValue(scheme[1], i);
        state->palette[i][2] = (unsigned char)RampValue(scheme[0], i);
        state->palette[i][3] = 0;
    }
    return 0;
}

void RenderPlasmaFrame(PlasmaState *state)
{
    if (!state->pixels)
        return;
    int L = state->length;
    int r1 = state->phases[0], r2 = state->phases[1];
    for (int y = 0; y < state->height; ++y) {
        r1 %= L;
        r2 %= L;
        int rowValue = state->tables[0][abs(r1)] + state->tables[1][abs(r2)];
        int c1 = state->phases[2], c2 = state->phases[3];
        unsigned char *row = state->pixels + (size_t)y * state->rowBytes;
        for (int x = 0; x < state->width; ++x) {
            c1 %= L;
            c2 %= L;
            row[x] = (unsigned char)(rowValue + state->tables[2][abs(c1)] + state->tables[3][abs(c2)]);
            c1 += state->columnSteps[0];
            c2 += state->columnSteps[1];
        }
        r1 += state->rowSteps[0];
        r2 += state->rowSteps[1];
    }
    for (int i = 0; i < 4; ++i)
        state->phases[i] = (state->phases[i] + state->frameSteps[i]) % L;
}

void RotatePlasmaPalette(PlasmaState *state)
{
    unsigned char first[4];
    memcpy(first, state->palette[0], 4);
    memmove(state->palette[0], state->palette[1], 4 * (PLASMA_COLOURS - 1));
    memcpy(state->palette[PLASMA_COLOURS - 1], first, 4);
}

void FreePlasma(PlasmaState *state)
{
    FreeTables(state);
}
