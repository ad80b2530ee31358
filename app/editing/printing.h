// Printing a note's rich text: the options dialog 4003, the abort dialog
// 104, the print preview 146, the page frame, and the pieces they share.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <atomic>
#include <vector>

#include "print_layout.h"

// One set of print settings serves every note; it lives until the program ends.
struct PrintSettings {
    int header;     // 1: the page frame (title, rules, page number, date)
    int colourMode; // IDC_PRINT_NORMAL, IDC_PRINT_WHITE_BACK or IDC_PRINT_BLACK_ON_WHITE
    std::atomic<int> abort; // raised by the abort dialog or a quit while pages go out
};
extern PrintSettings ZettlyPrintSettings;

// The printer choice (PrintDlg with PD_RETURNDC). Returns 1 with the
// printer's context, or 0 with the dialog's extended error (0 when the user
// cancelled). Tests replace it; null restores the real one.
typedef int (*PrinterDialogHook)(HWND owner, HDC *printer, DWORD *error);
PrinterDialogHook SetPrinterDialogHook(PrinterDialogHook hook);
// How many printers the spooler lists (EnumPrinters), -1 when it cannot
// tell. Tests replace it; null restores the real one.
typedef int (*PrinterCountHook)(void);
PrinterCountHook SetPrinterCountHook(PrinterCountHook hook);
// Asks for a printer; a failure of the dialog is reported to the user
// unless quiet is set. With no printer installed the dialog is not shown
// and the error is PDERR_NODEFAULTPRN. Returns 1 with the context, else 0
// and the error.
int ChoosePrinter(HWND owner, HDC *printer, DWORD *error, BOOL quiet);

// StartDoc on the printer: the job's id (above 0), else 0 or below. Tests
// replace it, as no printer is there to start a job on; null restores it.
typedef int (*PrintDocumentHook)(HDC printer, const DOCINFOA *document);
PrintDocumentHook SetPrintDocumentHook(PrintDocumentHook hook);

// Note commands 20200 and 20205.
int PrintZettly(HINSTANCE instance, HWND owner, HWND edit);
INT_PTR PrintPreviewZettly(HINSTANCE instance, HWND owner, HWND edit);
// Dialog 146, the preview, parameter the note's control.
INT_PTR CALLBACK PrintPreviewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The header and footer of one page in the device's own units.
void PrintPageFrame(const char *title, int page, int pageCount, int lineHeight, HDC dc);

// A note laid out for one device.
struct PrintJob {
    HWND edit = nullptr;
    HDC target = nullptr;
    PageMetrics metrics = {};
    PageGeometry geometry = {};
    int lineHeight = 0;
    int ownPage = 0; // 1: no printer, the page is the preview's own (DefaultPageMetrics)
    std::vector<PrintPage> pages;
    // Where the control cannot lay out pages itself (EM_FORMATRANGE is
    // missing from some rich-edit versions), a hidden copy of the note as
    // wide as the page does it, and pages are drawn from what it paints.
    HWND copy = nullptr;
    int copyPixelsPerInch = 0;
    std::vector<int> pageTops; // the copy's pixel row where each page starts
    ~PrintJob();
};
PageMetrics ReadPageMetrics(HDC dc);
// Geometry and pagination of the note for the device. 0, or -1 when the
// device reports no usable page.
int LayOutPrintJob(HWND edit, HDC target, const PageMetrics &metrics, PrintJob *job);
// Draws page index (text, then the frame when asked) on dc, a device with
// the target's units (the printer itself or a metafile made for it).
void DrawPrintPage(const PrintJob &job, HDC dc, int index, BOOL frame, const char *title);
// The page as a metafile in the target's units, for the preview. Null on failure.
HENHMETAFILE RecordPrintPage(const PrintJob &job, int index, BOOL frame, const char *title);

// The colour modes change the note's formatting while it prints. What was
// there is kept whole and put back afterwards, so that nothing the user did
// before is touched (an undo could revert the user's own last edit).
struct ColourTreatment {
    int applied;
    CHARRANGE selection;
    BOOL modified;
    POINT scroll;
    char *savedText; // the note's rich text, heap
    DWORD savedSize;
};
void ApplyColourTreatment(HWND edit, int mode, ColourTreatment *treatment);
void UndoColourTreatment(HWND edit, ColourTreatment *treatment);

// The modeless abort dialog 104 over the options dialog.
HWND CreatePrintAbortDialog(HINSTANCE instance, HWND owner, const char *title);

// The note's title: the text of the note window that holds the edit control.
void ReadNoteTitle(HWND edit, char *title, int size);
// StartDoc for "Zettly print job"; a failure is reported. 0 or -1.
int StartPrintDocument(HWND owner, HDC printer);
// Without an edit control there is nothing to print: says so and returns TRUE.
BOOL RefuseMissingEdit(HWND owner, HWND edit);
// Dispatches pending messages (the dialog's own through IsDialogMessage)
// until none is left or printing was aborted.
void PumpPrintMessages(HWND dialog);
