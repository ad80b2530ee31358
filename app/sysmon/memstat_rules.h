// The load meter's settings text, its transparency menu and the rows it
// draws: plain numbers in, rectangles, colours and texts out. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

struct MemStatSettings {
    int32_t x, y, width, height;
    int32_t topmost;
    int32_t clientEdge;
    int32_t alpha; // negative: not layered
};

// The values a meter opens with when nothing is stored (topmost keeps its value).
void SetMemStatDefaults(MemStatSettings *s);
// Fields the text does not supply keep their values.
void ParseMemStatSettings(const char *text, MemStatSettings *s);
// "x y width height topmost clientEdge alpha".
void FormatMemStatSettings(const MemStatSettings &s, char *out, size_t outSize);

// The alpha a transparency command sets ("Off" 255, "10 %" 230 ...), or -2
// when the id is not one of them.
int MemStatAlphaForCommand(int id);
// The transparency command shown checked for this alpha, or -1 for none.
int MemStatCheckedCommand(int alpha);

// Percent of total in use, 0 when the total is unknown.
int MemoryLoadPercent(uint64_t available, uint64_t total);

struct MeterRow {
    int top, bottom;
    int fillRight;     // the bar's right edge; 0 or less draws no bar
    uint8_t red, green, blue;
    int percent;       // the text in the bar
    bool showText;     // rows shorter than 8 pixels carry no text
};

struct MeterInput {
    int width, height;     // the client area
    int physicalLoad, pageLoad;
    int diskCount;         // -1: the counter failed, no rows
    int32_t *diskValues;   // 100 minus the disk's busy percentage; turned into
                           // the busy percentage, clamped to 0..100, in place
    int cpuCount;          // -1: no rows
    const int32_t *cpuLoads;
};

enum { METER_MAX_ROWS = 2 + 2 * 128, METER_TIP_CHARS = 1024 };

// Lays out the rows top to bottom (the last processor row reaches the bottom
// edge) and writes the tooltip text, cut to tipSize. Returns the row count.
int LayoutMeterRows(const MeterInput &in, MeterRow *rows, int capacity, char *tip,
                    size_t tipSize);
