#include "caret_shape.h"

bool FindCaretMetrics(CaretMetricsCache *cache, int32_t heightTwips, uint32_t now,
                      int32_t *charHeight, int32_t *charWidth)
{
    for (CaretMetrics &e : cache->entries) {
        if (e.lastUse != 0 && e.heightTwips == heightTwips) {
            e.lastUse = now ? now : 1;
            *charHeight = e.charHeight;
            *charWidth = e.charWidth;
            return true;
        }
    }
    return false;
}

void StoreCaretMetrics(CaretMetricsCache *cache, int32_t heightTwips, uint32_t now,
                       int32_t charHeight, int32_t charWidth)
{
    CaretMetrics *oldest = &cache->entries[0];
    for (CaretMetrics &e : cache->entries)
        if (e.lastUse < oldest->lastUse)
            oldest = &e;
    // A tick of 0 marks an empty entry: a measurement taken at tick 0 counts as 1.
    *oldest = CaretMetrics{now ? now : 1, heightTwips, charHeight, charWidth};
}

CaretPlacement PlaceCustomCaret(int style, int32_t charHeight, int32_t charWidth, int32_t x,
                                int32_t y, int32_t line, LineCaretMemory *memory)
{
    CaretPlacement p = {x, y, charWidth, charHeight};
    bool lineStyle = style >= 5;
    if (lineStyle) {
        if (y != memory->y || line != memory->line) {
            memory->line = line;
            p.y = y + charHeight - charWidth / 8;
            memory->y = p.y;
        }
        p.height = charWidth / 8;
    }
    switch (lineStyle ? style - 4 : style) {
    case 1:
        p.width = charWidth / 4;
        break;
    case 2:
        p.width = charWidth / 2;
        break;
    case 3:
        p.width = (charWidth / 4) * 3;
        break;
    default:
        p.width = charWidth;
        break;
    }
    // A caret of no size would be made at the system's own size.
    if (p.width < 1)
        p.width = 1;
    if (p.height < 1)
        p.height = 1;
    return p;
}
