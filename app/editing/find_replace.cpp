#include "find_replace.h"

#include <commdlg.h>
#include <richedit.h>

#include "core/notes_table/zettly_record.h"
#include "editing_ids.h"
#include "ui_seams.h"

// One opening of the dialog, from FindText or ReplaceText to its end: the
// system's dialog works on the request while it is open.
struct FindReplaceOpening {
    HWND dialog;
    FINDREPLACEA request;
    FindPass pass;
    BOOL notFoundShowing;
    BOOL ended; // the dialog went while the not-found box showed
};

// One dialog serves every note, one at a time. Its texts outlive each opening,
// so the next one offers the last search.
static struct {
    char findWhat[FIND_TEXT_BYTES];
    char replaceWith[FIND_TEXT_BYTES];
    FindReplaceOpening *open;
} FindDialog;

static void EndOpening(FindReplaceOpening *opening)
{
    if (FindDialog.open == opening)
        FindDialog.open = nullptr;
    // The not-found box runs a message loop in which the dialog or its owner
    // may go; the search that raised the box frees the opening when it closes.
    if (opening->notFoundShowing)
        opening->ended = TRUE;
    else
        delete opening;
}

HWND FindReplaceWindow(void)
{
    return FindDialog.open ? FindDialog.open->dialog : nullptr;
}

BOOL FindReplaceTakesMessage(MSG *msg)
{
    HWND dialog = FindReplaceWindow();
    return dialog && IsDialogMessageA(dialog, msg);
}

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
    lstrcpynA(FindDialog.findWhat, text, sizeof FindDialog.findWhat);
}

void OpenFindReplaceDialog(HWND note, int slot, BOOL replace)
{
    // The system may have taken the dialog along with its owner unannounced.
    if (FindDialog.open && FindDialog.open->dialog && !IsWindow(FindDialog.open->dialog))
        EndOpening(FindDialog.open);
    if (FindDialog.open) {
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

    FindReplaceOpening *opening = new FindReplaceOpening{};
    FINDREPLACEA &request = opening->request;
    request.lStructSize = sizeof request;
    request.hwndOwner = note;
    request.hInstance = GetModuleHandleA(nullptr);
    request.Flags = FR_DOWN | FR_HIDEUPDOWN;
    request.lpstrFindWhat = FindDialog.findWhat;
    request.lpstrReplaceWith = FindDialog.replaceWith;
    request.wFindWhatLen = sizeof FindDialog.findWhat;
    request.wReplaceWithLen = sizeof FindDialog.replaceWith;
    BeginFindPass(&opening->pass, selection.cpMin);
    // Known before the dialog exists: it may report to its owner while it is made.
    FindDialog.open = opening;
    opening->dialog = replace ? ReplaceTextA(&request) : FindTextA(&request);
    if (!opening->dialog)
        EndOpening(opening);
}

void FindReplaceOwnerDestroyed(HWND note)
{
    FindReplaceOpening *opening = FindDialog.open;
    if (!opening || opening->request.hwndOwner != note)
        return;
    // The system takes an owned dialog along without telling anyone; the
    // opening must not keep every later one out.
    if (IsWindow(opening->dialog))
        DestroyWindow(opening->dialog);
    if (FindDialog.open == opening)
        EndOpening(opening);
}

// False when the dialog ended while the box showed: the opening is gone then.
static bool ReportNotFound(FindReplaceOpening *opening, HWND note)
{
    opening->notFoundShowing = TRUE;
    ZtMessageBox(note, FIND_NOT_FOUND_TEXT, FIND_NOT_FOUND_CAPTION, MB_ICONINFORMATION);
    opening->notFoundShowing = FALSE;
    if (!opening->ended)
        return true;
    delete opening;
    return false;
}

static void OnFindOrReplace(FindReplaceOpening *opening, HWND note, RichEditText *text,
                            bool replace)
{
    if (opening->notFoundShowing) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (RunFindRequest(&opening->pass, text, RequestOf(&opening->request), replace) >= 0)
        return;
    if (!ReportNotFound(opening, note))
        return;
    TextSpan selection = text->Selection();
    BeginFindPass(&opening->pass, replace ? selection.end : selection.start);
}

LRESULT OnFindReplaceMessage(HWND note, int slot, LPARAM lParam)
{
    const WPARAM wParam = 0;
    FindReplaceOpening *opening = FindDialog.open;
    // Anyone may send a registered message: only the open dialog's request is read.
    if (!opening || (const FINDREPLACEA *)lParam != &opening->request)
        return DefWindowProcA(note, FindReplaceMessage(), wParam, lParam);
    const FINDREPLACEA &request = opening->request;
    HWND edit = EditOf(slot);
    if (request.Flags & FR_DIALOGTERM) {
        EndOpening(opening);
        if (edit)
            SetFocus(edit);
        return 1;
    }
    FindDialog.findWhat[sizeof FindDialog.findWhat - 1] = 0;
    FindDialog.replaceWith[sizeof FindDialog.replaceWith - 1] = 0;
    if (edit) {
        RichEditText text(edit);
        if (request.Flags & FR_FINDNEXT)
            OnFindOrReplace(opening, note, &text, false);
        else if (request.Flags & FR_REPLACE)
            OnFindOrReplace(opening, note, &text, true);
        else if (request.Flags & FR_REPLACEALL) {
            ReplaceAllIn(&text, RequestOf(&request));
            BeginFindPass(&opening->pass, text.Selection().end);
        }
    }
    return DefWindowProcA(note, FindReplaceMessage(), wParam, lParam);
}
