#include "printing.h"

#include <commdlg.h>
#include <winspool.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "clock_seam.h"
#include "core/notes_table/rich_text_stream.h"
#include "editing_ids.h"
#include "ui_seams.h"

PrintSettings ZettlyPrintSettings = {1, IDC_PRINT_WHITE_BACK, 0};

// The printing calls tests replace: the printer dialog and the print job's
// start. Null is the system's own.
static struct {
    PrinterDialogHook printerDialog;
    PrintDocumentHook startDocument;
    PrinterCountHook printerCount;
} PrintSeams;

// ---------------------------------------------------------------- printer choice

static int RealPrinterDialog(HWND owner, HDC *printer, DWORD *error)
{
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.Flags = PD_RETURNDC | PD_COLLATE;
    dialog.nCopies = 1;
    BOOL chosen = PrintDlgA(&dialog);
    if (dialog.hDevMode)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        GlobalFree(dialog.hDevNames);
    *printer = chosen ? dialog.hDC : nullptr;
    *error = chosen ? 0 : CommDlgExtendedError();
    if (chosen && !dialog.hDC) {
        *error = PDERR_CREATEICFAILURE;
        return 0;
    }
    return chosen ? 1 : 0;
}

PrinterDialogHook SetPrinterDialogHook(PrinterDialogHook hook)
{
    PrinterDialogHook previous = PrintSeams.printerDialog;
    PrintSeams.printerDialog = hook;
    return previous;
}

// The spooler's list: the number of printers, or -1 when it cannot be read.
static int RealPrinterCount(void)
{
    const DWORD which = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, returned = 0;
    if (EnumPrintersA(which, nullptr, 4, nullptr, 0, &needed, &returned))
        return (int)returned;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return -1;
    std::vector<BYTE> list(needed);
    if (!EnumPrintersA(which, nullptr, 4, list.data(), needed, &needed, &returned))
        return -1;
    return (int)returned;
}

PrinterCountHook SetPrinterCountHook(PrinterCountHook hook)
{
    PrinterCountHook previous = PrintSeams.printerCount;
    PrintSeams.printerCount = hook;
    return previous;
}

int ChoosePrinter(HWND owner, HDC *printer, DWORD *error, BOOL quiet)
{
    *printer = nullptr;
    *error = 0;
    // With no printer installed Wine's printer dialog shows a box of its own
    // and then answers as a Cancel does (no extended error): only the
    // spooler's list tells the two apart, so it is asked first.
    PrinterCountHook count = PrintSeams.printerCount ? PrintSeams.printerCount : RealPrinterCount;
    if (count() == 0)
        *error = PDERR_NODEFAULTPRN;
    else {
        PrinterDialogHook choose = PrintSeams.printerDialog ? PrintSeams.printerDialog : RealPrinterDialog;
        if (choose(owner, printer, error))
            return 1;
    }
    if (*error && !quiet) {
        char text[160];
        if (*error == PDERR_NODEFAULTPRN || *error == PDERR_PRINTERNOTFOUND)
            snprintf(text, sizeof text, "No printer is installed: nothing can be printed.");
        else
            snprintf(text, sizeof text, "The printer could not be opened (print dialog error 0x%04lX).",
                     (unsigned long)*error);
        ZtMessageBox(owner, text, PRINT_ERROR_CAPTION, MB_ICONEXCLAMATION);
    }
    return 0;
}

// ---------------------------------------------------------------- layout

PageMetrics ReadPageMetrics(HDC dc)
{
    PageMetrics m = {};
    m.physicalWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
    m.physicalHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    m.offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    m.offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    m.horzRes = GetDeviceCaps(dc, HORZRES);
    m.vertRes = GetDeviceCaps(dc, VERTRES);
    m.logPixelsX = GetDeviceCaps(dc, LOGPIXELSX);
    m.logPixelsY = GetDeviceCaps(dc, LOGPIXELSY);
    // A device that tells of no paper (a driver that leaves it out, or a
    // display) has its printable area as its page.
    if (m.physicalWidth <= 0 || m.physicalHeight <= 0) {
        m.physicalWidth = m.horzRes;
        m.physicalHeight = m.vertRes;
        m.offsetX = m.offsetY = 0;
    }
    return m;
}

struct MeasureContext {
    HWND edit;
    HDC target;
    const PageGeometry *geometry;
};

static RECT ToRECT(const TwipsRect &r)
{
    RECT out = {r.left, r.top, r.right, r.bottom};
    return out;
}

static int MeasureOnePage(void *context, int start, TwipsRect *rect)
{
    MeasureContext *c = (MeasureContext *)context;
    FORMATRANGE range = {};
    range.hdc = c->target;
    range.hdcTarget = c->target;
    range.rc = ToRECT(c->geometry->format);
    range.rcPage = ToRECT(c->geometry->page);
    range.chrg.cpMin = start;
    range.chrg.cpMax = -1;
    LRESULT next = SendMessageA(c->edit, EM_FORMATRANGE, FALSE, (LPARAM)&range);
    *rect = {range.rc.left, range.rc.top, range.rc.right, range.rc.bottom};
    return (int)next;
}

PrintJob::~PrintJob()
{
    if (copy)
        DestroyWindow(copy);
}

static int LineTop(HWND edit, int line)
{
    POINTL at = {0, 0};
    LRESULT index = SendMessageA(edit, EM_LINEINDEX, line, 0);
    SendMessageA(edit, EM_POSFROMCHAR, (WPARAM)&at, index);
    return at.y;
}

// The pages as a copy of the note as wide as the page lays them out.
static int LayOutOnCopy(PrintJob *job)
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    int width = MulDivRound(job->geometry.format.right, dpi, TWIPS_PER_INCH);
    int height = MulDivRound(job->geometry.format.bottom, dpi, TWIPS_PER_INCH);
    char className[64] = "";
    GetClassNameA(job->edit, className, sizeof className);
    job->copy = CreateWindowExA(0, className, "", WS_POPUP | ES_MULTILINE, 0, 0, width, height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (!job->copy)
        return -1;
    job->copyPixelsPerInch = dpi;
    SendMessageA(job->copy, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    SendMessageA(job->copy, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    MemoryWriter writer = {};
    // A text the control cannot write out whole is printed as its words.
    if (StreamRichTextOut(job->edit, &writer) != STREAM_OUT_WHOLE &&
        StreamPlainTextAsRichText(job->edit, &writer) != 0) {
        free(writer.block);
        return -1;
    }
    if (!writer.block)
        return -1;
    // The note's own text, just written by the control: not checked again.
    StreamInFromBlock(job->copy, writer.block, writer.used, SF_RTF);
    free(writer.block);

    int lines = (int)SendMessageA(job->copy, EM_GETLINECOUNT, 0, 0);
    int length = GetWindowTextLengthA(job->copy);
    if (lines <= 0 || length <= 0)
        return 0;
    std::vector<int> tops;
    for (int i = 0; i < lines; i++)
        tops.push_back(LineTop(job->copy, i));
    // The last line's bottom: as far below its top as the line before it, at least one line of the screen.
    int last = lines > 1 ? tops[lines - 1] - tops[lines - 2] : 0;
    tops.push_back(tops[lines - 1] + (last > 0 ? last : MulDivRound(dpi, 1, 6)));
    std::vector<int> breaks = PageBreaksFromLineTops(tops, height);
    for (size_t p = 0; p < breaks.size(); p++) {
        int endLine = p + 1 < breaks.size() ? breaks[p + 1] : lines;
        int first = (int)SendMessageA(job->copy, EM_LINEINDEX, breaks[p], 0);
        int next = endLine < lines ? (int)SendMessageA(job->copy, EM_LINEINDEX, endLine, 0) : length;
        int rows = tops[endLine] - tops[breaks[p]];
        job->pages.push_back({first, next - 1,
                              {0, 0, job->geometry.format.right, MulDivRound(rows, TWIPS_PER_INCH, dpi)}});
        job->pageTops.push_back(tops[breaks[p]] - tops[0]);
    }
    return 0;
}

int LayOutPrintJob(HWND edit, HDC target, const PageMetrics &metrics, PrintJob *job)
{
    job->edit = edit;
    job->target = target;
    job->metrics = metrics;
    job->ownPage = 0;
    job->pages.clear();
    job->pageTops.clear();
    if (job->copy)
        DestroyWindow(job->copy);
    job->copy = nullptr;
    if (ComputePageGeometry(metrics, &job->geometry) < 0)
        return -1;
    TEXTMETRICA tm = {};
    GetTextMetricsA(target, &tm);
    job->lineHeight = tm.tmHeight + tm.tmExternalLeading;

    int saved = SaveDC(target);
    SetMapMode(target, MM_TEXT);
    SetViewportOrgEx(target, job->geometry.originX, job->geometry.originY, nullptr);
    SendMessageA(edit, EM_FORMATRANGE, FALSE, 0);
    MeasureContext context = {edit, target, &job->geometry};
    job->pages = Paginate(MeasureOnePage, &context);
    SendMessageA(edit, EM_FORMATRANGE, FALSE, 0);
    RestoreDC(target, saved);
    if (job->pages.empty() && GetWindowTextLengthA(edit) > 0)
        return LayOutOnCopy(job);
    return 0;
}

// Paints page index of the copy onto dc (its origin at the text's origin),
// scaled from the screen's pixels to the device's.
static void DrawPageFromCopy(const PrintJob &job, HDC dc, int index)
{
    RECT client;
    GetClientRect(job.copy, &client);
    int width = client.right, height = client.bottom;
    int rows = MulDivRound(job.pages[index].rect.bottom, job.copyPixelsPerInch, TWIPS_PER_INCH);
    POINT to = {0, job.pageTops[index]};
    SendMessageA(job.copy, EM_SETSCROLLPOS, 0, (LPARAM)&to);
    // Near the end the copy may not scroll that far: its first line then
    // stands lower, and the page is taken from where it stands.
    POINTL at = {0, 0};
    SendMessageA(job.copy, EM_POSFROMCHAR, (WPARAM)&at, job.pages[index].first);
    int top = at.y < 0 ? 0 : at.y;
    if (top + rows > height)
        rows = height - top;
    if (width <= 0 || rows <= 0)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        PatBlt(memory, 0, 0, width, height, WHITENESS);
        SendMessageA(job.copy, WM_PRINTCLIENT, (WPARAM)memory, PRF_CLIENT);
        int destWidth = MulDivRound(job.geometry.format.right, job.metrics.logPixelsX, TWIPS_PER_INCH);
        int destHeight = MulDivRound(rows, job.metrics.logPixelsY, job.copyPixelsPerInch);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, destWidth, destHeight, memory, 0, top, width, rows, SRCCOPY);
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
}

// ---------------------------------------------------------------- the page frame

// The frame's sizes are a printer's device units; on the preview's own page
// (no printer) they are scaled as if that page were a 600 dpi printer's.
static void DrawFrame(const char *title, int page, int pageCount, HDC dc, int width, int height, int num,
                      int den)
{
    int saved = SaveDC(dc);
    HFONT font = CreateFontA(-MulDiv(72, num, den), 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_STRING_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY, FF_SWISS,
                             PRINT_FRAME_FONT);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    auto scaled = [&](int units) { return MulDiv(units, num, den); };
    auto rule = [&](int y) { Rectangle(dc, 0, y, width, y + 1); };

    char text[300];
    snprintf(text, sizeof text, "%s", title ? title : "");
    TextOutA(dc, 0, 0, text, lstrlenA(text));
    rule(0);
    rule(scaled(73));

    std::string footer = PageFooterText(page, pageCount);
    SIZE size = {};
    GetTextExtentPoint32A(dc, footer.c_str(), (int)footer.size(), &size);
    TextOutA(dc, width - size.cx, height - scaled(102), footer.c_str(), (int)footer.size());

    SYSTEMTIME now;
    ZtGetLocalTime(&now);
    std::string when = PrintDateTimeText(now.wDayOfWeek, now.wMonth, now.wDay, now.wYear, now.wHour,
                                         now.wMinute);
    TextOutA(dc, 0, height - scaled(97), when.c_str(), (int)when.size());
    rule(height - scaled(98));
    rule(height - scaled(6));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    if (oldFont)
        SelectObject(dc, oldFont);
    if (font)
        DeleteObject(font);
    RestoreDC(dc, saved);
}

void PrintPageFrame(const char *title, int page, int pageCount, int lineHeight, HDC dc)
{
    DrawFrame(title, page, pageCount, dc, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), 1, 1);
}

void DrawPrintPage(const PrintJob &job, HDC dc, int index, BOOL frame, const char *title)
{
    if (index < 0 || index >= (int)job.pages.size())
        return;
    const PrintPage &page = job.pages[index];
    int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    SetViewportOrgEx(dc, job.geometry.originX, job.geometry.originY, nullptr);
    if (job.copy) {
        DrawPageFromCopy(job, dc, index);
    } else {
        FORMATRANGE range = {};
        range.hdc = dc;
        range.hdcTarget = job.target;
        range.rc = ToRECT(page.rect);
        range.rcPage = ToRECT(job.geometry.page);
        range.chrg.cpMin = page.first;
        range.chrg.cpMax = page.last + 1;
        SendMessageA(job.edit, EM_FORMATRANGE, TRUE, (LPARAM)&range);
        SendMessageA(job.edit, EM_FORMATRANGE, FALSE, 0);
    }
    RestoreDC(dc, saved);
    if (frame) {
        int num = job.ownPage ? job.metrics.logPixelsY : 1, den = job.ownPage ? 600 : 1;
        DrawFrame(title, index + 1, (int)job.pages.size(), dc, job.metrics.horzRes, job.metrics.vertRes,
                  num, den);
    }
}

HENHMETAFILE RecordPrintPage(const PrintJob &job, int index, BOOL frame, const char *title)
{
    // The picture frame is in 0.01 mm as the target itself converts, so
    // that the printable area plays back onto exactly the rectangle asked for.
    int sizeX = GetDeviceCaps(job.target, HORZSIZE), sizeY = GetDeviceCaps(job.target, VERTSIZE);
    int resX = GetDeviceCaps(job.target, HORZRES), resY = GetDeviceCaps(job.target, VERTRES);
    if (resX <= 0 || resY <= 0)
        return nullptr;
    RECT picture = {0, 0, MulDiv(job.metrics.horzRes, sizeX * 100, resX),
                    MulDiv(job.metrics.vertRes, sizeY * 100, resY)};
    HDC meta = CreateEnhMetaFileA(job.target, nullptr, &picture, nullptr);
    if (!meta)
        return nullptr;
    DrawPrintPage(job, meta, index, frame, title);
    return CloseEnhMetaFile(meta);
}

// ---------------------------------------------------------------- colour treatment

static_assert(sizeof(CHARFORMAT2A) == 84, "the character format record the control expects");

void ApplyColourTreatment(HWND edit, int mode, ColourTreatment *t)
{
    if (t->applied || (mode != IDC_PRINT_WHITE_BACK && mode != IDC_PRINT_BLACK_ON_WHITE))
        return;
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&t->selection);
    t->modified = (BOOL)SendMessageA(edit, EM_GETMODIFY, 0, 0);
    t->scroll.y = (LONG)SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    MemoryWriter writer = {};
    // Without a whole copy to go back to the note is printed as it is: a cut
    // one put back would cut the note.
    if (StreamRichTextOut(edit, &writer) != STREAM_OUT_WHOLE || !writer.block || writer.used == 0) {
        free(writer.block);
        return;
    }
    t->savedText = writer.block;
    t->savedSize = writer.used;

    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BACKCOLOR;
    format.crBackColor = RGB(255, 255, 255);
    if (mode == IDC_PRINT_BLACK_ON_WHITE) {
        format.dwMask |= CFM_COLOR;
        format.crTextColor = RGB(0, 0, 0);
    }
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
    t->applied = 1;
}

void UndoColourTreatment(HWND edit, ColourTreatment *t)
{
    if (!t->applied)
        return;
    StreamInFromBlock(edit, t->savedText, t->savedSize, SF_RTF);
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&t->selection);
    int line = (int)SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(edit, EM_LINESCROLL, 0, t->scroll.y - line);
    SendMessageA(edit, EM_SETMODIFY, t->modified, 0);
    free(t->savedText);
    t->savedText = nullptr;
    t->savedSize = 0;
    t->applied = 0;
}

// ---------------------------------------------------------------- helpers

void ReadNoteTitle(HWND edit, char *title, int size)
{
    title[0] = '\0';
    HWND note = edit ? GetParent(edit) : nullptr;
    if (note)
        GetWindowTextA(note, title, size);
}

void PumpPrintMessages(HWND dialog)
{
    MSG msg;
    while (!ZettlyPrintSettings.abort && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Hand the quit on to the main loop once printing stops.
            PostQuitMessage((int)msg.wParam);
            ZettlyPrintSettings.abort = 1;
            break;
        }
        if (!dialog || !IsWindow(dialog) || !IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

static int RealStartDocument(HDC printer, const DOCINFOA *document)
{
    return StartDocA(printer, document);
}

PrintDocumentHook SetPrintDocumentHook(PrintDocumentHook hook)
{
    PrintDocumentHook previous = PrintSeams.startDocument;
    PrintSeams.startDocument = hook;
    return previous;
}

int StartPrintDocument(HWND owner, HDC printer)
{
    DOCINFOA document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = PRINT_DOCUMENT_NAME;
    PrintDocumentHook start = PrintSeams.startDocument ? PrintSeams.startDocument : RealStartDocument;
    if (start(printer, &document) > 0)
        return 0;
    ZtMessageBox(owner, "The print job could not be started.", PRINT_ERROR_CAPTION, MB_ICONEXCLAMATION);
    return -1;
}

BOOL RefuseMissingEdit(HWND owner, HWND edit)
{
    if (edit)
        return FALSE;
    ZtMessageBox(owner, PRINT_INVALID_TEXT, PRINT_INVALID_CAPTION, MB_ICONHAND);
    return TRUE;
}

// ---------------------------------------------------------------- abort dialog 104

// Modeless: it goes away with DestroyWindow, never EndDialog, and gives the
// window it disabled back its input.
static INT_PTR CALLBACK PrintAbortProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_PRINT_TITLE, (const char *)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PRINT_CANCEL || LOWORD(wParam) == IDCANCEL) {
            ZettlyPrintSettings.abort = 1;
            DestroyWindow(dialog);
        }
        return TRUE;
    case WM_CLOSE:
        SendMessageA(dialog, WM_COMMAND, IDC_PRINT_CANCEL, 0);
        return TRUE;
    case WM_DESTROY:
        if (HWND owner = GetWindow(dialog, GW_OWNER))
            EnableWindow(owner, TRUE);
        return TRUE;
    }
    return FALSE;
}

HWND CreatePrintAbortDialog(HINSTANCE instance, HWND owner, const char *title)
{
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PRINT_ABORT), owner, PrintAbortProc,
                                     (LPARAM)title);
    if (!dialog)
        return nullptr;
    if (owner)
        EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    return dialog;
}

// ---------------------------------------------------------------- options dialog 4003

struct PrintOptionsState {
    HINSTANCE instance;
    HWND edit;
};

static void ShowSettings(HWND dialog)
{
    CheckDlgButton(dialog, IDC_PRINT_HEADER, ZettlyPrintSettings.header ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dialog, IDC_PRINT_NORMAL, IDC_PRINT_BLACK_ON_WHITE, ZettlyPrintSettings.colourMode);
}

// Returns 1 when every page went to the printer, 0 when nothing was
// printed or the user aborted.
static int PrintWholeNote(HWND dialog, PrintOptionsState *state)
{
    HDC printer;
    DWORD error;
    if (!ChoosePrinter(dialog, &printer, &error, FALSE))
        return 0;
    HWND edit = state->edit;
    CHARRANGE selection = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&selection);
    char title[256];
    ReadNoteTitle(edit, title, sizeof title);
    PrintJob job;
    int printed = 0;
    // The colours come first: a copy laid out for the page takes them along.
    ColourTreatment treatment = {};
    ApplyColourTreatment(edit, ZettlyPrintSettings.colourMode, &treatment);
    if (LayOutPrintJob(edit, printer, ReadPageMetrics(printer), &job) < 0) {
        ZtMessageBox(dialog, "The printer reports no page size.", PRINT_ERROR_CAPTION, MB_ICONEXCLAMATION);
    } else if (StartPrintDocument(dialog, printer) == 0) {
        ZettlyPrintSettings.abort = 0;
        HWND abortDialog = CreatePrintAbortDialog(state->instance, dialog, title);
        for (int i = 0; i < (int)job.pages.size() && !ZettlyPrintSettings.abort; i++) {
            if (abortDialog && IsWindow(abortDialog))
                SetDlgItemInt(abortDialog, IDC_PRINT_PAGE_NUMBER, (UINT)(i + 1), FALSE);
            StartPage(printer);
            DrawPrintPage(job, printer, i, ZettlyPrintSettings.header, title);
            EndPage(printer);
            PumpPrintMessages(abortDialog);
        }
        EndDoc(printer);
        printed = !ZettlyPrintSettings.abort;
        if (abortDialog && IsWindow(abortDialog))
            DestroyWindow(abortDialog);
    }
    UndoColourTreatment(edit, &treatment);
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&selection);
    DeleteDC(printer);
    return printed;
}

// Modal: it ends with EndDialog only.
static INT_PTR CALLBACK PrintOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    PrintOptionsState *state = (PrintOptionsState *)GetWindowLongPtrA(dialog, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG:
        state = (PrintOptionsState *)lParam;
        if (!state || !state->edit) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)state);
        ShowSettings(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PRINT_HEADER:
            ZettlyPrintSettings.header = IsDlgButtonChecked(dialog, IDC_PRINT_HEADER) == BST_CHECKED;
            break;
        case IDC_PRINT_NORMAL:
        case IDC_PRINT_WHITE_BACK:
        case IDC_PRINT_BLACK_ON_WHITE:
            ZettlyPrintSettings.colourMode = LOWORD(wParam);
            break;
        case IDC_PRINT_PRINT:
            // An aborted run leaves the dialog open for another try.
            if (PrintWholeNote(dialog, state))
                EndDialog(dialog, 1);
            break;
        case IDC_PRINT_PREVIEW:
            ShowWindow(dialog, SW_HIDE);
            PrintPreviewZettly(state->instance, dialog, state->edit);
            EndDialog(dialog, 0);
            break;
        case IDC_PRINT_CANCEL:
        case IDCANCEL:
            ZettlyPrintSettings.abort = 1;
            EndDialog(dialog, 0);
            break;
        }
        return TRUE;
    case WM_CLOSE:
        SendMessageA(dialog, WM_COMMAND, IDC_PRINT_CANCEL, 0);
        return TRUE;
    }
    return FALSE;
}

int PrintZettly(HINSTANCE instance, HWND owner, HWND edit)
{
    if (RefuseMissingEdit(owner, edit))
        return 0;
    PrintOptionsState state = {instance, edit};
    ZettlyPrintSettings.abort = 0;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PRINT_OPTIONS), owner, PrintOptionsProc, (LPARAM)&state);
    if (owner)
        EnableWindow(owner, TRUE);
    return ZettlyPrintSettings.abort ? 0 : 1;
}
