#include "note_edit.h"

#include <richedit.h>
#include <windowsx.h>

#include <string>

#include "core/editing_features.h"
#include "core/core_ids.h"
#include "editor_caret.h"
#include "editor_commands.h"
#include "editor_menu.h"
#include "editor_rules.h"
#include "text_walk.h"
#include "tooltip_window.h"
#include "transparency.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"

HWND EditToolbarWindow;
NoteKeyTables NoteKeys;

enum { CONSOLE_LINE_CHARS = 1023 };

void SwallowNextEditChar(ZettlyEditState *state)
{
    if (state)
        state->swallowNextChar = TRUE;
}

static LRESULT Default(HWND edit, ZettlyEditState *s, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(s->previous, edit, message, wParam, lParam);
}

static BOOL InPlaceActive(void)
{
    return Editing().objectActiveInPlace();
}

static BOOL CALLBACK FirstChildEnumProc(HWND child, LPARAM out)
{
    if (out)
        *(HWND *)out = child;
    return FALSE;
}

static ZettlyRecord *NoteOf(ZettlyEditState *s)
{
    if (s->slot < 0 || s->slot > ZETTLY_LAST_NOTE_SLOT)
        return nullptr;
    return &ZettlyTable[s->slot];
}

static void RefreshCaretAndBar(HWND edit)
{
    UpdateZettlyCaret(edit, FALSE);
    Editing().refreshEditBar(EditToolbarWindow, edit);
}

static CHARRANGE Selection(HWND edit)
{
    CHARRANGE sel = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&sel);
    return sel;
}

// ---------------------------------------------------------------- line/column

static void UpdateLineColumn(HWND edit, ZettlyEditState *s, UINT message)
{
    if (!s->lineColumn)
        s->lineColumn = ShowZettlyToolTip(s);
    if (!s->lineColumn)
        return;
    CHARRANGE sel = Selection(edit);
    CaretTrack track = {s->lastStart, s->lastEnd, s->caretEnd};
    bool moved = TrackCaretEnd(&track, sel.cpMin, sel.cpMax);
    s->lastStart = track.lastStart;
    s->lastEnd = track.lastEnd;
    s->caretEnd = track.caretEnd;
    HWND tip = s->lineColumn;
    if (message != WM_MOUSEMOVE || moved) {
        LONG caret = s->caretEnd;
        LONG line = (LONG)SendMessageA(edit, EM_EXLINEFROMCHAR, 0, caret);
        LONG lineStart = (LONG)SendMessageA(edit, EM_LINEINDEX, line, 0);
        if (lineStart < 0) {
            // Select All ends behind the control's last paragraph mark, on a
            // line that the control counts but has no start for: that end is
            // shown as the end of the text, where Ctrl+End puts the caret.
            while (lineStart < 0 && line > 0)
                lineStart = (LONG)SendMessageA(edit, EM_LINEINDEX, --line, 0);
            if (lineStart < 0)
                line = lineStart = 0;
            caret = lineStart + (LONG)SendMessageA(edit, EM_LINELENGTH, lineStart, 0);
        }
        char text[64];
        FormatLineColumn(text, sizeof text, line, caret, lineStart);
        SetWindowTextA(tip, text);
    }
    InvalidateRect(tip, nullptr, TRUE);
    if (!IsWindowVisible(tip))
        ShowWindow(tip, SW_SHOWNOACTIVATE);
    UpdateWindow(tip);
}

// Until the indicator is first shown it has no window, and nothing to hide or repaint.
static void LineColumnFirst(HWND edit, ZettlyEditState *s, UINT message, WPARAM wParam)
{
    HWND tip = s->lineColumn;
    ZettlyRecord *z = NoteOf(s);
    switch (message) {
    case WM_SETFOCUS:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
        if (GetFocus() == edit)
            UpdateLineColumn(edit, s, message);
        return;
    }
    if (!tip)
        return;
    switch (message) {
    case WM_KILLFOCUS:
        ShowWindow(tip, SW_HIDE);
        break;
    case WM_ACTIVATEAPP:
        if (!wParam)
            ShowWindow(tip, SW_HIDE);
        break;
    case WM_WINDOWPOSCHANGED:
        if (z && !z->rolledUp)
            InvalidateRect(tip, nullptr, TRUE);
        break;
    case WM_USER:
        if (wParam == EDIT_REALIGN) {
            InvalidateRect(tip, nullptr, TRUE);
            UpdateWindow(tip);
        }
        break;
    }
}

// ---------------------------------------------------------------- OLE objects

// Returns true when the message is answered here.
static bool OleFirst(HWND edit, ZettlyEditState *s, UINT message, WPARAM wParam, LPARAM lParam,
                     LRESULT *result)
{
    switch (message) {
    case WM_SETFOCUS:
        Editing().richOleFocusActiveObject();
        if (InPlaceActive()) {
            SendMessageA(edit, WM_USER, EDIT_HIDE_COMPANIONS, 0);
            *result = Default(edit, s, message, wParam, lParam);
            return true;
        }
        break;
    case WM_SIZE:
        Editing().richOleResizeBorder(s->oleFrame);
        break;
    case WM_PAINT:
        if (InPlaceActive()) {
            HWND child = nullptr;
            EnumChildWindows(edit, FirstChildEnumProc, (LPARAM)&child);
            if (child)
                RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        break;
    case WM_ACTIVATEAPP:
        Editing().richOleFrameActivate((BOOL)wParam);
        break;
    case WM_COMMAND:
        Editing().richOleVerbCommand(s->oleDocument, LOWORD(wParam));
        break;
    }
    return false;
}

// ---------------------------------------------------------------- handlers

static LRESULT OnEditSetFocus(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    if (!EditToolbarWindow)
        EditToolbarWindow = Editing().createEditBar();
    Editing().attachEditBar(EditToolbarWindow, s->slot);
    SendMessageA(edit, WM_USER, EDIT_REALIGN, 0);
    Default(edit, s, WM_SETFOCUS, wParam, lParam);
    RefreshCaretAndBar(edit);
    if (!s->suppressFocusClick) {
        // Focus from a click lands the caret where the click was; the click
        // itself went to the note window that took the activation.
        POINT at;
        RECT client;
        GetCursorPos(&at);
        ScreenToClient(edit, &at);
        GetClientRect(edit, &client);
        if (PtInRect(&client, at)) {
            LPARAM point = MAKELPARAM(at.x, at.y);
            SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, point);
            SendMessageA(edit, WM_LBUTTONUP, 0, point);
        }
    }
    s->suppressFocusClick = FALSE;
    s->dragSeen = FALSE;
    s->clickCountdown = 1;
    return 0;
}

static bool IsOtherNoteWindow(HWND edit, HWND other)
{
    if (!other || other == edit)
        return false;
    return FindZettlyByWindow(other) >= 0 || FindZettlyByEdit(other) >= 0;
}

static LRESULT OnEditKillFocus(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    if (IsOtherNoteWindow(edit, (HWND)wParam))
        SendMessageA(edit, WM_USER, EDIT_HIDE_COMPANIONS, 0);
    Default(edit, s, WM_KILLFOCUS, wParam, lParam);
    DestroyCaret();
    return 0;
}

static LRESULT OnEditKeyDown(HWND edit, ZettlyEditState *s, UINT message, WPARAM wParam,
                             LPARAM lParam)
{
    if (!InPlaceActive()) {
        MSG msg = {edit, message, wParam, lParam, 0, {0, 0}};
        msg.time = GetMessageTime();
        if (NoteKeys.note && TranslateAcceleratorA(s->note, NoteKeys.note, &msg))
            return 0;
        if (NoteKeys.edit && TranslateAcceleratorA(edit, NoteKeys.edit, &msg))
            return 0;
    }
    LRESULT result = Default(edit, s, message, wParam, lParam);
    RefreshCaretAndBar(edit);
    return result;
}

static std::string CaretLine(HWND edit)
{
    LONG line = (LONG)SendMessageA(edit, EM_LINEFROMCHAR, (WPARAM)-1, 0);
    char buffer[CONSOLE_LINE_CHARS + 1];
    *(WORD *)buffer = CONSOLE_LINE_CHARS;
    LRESULT got = SendMessageA(edit, EM_GETLINE, line, (LPARAM)buffer);
    if (got < 0 || got > CONSOLE_LINE_CHARS)
        got = 0;
    return std::string(buffer, (size_t)got);
}

// The typed line goes to the interpreter; the line and the line end before it
// are selected so the interpreter's answer replaces them.
static void SendConsoleLine(HWND edit, ZettlyEditState *s)
{
    std::string line = CaretLine(edit);
    while (!line.empty() && IsLineEndChar(line.back()))
        line.pop_back();
    line += "\r\n";
    StripConsolePrompt(&line);
    CutAfterFirstCrLf(&line);

    CHARRANGE sel = Selection(edit);
    LONG caretLine = (LONG)SendMessageA(edit, EM_EXLINEFROMCHAR, 0, sel.cpMax);
    LONG from = sel.cpMax;
    while (from > 0 && (LONG)SendMessageA(edit, EM_EXLINEFROMCHAR, 0, from) >= caretLine)
        --from;
    CHARRANGE typed = {from, sel.cpMax};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&typed);
    Editing().consoleWrite(s->slot, line.c_str());
}

static LRESULT OnEditChar(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    if (InPlaceActive())
        return Default(edit, s, WM_CHAR, wParam, lParam);
    if (s->swallowNextChar) {
        s->swallowNextChar = FALSE;
        return 0;
    }
    ZettlyRecord *z = NoteOf(s);
    if (z && z->calculatorMode && wParam == '\r') {
        Editing().runEditTextOp(s->note);
        return 0;
    }
    if (z && z->consoleMode && (wParam == '\r' || wParam == '\n')) {
        SendConsoleLine(edit, s);
        return 0;
    }
    LRESULT result = Default(edit, s, WM_CHAR, wParam, lParam);
    RefreshCaretAndBar(edit);
    return result;
}

static void AutoCopy(HWND edit, ZettlyEditState *s, WPARAM keys)
{
    CHARRANGE sel = Selection(edit);
    bool selected = sel.cpMin != sel.cpMax;
    if (keys == MK_SHIFT && selected) {
        PostMessageA(edit, WM_CUT, 0, 0);
    } else if (s->clickCountdown <= 0 &&
               (keys == MK_CONTROL || (ZettlyInfo.autoCopy && s->dragSeen)) && selected) {
        PostMessageA(edit, WM_COPY, 0, 0);
    }
    s->dragSeen = FALSE;
}

static LRESULT OnEditLButtonDown(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    if (!InPlaceActive() && s->clickCountdown <= 0)
        s->dragSeen = TRUE;
    s->clickCountdown = s->clickCountdown >= 0 ? s->clickCountdown - 1 : 0;
    LRESULT result = Default(edit, s, WM_LBUTTONDOWN, wParam, lParam);
    RefreshCaretAndBar(edit);
    return result;
}

static LRESULT OnEditLButtonUp(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    if (!InPlaceActive())
        AutoCopy(edit, s, wParam);
    LRESULT result = Default(edit, s, WM_LBUTTONUP, wParam, lParam);
    RefreshCaretAndBar(edit);
    return result;
}

static LRESULT OnEditDoubleClick(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    s->clickCountdown = 0;
    s->dragSeen = TRUE;
    LRESULT result = Default(edit, s, WM_LBUTTONDBLCLK, wParam, lParam);
    AutoCopy(edit, s, wParam);
    RefreshCaretAndBar(edit);
    return result;
}

static LRESULT OnEditRButtonUp(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    if (InPlaceActive())
        return Default(edit, s, WM_RBUTTONUP, wParam, lParam);
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(edit, &at);
    if (wParam == MK_SHIFT) {
        // The note menu opens at a screen point.
        SendMessageA(s->note, WM_CONTEXTMENU, 4, MAKELPARAM(at.x, at.y));
        return 0;
    }
    if (wParam == MK_CONTROL) {
        PostMessageA(edit, WM_PASTE, 0, 0);
        return 0;
    }
    s->contextMenuOpen = TRUE;
    ShowEditorContextMenu(edit, s, at.x, at.y);
    s->contextMenuOpen = FALSE;
    return 0;
}

static void ShowCompanion(HWND window, BOOL show)
{
    if (window)
        ShowWindow(window, show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void HideStripCompanions(int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return;
    if (EditToolbarWindow && Editing().editBarSlot(EditToolbarWindow) == slot)
        ShowCompanion(EditToolbarWindow, FALSE);
    ShowCompanion(ZettlyTable[slot].checkListWindow, FALSE);
}

static void AlignCheckList(ZettlyRecord *z)
{
    HWND list = z->checkListWindow;
    RECT note, own;
    if (!list || !GetWindowRect(z->window, &note) || !GetWindowRect(list, &own))
        return;
    MoveWindow(list, note.right, note.top, own.right - own.left, own.bottom - own.top, TRUE);
    if (!IsWindowVisible(list))
        ShowWindow(list, SW_SHOWNOACTIVATE);
}

static void ApplyCompanionAlpha(HWND window, int slot)
{
    if (window)
        ApplyZettlyAlpha(window, slot);
}

static LRESULT OnEditUser(HWND edit, ZettlyEditState *s, WPARAM code, LPARAM lParam)
{
    ZettlyRecord *z = NoteOf(s);
    switch (code) {
    case EDIT_REALIGN:
        if (z && !z->rolledUp) {
            if (EditToolbarWindow)
                Editing().placeEditBar(EditToolbarWindow, s->slot);
            AlignCheckList(z);
        }
        break;
    case EDIT_HIDE_COMPANIONS:
        ShowCompanion(EditToolbarWindow, FALSE);
        if (z)
            ShowCompanion(z->checkListWindow, FALSE);
        break;
    case EDIT_SHOW_COMPANIONS:
        if (z && !z->rolledUp) {
            ShowCompanion(EditToolbarWindow, TRUE);
            ShowCompanion(z->checkListWindow, TRUE);
        }
        break;
    case EDIT_ALPHA_COMPANIONS:
        if (z) {
            ApplyCompanionAlpha(EditToolbarWindow, s->slot);
            ApplyCompanionAlpha(z->checkListWindow, s->slot);
        }
        break;
    case EDIT_GET_TOOLBAR:
        return (LRESULT)EditToolbarWindow;
    case EDIT_ALPHA_LINE_COLUMN:
        if (z)
            ApplyCompanionAlpha(s->lineColumn, s->slot);
        break;
    case EDIT_TAKE_FOCUS:
        s->suppressFocusClick = TRUE;
        ShowCompanion(s->lineColumn, FALSE);
        SetFocus(edit);
        ShowCompanion(s->lineColumn, TRUE);
        break;
    }
    return Default(edit, s, WM_USER, code, lParam);
}

static LRESULT OnEditCommand(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id >= NOTE_COMMAND_FIRST && id <= NOTE_COMMAND_LAST)
        SendMessageA(s->note, WM_COMMAND, wParam, lParam);
    else
        RunEditorCommand(edit, s, wParam, lParam);
    if (!IsWindow(edit))
        return 0;
    return Default(edit, s, WM_COMMAND, wParam, lParam);
}

static LRESULT OnEditMeasureItem(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    MEASUREITEMSTRUCT *item = (MEASUREITEMSTRUCT *)lParam;
    // The note menu hangs in this menu too; its group items belong to the note.
    if (item && item->CtlType == ODT_MENU && item->itemID >= CMD_ADD_TO_GROUP_FIRST &&
        item->itemID <= CMD_ADD_TO_GROUP_LAST)
        return SendMessageA(s->note, WM_MEASUREITEM, wParam, lParam);
    if (MeasureEditorMenuItem(edit, item))
        return TRUE;
    return Default(edit, s, WM_MEASUREITEM, wParam, lParam);
}

static LRESULT OnEditDrawItem(HWND edit, ZettlyEditState *s, WPARAM wParam, LPARAM lParam)
{
    const DRAWITEMSTRUCT *item = (const DRAWITEMSTRUCT *)lParam;
    if (item && item->CtlType == ODT_MENU && item->itemID >= CMD_ADD_TO_GROUP_FIRST &&
        item->itemID <= CMD_ADD_TO_GROUP_LAST)
        return SendMessageA(s->note, WM_DRAWITEM, wParam, lParam);
    if (DrawEditorMenuItem(edit, s, item))
        return TRUE;
    return Default(edit, s, WM_DRAWITEM, wParam, lParam);
}

static LRESULT Dispatch(HWND edit, ZettlyEditState *s, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        if (EditToolbarWindow && Editing().editBarSlot(EditToolbarWindow) == s->slot)
            SendMessageA(edit, WM_USER, EDIT_HIDE_COMPANIONS, 0);
        break;
    case WM_SIZE:
        SendMessageA(edit, WM_USER, InPlaceActive() ? EDIT_HIDE_COMPANIONS : EDIT_REALIGN, 0);
        break;
    case WM_SETFOCUS:
        return OnEditSetFocus(edit, s, wParam, lParam);
    case WM_KILLFOCUS:
        return OnEditKillFocus(edit, s, wParam, lParam);
    case WM_PAINT:
        if (InPlaceActive())
            break;
        Default(edit, s, message, wParam, lParam);
        if (GetFocus() == edit)
            UpdateZettlyCaret(edit, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ACTIVATEAPP:
        if (!wParam && EditToolbarWindow)
            SendMessageA(edit, WM_USER, EDIT_HIDE_COMPANIONS, 0);
        break;
    case WM_SETCURSOR:
        if (s->contextMenuOpen)
            return 0;
        break;
    case WM_MOUSEACTIVATE:
        if (!InPlaceActive()) {
            CHARRANGE sel = Selection(edit);
            if (sel.cpMin == sel.cpMax)
                SetFocus(edit);
        }
        break;
    case WM_DRAWITEM:
        return OnEditDrawItem(edit, s, wParam, lParam);
    case WM_MEASUREITEM:
        return OnEditMeasureItem(edit, s, wParam, lParam);
    case WM_HELP:
        OpenHelpFile();
        return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnEditKeyDown(edit, s, message, wParam, lParam);
    case WM_KEYUP: {
        LRESULT result = Default(edit, s, message, wParam, lParam);
        RefreshCaretAndBar(edit);
        return result;
    }
    case WM_CHAR:
        return OnEditChar(edit, s, wParam, lParam);
    case WM_MOUSEMOVE:
        if (!InPlaceActive() && (wParam & MK_LBUTTON))
            s->dragSeen = TRUE;
        break;
    case WM_LBUTTONDOWN:
        return OnEditLButtonDown(edit, s, wParam, lParam);
    case WM_LBUTTONDBLCLK:
        return OnEditDoubleClick(edit, s, wParam, lParam);
    case WM_LBUTTONUP:
        return OnEditLButtonUp(edit, s, wParam, lParam);
    case WM_RBUTTONUP:
        return OnEditRButtonUp(edit, s, wParam, lParam);
    case WM_COMMAND:
        return OnEditCommand(edit, s, wParam, lParam);
    case WM_USER:
        if (wParam <= EDIT_TAKE_FOCUS)
            return OnEditUser(edit, s, wParam, lParam);
        break;
    }
    return Default(edit, s, message, wParam, lParam);
}

static LRESULT HandleEditMessage(HWND edit, ZettlyEditState *s, UINT message, WPARAM wParam,
                                 LPARAM lParam)
{
    if (s->oleDocument) {
        LRESULT result;
        if (OleFirst(edit, s, message, wParam, lParam, &result))
            return result;
    }
    if (s->edit)
        LineColumnFirst(edit, s, message, wParam);
    return Dispatch(edit, s, message, wParam, lParam);
}

static ZettlyEditState *StateOf(HWND edit)
{
    return (ZettlyEditState *)GetWindowLongPtrA(edit, GWLP_USERDATA);
}

void MarkNoteTextChanged(HWND edit)
{
    ZettlyEditState *s = edit ? StateOf(edit) : nullptr;
    if (s)
        ++s->text.changes;
}

void HoldLoadedNoteText(HWND edit, const uint8_t *rtf, size_t size)
{
    ZettlyEditState *s = edit ? StateOf(edit) : nullptr;
    if (s && s->previous && size <= 0xFFFFFFFFu)
        HoldNoteText(edit, s->previous, &s->text, (const char *)rtf, (DWORD)size);
}

LRESULT CALLBACK ZettlyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    ZettlyEditState *s = StateOf(edit);
    if (!s || !s->previous)
        return DefWindowProcA(edit, message, wParam, lParam);
    if (message == TakeNoteTextMessage())
        return TakeNoteText(edit, s->previous, &s->text, (MemoryWriter *)lParam);
    if (!MayChangeNoteText(message, wParam))
        return HandleEditMessage(edit, s, message, wParam, lParam);
    // Counted on both sides: a save while the message is handled (from a
    // dialog it opens) and a save after it both take the text afresh.
    NoteTextChanging(&s->text);
    LRESULT result = HandleEditMessage(edit, s, message, wParam, lParam);
    if (StateOf(edit) == s)
        NoteTextChanged(&s->text);
    return result;
}
