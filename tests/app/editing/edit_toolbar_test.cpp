#include "editing/edit_toolbar.h"

#include <commctrl.h>

#include <vector>

#include "core/editing_features.h"
#include "core/note_editor/editor_ids.h"
#include "core/note_window/group_window.h"
#include "editing/edit_toolbar_ids.h"
#include "editing_notes.h"
#include "owner_drawn.h"

namespace {

// Stands in for a note's edit control: records what the bar sends it.
struct Received {
    UINT message;
    WPARAM wParam;
    std::string text; // lParam as text, for the font face
};
std::vector<Received> EditLog;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message == WM_USER || message == WM_CUT) {
        Received r = {message, wParam, ""};
        if (message == WM_COMMAND && LOWORD(wParam) == CMD_EDIT_FONT && lParam)
            r.text = (const char *)lParam;
        EditLog.push_back(r);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class EditBar : public EditingNotes {
protected:
    void SetUp() override
    {
        EditingNotes::SetUp();
        EditLog.clear();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "RecordingEdit";
        RegisterClassA(&wc);
    }
    void TearDown() override
    {
        if (bar)
            DestroyWindow(bar);
        EditingNotes::TearDown();
    }
    // A note whose edit control is the recorder.
    int RecordedNote()
    {
        int slot = 7;
        ZettlyRecord &z = ZettlyTable[slot];
        z.window = CreateWindowExA(0, "STATIC", "note", WS_POPUP | WS_VISIBLE, 200, 150, 360, 200,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        z.editWindow = CreateWindowExA(0, "RecordingEdit", "", WS_CHILD, 0, 0, 10, 10, z.window,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
        return z.editWindow ? slot : -1;
    }
    // A bar attached to a recorded note and shown under it.
    int PlacedBar()
    {
        int slot = RecordedNote();
        if (slot < 0 || !(bar = CreateEditBar()))
            return -1;
        AttachEditBar(bar, slot);
        PlaceEditBar(bar, slot);
        return slot;
    }
    HWND Rebar() const { return FindWindowExA(bar, nullptr, REBARCLASSNAMEA, nullptr); }
    HWND Control(int id) const { return GetDlgItem(Rebar(), id); }
    bool Sent(UINT message, int id) const
    {
        for (const Received &r : EditLog)
            if (r.message == message && (int)LOWORD(r.wParam) == id)
                return true;
        return false;
    }
    void Toggle() { SendMessageA(bar, WM_COMMAND, IDC_EDIT_BAR_STRIP, (LPARAM)GetDlgItem(bar, IDC_EDIT_BAR_STRIP)); }
    SIZE Client() const
    {
        RECT r = {};
        GetClientRect(bar, &r);
        return SIZE{r.right, r.bottom};
    }
    std::string SizeText() const
    {
        char text[16] = "";
        GetWindowTextA(Control(IDC_EDIT_BAR_SIZE), text, sizeof text);
        return text;
    }

    HWND bar = nullptr;
};

} // namespace

TEST_F(EditBar, BoxesAndButtonsSendTheirCommandsToTheAttachedNote)
{
    int slot = RecordedNote();
    ASSERT_GE(slot, 0);
    bar = CreateEditBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(AttachEditBar(bar, slot), 1);

    HWND size = Control(IDC_EDIT_BAR_SIZE);
    LRESULT at72 = SendMessageA(size, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "72");
    ASSERT_NE(at72, CB_ERR);
    SendMessageA(size, CB_SETCURSEL, at72, 0);
    SendMessageA(Rebar(), WM_COMMAND, MAKEWPARAM(IDC_EDIT_BAR_SIZE, CBN_SELCHANGE), (LPARAM)size);
    EXPECT_TRUE(Sent(WM_COMMAND, 9017));

    HWND font = Control(IDC_EDIT_BAR_FONT);
    ASSERT_GT(SendMessageA(font, CB_GETCOUNT, 0, 0), 0);
    char face[LF_FACESIZE] = "";
    SendMessageA(font, CB_SETCURSEL, 0, 0);
    SendMessageA(font, CB_GETLBTEXT, 0, (LPARAM)face);
    SendMessageA(Rebar(), WM_COMMAND, MAKEWPARAM(IDC_EDIT_BAR_FONT, CBN_SELCHANGE), (LPARAM)font);
    ASSERT_FALSE(EditLog.empty());
    EXPECT_EQ(LOWORD(EditLog.back().wParam), CMD_EDIT_FONT);
    EXPECT_EQ(EditLog.back().text, face);

    // A click on the first format button, as the toolbar sees it.
    Toggle();
    HWND format = Control(IDC_EDIT_BAR_FORMAT);
    RECT button;
    ASSERT_TRUE(SendMessageA(format, TB_GETITEMRECT, 0, (LPARAM)&button));
    LPARAM middle = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    SendMessageA(format, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageA(format, WM_LBUTTONUP, 0, middle);
    EXPECT_TRUE(Sent(WM_COMMAND, CMD_EDIT_BOLD));

    // Focus goes back to the note without a simulated click.
    EXPECT_TRUE(PumpUntil([this] { return Sent(WM_USER, EDIT_TAKE_FOCUS); }));
}

TEST_F(EditBar, SizedExactlyBelowTheNoteCollapsedAndExpanded)
{
    int slot = PlacedBar();
    ASSERT_GE(slot, 0);
    EXPECT_FALSE(EditBarExpanded(bar));
    SIZE collapsed = Client();
    EXPECT_EQ(collapsed.cx, 52);
    EXPECT_EQ(collapsed.cy, 10);

    Toggle();
    ASSERT_TRUE(EditBarExpanded(bar));
    SIZE expanded = Client();
    EXPECT_EQ(expanded.cx, 348);
    RECT rebar, strip, note, whole;
    GetWindowRect(Rebar(), &rebar);
    GetWindowRect(GetDlgItem(bar, IDC_EDIT_BAR_STRIP), &strip);
    EXPECT_GT(rebar.bottom - rebar.top, 0);
    EXPECT_GE(strip.top, rebar.bottom);
    EXPECT_EQ(strip.bottom - strip.top, 8);
    GetWindowRect(ZettlyTable[slot].window, &note);
    GetWindowRect(bar, &whole);
    EXPECT_EQ(whole.left, note.left);
    EXPECT_EQ(whole.top, note.bottom);

    Toggle();
    EXPECT_EQ(Client().cx, 52);
    EXPECT_EQ(Client().cy, 10);
}

TEST_F(EditBar, ShowsTheCaretsFontSizeOnlyWhileExpanded)
{
    int slot = NewNote(100, 100, 300, 160);
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    SetWindowTextA(edit, "sized text");
    bar = CreateEditBar();
    ASSERT_NE(bar, nullptr);
    AttachEditBar(bar, slot);
    Toggle();
    struct Case {
        LONG twips;
        const char *shown;
    } cases[] = {{220, "11"}, {210, "11"}, {180, "9"}, {1440, "72"}};
    for (const Case &c : cases) {
        CHARFORMAT2A cf = {};
        cf.cbSize = sizeof cf;
        cf.dwMask = CFM_SIZE;
        cf.yHeight = c.twips;
        SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&cf);
        Select(slot, 2, 2);
        RefreshEditBar(bar, edit);
        EXPECT_EQ(SizeText(), c.shown) << c.twips;
    }
    Toggle();
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_SIZE;
    cf.yHeight = 200;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&cf);
    RefreshEditBar(bar, edit);
    EXPECT_EQ(SizeText(), "72");
}

// The bar is never the active window while a note is written in: its
// buttons' tips must show all the same, with their texts.
TEST_F(EditBar, ButtonsShowTheirTipsWhileTheNoteIsActive)
{
    int slot = PlacedBar();
    ASSERT_GE(slot, 0);
    Toggle();
    ASSERT_TRUE(EditBarExpanded(bar));
    SetForegroundWindow(ZettlyTable[slot].window);
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == ZettlyTable[slot].window; }, 3000));
    for (int id : {IDC_EDIT_BAR_FORMAT, IDC_EDIT_BAR_NOTE}) {
        HWND toolbar = Control(id);
        HWND tips = (HWND)SendMessageA(toolbar, TB_GETTOOLTIPS, 0, 0);
        ASSERT_NE(tips, nullptr);
        RECT button;
        ASSERT_TRUE(SendMessageA(toolbar, TB_GETITEMRECT, 0, (LPARAM)&button));
        POINT middle = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        POINT screen = middle;
        ClientToScreen(toolbar, &screen);
        // The pointer comes to rest on the button: each further move would
        // start the tip's delay over.
        SetCursorPos(screen.x, screen.y);
        SendMessageA(toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(middle.x, middle.y));
        bool shown = PumpUntil([&] { return IsWindowVisible(tips) != 0; }, 5000);
        EXPECT_TRUE(shown) << "toolbar " << id << " shows no tip";
        char text[128] = "";
        GetWindowTextA(tips, text, sizeof text);
        EXPECT_STREQ(text, id == IDC_EDIT_BAR_FORMAT ? "Bold" : "Font Colour");
        SetCursorPos(0, 0);
        SendMessageA(tips, TTM_POP, 0, 0);
    }
}

// "Re-Align Child Zettlies" turns the members into strips: the edit toolbar
// of a member goes away with its note's body, as after a roll-up, instead of
// staying where the note was.
TEST_F(EditBar, ReAligningAGroupTakesAwayTheToolbarOfAMember)
{
    RegisterGroupClass(GetModuleHandleA(nullptr));
    ZettlyTable[ZETTLY_DEFAULT_SLOT].isGroup = 1;
    int group = NewNote(100, 100, 320, 220);
    ZettlyTable[ZETTLY_DEFAULT_SLOT].isGroup = 0;
    int member = NewNote(150, 180, 320, 220);
    ASSERT_GE(group, 0);
    ASSERT_GE(member, 0);
    ASSERT_EQ(AttachToGroup(group, member), 0);
    SetWindowPos(ZettlyTable[member].window, nullptr, 20, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(ZettlyTable[member].window, SW_SHOW);
    SetForegroundWindow(ZettlyTable[group].window);
    SetFocus(Edit(member));
    ASSERT_TRUE(PumpUntil([&] { return EditToolbarWindow && IsWindowVisible(EditToolbarWindow) &&
                                       EditBarSlot(EditToolbarWindow) == member; },
                          3000))
        << "the member's toolbar never showed";
    RealignGroupMembers(ZettlyTable[group].window, group);
    EXPECT_TRUE(ZettlyTable[member].rolledUp);
    EXPECT_FALSE(IsWindowVisible(EditToolbarWindow)) << "the toolbar stayed at the note's old place";
}

// Each bar draws its strip from looks of its own: a bar going must leave
// another one's strip drawn.
TEST_F(EditBar, ABarGoingLeavesAnotherOnesStripDrawn)
{
    HWND first = CreateEditBar();
    bar = CreateEditBar();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(bar, nullptr);
    std::vector<COLORREF> drawn =
        OwnerDrawnPixels(bar, IDC_EDIT_BAR_STRIP, EDIT_BAR_CLIENT_WIDTH, EDIT_BAR_STRIP_HEIGHT);
    ASSERT_TRUE(DrawnBeyondTheFace(drawn)) << "the strip is drawn from its bitmap, not filled plain";
    EXPECT_EQ(OwnerDrawnPixels(first, IDC_EDIT_BAR_STRIP, EDIT_BAR_CLIENT_WIDTH,
                               EDIT_BAR_STRIP_HEIGHT),
              drawn);
    DestroyWindow(first);
    EXPECT_EQ(OwnerDrawnPixels(bar, IDC_EDIT_BAR_STRIP, EDIT_BAR_CLIENT_WIDTH,
                               EDIT_BAR_STRIP_HEIGHT),
              drawn);
}
