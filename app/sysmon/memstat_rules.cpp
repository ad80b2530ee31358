#include "memstat_rules.h"

#include <cstdio>
#include <cstring>

#include "sysmon_ids.h"

void SetMemStatDefaults(MemStatSettings *s)
{
    s->x = 10;
    s->y = 10;
    s->width = 200;
    s->height = 100;
    s->clientEdge = -1;
    s->alpha = -1;
}

void ParseMemStatSettings(const char *text, MemStatSettings *s)
{
    int32_t *fields[] = {&s->x, &s->y, &s->width, &s->height, &s->topmost, &s->clientEdge,
                         &s->alpha};
    // As a scan of "%d %d ..." would: stop at the first field that is not a number.
    for (int32_t *field : fields) {
        int value, used = 0;
        if (std::sscanf(text, " %d%n", &value, &used) != 1)
            return;
        *field = value;
        text += used;
    }
}

void FormatMemStatSettings(const MemStatSettings &s, char *out, size_t outSize)
{
    std::snprintf(out, outSize, "%d %d %d %d %d %d %d", s.x, s.y, s.width, s.height, s.topmost,
                  s.clientEdge, s.alpha);
}

int MemStatAlphaForCommand(int id)
{
    if (id == IDC_MEMSTAT_ALPHA_OFF)
        return 255;
    if (id < IDC_MEMSTAT_ALPHA_10 || id > IDC_MEMSTAT_ALPHA_90 || (id - IDC_MEMSTAT_ALPHA_OFF) % 10)
        return -2;
    int alpha = 255 - (int)((id - IDC_MEMSTAT_ALPHA_OFF) * 2.55);
    return alpha > 0 ? alpha : -1;
}

int MemStatCheckedCommand(int alpha)
{
    if (alpha < 0)
        return -1;
    int shown = 100 - (int)(alpha / 2.55);
    if (shown < 0 || shown > 90 || shown % 10)
        return -1;
    return IDC_MEMSTAT_ALPHA_OFF + shown;
}

int MemoryLoadPercent(uint64_t available, uint64_t total)
{
    if (total == 0)
        return 0;
    return 100 - (int)((double)available / (double)total * 100.0);
}

// Row colours wrap as a byte does: 155 + value for 0..100, darker for more rows.
static uint8_t Shade(int value)
{
    return (uint8_t)(value - 101);
}

static int Clamp(int v, int low, int high)
{
    return v < low ? low : v > high ? high : v;
}

// The first processor query yields loads far below 0: no bar, and no overflow.
static int BarRight(int value, int w)
{
    double right = (double)value * w / 100.0;
    return right < 0 ? 0 : (int)right;
}

// Appends to the tooltip text, cutting at its end.
static void AppendTip(char *tip, size_t tipSize, const char *format, int a, int b = 0)
{
    size_t used = std::strlen(tip);
    if (used + 1 < tipSize)
        std::snprintf(tip + used, tipSize - used, format, a, b);
}

int LayoutMeterRows(const MeterInput &in, MeterRow *rows, int capacity, char *tip, size_t tipSize)
{
    int disks = in.diskCount > 0 ? in.diskCount : 0;
    int cpus = in.cpuCount > 0 ? in.cpuCount : 0;
    int w = in.width;
    int h = in.height / (2 + disks + cpus);
    bool text = h >= 8;
    int n = 0;
    if (tipSize)
        tip[0] = 0;
    auto add = [&](int top, int bottom, int fill, uint8_t r, uint8_t g, uint8_t b, int percent) {
        if (n < capacity)
            rows[n++] = {top, bottom, fill, r, g, b, percent < 0 ? 0 : percent, text};
    };
    add(0, h, (int)(w / 100.0 * in.physicalLoad), Shade(in.physicalLoad), 0, 0, in.physicalLoad);
    // A tip draws a tab as a box: the label and its value are set apart by a blank.
    AppendTip(tip, tipSize, "PHYS MEM (RED) : %d%%", in.physicalLoad);
    add(h, 2 * h, (int)(w / 100.0 * in.pageLoad), 0, Shade(in.pageLoad), 0, in.pageLoad);
    AppendTip(tip, tipSize, "\r\nPAGE MEM (GREEN) : %d%%", in.pageLoad);
    for (int i = 0; i < disks; ++i) {
        int v = Clamp(100 - in.diskValues[i], 0, 100);
        in.diskValues[i] = v;
        AppendTip(tip, tipSize, "\r\nDISK LOAD(%d) (PURPLE) : %d%%", i, v);
        uint8_t q = Shade(v - 10 * i);
        add((2 + i) * h, (3 + i) * h, BarRight(v, w), q, 0, q, v);
    }
    for (int i = 0; i < cpus; ++i) {
        int u = in.cpuLoads[i];
        add((disks + 2 + i) * h, in.height, BarRight(u, w), 0, 0, Shade(u - 10 * i), u);
        AppendTip(tip, tipSize, "\r\nCPU LOAD(%d) (BLUE) : %d%%", i, u < 0 ? 0 : u);
    }
    return n;
}
