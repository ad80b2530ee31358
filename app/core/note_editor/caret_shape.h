// The custom carets of a note's editor as plain numbers: the metrics cache
// and where the caret goes. No windows.h.
#pragma once
#include <cstdint>

enum {
    CARET_STYLE_SYSTEM = 0,
    CARET_STYLE_LAST = 8, // 1..4 blocks, 5..8 lines
    CARET_METRICS_ENTRIES = 5,
};

struct CaretMetrics {
    uint32_t lastUse;    // tick of the last use; 0 never used
    int32_t heightTwips; // the key
    int32_t charHeight;  // pixels
    int32_t charWidth;   // average character width, pixels
};

// Measuring a font means creating it: the last few heights are kept.
struct CaretMetricsCache {
    CaretMetrics entries[CARET_METRICS_ENTRIES];
};

// True when the height is kept: its metrics are given and its use stamped now.
bool FindCaretMetrics(CaretMetricsCache *cache, int32_t heightTwips, uint32_t now,
                      int32_t *charHeight, int32_t *charWidth);
// Puts a measurement in place of the least recently used entry (the first of equals).
void StoreCaretMetrics(CaretMetricsCache *cache, int32_t heightTwips, uint32_t now,
                       int32_t charHeight, int32_t charWidth);

// Where a line caret last stood (-1, -1 when forgotten).
struct LineCaretMemory {
    int32_t y;
    int32_t line;
};

struct CaretPlacement {
    int32_t x, y, width, height;
};

// The caret for the style at the caret position (x, y) on the given line. A
// line caret is lowered to the bottom of the character cell once per
// position; the caret the control reports afterwards already stands there.
CaretPlacement PlaceCustomCaret(int style, int32_t charHeight, int32_t charWidth, int32_t x,
                                int32_t y, int32_t line, LineCaretMemory *memory);
