#include "check_list.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <cstring>
#include <string>

#include "check_list_drop.h"
#include "check_list_ids.h"
#include "check_list_stream.h"
#include "check_list_view.h"
#include "core/notes_table/zettly_slots.h"
#include "memory_bitmap.h"
#include "ui_seams.h"

#define CHECK_LIST_STATE_PROPERTY "CheckListState"
#define CHECK_LIST_VIEW_PROC_PROPERTY "CheckListViewProc"

struct CheckListState {
    int slot;
    CheckListDropTarget *drop;
    int dragged;       // row being dragged, -1 when none
    bool pressSeen;    // a left-button press was seen since the drag began
    bool hot;          // the strip is drawn hot
};

// The strip's bitmap in its memory DC, shared by every open list: a note may
// hold a list each, and one copy serves them all. It lives while any list does.
static struct {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ oldBitmap;
    int users;
} Strip;

static CheckListState *StateOf(HWND dialog)
{
    return (CheckListState *)GetPropA(dialog, CHECK_LIST_STATE_PROPERTY);
}

static ZettlyRecord *NoteOf(const CheckListState *s)
{
    return s ? &ZettlyTable[s->slot] : nullptr;
}

static HWND View(HWND dialog)
{
    return GetDlgItem(dialog, IDC_CHECK_LIST_VIEW);
}

static void RealignAtNote(const ZettlyRecord *z)
{
    if (z->editWindow)
        SendMessageA(z->editWindow, WM_USER, 0, 0);
}

// ---------------------------------------------------------------- strip

static void HoldStrip(HWND dialog)
{
    if (Strip.users++ > 0)
        return;
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(dialog, GWLP_HINSTANCE);
    Strip.bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_CHECK_LIST_STRIP));
    Strip.dc = SelectIntoMemoryDc(nullptr, Strip.bitmap, &Strip.oldBitmap);
}

static void ReleaseStrip(void)
{
    if (Strip.users > 0 && --Strip.users == 0)
        FreeMemoryBitmap(&Strip.dc, &Strip.bitmap, &Strip.oldBitmap);
}

static void DrawStrip(HDC dc, int width, int height, int column)
{
    if (!Strip.dc || !Strip.bitmap) {
        RECT r = {0, 0, width, height};
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    for (int y = 0; y < height + STRIP_TILE; y += STRIP_TILE)
        BitBlt(dc, 0, y, CHECK_LIST_STRIP_WIDTH, STRIP_TILE, Strip.dc, column, STRIP_TILE_Y, SRCCOPY);
    BitBlt(dc, 0, 0, CHECK_LIST_STRIP_WIDTH, STRIP_TOP_CAP, Strip.dc, column, 0, SRCCOPY);
    BitBlt(dc, 0, height - STRIP_BOTTOM_CAP, CHECK_LIST_STRIP_WIDTH, STRIP_BOTTOM_CAP, Strip.dc,
           column, STRIP_BOTTOM_Y, SRCCOPY);
}

static int StripColumn(bool collapsed, bool pressed, bool hot)
{
    if (collapsed)
        return pressed ? STRIP_COLLAPSED_PRESSED : hot ? STRIP_COLLAPSED_HOT : STRIP_COLLAPSED;
    return pressed ? STRIP_EXPANDED_PRESSED : hot ? STRIP_EXPANDED_HOT : STRIP_EXPANDED;
}

static void DrawStripHot(HWND dialog, CheckListState *s)
{
    HWND strip = GetDlgItem(dialog, IDC_CHECK_LIST_STRIP);
    RECT r;
    HDC dc = GetDC(strip);
    if (!dc)
        return;
    GetClientRect(strip, &r);
    DrawStrip(dc, r.right, r.bottom, StripColumn(NoteOf(s)->checkListDocked, false, true));
    ReleaseDC(strip, dc);
    s->hot = true;
}

// ---------------------------------------------------------------- size and docking

static bool Collapsed(const ZettlyRecord *z)
{
    return z->checkListDocked == CHECK_LIST_COLLAPSED;
}

static void LayOut(HWND dialog, CheckListState *s, int width, int height)
{
    ZettlyRecord *z = NoteOf(s);
    HWND view = View(dialog), strip = GetDlgItem(dialog, IDC_CHECK_LIST_STRIP);
    HWND close = GetDlgItem(dialog, IDC_CHECK_LIST_CLOSE);
    if (Collapsed(z)) {
        MoveWindow(strip, 0, 0, CHECK_LIST_STRIP_WIDTH, height, TRUE);
        ShowWindow(view, SW_HIDE);
        ShowWindow(close, SW_HIDE);
        return;
    }
    MoveWindow(close, width - CHECK_LIST_CLOSE_SIZE - 1, 0, CHECK_LIST_CLOSE_SIZE,
               CHECK_LIST_CLOSE_SIZE, TRUE);
    MoveWindow(strip, width - CHECK_LIST_STRIP_WIDTH, CHECK_LIST_CLOSE_SIZE + 1,
               CHECK_LIST_STRIP_WIDTH, height - CHECK_LIST_CLOSE_SIZE - 1, TRUE);
    int listWidth = width - CHECK_LIST_STRIP_WIDTH - 1;
    MoveWindow(view, 0, 0, listWidth, height, TRUE);
    SendMessageA(view, LVM_SETCOLUMNWIDTH, 0, listWidth);
    if (!z->rolledUp) {
        ShowWindow(view, SW_SHOW);
        ShowWindow(close, SW_SHOW);
    }
    z->checkListWidth = (uint16_t)width;
    z->checkListHeight = (uint16_t)height;
}

static int StoredSide(int side, int fallback)
{
    if (side <= 0)
        return fallback;
    return side < CHECK_LIST_MAX_SIDE ? side : CHECK_LIST_MAX_SIDE;
}

// Sizes the window for the stored state. The stored size is the client
// size, so the frame is added back: collapsing and expanding again gives
// the same list, not one a frame smaller each time.
static void ApplyDocking(HWND dialog, CheckListState *s)
{
    ZettlyRecord *z = NoteOf(s);
    bool collapsed = Collapsed(z);
    LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE);
    style = collapsed ? style & ~(LONG_PTR)WS_THICKFRAME : style | WS_THICKFRAME;
    SetWindowLongPtrA(dialog, GWL_STYLE, style);
    RECT r = {0, 0, CHECK_LIST_STRIP_WIDTH, CHECK_LIST_COLLAPSED_HEIGHT};
    if (!collapsed) {
        r.right = StoredSide(z->checkListWidth, CHECK_LIST_NEW_WIDTH);
        r.bottom = StoredSide(z->checkListHeight, CHECK_LIST_NEW_HEIGHT);
    }
    AdjustWindowRectEx(&r, (DWORD)style, FALSE, (DWORD)GetWindowLongPtrA(dialog, GWL_EXSTYLE));
    SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT client;
    GetClientRect(dialog, &client);
    LayOut(dialog, s, client.right, client.bottom);
    RealignAtNote(z);
}

static void ToggleDocking(HWND dialog, CheckListState *s)
{
    ZettlyRecord *z = NoteOf(s);
    z->checkListDocked = Collapsed(z) ? CHECK_LIST_EXPANDED : CHECK_LIST_COLLAPSED;
    ApplyDocking(dialog, s);
}

// ---------------------------------------------------------------- items

static void DeleteActiveItem(HWND dialog)
{
    HWND view = View(dialog);
    int index = CheckListActiveItem(view);
    if (index < 0)
        return;
    SendMessageA(view, LVM_DELETEITEM, index, 0);
    int count = (int)SendMessageA(view, LVM_GETITEMCOUNT, 0, 0);
    if (count > 0)
        CheckListSelectItem(view, index < count ? index : count - 1);
}

// Moves the active row one place up or down (Ctrl+Up, Ctrl+Down).
static void MoveActiveItem(HWND dialog, int step)
{
    HWND view = View(dialog);
    int index = CheckListActiveItem(view);
    int count = (int)SendMessageA(view, LVM_GETITEMCOUNT, 0, 0);
    int to = index + step;
    if (index < 0 || to < 0 || to >= count)
        return;
    CheckListExchangeItems(view, index, to);
    CheckListSelectItem(view, to);
}

static void PasteItem(HWND dialog)
{
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(dialog))
        return;
    std::string item;
    if (TextOfBlock(GetClipboardData(CF_TEXT), &item))
        CheckListAddItem(View(dialog), item.data(), item.size(), false);
    CloseClipboard();
}

static bool CopyItem(HWND dialog)
{
    HWND view = View(dialog);
    int index = CheckListActiveItem(view);
    if (index < 0)
        return false;
    std::string text = CheckListItemText(view, index);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char *bytes = block ? (char *)GlobalLock(block) : nullptr;
    if (!bytes) {
        if (block)
            GlobalFree(block);
        return false;
    }
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboard(dialog)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool put = SetClipboardData(CF_TEXT, block) != nullptr;
    if (!put)
        GlobalFree(block);
    CloseClipboard();
    return put;
}

static void FindItemInNote(HWND dialog, CheckListState *s, int index)
{
    ZettlyRecord *z = NoteOf(s);
    HWND view = View(dialog);
    if (index < 0 || !z->editWindow)
        return;
    std::string text = CheckListItemText(view, index);
    FINDTEXTEXA find = {};
    find.chrg.cpMin = 0;
    find.chrg.cpMax = -1;
    find.lpstrText = text.c_str();
    // Forwards, so the first place in the note is the one found.
    LRESULT at = text.empty() ? -1 : SendMessageA(z->editWindow, EM_FINDTEXTEX, FR_DOWN, (LPARAM)&find);
    if (at < 0) {
        ZtMessageBox(dialog, CHECK_LIST_NOT_FOUND_TEXT, CHECK_LIST_NOT_FOUND_CAPTION,
                     MB_ICONASTERISK);
        return;
    }
    SendMessageA(z->editWindow, EM_EXSETSEL, 0, (LPARAM)&find.chrgText);
}

// ---------------------------------------------------------------- messages

static int WriteItems(HWND dialog, FILE *file)
{
    if (!file)
        return -1;
    ByteBuffer bytes = CheckListStream(View(dialog));
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() ? 0 : -1;
}

static int ReadItems(HWND dialog, FILE *file)
{
    if (!file)
        return -1;
    ByteBuffer bytes;
    TakeCheckListBytes(file, &bytes);
    return CheckListAddStream(View(dialog), bytes.data(), bytes.size());
}

static void AskToClose(HWND dialog)
{
    if (SendMessageA(View(dialog), LVM_GETITEMCOUNT, 0, 0) > 0 &&
        ZtMessageBox(dialog, CHECK_LIST_CLOSE_QUESTION, CHECK_LIST_CLOSE_CAPTION,
                     MB_YESNO | MB_ICONASTERISK) != IDYES)
        return;
    SendMessageA(dialog, WM_CLOSE, 0, 0);
}

static LRESULT OnUser(HWND dialog, CheckListState *s, WPARAM code, LPARAM lParam)
{
    switch (code) {
    case CHECK_LIST_ADD_TEXT:
        if (lParam) {
            const char *text = (const char *)lParam;
            size_t length = strnlen(text, CHECK_LIST_TEXT_CHARS);
            return CheckListAddItem(View(dialog), text, length, false);
        }
        return -1;
    case CHECK_LIST_WRITE:
        return WriteItems(dialog, (FILE *)lParam);
    case CHECK_LIST_READ:
        return ReadItems(dialog, (FILE *)lParam);
    case CHECK_LIST_APPLY_DOCK:
        ApplyDocking(dialog, s);
        return 0;
    case CHECK_LIST_CLOSE_ASK:
        AskToClose(dialog);
        return 0;
    }
    return 0;
}

static void OnCommand(HWND dialog, CheckListState *s, int id)
{
    HWND view = View(dialog);
    switch (id) {
    case CMD_CHECK_LIST_EDIT: {
        int index = CheckListActiveItem(view);
        if (index >= 0) {
            SetFocus(view);
            SendMessageA(view, LVM_EDITLABELA, index, 0);
        }
        break;
    }
    case CMD_CHECK_LIST_DELETE:
        DeleteActiveItem(dialog);
        break;
    case CMD_CHECK_LIST_PASTE:
        PasteItem(dialog);
        break;
    case CMD_CHECK_LIST_COPY:
        CopyItem(dialog);
        break;
    case CMD_CHECK_LIST_CUT:
        if (CopyItem(dialog))
            DeleteActiveItem(dialog);
        break;
    case IDC_CHECK_LIST_STRIP:
        ToggleDocking(dialog, s);
        break;
    case IDC_CHECK_LIST_CLOSE:
        SendMessageA(dialog, WM_USER, CHECK_LIST_CLOSE_ASK, 0);
        break;
    }
}

static void OnListKey(HWND dialog, const NMLVKEYDOWN *key)
{
    if (key->wVKey == VK_DELETE)
        SendMessageA(dialog, WM_COMMAND, CMD_CHECK_LIST_DELETE, 0);
}

// Ctrl+Up and Ctrl+Down move the row; the list view must not see them, or it
// moves the selection on by itself afterwards.
static LRESULT CALLBACK ListViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = (WNDPROC)GetPropA(view, CHECK_LIST_VIEW_PROC_PROPERTY);
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN) &&
        GetKeyState(VK_CONTROL) < 0) {
        MoveActiveItem(GetParent(view), wParam == VK_UP ? -1 : 1);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(view, GWLP_WNDPROC, (LONG_PTR)previous);
        RemovePropA(view, CHECK_LIST_VIEW_PROC_PROPERTY);
    }
    return CallWindowProcA(previous, view, message, wParam, lParam);
}

static void OnHotTrack(HWND dialog, CheckListState *s, int over)
{
    if (s->dragged < 0 || over < 0 || over == s->dragged)
        return;
    HWND view = View(dialog);
    CheckListExchangeItems(view, s->dragged, over);
    CheckListSelectItem(view, over);
    s->dragged = over;
}

static void OnListFocusLost(HWND dialog)
{
    HWND focus = GetFocus();
    if (focus != dialog && focus != GetDlgItem(dialog, IDC_CHECK_LIST_CLOSE) &&
        focus != GetDlgItem(dialog, IDC_CHECK_LIST_STRIP))
        SendMessageA(dialog, WM_KILLFOCUS, (WPARAM)focus, 0);
}

static LRESULT OnNotify(HWND dialog, CheckListState *s, const NMHDR *header)
{
    if (header->idFrom != IDC_CHECK_LIST_VIEW)
        return 0;
    switch (header->code) {
    case LVN_BEGINDRAG:
        s->dragged = ((const NMLISTVIEW *)header)->iItem;
        s->pressSeen = true;
        // Hot tracking reports rows only with a style this list does not
        // have: the dialog follows the pointer itself until the button is up.
        SetCapture(dialog);
        break;
    case LVN_HOTTRACK:
        OnHotTrack(dialog, s, ((const NMLISTVIEW *)header)->iItem);
        break;
    case LVN_KEYDOWN:
        OnListKey(dialog, (const NMLVKEYDOWN *)header);
        break;
    case LVN_ENDLABELEDITA: {
        const NMLVDISPINFOA *info = (const NMLVDISPINFOA *)header;
        if (!info->item.pszText)
            return FALSE;
        std::string text(info->item.pszText, strnlen(info->item.pszText, CHECK_LIST_TEXT_CHARS));
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = info->item.iItem;
        item.pszText = &text[0];
        SendMessageA(header->hwndFrom, LVM_SETITEMA, 0, (LPARAM)&item);
        return FALSE;
    }
    case NM_KILLFOCUS:
        OnListFocusLost(dialog);
        break;
    case NM_DBLCLK:
        FindItemInNote(dialog, s, ((const NMITEMACTIVATE *)header)->iItem);
        break;
    }
    return 0;
}

// The list goes out of sight with the focus, except to its own note.
static void OnKillFocus(HWND dialog, CheckListState *s, HWND focus)
{
    ZettlyRecord *z = NoteOf(s);
    if (focus && (focus == dialog || IsChild(dialog, focus) || focus == z->window ||
                  focus == z->editWindow))
        return;
    ShowWindow(dialog, SW_HIDE);
}

// The menu is loaded for each showing: the command it picks reaches the list
// as an id, so the menu is not needed once it closes.
static void OnContextMenu(HWND dialog, LPARAM lParam)
{
    HMENU menu = LoadMenuA((HINSTANCE)GetWindowLongPtrA(dialog, GWLP_HINSTANCE),
                           MAKEINTRESOURCEA(IDM_CHECK_LIST));
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    if (popup) {
        POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (lParam == -1)
            GetCursorPos(&at);
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, dialog, nullptr);
    }
    if (menu)
        DestroyMenu(menu);
}

static void OnDrawItem(CheckListState *s, const DRAWITEMSTRUCT *item)
{
    if (item->CtlID != IDC_CHECK_LIST_STRIP)
        return;
    DrawStrip(item->hDC, item->rcItem.right - item->rcItem.left,
              item->rcItem.bottom - item->rcItem.top,
              StripColumn(Collapsed(NoteOf(s)), (item->itemState & ODS_SELECTED) != 0, false));
}

static BOOL OnSetCursor(HWND dialog, CheckListState *s, HWND over, UINT mouse)
{
    if (mouse == WM_LBUTTONDOWN)
        s->pressSeen = true;
    if (mouse == WM_LBUTTONUP && s->pressSeen) {
        s->dragged = -1;
        s->pressSeen = false;
    }
    if (over == GetDlgItem(dialog, IDC_CHECK_LIST_STRIP))
        DrawStripHot(dialog, s);
    return FALSE;
}

static void OnDragMove(HWND dialog, CheckListState *s, LPARAM lParam)
{
    if (s->dragged < 0)
        return;
    HWND view = View(dialog);
    LVHITTESTINFO hit = {};
    hit.pt.x = GET_X_LPARAM(lParam);
    hit.pt.y = GET_Y_LPARAM(lParam);
    MapWindowPoints(dialog, view, &hit.pt, 1);
    OnHotTrack(dialog, s, (int)SendMessageA(view, LVM_HITTEST, 0, (LPARAM)&hit));
}

static void EndDrag(HWND dialog, CheckListState *s)
{
    s->dragged = -1;
    s->pressSeen = false;
    if (GetCapture() == dialog)
        ReleaseCapture();
}

static void OnHitTest(HWND dialog, CheckListState *s)
{
    if (!s->hot)
        return;
    s->hot = false;
    InvalidateRect(GetDlgItem(dialog, IDC_CHECK_LIST_STRIP), nullptr, FALSE);
}

static void OnMinMax(MINMAXINFO *info)
{
    info->ptMinTrackSize.x = CHECK_LIST_STRIP_WIDTH + 2 * GetSystemMetrics(SM_CXFRAME);
    info->ptMinTrackSize.y = CHECK_LIST_COLLAPSED_HEIGHT;
}

// ---------------------------------------------------------------- life

static BOOL OnInitDialog(HWND dialog, int slot)
{
    CheckListState *s = new CheckListState{slot, nullptr, -1, false, false};
    SetWindowLongPtrA(dialog, DWLP_USER, slot);
    SetPropA(dialog, CHECK_LIST_STATE_PROPERTY, s);
    ZettlyRecord *z = NoteOf(s);
    z->checkListWindow = dialog;

    HWND view = View(dialog);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = CHECK_LIST_NEW_WIDTH;
    column.pszText = (char *)CHECK_LIST_COLUMN_TEXT;
    SendMessageA(view, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
    SendMessageA(view, LVM_SETEXTENDEDLISTVIEWSTYLE, CHECK_LIST_EX_STYLES, CHECK_LIST_EX_STYLES);
    SetPropA(view, CHECK_LIST_VIEW_PROC_PROPERTY, (HANDLE)GetWindowLongPtrA(view, GWLP_WNDPROC));
    SetWindowLongPtrA(view, GWLP_WNDPROC, (LONG_PTR)ListViewProc);
    HoldStrip(dialog);

    CheckListDropTarget *drop = new CheckListDropTarget(dialog);
    if (RegisterDragDrop(dialog, drop) == S_OK) {
        s->drop = drop;
        SetPropA(dialog, CHECK_LIST_DROP_PROPERTY, drop);
    } else {
        delete drop;
    }

    ApplyDocking(dialog, s);
    // The keyboard stays with the note: a list made at load or by a command
    // must not take the typing away from the note's text.
    return FALSE;
}

static void OnDestroy(HWND dialog, CheckListState *s)
{
    if (s->drop) {
        RemovePropA(dialog, CHECK_LIST_DROP_PROPERTY);
        RevokeDragDrop(dialog);
        delete s->drop;
    }
    ReleaseStrip();
    RemovePropA(dialog, CHECK_LIST_STATE_PROPERTY);
    delete s;
}

// A modeless dialog is destroyed: ending it would only hide it, and the
// window, its drop registration and its items would live on unseen.
static void OnClose(HWND dialog, CheckListState *s)
{
    ZettlyRecord *z = NoteOf(s);
    if (z->checkListWindow == dialog)
        z->checkListWindow = nullptr;
    DestroyWindow(dialog);
}

static INT_PTR Result(HWND dialog, LRESULT result)
{
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CheckListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog(dialog, (int)lParam);
    CheckListState *s = StateOf(dialog);
    if (!s)
        return FALSE;
    switch (message) {
    case WM_USER:
        return Result(dialog, OnUser(dialog, s, wParam, lParam));
    case WM_COMMAND:
        OnCommand(dialog, s, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        return Result(dialog, OnNotify(dialog, s, (const NMHDR *)lParam));
    case WM_SIZE:
        LayOut(dialog, s, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_GETMINMAXINFO:
        OnMinMax((MINMAXINFO *)lParam);
        return TRUE;
    case WM_DRAWITEM:
        OnDrawItem(s, (const DRAWITEMSTRUCT *)lParam);
        return TRUE;
    case WM_SETCURSOR:
        return OnSetCursor(dialog, s, (HWND)wParam, HIWORD(lParam));
    case WM_NCHITTEST:
        OnHitTest(dialog, s);
        return FALSE;
    case WM_CONTEXTMENU:
        OnContextMenu(dialog, lParam);
        return TRUE;
    case WM_KILLFOCUS:
        OnKillFocus(dialog, s, (HWND)wParam);
        return TRUE;
    case WM_EXITSIZEMOVE:
        RealignAtNote(NoteOf(s));
        return TRUE;
    case WM_MOUSEMOVE:
        OnDragMove(dialog, s, lParam);
        return TRUE;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (s->dragged >= 0)
            EndDrag(dialog, s);
        return TRUE;
    case WM_CLOSE:
        OnClose(dialog, s);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(dialog, s);
        return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------- the core's calls

HWND CreateCheckList(HWND owner, int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || !owner)
        return nullptr;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CHECK_LIST), owner, CheckListDlgProc,
                              (LPARAM)slot);
}

int ReadCheckListItems(HWND list, const uint8_t *bytes, size_t size)
{
    HWND view = list ? View(list) : nullptr;
    if (!view || !StateOf(list))
        return -1;
    return CheckListAddStream(view, bytes, size) == NOTE_TEXT_WHOLE ? 0 : -1;
}
