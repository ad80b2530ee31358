#include "sun_shade.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sun_position.h"

static const int PROJECTION_SECONDS = 600;

void *XMalloc(size_t size)
{
    void *memory = std::malloc(size);
    if (!memory)
        std::fprintf(stderr, "clock: out of memory (%lu bytes); the map stays unshaded\n",
                     (unsigned long)size);
    return memory;
}

int NewSunState(SunShadeState *state, int xdots, int ydots, int64_t now)
{
    std::memset(state, 0, sizeof *state);
    state->lastOffset = -1;
    state->lastProjection = -1;
    if (xdots <= 0 || ydots <= 0 || xdots / 2 > 32767)
        return -1;
    // Room for 32-bit entries, as the tables have always been allocated.
    size_t bytes = (size_t)ydots * 4;
    state->previousTable = (short *)XMalloc(bytes);
    state->currentTable = (short *)XMalloc(bytes);
    if (!state->previousTable || !state->currentTable) {
        FreeSunState(state);
        return -1;
    }
    for (int row = 0; row < ydots; ++row)
        state->previousTable[row] = state->currentTable[row] = -1;
    state->xdots = xdots;
    state->ydots = ydots;
    state->halfCircle = 180;
    state->now = now;
    return 0;
}

void FreeSunState(SunShadeState *state)
{
    std::free(state->previousTable);
    std::free(state->currentTable);
    state->previousTable = state->currentTable = nullptr;
    state->xdots = state->ydots = 0;
    state->lastOffset = -1;
}

static int Wrap(int x, int xdots)
{
    x %= xdots;
    return x < 0 ? x + xdots : x;
}

static void SplitSpan(void (*apply)(void *, int, int, int), void *context, int row, int x,
                      int width, int xdots)
{
    if (width <= 0)
        return;
    if (width > xdots)
        width = xdots;
    x = Wrap(x, xdots);
    if (x + width > xdots) {
        apply(context, row, x, xdots - x);
        apply(context, row, 0, width + x - xdots);
    } else {
        apply(context, row, x, width);
    }
}

void ShadeSpan(const SpanSink &sink, int row, int x, int width, int xdots)
{
    SplitSpan(sink.brighten, sink.context, row, x, width, xdots);
}

static bool InSpan(int column, int start, int width, int xdots)
{
    return width > 0 && Wrap(column - start, xdots) < width;
}

// Compares the two lit spans column by column; the changed columns come out
// as runs, so spans that wrap the map's edge need no special case.
static void ApplyRowChange(int row, int oldStart, int oldWidth, int newStart, int newWidth,
                           int xdots, const SpanSink &sink)
{
    int runStart = 0, runKind = 0; // kind: 0 unchanged, 1 newly lit, 2 fallen dark
    for (int column = 0; column <= xdots; ++column) {
        int kind = 0;
        if (column < xdots) {
            bool wasLit = InSpan(column, oldStart, oldWidth, xdots);
            bool isLit = InSpan(column, newStart, newWidth, xdots);
            kind = isLit == wasLit ? 0 : (isLit ? 1 : 2);
        }
        if (kind == runKind)
            continue;
        if (runKind == 1)
            sink.brighten(sink.context, row, runStart, column - runStart);
        else if (runKind == 2)
            sink.restore(sink.context, row, runStart, column - runStart);
        runStart = column;
        runKind = kind;
    }
}

void MoveTerminator(const short *newTable, int newOffset, short *oldTable, int oldOffset,
                    int xdots, int ydots, const SpanSink &sink)
{
    for (int row = 0; row < ydots; ++row) {
        int n = newTable[row], o = oldTable[row];
        oldTable[row] = (short)n;
        if (n < 0 && o < 0)
            continue;
        if (n == o && (newOffset == oldOffset || n * 2 >= xdots))
            continue;
        int oldWidth = o < 0 ? 0 : 2 * o, newWidth = n < 0 ? 0 : 2 * n;
        int oldStart = Wrap(oldOffset + xdots - (o < 0 ? 0 : o), xdots);
        int newStart = Wrap(newOffset + xdots - (n < 0 ? 0 : n), xdots);
        if (oldWidth == 0) {
            ShadeSpan(sink, row, newStart, newWidth, xdots);
            continue;
        }
        ApplyRowChange(row, oldStart, oldWidth > xdots ? xdots : oldWidth, newStart,
                       newWidth > xdots ? xdots : newWidth, xdots, sink);
    }
}

int UpdateSunShadeAt(SunShadeState *state, int64_t now, const SpanSink &sink)
{
    if (!state->currentTable || !state->previousTable)
        return -1;
    if (state->lastOffset < 0) {
        state->lastProjection = 0;
        for (int row = 0; row < state->ydots; ++row)
            state->currentTable[row] = -1;
    }
    state->now = now;
    double jd = JulianTime(UniversalTime(now));
    double ra, dec, radius, longitude;
    SunPosition(jd, 0, &ra, &dec, &radius, &longitude);
    double gst = GreenwichSiderealTime(jd);

    if (state->lastProjection < 0 || now - state->lastProjection > PROJECTION_SECONDS) {
        ProjectIllumination(state->previousTable, state->xdots, state->ydots, dec);
        short *swap = state->previousTable;
        state->previousTable = state->currentTable;
        state->currentTable = swap;
        state->lastProjection = now;
    }

    int offset = SubSolarColumn(ra, gst, state->xdots);
    if (offset != state->lastOffset) {
        MoveTerminator(state->currentTable, offset, state->previousTable, state->lastOffset,
                       state->xdots, state->ydots, sink);
        state->lastOffset = offset;
    }
    return offset;
}
