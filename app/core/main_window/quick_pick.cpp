#include "quick_pick.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "core/core_ids.h"
#include "core/note_window/dialog_ids.h"
#include "core/note_editor/note_colours.h"
#include "core/note_editor/transparency.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"

static_assert(IDD_QUICK_PICK_LIST == IDD_QUICK_PICK, "one quick-pick dialog id");
static_assert((int)QUICK_PICK_SLOTS == (int)ZETTLY_SLOTS &&
                  (int)QUICK_PICK_LAST_SLOT == (int)ZETTLY_LAST_NOTE_SLOT,
              "the list walks the note table");

enum {
    ENTRY_HEIGHT = 20,
    EXTRA_LIST_ROWS = 42, // the list bitmap holds rows above and below the view for the scroll
    SCROLL_ROUNDS = 12,
    SCROLL_ROUND_MS = 12,
    POPUP_ALPHA = 230,
};
static const RECT NameStrip = {9, 9, 279, 34};
static const RECT ListArea = {22, 49, 270, 151};
static const COLORREF ListBackground = 0xFFEFE7;
static const COLORREF TransparentRed = 0x0000FF;
static const COLORREF FrameColours[4] = {0x743C00, 0xFFE7CE, 0xF6D4BC, 0xAD7335};

struct Surface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

// One open popup: its DWLP_USER from WM_INITDIALOG to WM_DESTROY. A scroll
// thread holds a reference too, so the animation outlives the window while
// the thread runs; the last reference frees it.
struct QuickPickPopup {
    LONG references;
    int *selected; // the opener's, which outlives the popup
    Surface name, list, shape;
    int listFull; // the list's forward pass filled its last row
    QuickPickAnimation scroll;
};

static QuickPickPopup *PopupOf(HWND dialog)
{
    return (QuickPickPopup *)GetWindowLongPtrA(dialog, DWLP_USER);
}

static void ReleasePopup(QuickPickPopup *p)
{
    if (InterlockedDecrement(&p->references) == 0)
        delete p;
}

const QuickPickAnimation *QuickPickScrollOf(HWND list)
{
    QuickPickPopup *p = list ? PopupOf(list) : nullptr;
    return p ? &p->scroll : nullptr;
}

static int Width(const RECT &r)
{
    return r.right - r.left;
}
static int Height(const RECT &r)
{
    return r.bottom - r.top;
}

static void UsedSlots(uint8_t used[QUICK_PICK_SLOTS])
{
    for (int slot = 0; slot < QUICK_PICK_SLOTS; ++slot)
        used[slot] = slot <= ZETTLY_LAST_NOTE_SLOT && ZettlyTable[slot].window != nullptr;
}

// ---------------------------------------------------------------- regions

HRGN CreateRegionFromBitmap(HBITMAP bitmap, COLORREF transparent, int *width, int *height)
{
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return nullptr;
    *width = info.bmWidth;
    *height = info.bmHeight;
    HDC screen = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    if (!screen)
        return nullptr;
    int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    if (bits != 8 && bits != 16 && bits != 24)
        bits = 32;
    // The header with room for a full colour table behind it.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } dib = {};
    dib.header.biSize = sizeof dib.header;
    dib.header.biWidth = info.bmWidth;
    dib.header.biHeight = info.bmHeight; // bottom-up
    dib.header.biPlanes = 1;
    dib.header.biBitCount = (WORD)bits;
    dib.header.biCompression = BI_RGB;
    size_t stride = (((size_t)info.bmWidth * (size_t)bits + 31) / 32) * 4;
    size_t bytes = stride * (size_t)info.bmHeight;
    std::vector<uint8_t> pixels(bytes);
    int rows = GetDIBits(screen, bitmap, 0, (UINT)info.bmHeight, pixels.data(),
                         (BITMAPINFO *)&dib, DIB_RGB_COLORS);
    DeleteDC(screen);
    if (rows != info.bmHeight)
        return nullptr;
    uint32_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = ((uint32_t)dib.colours[i].rgbRed << 16) |
                   ((uint32_t)dib.colours[i].rgbGreen << 8) | dib.colours[i].rgbBlue;
    std::vector<RegionRun> runs;
    if (CollectOpaqueRuns(pixels.data(), bytes, info.bmWidth, info.bmHeight, bits, table, 256,
                          transparent, &runs) != 0)
        return nullptr;
    size_t dataBytes = sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT);
    RGNDATA *data = (RGNDATA *)std::calloc(1, dataBytes);
    if (!data)
        return nullptr;
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = (DWORD)runs.size();
    RECT *out = (RECT *)data->Buffer;
    for (size_t i = 0; i < runs.size(); ++i)
        out[i] = RECT{runs[i].left, runs[i].top, runs[i].right, runs[i].bottom};
    HRGN region = ExtCreateRegion(nullptr, (DWORD)dataBytes, data);
    std::free(data);
    return region;
}

// ---------------------------------------------------------------- drawing

void DrawQuickPickEntry(HDC dc, RECT r, int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[slot].window)
        return;
    ZettlyRecord *z = &ZettlyTable[slot];
    COLORREF shade = ShadeColour(z->backColour);
    if (ZettlyInfo.titleGradient && GetNearestColor(dc, shade) != z->backColour)
        FillGradientRect(dc, shade, z->blinkColour, &r);
    else
        FillSolidRect(dc, &r, shade);
    HFONT font = CreateFontIndirectA(AsLOGFONT(&z->titleFont));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetTextColor(dc, GetNearestColor(dc, z->textColour));
    SetBkMode(dc, TRANSPARENT);
    char title[ZETTLY_TITLE_BYTES];
    lstrcpynA(title, z->title, sizeof title);
    DrawTextA(dc, title, -1, &r, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_SINGLELINE);
    if (old)
        SelectObject(dc, old);
    if (font)
        DeleteObject(font);
}

void DrawQuickPickList(HDC dc, int left, int top, int right, int bottom, int entryHeight,
                       int middle, int *listFull, COLORREF background)
{
    int width = right - left;
    RECT all = {0, 0, width, bottom - top};
    FillSolidRect(dc, &all, background);
    *listFull = 0;
    if (entryHeight <= 0)
        return;
    int rows = (bottom - top) / entryHeight;
    uint8_t used[QUICK_PICK_SLOTS];
    UsedSlots(used);
    QuickPickRow placed[QUICK_PICK_SLOTS];
    int count = QuickPickListRows(used, middle, rows, placed, QUICK_PICK_SLOTS, listFull);
    for (int i = 0; i < count; ++i) {
        int rowTop = placed[i].row * (entryHeight + 1);
        DrawQuickPickEntry(dc, RECT{10, rowTop, width - 10, rowTop + entryHeight}, placed[i].slot);
    }
}

// ---------------------------------------------------------------- surfaces

static bool MakeSurface(Surface *s, HDC like, int width, int height)
{
    s->dc = CreateCompatibleDC(like);
    s->bitmap = s->dc ? CreateCompatibleBitmap(like, width, height) : nullptr;
    if (!s->bitmap) {
        if (s->dc)
            DeleteDC(s->dc);
        *s = Surface{};
        return false;
    }
    s->old = SelectObject(s->dc, s->bitmap);
    return true;
}

static void FreeSurface(Surface *s)
{
    if (s->dc) {
        SelectObject(s->dc, s->old);
        DeleteDC(s->dc);
    }
    if (s->bitmap)
        DeleteObject(s->bitmap);
    *s = Surface{};
}

static void DrawName(QuickPickPopup *p, int slot, int half)
{
    if (!p->name.dc)
        return;
    int h = Height(NameStrip);
    RECT r = {0, half * h, Width(NameStrip), half * h + h};
    FillSolidRect(p->name.dc, &r, ListBackground);
    DrawQuickPickEntry(p->name.dc, r, slot);
}

static void DrawList(QuickPickPopup *p)
{
    if (!p->list.dc)
        return;
    DrawQuickPickList(p->list.dc, ListArea.left, ListArea.top, ListArea.right,
                      ListArea.bottom + EXTRA_LIST_ROWS, ENTRY_HEIGHT, *p->selected,
                      &p->listFull, ListBackground);
}

// ---------------------------------------------------------------- the popup

static BOOL OnQuickPickInit(HWND dialog, int *selected)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT own;
    GetWindowRect(dialog, &own);
    int deskHeight = Height(desktop);
    SetWindowPos(dialog, nullptr, Width(desktop) / 2 - Width(own) / 2,
                 deskHeight / 2 - deskHeight / 3, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    uint8_t used[QUICK_PICK_SLOTS];
    UsedSlots(used);
    *selected = QuickPickStartSlot(used, *selected);
    SetWindowAlpha(dialog, POPUP_ALPHA);

    QuickPickPopup *p = new (std::nothrow) QuickPickPopup();
    if (!p)
        return TRUE; // no memory: an empty popup that closes as usual
    p->references = 1;
    p->selected = selected;
    p->scroll.window = dialog;
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)p);
    HDC dc = GetDC(dialog);
    if (dc) {
        if (MakeSurface(&p->name, dc, Width(NameStrip), 2 * Height(NameStrip)))
            DrawName(p, *selected, 0);
        if (MakeSurface(&p->list, dc, Width(ListArea), Height(ListArea) + EXTRA_LIST_ROWS))
            DrawList(p);
        HBITMAP shape = LoadBitmapA(GetModuleHandleA(nullptr),
                                    MAKEINTRESOURCEA(IDB_QUICK_PICK_SHAPE));
        p->shape.dc = shape ? CreateCompatibleDC(dc) : nullptr;
        if (p->shape.dc) {
            p->shape.bitmap = shape;
            p->shape.old = SelectObject(p->shape.dc, shape);
        } else if (shape) {
            DeleteObject(shape);
        }
        ReleaseDC(dialog, dc);
        int width = 0, height = 0;
        HRGN region = shape ? CreateRegionFromBitmap(shape, TransparentRed, &width, &height)
                            : nullptr;
        if (region) {
            SetWindowPos(dialog, nullptr, 0, 0, width, height,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (!SetWindowRgn(dialog, region, TRUE))
                DeleteObject(region);
        }
    }
    return TRUE;
}

static DWORD WINAPI QuickPickScrollThread(LPVOID popup);

static void StartScroll(HWND dialog, bool next)
{
    QuickPickPopup *p = PopupOf(dialog);
    if (!p || p->scroll.running || *p->selected < 0)
        return;
    uint8_t used[QUICK_PICK_SLOTS];
    UsedSlots(used);
    int old = *p->selected;
    int fresh = next ? QuickPickNext(used, old) : QuickPickPrevious(used, old);
    *p->selected = fresh;
    float strip = (float)Height(NameStrip);
    DrawName(p, next ? old : fresh, 0);
    DrawName(p, next ? fresh : old, 1);
    QuickPickAnimation *a = &p->scroll;
    a->nameOffset = next ? 0.0f : strip;
    a->nameTarget = next ? strip : 0.0f;
    a->nameStep = (next ? strip : -strip) / SCROLL_ROUNDS;
    a->listOffset = 0.0f;
    a->listStep = (next ? 20.0f : -20.0f) / SCROLL_ROUNDS;
    // Set here, not only by the thread: a second key that arrives before the
    // thread runs must find the scroll busy.
    a->running = 1;
    InterlockedIncrement(&p->references);
    HANDLE thread = CreateThread(nullptr, WORKER_STACK_BYTES, QuickPickScrollThread, (LPVOID)p,
                                 0, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        InterlockedDecrement(&p->references); // the window still holds its own
        a->nameOffset = a->nameTarget;
        a->running = 0;
        InvalidateRect(dialog, nullptr, FALSE);
    }
}

static DWORD WINAPI QuickPickScrollThread(LPVOID parameter)
{
    QuickPickPopup *p = (QuickPickPopup *)parameter;
    if (!p)
        return (DWORD)-1;
    QuickPickAnimation *a = &p->scroll;
    a->running = 1;
    HWND window = (HWND)a->window;
    int last = 0;
    do {
        Sleep(SCROLL_ROUND_MS);
        last = AdvanceQuickPickAnimation(a);
        if (IsWindow(window))
            InvalidateRect(window, nullptr, FALSE);
    } while (!last);
    a->running = 0;
    if (IsWindow(window))
        InvalidateRect(window, nullptr, FALSE);
    ReleasePopup(p);
    return 0;
}

static void DrawSelectionFrame(HDC dc)
{
    int top = ListArea.top + (Height(ListArea) / ENTRY_HEIGHT / 2) * 21 - 5;
    RECT r = {ListArea.left, top, ListArea.right, top + 33};
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    for (COLORREF colour : FrameColours) {
        HPEN pen = CreatePen(PS_SOLID, 2, colour);
        if (pen) {
            HGDIOBJ oldPen = SelectObject(dc, pen);
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
        InflateRect(&r, -2, -2);
    }
    SelectObject(dc, oldBrush);
}

static void OnQuickPickPaint(HWND dialog)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    if (!dc)
        return;
    QuickPickPopup *p = PopupOf(dialog);
    if (!p) {
        EndPaint(dialog, &ps);
        return;
    }
    if (p->shape.dc) {
        BITMAP b;
        GetObjectA(p->shape.bitmap, sizeof b, &b);
        BitBlt(dc, 0, 0, b.bmWidth, b.bmHeight, p->shape.dc, 0, 0, SRCCOPY);
    }
    QuickPickAnimation *a = &p->scroll;
    if (*p->selected >= 0) {
        if (p->name.dc)
            BitBlt(dc, NameStrip.left, NameStrip.top, Width(NameStrip), Height(NameStrip),
                   p->name.dc, 0, (int)a->nameOffset, SRCCOPY);
        if (!(a->running && p->listFull)) {
            a->listOffset = 0;
            a->listStep = 0;
            DrawList(p);
        }
        if (p->list.dc)
            BitBlt(dc, ListArea.left, ListArea.top, Width(ListArea), Height(ListArea),
                   p->list.dc, 0, (int)a->listOffset + ENTRY_HEIGHT, SRCCOPY);
        DrawSelectionFrame(dc);
    }
    EndPaint(dialog, &ps);
}

INT_PTR CALLBACK PopupAnimDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnQuickPickInit(dialog, (int *)lParam);
    case WM_PAINT:
        OnQuickPickPaint(dialog);
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_USER:
        // WM_USER is also the dialog manager's DM_GETDEFID: only our code is ours.
        if (wParam != MAIN_SHORTCUT)
            return FALSE;
        if (lParam == SHORTCUT_NEXT || lParam == SHORTCUT_PREVIOUS)
            StartScroll(dialog, lParam == SHORTCUT_NEXT);
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND owner = GetWindow(dialog, GW_OWNER);
            if (owner)
                PostMessageA(owner, WM_USER, MAIN_SHORTCUT, SHORTCUT_CLOSE_LIST);
        }
        return FALSE;
    case WM_DESTROY:
        if (QuickPickPopup *p = PopupOf(dialog)) {
            FreeSurface(&p->name);
            FreeSurface(&p->list);
            FreeSurface(&p->shape);
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            ReleasePopup(p);
        }
        return FALSE;
    }
    return FALSE;
}

HWND OpenQuickPickList(HWND owner, int *selectedSlot)
{
    HWND list = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_QUICK_PICK_LIST),
                                   owner, PopupAnimDlgProc, (LPARAM)selectedSlot);
    if (list)
        ShowWindow(list, SW_SHOW);
    return list;
}
