// The print preview, dialog 146: a note's pages as the printer will print
// them, at five zoom levels, with paging, panning and printing.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <cstdio>

#include "editing_ids.h"
#include "printing.h"
#include "ui_seams.h"

enum {
    PREVIEW_CHOOSE_PRINTER = WM_APP + 1, // the first paint asks for a printer through this
};

struct PreviewState {
    HINSTANCE instance;
    HWND edit;
    SIZE initialSize;
    HDC printer;     // the chosen printer, or the preview's own page when printerChosen is 0
    int printerChosen;
    int noPrinter;   // the system has no printer at all: nothing to print on
    int ready;       // laid out for the current device and zoom
    PrintJob job;
    HDC pageDC;
    HBITMAP pageBitmap;
    HGDIOBJ oldBitmap;
    PixelSize bitmapSize;
    int page;
    int zoom; // index into PreviewZoomScales; 0 is "View All"
    int fit;
    int panX, panY;
    int dragging;
    POINT last;
    HCURSOR pageCursor, dragCursor;
    ColourTreatment treatment;
    int firstPaint;
    int printing;         // pages are going out: the printer and the layout must stay
    int closeWhenPrinted; // the user closed the preview while they went out
    char title[256];
};

static const char *const ZoomNames[PRINT_ZOOM_LEVELS] = {"View All", "Zoom * 1", "Zoom * 2", "Zoom * 4",
                                                         "Zoom * 8"};

static SIZE AreaSize(HWND dialog)
{
    RECT r = {};
    GetClientRect(GetDlgItem(dialog, IDC_PREVIEW_AREA), &r);
    SIZE s = {r.right, r.bottom};
    return s;
}

static void FreePageBitmap(PreviewState *s)
{
    if (s->pageDC) {
        SelectObject(s->pageDC, s->oldBitmap);
        DeleteDC(s->pageDC);
    }
    if (s->pageBitmap)
        DeleteObject(s->pageBitmap);
    s->pageDC = nullptr;
    s->pageBitmap = nullptr;
    s->bitmapSize = {0, 0};
}

static void FreeDevice(PreviewState *s)
{
    FreePageBitmap(s);
    if (s->printer)
        DeleteDC(s->printer);
    s->printer = nullptr;
    s->printerChosen = 0;
    s->ready = 0;
}

// The print buttons stay grey while no printer is installed: the page
// buttons still leaf through the preview's own pages.
static void EnablePrinting(HWND dialog, const PreviewState *s, BOOL enable)
{
    BOOL print = enable && !s->noPrinter;
    EnableWindow(GetDlgItem(dialog, IDC_PRINT_PRINT), print);
    EnableWindow(GetDlgItem(dialog, IDC_PREVIEW_PRINT_CURRENT), print);
    EnableWindow(GetDlgItem(dialog, IDC_PREVIEW_PREVIOUS), enable);
    EnableWindow(GetDlgItem(dialog, IDC_PREVIEW_NEXT), enable);
}

static void ClampPan(HWND dialog, PreviewState *s)
{
    // Without a page (before the first layout) every offset would be pushed
    // to half an empty view, and the first zoom would show the page's
    // top-left corner in the middle of the view.
    if (!s->pageBitmap)
        return;
    SIZE area = AreaSize(dialog);
    ClampPanOffset(&s->panX, &s->panY, s->bitmapSize.width, s->bitmapSize.height, area.cx, area.cy);
}

static void RenderCurrentPage(HWND dialog, PreviewState *s)
{
    if (!s->ready || !s->pageDC)
        return;
    PatBlt(s->pageDC, 0, 0, s->bitmapSize.width, s->bitmapSize.height, WHITENESS);
    if (HENHMETAFILE page = RecordPrintPage(s->job, s->page, ZettlyPrintSettings.header, s->title)) {
        RECT whole = {0, 0, s->bitmapSize.width, s->bitmapSize.height};
        PlayEnhMetaFile(s->pageDC, page, &whole);
        DeleteEnhMetaFile(page);
    }
    char caption[64];
    snprintf(caption, sizeof caption, "Previewing Page : %d/%d", s->page + 1,
             ShownPageCount((int)s->job.pages.size()));
    SetWindowTextA(dialog, caption);
    SendDlgItemMessageA(dialog, IDC_PREVIEW_PAGE_BAR, TBM_SETPOS, TRUE, s->page);
    InvalidateRect(GetDlgItem(dialog, IDC_PREVIEW_AREA), nullptr, FALSE);
}

// Lays the note out for the device and makes the page bitmap of the zoom.
static int PaginatePreview(HWND dialog, PreviewState *s)
{
    FreePageBitmap(s);
    s->ready = 0;
    PageMetrics metrics = ReadPageMetrics(s->printer);
    int ownPage = !s->printerChosen;
    if (ownPage) {
        char measure[4] = "0";
        GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, sizeof measure);
        metrics = DefaultPageMetrics(measure[0] == '0', GetDeviceCaps(s->printer, LOGPIXELSY));
    }
    if (LayOutPrintJob(s->edit, s->printer, metrics, &s->job) < 0)
        return -1;
    s->job.ownPage = ownPage;
    // The largest zoom of a large page may not fit in memory: the next
    // smaller one is tried instead.
    for (; s->zoom >= 0; s->zoom--) {
        s->bitmapSize = PreviewBitmapSize(metrics, PreviewZoomScales[s->zoom]);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = s->bitmapSize.width;
        info.bmiHeader.biHeight = s->bitmapSize.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void *bits = nullptr;
        if (s->bitmapSize.width > 0)
            s->pageBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (s->pageBitmap)
            break;
    }
    if (!s->pageBitmap) {
        s->zoom = 0;
        s->bitmapSize = {0, 0};
        return -1;
    }
    SendDlgItemMessageA(dialog, IDC_PREVIEW_ZOOM_LIST, CB_SETCURSEL, s->zoom, 0);
    s->pageDC = CreateCompatibleDC(nullptr);
    s->oldBitmap = SelectObject(s->pageDC, s->pageBitmap);
    s->page = 0;
    int count = (int)s->job.pages.size();
    SendDlgItemMessageA(dialog, IDC_PREVIEW_PAGE_BAR, TBM_SETRANGE, TRUE, MAKELPARAM(0, count > 0 ? count - 1 : 0));
    s->ready = 1;
    return 0;
}

// Asks for a printer (quietly when nobody asked yet). Without one the
// preview shows the note on a page of its own, so there is always something
// to see.
static void SelectPreviewPrinter(HWND dialog, PreviewState *s, BOOL userAsked)
{
    UndoColourTreatment(s->edit, &s->treatment);
    HDC printer;
    DWORD error;
    if (ChoosePrinter(dialog, &printer, &error, !userAsked)) {
        FreeDevice(s);
        s->printer = printer;
        s->printerChosen = 1;
        s->noPrinter = 0;
    } else {
        if (!s->printer) {
            s->printer = CreateCompatibleDC(nullptr);
            s->printerChosen = 0;
        }
        s->noPrinter = !s->printerChosen && (error == PDERR_NODEFAULTPRN || error == PDERR_PRINTERNOTFOUND);
    }
    // The colours come first: a copy laid out for the page takes them along.
    if (s->printer)
        ApplyColourTreatment(s->edit, ZettlyPrintSettings.colourMode, &s->treatment);
    if (!s->printer || PaginatePreview(dialog, s) < 0) {
        UndoColourTreatment(s->edit, &s->treatment);
        ZtMessageBox(dialog, "The note cannot be laid out for this page.", PRINT_ERROR_CAPTION,
                     MB_ICONEXCLAMATION);
        return;
    }
    EnablePrinting(dialog, s, TRUE);
    ClampPan(dialog, s);
    RenderCurrentPage(dialog, s);
}

static void PaintArea(HWND dialog, PreviewState *s, HDC dc, RECT area)
{
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    HDC back = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    if (!back || !bitmap) {
        if (back)
            DeleteDC(back);
        FillRect(dc, &area, GetSysColorBrush(COLOR_3DDKSHADOW));
        return;
    }
    HGDIOBJ old = SelectObject(back, bitmap);
    RECT whole = {0, 0, width, height};
    FillRect(back, &whole, GetSysColorBrush(COLOR_3DDKSHADOW));
    if (s->ready && s->pageDC) {
        if (s->fit) {
            PixelRect fit = FitPageInArea(s->bitmapSize.width, s->bitmapSize.height, width, height);
            SetStretchBltMode(back, HALFTONE);
            SetBrushOrgEx(back, 0, 0, nullptr);
            StretchBlt(back, fit.left, fit.top, fit.width, fit.height, s->pageDC, 0, 0, s->bitmapSize.width,
                       s->bitmapSize.height, SRCCOPY);
        } else {
            int destX = s->panX < 0 ? -s->panX : 0, destY = s->panY < 0 ? -s->panY : 0;
            int srcX = s->panX > 0 ? s->panX : 0, srcY = s->panY > 0 ? s->panY : 0;
            int w = width - destX < s->bitmapSize.width - srcX ? width - destX : s->bitmapSize.width - srcX;
            int h = height - destY < s->bitmapSize.height - srcY ? height - destY : s->bitmapSize.height - srcY;
            if (w > 0 && h > 0)
                BitBlt(back, destX, destY, w, h, s->pageDC, srcX, srcY, SRCCOPY);
        }
    }
    BitBlt(dc, area.left, area.top, width, height, back, 0, 0, SRCCOPY);
    SelectObject(back, old);
    DeleteObject(bitmap);
    DeleteDC(back);
}

static void SetZoom(HWND dialog, PreviewState *s, int zoom)
{
    s->zoom = zoom < 0 ? 0 : zoom >= PRINT_ZOOM_LEVELS ? PRINT_ZOOM_LEVELS - 1 : zoom;
    s->fit = s->zoom == 0;
    SendDlgItemMessageA(dialog, IDC_PREVIEW_ZOOM_LIST, CB_SETCURSEL, s->zoom, 0);
    if (!s->printer)
        return;
    int page = s->page;
    if (PaginatePreview(dialog, s) < 0)
        return;
    s->fit = s->zoom == 0;
    if (page < (int)s->job.pages.size())
        s->page = page;
    ClampPan(dialog, s);
    RenderCurrentPage(dialog, s);
}

static void GoToPage(HWND dialog, PreviewState *s, int page)
{
    int count = (int)s->job.pages.size();
    if (!s->ready || count == 0)
        return;
    s->page = page < 0 ? 0 : page >= count ? count - 1 : page;
    RenderCurrentPage(dialog, s);
}

static void ClosePreview(HWND dialog, PreviewState *s)
{
    UndoColourTreatment(s->edit, &s->treatment);
    FreeDevice(s);
    // Cursors loaded from resources are shared and not destroyed.
    EndDialog(dialog, 0);
}

// Printing needs a real printer: one is asked for first when the preview shows its own page.
static int HavePrinter(HWND dialog, PreviewState *s)
{
    if (!s->printerChosen)
        SelectPreviewPrinter(dialog, s, TRUE);
    return s->printerChosen && s->ready;
}

static void PrintCurrentPage(HWND dialog, PreviewState *s)
{
    if (!HavePrinter(dialog, s) || s->job.pages.empty())
        return;
    if (StartPrintDocument(dialog, s->printer) < 0)
        return;
    StartPage(s->printer);
    DrawPrintPage(s->job, s->printer, s->page, ZettlyPrintSettings.header, s->title);
    EndPage(s->printer);
    EndDoc(s->printer);
}

static void PrintAllPages(HWND dialog, PreviewState *s)
{
    if (!HavePrinter(dialog, s))
        return;
    if (StartPrintDocument(dialog, s->printer) < 0)
        return;
    ZettlyPrintSettings.abort = 0;
    s->printing = 1;
    EnablePrinting(dialog, s, FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_PREVIEW_ABORT), TRUE);
    for (int i = 0; i < (int)s->job.pages.size() && !ZettlyPrintSettings.abort; i++) {
        char caption[48];
        snprintf(caption, sizeof caption, "Printing Page : %d", i + 1);
        SetWindowTextA(dialog, caption);
        StartPage(s->printer);
        DrawPrintPage(s->job, s->printer, i, ZettlyPrintSettings.header, s->title);
        EndPage(s->printer);
        PumpPrintMessages(dialog);
    }
    EnableWindow(GetDlgItem(dialog, IDC_PREVIEW_ABORT), FALSE);
    EnablePrinting(dialog, s, TRUE);
    EndDoc(s->printer);
    s->printing = 0;
    if (s->closeWhenPrinted) {
        ClosePreview(dialog, s);
        return;
    }
    RenderCurrentPage(dialog, s);
}

static BOOL InPageArea(HWND dialog, PreviewState *s, POINT screen)
{
    RECT area;
    GetWindowRect(GetDlgItem(dialog, IDC_PREVIEW_AREA), &area);
    return PtInRect(&area, screen);
}

// While pages go out the messages are pumped, so every other button can be
// pressed: a new printer, zoom or colour would free or change the device and
// the layout the loop is printing from. Only aborting and closing are heard,
// and the close waits for the loop to stop.
static BOOL HeldWhilePrinting(PreviewState *s, int id)
{
    if (!s->printing)
        return FALSE;
    if (id == IDC_PREVIEW_ABORT || id == IDCANCEL)
        ZettlyPrintSettings.abort = 1;
    if (id == IDCANCEL)
        s->closeWhenPrinted = 1;
    return TRUE;
}

static void OnPreviewCommand(HWND dialog, PreviewState *s, int id, int code)
{
    if (HeldWhilePrinting(s, id))
        return;
    switch (id) {
    case IDC_PREVIEW_SELECT_PRINTER:
        SelectPreviewPrinter(dialog, s, TRUE);
        break;
    case IDC_PREVIEW_PREVIOUS:
        GoToPage(dialog, s, s->page - 1);
        break;
    case IDC_PREVIEW_NEXT:
        GoToPage(dialog, s, s->page + 1);
        break;
    case IDC_PREVIEW_ZOOM_IN:
        SetZoom(dialog, s, s->zoom + 1);
        break;
    case IDC_PREVIEW_ZOOM_OUT:
        SetZoom(dialog, s, s->zoom - 1);
        break;
    case IDC_PREVIEW_ZOOM_LIST:
        if (code == CBN_SELCHANGE)
            SetZoom(dialog, s, (int)SendDlgItemMessageA(dialog, IDC_PREVIEW_ZOOM_LIST, CB_GETCURSEL, 0, 0));
        break;
    case IDC_PRINT_NORMAL:
    case IDC_PRINT_WHITE_BACK:
    case IDC_PRINT_BLACK_ON_WHITE:
        UndoColourTreatment(s->edit, &s->treatment);
        ZettlyPrintSettings.colourMode = id;
        if (s->ready) {
            ApplyColourTreatment(s->edit, id, &s->treatment);
            // A copy laid out for the page holds the old colours.
            if (s->job.copy)
                SetZoom(dialog, s, s->zoom);
        }
        RenderCurrentPage(dialog, s);
        break;
    case IDC_PRINT_HEADER:
        ZettlyPrintSettings.header = IsDlgButtonChecked(dialog, IDC_PRINT_HEADER) == BST_CHECKED;
        RenderCurrentPage(dialog, s);
        break;
    case IDC_PREVIEW_PRINT_CURRENT:
        PrintCurrentPage(dialog, s);
        break;
    case IDC_PRINT_PRINT:
        PrintAllPages(dialog, s);
        break;
    case IDC_PREVIEW_ABORT:
        ZettlyPrintSettings.abort = 1;
        break;
    case IDCANCEL:
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    }
}

static void OnPreviewInit(HWND dialog, PreviewState *s)
{
    RECT r;
    GetWindowRect(dialog, &r);
    s->initialSize = {r.right - r.left, r.bottom - r.top};
    ReadNoteTitle(s->edit, s->title, sizeof s->title);
    CheckDlgButton(dialog, IDC_PRINT_HEADER, ZettlyPrintSettings.header ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dialog, IDC_PRINT_NORMAL, IDC_PRINT_BLACK_ON_WHITE, ZettlyPrintSettings.colourMode);
    s->pageCursor = LoadCursorA(s->instance, MAKEINTRESOURCEA(IDC_PREVIEW_PAGE_CURSOR));
    s->dragCursor = LoadCursorA(s->instance, MAKEINTRESOURCEA(IDC_PREVIEW_DRAG_CURSOR));
    for (const char *name : ZoomNames)
        SendDlgItemMessageA(dialog, IDC_PREVIEW_ZOOM_LIST, CB_ADDSTRING, 0, (LPARAM)name);
    SendDlgItemMessageA(dialog, IDC_PREVIEW_ZOOM_LIST, CB_SETCURSEL, 0, 0);
    s->fit = 1;
    s->zoom = 0;
    s->firstPaint = 1;
}

// The preview area fills the dialog below the controls.
static void OnPreviewSize(HWND dialog, PreviewState *s)
{
    HWND area = GetDlgItem(dialog, IDC_PREVIEW_AREA);
    RECT a, client;
    GetWindowRect(area, &a);
    MapWindowPoints(nullptr, dialog, (POINT *)&a, 2);
    GetClientRect(dialog, &client);
    MoveWindow(area, 0, a.top, client.right, client.bottom - a.top > 0 ? client.bottom - a.top : 0, FALSE);
    ClampPan(dialog, s);
    InvalidateRect(area, nullptr, FALSE);
}

static void OnPreviewMouse(HWND dialog, PreviewState *s, UINT message, LPARAM lParam)
{
    POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    POINT screen = at;
    ClientToScreen(dialog, &screen);
    if (message == WM_LBUTTONDOWN) {
        if (!s->fit && s->ready && InPageArea(dialog, s, screen)) {
            s->dragging = 1;
            s->last = at;
            SetCapture(dialog);
            SetCursor(s->dragCursor);
        }
    } else if (message == WM_MOUSEMOVE) {
        if (s->dragging) {
            s->panX -= at.x - s->last.x;
            s->panY -= at.y - s->last.y;
            s->last = at;
            ClampPan(dialog, s);
            InvalidateRect(GetDlgItem(dialog, IDC_PREVIEW_AREA), nullptr, FALSE);
        }
    } else if (message == WM_LBUTTONUP && s->dragging) {
        s->dragging = 0;
        ReleaseCapture();
    }
}

static INT_PTR CALLBACK PreviewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    PreviewState *s = (PreviewState *)GetWindowLongPtrA(dialog, DWLP_USER);
    if (message == WM_INITDIALOG) {
        s = (PreviewState *)lParam;
        if (!s || !s->edit) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)s);
        OnPreviewInit(dialog, s);
        OnPreviewSize(dialog, s);
        // A dialog that is never painted (hidden, or covered) still gets its pages.
        PostMessageA(dialog, PREVIEW_CHOOSE_PRINTER, 0, 0);
        return TRUE;
    }
    if (!s)
        return FALSE;
    switch (message) {
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *item = (const DRAWITEMSTRUCT *)lParam;
        if (item->CtlID != IDC_PREVIEW_AREA)
            return FALSE;
        if (s->firstPaint) {
            s->firstPaint = 0;
            PostMessageA(dialog, PREVIEW_CHOOSE_PRINTER, 0, 0);
        }
        PaintArea(dialog, s, item->hDC, item->rcItem);
        return TRUE;
    }
    case PREVIEW_CHOOSE_PRINTER:
        if (!s->printer)
            SelectPreviewPrinter(dialog, s, FALSE);
        return TRUE;
    case WM_COMMAND:
        OnPreviewCommand(dialog, s, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
        if ((HWND)lParam == GetDlgItem(dialog, IDC_PREVIEW_PAGE_BAR) &&
            (LOWORD(wParam) == TB_THUMBTRACK || LOWORD(wParam) == TB_ENDTRACK))
            GoToPage(dialog, s, (int)SendDlgItemMessageA(dialog, IDC_PREVIEW_PAGE_BAR, TBM_GETPOS, 0, 0));
        return TRUE;
    case WM_SIZE:
        OnPreviewSize(dialog, s);
        return TRUE;
    case WM_GETMINMAXINFO:
        ((MINMAXINFO *)lParam)->ptMinTrackSize = {s->initialSize.cx, s->initialSize.cy};
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnPreviewMouse(dialog, s, message, lParam);
        return TRUE;
    case WM_SETCURSOR: {
        POINT at;
        GetCursorPos(&at);
        if (s->dragging)
            SetCursor(s->dragCursor);
        else if (!s->fit && InPageArea(dialog, s, at))
            SetCursor(s->pageCursor);
        else
            return FALSE;
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_CLOSE:
        if (!HeldWhilePrinting(s, IDCANCEL))
            ClosePreview(dialog, s);
        return TRUE;
    }
    return FALSE;
}

INT_PTR PrintPreviewZettly(HINSTANCE instance, HWND owner, HWND edit)
{
    if (RefuseMissingEdit(owner, edit))
        return 0;
    PreviewState *state = new PreviewState();
    state->instance = instance;
    state->edit = edit;
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PRINT_PREVIEW), owner, PreviewProc,
                                     (LPARAM)state);
    // Whatever ended the dialog, the note gets its own formatting back.
    UndoColourTreatment(edit, &state->treatment);
    FreeDevice(state);
    delete state;
    return result;
}

// The preview as the note command runs it: parameter the note's edit control.
INT_PTR CALLBACK PrintPreviewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        if (!lParam) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        PreviewState *state = new PreviewState();
        state->instance = GetModuleHandleA(nullptr);
        state->edit = (HWND)lParam;
        return PreviewProc(dialog, message, wParam, (LPARAM)state);
    }
    if (message == WM_NCDESTROY) {
        PreviewState *state = (PreviewState *)GetWindowLongPtrA(dialog, DWLP_USER);
        if (state) {
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            UndoColourTreatment(state->edit, &state->treatment);
            FreeDevice(state);
            delete state;
        }
        return FALSE;
    }
    return PreviewProc(dialog, message, wParam, lParam);
}
