#include "preferences_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "note_window.h"
#include "core/notes_table/data_folder.h"
#include "core/notes_table/zettly_slots.h"
#include "dialog_ids.h"
#include "core/note_editor/note_colours.h"
#include "group_window.h"
#include "note_geometry.h"
#include "roll_animation.h"
#include "core/note_editor/transparency.h"
#include "ui_seams.h"

static_assert(IDD_PREFS == IDD_PREFERENCES, "one preferences dialog id");

PreferencesDialogRun PrefsDialog;

enum {
    EXAMPLE_WIDTH = 200,
    EXAMPLE_HEIGHT = 50,
    MAX_LATCH_DISTANCE = 300,
    MAX_SAVE_MINUTES = 720,
    MINUTE_MS = 60000,
};

static const char *const CaretStyles[] = {"DEFAULT",   "1/4 block", "1/2 block",
                                          "3/4 block", "1/1 block", "1/4 line",
                                          "1/2 line",  "3/4 line",  "1/1 line"};

// The working copy lives with the dialog window, not in module statics.
struct PrefsState {
    PreferencesData *data;
    COLORREF text, back, blink;
    LOGFONTA editFont, titleFont;
    ZettlySoundPaths sounds;
    int gradient;
    RECT full;
    HWND example;
    HICON expandIcon, collapseIcon;
};

static PrefsState *StateOf(HWND dialog)
{
    return (PrefsState *)GetWindowLongPtrA(dialog, DWLP_USER);
}

static bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

static void Check(HWND dialog, int id, int on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

static int TrackPosition(HWND dialog, int id)
{
    return (int)SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0);
}

static void SetTrack(HWND dialog, int id, int low, int high, int position)
{
    SendDlgItemMessageA(dialog, id, TBM_SETRANGE, FALSE, MAKELPARAM(low, high));
    SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, position);
}

// ---------------------------------------------------------------- helpers of other windows

void SetWindowFontFromLogFont(HWND window, LOGFONTA *font, HFONT *held)
{
    if (*held)
        DeleteObject(*held);
    *held = CreateFontIndirectA(font);
    if (!*held) {
        ZtMessageBox(window, "Problems Creating Font!", "Font Problem", MB_ICONHAND);
        return;
    }
    SendMessageA(window, WM_SETFONT, (WPARAM)*held, TRUE);
}

static void DrawSampleInto(HDC dc, RECT area, COLORREF colour, LOGFONTA *font, int withText)
{
    SetMapMode(dc, MM_TEXT);
    if (!withText) {
        FillSolidRect(dc, &area, colour);
        return;
    }
    HFONT handle = font ? CreateFontIndirectA(font) : nullptr;
    HGDIOBJ old = handle ? SelectObject(dc, handle) : nullptr;
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, "TEXT", 4, &size);
    RECT r = area;
    if (size.cy < r.bottom - r.top) {
        int middle = (r.top + r.bottom) / 2;
        r.top = middle - size.cy / 2;
        r.bottom = r.top + size.cy;
    }
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, "TEXT", 4, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (old)
        SelectObject(dc, old);
    if (handle)
        DeleteObject(handle);
}

void DrawColourSample(HWND control, COLORREF colour, LOGFONTA *font, int withText)
{
    HDC dc = GetDC(control);
    if (!dc)
        return;
    RECT area;
    GetClientRect(control, &area);
    DrawSampleInto(dc, area, colour, font, withText);
    ReleaseDC(control, dc);
    ValidateRect(control, nullptr);
}

int ChooseWaveFile(HWND owner, char *path, int size)
{
    if (!path || size <= 1)
        return 0;
    char chosen[MAX_PATH];
    lstrcpynA(chosen, path, sizeof chosen);
    char folder[MAX_PATH];
    lstrcpynA(folder, path, sizeof folder);
    char *slash = std::strrchr(folder, '\\');
    if (slash)
        slash[1] = 0;
    else
        folder[0] = 0;
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Wave Sound Files\0*.wav\0All Files\0*.*\0";
    ofn.lpstrFile = chosen;
    ofn.nMaxFile = sizeof chosen;
    ofn.lpstrInitialDir = folder[0] ? folder : nullptr;
    ofn.lpstrTitle = "Select Wave File";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&ofn)) {
        if ((int)std::strlen(chosen) >= size)
            return 0; // would not fit: the old path stays
        lstrcpynA(path, chosen, size);
        return 1;
    }
    DWORD error = CommDlgExtendedError();
    if (error) {
        char text[64];
        std::snprintf(text, sizeof text, "GetOpenFileName returned Error # %lu",
                      (unsigned long)error);
        ZtMessageBox(nullptr, text, "- WARNING - Something Weird Ocurred!", MB_ICONHAND);
    }
    return 0;
}

INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        MessageBeep(MB_ICONQUESTION);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_DROP_OVERWRITE:
        case IDC_DROP_APPEND:
        case IDC_DROP_CREATE_NEW:
        case IDC_DROP_CANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case IDCANCEL: // Escape
            EndDialog(dialog, IDC_DROP_CANCEL);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, IDC_DROP_CANCEL);
        return TRUE;
    }
    return FALSE;
}

int AskDropChoice(HWND owner)
{
    INT_PTR answer = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DROP_CHOICE),
                                     owner, ConfirmDlgProc, 0);
    return answer > 0 ? (int)answer : IDC_DROP_CANCEL;
}

// ---------------------------------------------------------------- painting

static COLORREF StripShade(HDC dc, COLORREF back)
{
    return GetNearestColor(dc, (COLORREF)DarkenColour((uint32_t)back));
}

static void PaintStripSample(HDC dc, RECT r, const PrefsState *s)
{
    COLORREF shade = StripShade(dc, s->back);
    if (!s->gradient || shade == s->back)
        FillSolidRect(dc, &r, shade);
    else
        FillGradientRect(dc, shade, s->blink, &r);
}

// The example hangs centred under the dialog and shows the title-strip
// gradient, so the transparency can be judged against the desktop.
static void PlaceExample(HWND dialog, const PrefsState *s)
{
    if (!s->example)
        return;
    RECT d, e;
    GetWindowRect(dialog, &d);
    GetWindowRect(s->example, &e);
    int width = e.right - e.left;
    SetWindowPos(s->example, nullptr, d.left + (d.right - d.left) / 2 - width / 2, d.bottom, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HDC dc = GetDC(s->example);
    if (!dc)
        return;
    RECT r;
    GetClientRect(s->example, &r);
    FillGradientRect(dc, StripShade(dc, s->back), s->blink, &r);
    ReleaseDC(s->example, dc);
}

// The sample statics are owner-drawn: painted in their own turn, after the
// dialog, so nothing paints over them.
static void PaintSample(HWND dialog, const DRAWITEMSTRUCT *item)
{
    PrefsState *s = StateOf(dialog);
    if (!s)
        return;
    switch (item->CtlID) {
    case IDC_PREFS_TEXT_SAMPLE:
        DrawSampleInto(item->hDC, item->rcItem, s->back, nullptr, 0);
        DrawSampleInto(item->hDC, item->rcItem, s->text, &s->editFont, 1);
        break;
    case IDC_PREFS_BLINK_SAMPLE:
        DrawSampleInto(item->hDC, item->rcItem, s->blink, nullptr, 0);
        break;
    case IDC_PREFS_STRIP_SAMPLE:
        PaintStripSample(item->hDC, item->rcItem, s);
        break;
    }
}

static void Repaint(HWND dialog)
{
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

static void DrawSchemeEntry(const DRAWITEMSTRUCT *item, int gradient)
{
    if (item->itemID == (UINT)-1 || (int)item->itemID >= ZettlySchemes.count)
        return;
    if (!(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return;
    const ZettlyColourScheme &scheme = ZettlySchemes.entries[item->itemID];
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    if (gradient && GetNearestColor(dc, scheme.back) == scheme.back)
        FillGradientRect(dc, scheme.back, scheme.blink, &r);
    else
        FillSolidRect(dc, &r, scheme.back);
    HFONT font = CreateFontA(-10, 0, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 1, 2, 1, 0x20,
                             "MS LineDraw");
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    RECT inner = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    SetTextColor(dc, scheme.text);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, "TEXT", 4, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (old)
        SelectObject(dc, old);
    if (font)
        DeleteObject(font);
    if (item->itemState & ODS_SELECTED)
        DrawFocusRect(dc, &inner);
}

static void DrawExpandButton(HWND dialog, const DRAWITEMSTRUCT *item)
{
    PrefsState *s = StateOf(dialog);
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HICON icon = s ? (PrefsDialog.expanded ? s->collapseIcon : s->expandIcon) : nullptr;
    if (icon)
        DrawIconEx(item->hDC, item->rcItem.left, item->rcItem.top, icon,
                   item->rcItem.right - item->rcItem.left, item->rcItem.bottom - item->rcItem.top,
                   0, nullptr, DI_NORMAL);
}

// ---------------------------------------------------------------- opening

static void ShowSaveLabel(HWND dialog)
{
    BOOL ok = FALSE;
    UINT minutes = GetDlgItemInt(dialog, IDC_PREFS_SAVE_MINUTES, &ok, FALSE);
    SetDlgItemTextA(dialog, IDC_PREFS_SAVE_LABEL, ok && minutes == 0 ? "Not Active!" : "Minutes");
}

static void ShowExample(PrefsState *s, int alpha)
{
    if (!s->example)
        return;
    SetWindowAlpha(s->example, alpha);
    ShowWindow(s->example, SW_SHOWNA);
}

static void HideExample(PrefsState *s)
{
    if (s->example)
        ShowWindow(s->example, SW_HIDE);
}

static void LoadRecordControls(HWND dialog, PrefsState *s)
{
    const ZettlyRecord &z = s->data->record;
    s->text = z.textColour;
    s->back = z.backColour;
    s->blink = z.blinkColour;
    std::memcpy(&s->editFont, &z.editFont, sizeof s->editFont);
    std::memcpy(&s->titleFont, &z.titleFont, sizeof s->titleFont);
    s->editFont.lfFaceName[LF_FACESIZE - 1] = 0;
    s->titleFont.lfFaceName[LF_FACESIZE - 1] = 0;
    Check(dialog, IDC_PREFS_WORD_WRAP, z.wordWrap);
    Check(dialog, IDC_PREFS_TOPMOST, z.topMost);
    Check(dialog, IDC_PREFS_BLINK_ON, z.blinkOn);
    Check(dialog, IDC_PREFS_VERT_SCROLL, z.vertScroll);
    Check(dialog, IDC_PREFS_HORZ_SCROLL, z.horzScroll);
    Check(dialog, IDC_PREFS_THIN_BORDER, z.thinBorder);
    int alpha = z.alphaValue < ZETTLY_MIN_ALPHA ? ZETTLY_MIN_ALPHA : z.alphaValue;
    SetTrack(dialog, IDC_PREFS_OWN_ALPHA, ZETTLY_MIN_ALPHA, 255, alpha);
    Check(dialog, IDC_PREFS_OWN_TRANSPARENT, z.ownAlpha);
}

static void FillSchemeList(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_PREFS_SCHEMES, LB_RESETCONTENT, 0, 0);
    int count = ZettlySchemes.count;
    if (count < 0 || count > ZETTLY_MAX_SCHEMES)
        count = count < 0 ? 0 : ZETTLY_MAX_SCHEMES;
    for (int i = 0; i < count; ++i)
        SendDlgItemMessageA(dialog, IDC_PREFS_SCHEMES, LB_ADDSTRING, 0, (LPARAM) "");
}

static void SetCollapsedSize(HWND dialog, PrefsState *s)
{
    RECT marker;
    GetWindowRect(GetDlgItem(dialog, IDC_PREFS_COLLAPSED_END), &marker);
    SetWindowPos(dialog, nullptr, 0, 0, s->full.right - s->full.left, marker.top - s->full.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

static void UpdateExampleForOwn(HWND dialog, PrefsState *s);

static BOOL OnPrefsInit(HWND dialog, PreferencesData *data)
{
    PrefsState *s = (PrefsState *)std::calloc(1, sizeof *s);
    if (!s || !data) {
        std::free(s);
        EndDialog(dialog, 0);
        return TRUE;
    }
    s->data = data;
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)s);
    const ZettlyInfoSettings &g = data->settings;
    int latch = ClampSetting(2, g.latchDistance);
    SetDlgItemInt(dialog, IDC_PREFS_LATCH_DISTANCE, (UINT)latch, FALSE);
    Check(dialog, IDC_PREFS_LATCHING, g.latching);
    Check(dialog, IDC_PREFS_SOUNDS, g.soundEffects);
    Check(dialog, IDC_PREFS_AUTO_COPY, g.autoCopy);
    Check(dialog, IDC_PREFS_CLOSE_BUTTON, g.closeButton);
    Check(dialog, IDC_PREFS_LINE_COLUMN, g.lineColumnInfo);
    Check(dialog, IDC_PREFS_ANIMATE, g.animateRoll);
    Check(dialog, IDC_PREFS_CUSTOM_BORDER, g.customBorder);
    Check(dialog, IDC_PREFS_GROUP_WARNING, g.groupWarning);
    SetTrack(dialog, IDC_PREFS_ANIMATION_STEP, 1, 20, ClampSetting(6, g.animationStep));
    Check(dialog, IDC_PREFS_GRADIENT, g.titleGradient);
    Check(dialog, IDC_PREFS_BLACK_BORDER, g.blackBorder);
    Check(dialog, IDC_PREFS_ROUND_BORDER, g.roundBorder);
    SetTrack(dialog, IDC_PREFS_ALL_ALPHA, ZETTLY_MIN_ALPHA, 255, ClampSetting(14, g.allAlpha));
    Check(dialog, IDC_PREFS_ALL_TRANSPARENT, g.allTransparent);
    Check(dialog, IDC_PREFS_HOOK, data->hookWanted);
    LoadRecordControls(dialog, s);
    FillSchemeList(dialog);
    s->gradient = g.titleGradient;
    s->sounds = data->sounds;
    for (int i = 0; i < 9; ++i)
        SendDlgItemMessageA(dialog, IDC_PREFS_CARET, CB_ADDSTRING, 0, (LPARAM)CaretStyles[i]);
    SendDlgItemMessageA(dialog, IDC_PREFS_CARET, CB_SETCURSEL, ClampSetting(15, g.caretStyle), 0);

    HWND spin = GetDlgItem(dialog, IDC_PREFS_SAVE_SPIN);
    SendMessageA(spin, UDM_SETBUDDY, (WPARAM)GetDlgItem(dialog, IDC_PREFS_SAVE_MINUTES), 0);
    SendMessageA(spin, UDM_SETRANGE32, 0, MAX_SAVE_MINUTES);
    SendMessageA(spin, UDM_SETPOS32, 0, ClampSetting(17, g.autoSavePeriod) / MINUTE_MS);
    SetDlgItemInt(dialog, IDC_PREFS_SAVE_MINUTES,
                  (UINT)(ClampSetting(17, g.autoSavePeriod) / MINUTE_MS), FALSE);
    ShowSaveLabel(dialog);

    GetWindowRect(dialog, &s->full);
    Check(dialog, IDC_PREFS_EXPAND, PrefsDialog.expanded);
    if (!PrefsDialog.expanded)
        SetCollapsedSize(dialog, s);

    s->example = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, ZETTLY_TOOLTIP_CLASS,
                                 "Transparent Example", WS_DISABLED, -(EXAMPLE_WIDTH + 1), 0,
                                 EXAMPLE_WIDTH, EXAMPLE_HEIGHT, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    UpdateExampleForOwn(dialog, s);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    s->expandIcon = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(IDI_PREFS_EXPAND), IMAGE_ICON,
                                      32, 32, 0);
    s->collapseIcon = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(IDI_PREFS_COLLAPSE),
                                        IMAGE_ICON, 32, 32, 0);
    return TRUE;
}

// Own transparency rules the example; else the global one does, but only
// while the global options are in view.
static void UpdateExampleForOwn(HWND dialog, PrefsState *s)
{
    bool own = Checked(dialog, IDC_PREFS_OWN_TRANSPARENT);
    EnableWindow(GetDlgItem(dialog, IDC_PREFS_ALL_TRANSPARENT), !own);
    EnableWindow(GetDlgItem(dialog, IDC_PREFS_ALL_ALPHA), !own);
    if (own)
        ShowExample(s, TrackPosition(dialog, IDC_PREFS_OWN_ALPHA));
    else if (!Checked(dialog, IDC_PREFS_ALL_TRANSPARENT))
        HideExample(s);
    else if (PrefsDialog.expanded)
        ShowExample(s, TrackPosition(dialog, IDC_PREFS_ALL_ALPHA));
    else
        HideExample(s);
}

// ---------------------------------------------------------------- commands

static void ChooseColour(HWND dialog, COLORREF *colour)
{
    if (PickColour(dialog, colour, PrefsDialog.customColours))
        Repaint(dialog);
}

static void ChooseFontInto(HWND dialog, LOGFONTA *font)
{
    LOGFONTA working = *font;
    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = dialog;
    cf.lpLogFont = &working;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    if (ChooseFontA(&cf))
        *font = working;
}

static int SelectedScheme(HWND dialog)
{
    LRESULT index = SendDlgItemMessageA(dialog, IDC_PREFS_SCHEMES, LB_GETCURSEL, 0, 0);
    return index == LB_ERR || index >= ZettlySchemes.count ? -1 : (int)index;
}

static void CopyScheme(HWND dialog, PrefsState *s)
{
    int index = SelectedScheme(dialog);
    if (index < 0) {
        ZtMessageBox(dialog, "Select a colour scheme to copy over.", "Colour Scheme Information",
                     MB_ICONINFORMATION);
        return;
    }
    s->text = ZettlySchemes.entries[index].text;
    s->back = ZettlySchemes.entries[index].back;
    s->blink = ZettlySchemes.entries[index].blink;
    Repaint(dialog);
}

static void AddScheme(HWND dialog, const PrefsState *s)
{
    if (ZettlySchemes.count >= ZETTLY_MAX_SCHEMES || ZettlySchemes.count < 0) {
        ZtMessageBox(dialog, "Out of array space to add colour scheme.", "Array Space Error",
                     MB_ICONHAND);
        return;
    }
    ZettlySchemes.entries[ZettlySchemes.count++] = ZettlyColourScheme{s->text, s->back, s->blink};
    SendDlgItemMessageA(dialog, IDC_PREFS_SCHEMES, LB_ADDSTRING, 0, (LPARAM) "");
}

static void DeleteScheme(HWND dialog)
{
    int index = SelectedScheme(dialog);
    if (index < 0) {
        ZtMessageBox(dialog, "Select a colour scheme to delete.", "Colour Scheme Information",
                     MB_ICONINFORMATION);
        return;
    }
    SendDlgItemMessageA(dialog, IDC_PREFS_SCHEMES, LB_DELETESTRING, index, 0);
    std::memmove(&ZettlySchemes.entries[index], &ZettlySchemes.entries[index + 1],
                 sizeof ZettlySchemes.entries[0] * (size_t)(ZettlySchemes.count - index - 1));
    --ZettlySchemes.count;
}

static void ToggleExpanded(HWND dialog, PrefsState *s)
{
    RECT now;
    GetWindowRect(dialog, &now);
    RollParams p = {};
    p.endSlot = -1;
    p.busySlot = -1;
    p.window = dialog;
    p.step = s->data->settings.animationStep;
    if (!PrefsDialog.expanded) {
        p.targetBottom = now.top + (s->full.bottom - s->full.top);
        p.targetRight = now.left + (s->full.right - s->full.left);
        PrefsDialog.expanded = 1;
        if (Checked(dialog, IDC_PREFS_ALL_TRANSPARENT))
            ShowExample(s, TrackPosition(dialog, IDC_PREFS_ALL_ALPHA));
    } else {
        RECT marker;
        GetWindowRect(GetDlgItem(dialog, IDC_PREFS_COLLAPSED_END), &marker);
        p.targetBottom = marker.top;
        p.targetRight = now.right;
        PrefsDialog.expanded = 0;
        if (!Checked(dialog, IDC_PREFS_OWN_TRANSPARENT))
            HideExample(s);
    }
    if (StartRollAnimation(&p) != 0)
        MoveWindow(dialog, now.left, now.top, p.targetRight - now.left, p.targetBottom - now.top,
                   TRUE);
    InvalidateRect(GetDlgItem(dialog, IDC_PREFS_EXPAND), nullptr, TRUE);
}

static void ResetFromRecord(HWND dialog, PrefsState *s)
{
    LoadRecordControls(dialog, s);
    UpdateExampleForOwn(dialog, s);
    Repaint(dialog);
}

static void ShowLineColumnChange(HWND dialog, int before, int after)
{
    if (before == after)
        return;
    ZtMessageBox(dialog,
                 after ? "You will need to quit and restart zettlies\nto ACTIVATE Line / Column "
                         "information in editors."
                       : "You will need to quit and restart zettlies\nto DE-ACTIVATE Line / "
                         "Column information in editors.",
                 "Line / Column Message", MB_ICONINFORMATION);
}

static void CloseExample(PrefsState *s)
{
    if (s->example)
        DestroyWindow(s->example);
    s->example = nullptr;
}

// O.K: everything is gathered into a copy first, so a refusal leaves the
// caller's data untouched.
static void OnPrefsOk(HWND dialog, PrefsState *s)
{
    BOOL isNumber = FALSE;
    UINT latch = GetDlgItemInt(dialog, IDC_PREFS_LATCH_DISTANCE, &isNumber, FALSE);
    if (!isNumber) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    PreferencesData out = *s->data;
    ZettlyInfoSettings &g = out.settings;
    const ZettlyInfoSettings &was = s->data->settings;
    g.latchDistance = latch > MAX_LATCH_DISTANCE ? MAX_LATCH_DISTANCE : (int)latch;
    g.latching = Checked(dialog, IDC_PREFS_LATCHING);
    g.soundEffects = Checked(dialog, IDC_PREFS_SOUNDS);
    g.autoCopy = Checked(dialog, IDC_PREFS_AUTO_COPY);
    g.titleGradient = Checked(dialog, IDC_PREFS_GRADIENT);
    g.closeButton = Checked(dialog, IDC_PREFS_CLOSE_BUTTON);
    g.animateRoll = Checked(dialog, IDC_PREFS_ANIMATE);
    g.animationStep = TrackPosition(dialog, IDC_PREFS_ANIMATION_STEP);
    g.allTransparent = Checked(dialog, IDC_PREFS_ALL_TRANSPARENT);
    if (g.allTransparent)
        g.allAlpha = TrackPosition(dialog, IDC_PREFS_ALL_ALPHA);
    ZettlyRecord &z = out.record;
    z.ownAlpha = Checked(dialog, IDC_PREFS_OWN_TRANSPARENT);
    if (z.ownAlpha)
        z.alphaValue = (uint8_t)TrackPosition(dialog, IDC_PREFS_OWN_ALPHA);
    g.customBorder = Checked(dialog, IDC_PREFS_CUSTOM_BORDER);
    g.blackBorder = Checked(dialog, IDC_PREFS_BLACK_BORDER);
    g.roundBorder = Checked(dialog, IDC_PREFS_ROUND_BORDER);
    out.framesChanged = g.titleGradient != was.titleGradient ||
                        g.closeButton != was.closeButton ||
                        g.customBorder != was.customBorder ||
                        g.blackBorder != was.blackBorder || g.roundBorder != was.roundBorder;
    g.lineColumnInfo = Checked(dialog, IDC_PREFS_LINE_COLUMN);
    ShowLineColumnChange(dialog, was.lineColumnInfo != 0, g.lineColumnInfo);
    LRESULT caret = SendDlgItemMessageA(dialog, IDC_PREFS_CARET, CB_GETCURSEL, 0, 0);
    g.caretStyle = ClampSetting(15, caret == CB_ERR ? 0 : (int)caret);
    z.textColour = s->text;
    z.backColour = s->back;
    z.blinkColour = s->blink;
    std::memcpy(&z.editFont, &s->editFont, sizeof z.editFont);
    std::memcpy(&z.titleFont, &s->titleFont, sizeof z.titleFont);
    out.sounds = s->sounds;
    z.wordWrap = Checked(dialog, IDC_PREFS_WORD_WRAP);
    z.topMost = Checked(dialog, IDC_PREFS_TOPMOST);
    z.blinkOn = Checked(dialog, IDC_PREFS_BLINK_ON);
    z.horzScroll = Checked(dialog, IDC_PREFS_HORZ_SCROLL);
    z.vertScroll = Checked(dialog, IDC_PREFS_VERT_SCROLL);
    z.thinBorder = Checked(dialog, IDC_PREFS_THIN_BORDER);
    BOOL minutesOk = FALSE;
    UINT minutes = GetDlgItemInt(dialog, IDC_PREFS_SAVE_MINUTES, &minutesOk, FALSE);
    if (!minutesOk)
        minutes = (UINT)(was.autoSavePeriod / MINUTE_MS);
    if (minutes > MAX_SAVE_MINUTES)
        minutes = MAX_SAVE_MINUTES;
    g.autoSavePeriod = (int)minutes * MINUTE_MS;
    CloseExample(s);
    g.groupWarning = Checked(dialog, IDC_PREFS_GROUP_WARNING);
    out.hookWanted = Checked(dialog, IDC_PREFS_HOOK);
    *s->data = out;
    EndDialog(dialog, 1);
}

static void PlayWorkingSound(const char *path)
{
    PlayDataFolderSound(path, SND_ASYNC | SND_NODEFAULT);
}

static BOOL OnPrefsCommand(HWND dialog, int id)
{
    PrefsState *s = StateOf(dialog);
    if (!s)
        return FALSE;
    switch (id) {
    case IDC_PREFS_TEXT_COLOUR:
        ChooseColour(dialog, &s->text);
        return TRUE;
    case IDC_PREFS_BACK_COLOUR:
        ChooseColour(dialog, &s->back);
        return TRUE;
    case IDC_PREFS_BLINK_COLOUR:
        ChooseColour(dialog, &s->blink);
        return TRUE;
    case IDC_PREFS_EDIT_FONT:
        ChooseFontInto(dialog, &s->editFont);
        Repaint(dialog);
        return TRUE;
    case IDC_PREFS_TITLE_FONT:
        ChooseFontInto(dialog, &s->titleFont);
        return TRUE;
    case IDC_PREFS_SCHEME_COPY:
        CopyScheme(dialog, s);
        return TRUE;
    case IDC_PREFS_SCHEME_ADD:
        AddScheme(dialog, s);
        return TRUE;
    case IDC_PREFS_SCHEME_DELETE:
        DeleteScheme(dialog);
        return TRUE;
    case IDC_PREFS_GRADIENT:
        s->gradient = !s->gradient;
        Repaint(dialog);
        return TRUE;
    case IDC_PREFS_ALL_TRANSPARENT:
        if (Checked(dialog, IDC_PREFS_ALL_TRANSPARENT))
            ShowExample(s, TrackPosition(dialog, IDC_PREFS_ALL_ALPHA));
        else if (!Checked(dialog, IDC_PREFS_OWN_TRANSPARENT))
            HideExample(s);
        Repaint(dialog);
        return TRUE;
    case IDC_PREFS_OWN_TRANSPARENT:
        if (Checked(dialog, IDC_PREFS_OWN_TRANSPARENT)) {
            UpdateExampleForOwn(dialog, s);
        } else {
            EnableWindow(GetDlgItem(dialog, IDC_PREFS_ALL_TRANSPARENT), TRUE);
            EnableWindow(GetDlgItem(dialog, IDC_PREFS_ALL_ALPHA), TRUE);
            if (!Checked(dialog, IDC_PREFS_ALL_TRANSPARENT))
                HideExample(s);
        }
        Repaint(dialog);
        return TRUE;
    case IDC_PREFS_EXPAND:
        ToggleExpanded(dialog, s);
        return TRUE;
    case IDC_PREFS_ROLLUP_SOUND:
        ChooseWaveFile(dialog, s->sounds.rollup, sizeof s->sounds.rollup);
        return TRUE;
    case IDC_PREFS_UNROLL_SOUND:
        ChooseWaveFile(dialog, s->sounds.unroll, sizeof s->sounds.unroll);
        return TRUE;
    case IDC_PREFS_ALARM_SOUND:
        ChooseWaveFile(dialog, s->sounds.alarm, sizeof s->sounds.alarm);
        return TRUE;
    case IDC_PREFS_PLAY_ROLLUP:
        PlayWorkingSound(s->sounds.rollup);
        return TRUE;
    case IDC_PREFS_PLAY_UNROLL:
        PlayWorkingSound(s->sounds.unroll);
        return TRUE;
    case IDC_PREFS_PLAY_ALARM:
        PlayWorkingSound(s->sounds.alarm);
        return TRUE;
    case IDC_PREFS_SAVE_MINUTES:
        ShowSaveLabel(dialog);
        return TRUE;
    case IDC_PREFS_KEY_HELP:
        ZtMessageBox(dialog,
                     "Alt + Shift + Up Arrow:\t Previous Zettly\r\nAlt + Shift + Down Arrow:\t "
                     "Next Zettly\r\nAlt + Shift + Insert:\t New Zettly\r\nAlt + Shift + "
                     "Delete:\t Delete Zettly\r\nAlt + Shift + Other Key:\t End Quick Pick",
                     "Keyboard Hooks", MB_ICONINFORMATION);
        return TRUE;
    case IDC_PREFS_RESET:
        ResetFromRecord(dialog, s);
        return TRUE;
    case IDC_PREFS_OK:
        OnPrefsOk(dialog, s);
        return TRUE;
    case IDC_PREFS_CANCEL:
    case IDCANCEL:
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    }
    return FALSE;
}

static void OnPrefsTrack(HWND dialog, HWND track)
{
    PrefsState *s = StateOf(dialog);
    if (!s)
        return;
    int id = GetDlgCtrlID(track);
    if ((id == IDC_PREFS_ALL_ALPHA && Checked(dialog, IDC_PREFS_ALL_TRANSPARENT)) ||
        (id == IDC_PREFS_OWN_ALPHA && Checked(dialog, IDC_PREFS_OWN_TRANSPARENT))) {
        if (s->example)
            SetWindowAlpha(s->example, TrackPosition(dialog, id));
        Repaint(dialog);
    }
}

static void OnPrefsDestroy(HWND dialog)
{
    PrefsState *s = StateOf(dialog);
    if (!s)
        return;
    CloseExample(s);
    if (s->expandIcon)
        DestroyIcon(s->expandIcon);
    if (s->collapseIcon)
        DestroyIcon(s->collapseIcon);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    std::free(s);
}

INT_PTR CALLBACK PrefsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnPrefsInit(dialog, (PreferencesData *)lParam);
    case WM_PAINT: {
        DefWindowProcA(dialog, message, wParam, lParam);
        PrefsState *s = StateOf(dialog);
        if (s)
            PlaceExample(dialog, s);
        return TRUE;
    }
    case WM_MOVE:
    case WM_SIZE:
        InvalidateRect(dialog, nullptr, FALSE);
        return FALSE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *item = (const DRAWITEMSTRUCT *)lParam;
        PrefsState *s = StateOf(dialog);
        if (wParam == IDC_PREFS_SCHEMES)
            DrawSchemeEntry(item, s ? s->gradient : 0);
        else if (wParam == IDC_PREFS_EXPAND)
            DrawExpandButton(dialog, item);
        else
            PaintSample(dialog, item);
        return TRUE;
    }
    case WM_HSCROLL:
        OnPrefsTrack(dialog, (HWND)lParam);
        return TRUE;
    case WM_NOTIFY:
        if (((const NMHDR *)lParam)->idFrom == IDC_PREFS_SAVE_SPIN)
            ShowSaveLabel(dialog);
        return FALSE;
    case WM_COMMAND:
        return OnPrefsCommand(dialog, LOWORD(wParam));
    case WM_CLOSE: {
        PrefsState *s = StateOf(dialog);
        if (s)
            CloseExample(s);
        EndDialog(dialog, 0);
        return TRUE;
    }
    case WM_DESTROY:
        OnPrefsDestroy(dialog);
        return FALSE;
    }
    return FALSE;
}

INT_PTR PreferencesDialog(HWND owner, PreferencesData *inout)
{
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PREFS), owner,
                           PrefsDlgProc, (LPARAM)inout);
}

// ---------------------------------------------------------------- applying the result

static void RefreshFrames(void)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        HWND window = ZettlyTable[slot].window;
        if (!window)
            continue;
        if (!ZettlyTable[slot].isGroup) {
            if (ZettlyInfo.roundBorder) {
                RECT w;
                GetWindowRect(window, &w);
                HRGN region =
                    CreateRoundRectRgn(0, 0, w.right - w.left + 1, w.bottom - w.top + 1, 8, 8);
                if (region && !SetWindowRgn(window, region, TRUE))
                    DeleteObject(region);
            } else {
                SetWindowRgn(window, nullptr, TRUE);
            }
        }
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(window, WM_NCPAINT, 1, 0);
        InvalidateRect(window, nullptr, TRUE);
    }
}

// The hook belongs to the main window: without one there is none.
static int AskKeyboardHook(LPARAM wanted)
{
    return MainWindow && SendMessageA(MainWindow, WM_USER, MAIN_KEYBOARD_HOOK, wanted) ? 1 : 0;
}

INT_PTR RunPreferencesDialog(HWND owner, int slot)
{
    if (slot < 0 || slot >= ZETTLY_SLOTS || (slot != ZETTLY_DEFAULT_SLOT && !ZettlyTable[slot].window))
        return -1;
    ZettlyRecord *z = &ZettlyTable[slot];
    // Values from the registry or a notes file are brought into range at
    // once, whatever the user then answers.
    ZettlyInfo.latchDistance = ClampSetting(2, ZettlyInfo.latchDistance);
    ZettlyInfo.allAlpha = ClampSetting(14, ZettlyInfo.allAlpha);
    if (z->alphaValue < ZETTLY_MIN_ALPHA)
        z->alphaValue = ZETTLY_MIN_ALPHA;
    if (ZettlySchemes.count < 0 || ZettlySchemes.count > ZETTLY_MAX_SCHEMES)
        ZettlySchemes.count = ZettlySchemes.count < 0 ? 0 : ZETTLY_MAX_SCHEMES;

    PreferencesData *data = (PreferencesData *)std::calloc(1, sizeof *data);
    if (!data)
        return -1;
    data->record = *z;
    data->settings = ZettlyInfo;
    data->sounds = ZettlySounds;
    data->hookWanted = AskKeyboardHook(HOOK_ASK);
    INT_PTR result = PreferencesDialog(owner, data);
    if (result == 1) {
        // Only what the dialog edits goes back: the record's handles and
        // place may have moved on while the dialog was open.
        z->textColour = data->record.textColour;
        z->backColour = data->record.backColour;
        z->blinkColour = data->record.blinkColour;
        z->editFont = data->record.editFont;
        z->titleFont = data->record.titleFont;
        z->wordWrap = data->record.wordWrap;
        z->topMost = data->record.topMost;
        z->blinkOn = data->record.blinkOn;
        z->horzScroll = data->record.horzScroll;
        z->vertScroll = data->record.vertScroll;
        z->thinBorder = data->record.thinBorder;
        z->ownAlpha = data->record.ownAlpha;
        z->alphaValue = data->record.alphaValue;
        ZettlyInfo = data->settings;
        ZettlySounds = data->sounds;
        if (data->framesChanged)
            RefreshFrames();
        if (data->hookWanted != AskKeyboardHook(HOOK_ASK))
            AskKeyboardHook(data->hookWanted ? HOOK_ON : HOOK_OFF);
    }
    std::free(data);
    return result;
}

// ---------------------------------------------------------------- the note's round

static void ApplyAlphaTo(int slot)
{
    const ZettlyRecord &z = ZettlyTable[slot];
    if (!z.window)
        return;
    SetWindowAlpha(z.window, ZettlyInfo.allTransparent ? ZettlyInfo.allAlpha : -1);
    if (z.ownAlpha)
        SetWindowAlpha(z.window, z.alphaValue);
    if (z.editWindow) {
        SendMessageA(z.editWindow, WM_USER, EDIT_ALPHA_COMPANIONS, 0);
        SendMessageA(z.editWindow, WM_USER, EDIT_ALPHA_LINE_COLUMN, 0);
    }
}

// Every window, even when the edited one has its own alpha: the dialog may
// have changed the global transparency that all the others show.
void ApplyPreferencesTransparency(void)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        ApplyAlphaTo(slot);
}
