#include "editor_commands.h"

#include <richedit.h>

#include <cstdlib>
#include <cstring>

#include "core/editing_features.h"
#include "editor_rules.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "editor_caret.h"
#include "note_colours.h"
#include "note_edit.h"
#include "text_walk_edit.h"
#include "ui_seams.h"

COLORREF EditorPalette[EDIT_PALETTE_SIZE] = {
    0x000000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x0000FF, 0x000080, 0x00FF00, 0x008000,
    0xFF0000, 0x800000, 0xFF00FF, 0x800080, 0xFFFF00, 0x808000, 0x00FFFF, 0x008080,
};

// What every handler is given.
struct EditCommand {
    HWND edit;
    ZettlyEditState *state;
    ZettlyRecord *note; // null when the control has no note
    UINT id;
    LPARAM lParam;
};

// ---------------------------------------------------------------- selection and formats

static CHARRANGE Selection(HWND edit)
{
    CHARRANGE sel = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&sel);
    return sel;
}

static void Select(HWND edit, CHARRANGE sel)
{
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&sel);
}

static bool IsEmpty(CHARRANGE sel)
{
    return sel.cpMin == sel.cpMax;
}

static CHARFORMAT2A NewCharFormat(DWORD mask)
{
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = mask;
    return format;
}

static CHARFORMAT2A SelectionCharFormat(HWND edit)
{
    CHARFORMAT2A format = NewCharFormat(0);
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    return format;
}

static void SetSelectionFormat(HWND edit, CHARFORMAT2A *format)
{
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)format);
}

static void SetSelectionColour(HWND edit, DWORD mask, COLORREF colour)
{
    CHARFORMAT2A format = NewCharFormat(mask);
    format.crTextColor = colour;
    format.crBackColor = colour;
    SetSelectionFormat(edit, &format);
}

static PARAFORMAT2 NewParaFormat(DWORD mask)
{
    PARAFORMAT2 format = {};
    format.cbSize = sizeof format;
    format.dwMask = mask;
    return format;
}

static PARAFORMAT2 SelectionParaFormat(HWND edit)
{
    PARAFORMAT2 format = NewParaFormat(0);
    SendMessageA(edit, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    return format;
}

static void SetParaFormat(HWND edit, PARAFORMAT2 *format)
{
    SendMessageA(edit, EM_SETPARAFORMAT, 0, (LPARAM)format);
}

static void Send(const EditCommand &c, UINT id, LPARAM lParam = 0)
{
    SendMessageA(c.edit, WM_COMMAND, id, lParam);
}

static void Companions(const EditCommand &c, WPARAM code)
{
    SendMessageA(c.edit, WM_USER, code, 0);
}

static void CaretRefresh(const EditCommand &c)
{
    UpdateZettlyCaret(c.edit, FALSE);
}

// An operation on the whole text when nothing is selected is asked first.
// True to go on (the whole text is then selected).
static bool ConfirmWholeText(const EditCommand &c, const char *question, bool hideSelection)
{
    if (!IsEmpty(Selection(c.edit)))
        return true;
    Companions(c, EDIT_HIDE_COMPANIONS);
    bool yes = ZtMessageBox(c.edit, question, ATTENTION_CAPTION, MB_YESNO | MB_ICONINFORMATION) ==
               IDYES;
    if (yes) {
        if (hideSelection)
            SendMessageA(c.edit, EM_HIDESELECTION, TRUE, 0);
        Select(c.edit, CHARRANGE{0, -1});
    }
    Companions(c, EDIT_SHOW_COMPANIONS);
    return yes;
}

// Runs a text plan over the selection with the wait cursor and the
// selection hidden; an empty selection is left alone.
static void RunPlan(const EditCommand &c, EditPlan (*plan)(const char *, int, int, int))
{
    CHARRANGE sel = Selection(c.edit);
    if (IsEmpty(sel))
        return;
    std::string text;
    if (ReadEditText(c.edit, &text) < 0)
        return;
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SendMessageA(c.edit, EM_HIDESELECTION, TRUE, 0);
    ApplyEditPlan(c.edit, plan(text.data(), (int)text.size(), sel.cpMin, sel.cpMax));
    SendMessageA(c.edit, EM_HIDESELECTION, FALSE, 0);
    SetCursor(old);
    CaretRefresh(c);
}

// Runs a command over the whole text and puts the selection back.
static void OverWholeText(const EditCommand &c, const UINT *ids, int count)
{
    CHARRANGE old = Selection(c.edit);
    Select(c.edit, CHARRANGE{0, -1});
    for (int i = 0; i < count; ++i)
        Send(c, ids[i]);
    Select(c.edit, old);
}

// ---------------------------------------------------------------- clipboard and selection

static void OnCopy(const EditCommand &c) { SendMessageA(c.edit, WM_COPY, 0, 0); }
static void OnPaste(const EditCommand &c) { SendMessageA(c.edit, WM_PASTE, 0, 0); }
static void OnCut(const EditCommand &c) { SendMessageA(c.edit, WM_CUT, 0, 0); }
static void OnDelete(const EditCommand &c) { SendMessageA(c.edit, WM_CLEAR, 0, 0); }
static void OnUndo(const EditCommand &c) { SendMessageA(c.edit, EM_UNDO, 0, 0); }
static void OnRedo(const EditCommand &c) { SendMessageA(c.edit, EM_REDO, 0, 0); }

static void OnSelectAll(const EditCommand &c)
{
    SendMessageA(c.edit, EM_SETSEL, 0, -1);
}

static void OnCopyAll(const EditCommand &c)
{
    CHARRANGE old = Selection(c.edit);
    OnSelectAll(c);
    OnCopy(c);
    Select(c.edit, old);
}

static void OnDeleteAll(const EditCommand &c)
{
    OnSelectAll(c);
    OnDelete(c);
}

static void OnCutAll(const EditCommand &c)
{
    OnSelectAll(c);
    OnCut(c);
}

static void OnPasteAll(const EditCommand &c)
{
    OnSelectAll(c);
    OnPaste(c);
}

// ---------------------------------------------------------------- character formats

static void ToggleEffect(const EditCommand &c, DWORD effect, DWORD mask)
{
    CHARFORMAT2A now = SelectionCharFormat(c.edit);
    CHARFORMAT2A format = NewCharFormat(mask);
    format.dwEffects = (now.dwEffects ^ effect) & mask;
    SetSelectionFormat(c.edit, &format);
}

static void OnBold(const EditCommand &c) { ToggleEffect(c, CFE_BOLD, CFM_BOLD); }
static void OnItalic(const EditCommand &c) { ToggleEffect(c, CFE_ITALIC, CFM_ITALIC); }
static void OnUnderline(const EditCommand &c) { ToggleEffect(c, CFE_UNDERLINE, CFM_UNDERLINE); }
static void OnStrike(const EditCommand &c) { ToggleEffect(c, CFE_STRIKEOUT, CFM_STRIKEOUT); }

// Sub- and superscript exclude each other: both bits go in the mask.
static void OnSubscript(const EditCommand &c)
{
    ToggleEffect(c, CFE_SUBSCRIPT, CFE_SUBSCRIPT | CFE_SUPERSCRIPT);
}

static void OnSuperscript(const EditCommand &c)
{
    ToggleEffect(c, CFE_SUPERSCRIPT, CFE_SUBSCRIPT | CFE_SUPERSCRIPT);
}

static void SetSelectionPoints(const EditCommand &c, int points)
{
    CHARFORMAT2A format = NewCharFormat(CFM_SIZE);
    format.yHeight = TwipsFromPoints(points);
    SetSelectionFormat(c.edit, &format);
    CaretRefresh(c);
}

static void OnDefaultTextColour(const EditCommand &c)
{
    if (c.note)
        SetSelectionColour(c.edit, CFM_COLOR, c.note->textColour);
}

static void OnDefaultHighlight(const EditCommand &c)
{
    if (c.note)
        SetSelectionColour(c.edit, CFM_BACKCOLOR, c.note->backColour);
}

static void OnDefaultColoursAll(const EditCommand &c)
{
    static const UINT ids[] = {CMD_EDIT_DEFAULT_TEXT_COLOUR, CMD_EDIT_DEFAULT_HIGHLIGHT};
    OverWholeText(c, ids, 2);
}

// The note's own face, pitch and colours with every effect cleared; the
// size stays.
static void OnDefaultFont(const EditCommand &c)
{
    if (!c.note)
        return;
    CHARFORMAT2A format = NewCharFormat(
        CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BACKCOLOR | CFM_BOLD | CFM_ITALIC |
        CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_LINK | CFM_SMALLCAPS | CFM_ALLCAPS |
        CFM_HIDDEN | CFM_OUTLINE | CFM_SHADOW | CFM_EMBOSS | CFM_IMPRINT | CFM_DISABLED |
        CFM_REVISED | CFM_SUBSCRIPT | CFM_SUPERSCRIPT);
    const ZettlyLogFont &font = c.note->editFont;
    lstrcpynA(format.szFaceName, font.lfFaceName, LF_FACESIZE);
    format.bCharSet = font.lfCharSet;
    format.bPitchAndFamily = font.lfPitchAndFamily;
    format.crTextColor = c.note->textColour;
    format.crBackColor = c.note->backColour;
    SetSelectionFormat(c.edit, &format);
    PARAFORMAT2 para = NewParaFormat(PFM_LINESPACING);
    para.bLineSpacingRule = 0;
    SetParaFormat(c.edit, &para);
}

static void OnDefaultFontAll(const EditCommand &c)
{
    static const UINT ids[] = {CMD_EDIT_DEFAULT_FONT};
    OverWholeText(c, ids, 1);
}

static void OnDefaultStyle(const EditCommand &c)
{
    CHARRANGE old = Selection(c.edit);
    bool whole = IsEmpty(old);
    if (whole && !ConfirmWholeText(c, WHOLE_TEXT_STYLE_QUESTION, true))
        return;
    Send(c, CMD_EDIT_DEFAULT_FONT);
    Send(c, CMD_EDIT_DEFAULT_TEXT_COLOUR);
    if (whole) {
        Select(c.edit, old);
        SendMessageA(c.edit, EM_HIDESELECTION, FALSE, 0);
    }
}

// ---------------------------------------------------------------- colour and font dialogs

// True with the colour chosen; the palette doubles as the custom colours.
static bool ChooseEditorColour(HWND owner, COLORREF *colour)
{
    static_assert(EDIT_PALETTE_SIZE == 16, "the colour dialog has 16 custom colours");
    return PickColour(owner, colour, EditorPalette);
}

static void OnOtherTextColour(const EditCommand &c)
{
    COLORREF colour = SelectionCharFormat(c.edit).crTextColor;
    if (ChooseEditorColour(c.edit, &colour))
        SetSelectionColour(c.edit, CFM_COLOR, colour);
}

static void OnOtherHighlight(const EditCommand &c)
{
    COLORREF colour = SelectionCharFormat(c.edit).crBackColor;
    if (ChooseEditorColour(c.edit, &colour))
        SetSelectionColour(c.edit, CFM_BACKCOLOR, colour);
}

static void OnOtherBlock(const EditCommand &c)
{
    COLORREF colour = c.note ? c.note->backColour : 0xFFFFFF;
    if (ChooseEditorColour(c.edit, &colour))
        Send(c, CMD_EDIT_BLOCK_WITH, (LPARAM)colour);
}

static void OnSyntaxBlockColour(const EditCommand &c)
{
    COLORREF colour = (COLORREF)ZettlyInfo.syntaxBlockColour;
    if (ChooseEditorColour(c.edit, &colour))
        ZettlyInfo.syntaxBlockColour = (int32_t)colour;
    CaretRefresh(c);
}

static int PointsFromTwips(LONG twips)
{
    return (int)(twips / 20);
}

static void OnFont(const EditCommand &c)
{
    CHARFORMAT2A now = SelectionCharFormat(c.edit);
    if (c.lParam) {
        // The toolbar's font box: the face alone, at the present size.
        CHARFORMAT2A format = NewCharFormat(CFM_FACE);
        lstrcpynA(format.szFaceName, (const char *)c.lParam, LF_FACESIZE);
        SetSelectionFormat(c.edit, &format);
    } else {
        LOGFONTA font = {};
        lstrcpynA(font.lfFaceName, now.szFaceName, LF_FACESIZE);
        HDC dc = GetDC(c.edit);
        int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc)
            ReleaseDC(c.edit, dc);
        font.lfHeight = -MulDiv(PointsFromTwips(now.yHeight), dpi, 72);
        CHOOSEFONTA choice = {};
        choice.lStructSize = sizeof choice;
        choice.hwndOwner = c.edit;
        choice.lpLogFont = &font;
        choice.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
        if (ChooseFontA(&choice)) {
            CHARFORMAT2A format = NewCharFormat(CFM_FACE | CFM_SIZE);
            lstrcpynA(format.szFaceName, font.lfFaceName, LF_FACESIZE);
            // iPointSize is in tenths of a point.
            format.yHeight = choice.iPointSize * 2;
            SetSelectionFormat(c.edit, &format);
        }
    }
    CaretRefresh(c);
    SetFocus(c.edit);
}

// ---------------------------------------------------------------- paragraphs

// Counted paragraphs start at the first number, not at the control's 0
// ("0) ... 1) ..."); a start the text already has is kept.
static void SetNumbering(const EditCommand &c, const PARAFORMAT2 &now, WORD style)
{
    PARAFORMAT2 format = NewParaFormat(PFM_NUMBERING);
    format.wNumbering = style;
    if (style > PFN_BULLET && now.wNumberingStart == 0) {
        format.dwMask |= PFM_NUMBERINGSTART;
        format.wNumberingStart = 1;
    }
    SetParaFormat(c.edit, &format);
}

static void ToggleNumbering(const EditCommand &c, WORD style)
{
    PARAFORMAT2 now = SelectionParaFormat(c.edit);
    SetNumbering(c, now, now.wNumbering == style ? 0 : style);
}

static void OnBullet(const EditCommand &c) { ToggleNumbering(c, PFN_BULLET); }
static void OnNumber(const EditCommand &c) { ToggleNumbering(c, 2); }

// Bullet, numbers, letters, capitals, roman, capital roman, none, and round again.
static void OnNextBulletStyle(const EditCommand &c)
{
    PARAFORMAT2 now = SelectionParaFormat(c.edit);
    SetNumbering(c, now, (WORD)(now.wNumbering >= 6 ? 0 : now.wNumbering + 1));
}

static void Align(const EditCommand &c, WORD alignment)
{
    PARAFORMAT2 format = NewParaFormat(PFM_ALIGNMENT);
    format.wAlignment = alignment;
    SetParaFormat(c.edit, &format);
}

static void OnAlignLeft(const EditCommand &c) { Align(c, PFA_LEFT); }
static void OnAlignCentre(const EditCommand &c) { Align(c, PFA_CENTER); }
static void OnAlignRight(const EditCommand &c) { Align(c, PFA_RIGHT); }

static void ShiftStartIndent(const EditCommand &c, int direction)
{
    HDC dc = GetDC(c.edit);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc)
        ReleaseDC(c.edit, dc);
    PARAFORMAT2 format = NewParaFormat(PFM_OFFSETINDENT);
    format.dxStartIndent = direction * INDENT_STEP_PIXELS * (1440 / (dpi > 0 ? dpi : 96));
    SetParaFormat(c.edit, &format);
}

static void OnShiftLeft(const EditCommand &c) { ShiftStartIndent(c, -1); }
static void OnShiftRight(const EditCommand &c) { ShiftStartIndent(c, 1); }

// ---------------------------------------------------------------- text walks

static void OnIndent(const EditCommand &c)
{
    RunPlan(c, PlanIndent);
}

static void OnUnindent(const EditCommand &c)
{
    RunPlan(c, PlanUnindent);
}

// Without a selection the key types its text; with one it moves the lines.
static void TabKey(const EditCommand &c, const char *typed, UINT blockCommand)
{
    if (IsEmpty(Selection(c.edit)))
        SendMessageA(c.edit, EM_REPLACESEL, TRUE, (LPARAM)typed);
    else
        Send(c, blockCommand);
    SwallowNextEditChar(c.state);
}

static void OnTab(const EditCommand &c) { TabKey(c, "    ", CMD_EDIT_INDENT); }
static void OnShiftTab(const EditCommand &c) { TabKey(c, "\t", CMD_EDIT_UNINDENT); }

static void OnDeleteLine(const EditCommand &c)
{
    std::string text;
    if (ReadEditText(c.edit, &text) < 0)
        return;
    ApplyEditPlan(c.edit, PlanDeleteLine(text.data(), (int)text.size(), Selection(c.edit).cpMin));
}

static void OnCtrlY(const EditCommand &c)
{
    SwallowNextEditChar(c.state);
    Send(c, CMD_EDIT_DELETE_LINE);
}

static void OnTabsToSpaces(const EditCommand &c)
{
    RunPlan(c, PlanTabsToSpaces);
}

static void OnTrimRight(const EditCommand &c)
{
    if (!ConfirmWholeText(c, WHOLE_TEXT_TRIM_QUESTION, false))
        return;
    RunPlan(c, PlanTrimRight);
}

static EditPlan PlanUpper(const char *text, int length, int start, int end)
{
    return PlanChangeCase(text, length, start, end, true);
}

static EditPlan PlanLower(const char *text, int length, int start, int end)
{
    return PlanChangeCase(text, length, start, end, false);
}

static void OnUpperCase(const EditCommand &c)
{
    if (ConfirmWholeText(c, WHOLE_TEXT_CASE_QUESTION, false))
        RunPlan(c, PlanUpper);
}

static void OnLowerCase(const EditCommand &c)
{
    if (ConfirmWholeText(c, WHOLE_TEXT_CASE_QUESTION, false))
        RunPlan(c, PlanLower);
}

// Fixed-width text padded into a rectangle, then coloured as one block.
static void BlockHighlight(const EditCommand &c, COLORREF colour)
{
    Send(c, CMD_EDIT_TABS_TO_SPACES);
    if (IsEmpty(Selection(c.edit)))
        return;
    RunPlan(c, PlanBlockPad);
    SetSelectionColour(c.edit, CFM_BACKCOLOR, colour);
}

static void OnBlockWith(const EditCommand &c)
{
    BlockHighlight(c, (COLORREF)c.lParam);
}

static void OnDefaultBlock(const EditCommand &c)
{
    if (c.note)
        Send(c, CMD_EDIT_BLOCK_WITH, (LPARAM)c.note->backColour);
}

static void OnUnblock(const EditCommand &c)
{
    Send(c, CMD_EDIT_DEFAULT_HIGHLIGHT);
    Send(c, CMD_EDIT_TRIM_RIGHT);
}

// ---------------------------------------------------------------- syntax colouring

static void OnToggleAutoBlock(const EditCommand &c)
{
    ZettlyInfo.syntaxBlockFormat = !ZettlyInfo.syntaxBlockFormat;
}

static COLORREF BaseColour(const EditCommand &c)
{
    return c.note ? c.note->backColour : 0xFFFFFF;
}

static void FinishSyntax(const EditCommand &c)
{
    if (ZettlyInfo.syntaxBlockFormat)
        Send(c, CMD_EDIT_BLOCK_WITH, (LPARAM)ZettlyInfo.syntaxBlockColour);
    CaretRefresh(c);
    SetFocus(c.edit);
}

static void PasteAsSyntax(const EditCommand &c, int language)
{
    LONG start = Selection(c.edit).cpMin;
    SendMessageA(c.edit, WM_PASTE, 0, 0);
    LONG end = Selection(c.edit).cpMax;
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    Editing().syntaxFormatRange(c.edit, language, start, end, BaseColour(c));
    SetCursor(old);
    Select(c.edit, CHARRANGE{start, end});
    if (ZettlyInfo.syntaxBlockFormat) {
        Send(c, CMD_EDIT_BLOCK_WITH, (LPARAM)ZettlyInfo.syntaxBlockColour);
        end = Selection(c.edit).cpMax;
    }
    Select(c.edit, CHARRANGE{end, end});
    CaretRefresh(c);
    SetFocus(c.edit);
}

static void SyntaxFormat(const EditCommand &c, int language)
{
    CHARRANGE old = Selection(c.edit);
    CHARRANGE range = old;
    if (IsEmpty(old)) {
        Companions(c, EDIT_HIDE_COMPANIONS);
        bool yes = ZtMessageBox(c.edit, WHOLE_TEXT_SYNTAX_QUESTION, ATTENTION_CAPTION,
                                MB_YESNO | MB_ICONINFORMATION) == IDYES;
        Companions(c, EDIT_SHOW_COMPANIONS);
        if (!yes)
            return;
        range = CHARRANGE{0, -1};
    }
    HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    Editing().syntaxFormatRange(c.edit, language, range.cpMin, range.cpMax, BaseColour(c));
    SetCursor(cursor);
    Select(c.edit, old);
    FinishSyntax(c);
}

// ---------------------------------------------------------------- schemes

// The note takes the three colours, and all of its text follows.
static void ApplySchemeColours(const EditCommand &c, COLORREF text, COLORREF back, COLORREF blink)
{
    if (!c.note)
        return;
    ZettlyRecord *z = c.note;
    z->textColour = text;
    z->backColour = back;
    z->blinkColour = blink;
    CHARFORMAT2A format = NewCharFormat(CFM_COLOR | CFM_BACKCOLOR);
    format.crTextColor = text;
    format.crBackColor = back;
    SendMessageA(c.edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
    SendMessageA(c.edit, EM_SETBKGNDCOLOR, 0, back);
    // The brush of the title edit and the strip follows the colour.
    HBRUSH brush = CreateSolidBrush(back);
    if (brush) {
        if (z->backBrush)
            DeleteObject(z->backBrush);
        z->backBrush = brush;
    }
    if (z->window)
        RedrawWindow(z->window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The line/column indicator is a window of its own in the note's colours.
    if (c.state && c.state->lineColumn)
        RedrawWindow(c.state->lineColumn, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

static void OnScheme(const EditCommand &c)
{
    if (c.id == CMD_EDIT_SCHEME_DEFAULT) {
        const ZettlyRecord &d = ZettlyTable[ZETTLY_DEFAULT_SLOT];
        ApplySchemeColours(c, d.textColour, d.backColour, d.blinkColour);
        return;
    }
    int scheme = (int)c.id - CMD_EDIT_SCHEME_FIRST;
    int count = ZettlySchemes.count < ZETTLY_MAX_SCHEMES ? ZettlySchemes.count : ZETTLY_MAX_SCHEMES;
    if (scheme < 0 || scheme >= count)
        return;
    const ZettlyColourScheme &s = ZettlySchemes.entries[scheme];
    ApplySchemeColours(c, s.text, s.back, s.blink);
}

// ---------------------------------------------------------------- other concerns

static void OnSpellCheck(const EditCommand &c)
{
    Companions(c, EDIT_HIDE_COMPANIONS);
    CHARRANGE old = Selection(c.edit);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SPELL_CHECK), c.edit, Editing().spellCheckDlgProc,
                    (LPARAM)c.state);
    Select(c.edit, old);
    Companions(c, EDIT_SHOW_COMPANIONS);
}

static void OnInsertObject(const EditCommand &c)
{
    Companions(c, EDIT_HIDE_COMPANIONS);
    Editing().richOleInsertObject(c.state ? c.state->oleDocument : nullptr);
    Companions(c, EDIT_SHOW_COMPANIONS);
}

static void OnPasteSpecial(const EditCommand &c)
{
    if (c.state && c.state->oleDocument)
        Editing().richOlePasteSpecial(c.state->oleDocument);
    else
        SendMessageA(c.edit, EM_PASTESPECIAL, 0, 0);
}

static void OnCheckList(const EditCommand &c)
{
    ZettlyRecord *z = c.note;
    if (!z || !c.state)
        return;
    if (z->checkListWindow && IsWindow(z->checkListWindow)) {
        SendMessageA(z->checkListWindow, WM_USER, CHECK_LIST_REMOVE, 0);
        return;
    }
    z->checkListWidth = CHECK_LIST_NEW_WIDTH;
    z->checkListHeight = CHECK_LIST_NEW_HEIGHT;
    z->checkListDocked = 0;
    z->checkListWindow = Editing().createCheckList(c.edit, c.state->slot);
}

static void OnAddToList(const EditCommand &c)
{
    ZettlyRecord *z = c.note;
    if (!z)
        return;
    if (!z->checkListWindow || !IsWindow(z->checkListWindow))
        Send(c, CMD_EDIT_CHECK_LIST);
    CHARRANGE sel = Selection(c.edit);
    if (!z->checkListWindow || IsEmpty(sel) || sel.cpMax < sel.cpMin)
        return;
    // The control may hand a paragraph end it counts as one position back
    // as CR LF, and EM_GETSELTEXT takes no buffer size: room for every
    // position doubled.
    size_t size = 2 * (size_t)(sel.cpMax - sel.cpMin) + ADD_TO_LIST_SLACK;
    char *text = (char *)std::calloc(size, 1);
    if (!text)
        return;
    LRESULT got = SendMessageA(c.edit, EM_GETSELTEXT, 0, (LPARAM)text);
    text[got >= 0 && (size_t)got < size ? got : 0] = 0;
    SendMessageA(z->checkListWindow, WM_USER, CHECK_LIST_ADD_TEXT, (LPARAM)text);
    std::free(text);
}

// ---------------------------------------------------------------- routing

struct EditCommandRoute {
    UINT id;
    void (*run)(const EditCommand &c);
};

static const EditCommandRoute Routes[] = {
    {CMD_EDIT_AUTO_BLOCK_PASTE, OnToggleAutoBlock},
    {CMD_EDIT_AUTO_BLOCK_FORMAT, OnToggleAutoBlock},
    {CMD_EDIT_SYNTAX_BLOCK_COLOUR, OnSyntaxBlockColour},
    {CMD_EDIT_BLOCK_WITH, OnBlockWith},
    {CMD_EDIT_UNINDENT, OnUnindent},
    {CMD_EDIT_INDENT, OnIndent},
    {CMD_EDIT_TAB, OnTab},
    {CMD_EDIT_SHIFT_TAB, OnShiftTab},
    {CMD_EDIT_COPY, OnCopy},
    {CMD_EDIT_PASTE, OnPaste},
    {CMD_EDIT_SELECT_ALL, OnSelectAll},
    {CMD_EDIT_OTHER_TEXT_COLOUR, OnOtherTextColour},
    {CMD_EDIT_BOLD, OnBold},
    {CMD_EDIT_ITALIC, OnItalic},
    {CMD_EDIT_UNDERLINE, OnUnderline},
    {CMD_EDIT_STRIKE, OnStrike},
    {CMD_EDIT_CUT, OnCut},
    {CMD_EDIT_COPY_ALL, OnCopyAll},
    {CMD_EDIT_DELETE_ALL, OnDeleteAll},
    {CMD_EDIT_CUT_ALL, OnCutAll},
    {CMD_EDIT_DELETE, OnDelete},
    {CMD_EDIT_PASTE_ALL, OnPasteAll},
    {CMD_EDIT_FONT, OnFont},
    {CMD_EDIT_BULLET, OnBullet},
    {CMD_EDIT_ALIGN_LEFT, OnAlignLeft},
    {CMD_EDIT_ALIGN_CENTRE, OnAlignCentre},
    {CMD_EDIT_ALIGN_RIGHT, OnAlignRight},
    {CMD_EDIT_SHIFT_LEFT, OnShiftLeft},
    {CMD_EDIT_SHIFT_RIGHT, OnShiftRight},
    {CMD_EDIT_NUMBER, OnNumber},
    {CMD_EDIT_DEFAULT_HIGHLIGHT, OnDefaultHighlight},
    {CMD_EDIT_OTHER_HIGHLIGHT, OnOtherHighlight},
    {CMD_EDIT_DEFAULT_TEXT_COLOUR, OnDefaultTextColour},
    {CMD_EDIT_UNDO, OnUndo},
    {CMD_EDIT_SUBSCRIPT, OnSubscript},
    {CMD_EDIT_NEXT_BULLET, OnNextBulletStyle},
    {CMD_EDIT_DEFAULT_COLOURS, OnDefaultColoursAll},
    {CMD_EDIT_REDO, OnRedo},
    {CMD_EDIT_SUPERSCRIPT, OnSuperscript},
    {CMD_EDIT_INSERT_OBJECT, OnInsertObject},
    {CMD_EDIT_PASTE_SPECIAL, OnPasteSpecial},
    {CMD_EDIT_DEFAULT_FONT, OnDefaultFont},
    {CMD_EDIT_DEFAULT_FONT_ALL, OnDefaultFontAll},
    {CMD_EDIT_CTRL_Y, OnCtrlY},
    {CMD_EDIT_DELETE_LINE, OnDeleteLine},
    {CMD_EDIT_DEFAULT_STYLE, OnDefaultStyle},
    {CMD_EDIT_SPELL_CHECK, OnSpellCheck},
    {CMD_EDIT_OTHER_BLOCK, OnOtherBlock},
    {CMD_EDIT_DEFAULT_BLOCK, OnDefaultBlock},
    {CMD_EDIT_TRIM_RIGHT, OnTrimRight},
    {CMD_EDIT_UNBLOCK, OnUnblock},
    {CMD_EDIT_LOWER_CASE, OnLowerCase},
    {CMD_EDIT_UPPER_CASE, OnUpperCase},
    {CMD_EDIT_TABS_TO_SPACES, OnTabsToSpaces},
    {CMD_EDIT_CHECK_LIST, OnCheckList},
    {CMD_EDIT_ADD_TO_LIST, OnAddToList},
};

static int PaletteEntry(UINT id, UINT first)
{
    return id >= first && id < first + EDIT_PALETTE_SIZE ? (int)(id - first) : -1;
}

// The range commands, tested before the single ids; true when one ran.
static bool RunRangeCommand(const EditCommand &c)
{
    UINT id = c.id;
    if (int points = PointsForSizeCommand((int)id)) {
        SetSelectionPoints(c, points);
        return true;
    }
    int count = ZettlySchemes.count < ZETTLY_MAX_SCHEMES ? ZettlySchemes.count : ZETTLY_MAX_SCHEMES;
    if (id >= CMD_EDIT_SCHEME_DEFAULT && (int)id <= CMD_EDIT_SCHEME_DEFAULT + count) {
        OnScheme(c);
        return true;
    }
    int entry;
    if ((entry = PaletteEntry(id, CMD_EDIT_TEXT_COLOUR_FIRST)) >= 0) {
        SetSelectionColour(c.edit, CFM_COLOR, EditorPalette[entry]);
        CaretRefresh(c);
        return true;
    }
    if ((entry = PaletteEntry(id, CMD_EDIT_HIGHLIGHT_FIRST)) >= 0) {
        SetSelectionColour(c.edit, CFM_BACKCOLOR, EditorPalette[entry]);
        CaretRefresh(c);
        return true;
    }
    if ((entry = PaletteEntry(id, CMD_EDIT_BLOCK_FIRST)) >= 0) {
        Send(c, CMD_EDIT_BLOCK_WITH, (LPARAM)EditorPalette[entry]);
        return true;
    }
    if (id >= CMD_EDIT_PASTE_SYNTAX_FIRST && id <= CMD_EDIT_PASTE_SYNTAX_LAST) {
        PasteAsSyntax(c, (int)(id - CMD_EDIT_PASTE_SYNTAX_FIRST));
        return true;
    }
    if (id >= CMD_EDIT_SYNTAX_FIRST && id <= CMD_EDIT_SYNTAX_LAST) {
        SyntaxFormat(c, (int)(id - CMD_EDIT_SYNTAX_FIRST));
        return true;
    }
    return false;
}

void RunEditorCommand(HWND edit, ZettlyEditState *state, WPARAM wParam, LPARAM lParam)
{
    int slot = state ? state->slot : -1;
    ZettlyRecord *note =
        slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT ? &ZettlyTable[slot] : nullptr;
    EditCommand c = {edit, state, note, LOWORD(wParam), lParam};
    if (RunRangeCommand(c))
        return;
    for (const EditCommandRoute &route : Routes) {
        if (route.id == c.id) {
            route.run(c);
            return;
        }
    }
}
