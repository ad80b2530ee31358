// The arithmetic of printing and of the print preview: page geometry in
// twips, pagination, the preview's zoom, fit and pan, and the texts of the
// header and footer. No windows.h: the printing dialogs feed these the
// device's measurements.
#pragma once
#include <string>
#include <vector>

enum {
    PRINT_MAX_PAGES = 1024,
    PRINT_ZOOM_LEVELS = 5,
    TWIPS_PER_INCH = 1440,
};
// Pixels per inch of the preview's page bitmap for each zoom index; index 0
// is "View All" (the page fitted to the view).
extern const int PreviewZoomScales[PRINT_ZOOM_LEVELS];

// number * numerator / denominator rounded, with a 64-bit intermediate;
// -1 when the denominator is 0 or the result does not fit (as the system's
// MulDiv answers).
int MulDivRound(int number, int numerator, int denominator);

// What a device context tells of its page (GetDeviceCaps).
struct PageMetrics {
    int physicalWidth, physicalHeight; // the paper, in device units
    int offsetX, offsetY;              // unprintable margins, in device units
    int horzRes, vertRes;              // the printable area, in device units
    int logPixelsX, logPixelsY;
};
// A page of A4 (metric) or US Letter at the given resolution, with no
// unprintable margin: the preview's page when there is no printer.
PageMetrics DefaultPageMetrics(bool metric, int pixelsPerInch);

struct TwipsRect {
    int left, top, right, bottom;
};
struct PageGeometry {
    TwipsRect page;         // the whole paper
    TwipsRect format;       // where the text goes
    int originX, originY;   // the text's origin on the device, in device units
};
// 0, or -1 when the device reports no resolution or no page.
int ComputePageGeometry(const PageMetrics &metrics, PageGeometry *geometry);

// One page: its first and last character and the rectangle the control used.
struct PrintPage {
    int first, last;
    TwipsRect rect;
};
// Lays out one page from start: returns the first character of the next
// page (or -1) and the rectangle it used. This is EM_FORMATRANGE's job.
typedef int (*MeasurePage)(void *context, int start, TwipsRect *rect);
// The pages of a text, at most PRINT_MAX_PAGES; stops when the measure
// returns -1 or makes no progress.
std::vector<PrintPage> Paginate(MeasurePage measure, void *context);
// Where the control cannot lay out pages itself, pages are cut from its
// lines: the line tops (one entry a line and one more, the bottom of the
// last line) cut into pages of at most pageHeight, each holding at least
// one line. Returns the first line of each page, at most PRINT_MAX_PAGES.
std::vector<int> PageBreaksFromLineTops(const std::vector<int> &lineTops, int pageHeight);
// The count shown in captions and footers: 1 when there is no page.
int ShownPageCount(int pageCount);

// "[Page 001/003]"
std::string PageFooterText(int page, int pageCount);
// "Wed Dec 9 2026 01:05 PM": weekday 0 (Sunday) to 6, month 1 to 12,
// hour 0 to 23 shown on the 12-hour clock (0 and 12 as they are).
std::string PrintDateTimeText(int weekday, int month, int day, int year, int hour, int minute);

struct PixelSize {
    int width, height;
};
// The preview's page bitmap at a scale (pixels per inch) for the device's
// printable area; {0, 0} when the device reports no resolution.
PixelSize PreviewBitmapSize(const PageMetrics &metrics, int scale);

struct PixelRect {
    int left, top, width, height;
};
// The page bitmap scaled by the smaller of the two ratios and centred in the area.
PixelRect FitPageInArea(int bitmapWidth, int bitmapHeight, int areaWidth, int areaHeight);
// Keeps the pan offset where at most half the view shows no page.
void ClampPanOffset(int *x, int *y, int bitmapWidth, int bitmapHeight, int areaWidth, int areaHeight);
