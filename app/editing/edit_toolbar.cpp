#include "edit_toolbar.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstdio>

#include "core/core_ids.h"
#include "core/note_editor/editor_ids.h"
#include "core/note_editor/transparency.h"
#include "core/notes_table/zettly_record.h"
#include "edit_toolbar_ids.h"
#include "memory_bitmap.h"
#include "window_class.h"

// Bar state, kept in the bar window's user data.
struct EditBarState {
    int slot; // -1 when attached to no note
    HWND rebar;
    WNDPROC previous;
    HWND fontBox, sizeBox, formatBar, noteBar, strip;
    int collapsed;
    int building; // the rebar's size notices are not acted on while bands are added
    int hoverShown;
    char tip[EDIT_BAR_TIP_BYTES];
    // The strip's looks, loaded with the bar and freed with it.
    HDC stripDC;
    HBITMAP stripBitmap;
    HGDIOBJ stripOldBitmap;
};

enum BarTarget { TO_EDIT, TO_NOTE, TO_MENU };

struct BarButton {
    int image, id;
    BarTarget target;
    UINT message; // what goes to the target: WM_COMMAND with command, or WM_CUT and so on
    int command;
    BYTE style;
};

static const BarButton FormatButtons[] = {
    {0, IDT_BAR_BOLD, TO_EDIT, WM_COMMAND, CMD_EDIT_BOLD, BTNS_CHECK},
    {1, IDT_BAR_ITALIC, TO_EDIT, WM_COMMAND, CMD_EDIT_ITALIC, BTNS_CHECK},
    {2, IDT_BAR_UNDERLINE, TO_EDIT, WM_COMMAND, CMD_EDIT_UNDERLINE, BTNS_CHECK},
    {3, IDT_BAR_STRIKE, TO_EDIT, WM_COMMAND, CMD_EDIT_STRIKE, BTNS_CHECK},
    {4, IDT_BAR_SUPERSCRIPT, TO_EDIT, WM_COMMAND, CMD_EDIT_SUPERSCRIPT, BTNS_CHECK},
    {5, IDT_BAR_SUBSCRIPT, TO_EDIT, WM_COMMAND, CMD_EDIT_SUBSCRIPT, BTNS_CHECK},
    {6, IDT_BAR_DEFAULT_FONT, TO_EDIT, WM_COMMAND, CMD_EDIT_DEFAULT_STYLE, BTNS_BUTTON},
    {7, IDT_BAR_BULLET, TO_EDIT, WM_COMMAND, CMD_EDIT_BULLET, BTNS_CHECK},
    {8, IDT_BAR_NUMBER, TO_EDIT, WM_COMMAND, CMD_EDIT_NUMBER, BTNS_CHECK},
    {9, IDT_BAR_SHIFT_LEFT, TO_EDIT, WM_COMMAND, CMD_EDIT_SHIFT_LEFT, BTNS_BUTTON},
    {10, IDT_BAR_SHIFT_RIGHT, TO_EDIT, WM_COMMAND, CMD_EDIT_SHIFT_RIGHT, BTNS_BUTTON},
    {11, IDT_BAR_CUT, TO_EDIT, WM_CUT, 0, BTNS_BUTTON},
    {12, IDT_BAR_COPY, TO_EDIT, WM_COPY, 0, BTNS_BUTTON},
    {13, IDT_BAR_PASTE, TO_EDIT, WM_PASTE, 0, BTNS_BUTTON},
};
static_assert(sizeof FormatButtons / sizeof *FormatButtons == EDIT_BAR_FORMAT_IMAGES,
              "one format button per image");

static const BarButton NoteButtons[] = {
    {0, IDT_BAR_FONT_COLOUR, TO_MENU, 0, 0, BTNS_DROPDOWN},
    {1, IDT_BAR_HIGHLIGHT, TO_MENU, 0, 0, BTNS_DROPDOWN},
    {2, IDT_BAR_BLOCK_HIGHLIGHT, TO_MENU, 0, 0, BTNS_DROPDOWN},
    {3, IDT_BAR_SCHEME, TO_MENU, 0, 0, BTNS_DROPDOWN},
    {EDIT_BAR_TOP_MOST_OFF_IMAGE, IDT_BAR_TOP_MOST, TO_NOTE, WM_COMMAND, CMD_ALWAYS_ON_TOP,
     BTNS_CHECK},
    {6, IDT_BAR_PREFERENCES, TO_NOTE, WM_COMMAND, CMD_PREFERENCES, BTNS_BUTTON},
    {7, IDT_BAR_PRINT, TO_NOTE, WM_COMMAND, CMD_PRINT_PREVIEW, BTNS_BUTTON},
    {8, IDT_BAR_SPELL, TO_EDIT, WM_COMMAND, CMD_EDIT_SPELL_CHECK, BTNS_BUTTON},
    {9, IDT_BAR_CALCULATOR, TO_NOTE, WM_COMMAND, CMD_CALC_MODE, BTNS_CHECK},
    {10, IDT_BAR_EXPORT, TO_NOTE, WM_COMMAND, CMD_EXPORT, BTNS_BUTTON},
    {11, IDT_BAR_IMPORT, TO_NOTE, WM_COMMAND, CMD_IMPORT, BTNS_BUTTON},
};

static const int FontSizes[] = {6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
static_assert(CMD_EDIT_FONT_SIZE_FIRST + sizeof FontSizes / sizeof *FontSizes <= CMD_EDIT_BLOCK_WITH,
              "one size command per entry of the size box, below the next command");

static EditBarState *StateOf(HWND bar)
{
    return bar ? (EditBarState *)GetWindowLongPtrA(bar, GWLP_USERDATA) : nullptr;
}

static bool ValidSlot(int slot)
{
    return slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT;
}

static HWND AttachedEdit(const EditBarState *s)
{
    return ValidSlot(s->slot) ? ZettlyTable[s->slot].editWindow : nullptr;
}

static HWND AttachedNote(const EditBarState *s)
{
    return ValidSlot(s->slot) ? ZettlyTable[s->slot].window : nullptr;
}

// Focus back to the note without the click that a focus gain simulates.
static void ReturnFocus(const EditBarState *s)
{
    HWND edit = AttachedEdit(s);
    if (edit)
        PostMessageA(edit, WM_USER, EDIT_TAKE_FOCUS, 0);
}

// ---------------------------------------------------------------- layout

// The window size that gives the bar's client area this size.
static SIZE WindowSizeForClient(HWND bar, int width, int height)
{
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, (DWORD)GetWindowLongPtrA(bar, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongPtrA(bar, GWL_EXSTYLE));
    return SIZE{r.right - r.left, r.bottom - r.top};
}

static int RebarHeight(const EditBarState *s)
{
    return s->rebar ? (int)SendMessageA(s->rebar, RB_GETBARHEIGHT, 0, 0) : 0;
}

// The bar hangs at the attached note's bottom-left corner; unattached it stays put.
static POINT Anchor(HWND bar, const EditBarState *s)
{
    RECT r;
    HWND note = AttachedNote(s);
    if (note && GetWindowRect(note, &r))
        return POINT{r.left, r.bottom};
    GetWindowRect(bar, &r);
    return POINT{r.left, r.top};
}

static void LayOutBar(HWND bar, EditBarState *s)
{
    SIZE size;
    if (s->collapsed) {
        ShowWindow(s->rebar, SW_HIDE);
        size = WindowSizeForClient(bar, EDIT_BAR_COLLAPSED_WIDTH, EDIT_BAR_COLLAPSED_HEIGHT);
    } else {
        int bands = RebarHeight(s);
        SetWindowPos(s->rebar, nullptr, 0, 0, EDIT_BAR_CLIENT_WIDTH, bands,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(s->rebar, SW_SHOW);
        size = WindowSizeForClient(bar, EDIT_BAR_CLIENT_WIDTH, bands + EDIT_BAR_BELOW_REBAR);
    }
    POINT at = Anchor(bar, s);
    SetWindowPos(bar, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

static void PlaceStrip(HWND bar, const EditBarState *s)
{
    RECT client;
    GetClientRect(bar, &client);
    if (client.bottom >= EDIT_BAR_COLLAPSED_HEIGHT)
        MoveWindow(s->strip, 1, client.bottom - (EDIT_BAR_STRIP_HEIGHT + 1), client.right - 2,
                   EDIT_BAR_STRIP_HEIGHT, TRUE);
}

// ---------------------------------------------------------------- building

static int CALLBACK AddFontFace(const LOGFONTA *font, const TEXTMETRICA *, DWORD, LPARAM box)
{
    HWND combo = (HWND)box;
    const char *face = font->lfFaceName;
    if (face[0] && SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)face) == CB_ERR)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)face);
    return 1;
}

static HWND MakeCombo(HWND parent, int id, DWORD style, int width)
{
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | style, 0,
                                 0, width, 300, parent, (HMENU)(INT_PTR)id,
                                 GetModuleHandleA(nullptr), nullptr);
    if (combo)
        SendMessageA(combo, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return combo;
}

static void FillFontBox(HWND combo)
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return;
    EnumFontFamiliesA(screen, nullptr, (FONTENUMPROCA)AddFontFace, (LPARAM)combo);
    ReleaseDC(nullptr, screen);
}

static void FillSizeBox(HWND combo)
{
    SendMessageA(combo, CB_LIMITTEXT, EDIT_BAR_SIZE_TEXT_LIMIT, 0);
    for (int points : FontSizes) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", points);
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)text);
    }
}

static HWND MakeToolbar(HWND bar, HWND rebar, int id, int bitmap, int images,
                        const BarButton *buttons, int count, DWORD extended)
{
    HWND tb = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                              WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT |
                                  CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                              0, 0, 0, 0, rebar, (HMENU)(INT_PTR)id, GetModuleHandleA(nullptr),
                              nullptr);
    if (!tb)
        return nullptr;
    SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(tb, TB_SETPARENT, (WPARAM)bar, 0);
    // A tip shows only while its window is active, and the bar never is:
    // the note keeps the activation while it is written in.
    if (HWND tips = (HWND)SendMessageA(tb, TB_GETTOOLTIPS, 0, 0))
        SetWindowLongA(tips, GWL_STYLE, GetWindowLongA(tips, GWL_STYLE) | TTS_ALWAYSTIP);
    SendMessageA(tb, TB_SETEXTENDEDSTYLE, 0, extended);
    SendMessageA(tb, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    TBADDBITMAP images16 = {GetModuleHandleA(nullptr), (UINT_PTR)bitmap};
    SendMessageA(tb, TB_ADDBITMAP, images, (LPARAM)&images16);
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        b.iBitmap = buttons[i].image;
        b.idCommand = buttons[i].id;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = buttons[i].style;
        SendMessageA(tb, TB_ADDBUTTONS, 1, (LPARAM)&b);
    }
    SendMessageA(tb, TB_AUTOSIZE, 0, 0);
    SIZE size = {};
    SendMessageA(tb, TB_GETMAXSIZE, 0, (LPARAM)&size);
    SetWindowPos(tb, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return tb;
}

static void AddBand(HWND rebar, HWND child)
{
    RECT r;
    if (!child || !GetWindowRect(child, &r))
        return;
    REBARBANDINFOA band = {};
    band.cbSize = REBARBANDINFOA_V6_SIZE;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE;
    band.fStyle = RBBS_CHILDEDGE;
    band.hwndChild = child;
    band.cxMinChild = r.right - r.left;
    band.cyMinChild = r.bottom - r.top;
    SendMessageA(rebar, RB_INSERTBANDA, (WPARAM)-1, (LPARAM)&band);
}

static bool BuildControls(HWND bar, EditBarState *s)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    s->rebar = CreateWindowExA(0, REBARCLASSNAMEA, "",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                   RBS_VARHEIGHT | RBS_AUTOSIZE | CCS_NODIVIDER |
                                   CCS_NOPARENTALIGN | CCS_NORESIZE,
                               0, 0, EDIT_BAR_CLIENT_WIDTH, 0, bar, nullptr, instance, nullptr);
    if (!s->rebar)
        return false;
    REBARINFO info = {sizeof info, 0, nullptr};
    SendMessageA(s->rebar, RB_SETBARINFO, 0, (LPARAM)&info);

    s->fontBox = MakeCombo(s->rebar, IDC_EDIT_BAR_FONT, CBS_DROPDOWNLIST | CBS_SORT,
                           EDIT_BAR_FONT_BOX_WIDTH);
    s->sizeBox = MakeCombo(s->rebar, IDC_EDIT_BAR_SIZE, CBS_DROPDOWN, EDIT_BAR_SIZE_BOX_WIDTH);
    if (s->fontBox)
        FillFontBox(s->fontBox);
    if (s->sizeBox)
        FillSizeBox(s->sizeBox);
    s->formatBar = MakeToolbar(bar, s->rebar, IDC_EDIT_BAR_FORMAT, IDB_EDIT_BAR_FORMAT,
                               EDIT_BAR_FORMAT_IMAGES, FormatButtons,
                               (int)(sizeof FormatButtons / sizeof *FormatButtons), 0);
    s->noteBar = MakeToolbar(bar, s->rebar, IDC_EDIT_BAR_NOTE, IDB_EDIT_BAR_NOTE,
                             EDIT_BAR_NOTE_IMAGES, NoteButtons,
                             (int)(sizeof NoteButtons / sizeof *NoteButtons),
                             TBSTYLE_EX_DRAWDDARROWS);
    AddBand(s->rebar, s->fontBox);
    AddBand(s->rebar, s->sizeBox);
    AddBand(s->rebar, s->formatBar);
    AddBand(s->rebar, s->noteBar);
    return s->fontBox && s->sizeBox && s->formatBar && s->noteBar;
}

static void LoadStripLooks(EditBarState *s)
{
    s->stripBitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_EDIT_BAR_STRIP));
    s->stripDC = SelectIntoMemoryDc(nullptr, s->stripBitmap, &s->stripOldBitmap);
}

static void FreeStripLooks(EditBarState *s)
{
    FreeMemoryBitmap(&s->stripDC, &s->stripBitmap, &s->stripOldBitmap);
}

HWND CreateEditBar(void)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClass(instance, EDIT_BAR_CLASS, DefWindowProcA,
                        {CS_SAVEBITS | CS_GLOBALCLASS, nullptr, (HBRUSH)(COLOR_WINDOW + 1)});

    auto *s = (EditBarState *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(EditBarState));
    if (!s)
        return nullptr;
    s->slot = -1;
    s->collapsed = 1;
    s->building = 1;
    HWND bar = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, EDIT_BAR_CLASS, "",
                               WS_POPUP | WS_BORDER, 0, 0, 50, 0, nullptr, nullptr, instance,
                               nullptr);
    if (!bar) {
        HeapFree(GetProcessHeap(), 0, s);
        return nullptr;
    }
    SetWindowLongPtrA(bar, GWLP_USERDATA, (LONG_PTR)s);
    s->previous = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)EditBarWndProc);
    LoadStripLooks(s);
    SIZE full = WindowSizeForClient(bar, EDIT_BAR_CLIENT_WIDTH, 0);
    SetWindowPos(bar, nullptr, 0, 0, full.cx, full.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    bool built = BuildControls(bar, s);
    s->strip = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | BS_FLAT, 0,
                               0, EDIT_BAR_CLIENT_WIDTH, EDIT_BAR_STRIP_HEIGHT, bar,
                               (HMENU)(INT_PTR)IDC_EDIT_BAR_STRIP, instance, nullptr);
    if (!built || !s->strip) {
        DestroyWindow(bar);
        return nullptr;
    }
    s->building = 0;
    LayOutBar(bar, s);
    PostMessageA(bar, WM_SIZE, 0, 0);
    return bar;
}

// ---------------------------------------------------------------- the note's side

int AttachEditBar(HWND bar, int slot)
{
    EditBarState *s = StateOf(bar);
    if (!s)
        return 0;
    s->slot = slot;
    if (ValidSlot(slot))
        ApplyZettlyAlpha(bar, slot);
    return 1;
}

int EditBarSlot(HWND bar)
{
    EditBarState *s = StateOf(bar);
    return s ? s->slot : -1;
}

bool EditBarExpanded(HWND bar)
{
    EditBarState *s = StateOf(bar);
    return s && !s->collapsed;
}

void PlaceEditBar(HWND bar, int slot)
{
    RECT note;
    if (!bar || !ValidSlot(slot) || !ZettlyTable[slot].window ||
        !GetWindowRect(ZettlyTable[slot].window, &note))
        return;
    SetWindowPos(bar, nullptr, note.left, note.bottom, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!IsWindowVisible(bar))
        ShowWindow(bar, SW_SHOWNOACTIVATE);
}

static void CheckButton(HWND toolbar, int id, bool on)
{
    SendMessageA(toolbar, TB_CHECKBUTTON, id, MAKELPARAM(on ? TRUE : FALSE, 0));
}

void RefreshEditBar(HWND bar, HWND edit)
{
    EditBarState *s = StateOf(bar);
    if (!s || s->collapsed || !edit)
        return;
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    SendMessageA(edit, EM_GETPARAFORMAT, 0, (LPARAM)&pf);

    CheckButton(s->formatBar, IDT_BAR_BULLET, (pf.wNumbering & 1) != 0);
    CheckButton(s->formatBar, IDT_BAR_NUMBER, (pf.wNumbering & 2) != 0);
    CheckButton(s->formatBar, IDT_BAR_ITALIC, (cf.dwEffects & CFE_ITALIC) != 0);
    CheckButton(s->formatBar, IDT_BAR_UNDERLINE, (cf.dwEffects & CFE_UNDERLINE) != 0);
    CheckButton(s->formatBar, IDT_BAR_BOLD, (cf.dwEffects & CFE_BOLD) != 0);
    CheckButton(s->formatBar, IDT_BAR_STRIKE, (cf.dwEffects & CFE_STRIKEOUT) != 0);
    CheckButton(s->formatBar, IDT_BAR_SUBSCRIPT, (cf.dwEffects & CFE_SUBSCRIPT) != 0);
    CheckButton(s->formatBar, IDT_BAR_SUPERSCRIPT, (cf.dwEffects & CFE_SUPERSCRIPT) != 0);
    if (ValidSlot(s->slot)) {
        const ZettlyRecord &z = ZettlyTable[s->slot];
        CheckButton(s->noteBar, IDT_BAR_TOP_MOST, z.topMost != 0);
        SendMessageA(s->noteBar, TB_CHANGEBITMAP, IDT_BAR_TOP_MOST,
                     z.topMost ? EDIT_BAR_TOP_MOST_ON_IMAGE : EDIT_BAR_TOP_MOST_OFF_IMAGE);
        CheckButton(s->noteBar, IDT_BAR_CALCULATOR, z.calculatorMode != 0);
    }
    cf.szFaceName[sizeof cf.szFaceName - 1] = 0;
    LRESULT face = SendMessageA(s->fontBox, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)cf.szFaceName);
    SendMessageA(s->fontBox, CB_SETCURSEL, face == CB_ERR ? (WPARAM)-1 : (WPARAM)face, 0);
    char size[16] = "";
    if (cf.dwMask & CFM_SIZE)
        std::snprintf(size, sizeof size, "%d", PointsFromTwips(cf.yHeight));
    SetWindowTextA(s->sizeBox, size);
}

// ---------------------------------------------------------------- commands

static const BarButton *FindButton(int id)
{
    for (const BarButton &b : FormatButtons)
        if (b.id == id)
            return &b;
    for (const BarButton &b : NoteButtons)
        if (b.id == id)
            return &b;
    return nullptr;
}

static void OnBoxChange(EditBarState *s, HWND box)
{
    HWND edit = AttachedEdit(s);
    LRESULT index = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (!edit || index == CB_ERR)
        return;
    if (box == s->fontBox) {
        LRESULT length = SendMessageA(box, CB_GETLBTEXTLEN, index, 0);
        char face[LF_FACESIZE];
        if (length <= 0 || length >= (LRESULT)sizeof face)
            return;
        SendMessageA(box, CB_GETLBTEXT, index, (LPARAM)face);
        SendMessageA(edit, WM_COMMAND, CMD_EDIT_FONT, (LPARAM)face);
    } else if (index < (LRESULT)(sizeof FontSizes / sizeof *FontSizes)) {
        SendMessageA(edit, WM_COMMAND, CMD_EDIT_FONT_SIZE_FIRST + index, 0);
    }
    ReturnFocus(s);
}

static void OnButton(HWND bar, EditBarState *s, const BarButton &b)
{
    HWND edit = AttachedEdit(s), note = AttachedNote(s);
    HWND target = b.target == TO_EDIT ? edit : b.target == TO_NOTE ? note : nullptr;
    if (!target)
        return;
    SendMessageA(target, b.message, b.message == WM_COMMAND ? b.command : 0, 0);
    if (b.id == IDT_BAR_TOP_MOST || b.id == IDT_BAR_CALCULATOR)
        RefreshEditBar(bar, AttachedEdit(s));
    if (b.id != IDT_BAR_PREFERENCES && b.id != IDT_BAR_PRINT)
        ReturnFocus(s);
}

static void OnStrip(HWND bar, EditBarState *s)
{
    s->collapsed = !s->collapsed;
    LayOutBar(bar, s);
    RefreshEditBar(bar, AttachedEdit(s));
    ReturnFocus(s);
}

static LRESULT OnBarCommand(HWND bar, EditBarState *s, WPARAM wParam, LPARAM lParam)
{
    HWND from = (HWND)lParam;
    if (from && (from == s->fontBox || from == s->sizeBox)) {
        if (HIWORD(wParam) == CBN_SELCHANGE)
            OnBoxChange(s, from);
        return 0;
    }
    int id = LOWORD(wParam);
    if (id == IDC_EDIT_BAR_STRIP) {
        OnStrip(bar, s);
        return 0;
    }
    const BarButton *b = FindButton(id);
    if (b && b->target != TO_MENU)
        OnButton(bar, s, *b);
    return 0;
}

// ---------------------------------------------------------------- drop-downs

static void AppendPalette(HMENU menu, int first)
{
    for (int i = 0; i < EDIT_PALETTE_SIZE; ++i)
        AppendMenuA(menu, MF_OWNERDRAW, first + i, (LPCSTR)(INT_PTR)i);
}

static HMENU BuildDropDown(int id)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return nullptr;
    switch (id) {
    case IDT_BAR_FONT_COLOUR:
        AppendMenuA(menu, MF_STRING, CMD_EDIT_DEFAULT_TEXT_COLOUR, "Default");
        AppendMenuA(menu, MF_STRING, CMD_EDIT_OTHER_TEXT_COLOUR, "Other");
        AppendPalette(menu, CMD_EDIT_TEXT_COLOUR_FIRST);
        break;
    case IDT_BAR_HIGHLIGHT:
        AppendMenuA(menu, MF_STRING, CMD_EDIT_DEFAULT_HIGHLIGHT, "Default");
        AppendMenuA(menu, MF_STRING, CMD_EDIT_OTHER_HIGHLIGHT, "Other");
        AppendPalette(menu, CMD_EDIT_HIGHLIGHT_FIRST);
        break;
    case IDT_BAR_BLOCK_HIGHLIGHT:
        AppendMenuA(menu, MF_STRING, CMD_EDIT_UNBLOCK, "Un-Block Highlight Colour");
        AppendMenuA(menu, MF_STRING, CMD_EDIT_DEFAULT_BLOCK, "Default");
        AppendMenuA(menu, MF_STRING, CMD_EDIT_OTHER_BLOCK, "Other");
        AppendPalette(menu, CMD_EDIT_BLOCK_FIRST);
        break;
    case IDT_BAR_SCHEME: {
        AppendMenuA(menu, MF_STRING, CMD_EDIT_SCHEME_DEFAULT, "Default");
        int schemes = ZettlySchemes.count;
        if (schemes < 0 || schemes > ZETTLY_MAX_SCHEMES)
            schemes = 0;
        for (int i = 0; i < schemes; ++i)
            AppendMenuA(menu, MF_OWNERDRAW, CMD_EDIT_SCHEME_DEFAULT + 1 + i, (LPCSTR)(INT_PTR)i);
        break;
    }
    default:
        DestroyMenu(menu);
        return nullptr;
    }
    return menu;
}

// The menu belongs to the note's edit control: it draws the colour items
// and gets the chosen command.
static LRESULT OnDropDown(HWND bar, EditBarState *s, const NMTOOLBARA *drop)
{
    HWND edit = AttachedEdit(s);
    HMENU menu = edit ? BuildDropDown(drop->iItem) : nullptr;
    if (!menu)
        return TBDDRET_DEFAULT;
    POINT at;
    GetCursorPos(&at);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, edit,
                   nullptr);
    DestroyMenu(menu);
    UpdateWindow(bar);
    PostMessageA(edit, WM_USER, EDIT_TAKE_FOCUS, 0);
    return TBDDRET_DEFAULT;
}

static LRESULT OnBarNotify(HWND bar, EditBarState *s, WPARAM wParam, LPARAM lParam)
{
    const NMHDR *header = (const NMHDR *)lParam;
    if (!header)
        return 0;
    switch (header->code) {
    case TBN_DROPDOWN:
        return OnDropDown(bar, s, (const NMTOOLBARA *)lParam);
    case TTN_GETDISPINFOA: {
        auto *tip = (NMTTDISPINFOA *)lParam;
        s->tip[0] = 0;
        LoadStringA(GetModuleHandleA(nullptr), (UINT)tip->hdr.idFrom, s->tip, sizeof s->tip);
        tip->lpszText = s->tip;
        return 0;
    }
    case TTN_GETDISPINFOW: {
        auto *tip = (NMTTDISPINFOW *)lParam;
        static_assert(EDIT_BAR_TIP_BYTES % sizeof(WCHAR) == 0, "the tip buffer holds whole characters");
        auto *text = (WCHAR *)s->tip;
        text[0] = 0;
        LoadStringW(GetModuleHandleA(nullptr), (UINT)tip->hdr.idFrom, text,
                    EDIT_BAR_TIP_BYTES / sizeof(WCHAR));
        tip->lpszText = text;
        return 0;
    }
    case RBN_AUTOSIZE:
        if (!s->building && !s->collapsed)
            LayOutBar(bar, s);
        return 0;
    }
    return CallWindowProcA(s->previous, bar, WM_NOTIFY, wParam, lParam);
}

// ---------------------------------------------------------------- the strip

static int StripBand(const EditBarState *s, bool pressed, bool hover)
{
    if (hover)
        return s->collapsed ? 8 : 32;
    if (s->collapsed)
        return pressed ? 0 : 16;
    return pressed ? 40 : 24;
}

static void DrawStrip(const EditBarState *s, HDC dc, RECT r, int bandY)
{
    HDC looks = s->stripDC;
    if (!looks) {
        FillRect(dc, &r, (HBRUSH)(COLOR_BTNFACE + 1));
        return;
    }
    int width = r.right - r.left, height = EDIT_BAR_STRIP_HEIGHT;
    for (int x = EDIT_BAR_STRIP_CAP; x < width - EDIT_BAR_STRIP_CAP; x += EDIT_BAR_STRIP_TILE) {
        int piece = width - EDIT_BAR_STRIP_CAP - x;
        BitBlt(dc, r.left + x, r.top, piece < EDIT_BAR_STRIP_TILE ? piece : EDIT_BAR_STRIP_TILE,
               height, looks, EDIT_BAR_STRIP_CAP, bandY, SRCCOPY);
    }
    BitBlt(dc, r.left, r.top, EDIT_BAR_STRIP_CAP, height, looks, 0, bandY, SRCCOPY);
    BitBlt(dc, r.right - EDIT_BAR_STRIP_CAP, r.top, EDIT_BAR_STRIP_CAP, height, looks,
           EDIT_BAR_STRIP_RIGHT_CAP_X, bandY, SRCCOPY);
}

static void ShowStripHover(EditBarState *s)
{
    HDC dc = GetDC(s->strip);
    if (!dc)
        return;
    RECT r;
    GetClientRect(s->strip, &r);
    DrawStrip(s, dc, r, StripBand(s, false, true));
    ReleaseDC(s->strip, dc);
    s->hoverShown = 1;
}

// ---------------------------------------------------------------- procedure

static LRESULT OnBarDestroyed(HWND bar, EditBarState *s, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = s->previous;
    SetWindowLongPtrA(bar, GWLP_USERDATA, 0);
    FreeStripLooks(s);
    HeapFree(GetProcessHeap(), 0, s);
    return CallWindowProcA(previous, bar, WM_NCDESTROY, wParam, lParam);
}

LRESULT CALLBACK EditBarWndProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    EditBarState *s = StateOf(bar);
    if (!s)
        return DefWindowProcA(bar, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        return OnBarCommand(bar, s, wParam, lParam);
    case WM_NOTIFY:
        return OnBarNotify(bar, s, wParam, lParam);
    case WM_SIZE:
        PlaceStrip(bar, s);
        return 0;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *item = (const DRAWITEMSTRUCT *)lParam;
        if (wParam != IDC_EDIT_BAR_STRIP || !item)
            break;
        DrawStrip(s, item->hDC, item->rcItem, StripBand(s, (item->itemState & ODS_SELECTED) != 0, false));
        return TRUE;
    }
    case WM_SETCURSOR:
        if ((HWND)wParam == s->strip)
            ShowStripHover(s);
        break;
    case WM_NCHITTEST:
        if (s->hoverShown) {
            s->hoverShown = 0;
            InvalidateRect(s->strip, nullptr, FALSE);
        }
        break;
    case WM_NCDESTROY:
        return OnBarDestroyed(bar, s, wParam, lParam);
    }
    return CallWindowProcA(s->previous, bar, message, wParam, lParam);
}
