// The day/night state of one world map and the spans that change when the
// sun moves. The pixels themselves are touched through a sink, so this file
// stays free of windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

struct SunShadeState {
    int xdots, ydots;
    int reserved;
    int lastOffset;       // map column of the sub-solar meridian last drawn; -1: none
    short *currentTable;  // half-width per row, -1 dark
    short *previousTable; // what the map shows now
    int halfCircle;
    int64_t now;            // seconds since 1970 UTC
    int64_t lastProjection; // -1: never
    int spare;
};

// Where brightened and restored spans go: one row, columns x .. x + width - 1,
// never crossing the map's right edge.
struct SpanSink {
    void *context;
    void (*brighten)(void *context, int row, int x, int width);
    void (*restore)(void *context, int row, int x, int width);
};

// Allocates, or writes a message to the standard error stream and returns null.
void *XMalloc(size_t size);
// Fills the state for a map; 0, or -1 when the tables cannot be had (the
// state is then empty and the map stays unshaded).
int NewSunState(SunShadeState *state, int xdots, int ydots, int64_t now);
void FreeSunState(SunShadeState *state);

// Brightens a span of one row, in two pieces when it crosses the right edge.
void ShadeSpan(const SpanSink &sink, int row, int x, int width, int xdots);
// Brings the map from what the old table shows to what the new one says:
// columns that become lit are brightened, columns that fall dark are
// restored from the unshaded map. The old table takes the new values.
void MoveTerminator(const short *newTable, int newOffset, short *oldTable, int oldOffset,
                    int xdots, int ydots, const SpanSink &sink);
// Shades the map for the given moment; returns the sub-solar column.
int UpdateSunShadeAt(SunShadeState *state, int64_t now, const SpanSink &sink);
