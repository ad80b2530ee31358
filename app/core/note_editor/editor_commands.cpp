#include "editor_commands.h"

#include <richedit.h>

#include "core/core_ids.h"
#include "editor_caret.h"
#include "note_edit.h"
#include "core/note_window/note_geometry.h"
#include "text_walk_edit.h"
#include "core/notes_table/zettly_slots.h"

// The editor's key commands and the ones a note needs at creation; the
// formatting commands of the context menu are still to come.

static CHARRANGE Selection(HWND edit)
{
    CHARRANGE sel = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&sel);
    return sel;
}

static void RunPlan(HWND edit, EditPlan (*plan)(const char *, int, int, int))
{
    CHARRANGE sel = Selection(edit);
    if (sel.cpMin == sel.cpMax)
        return;
    std::string text;
    if (ReadEditText(edit, &text) < 0)
        return;
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SendMessageA(edit, EM_HIDESELECTION, TRUE, 0);
    ApplyEditPlan(edit, plan(text.data(), (int)text.size(), sel.cpMin, sel.cpMax));
    SendMessageA(edit, EM_HIDESELECTION, FALSE, 0);
    SetCursor(old);
}

static void DeleteLine(HWND edit)
{
    std::string text;
    if (ReadEditText(edit, &text) < 0)
        return;
    CHARRANGE sel = Selection(edit);
    ApplyEditPlan(edit, PlanDeleteLine(text.data(), (int)text.size(), sel.cpMin));
}

static void SetSelectionColours(HWND edit, int slot, DWORD mask)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return;
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = mask;
    format.crTextColor = ZettlyTable[slot].textColour;
    format.crBackColor = ZettlyTable[slot].backColour;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
}

static void DefaultColoursEverywhere(HWND edit, int slot)
{
    CHARRANGE old = Selection(edit);
    CHARRANGE all = {0, -1};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&all);
    SetSelectionColours(edit, slot, CFM_COLOR);
    SetSelectionColours(edit, slot, CFM_BACKCOLOR);
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&old);
}

// Whatever the screen's resolution, a point is 20 twips.
static void SetSelectionPoints(HWND edit, int points)
{
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_SIZE;
    format.yHeight = TwipsFromPoints(points);
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    UpdateZettlyCaret(edit, FALSE);
}

// Without a selection the key types its text; with one it moves the
// selected lines.
static void TabKey(HWND edit, const char *typed, int blockCommand)
{
    CHARRANGE sel = Selection(edit);
    if (sel.cpMin == sel.cpMax)
        SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)typed);
    else
        SendMessageA(edit, WM_COMMAND, blockCommand, 0);
    SwallowNextEditChar();
}

void RunEditorCommand(HWND edit, ZettlyEditState *state, WPARAM wParam, LPARAM lParam)
{
    int slot = state ? state->slot : -1;
    if (int points = PointsForSizeCommand(LOWORD(wParam))) {
        SetSelectionPoints(edit, points);
        return;
    }
    switch (LOWORD(wParam)) {
    case CMD_EDIT_TAB:
        TabKey(edit, "    ", CMD_EDIT_INDENT);
        break;
    case CMD_EDIT_SHIFT_TAB:
        TabKey(edit, "\t", CMD_EDIT_UNINDENT);
        break;
    case CMD_EDIT_INDENT:
        RunPlan(edit, PlanIndent);
        break;
    case CMD_EDIT_UNINDENT:
        RunPlan(edit, PlanUnindent);
        break;
    case CMD_EDIT_CTRL_Y:
        SwallowNextEditChar();
        SendMessageA(edit, WM_COMMAND, CMD_EDIT_DELETE_LINE, 0);
        break;
    case CMD_EDIT_DELETE_LINE:
        DeleteLine(edit);
        break;
    case CMD_EDIT_COPY:
        SendMessageA(edit, WM_COPY, 0, 0);
        break;
    case CMD_EDIT_PASTE:
        SendMessageA(edit, WM_PASTE, 0, 0);
        break;
    case CMD_EDIT_CUT:
        SendMessageA(edit, WM_CUT, 0, 0);
        break;
    case CMD_EDIT_SELECT_ALL:
        SendMessageA(edit, EM_SETSEL, 0, -1);
        break;
    case CMD_EDIT_DEFAULT_COLOURS:
        DefaultColoursEverywhere(edit, slot);
        break;
    }
}
