#include "editing/printing.h"

#include <commdlg.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "clock_seam.h"
#include "editing/editing_ids.h"
#include "test_support.h"

namespace {

// The spooler's list as the tests set it; Wine's own lists no printer.
int InstalledPrinters;
int PrintersInstalled() { return InstalledPrinters; }

// A note window with its rich-edit child, as the notes core makes them.
class NoteFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA("RICHED32.DLL");
        ASSERT_NE(nullptr, library);
        note = CreateWindowExA(0, "STATIC", "Shopping list", WS_POPUP, 10, 10, 300, 200, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, note);
        edit = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 200, note,
                               (HMENU)1, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, edit);
        SendMessageA(edit, EM_EXLIMITTEXT, 0, 1000000);
        CHARFORMATA plain = {};
        plain.cbSize = sizeof plain;
        plain.dwMask = CFM_BOLD | CFM_FACE | CFM_SIZE | CFM_COLOR;
        plain.yHeight = 200;
        plain.crTextColor = RGB(200, 0, 0);
        lstrcpyA(plain.szFaceName, "Arial");
        SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&plain);
        InstalledPrinters = 1;
        SetPrinterCountHook(PrintersInstalled);
        savedHeader = ZettlyPrintSettings.header;
        savedColourMode = ZettlyPrintSettings.colourMode;
    }
    void TearDown() override
    {
        ZettlyPrintSettings.header = savedHeader;
        ZettlyPrintSettings.colourMode = savedColourMode;
        ZettlyPrintSettings.abort = 0;
        SetPrinterDialogHook(nullptr);
        SetPrinterCountHook(nullptr);
        if (note)
            DestroyWindow(note);
        if (library)
            FreeLibrary(library);
    }
    void Type(const std::string &text) { SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)text.c_str()); }
    std::string Text()
    {
        int length = GetWindowTextLengthA(edit);
        std::string buffer((size_t)length + 1, '\0');
        GetWindowTextA(edit, &buffer[0], length + 1);
        buffer.resize((size_t)lstrlenA(buffer.c_str()));
        return buffer;
    }
    static std::string Paragraphs(const std::string &text)
    {
        std::string out;
        for (size_t i = 0; i < text.size(); i++)
            if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r'))
                out.push_back(text[i]);
        return out;
    }
    CHARRANGE Selection()
    {
        CHARRANGE r = {};
        SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&r);
        return r;
    }
    void Select(LONG start, LONG end)
    {
        CHARRANGE r = {start, end};
        SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&r);
    }
    CHARFORMAT2A FormatAt(LONG position)
    {
        CHARRANGE old = Selection();
        Select(position, position + 1);
        CHARFORMAT2A f = {};
        f.cbSize = sizeof f;
        SendMessageA(edit, EM_GETCHARFORMAT, TRUE, (LPARAM)&f);
        SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&old);
        return f;
    }
    std::string Lines(int count)
    {
        std::string text;
        for (int i = 1; i <= count; i++)
            text += "Line " + std::to_string(i) + (i < count ? "\r" : "");
        return text;
    }

    HMODULE library = nullptr;
    HWND note = nullptr;
    HWND edit = nullptr;
    int savedHeader = 0;
    int savedColourMode = 0;
};

// A page of US Letter at the screen's 96 dots an inch, drawn on a DIB section.
struct DibPage {
    DibPage()
    {
        metrics = DefaultPageMetrics(false, 96);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = metrics.horzRes;
        info.bmiHeader.biHeight = -metrics.vertRes;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void **)&bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~DibPage()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Clear() { PatBlt(dc, 0, 0, metrics.horzRes, metrics.vertRes, WHITENESS); }
    // Dark pixels in the rows [top, bottom).
    int DarkPixels(int top, int bottom)
    {
        GdiFlush();
        int dark = 0;
        for (int y = top; y < bottom; y++)
            for (int x = 0; x < metrics.horzRes; x++)
                if ((bits[y * metrics.horzRes + x] & 0xFF) < 128)
                    dark++;
        return dark;
    }
    PageMetrics metrics;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    DWORD *bits = nullptr;
};

int CALLBACK CollectText(HDC, HANDLETABLE *, const ENHMETARECORD *record, int, LPARAM data)
{
    std::vector<std::string> *texts = (std::vector<std::string> *)data;
    if (record->iType == EMR_EXTTEXTOUTW) {
        const EMREXTTEXTOUTW *out = (const EMREXTTEXTOUTW *)record;
        const WCHAR *chars = (const WCHAR *)((const BYTE *)record + out->emrtext.offString);
        std::string text;
        for (DWORD i = 0; i < out->emrtext.nChars; i++)
            text.push_back((char)chars[i]);
        texts->push_back(text);
    } else if (record->iType == EMR_EXTTEXTOUTA) {
        const EMREXTTEXTOUTA *out = (const EMREXTTEXTOUTA *)record;
        texts->push_back(std::string((const char *)record + out->emrtext.offString, out->emrtext.nChars));
    }
    return 1;
}

std::vector<std::string> TextsOf(HENHMETAFILE page)
{
    std::vector<std::string> texts;
    EnumEnhMetaFile(nullptr, page, CollectText, &texts, nullptr);
    return texts;
}

bool Holds(const std::vector<std::string> &texts, const std::string &text)
{
    for (const std::string &t : texts)
        if (t == text)
            return true;
    return false;
}

// Wine's printer dialog without a printer shows a box of its own and
// answers FALSE with no extended error, as a Cancel does.
DWORD NextPrinterError;
int FailingDialogCalls;
int FailingPrinterDialog(HWND, HDC *printer, DWORD *error)
{
    FailingDialogCalls++;
    *printer = nullptr;
    *error = NextPrinterError;
    return 0;
}

std::string Caption(HWND dialog)
{
    char text[64] = "";
    GetWindowTextA(dialog, text, sizeof text);
    return text;
}

// Waits for the preview's first page; a preview that shows none is closed.
bool ShowsItsFirstPage(HWND dialog)
{
    if (PumpUntil([&] { return Caption(dialog).rfind("Previewing Page : 1/", 0) == 0; }, ScaledWait(10000)))
        return true;
    ADD_FAILURE() << "the preview showed no page: " << Caption(dialog);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    return false;
}

// A pixel of the preview area as it paints itself.
COLORREF AreaPixel(HWND area, int x, int y)
{
    RECT client;
    GetClientRect(area, &client);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageA(area, WM_PRINTCLIENT, (WPARAM)memory, PRF_CLIENT);
    COLORREF pixel = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixel;
}

// A printer of the test's own: a memory context that a print job can start on.
int PrinterDialogCalls;
HWND PreviewDialog;
int MemoryPrinter(HWND, HDC *printer, DWORD *error)
{
    PrinterDialogCalls++;
    *printer = CreateCompatibleDC(nullptr);
    *error = 0;
    return 1;
}
// While the pages go out the user picks another printer and closes the preview.
int JobInterruptedByTheUser(HDC, const DOCINFOA *)
{
    PostMessageA(PreviewDialog, WM_COMMAND, IDC_PREVIEW_SELECT_PRINTER, 0);
    PostMessageA(PreviewDialog, WM_CLOSE, 0, 0);
    return 1;
}

} // namespace

TEST_F(NoteFixture, PreviewKeepsItsPrinterUntilItsPagesAreOutAndClosesAfterwards)
{
    PrinterDialogCalls = 0;
    SetPrinterDialogHook(MemoryPrinter);
    SetPrintDocumentHook(JobInterruptedByTheUser);
    Type(Lines(200));
    ModalDialogAnswerer answer([&](HWND dialog) {
        PreviewDialog = dialog;
        auto caption = [dialog]() { return Caption(dialog); };
        if (!ShowsItsFirstPage(dialog))
            return;
        EXPECT_NE("Previewing Page : 1/1", caption());
        SendMessageA(dialog, WM_COMMAND, IDC_PRINT_PRINT, 0);
    });
    PrintPreviewZettly(GetModuleHandleA(nullptr), note, edit);
    SetPrintDocumentHook(nullptr);
    EXPECT_EQ(1, answer.Count());
    EXPECT_EQ(1, PrinterDialogCalls) << "the printer was changed while pages went out";
    EXPECT_EQ(1, ZettlyPrintSettings.abort);
}

TEST_F(NoteFixture, LongNoteIsPaginatedAndEachPageCarriesItsFooter)
{
    DibPage page;
    PrintJob job;
    // How many lines one page holds, as the control lays them out.
    Type(Lines(300));
    ASSERT_EQ(0, LayOutPrintJob(edit, page.dc, page.metrics, &job));
    ASSERT_GE(job.pages.size(), 2u);
    int perPage = (int)SendMessageA(edit, EM_EXLINEFROMCHAR, 0, job.pages[0].last) + 1;
    ASSERT_GT(perPage, 10);

    SetWindowTextA(edit, "");
    Type(Lines(perPage * 2 + perPage / 2));
    int length = GetWindowTextLengthA(edit);
    ASSERT_EQ(0, LayOutPrintJob(edit, page.dc, page.metrics, &job));
    ASSERT_EQ(3u, job.pages.size());
    EXPECT_EQ(0, job.pages[0].first);
    EXPECT_EQ(job.pages[0].last + 1, job.pages[1].first);
    EXPECT_EQ(job.pages[1].last + 1, job.pages[2].first);
    EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, perPage, 0), job.pages[1].first);
    EXPECT_GE(job.pages[2].last, length - 1);
    job.ownPage = 1;

    for (int i = 0; i < 3; i++) {
        HENHMETAFILE recorded = RecordPrintPage(job, i, TRUE, "Shopping list");
        ASSERT_NE(nullptr, recorded);
        std::vector<std::string> texts = TextsOf(recorded);
        char footer[32];
        wsprintfA(footer, "[Page %03d/003]", i + 1);
        EXPECT_TRUE(Holds(texts, footer)) << footer;
        EXPECT_TRUE(Holds(texts, "Shopping list"));
        page.Clear();
        RECT whole = {0, 0, page.metrics.horzRes, page.metrics.vertRes};
        PlayEnhMetaFile(page.dc, recorded, &whole);
        DeleteEnhMetaFile(recorded);
        // The footer's line of text sits above the bottom rule; the page's
        // text lies between the header and footer rules.
        int height = page.metrics.vertRes;
        int scale = 600 / 96;
        EXPECT_GT(page.DarkPixels(height - 102 / scale - 2, height - 6 / scale), 50) << "page " << i + 1;
        EXPECT_GT(page.DarkPixels(0, 1), page.metrics.horzRes / 2) << "the header rule";
        EXPECT_GT(page.DarkPixels(height / 3, height / 2), 50) << "text of page " << i + 1;
    }
}

TEST_F(NoteFixture, TheFrameDatesThePageByTheClockOnTheTwelveHourClock)
{
    DibPage page;
    PrintJob job;
    Type("one line");
    ASSERT_EQ(0, LayOutPrintJob(edit, page.dc, page.metrics, &job));
    ASSERT_EQ(1u, job.pages.size());
    // Wednesday 9 December 2026, five minutes past one in the afternoon.
    SetTimeSource([](SYSTEMTIME *now, int64_t *) {
        *now = {};
        now->wYear = 2026, now->wMonth = 12, now->wDayOfWeek = 3, now->wDay = 9, now->wHour = 13,
        now->wMinute = 5;
    });
    HENHMETAFILE recorded = RecordPrintPage(job, 0, TRUE, "t");
    SetTimeSource(nullptr);
    ASSERT_NE(nullptr, recorded);
    std::vector<std::string> texts = TextsOf(recorded);
    DeleteEnhMetaFile(recorded);
    EXPECT_TRUE(Holds(texts, "Wed Dec 9 2026 01:05 PM"));
    EXPECT_TRUE(Holds(texts, "[Page 001/001]"));
}

TEST_F(NoteFixture, ColourTreatmentIsUndoneWithoutTouchingTheUsersOwnEdits)
{
    Type("abc def");
    SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
    Select(2, 5);
    for (int mode : {IDC_PRINT_WHITE_BACK, IDC_PRINT_BLACK_ON_WHITE}) {
        ColourTreatment treatment = {};
        ApplyColourTreatment(edit, mode, &treatment);
        CHARFORMAT2A during = FormatAt(1);
        EXPECT_EQ(RGB(255, 255, 255), during.crBackColor);
        if (mode == IDC_PRINT_BLACK_ON_WHITE) {
            EXPECT_EQ(RGB(0, 0, 0), during.crTextColor);
        }
        UndoColourTreatment(edit, &treatment);
        EXPECT_EQ("abc def", Text());
        EXPECT_EQ(RGB(200, 0, 0), FormatAt(1).crTextColor);
        EXPECT_EQ(2, Selection().cpMin);
        EXPECT_EQ(5, Selection().cpMax);
        EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
    }
    // Undoing what was never applied (normal mode, or a second undo) leaves
    // the user's typing alone: an undo of the control would take it back.
    Select(7, 7);
    Type(" ghi");
    ColourTreatment normal = {};
    ApplyColourTreatment(edit, IDC_PRINT_NORMAL, &normal);
    UndoColourTreatment(edit, &normal);
    UndoColourTreatment(edit, &normal);
    EXPECT_EQ("abc def ghi", Text());
}

TEST_F(NoteFixture, APrinterDialogFailureIsReportedAndACancelIsNot)
{
    MessageBoxRecorder boxes;
    SetPrinterDialogHook(FailingPrinterDialog);
    FailingDialogCalls = 0;
    ModalDialogAnswerer answer([](HWND dialog) {
        // No printer installed: the dialog, which would show Wine's own box
        // and answer as a Cancel, is not shown; the program says why.
        InstalledPrinters = 0;
        NextPrinterError = 0;
        SendMessageA(dialog, WM_COMMAND, IDC_PRINT_PRINT, 0);
        EXPECT_EQ(0, FailingDialogCalls);
        InstalledPrinters = 1; // the user cancelled the printer dialog
        SendMessageA(dialog, WM_COMMAND, IDC_PRINT_PRINT, 0);
        EXPECT_EQ(1, FailingDialogCalls);
        // Neither ended the options dialog: it is still there to cancel.
        EXPECT_TRUE(IsWindow(dialog));
        SendMessageA(dialog, WM_COMMAND, IDC_PRINT_CANCEL, 0);
    });
    EXPECT_EQ(0, PrintZettly(GetModuleHandleA(nullptr), note, edit));
    EXPECT_EQ(1, answer.Count());
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(PRINT_ERROR_CAPTION, boxes.Boxes()[0].caption);
    EXPECT_TRUE(IsWindowEnabled(note));
}

TEST_F(NoteFixture, NoEditControlIsRefusedWithAMessage)
{
    MessageBoxRecorder boxes;
    EXPECT_EQ(0, PrintZettly(GetModuleHandleA(nullptr), note, nullptr));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(PRINT_INVALID_TEXT, boxes.Boxes()[0].text);
    EXPECT_EQ(PRINT_INVALID_CAPTION, boxes.Boxes()[0].caption);
}

TEST_F(NoteFixture, TheModelessAbortDialogDestroysItselfAndFreesItsOwner)
{
    ZettlyPrintSettings.abort = 0;
    HWND dialog = CreatePrintAbortDialog(GetModuleHandleA(nullptr), note, "Shopping list");
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowEnabled(note));
    char title[64] = "";
    GetDlgItemTextA(dialog, IDC_PRINT_TITLE, title, sizeof title);
    EXPECT_STREQ("Shopping list", title);
    SendMessageA(dialog, WM_COMMAND, IDC_PRINT_CANCEL, 0);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(1, ZettlyPrintSettings.abort);
    EXPECT_TRUE(IsWindowEnabled(note));

    dialog = CreatePrintAbortDialog(GetModuleHandleA(nullptr), note, "x");
    ZettlyPrintSettings.abort = 0;
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(1, ZettlyPrintSettings.abort);
}

TEST_F(NoteFixture, PreviewWithoutAPrinterShowsTheNotesOwnPagesAndLeavesItAsItWas)
{
    MessageBoxRecorder boxes;
    InstalledPrinters = 0;
    NextPrinterError = 0;
    FailingDialogCalls = 0;
    SetPrinterDialogHook(FailingPrinterDialog);
    Type(Lines(120));
    Select(3, 4);
    std::string before = Paragraphs(Text());
    ZettlyPrintSettings.colourMode = IDC_PRINT_BLACK_ON_WHITE;
    std::vector<std::string> captions;
    ModalDialogAnswerer answer([&](HWND dialog) {
        auto caption = [dialog]() { return Caption(dialog); };
        if (!ShowsItsFirstPage(dialog))
            return;
        captions.push_back(caption());
        // Nothing to print on: the print buttons stay grey, the pages can be leafed through.
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PRINT_PRINT)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PREVIEW_PRINT_CURRENT)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PREVIEW_NEXT)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PREVIEW_SELECT_PRINTER)));
        SendMessageA(dialog, WM_COMMAND, IDC_PREVIEW_NEXT, 0);
        captions.push_back(caption());
        // Zoom in and back to "View All"; the page is laid out afresh each
        // time and the preview stays on the page it showed.
        SendMessageA(dialog, WM_COMMAND, IDC_PREVIEW_ZOOM_IN, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_PREVIEW_ZOOM_IN, 0);
        EXPECT_EQ(2, SendDlgItemMessageA(dialog, IDC_PREVIEW_ZOOM_LIST, CB_GETCURSEL, 0, 0));
        EXPECT_EQ("Previewing Page : 2/", caption().substr(0, 20));
        // Zoomed, the view starts at the page's top-left corner: its left
        // edge shows the white margin beside the text, below the header.
        HWND area = GetDlgItem(dialog, IDC_PREVIEW_AREA);
        RECT view;
        GetClientRect(area, &view);
        EXPECT_EQ(RGB(255, 255, 255), AreaPixel(area, 4, view.bottom / 2));
        SendMessageA(dialog, WM_COMMAND, IDC_PREVIEW_ZOOM_OUT, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_PREVIEW_ZOOM_OUT, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_PREVIEW_ZOOM_OUT, 0);
        EXPECT_EQ(0, SendDlgItemMessageA(dialog, IDC_PREVIEW_ZOOM_LIST, CB_GETCURSEL, 0, 0));
        SendMessageA(dialog, WM_COMMAND, IDC_PRINT_WHITE_BACK, 0);
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    PrintPreviewZettly(GetModuleHandleA(nullptr), note, edit);
    ASSERT_EQ(1, answer.Count());
    ASSERT_EQ(2u, captions.size());
    EXPECT_EQ("Previewing Page : 2/", captions[1].substr(0, 20));
    EXPECT_NE(captions[0], "Previewing Page : 1/1");
    EXPECT_TRUE(boxes.Boxes().empty()) << "no printer is no error for the preview";
    EXPECT_EQ(0, FailingDialogCalls) << "the printer dialog shows a box when there is no printer";
    // The note's text may come back with its paragraph ends as CR LF.
    EXPECT_EQ(before, Paragraphs(Text()));
    EXPECT_EQ(RGB(200, 0, 0), FormatAt(0).crTextColor);
    EXPECT_EQ(3, Selection().cpMin);
    EXPECT_EQ(4, Selection().cpMax);
}
