#include "find_replace.h"

#include <commdlg.h>
#include <richedit.h>

#include "core/notes_table/zettly_record.h"
#include "editing_ids.h"
#include "ui_seams.h"

HWND FindReplaceDialog;

BOOL FindReplaceTakesMessage(MSG *msg)
{
    return FindReplaceDialog && IsDialogMessageA(FindReplaceDialog, msg);
}

// The texts outlive the dialog, so the next opening offers the last search.
static char FindWhat[FIND_TEXT_BYTES];
static char ReplaceWith[FIND_TEXT_BYTES];
static FINDREPLACEA Request;
static FindPass Pass;
static BOOL NotFoundShowing;

TextSpan RichEditText::Selection()
{
    CHARRANGE range = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&range);
    return TextSpan{range.cpMin, range.cpMax};
}

void RichEditText::Select(TextSpan span)
{
    CHARRANGE range = {span.start, span.end};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&range);
}

TextSpan RichEditText::Find(long from, long to, const char *what, unsigned flags)
{
    FINDTEXTEXA find = {};
    find.chrg.cpMin = from;
    find.chrg.cpMax = to;
    find.lpstrText = what;
    // Forward always: later controls search backwards without FR_DOWN.
    LRESULT at = SendMessageA(edit, EM_FINDTEXTEX,
                              (flags & (FR_MATCHCASE | FR_WHOLEWORD)) | FR_DOWN, (LPARAM)&find);
    if (at < 0)
        return TextSpan{-1, -1};
    return TextSpan{find.chrgText.cpMin, find.chrgText.cpMax};
}

void RichEditText::ReplaceSelection(const char *text)
{
    SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)text);
}

void RichEditText::ScrollToCaret()
{
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

static FindRequest RequestOf(const FINDREPLACEA *request)
{
    return FindRequest{request->Flags, request->lpstrFindWhat, request->lpstrReplaceWith};
}

long RichEditFindNext(HWND edit, const FINDREPLACEA *request, long bound, int fromSelectionStart)
{
    RichEditText text(edit);
    return FindNextIn(&text, RequestOf(request), bound, fromSelectionStart);
}

long RichEditReplaceNext(HWND edit, const FINDREPLACEA *request, long *boundInOut)
{
    RichEditText text(edit);
    return ReplaceNextIn(&text, RequestOf(request), boundInOut);
}

UINT FindReplaceMessage(void)
{
    static UINT message = RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

static HWND EditOf(int slot)
{
    return slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT ? ZettlyTable[slot].editWindow : nullptr;
}

// The start of the selection, at most what the find buffer holds: read as a
// range, never more than fits.
static void TakeSelectedText(HWND edit, const CHARRANGE &selection)
{
    char text[FIND_TEXT_BYTES] = {};
    TEXTRANGEA range = {};
    range.chrg.cpMin = selection.cpMin;
    range.chrg.cpMax = selection.cpMax;
    if (range.chrg.cpMax - range.chrg.cpMin > FIND_TEXT_BYTES - 1)
        range.chrg.cpMax = range.chrg.cpMin + FIND_TEXT_BYTES - 1;
    range.lpstrText = text;
    LRESULT got = SendMessageA(edit, EM_GETTEXTRANGE, 0, (LPARAM)&range);
    if (got <= 0 || got > FIND_TEXT_BYTES - 1)
        return;
    text[got] = 0;
    lstrcpynA(FindWhat, text, sizeof FindWhat);
}

void OpenFindReplaceDialog(HWND note, int slot, BOOL replace)
{
    if (FindReplaceDialog && !IsWindow(FindReplaceDialog))
        FindReplaceDialog = nullptr;
    if (FindReplaceDialog) {
        ZtMessageBox(note, FIND_OPEN_ERROR_TEXT, FIND_OPEN_ERROR_CAPTION, MB_ICONINFORMATION);
        return;
    }
    HWND edit = EditOf(slot);
    if (!edit)
        return;
    CHARRANGE selection = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&selection);
    if (selection.cpMin != selection.cpMax)
        TakeSelectedText(edit, selection);

    Request = FINDREPLACEA{};
    Request.lStructSize = sizeof Request;
    Request.hwndOwner = note;
    Request.hInstance = GetModuleHandleA(nullptr);
    Request.Flags = FR_DOWN | FR_HIDEUPDOWN;
    Request.lpstrFindWhat = FindWhat;
    Request.lpstrReplaceWith = ReplaceWith;
    Request.wFindWhatLen = sizeof FindWhat;
    Request.wReplaceWithLen = sizeof ReplaceWith;
    BeginFindPass(&Pass, selection.cpMin);
    FindReplaceDialog = replace ? ReplaceTextA(&Request) : FindTextA(&Request);
}

void FindReplaceOwnerDestroyed(HWND note)
{
    if (!FindReplaceDialog || Request.hwndOwner != note)
        return;
    // The system takes an owned dialog along without telling anyone; the
    // handle must not keep every later opening out.
    if (IsWindow(FindReplaceDialog))
        DestroyWindow(FindReplaceDialog);
    FindReplaceDialog = nullptr;
}

static void ReportNotFound(HWND note)
{
    NotFoundShowing = TRUE;
    ZtMessageBox(note, FIND_NOT_FOUND_TEXT, FIND_NOT_FOUND_CAPTION, MB_ICONINFORMATION);
    NotFoundShowing = FALSE;
}

static void OnFindOrReplace(HWND note, RichEditText *text, bool replace)
{
    if (NotFoundShowing) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (RunFindRequest(&Pass, text, RequestOf(&Request), replace) >= 0)
        return;
    ReportNotFound(note);
    TextSpan selection = text->Selection();
    BeginFindPass(&Pass, replace ? selection.end : selection.start);
}

LRESULT OnFindReplaceMessage(HWND note, int slot, LPARAM lParam)
{
    const WPARAM wParam = 0;
    // Anyone may send a registered message: only our own block is read.
    if ((const FINDREPLACEA *)lParam != &Request)
        return DefWindowProcA(note, FindReplaceMessage(), wParam, lParam);
    HWND edit = EditOf(slot);
    if (Request.Flags & FR_DIALOGTERM) {
        FindReplaceDialog = nullptr;
        if (edit)
            SetFocus(edit);
        return 1;
    }
    FindWhat[sizeof FindWhat - 1] = 0;
    ReplaceWith[sizeof ReplaceWith - 1] = 0;
    if (edit) {
        RichEditText text(edit);
        if (Request.Flags & FR_FINDNEXT)
            OnFindOrReplace(note, &text, false);
        else if (Request.Flags & FR_REPLACE)
            OnFindOrReplace(note, &text, true);
        else if (Request.Flags & FR_REPLACEALL) {
            ReplaceAllIn(&text, RequestOf(&Request));
            BeginFindPass(&Pass, text.Selection().end);
        }
    }
    return DefWindowProcA(note, FindReplaceMessage(), wParam, lParam);
}
