#include "memstat_window.h"

#include <commctrl.h>
#include <cstring>

#include "perf_counters.h"

HWND CreateToolTipWindow(HWND owner)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    HWND tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    if (tooltip)
        SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return tooltip;
}

// GlobalMemoryStatus clamps large memories; the extended form does not.
static void ReadMemoryLoads(int *physical, int *page)
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) {
        *physical = *page = 0;
        return;
    }
    *physical = MemoryLoadPercent(status.ullAvailPhys, status.ullTotalPhys);
    *page = MemoryLoadPercent(status.ullAvailPageFile, status.ullTotalPageFile);
}

static void PaintRow(HWND target, int width, const MeterRow &row, int rowHeight)
{
    HDC dc = GetDC(target);
    if (!dc)
        return;
    RECT all = {0, row.top, width, row.bottom};
    FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    if (row.fillRight > 0) {
        HBRUSH brush = CreateSolidBrush(RGB(row.red, row.green, row.blue));
        if (brush) {
            RECT bar = {0, row.top, row.fillRight, row.bottom};
            FillRect(dc, &bar, brush);
            DeleteObject(brush);
        }
    }
    if (row.showText) {
        LOGFONTA lf = {};
        lf.lfHeight = -rowHeight;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = ANSI_CHARSET;
        lf.lfOutPrecision = OUT_STRING_PRECIS;
        lf.lfClipPrecision = CLIP_STROKE_PRECIS;
        lf.lfQuality = DRAFT_QUALITY;
        lf.lfPitchAndFamily = FF_SWISS | DEFAULT_PITCH;
        std::strcpy(lf.lfFaceName, "MS LineDraw");
        HFONT font = CreateFontIndirectA(&lf);
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        char text[16];
        wsprintfA(text, "%d%%", row.percent);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, text, -1, &all, DT_CENTER);
        if (old)
            SelectObject(dc, old);
        if (font)
            DeleteObject(font);
    }
    ReleaseDC(target, dc);
}

// The tool is added once and then only given new text and bounds: adding it
// every second would pile up one tool per tick.
static LRESULT UpdateTip(HWND tooltip, HWND target, const RECT &client, char *text)
{
    if (!tooltip)
        return 0;
    SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, 300);
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = target;
    tool.uId = 0;
    tool.rect = client;
    tool.lpszText = text;
    TOOLINFOA existing = tool;
    existing.lpszText = nullptr;
    if (!SendMessageA(tooltip, TTM_GETTOOLINFOA, 0, (LPARAM)&existing))
        return SendMessageA(tooltip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    SendMessageA(tooltip, TTM_NEWTOOLRECTA, 0, (LPARAM)&tool);
    return SendMessageA(tooltip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&tool);
}

LRESULT MemStatPaintGraph(HWND target, HWND tooltip, int force, int reuse,
                          PerfCounterContext *context)
{
    (void)force; // every row is drawn on every call
    MeterInput in = {};
    ReadMemoryLoads(&in.physicalLoad, &in.pageLoad);
    in.cpuCount = reuse && context->lastCpuCount >= 0 ? context->lastCpuCount
                                                      : PerfQueryCpuLoad(context);
    in.cpuLoads = context->cpu.loads;
    in.diskCount = PerfQueryDiskLoad(context);
    in.diskValues = context->disk.loads;
    RECT client;
    GetClientRect(target, &client);
    in.width = client.right;
    in.height = client.bottom;
    MeterRow rows[METER_MAX_ROWS];
    char tip[METER_TIP_CHARS];
    int n = LayoutMeterRows(in, rows, METER_MAX_ROWS, tip, sizeof tip);
    int rowHeight = n > 0 ? rows[0].bottom - rows[0].top : 0;
    for (int i = 0; i < n; ++i)
        PaintRow(target, in.width, rows[i], rowHeight);
    return UpdateTip(tooltip, target, client, tip);
}
