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
// The block the system's dialog works on while it is open; the texts stay for
// the next opening. One dialog serves every note, so there is one block.
struct FindReplaceBlock {
    char findWhat[FIND_TEXT_BYTES];
    char replaceWith[FIND_TEXT_BYTES];
    FINDREPLACEA request;
    FindPass pass;
    BOOL notFoundShowing;
};
static FindReplaceBlock Block;

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
    lstrcpynA(Block.findWhat, text, sizeof Block.findWhat);
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

    Block.request = FINDREPLACEA{};
    Block.request.lStructSize = sizeof Block.request;
    Block.request.hwndOwner = note;
    Block.request.hInstance = GetModuleHandleA(nullptr);
    Block.request.Flags = FR_DOWN | FR_HIDEUPDOWN;
    Block.request.lpstrFindWhat = Block.findWhat;
    Block.request.lpstrReplaceWith = Block.replaceWith;
    Block.request.wFindWhatLen = sizeof Block.findWhat;
    Block.request.wReplaceWithLen = sizeof Block.replaceWith;
    BeginFindPass(&Block.pass, selection.cpMin);
    FindReplaceDialog = replace ? ReplaceTextA(&Block.request) : FindTextA(&Block.request);
}

void FindReplaceOwnerDestroyed(HWND note)
{
    if (!FindReplaceDialog || Block.request.hwndOwner != note)
        return;
    // The system takes an owned dialog along without telling anyone; the
    // handle must not keep every later opening out.
    if (IsWindow(FindReplaceDialog))
        DestroyWindow(FindReplaceDialog);
    FindReplaceDialog = nullptr;
}

static void ReportNotFound(HWND note)
{
    Block.notFoundShowing = TRUE;
    ZtMessageBox(note, FIND_NOT_FOUND_TEXT, FIND_NOT_FOUND_CAPTION, MB_ICONINFORMATION);
    Block.notFoundShowing = FALSE;
}

static void OnFindOrReplace(HWND note, RichEditText *text, bool replace)
{
    if (Block.notFoundShowing) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (RunFindRequest(&Block.pass, text, RequestOf(&Block.request), replace) >= 0)
        return;
    ReportNotFound(note);
    TextSpan selection = text->Selection();
    BeginFindPass(&Block.pass, replace ? selection.end : selection.start);
}

LRESULT OnFindReplaceMessage(HWND note, int slot, LPARAM lParam)
{
    const WPARAM wParam = 0;
    // Anyone may send a registered message: only our own block is read.
    if ((const FINDREPLACEA *)lParam != &Block.request)
        return DefWindowProcA(note, FindReplaceMessage(), wParam, lParam);
    HWND edit = EditOf(slot);
    if (Block.request.Flags & FR_DIALOGTERM) {
        FindReplaceDialog = nullptr;
        if (edit)
            SetFocus(edit);
        return 1;
    }
    Block.findWhat[sizeof Block.findWhat - 1] = 0;
    Block.replaceWith[sizeof Block.replaceWith - 1] = 0;
    if (edit) {
        RichEditText text(edit);
        if (Block.request.Flags & FR_FINDNEXT)
            OnFindOrReplace(note, &text, false);
        else if (Block.request.Flags & FR_REPLACE)
            OnFindOrReplace(note, &text, true);
        else if (Block.request.Flags & FR_REPLACEALL) {
            ReplaceAllIn(&text, RequestOf(&Block.request));
            BeginFindPass(&Block.pass, text.Selection().end);
        }
    }
    return DefWindowProcA(note, FindReplaceMessage(), wParam, lParam);
}
