#include "clock_face.h"

#include <cmath>
#include <cstdio>

#include "clock_ids.h"

static const double PI = 3.14159265358979323846;

static const char *const DAY_NAMES[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
static const char *const MONTH_NAMES[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int RimPenWidth(int cx)
{
    return (int)(cx * 0.031) + 1;
}

FacePoint MarkCentre(int index, int perTurn, int cx, int cy)
{
    double t = (0.5 - 2.0 * index / perTurn) * PI;
    return {(int)(std::cos(t) * 0.9 * cx + cx), (int)(cy - std::sin(t) * 0.9 * cy)};
}

void MarkHalfSize(int cx, int cy, double fraction, int *a, int *b)
{
    *a = (int)(cx * fraction) + 1;
    *b = (int)(cy * fraction) + 1;
}

bool MarkWantsWhitePen(int a, int b)
{
    return a < 3 || b <= 2;
}

double HourHandAngle(int hour, double minutes)
{
    return (hour / 6.0 + minutes / 360.0) * PI;
}

double MinuteHandAngle(double minutes)
{
    // The hour must not push the minute hand: at 15:00 it stands on the 12.
    return minutes / 30.0 * PI;
}

double SecondHandAngle(int second, int milliseconds)
{
    return (second + milliseconds / 1000.0) * PI / 30.0;
}

void HandPolygon(double angle, double tail, double half, double tip, int cx, int cy,
                 FacePoint out[5])
{
    double s = std::sin(angle), c = std::cos(angle);
    out[0] = {(int)(cx - s * tail * cx), (int)(cy + c * tail * cy)};
    out[1] = {(int)(cx - c * half * cx), (int)(cy - s * half * cy)};
    out[2] = {(int)(cx + s * tip * cx), (int)(cy - c * tip * cy)};
    out[3] = {(int)(cx + c * half * cx), (int)(cy + s * half * cy)};
    out[4] = out[0];
}

FacePoint SecondHandEnd(int second, int milliseconds, int cx, int cy)
{
    double s = SecondHandAngle(second, milliseconds);
    return {(int)(std::sin(s) * 0.8 * cx + cx), (int)(cy - std::cos(s) * 0.8 * cy)};
}

int FormatClockTooltip(char *out, size_t size, int year, int month, int dayOfWeek, int day,
                       int hour, int minute, int second)
{
    const char *dayName = dayOfWeek >= 0 && dayOfWeek < 7 ? DAY_NAMES[dayOfWeek] : "";
    const char *monthName = month >= 1 && month <= 12 ? MONTH_NAMES[month - 1] : "";
    int dialHour = hour < 13 ? hour : hour - 12;
    int written = std::snprintf(out, size, "%02d:%02d:%02d%s %s %02d/%s/%04d", dialHour, minute,
                                second, hour < 12 ? "AM" : "PM", dayName, day, monthName, year);
    return written < 0 || (size_t)written >= size ? -1 : written;
}

int TransparencyAlpha(int percent)
{
    // The percentage times the double nearest 2.55, truncated. That double
    // lies just below 2.55, so whole products come out one less; integers
    // say so exactly, where a double product rounds differently on x87 and SSE.
    if (percent <= 0)
        return 255;
    return 255 - (percent * 255 - 1) / 100;
}

int TransparencyMenuId(int alpha)
{
    return 100 - (int)(alpha / 2.55);
}

double WrapMapShift(double shift)
{
    if (!std::isfinite(shift))
        return 90.0;
    double s = std::fmod(shift, 360.0);
    if (s < 0)
        s += 360.0;
    return s >= 360.0 ? 0.0 : s;
}

int MapRowSlices(int mapWidth, double shift, int view180, int destWidth, MapSlice out[2])
{
    if (mapWidth <= 0 || destWidth <= 0)
        return 0;
    int visible = view180 ? mapWidth / 2 : mapWidth;
    int end = (int)(WrapMapShift(shift) * (mapWidth / 360.0));
    if (end > mapWidth)
        end = mapWidth;
    int q = end - visible;
    if (q >= 0) {
        out[0] = {q, visible, 0, destWidth};
        return 1;
    }
    int wrapped = -q;
    int firstWidth = (int)((long long)destWidth * wrapped / visible);
    out[0] = {mapWidth - wrapped, wrapped, 0, firstWidth};
    out[1] = {0, visible - wrapped, firstWidth, destWidth - firstWidth};
    return 2;
}

int ResizedExtent(int current, int last, int now)
{
    int extent = current - (last - now);
    return extent < CLOCK_MIN_SIZE + 1 ? CLOCK_MIN_SIZE : extent;
}
