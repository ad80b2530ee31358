// The preferences dialog, group windows and the quick-pick list, driven in
// this process.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "core/core_ids.h"
#include "core/editing_features.h"
#include "core/main_window/quick_pick.h"
#include "core/note_editor/tooltip_window.h"
#include "core/note_window/dialog_ids.h"
#include "core/note_window/group_members.h"
#include "core/note_window/note_window.h"
#include "core/note_window/preferences_dialog.h"
#include "core/note_window/roll_animation.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "test_support.h"
#include "core/note_window/window_creation.h"

namespace {

RECT WindowRect(HWND w)
{
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

bool SameRect(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void SetCheck(HWND dialog, int id, bool on)
{
    if ((IsDlgButtonChecked(dialog, id) == BST_CHECKED) != on) {
        CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
        Click(dialog, id);
    }
}

int LayeredAlpha(HWND window)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED) ||
        !GetLayeredWindowAttributes(window, &key, &alpha, &flags))
        return -1;
    return alpha;
}

bool BarDisabled(HWND window, LONG object)
{
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(window, object, &info))
        return false;
    return (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
}

CHARFORMAT2A FormatOf(HWND edit, LONG from, LONG to)
{
    SendMessageA(edit, EM_SETSEL, from, to);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    return format;
}

void SetFormat(HWND edit, LONG from, LONG to, DWORD mask, DWORD effects, COLORREF colour)
{
    SendMessageA(edit, EM_SETSEL, from, to);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = mask;
    format.dwEffects = effects;
    format.crTextColor = colour;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
}

std::string EditText(HWND edit)
{
    char text[256] = {};
    GetWindowTextA(edit, text, sizeof text);
    return text;
}

class NoteDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadLibraryA(RICH_EDIT_LIBRARY);
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        HINSTANCE instance = GetModuleHandleA(nullptr);
        RegisterNoteClass(instance);
        RegisterGroupClass(instance);
        RegisterToolTipClass(instance);
    }
    void SetUp() override
    {
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
        SetDefaultInfoSettings(&ZettlyInfo);
        ResetDefaultSettings();
        ZettlyInfo.soundEffects = 0;
        ZettlyInfo.animateRoll = 0;
        ZettlyInfo.lineColumnInfo = 0;
        ZettlyInfo.groupWarning = 0;
        ZettlySchemes.count = 0;
        PrefsDialog.open = 0;
    }
    void TearDown() override
    {
        PumpUntil([this] { return !Scrolling(list); });
        if (list && IsWindow(list))
            DestroyWindow(list);
        for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
            if (ZettlyTable[slot].window && !ZettlyTable[slot].isMember)
                DestroyWindow(ZettlyTable[slot].window);
        for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
            if (ZettlyTable[slot].window)
                DestroyWindow(ZettlyTable[slot].window);
        PumpPostedMessages();
    }
    int Make(int x, int y, int width, int height, bool group)
    {
        int slot = FindFreeZettlySlot();
        if (slot < 0)
            return -1;
        CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
        ZettlyTable[slot].windowRect = {x, y, x + width, y + height};
        ZettlyTable[slot].isGroup = group;
        if (CreateZettlyWindow(nullptr, slot, TRUE, TRUE) != 0)
            return -1;
        return slot;
    }
    // A group (left, top, width, height) holding one note placed likewise.
    bool MakeGroupWithNote(RECT g, RECT n, int *group, int *note)
    {
        *group = Make(g.left, g.top, g.right, g.bottom, true);
        *note = Make(n.left, n.top, n.right, n.bottom, false);
        return *group >= 0 && *note >= 0 && AttachToGroup(*group, *note) == 0;
    }
    int Strip(int slot) { return GetFontCharHeight(ZettlyTable[slot].window, slot); }
    HWND list = nullptr;
    int selected = -1; // the quick pick's selection, which outlives its list
    static bool Scrolling(HWND quickPick)
    {
        const QuickPickAnimation *a = QuickPickScrollOf(quickPick);
        return a && a->running;
    }
};

} // namespace

// ---------------------------------------------------------------- preferences

TEST_F(NoteDialogs, PreferencesBringStoredValuesIntoRangeEvenWhenCancelled)
{
    int note = Make(100, 100, 200, 120, false);
    ASSERT_GE(note, 0);
    ZettlyTable[note].alphaValue = 5;
    ZettlyInfo.latchDistance = -5;
    ZettlyInfo.allAlpha = 10;
    ZettlyInfo.autoSavePeriod = 0;
    int shownLatch = -1, shownAlpha = -1, shownOwn = -1;
    char saveLabel[32] = {};
    {
        ModalDialogAnswerer answer([&](HWND dialog) {
            GetDlgItemTextA(dialog, IDC_PREFS_SAVE_LABEL, saveLabel, sizeof saveLabel);
            shownLatch = (int)GetDlgItemInt(dialog, IDC_PREFS_LATCH_DISTANCE, nullptr, FALSE);
            shownAlpha = (int)SendDlgItemMessageA(dialog, IDC_PREFS_ALL_ALPHA, TBM_GETPOS, 0, 0);
            shownOwn = (int)SendDlgItemMessageA(dialog, IDC_PREFS_OWN_ALPHA, TBM_GETPOS, 0, 0);
            Click(dialog, IDC_PREFS_CANCEL);
        });
        EXPECT_EQ(RunPreferencesDialog(nullptr, note), 0);
    }
    EXPECT_STREQ(saveLabel, "Not Active!") << "the label follows the period from the start";
    EXPECT_EQ(shownLatch, 0);
    EXPECT_EQ(shownAlpha, 20);
    EXPECT_EQ(shownOwn, 20);
    EXPECT_EQ(ZettlyTable[note].alphaValue, 20) << "raised at opening, kept after Cancel";
    EXPECT_EQ(ZettlyInfo.allAlpha, 20);

    ModalDialogAnswerer answer([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_PREFS_LATCH_DISTANCE, "500");
        SetDlgItemTextA(dialog, IDC_PREFS_SAVE_MINUTES, "0");
        Click(dialog, IDC_PREFS_OK);
    });
    EXPECT_EQ(RunPreferencesDialog(nullptr, note), 1);
    EXPECT_EQ(ZettlyInfo.latchDistance, 300);
    EXPECT_EQ(ZettlyInfo.autoSavePeriod, 0) << "0 minutes turns the auto-save off";
}

TEST_F(NoteDialogs, LatchDistanceThatIsNoNumberKeepsTheDialogOpen)
{
    ZettlyInfo.latchDistance = 25;
    int clicks = 0;
    ModalDialogAnswerer answer([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_PREFS_LATCH_DISTANCE, "");
        Click(dialog, IDC_PREFS_OK);
        clicks += IsWindow(dialog) ? 1 : 0;
        SetDlgItemTextA(dialog, IDC_PREFS_LATCH_DISTANCE, "40");
        Click(dialog, IDC_PREFS_OK);
    });
    EXPECT_EQ(RunPreferencesDialog(nullptr, ZETTLY_DEFAULT_SLOT), 1);
    EXPECT_EQ(clicks, 1) << "the dialog stayed open after the first O.K";
    EXPECT_EQ(ZettlyInfo.latchDistance, 40);
}

TEST_F(NoteDialogs, TheFiftyFirstSchemeIsRefusedAndCancelKeepsSchemeChanges)
{
    ZettlySchemes.count = 49;
    for (int i = 0; i < 49; ++i)
        ZettlySchemes.entries[i] = ZettlyColourScheme{(uint32_t)i, 0xFFFF, 0xFF};
    MessageBoxRecorder boxes;
    ModalDialogAnswerer answer([&](HWND dialog) {
        Click(dialog, IDC_PREFS_SCHEME_ADD);
        Click(dialog, IDC_PREFS_SCHEME_ADD);
        SendDlgItemMessageA(dialog, IDC_PREFS_SCHEMES, LB_SETCURSEL, 0, 0);
        Click(dialog, IDC_PREFS_SCHEME_DELETE);
        Click(dialog, IDC_PREFS_CANCEL);
    });
    EXPECT_EQ(RunPreferencesDialog(nullptr, ZETTLY_DEFAULT_SLOT), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Array Space Error");
    EXPECT_EQ(boxes.Boxes()[0].text, "Out of array space to add colour scheme.");
    EXPECT_EQ(ZettlySchemes.count, 49) << "one added, one refused, one deleted";
    EXPECT_EQ(ZettlySchemes.entries[0].text, 1u) << "the later schemes moved down";
}

TEST_F(NoteDialogs, OkStoresTheLookIntoTheRecordAndTransparencyReachesEveryNote)
{
    int note = Make(100, 100, 260, 140, false);
    int other = Make(420, 100, 200, 120, false);
    ASSERT_GE(note, 0);
    ASSERT_GE(other, 0);
    const COLORREF green = RGB(200, 255, 200), navy = RGB(0, 0, 128), blue = RGB(0, 0, 255);
    ZettlySchemes.count = 1;
    ZettlySchemes.entries[0] = ZettlyColourScheme{navy, green, blue};
    HWND window = ZettlyTable[note].window;
    ModalDialogAnswerer answer([&](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_PREFS_SCHEMES, LB_SETCURSEL, 0, 0);
        Click(dialog, IDC_PREFS_SCHEME_COPY);
        SetCheck(dialog, IDC_PREFS_ALL_TRANSPARENT, true);
        SendDlgItemMessageA(dialog, IDC_PREFS_ALL_ALPHA, TBM_SETPOS, TRUE, 180);
        SetCheck(dialog, IDC_PREFS_OWN_TRANSPARENT, true);
        SendDlgItemMessageA(dialog, IDC_PREFS_OWN_ALPHA, TBM_SETPOS, TRUE, 100);
        SetCheck(dialog, IDC_PREFS_VERT_SCROLL, true);
        Click(dialog, IDC_PREFS_OK);
    });
    ASSERT_EQ(RunPreferencesDialog(window, note), 1);
    const ZettlyRecord &z = ZettlyTable[note];
    EXPECT_EQ(z.window, window) << "the dialog leaves the window to its caller";
    EXPECT_EQ(z.textColour, navy);
    EXPECT_EQ(z.backColour, green);
    EXPECT_EQ(z.blinkColour, blue);
    EXPECT_EQ(z.vertScroll, 1);
    EXPECT_EQ(z.ownAlpha, 1);
    EXPECT_EQ(z.alphaValue, 100);
    EXPECT_EQ(ZettlyInfo.allTransparent, 1);
    EXPECT_EQ(ZettlyInfo.allAlpha, 180);
    EXPECT_EQ(ZettlyTable[other].backColour, ZettlyTable[ZETTLY_DEFAULT_SLOT].backColour)
        << "another note keeps its look";

    // The note has its own alpha, yet the global one it switched on reaches
    // every other note.
    ApplyPreferencesTransparency();
    EXPECT_EQ(LayeredAlpha(window), 100);
    EXPECT_EQ(LayeredAlpha(ZettlyTable[other].window), 180);
}

TEST_F(NoteDialogs, OkOnAGroupedNoteRemakesItWithTheNewLookKeepingItsFormattedTextAndPlace)
{
    int group, note;
    ASSERT_TRUE(MakeGroupWithNote({150, 120, 460, 340}, {200, 200, 260, 160}, &group, &note));
    ZettlyRecord &z = ZettlyTable[note];
    HWND oldWindow = z.window;
    SetWindowTextA(z.editWindow, "bold red plain");
    SetFormat(z.editWindow, 0, 4, CFM_BOLD, CFE_BOLD, 0);
    SetFormat(z.editWindow, 5, 8, CFM_COLOR, 0, RGB(255, 0, 0));
    RECT place = WindowRect(oldWindow);
    // Only the background changes colour: the text colour stays, so the red
    // word must too.
    const COLORREF green = RGB(200, 255, 200);
    ZettlySchemes.count = 1;
    ZettlySchemes.entries[0] = ZettlyColourScheme{z.textColour, green, RGB(0, 0, 255)};
    int fontDialogs = 0;
    ModalDialogAnswerer answer([&](HWND dialog) {
        if (!GetDlgItem(dialog, IDC_PREFS_OK)) {
            // The font chooser: 20 chosen in its size box, as a click does.
            ++fontDialogs;
            HWND size = GetDlgItem(dialog, 0x472);
            SendMessageA(size, CB_SELECTSTRING, (WPARAM)-1, (LPARAM) "20");
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0x472, CBN_SELCHANGE), (LPARAM)size);
            SendMessageA(dialog, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(dialog, IDOK));
            return;
        }
        SendDlgItemMessageA(dialog, IDC_PREFS_SCHEMES, LB_SETCURSEL, 0, 0);
        Click(dialog, IDC_PREFS_SCHEME_COPY);
        Click(dialog, IDC_PREFS_EDIT_FONT);
        SetCheck(dialog, IDC_PREFS_OWN_TRANSPARENT, true);
        SendDlgItemMessageA(dialog, IDC_PREFS_OWN_ALPHA, TBM_SETPOS, TRUE, 90);
        Click(dialog, IDC_PREFS_OK);
    });
    SendMessageA(oldWindow, WM_COMMAND, CMD_PREFERENCES, 0);
    ASSERT_EQ(fontDialogs, 1);

    ASSERT_TRUE(IsWindow(z.window));
    EXPECT_NE(z.window, oldWindow) << "the note is made again from its record";
    EXPECT_FALSE(IsWindow(oldWindow));
    EXPECT_EQ(z.backColour, green);
    EXPECT_EQ(LayeredAlpha(z.window), 90);
    EXPECT_EQ(GetAncestor(z.window, GA_PARENT), ZettlyTable[group].window) << "still in its group";
    EXPECT_TRUE(SameRect(WindowRect(z.window), place));

    HWND edit = z.editWindow;
    EXPECT_EQ(EditText(edit), "bold red plain");
    CHARFORMAT2A bold = FormatOf(edit, 0, 4), red = FormatOf(edit, 5, 8),
                 plain = FormatOf(edit, 9, 14);
    EXPECT_TRUE((bold.dwMask & CFM_BOLD) && (bold.dwEffects & CFE_BOLD));
    EXPECT_FALSE(plain.dwEffects & CFE_BOLD);
    EXPECT_EQ(red.crTextColor, RGB(255, 0, 0));
    EXPECT_EQ(FormatOf(edit, 0, 14).crBackColor, green) << "the new background on all the text";
    // 20 points at the screen's resolution, the editor's font for new text.
    HDC screen = GetDC(nullptr);
    int expected = -MulDiv(20, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(z.editFont.lfHeight, expected);
    CHARFORMAT2A fresh = {};
    fresh.cbSize = sizeof fresh;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&fresh);
    EXPECT_NEAR(fresh.yHeight, 20 * 20, 10) << "twips, from whole pixels";
}

TEST_F(NoteDialogs, RoundBorderRefreshesEveryNoteButNotGroups)
{
    int note = Make(100, 100, 200, 120, false);
    int group = Make(400, 100, 300, 200, true);
    ASSERT_GE(note, 0);
    ASSERT_GE(group, 0);
    ModalDialogAnswerer answer([&](HWND dialog) {
        SetCheck(dialog, IDC_PREFS_ROUND_BORDER, true);
        Click(dialog, IDC_PREFS_OK);
    });
    ASSERT_EQ(RunPreferencesDialog(nullptr, ZETTLY_DEFAULT_SLOT), 1);
    EXPECT_EQ(ZettlyInfo.roundBorder, 1);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(ZettlyTable[note].window, region), ERROR);
    DeleteObject(region);
}

TEST_F(NoteDialogs, GroupPreferencesPutTopmostAndThinBorderOnTheGroupWindow)
{
    int group = Make(300, 200, 300, 200, true);
    ASSERT_GE(group, 0);
    HWND window = ZettlyTable[group].window;
    ModalDialogAnswerer answer([&](HWND dialog) {
        SetCheck(dialog, IDC_PREFS_TOPMOST, true);
        SetCheck(dialog, IDC_PREFS_THIN_BORDER, true);
        Click(dialog, IDC_PREFS_OK);
    });
    SendMessageA(window, WM_COMMAND, 20120, 0);
    EXPECT_EQ(ZettlyTable[group].window, window);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_STATICEDGE);
}

TEST_F(NoteDialogs, DropChoiceAnswersWithTheButtonAndCancelsOnClose)
{
    {
        ModalDialogAnswerer append([](HWND dialog) { Click(dialog, IDC_DROP_APPEND); });
        EXPECT_EQ(AskDropChoice(nullptr), IDC_DROP_APPEND);
    }
    ModalDialogAnswerer close([](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(AskDropChoice(nullptr), IDC_DROP_CANCEL);
}

// ---------------------------------------------------------------- groups

TEST_F(NoteDialogs, GroupScrollBarsFollowItsMembers)
{
    int group = Make(200, 150, 320, 240, true);
    ASSERT_GE(group, 0);
    HWND window = ZettlyTable[group].window;
    LayoutGroupScrollBars(group);
    EXPECT_TRUE(BarDisabled(window, OBJID_HSCROLL));
    EXPECT_TRUE(BarDisabled(window, OBJID_VSCROLL));

    int note = Make(250, 220, 120, 60, false);
    ASSERT_GE(note, 0);
    ASSERT_EQ(AttachToGroup(group, note), 0);
    RECT client;
    GetClientRect(window, &client);
    // 50 pixels past the right edge of the client area.
    MoveWindow(ZettlyTable[note].window, client.right + 50 - 120, Strip(group) + 10, 120, 60,
               TRUE);
    LayoutGroupScrollBars(group);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE;
    ASSERT_TRUE(GetScrollInfo(window, SB_HORZ, &info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, client.right + 50);
    EXPECT_FALSE(BarDisabled(window, OBJID_HSCROLL));
    EXPECT_TRUE(BarDisabled(window, OBJID_VSCROLL));
}

TEST_F(NoteDialogs, NotesKeepTheirScreenPlaceGoingIntoAndOutOfAGroup)
{
    int group = Make(200, 150, 400, 300, true);
    int note = Make(260, 230, 120, 60, false);
    ASSERT_GE(group, 0);
    ASSERT_GE(note, 0);
    HWND window = ZettlyTable[note].window;
    RECT before = WindowRect(window);
    ASSERT_EQ(AttachToGroup(group, note), 0);
    EXPECT_TRUE(ZettlyTable[note].isMember);
    EXPECT_EQ(ZettlyTable[note].groupSlot, group);
    EXPECT_TRUE(SameRect(WindowRect(window), before)) << "no jump going in";
    int x = before.left, y = before.top;
    PlaceInGroup(note, &x, &y, TRUE);
    PlaceInGroup(note, &x, &y, FALSE);
    EXPECT_EQ(x, before.left) << "screen -> group -> screen comes back";
    EXPECT_EQ(y, before.top);

    DetachFromGroup(group, note);
    EXPECT_FALSE(ZettlyTable[note].isMember);
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
    EXPECT_TRUE(SameRect(WindowRect(window), before)) << "no jump coming out";

    EXPECT_EQ(AttachToGroup(note, group), -1) << "a note is no group";
    EXPECT_EQ(AttachToGroup(group, group), -1);
}

TEST_F(NoteDialogs, ANoteSentToAnotherGroupByItsMenuLandsInViewAndFreesTheOldGroupsBar)
{
    int first = Make(100, 100, 300, 220, true);
    int second = Make(600, 400, 300, 220, true);
    int note = Make(330, 200, 120, 60, false);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    ASSERT_GE(note, 0);
    HWND firstWindow = ZettlyTable[first].window, secondWindow = ZettlyTable[second].window;
    ASSERT_EQ(AttachToGroup(first, note), 0);
    ASSERT_FALSE(BarDisabled(firstWindow, OBJID_HSCROLL)) << "it sticks out of the first group";

    SendMessageA(ZettlyTable[note].window, WM_COMMAND, CMD_ADD_TO_GROUP_FIRST + second, 0);
    EXPECT_EQ(ZettlyTable[note].groupSlot, second);
    EXPECT_EQ(GetAncestor(ZettlyTable[note].window, GA_PARENT), secondWindow);
    EXPECT_TRUE(BarDisabled(firstWindow, OBJID_HSCROLL)) << "the old group is laid out again";
    RECT view, inGroup = WindowRect(ZettlyTable[note].window), overlap;
    GetClientRect(secondWindow, &view);
    MapWindowPoints(secondWindow, nullptr, (POINT *)&view, 2);
    EXPECT_TRUE(IntersectRect(&overlap, &view, &inGroup)) << "the note can be seen in its group";
    EXPECT_TRUE(BarDisabled(secondWindow, OBJID_HSCROLL));
}

TEST_F(NoteDialogs, AnAnimatedGroupRollIgnoresASecondCommandAndUnrollsToWhereItWas)
{
    ZettlyInfo.animateRoll = 1;
    ZettlyInfo.animationStep = 8;
    int group = Make(200, 150, 300, 240, true);
    ASSERT_GE(group, 0);
    HWND window = ZettlyTable[group].window;
    RECT before = WindowRect(window);
    SendMessageA(window, WM_COMMAND, CMD_ROLL_ZETTLY, 0);
    EXPECT_TRUE(ZettlyRollRunning(group, window));
    SendMessageA(window, WM_COMMAND, CMD_ROLL_ZETTLY, 0); // mid-animation: ignored
    ASSERT_TRUE(PumpUntil([&] { return !ZettlyRollRunning(group, window); }));
    EXPECT_EQ(ZettlyTable[group].rolledUp, 1);
    RECT rolled = WindowRect(window);
    EXPECT_LT(rolled.bottom - rolled.top, before.bottom - before.top);

    SendMessageA(window, WM_COMMAND, CMD_ROLL_ZETTLY, 0);
    EXPECT_EQ(ZettlyTable[group].rolledUp, 0);
    ASSERT_TRUE(PumpUntil([&] { return !ZettlyRollRunning(group, window); }));
    RECT after = WindowRect(window);
    EXPECT_TRUE(SameRect(before, after));
}

TEST_F(NoteDialogs, DraggingAMemberAboveItsGroupReleasesItInPlace)
{
    int group, note;
    ASSERT_TRUE(MakeGroupWithNote({200, 150, 400, 300}, {260, 240, 120, 60}, &group, &note));
    HWND window = ZettlyTable[note].window;
    RECT before = WindowRect(window);
    int strip = Strip(group);
    // Still inside: the pointer only a little above the press point.
    EXPECT_EQ(DragIntoGroup(note, MAKELPARAM(5, 5 - strip), 5, 5), -1);
    EXPECT_TRUE(ZettlyTable[note].isMember);
    // Far above the group's top edge.
    RECT inGroup = before;
    MapWindowPoints(nullptr, ZettlyTable[group].window, (POINT *)&inGroup, 2);
    EXPECT_EQ(DragIntoGroup(note, MAKELPARAM(5, 5 - inGroup.top - 3 * strip), 5, 5), -1);
    EXPECT_FALSE(ZettlyTable[note].isMember);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(SameRect(WindowRect(window), before));
}

TEST_F(NoteDialogs, ClosingAGroupWithYesReleasesItsNotesNoRemovesThemCancelKeepsAll)
{
    struct Case {
        int answer;
        bool groupGone, notesKept;
    } cases[] = {{IDCANCEL, false, true}, {IDYES, true, true}, {IDNO, true, false}};
    for (const Case &c : cases) {
        int group = Make(200, 150, 400, 300, true);
        int a = Make(260, 240, 120, 60, false);
        int b = Make(420, 260, 120, 60, false);
        ASSERT_EQ(AttachToGroup(group, a), 0);
        ASSERT_EQ(AttachToGroup(group, b), 0);
        HWND g = ZettlyTable[group].window, wa = ZettlyTable[a].window;
        RECT placeA = WindowRect(wa);
        MessageBoxRecorder boxes(c.answer);
        SendMessageA(g, WM_COMMAND, CMD_CLOSE_ZETTLY, 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].type & MB_TYPEMASK, (UINT)MB_YESNOCANCEL);
        EXPECT_EQ(!IsWindow(g), c.groupGone) << "answer " << c.answer;
        EXPECT_EQ(IsWindow(wa) != FALSE, c.notesKept) << "answer " << c.answer;
        if (c.groupGone && c.notesKept) {
            EXPECT_FALSE(ZettlyTable[a].isMember);
            EXPECT_EQ(GetAncestor(wa, GA_PARENT), GetDesktopWindow());
            EXPECT_TRUE(SameRect(WindowRect(wa), placeA));
        }
        TearDown();
        SetUp();
    }
}

namespace {

// The import of the editing features as far as the group sees it: a file
// made into a new note (mode IDC_DROP_CREATE_NEW) lands in the first free slot.
std::string InsertedPath;
int InsertedMode;
int MakeNoteOfFile(const char *path, int mode, int)
{
    InsertedPath = path;
    InsertedMode = mode;
    int slot = FindFreeZettlySlot();
    if (slot < 0)
        return -1;
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    return CreateZettlyWindow(nullptr, slot, TRUE, TRUE);
}
struct ScopedImport {
    EditingFeatures features = Editing();
    ScopedImport()
    {
        features.insertFileIntoZettly = MakeNoteOfFile;
        UseEditingFeatures(&features);
    }
    ~ScopedImport() { UseEditingFeatures(nullptr); }
};

} // namespace

TEST_F(NoteDialogs, AFileDroppedOnAGroupBecomesAMemberOfIt)
{
    ScopedImport import;
    ScopedTempFolder folder;
    std::string path = folder.Path() + "\\dropped.txt";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "dropped text", 12, &written, nullptr);
    CloseHandle(file);

    int group = Make(200, 150, 400, 300, true);
    ASSERT_GE(group, 0);
    size_t bytes = sizeof(DROPFILES) + path.size() + 2;
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    DROPFILES *files = (DROPFILES *)GlobalLock(drop);
    files->pFiles = sizeof(DROPFILES);
    std::memcpy((char *)files + sizeof(DROPFILES), path.c_str(), path.size());
    GlobalUnlock(drop);
    MessageBoxRecorder boxes;
    SendMessageA(ZettlyTable[group].window, WM_DROPFILES, (WPARAM)drop, 0);

    int made = -1;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (slot != group && ZettlyTable[slot].window)
            made = slot;
    ASSERT_GE(made, 0) << "a note was made of the file";
    EXPECT_EQ(InsertedPath, path);
    EXPECT_EQ(InsertedMode, IDC_DROP_CREATE_NEW);
    EXPECT_TRUE(ZettlyTable[made].isMember);
    EXPECT_EQ(ZettlyTable[made].groupSlot, group);
    EXPECT_EQ(GetAncestor(ZettlyTable[made].window, GA_PARENT), ZettlyTable[group].window);
    EXPECT_TRUE(IsWindowVisible(ZettlyTable[made].window));
}

TEST_F(NoteDialogs, RelinkDialogPutsAnOrphanIntoTheChosenGroupOrOntoTheDesktop)
{
    int group = Make(200, 150, 400, 300, true);
    int orphan = Make(260, 240, 120, 60, false);
    ASSERT_GE(group, 0);
    ASSERT_GE(orphan, 0);
    ZettlyTable[orphan].isMember = 1;
    ZettlyTable[orphan].groupSlot = 77; // no such group
    {
        ModalDialogAnswerer link([](HWND dialog) { Click(dialog, IDC_RELINK_LINK); });
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RELINK), nullptr,
                                  RelinkDlgProc, orphan),
                  1);
    }
    EXPECT_EQ(ZettlyTable[orphan].groupSlot, group);
    EXPECT_EQ(GetAncestor(ZettlyTable[orphan].window, GA_PARENT), ZettlyTable[group].window);

    ModalDialogAnswerer unlink([](HWND dialog) { Click(dialog, IDC_RELINK_UNLINK); });
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RELINK), nullptr,
                              RelinkDlgProc, orphan),
              1);
    EXPECT_FALSE(ZettlyTable[orphan].isMember);
    EXPECT_EQ(GetAncestor(ZettlyTable[orphan].window, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(ZettlyTable[orphan].rolledUp, 1) << "it joins the stack of rolled-up strips";
    EXPECT_TRUE(IsWindowVisible(ZettlyTable[orphan].window));
}

// ---------------------------------------------------------------- quick pick

TEST_F(NoteDialogs, QuickPickWithNoNotesOpensAndClosesCleanly)
{
    selected = 7;
    list = OpenQuickPickList(nullptr, &selected);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(selected, -1);
    SendMessageA(list, WM_USER, MAIN_SHORTCUT, SHORTCUT_NEXT);
    EXPECT_FALSE(Scrolling(list)) << "nothing to scroll to";
    UpdateWindow(list);
    RECT r = WindowRect(list);
    EXPECT_EQ(r.right - r.left, 291) << "the size of its shape bitmap";
    EXPECT_TRUE(DestroyWindow(list));
    list = nullptr;
}

TEST_F(NoteDialogs, QuickPickNextAndPreviousWrapAndIgnoreAPressWhileScrolling)
{
    int a = Make(100, 100, 200, 80, false);
    int b = Make(100, 300, 200, 80, false);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    selected = b;
    list = OpenQuickPickList(nullptr, &selected);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(selected, b);
    SendMessageA(list, WM_USER, MAIN_SHORTCUT, SHORTCUT_NEXT);
    SendMessageA(list, WM_USER, MAIN_SHORTCUT, SHORTCUT_NEXT);
    EXPECT_EQ(selected, a) << "next from the highest wraps; the second press waits";
    ASSERT_TRUE(PumpUntil([this] { return !Scrolling(list); }));
    EXPECT_EQ(QuickPickScrollOf(list)->nameOffset, QuickPickScrollOf(list)->nameTarget);
    SendMessageA(list, WM_USER, MAIN_SHORTCUT, SHORTCUT_PREVIOUS);
    EXPECT_EQ(selected, b) << "previous from the lowest wraps";

    // The list goes while its scroll thread still runs on its animation.
    EXPECT_TRUE(DestroyWindow(list));
    list = OpenQuickPickList(nullptr, &selected);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(selected, b) << "a new list starts where the last one stopped";
    EXPECT_FALSE(Scrolling(list)) << "the closed list's scroll is not the new one's";
    SendMessageA(list, WM_USER, MAIN_SHORTCUT, SHORTCUT_NEXT);
    EXPECT_EQ(selected, a) << "the first press of a new list is taken";
    ASSERT_TRUE(PumpUntil([this] { return !Scrolling(list); }));
}

TEST_F(NoteDialogs, RegionsLeaveOutThePureRedPixels)
{
    HBITMAP shape = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_QUICK_PICK_SHAPE));
    ASSERT_NE(shape, nullptr);
    int width = 0, height = 0;
    HRGN region = CreateRegionFromBitmap(shape, RGB(255, 0, 0), &width, &height);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(width, 291);
    EXPECT_EQ(height, 164);
    EXPECT_FALSE(PtInRegion(region, 0, 0)) << "the corner is red";
    EXPECT_TRUE(PtInRegion(region, width / 2, height / 2));
    DeleteObject(region);
    DeleteObject(shape);

    HDC screen = GetDC(nullptr);
    HBITMAP red = CreateCompatibleBitmap(screen, 7, 3);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, red);
    RECT all = {0, 0, 7, 3};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    region = CreateRegionFromBitmap(red, RGB(255, 0, 0), &width, &height);
    ASSERT_NE(region, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    DeleteObject(region);
    DeleteObject(red);
}
