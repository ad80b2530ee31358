#include "note_window.h"

#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cstdlib>
#include <cstring>

#include "core/editing_features.h"
#include "core/core_ids.h"
#include "group_members.h"
#include "note_commands.h"
#include "core/note_editor/note_edit.h"
#include "core/notes_table/notes_phase_times.h"
#include "note_frame.h"
#include "note_geometry.h"
#include "note_title_strip.h"
#include "roll_animation.h"
#include "title_edit.h"
#include "core/note_editor/transparency.h"
#include "ui_seams.h"
#include "core/window_block.h"
#include "core/notes_table/rich_text_stream.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "window_class.h"
#include "window_creation.h"

HWND MainWindow;

enum {
    EDIT_STYLE_WRAPPED = 0x50001544, // ES_WANTRETURN etc., no horizontal scrolling
    EDIT_STYLE_UNWRAPPED = 0x500015C4,
};

// The strip's mouse memory of one note and its hold on the shared menu: the
// note window's user data from WM_NCCREATE to WM_NCDESTROY.
struct StripMouse {
    BOOL holdsMenu; // only a window that took the menu gives it back
    BOOL pressed;  // a press on the strip holds the capture
    BOOL dragged;  // the note has moved since that press
    BOOL closeHot; // the close button shows its held form
    POINT pressPoint; // screen
    POINT anchor;     // client
    RECT closeSquare;
};

static StripMouse *MouseOf(HWND note)
{
    return (StripMouse *)WindowBlock(note);
}

static int StripHeight(HWND note, int slot)
{
    return slot < 0 ? 0 : GetFontCharHeight(note, slot);
}

static int ClientWidth(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return r.right;
}

// ---------------------------------------------------------------- creation

void RegisterNoteClass(HINSTANCE instance)
{
    RegisterWindowClass(instance, ZETTLY_NOTE_CLASS, ZettlyWndProc,
                        {CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                         nullptr});
}

void UnregisterNoteClass(HINSTANCE instance)
{
    UnregisterClassA(ZETTLY_NOTE_CLASS, instance);
}

static HFONT MakeFont(HWND note, ZettlyLogFont *font, HFONT *stored)
{
    NotesPhaseMark mark(PHASE_FONTS);
    if (*stored)
        DeleteObject(*stored);
    *stored = CreateFontIndirectA(AsLOGFONT(font));
    if (!*stored)
        ZtMessageBox(note, "Problems Creating Font!", "Font Problem", MB_ICONHAND);
    return *stored;
}

// Where the editor goes in a note of the given client size: below the strip.
static RECT EditorPlace(HWND note, int slot, int width, int height)
{
    int h = Editing().objectActiveInPlace() ? 0 : StripHeight(note, slot);
    return RECT{0, h, width, height - h};
}

// A child already at its place is left alone: every move is a round trip
// through the window system even when nothing changes, and a note is sized
// more than once while it is made.
static bool ChildIsAt(HWND child, HWND parent, int x, int y, int width, int height)
{
    RECT r;
    if (!GetWindowRect(child, &r))
        return false;
    MapWindowPoints(nullptr, parent, (POINT *)&r, 2);
    return r.left == x && r.top == y && r.right - r.left == width && r.bottom - r.top == height;
}

static HWND CreateEditor(HWND note, int slot, ZettlyRecord *z)
{
    DWORD style = z->wordWrap ? EDIT_STYLE_WRAPPED : EDIT_STYLE_UNWRAPPED;
    if (z->vertScroll)
        style |= WS_VSCROLL;
    if (z->horzScroll)
        style |= WS_HSCROLL;
    // Made at its place, so that the note's first WM_SIZE finds it there.
    RECT client = {0, 0, 0, 0};
    GetClientRect(note, &client);
    RECT at = EditorPlace(note, slot, client.right, client.bottom);
    if (at.bottom < 0)
        at.bottom = 0;
    // Each editor once had a heap of its own; the rich-edit control keeps its
    // text in its own memory anyway, so the program's instance serves.
    return CreateWindowExA(WS_EX_TRANSPARENT, RICH_EDIT_CLASS, "", style, at.left, at.top, at.right, at.bottom, note,
                           (HMENU)(INT_PTR)NOTE_EDIT_ID, GetModuleHandleA(nullptr), nullptr);
}

static void SubclassEditor(HWND note, int slot, HWND edit)
{
    ZettlyEditState *state =
        (ZettlyEditState *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *state);
    if (!state)
        return;
    state->slot = slot;
    state->note = note;
    state->previous = (WNDPROC)GetWindowLongPtrA(edit, GWLP_WNDPROC);
    // The line/column window is made when the editor first shows it: under
    // Wine every hidden top-most window is walked past, with a trip to the
    // window server each, whenever any window is shown or restacked, and a
    // load of 254 notes took twice as long with theirs.
    if (ZettlyInfo.lineColumnInfo)
        state->edit = edit;
    SetWindowLongPtrA(edit, GWLP_USERDATA, (LONG_PTR)state);
    SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)ZettlyEditProc);
    Editing().richOleAttach(edit, note, &state->oleDocument, &state->oleFrame);
}

static void PrepareEditor(HWND note, ZettlyRecord *z, HWND edit)
{
    if (z->wordWrap)
        SendMessageA(edit, EM_SETTARGETDEVICE, 0, 0);
    SendMessageA(edit, EM_LIMITTEXT, 0x7FFFFFFE, 0);
    if (MakeFont(note, &z->editFont, &z->editFontHandle))
        SendMessageA(edit, WM_SETFONT, (WPARAM)z->editFontHandle, TRUE);
    SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SendMessageA(edit, EM_AUTOURLDETECT, TRUE, 0);
    LRESULT mask = SendMessageA(edit, EM_GETEVENTMASK, 0, 0);
    SendMessageA(edit, EM_SETEVENTMASK, 0, mask | ENM_LINK);
    SendMessageA(edit, WM_COMMAND, CMD_EDIT_DEFAULT_COLOURS, 0);
    SendMessageA(edit, EM_SETBKGNDCOLOR, 0, z->backColour);
    SetWindowTextA(edit, "");
    if (z->pendingText) {
        StreamPlainTextIn(edit, z->pendingText, std::strlen(z->pendingText));
        std::free(z->pendingText);
        z->pendingText = nullptr;
    }
}

// True when moving the note to this place would change nothing: it is there
// already and within the size limits that a move would enforce. Creation held
// the note to the system's tracking limits (a size they changed is no longer
// the one asked for); the strip height, which the note adds once its slot is
// known, is the one limit left to check. Under Wine each tracking metric costs
// about a tenth of a millisecond to ask for.
static bool NoteIsAt(HWND note, int slot, int x, int y, int width, int height)
{
    RECT w;
    if (!GetWindowRect(note, &w) || w.left != x || w.top != y || w.right - w.left != width ||
        w.bottom - w.top != height)
        return false;
    return height >= ZettlyRolledUpHeight(note, slot);
}

static void PlaceNewNote(HWND note, int slot, ZettlyRecord *z)
{
    const ZettlyRect &r = z->windowRect;
    // Height 0 for a rolled-up note: the size limits raise it to the strip.
    int height = z->rolledUp ? 0 : r.bottom - r.top;
    if (z->rolledUp || !NoteIsAt(note, slot, r.left, r.top, r.right - r.left, height))
        MoveWindow(note, r.left, r.top, r.right - r.left, height, TRUE);
}

static LRESULT OnNoteCreate(HWND note, const CREATESTRUCTA *cs)
{
    int slot = (int)((UINT_PTR)cs->lpCreateParams & 0xFFFF);
    if (slot > ZETTLY_LAST_NOTE_SLOT)
        return -1;
    ZettlyRecord *z = &ZettlyTable[slot];
    MouseOf(note)->holdsMenu = TRUE;
    TakeNoteMenu();

    HWND edit = CreateEditor(note, slot, z);
    z->editWindow = edit;
    if (!edit) {
        ZtMessageBox(note, "Can't Create Edit Control", "Out Of Memory", MB_ICONHAND);
        // Creation fails as a whole: the system destroys the note (Wine
        // with WM_NCDESTROY alone), which gives back the menu taken above.
        return -1;
    }
    SubclassEditor(note, slot, edit);
    PrepareEditor(note, z, edit);

    if (z->consoleMode && !z->consoleRunning && Editing().consoleStart(slot) != 0) {
        ZtMessageBox(note, "An error occurred entering console mode", "Console Mode Error", MB_OK);
        z->consoleMode = 0;
    }

    z->window = note;
    if (z->backBrush)
        DeleteObject(z->backBrush);
    z->backBrush = CreateSolidBrush(z->backColour);
    PlaceNewNote(note, slot, z);
    if (z->title[0])
        SetWindowTextA(note, z->title);
    if (z->showCommand == SW_SHOWMINIMIZED)
        z->minimised = 1;

    DragAcceptFiles(note, TRUE);
    if (z->ownAlpha)
        SetWindowAlpha(note, z->alphaValue);
    else if (ZettlyInfo.allTransparent)
        SetWindowAlpha(note, ZettlyInfo.allAlpha);

    if (z->checkListWindow) {
        // A list that cannot be made now keeps the mark that the note has one,
        // so its stored items are saved back instead of being dropped.
        HWND list = Editing().createCheckList(note, slot);
        if (list)
            z->checkListWindow = list;
        PostMessageA(edit, WM_USER, EDIT_HIDE_COMPANIONS, 0);
    }

    z->titleEdit = CreateTitleEdit(note, slot);
    if (MakeFont(note, &z->titleFont, &z->titleFontHandle) && z->titleEdit)
        SendMessageA(z->titleEdit, WM_SETFONT, (WPARAM)z->titleFontHandle, TRUE);
    return DefWindowProcA(note, WM_CREATE, 0, (LPARAM)cs);
}

// ---------------------------------------------------------------- destruction

static void ReleaseEditState(HWND edit)
{
    ZettlyEditState *state =
        edit ? (ZettlyEditState *)GetWindowLongPtrA(edit, GWLP_USERDATA) : nullptr;
    if (!state)
        return;
    if (state->lineColumn)
        DestroyWindow(state->lineColumn);
    Editing().richOleDetach(state->oleDocument, state->oleFrame);
    state->oleDocument = nullptr;
    state->oleFrame = nullptr;
    // The editor outlives this message by a little: it must not find the block.
    SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)state->previous);
    SetWindowLongPtrA(edit, GWLP_USERDATA, 0);
    ForgetNoteText(&state->text);
    HeapFree(GetProcessHeap(), 0, state);
}

BOOL NoteEndReachesOutside(int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[slot].window)
        return FALSE;
    const ZettlyRecord *z = &ZettlyTable[slot];
    if (z->consoleMode)
        return TRUE;
    ZettlyEditState *state =
        z->editWindow ? (ZettlyEditState *)GetWindowLongPtrA(z->editWindow, GWLP_USERDATA) : nullptr;
    return state && Editing().richOleHoldsObjects(state->oleDocument);
}

// At WM_NCDESTROY: a window whose WM_CREATE failed gets no WM_DESTROY under
// Wine, only this.
static void GiveBackNoteMenu(HWND note)
{
    StripMouse *m = MouseOf(note);
    if (m && m->holdsMenu) {
        m->holdsMenu = FALSE;
        ReleaseNoteMenu();
    }
}

static void OnNoteDestroy(HWND note)
{
    int slot = FindZettlyByWindow(note);
    BOOL console = FALSE;
    // The editor is found as the child, not through the record: a window
    // being replaced (preferences) has already handed its slot to the new one.
    ReleaseEditState(GetDlgItem(note, NOTE_EDIT_ID));
    if (slot >= 0) {
        ZettlyRecord *z = &ZettlyTable[slot];
        if (z->titleEdit)
            DestroyWindow(z->titleEdit);
        z->titleEdit = nullptr;
        console = z->consoleMode;
    }
    ReleaseZettlySlot(note);
    Editing().findReplaceOwnerDestroyed(note);
    // The editor no longer sees its own destruction: the bar goes from here.
    if (slot >= 0 && EditToolbarWindow && Editing().editBarSlot(EditToolbarWindow) == slot) {
        ShowWindow(EditToolbarWindow, SW_HIDE);
        Editing().attachEditBar(EditToolbarWindow, -1);
    }
    DragAcceptFiles(note, FALSE);
    if (console)
        Editing().consoleStop(slot, 1);
}

// ---------------------------------------------------------------- layout

static void OnNoteSize(HWND note, int slot, int width, int height)
{
    if (slot < 0)
        return;
    ZettlyRecord *z = &ZettlyTable[slot];
    bool active = Editing().objectActiveInPlace();
    RECT at = EditorPlace(note, slot, width, height);
    int h = at.top;
    if (z->editWindow && !ChildIsAt(z->editWindow, note, 0, h, width, height - h))
        MoveWindow(z->editWindow, 0, h, width, height - h, TRUE);
    // Hidden and already of this size, the title edit has nothing to show.
    if (z->titleEdit && !active &&
        (IsWindowVisible(z->titleEdit) || !ChildIsAt(z->titleEdit, note, 0, 0, width, h)))
        SetWindowPos(z->titleEdit, nullptr, 0, 0, width, h,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (ZettlyInfo.roundBorder) {
        RECT w;
        GetWindowRect(note, &w);
        HRGN region = CreateRoundRectRgn(0, 0, w.right - w.left + 1, w.bottom - w.top + 1, 8, 8);
        if (region && !SetWindowRgn(note, region, TRUE))
            DeleteObject(region);
    } else {
        // Taking away a region the window does not have still reframes it.
        RECT box;
        if (GetWindowRgnBox(note, &box) != ERROR)
            SetWindowRgn(note, nullptr, TRUE);
    }
}

static void OnNoteMinMax(HWND note, int slot, MINMAXINFO *info)
{
    // Sent before the slot is known (during creation): nothing to limit yet.
    if (slot < 0)
        return;
    const ZettlyRecord *z = &ZettlyTable[slot];
    int stripHeight = ZettlyRolledUpHeight(note, slot);
    info->ptMinTrackSize.y = stripHeight;
    if (z->rolledUp && !z->minimised && !z->rollLimitOff)
        info->ptMaxTrackSize.y = stripHeight;
}

// ---------------------------------------------------------------- strip mouse

static void OnStripButtonDown(HWND note, int slot, int x, int y)
{
    StripMouse *mouse = MouseOf(note);
    if (!mouse)
        return;
    int h = StripHeight(note, slot);
    int width = ClientWidth(note);
    mouse->anchor = POINT{x, y};
    mouse->dragged = FALSE;
    switch (ClassifyStripPress(x, y, width, h, ZettlyInfo.closeButton)) {
    case STRIP_PRESS_TITLE:
        GetCursorPos(&mouse->pressPoint);
        SetTimer(note, NOTE_TITLE_TIMER, NOTE_TITLE_HOLD_MS, nullptr);
        SetCapture(note);
        mouse->pressed = TRUE;
        break;
    case STRIP_PRESS_CLOSE:
        DrawCloseButton(note, slot, TRUE);
        mouse->closeSquare = RECT{width - h, 0, width, h};
        mouse->closeHot = TRUE;
        break;
    case STRIP_PRESS_NONE:
        mouse->pressed = FALSE;
        break;
    }
}

static void OnStripMouseMove(HWND note, int slot, WPARAM keys, LPARAM point)
{
    StripMouse *mouse = MouseOf(note);
    if (!mouse)
        return;
    if (keys == MK_LBUTTON && mouse->pressed) {
        MoveZettlyWindow(note, point, mouse->anchor.x, mouse->anchor.y, slot);
        mouse->dragged = TRUE;
        DragIntoGroup(slot, (long)point, mouse->anchor.x, mouse->anchor.y);
        if (slot >= 0 && ZettlyTable[slot].editWindow)
            SendMessageA(ZettlyTable[slot].editWindow, WM_USER, EDIT_REALIGN, 0);
        return;
    }
    if (GetCapture() == note)
        ReleaseCapture();
}

static void DropIntoGroup(HWND note, int slot, LPARAM point, int x, int y)
{
    int group = DragIntoGroup(slot, (long)point, x, y);
    if (group < 0)
        return;
    if (ZettlyInfo.groupWarning &&
        ZtMessageBox(note, GROUP_ADD_QUESTION, GROUP_ADD_CAPTION,
                     MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDNO)
        return;
    if (AttachToGroup(group, slot) != 0)
        return;
    RECT w;
    GetWindowRect(note, &w);
    int left = w.left, top = w.top;
    PlaceInGroup(slot, &left, &top, TRUE);
    MoveWindow(note, left, top, w.right - w.left, w.bottom - w.top, TRUE);
    SetForegroundWindow(ZettlyTable[group].window);
    SetFocus(note);
}

static void OnStripButtonUp(HWND note, int slot, LPARAM point)
{
    StripMouse *mouse = MouseOf(note);
    if (!mouse)
        return;
    int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
    mouse->anchor = POINT{x, y};
    BOOL wasDrag = mouse->pressed && mouse->dragged;
    if (mouse->pressed) {
        mouse->pressed = FALSE;
        if (GetCapture() == note)
            ReleaseCapture();
    }
    if (ZettlyInfo.closeButton && mouse->closeHot) {
        mouse->closeHot = FALSE;
        POINT at = {x, y};
        if (PtInRect(&mouse->closeSquare, at)) {
            SendMessageA(note, WM_COMMAND, CMD_CLOSE_ZETTLY, 0);
            // A "Yes" has destroyed the note: nothing of it is left to touch.
            if (!IsWindow(note) || FindZettlyByWindow(note) != slot)
                return;
        }
        DrawCloseButton(note, slot, FALSE);
    }
    if (wasDrag)
        DropIntoGroup(note, slot, point, x, y);
    if (slot >= 0 && ZettlyTable[slot].editWindow)
        SetFocus(ZettlyTable[slot].editWindow);
}

static void OnStripDoubleClick(HWND note, int slot, WPARAM keys, int y)
{
    if (slot < 0 || y > StripHeight(note, slot))
        return;
    KillTimer(note, NOTE_TITLE_TIMER);
    if (keys & MK_SHIFT) {
        // Keep the present width through the roll.
        RECT w;
        GetWindowRect(note, &w);
        ZettlyRecord *z = &ZettlyTable[slot];
        z->unrolledRect.left = z->restoreRect.left = w.left;
        z->unrolledRect.right = z->restoreRect.right = w.right;
    }
    PostMessageA(note, WM_COMMAND, CMD_ROLL_ZETTLY, 0);
}

static void OnTitleTimer(HWND note)
{
    StripMouse *mouse = MouseOf(note);
    if (!mouse)
        return;
    KillTimer(note, NOTE_TITLE_TIMER);
    POINT now;
    GetCursorPos(&now);
    if (std::abs(now.x - mouse->pressPoint.x) <= NOTE_TITLE_HOLD_SLOP &&
        std::abs(now.y - mouse->pressPoint.y) <= NOTE_TITLE_HOLD_SLOP)
        PostMessageA(note, WM_COMMAND, CMD_SET_TITLE, 0);
}

static void OnCloseHover(HWND note, int slot)
{
    StripMouse *mouse = MouseOf(note);
    if (!mouse)
        return;
    if (slot < 0 || !ZettlyInfo.closeButton)
        return;
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(note, &at);
    bool over = InCloseHoverSquare(at.x, at.y, ClientWidth(note), StripHeight(note, slot));
    if (over && !mouse->closeHot) {
        DrawCloseButton(note, slot, TRUE);
        mouse->closeHot = TRUE;
    } else if (!over && mouse->closeHot) {
        DrawCloseButton(note, slot, FALSE);
        mouse->closeHot = FALSE;
    }
}

// ---------------------------------------------------------------- commands

static LRESULT OnNoteCommand(HWND note, int slot, WPARAM wParam, LPARAM lParam)
{
    HWND edit = slot >= 0 && ZettlyTable[slot].window == note ? ZettlyTable[slot].editWindow : nullptr;
    ZettlyEditState *editState =
        edit ? (ZettlyEditState *)GetWindowLongPtrA(edit, GWLP_USERDATA) : nullptr;
    if (editState && editState->oleDocument)
        Editing().richOleVerbCommand(editState->oleDocument, LOWORD(wParam));
    LRESULT result = 0;
    if (RunNoteCommand(note, slot, wParam, lParam, &result))
        return result;
    return DefWindowProcA(note, WM_COMMAND, wParam, lParam);
}

// ---------------------------------------------------------------- links

static LRESULT OnNoteNotify(HWND note, int slot, WPARAM wParam, LPARAM lParam)
{
    const NMHDR *header = (const NMHDR *)lParam;
    if (slot < 0 || !header || header->code != EN_LINK ||
        header->hwndFrom != ZettlyTable[slot].editWindow)
        return DefWindowProcA(note, WM_NOTIFY, wParam, lParam);
    const ENLINK *link = (const ENLINK *)lParam;
    if (link->msg != WM_LBUTTONDOWN)
        return DefWindowProcA(note, WM_NOTIFY, wParam, lParam);
    HWND edit = header->hwndFrom;
    LONG length = link->chrg.cpMax - link->chrg.cpMin;
    if (length <= 0)
        return 1;
    // Bytes: the control hands back ANSI text, one byte per character.
    char *text = (char *)std::calloc((size_t)length + 1, 1);
    if (!text)
        return 1;
    CHARRANGE old;
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&old);
    CHARRANGE range = link->chrg;
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&range);
    LRESULT got = SendMessageA(edit, EM_GETSELTEXT, 0, (LPARAM)text);
    text[got >= 0 && got <= length ? got : 0] = 0;
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&old);
    if (IsOpenableLink(text))
        ShellExecuteA(note, "open", text, nullptr, nullptr, SW_SHOWNORMAL);
    std::free(text);
    return 1;
}

// ---------------------------------------------------------------- other messages

static void OnNoteSetFocus(int slot)
{
    if (slot >= 0)
        ZettlyTable[slot].blinking = 0;
}

static LRESULT OnNotePaint(HWND note, int slot, WPARAM wParam, LPARAM lParam)
{
    PaintTitleStrip(note, slot, (HDC)wParam);
    return DefWindowProcA(note, WM_PAINT, wParam, lParam);
}

static LRESULT OnNoteCtlColorEdit(int slot, HDC dc)
{
    if (slot < 0)
        return 0;
    ZettlyRecord *z = &ZettlyTable[slot];
    SetTextColor(dc, z->textColour);
    SetBkColor(dc, z->backColour);
    return (LRESULT)z->backBrush;
}

static LRESULT OnNoteNcPaint(HWND note, int slot, WPARAM wParam, LPARAM lParam)
{
    if (ZettlyInfo.customBorder || ZettlyInfo.blackBorder) {
        PaintZettlyFrame(note, WM_NCPAINT, wParam, lParam, slot);
        return 0;
    }
    return DefWindowProcA(note, WM_NCPAINT, wParam, lParam);
}

// Activation repaints the system frame; the painted one goes back over it.
static LRESULT OnNoteNcActivate(HWND note, int slot, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefWindowProcA(note, WM_NCACTIVATE, wParam, lParam);
    if (ZettlyInfo.customBorder || ZettlyInfo.blackBorder)
        PaintZettlyFrame(note, WM_NCPAINT, 1, 0, slot);
    return result;
}

// While an object is active in place it owns the note's area and mouse.
static bool PassedToActiveObject(UINT message)
{
    switch (message) {
    case WM_SETFOCUS:
    case WM_PAINT:
    case WM_GETMINMAXINFO:
    case WM_CONTEXTMENU:
    case WM_SETCURSOR:
    case WM_NCMOUSEMOVE:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        return true;
    }
    return false;
}

LRESULT CALLBACK ZettlyWndProc(HWND note, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE && !MakeWindowBlock(note, sizeof(StripMouse)))
        return FALSE;
    if (message == WM_NCDESTROY) {
        ForgetRoll(note);
        GiveBackNoteMenu(note);
        FreeWindowBlock(note);
    }
    if (message == WM_CREATE)
        return OnNoteCreate(note, (const CREATESTRUCTA *)lParam);
    if (Editing().objectActiveInPlace() && PassedToActiveObject(message))
        return DefWindowProcA(note, message, wParam, lParam);
    int slot = FindZettlyByWindow(note);
    if (message == RollFinishedMessage() && message != 0)
        return FinishRoll(note, (const RollParams *)lParam);
    if (message == Editing().findReplaceMessage() && message != 0)
        return Editing().onFindReplaceMessage(note, slot, lParam);
    switch (message) {
    case WM_DESTROY:
        OnNoteDestroy(note);
        return DefWindowProcA(note, message, wParam, lParam);
    case WM_ENTERSIZEMOVE: // the user sizes the note by its frame
        ReleaseZettlyPlace(note);
        break;
    case WM_SIZE:
        OnNoteSize(note, slot, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_SETFOCUS:
        OnNoteSetFocus(slot);
        return 0;
    case WM_PAINT:
        return OnNotePaint(note, slot, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_ACTIVATEAPP:
        if (slot >= 0 && ZettlyTable[slot].editWindow)
            SendMessageA(ZettlyTable[slot].editWindow, WM_ACTIVATEAPP, wParam, lParam);
        return 0;
    case WM_SETCURSOR:
    case WM_NCMOUSEMOVE:
        OnCloseHover(note, slot);
        break;
    case WM_GETMINMAXINFO:
        OnNoteMinMax(note, slot, (MINMAXINFO *)lParam);
        return 0;
    case WM_MEASUREITEM:
        if (NoteMenuMeasureItem(note, (MEASUREITEMSTRUCT *)lParam))
            return TRUE;
        break;
    case WM_DRAWITEM:
        if (NoteMenuDrawItem(note, (const DRAWITEMSTRUCT *)lParam))
            return TRUE;
        break;
    case WM_NOTIFY:
        return OnNoteNotify(note, slot, wParam, lParam);
    case WM_HELP:
        OpenHelpFile();
        break;
    case WM_CONTEXTMENU:
        return NoteContextMenu(note, slot, wParam, lParam);
    case WM_NCPAINT:
        return OnNoteNcPaint(note, slot, wParam, lParam);
    case WM_NCACTIVATE:
        return OnNoteNcActivate(note, slot, wParam, lParam);
    case WM_COMMAND:
        return OnNoteCommand(note, slot, wParam, lParam);
    case WM_TIMER:
        if (wParam == NOTE_TITLE_TIMER) {
            OnTitleTimer(note);
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
        return OnNoteCtlColorEdit(slot, (HDC)wParam);
    case WM_MOUSEMOVE:
        OnStripMouseMove(note, slot, wParam, lParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnStripButtonDown(note, slot, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnStripButtonUp(note, slot, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnStripDoubleClick(note, slot, wParam, GET_Y_LPARAM(lParam));
        return 0;
    case WM_DROPFILES:
        OnZettlyDropFiles(note, slot, (HDROP)wParam, lParam);
        return 0;
    }
    return DefWindowProcA(note, message, wParam, lParam);
}
