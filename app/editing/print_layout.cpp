#include "print_layout.h"

#include <climits>
#include <cstdint>
#include <cstdio>

const int PreviewZoomScales[PRINT_ZOOM_LEVELS] = {72, 72, 144, 288, 576};

int MulDivRound(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    int64_t product = (int64_t)number * numerator;
    int64_t half = (denominator < 0 ? -(int64_t)denominator : denominator) / 2;
    // Rounds half away from zero, whatever the signs.
    bool negative = (product < 0) != (denominator < 0);
    int64_t magnitude = product < 0 ? -product : product;
    int64_t divisor = denominator < 0 ? -(int64_t)denominator : denominator;
    int64_t result = (magnitude + half) / divisor;
    if (negative)
        result = -result;
    if (result > INT_MAX || result < INT_MIN)
        return -1;
    return (int)result;
}

PageMetrics DefaultPageMetrics(bool metric, int pixelsPerInch)
{
    PageMetrics m = {};
    // A4 is 210 x 297 mm; a Letter page 8.5 x 11 inches.
    m.physicalWidth = metric ? MulDivRound(pixelsPerInch, 2100, 254) : MulDivRound(pixelsPerInch, 17, 2);
    m.physicalHeight = metric ? MulDivRound(pixelsPerInch, 2970, 254) : pixelsPerInch * 11;
    m.horzRes = m.physicalWidth;
    m.vertRes = m.physicalHeight;
    m.logPixelsX = m.logPixelsY = pixelsPerInch;
    return m;
}

int ComputePageGeometry(const PageMetrics &m, PageGeometry *g)
{
    if (m.logPixelsX <= 0 || m.logPixelsY <= 0 || m.physicalWidth <= 0 || m.physicalHeight <= 0)
        return -1;
    int width = MulDivRound(m.physicalWidth, TWIPS_PER_INCH, m.logPixelsX);
    int height = MulDivRound(m.physicalHeight, TWIPS_PER_INCH, m.logPixelsY);
    if (width <= 720 || height <= 1296)
        return -1;
    g->page = {0, 0, width, height};
    // Half an inch less than the paper's width, 0.9 inch less than its height.
    g->format = {0, 0, width - 720, height - 1296};
    g->originX = MulDivRound(m.logPixelsX, 720, 2880) - m.offsetX;
    g->originY = MulDivRound(m.logPixelsY, 720, 1872) - m.offsetY;
    return 0;
}

std::vector<PrintPage> Paginate(MeasurePage measure, void *context)
{
    std::vector<PrintPage> pages;
    int start = 0;
    while ((int)pages.size() < PRINT_MAX_PAGES) {
        TwipsRect rect = {};
        int next = measure(context, start, &rect);
        if (next == -1 || next <= start)
            break;
        pages.push_back({start, next - 1, rect});
        start = next;
    }
    return pages;
}

std::vector<int> PageBreaksFromLineTops(const std::vector<int> &lineTops, int pageHeight)
{
    std::vector<int> breaks;
    int lines = (int)lineTops.size() - 1;
    int start = 0;
    while (start < lines && (int)breaks.size() < PRINT_MAX_PAGES) {
        breaks.push_back(start);
        int end = start + 1;
        while (end < lines && lineTops[end + 1] - lineTops[start] <= pageHeight)
            end++;
        start = end;
    }
    return breaks;
}

int ShownPageCount(int pageCount)
{
    return pageCount > 0 ? pageCount : 1;
}

std::string PageFooterText(int page, int pageCount)
{
    char text[64];
    snprintf(text, sizeof text, "[Page %03d/%03d]", page, ShownPageCount(pageCount));
    return text;
}

std::string PrintDateTimeText(int weekday, int month, int day, int year, int hour, int minute)
{
    static const char *const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char *dayName = weekday >= 0 && weekday < 7 ? days[weekday] : "???";
    const char *monthName = month >= 1 && month <= 12 ? months[month - 1] : "???";
    int clockHour = hour > 12 ? hour - 12 : hour;
    char text[96];
    snprintf(text, sizeof text, "%s %s %d %d %02d:%02d %s", dayName, monthName, day, year, clockHour,
             minute, hour < 12 ? "AM" : "PM");
    return text;
}

PixelSize PreviewBitmapSize(const PageMetrics &m, int scale)
{
    if (m.logPixelsX <= 0 || m.logPixelsY <= 0 || scale <= 0)
        return {0, 0};
    int width = MulDivRound(m.horzRes, scale, m.logPixelsX);
    int height = MulDivRound(m.vertRes, scale, m.logPixelsY);
    if (width <= 0 || height <= 0)
        return {0, 0};
    return {width, height};
}

PixelRect FitPageInArea(int bitmapWidth, int bitmapHeight, int areaWidth, int areaHeight)
{
    if (bitmapWidth <= 0 || bitmapHeight <= 0 || areaWidth <= 0 || areaHeight <= 0)
        return {0, 0, 0, 0};
    int width, height;
    // Compare areaWidth / bitmapWidth with areaHeight / bitmapHeight without dividing.
    if ((int64_t)areaWidth * bitmapHeight <= (int64_t)areaHeight * bitmapWidth) {
        width = areaWidth;
        height = MulDivRound(bitmapHeight, areaWidth, bitmapWidth);
    } else {
        height = areaHeight;
        width = MulDivRound(bitmapWidth, areaHeight, bitmapHeight);
    }
    return {(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

static int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

void ClampPanOffset(int *x, int *y, int bitmapWidth, int bitmapHeight, int areaWidth, int areaHeight)
{
    *x = Clamp(*x, -areaWidth / 2, bitmapWidth - areaWidth / 2);
    *y = Clamp(*y, -areaHeight / 2, bitmapHeight - areaHeight / 2);
}
