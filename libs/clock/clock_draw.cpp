#include "clock_draw.h"

#include "clock_face.h"

static const COLORREF NO_MAP_BLUE = 0xBE0000;
static void DrawRim(HDC dc, int width, int height, int cx)
{
    int w = RimPenWidth(cx);
    HPEN rim = CreatePen(PS_SOLID, w, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, rim ? (HGDIOBJ)rim : GetStockObject(WHITE_PEN));
    SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    Ellipse(dc, w - 4, w - 4, width - w + 3, height - w + 3);
    SelectObject(dc, oldPen);
    if (rim)
        DeleteObject(rim);
}

static void DrawMarks(HDC dc, int cx, int cy)
{
    int a, b;
    MarkHalfSize(cx, cy, 0.015, &a, &b);
    if (MarkWantsWhitePen(a, b))
        SelectObject(dc, GetStockObject(WHITE_PEN));
    for (int i = 1; i <= 12; ++i) {
        FacePoint c = MarkCentre(i, 12, cx, cy);
        if (i % 3 == 0) {
            POINT diamond[4] = {{c.x - a, c.y}, {c.x, c.y - b}, {c.x + a, c.y}, {c.x, c.y + b}};
            Polygon(dc, diamond, 4);
        } else {
            Ellipse(dc, c.x - a, c.y - b, c.x + a, c.y + b);
        }
    }
    MarkHalfSize(cx, cy, 0.009, &a, &b);
    if (MarkWantsWhitePen(a, b))
        SelectObject(dc, GetStockObject(WHITE_PEN));
    for (int j = 1; j <= 60; ++j) {
        if (j % 5 == 0)
            continue;
        FacePoint c = MarkCentre(j, 60, cx, cy);
        Ellipse(dc, c.x - a, c.y - b, c.x + a, c.y + b);
    }
    SelectObject(dc, GetStockObject(BLACK_PEN));
}

static void DrawHand(HDC dc, double angle, double tail, double half, double tip, int cx, int cy)
{
    FacePoint points[5];
    HandPolygon(angle, tail, half, tip, cx, cy, points);
    POINT outline[5];
    for (int i = 0; i < 5; ++i)
        outline[i] = {points[i].x, points[i].y};
    Polygon(dc, outline, 5);
}

static void DrawInvertedLine(HDC dc, int cx, int cy, FacePoint end)
{
    int oldRop = SetROP2(dc, R2_NOT);
    MoveToEx(dc, cx, cy, nullptr);
    LineTo(dc, end.x, end.y);
    SetROP2(dc, oldRop);
}

void DrawClockFace(HWND window, HBITMAP backBuffer, const SYSTEMTIME &time, HBITMAP map,
                   double mapShift, int view180, int round, FacePoint *secondHandEnd)
{
    RECT client;
    GetClientRect(window, &client);
    int width = client.right, height = client.bottom;
    int cx = width / 2, cy = height / 2;
    HDC windowDc = GetDC(window);
    if (!windowDc)
        return;

    HDC memory = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    if (map && backBuffer) {
        memory = CreateCompatibleDC(windowDc);
        if (memory)
            oldBitmap = SelectObject(memory, backBuffer);
    }
    HDC target = memory ? memory : windowDc;
    if (memory) {
        DrawClockMap(window, memory, map, 0, 0, width, height, mapShift, view180);
    } else {
        HBRUSH blue = CreateSolidBrush(NO_MAP_BLUE);
        FillRect(target, &client, blue ? blue : (HBRUSH)GetStockObject(BLACK_BRUSH));
        if (blue)
            DeleteObject(blue);
    }

    HGDIOBJ oldPen = SelectObject(target, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(target, GetStockObject(WHITE_BRUSH));
    if (round) {
        DrawRim(target, width, height, cx);
        SelectObject(target, GetStockObject(BLACK_PEN));
        SelectObject(target, GetStockObject(WHITE_BRUSH));
    }
    DrawMarks(target, cx, cy);

    double minutes = time.wMinute + time.wSecond / 60.0;
    DrawHand(target, HourHandAngle(time.wHour, minutes), 0.1, 0.05, 0.5, cx, cy);
    DrawHand(target, MinuteHandAngle(minutes), 0.08, 0.04, 0.75, cx, cy);
    *secondHandEnd = SecondHandEnd(time.wSecond, time.wMilliseconds, cx, cy);
    DrawInvertedLine(target, cx, cy, *secondHandEnd);
    SelectObject(target, oldPen);
    SelectObject(target, oldBrush);

    if (memory) {
        BitBlt(windowDc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteDC(memory);
    }
    ReleaseDC(window, windowDc);
    ValidateRect(window, nullptr);
}

// How far in from the left a face row starts: the window's region (the round
// face) hides the rest. Starting from the row above, a few pixels inward,
// keeps the search short.
static int VisibleRowStart(HRGN region, int left, int top, int start, int row)
{
    if (!region)
        return 0;
    int x = start;
    while (x > 0) {
        if (!PtInRegion(region, left + x, top + row)) {
            ++x;
            break;
        }
        --x;
    }
    return x;
}

void DrawClockMap(HWND window, HDC target, HBITMAP map, int left, int top, int right, int bottom,
                  double mapShift, int view180)
{
    BITMAP info;
    if (!GetObjectA(map, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return;
    int destWidth = right - left, destHeight = bottom - top;
    if (destWidth <= 0 || destHeight <= 0)
        return;
    HDC source = CreateCompatibleDC(target);
    if (!source)
        return;
    HGDIOBJ oldBitmap = SelectObject(source, map);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (region && GetWindowRgn(window, region) == ERROR) {
        DeleteObject(region);
        region = nullptr;
    }
    int oldMode = SetStretchBltMode(target, COLORONCOLOR);
    double rowStep = (double)info.bmHeight / destHeight, sourceRow = 0;
    int x = destWidth / 2;
    for (int row = 0; row < destHeight; ++row, sourceRow += rowStep) {
        x = VisibleRowStart(region, left, top, row == 0 ? destWidth / 2 : x + 5, row);
        if (x > destWidth / 2)
            x = destWidth / 2;
        int rowWidth = destWidth - 2 * x;
        MapSlice slices[2];
        int count = MapRowSlices(info.bmWidth, mapShift, view180, rowWidth, slices);
        for (int i = 0; i < count; ++i)
            StretchBlt(target, left + x + slices[i].destX, top + row, slices[i].destWidth, 1,
                       source, slices[i].sourceX, (int)sourceRow, slices[i].sourceWidth, 1,
                       SRCCOPY);
    }
    SetStretchBltMode(target, oldMode);
    if (region)
        DeleteObject(region);
    SelectObject(source, oldBitmap);
    DeleteDC(source);
}

void DrawSecondHand(HWND window, const SYSTEMTIME &time, FacePoint *secondHandEnd)
{
    RECT client;
    GetClientRect(window, &client);
    int cx = client.right / 2, cy = client.bottom / 2;
    HDC dc = GetDC(window);
    if (!dc)
        return;
    if (secondHandEnd->x > 0 && secondHandEnd->y > 0)
        DrawInvertedLine(dc, cx, cy, *secondHandEnd);
    *secondHandEnd = SecondHandEnd(time.wSecond, time.wMilliseconds, cx, cy);
    DrawInvertedLine(dc, cx, cy, *secondHandEnd);
    ReleaseDC(window, dc);
    ValidateRect(window, nullptr);
}
