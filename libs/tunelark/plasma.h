// The plasma the scope shows while it does not sample: four cosine or sine
// tables summed at moving phases into 8-bit pixels, shown through a rotating
// 256-colour palette.
#pragma once

enum { PLASMA_TABLES = 4, PLASMA_COLOURS = 256, PLASMA_MARGIN = 3 };

struct PlasmaState {
    int width, height, scale;
    int length;                         // entries of each table
    int *tables[PLASMA_TABLES];
    unsigned char *pixels;              // height rows of rowBytes
    int rowBytes;                       // width rounded up to 4
    unsigned char palette[PLASMA_COLOURS][4]; // blue, green, red, unused
    int rowSteps[2], columnSteps[2], frameSteps[4];
    int phases[4];                      // kept across frames and re-seeding
};

// New random tables, steps and palette for a client area of the given size;
// the phases stay. 0, or -1 when memory runs out (the state is then empty).
int SeedPlasma(PlasmaState *state, int clientWidth, int clientHeight, int (*random)(void));
void RenderPlasmaFrame(PlasmaState *state);
// Entry 0 moves to the end and the others down by one.
void RotatePlasmaPalette(PlasmaState *state);
void FreePlasma(PlasmaState *state);
