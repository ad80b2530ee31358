#include "clock_info.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clock_ids.h"

ClockSettings DefaultClockSettings()
{
    ClockSettings s;
    s.mapId = IDB_CLOCK_MAP_FIRST;
    s.round = 1;
    s.view180 = 1;
    s.alpha = 255;
    s.mapShift = 90.0;
    s.rect = {CLOCK_START_X, CLOCK_START_Y, CLOCK_START_X + CLOCK_START_SIZE,
              CLOCK_START_Y + CLOCK_START_SIZE};
    s.topmost = 0;
    return s;
}

int FormatClockInfo(const ClockSettings &s, char *out, size_t size)
{
    int written = std::snprintf(out, size, CLOCK_INFO_FORMAT, s.mapId, s.round, s.view180,
                                s.alpha, s.mapShift, s.rect.left, s.rect.top, s.rect.right,
                                s.rect.bottom, s.topmost);
    return written < 0 || (size_t)written >= size ? -1 : written;
}

static bool ReadInt(const char **cursor, int *out)
{
    char *end;
    errno = 0;
    long value = std::strtol(*cursor, &end, 10);
    if (end == *cursor)
        return false;
    if (errno == ERANGE || value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    *out = (int)value;
    *cursor = end;
    return true;
}

static bool ReadFloat(const char **cursor, double *out)
{
    char *end;
    // Single precision on purpose: the stored shift has always been read that way.
    float value = std::strtof(*cursor, &end);
    if (end == *cursor)
        return false;
    *out = value;
    *cursor = end;
    return true;
}

int ParseClockInfo(const char *text, size_t length, ClockSettings *settings)
{
    char buffer[CLOCK_INFO_BYTES];
    if (length >= sizeof buffer)
        length = sizeof buffer - 1;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';

    int *ints[] = {&settings->mapId, &settings->round, &settings->view180, &settings->alpha};
    int *rest[] = {&settings->rect.left, &settings->rect.top, &settings->rect.right,
                   &settings->rect.bottom, &settings->topmost};
    const char *cursor = buffer;
    int read = 0;
    for (int *field : ints) {
        if (!ReadInt(&cursor, field))
            return read;
        ++read;
    }
    if (!ReadFloat(&cursor, &settings->mapShift))
        return read;
    ++read;
    for (int *field : rest) {
        if (!ReadInt(&cursor, field))
            return read;
        ++read;
    }
    return read;
}

void SanitiseClockSettings(ClockSettings *s)
{
    ClockSettings defaults = DefaultClockSettings();
    bool knownMap = (s->mapId >= IDB_CLOCK_MAP_FIRST && s->mapId <= IDB_CLOCK_MAP_LAST) ||
                    s->mapId == IDM_CLOCK_NO_MAP;
    if (!knownMap)
        s->mapId = defaults.mapId;
    s->round = s->round != 0;
    s->view180 = s->view180 != 0;
    s->topmost = s->topmost != 0;
    // Alpha 0 would make the window invisible and unreachable.
    if (s->alpha <= 0)
        s->alpha = -1;
    if (s->alpha > 255)
        s->alpha = 255;
    if (!std::isfinite(s->mapShift))
        s->mapShift = defaults.mapShift;
}

static void ClampAxis(int *low, int *high, int extent)
{
    // A stored size may be negative or absurd; keep one the user could have made.
    long long size = (long long)*high - *low;
    if (size < CLOCK_MIN_SIZE)
        size = CLOCK_MIN_SIZE;
    long long limit = extent > CLOCK_MIN_SIZE ? extent : CLOCK_MIN_SIZE;
    if (size > limit)
        size = limit;
    long long start = *low;
    if (start < 0)
        start = CLOCK_DESKTOP_MARGIN;
    if (start > (long long)extent - CLOCK_DESKTOP_MARGIN)
        start = (long long)extent - CLOCK_DESKTOP_MARGIN;
    *low = (int)start;
    *high = (int)(start + size);
}

ClockRect ClampClockRect(ClockRect rect, int desktopWidth, int desktopHeight)
{
    ClampAxis(&rect.left, &rect.right, desktopWidth);
    ClampAxis(&rect.top, &rect.bottom, desktopHeight);
    return rect;
}

ClockRect KeepClockOnDesktop(ClockRect rect, int desktopRight, int desktopBottom)
{
    if (rect.left > desktopRight) {
        int width = rect.right - rect.left;
        rect.right = desktopRight;
        rect.left = desktopRight - width;
    }
    if (rect.top > desktopBottom) {
        int height = rect.bottom - rect.top;
        rect.bottom = desktopBottom;
        rect.top = desktopBottom - height;
    }
    return rect;
}

void PlaceCalendar(const ClockRect &clock, int dialogWidth, int dialogHeight, int desktopBottom,
                   int *left, int *top)
{
    *top = clock.bottom;
    if (desktopBottom < clock.bottom + dialogHeight)
        *top = desktopBottom - dialogHeight;
    *left = clock.left + (clock.right - clock.left) / 2 - dialogWidth / 2;
}
