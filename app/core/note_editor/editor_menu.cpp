#include "editor_menu.h"

#include <richedit.h>

#include "note_colours.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "core/editing_features.h"
#include "editor_commands.h"
#include "editor_ids.h"
#include "note_edit.h"

// One context menu exists at a time for the whole process: only one can be
// tracked, and the OLE container asks for the same one.
static HMENU SyntaxMenu;

static const char SwatchData[] = SYNTAX_MENU_ITEM_DATA;
static const char SyntaxColourText[] = SYNTAX_COLOUR_ITEM_TEXT;

HMENU CurrentSyntaxMenu(void)
{
    return SyntaxMenu;
}

static void AppendSwatches(HMENU popup, UINT first, int count)
{
    for (int i = 0; i < count; ++i)
        AppendMenuA(popup, MF_OWNERDRAW, first + i, SwatchData);
}

// The languages stand between the popup's two separators, then the two
// closing items follow.
static void AddLanguages(HMENU popup, UINT first, UINT last, UINT autoBlock)
{
    int count = Editing().syntaxLanguageCount();
    for (int i = 0; i < count && first + i <= last; ++i) {
        const char *name = Editing().syntaxLanguageName(i);
        InsertMenuA(popup, i + 1, MF_BYPOSITION | MF_STRING, first + i, name ? name : "");
    }
    AppendMenuA(popup, MF_STRING, autoBlock, AUTO_BLOCK_ITEM_TEXT);
    AppendMenuA(popup, MF_OWNERDRAW, CMD_EDIT_SYNTAX_BLOCK_COLOUR, SyntaxColourText);
}

static int SchemeCount(void)
{
    return ZettlySchemes.count < 0                    ? 0
           : ZettlySchemes.count > ZETTLY_MAX_SCHEMES ? ZETTLY_MAX_SCHEMES
                                                    : ZettlySchemes.count;
}

void RemoveSyntaxMenu(void)
{
    if (!SyntaxMenu)
        return;
    // The first item holds the note menu, which its notes own: it is taken
    // out before the rest is destroyed.
    HMENU popup = GetSubMenu(SyntaxMenu, 0);
    if (popup)
        RemoveMenu(popup, EDITOR_MENU_BASE_POSITION, MF_BYPOSITION);
    DestroyMenu(SyntaxMenu);
    SyntaxMenu = nullptr;
}

void BuildSyntaxMenu(void)
{
    RemoveSyntaxMenu();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_EDITOR_MENU));
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    if (!popup) {
        if (menu)
            DestroyMenu(menu);
        return;
    }
    SyntaxMenu = menu;
    // The resource's stand-in for the note menu goes now, so that only the
    // note menu is ever taken out of the first item.
    HMENU standIn = GetSubMenu(popup, EDITOR_MENU_BASE_POSITION);
    if (standIn)
        DestroyMenu(standIn);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    info.hSubMenu = nullptr;
    SetMenuItemInfoA(popup, EDITOR_MENU_BASE_POSITION, TRUE, &info);

    AppendSwatches(GetSubMenu(popup, EDITOR_MENU_FONT_COLOUR), CMD_EDIT_TEXT_COLOUR_FIRST,
                   EDIT_PALETTE_SIZE);
    AppendSwatches(GetSubMenu(popup, EDITOR_MENU_HIGHLIGHT), CMD_EDIT_HIGHLIGHT_FIRST,
                   EDIT_PALETTE_SIZE);
    AppendSwatches(GetSubMenu(popup, EDITOR_MENU_SCHEME), CMD_EDIT_SCHEME_FIRST, SchemeCount());
    AppendSwatches(GetSubMenu(popup, EDITOR_MENU_BLOCK_HIGHLIGHT), CMD_EDIT_BLOCK_FIRST,
                   EDIT_PALETTE_SIZE);
    HMENU pasteUtils = GetSubMenu(popup, EDITOR_MENU_PASTE_UTILS);
    HMENU pasteSyntax = pasteUtils ? GetSubMenu(pasteUtils, PASTE_UTILS_SYNTAX) : nullptr;
    if (pasteSyntax)
        AddLanguages(pasteSyntax, CMD_EDIT_PASTE_SYNTAX_FIRST, CMD_EDIT_PASTE_SYNTAX_LAST,
                     CMD_EDIT_AUTO_BLOCK_PASTE);
    HMENU blockFormat = GetSubMenu(popup, EDITOR_MENU_BLOCK_FORMAT);
    HMENU syntax = blockFormat ? GetSubMenu(blockFormat, BLOCK_FORMAT_SYNTAX) : nullptr;
    if (syntax)
        AddLanguages(syntax, CMD_EDIT_SYNTAX_FIRST, CMD_EDIT_SYNTAX_LAST,
                     CMD_EDIT_AUTO_BLOCK_FORMAT);
}

// ---------------------------------------------------------------- opening

static void Mark(HMENU menu, UINT id, bool on)
{
    CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

static void MarkFromSelection(HWND edit, ZettlyEditState *state, HMENU menu)
{
    CHARFORMAT2A chars = {};
    chars.cbSize = sizeof chars;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&chars);
    PARAFORMAT2 para = {};
    para.cbSize = sizeof para;
    SendMessageA(edit, EM_GETPARAFORMAT, 0, (LPARAM)&para);
    Mark(menu, CMD_EDIT_UNDO, SendMessageA(edit, EM_CANUNDO, 0, 0) != 0);
    Mark(menu, CMD_EDIT_REDO, SendMessageA(edit, EM_CANREDO, 0, 0) != 0);
    Mark(menu, CMD_EDIT_BULLET, (para.wNumbering & 1) != 0);
    Mark(menu, CMD_EDIT_NUMBER, (para.wNumbering & 2) != 0);
    Mark(menu, CMD_EDIT_BOLD, (chars.dwEffects & CFE_BOLD) != 0);
    Mark(menu, CMD_EDIT_ITALIC, (chars.dwEffects & CFE_ITALIC) != 0);
    Mark(menu, CMD_EDIT_UNDERLINE, (chars.dwEffects & CFE_UNDERLINE) != 0);
    Mark(menu, CMD_EDIT_STRIKE, (chars.dwEffects & CFE_STRIKEOUT) != 0);
    Mark(menu, CMD_EDIT_SUBSCRIPT, (chars.dwEffects & CFE_SUBSCRIPT) != 0);
    Mark(menu, CMD_EDIT_SUPERSCRIPT, (chars.dwEffects & CFE_SUPERSCRIPT) != 0);
    Mark(menu, CMD_EDIT_AUTO_BLOCK_PASTE, ZettlyInfo.syntaxBlockFormat != 0);
    Mark(menu, CMD_EDIT_AUTO_BLOCK_FORMAT, ZettlyInfo.syntaxBlockFormat != 0);
    int slot = state ? state->slot : -1;
    bool list = slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT && ZettlyTable[slot].checkListWindow;
    Mark(menu, CMD_EDIT_CHECK_LIST, list);
}

LRESULT ShowEditorContextMenu(HWND edit, ZettlyEditState *state, int screenX, int screenY)
{
    BuildSyntaxMenu();
    HMENU popup = SyntaxMenu ? GetSubMenu(SyntaxMenu, 0) : nullptr;
    if (!popup)
        return 0;
    MarkFromSelection(edit, state, popup);
    HMENU noteMenu =
        state && state->note ? (HMENU)SendMessageA(state->note, WM_CONTEXTMENU, 0, 0) : nullptr;
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    info.hSubMenu = noteMenu;
    SetMenuItemInfoA(popup, EDITOR_MENU_BASE_POSITION, TRUE, &info);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenX, screenY, 0, edit, nullptr);
    return 0;
}

// ---------------------------------------------------------------- owner-drawn items

static int PaletteEntry(UINT id)
{
    static const UINT firsts[] = {CMD_EDIT_TEXT_COLOUR_FIRST, CMD_EDIT_HIGHLIGHT_FIRST,
                                  CMD_EDIT_BLOCK_FIRST};
    for (UINT first : firsts)
        if (id >= first && id < first + EDIT_PALETTE_SIZE)
            return (int)(id - first);
    return -1;
}

static int SchemeOf(UINT id)
{
    int scheme = (int)id - CMD_EDIT_SCHEME_FIRST;
    return scheme >= 0 && scheme < SchemeCount() ? scheme : -1;
}

static HFONT SwatchFont(void)
{
    return CreateFontA(-10, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                       MENU_SWATCH_FONT);
}

BOOL MeasureEditorMenuItem(HWND edit, MEASUREITEMSTRUCT *item)
{
    if (!item || item->CtlType != ODT_MENU)
        return FALSE;
    if (PaletteEntry(item->itemID) < 0 && SchemeOf(item->itemID) < 0 &&
        item->itemID != CMD_EDIT_SYNTAX_BLOCK_COLOUR)
        return FALSE;
    item->itemHeight = PALETTE_ITEM_HEIGHT;
    item->itemWidth = SWATCH_WIDTH;
    if (item->itemID == CMD_EDIT_SYNTAX_BLOCK_COLOUR) {
        HDC dc = GetDC(edit);
        HFONT font = dc ? SwatchFont() : nullptr;
        if (dc && font) {
            HGDIOBJ old = SelectObject(dc, font);
            SIZE size;
            if (GetTextExtentPoint32A(dc, SyntaxColourText, lstrlenA(SyntaxColourText), &size))
                item->itemWidth = (UINT)size.cx + 8;
            SelectObject(dc, old);
        }
        if (font)
            DeleteObject(font);
        if (dc)
            ReleaseDC(edit, dc);
    }
    return TRUE;
}

static void FillWith(HDC dc, const RECT *r, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush) {
        FillRect(dc, r, brush);
        DeleteObject(brush);
    }
}

static void DrawCentredText(HDC dc, RECT r, const char *text, COLORREF colour)
{
    HFONT font = SwatchFont();
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetTextColor(dc, GetNearestColor(dc, colour));
    int mode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetBkMode(dc, mode);
    if (old)
        SelectObject(dc, old);
    if (font)
        DeleteObject(font);
}

static COLORREF Inverse(COLORREF c)
{
    return RGB(255 - GetRValue(c), 255 - GetGValue(c), 255 - GetBValue(c));
}

BOOL DrawEditorMenuItem(HWND edit, ZettlyEditState *state, const DRAWITEMSTRUCT *item)
{
    if (!item || item->CtlType != ODT_MENU)
        return FALSE;
    UINT id = item->itemID;
    int entry = PaletteEntry(id);
    int scheme = SchemeOf(id);
    if (entry < 0 && scheme < 0 && id != CMD_EDIT_SYNTAX_BLOCK_COLOUR)
        return FALSE;
    if (!(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return TRUE;
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    if (entry >= 0) {
        FillWith(dc, &r, EditorPalette[entry]);
    } else if (id == CMD_EDIT_SYNTAX_BLOCK_COLOUR) {
        COLORREF block = (COLORREF)ZettlyInfo.syntaxBlockColour;
        FillWith(dc, &r, block);
        DrawCentredText(dc, r, SyntaxColourText, Inverse(block));
    } else {
        const ZettlyColourScheme &s = ZettlySchemes.entries[scheme];
        if (ZettlyInfo.titleGradient && GetNearestColor(dc, s.back) == s.back)
            FillGradientRect(dc, s.back, s.blink, &r);
        else
            FillWith(dc, &r, GetNearestColor(dc, s.back));
        DrawCentredText(dc, r, "TEXT", s.text);
    }
    if (item->itemState & ODS_SELECTED) {
        RECT inner = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
        DrawFocusRect(dc, &inner);
    }
    return TRUE;
}
