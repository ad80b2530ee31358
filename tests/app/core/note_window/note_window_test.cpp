#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/core_ids.h"
#include "core/note_editor/note_edit.h"
#include "core/note_window/note_frame.h"
#include "core/note_window/note_window.h"
#include "core/note_window/roll_animation.h"
#include "core/note_editor/text_walk_edit.h"
#include "core/note_editor/tooltip_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "note_fixture.h"
#include "test_support.h"
#include "core/note_window/window_creation.h"

namespace {

void SetModifiers(bool shift, bool control)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
}

RECT WindowRect(HWND w)
{
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

std::string EditText(HWND edit)
{
    std::string text;
    ReadEditText(edit, &text);
    return text;
}

// The one thread started since the list was taken, opened to wait for; null
// when there is not exactly one.
HANDLE ThreadStartedSince(const std::set<DWORD> &before)
{
    std::vector<DWORD> started;
    for (DWORD id : ProcessThreads())
        if (before.count(id) == 0)
            started.push_back(id);
    return started.size() == 1 ? OpenThread(SYNCHRONIZE, FALSE, started[0]) : nullptr;
}

class NoteWindow : public NoteTestBase {
protected:
    void SetUp() override
    {
        NoteTestBase::SetUp();
        SetModifiers(false, false);
    }
    void TearDown() override
    {
        SetModifiers(false, false);
        NoteTestBase::TearDown();
    }
    int Strip(int slot) { return GetFontCharHeight(ZettlyTable[slot].window, slot); }
    int RolledHeight(int slot)
    {
        int h = Strip(slot);
        if (ZettlyTable[slot].thinBorder)
            return h + 2 * GetSystemMetrics(SM_CYEDGE);
        return h + 2 * GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYEDGE);
    }
    void Roll(int slot) { SendMessageA(ZettlyTable[slot].window, WM_COMMAND, CMD_ROLL_ZETTLY, 0); }
};

} // namespace

TEST_F(NoteWindow, CreationGivesASubclassedEditorBelowTheStrip)
{
    ZettlyInfo.lineColumnInfo = 1;
    int slot = NewNote(100, 100, 220, 160);
    ASSERT_EQ(slot, 0);
    const ZettlyRecord &z = ZettlyTable[slot];
    ASSERT_NE(z.editWindow, nullptr);
    char cls[32];
    GetClassNameA(z.editWindow, cls, sizeof cls);
    EXPECT_STREQ(cls, RICH_EDIT_CLASS);
    EXPECT_EQ(GetDlgCtrlID(z.editWindow), NOTE_EDIT_ID);
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(z.editWindow, GWLP_WNDPROC), ZettlyEditProc);
    auto *state = (ZettlyEditState *)GetWindowLongPtrA(z.editWindow, GWLP_USERDATA);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->slot, slot);
    EXPECT_EQ(state->note, z.window);
    EXPECT_EQ(state->edit, z.editWindow);
    // Hidden top-most windows slow down every window shown after them.
    EXPECT_EQ(state->lineColumn, nullptr) << "the indicator is made when it is first shown";

    RECT client, edit;
    GetClientRect(z.window, &client);
    GetWindowRect(z.editWindow, &edit);
    POINT top = {edit.left, edit.top};
    ScreenToClient(z.window, &top);
    EXPECT_EQ(top.y, Strip(slot));
    EXPECT_EQ(edit.bottom - edit.top, client.bottom - Strip(slot));
    ASSERT_NE(z.titleEdit, nullptr);
    EXPECT_FALSE(IsWindowVisible(z.titleEdit));
    EXPECT_NE(z.backBrush, nullptr);
    EXPECT_NE(z.titleFontHandle, nullptr);

    // The strip is painted in the darkened background colour.
    UpdateWindow(z.window);
    HDC dc = GetDC(z.window);
    COLORREF pixel = GetPixel(dc, client.right / 2, 1);
    ReleaseDC(z.window, dc);
    EXPECT_EQ(pixel, RGB(0xE1, 0xE1, 0)) << std::hex << pixel;
}

TEST_F(NoteWindow, SizeLimitsWaitForTheSlotAndHoldARolledUpNoteToItsStrip)
{
    // A window the table does not know (as during creation) is left alone.
    HWND stranger = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    MINMAXINFO info = {};
    info.ptMinTrackSize = {7, 7};
    info.ptMaxTrackSize = {9999, 9999};
    EXPECT_EQ(ZettlyWndProc(stranger, WM_GETMINMAXINFO, 0, (LPARAM)&info), 0);
    EXPECT_EQ(info.ptMinTrackSize.y, 7);
    EXPECT_EQ(info.ptMaxTrackSize.y, 9999);
    DestroyWindow(stranger);

    int slot = NewNote(100, 100, 220, 160);
    ASSERT_GE(slot, 0);
    SendMessageA(ZettlyTable[slot].window, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.ptMinTrackSize.y, RolledHeight(slot));
    EXPECT_EQ(info.ptMaxTrackSize.y, 9999);
    ZettlyTable[slot].rolledUp = 1;
    SendMessageA(ZettlyTable[slot].window, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.ptMaxTrackSize.y, RolledHeight(slot));
}

TEST_F(NoteWindow, RollUpAndUnrollWithoutAnimationAreExactAndSymmetric)
{
    for (int thin = 0; thin <= 1; ++thin) {
        ZettlyTable[ZETTLY_DEFAULT_SLOT].thinBorder = thin;
        int slot = NewNote(120, 140, 240, 180);
        ASSERT_GE(slot, 0);
        HWND note = ZettlyTable[slot].window;
        RECT before = WindowRect(note);

        Roll(slot);
        RECT rolled = WindowRect(note);
        EXPECT_EQ(ZettlyTable[slot].rolledUp, 1);
        EXPECT_EQ(rolled.bottom - rolled.top, RolledHeight(slot)) << "thin " << thin;
        EXPECT_EQ(rolled.left, before.left);
        EXPECT_EQ(rolled.top, before.top);
        EXPECT_EQ(rolled.right - rolled.left, 240);
        EXPECT_EQ(ZettlyTable[slot].unrolledRectValid, 1);
        EXPECT_EQ(ZettlyTable[slot].unrolledRect.bottom, before.bottom);

        // Rolled up, the frame may widen the strip but not make it taller.
        SetWindowPos(note, nullptr, 0, 0, 260, 300, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(WindowRect(note).bottom - WindowRect(note).top, RolledHeight(slot));
        SetWindowPos(note, nullptr, 0, 0, 240, RolledHeight(slot), SWP_NOMOVE | SWP_NOZORDER);

        Roll(slot);
        RECT after = WindowRect(note);
        EXPECT_EQ(ZettlyTable[slot].rolledUp, 0);
        EXPECT_TRUE(EqualRect(&before, &after))
            << after.left << "," << after.top << "," << after.right << "," << after.bottom;
        DestroyWindow(note);
    }
}

TEST_F(NoteWindow, ANoteSavedRolledUpIsCreatedAtStripHeight)
{
    int slot = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    ZettlyRecord &z = ZettlyTable[slot];
    z.windowRect = {50, 60, 250, 260};
    z.unrolledRect = z.windowRect;
    z.unrolledRectValid = 1;
    z.rolledUp = 1;
    ASSERT_EQ(CreateZettlyWindow(nullptr, slot, FALSE, TRUE), 0);
    RECT r = WindowRect(z.window);
    EXPECT_EQ(r.bottom - r.top, RolledHeight(slot));
    EXPECT_EQ(r.right - r.left, 200);
    Roll(slot);
    r = WindowRect(z.window);
    EXPECT_EQ(r.bottom - r.top, 200) << "unrolls to the saved height";
}

// A note is made in place and skips the moves that would change nothing: it
// must still end where moving it there would put it, with its editor and
// title edit laid out below and over the strip, also after later resizes.
TEST_F(NoteWindow, ANoteIsMadeWhereAMoveWouldPutItAndItsChildrenFollowResizes)
{
    int tiny = GetSystemMetrics(SM_CXMINTRACK) / 2;
    int hugeX = 3 * GetSystemMetrics(SM_CXMAXTRACK), hugeY = 3 * GetSystemMetrics(SM_CYMAXTRACK);
    const ZettlyRect places[] = {
        {60, 70, 300, 250},              // an ordinary note
        {60, 70, 300, 75},               // lower than its strip
        {60, 70, 60 + tiny, 200},        // narrower than a frame may be
        {60, 70, 60 + hugeX, 70 + hugeY}, // larger than a frame may be
        {-5000, -5000, -4800, -4850}     // off every screen
    };
    for (const ZettlyRect &place : places) {
        int slot = FindFreeZettlySlot();
        CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
        ZettlyTable[slot].windowRect = place;
        ASSERT_EQ(CreateZettlyWindow(nullptr, slot, FALSE, TRUE), 0);
        const ZettlyRecord &z = ZettlyTable[slot];
        HWND note = z.window;
        RECT made = WindowRect(note);
        MoveWindow(note, made.left, made.top, made.right - made.left, made.bottom - made.top, TRUE);
        RECT moved = WindowRect(note);
        EXPECT_TRUE(EqualRect(&made, &moved)) << place.left << "," << place.bottom;
        EXPECT_GE(made.bottom - made.top, RolledHeight(slot));

        for (int grow = 0; grow <= 2; ++grow) {
            if (grow)
                SetWindowPos(note, nullptr, 0, 0, 220 + 40 * grow, 150 + 30 * grow,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            RECT client, edit, title;
            GetClientRect(note, &client);
            GetWindowRect(z.editWindow, &edit);
            GetWindowRect(z.titleEdit, &title);
            MapWindowPoints(nullptr, note, (POINT *)&edit, 2);
            MapWindowPoints(nullptr, note, (POINT *)&title, 2);
            int h = Strip(slot);
            EXPECT_EQ(edit.left, 0);
            EXPECT_EQ(edit.top, h);
            EXPECT_EQ(edit.right, client.right) << "grow " << grow;
            EXPECT_EQ(edit.bottom, std::max<LONG>(client.bottom, h)) << "grow " << grow;
            EXPECT_EQ(title.left, 0);
            EXPECT_EQ(title.top, 0);
            EXPECT_EQ(title.right, client.right) << "grow " << grow;
            EXPECT_EQ(title.bottom, h);
        }
        DestroyWindow(note);
    }
}

TEST_F(NoteWindow, AnimatedRollIgnoresASecondCommandAndLandsExactly)
{
    ZettlyInfo.animateRoll = 1;
    ZettlyInfo.animationStep = 4;
    int slot = NewNote(200, 200, 200, 240);
    ASSERT_GE(slot, 0);
    HWND note = ZettlyTable[slot].window;
    // A check list beside the note goes with the roll-up, as without animation.
    HWND list = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "list", WS_POPUP | WS_VISIBLE, 400, 200, 80, 80,
                                note, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    ZettlyTable[slot].checkListWindow = list;
    RECT before = WindowRect(note);
    Roll(slot);
    EXPECT_TRUE(ZettlyRollRunning(slot, note));
    Roll(slot); // mid-animation: ignored
    EXPECT_EQ(ZettlyTable[slot].rolledUp, 0) << "set only when the animation ends";
    ASSERT_TRUE(PumpUntil([&] { return !ZettlyRollRunning(slot, note); }, 5000));
    RECT rolled = WindowRect(note);
    EXPECT_EQ(ZettlyTable[slot].rolledUp, 1);
    EXPECT_EQ(rolled.bottom - rolled.top, RolledHeight(slot));
    EXPECT_FALSE(IsWindowVisible(list)) << "the check list stayed open beside the rolled strip";

    Roll(slot);
    EXPECT_EQ(ZettlyTable[slot].rolledUp, 0) << "an unroll clears the flag at once";
    ASSERT_TRUE(PumpUntil([&] { return !ZettlyRollRunning(slot, note); }, 5000));
    RECT after = WindowRect(note);
    EXPECT_TRUE(EqualRect(&before, &after));
    ZettlyTable[slot].checkListWindow = nullptr;
    DestroyWindow(list);
}

TEST_F(NoteWindow, ANoteDestroyedMidAnimationIsNotWrittenTo)
{
    ZettlyInfo.animateRoll = 1;
    ZettlyInfo.animationStep = 1;
    int slot = NewNote(200, 200, 200, 400);
    ASSERT_GE(slot, 0);
    HWND first = ZettlyTable[slot].window;
    std::set<DWORD> threads = ProcessThreads();
    Roll(slot);
    HANDLE animation = ThreadStartedSince(threads);
    ASSERT_NE(animation, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return WindowRect(first).bottom - WindowRect(first).top < 400; }))
        << "the roll never got under way";
    DestroyWindow(first);
    // The slot is taken again at once by a new note.
    ASSERT_EQ(NewNote(300, 300, 200, 400), slot);
    HWND second = ZettlyTable[slot].window;
    ASSERT_NE(second, first);
    EXPECT_FALSE(ZettlyRollRunning(slot, second)) << "the first window's roll is not the second's";
    bool ended = PumpUntil([&] { return WaitForSingleObject(animation, 0) == WAIT_OBJECT_0; });
    CloseHandle(animation);
    ASSERT_TRUE(ended) << "the first window's animation never ended";
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_EQ(ZettlyTable[slot].rolledUp, 0);
    EXPECT_EQ(WindowRect(second).bottom - WindowRect(second).top, 400);
}

TEST_F(NoteWindow, DraggingLatchesOntoVisibleNeighboursOnly)
{
    ZettlyInfo.latching = 1;
    ZettlyInfo.latchDistance = 10;
    int a = NewNote(100, 100, 200, 100);
    int b = NewNote(600, 600, 200, 100);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    HWND moving = ZettlyTable[b].window;
    // Press on the strip at client (20, 4), then drag so the note's top-left
    // would land at (130, 206): 6 pixels below a's bottom edge.
    SendMessageA(moving, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 4));
    int dx = 130 - 600, dy = 206 - 600;
    SendMessageA(moving, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20 + dx, 4 + dy));
    RECT r = WindowRect(moving);
    EXPECT_EQ(r.left, 130);
    EXPECT_EQ(r.top, 200) << "the top latches onto the bottom edge";
    SendMessageA(moving, WM_LBUTTONUP, 0, MAKELPARAM(20, 4));

    // Hidden neighbours are not latched onto.
    ZettlyTable[a].showCommand = SW_HIDE;
    ShowWindow(ZettlyTable[a].window, SW_HIDE);
    MoveZettlyWindow(moving, MAKELPARAM(0, 16), 0, 10, b);
    EXPECT_EQ(WindowRect(moving).top, 206);

    ZettlyTable[a].showCommand = SW_SHOWNORMAL;
    ShowWindow(ZettlyTable[a].window, SW_SHOWNORMAL);
    ZettlyInfo.latching = 0;
    MoveZettlyWindow(moving, MAKELPARAM(0, 10), 0, 10, b);
    EXPECT_EQ(WindowRect(moving).top, 206) << "latching off: the note follows the pointer";
    KillTimer(moving, NOTE_TITLE_TIMER);
}

TEST_F(NoteWindow, TitleEditStoresOnEnterAndKeepsTheOldTitleOnEscape)
{
    int slot = NewNote(100, 100, 300, 120);
    ASSERT_GE(slot, 0);
    ZettlyRecord &z = ZettlyTable[slot];
    std::strcpy(z.title, "Old");
    SendMessageA(z.window, WM_COMMAND, CMD_SET_TITLE, 0);
    ASSERT_TRUE(IsWindowVisible(z.titleEdit));
    EXPECT_EQ(GetFocus(), z.titleEdit);
    SendMessageA(z.titleEdit, EM_SETSEL, 0, -1);
    for (const char *c = "Shopping"; *c; ++c)
        SendMessageA(z.titleEdit, WM_CHAR, (WPARAM)*c, 1);
    SendMessageA(z.titleEdit, WM_CHAR, '\r', 1);
    EXPECT_STREQ(z.title, "Shopping");
    char text[300];
    GetWindowTextA(z.window, text, sizeof text);
    EXPECT_STREQ(text, "Shopping");
    EXPECT_FALSE(IsWindowVisible(z.titleEdit));
    EXPECT_EQ(GetFocus(), z.editWindow);

    SendMessageA(z.window, WM_COMMAND, CMD_SET_TITLE, 0);
    SendMessageA(z.titleEdit, WM_CHAR, 'X', 1);
    SendMessageA(z.titleEdit, WM_CHAR, VK_ESCAPE, 1);
    EXPECT_STREQ(z.title, "Shopping");
    EXPECT_FALSE(IsWindowVisible(z.titleEdit));

    // Leaving the edit stores what was typed; the 256th character is refused.
    SendMessageA(z.window, WM_COMMAND, CMD_SET_TITLE, 0);
    SendMessageA(z.titleEdit, EM_SETSEL, 0, -1);
    for (int i = 0; i < 260; ++i)
        SendMessageA(z.titleEdit, WM_CHAR, 'a' + i % 26, 1);
    EXPECT_EQ(GetWindowTextLengthA(z.titleEdit), 255);
    SetFocus(z.editWindow);
    EXPECT_EQ(std::strlen(z.title), 255u);

    // An empty title is stored as empty.
    SendMessageA(z.window, WM_COMMAND, CMD_SET_TITLE, 0);
    SendMessageA(z.titleEdit, EM_SETSEL, 0, -1);
    SendMessageA(z.titleEdit, WM_CHAR, VK_BACK, 1);
    SendMessageA(z.titleEdit, WM_CHAR, '\r', 1);
    EXPECT_STREQ(z.title, "");
}

TEST_F(NoteWindow, HoldingAPressOnTheStripOpensTheTitleEditButADoubleClickRolls)
{
    int slot = NewNote(100, 100, 300, 150);
    ASSERT_GE(slot, 0);
    ZettlyRecord &z = ZettlyTable[slot];
    // The hold is judged by the pointer, which every test program on the
    // display shares: a try in which another one moved it is made again.
    bool opened = false, moved = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        POINT still, now;
        GetCursorPos(&still);
        moved = false;
        SendMessageA(z.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 4));
        SendMessageA(z.window, WM_LBUTTONUP, 0, MAKELPARAM(30, 4));
        EXPECT_FALSE(IsWindowVisible(z.titleEdit));
        // The hold is recognised when the note asks itself for the title
        // edit; the edit itself may close again at once when another test
        // program takes the focus, so its being shown is no measure.
        opened = PumpUntilDispatched(
            [&](const MSG &msg) {
                GetCursorPos(&now);
                moved = moved || now.x != still.x || now.y != still.y;
                return msg.hwnd == z.window && msg.message == WM_COMMAND &&
                       LOWORD(msg.wParam) == CMD_SET_TITLE;
            },
            2500);
        if (!moved)
            break;
    }
    EXPECT_TRUE(opened) << (moved ? "the pointer moved in every try" : "the pointer stayed still");
    SetFocus(z.editWindow);

    SendMessageA(z.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 4));
    SendMessageA(z.window, WM_LBUTTONUP, 0, MAKELPARAM(30, 4));
    SendMessageA(z.window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 4));
    SendMessageA(z.window, WM_LBUTTONUP, 0, MAKELPARAM(30, 4));
    ASSERT_TRUE(PumpUntil([&] { return z.rolledUp == 1; }));
    // Killing a timer that is no longer there fails: the double-click ended the hold.
    EXPECT_FALSE(KillTimer(z.window, NOTE_TITLE_TIMER)) << "the hold still runs";
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_FALSE(IsWindowVisible(z.titleEdit));
}

TEST_F(NoteWindow, CloseSquareClosesOnlyOnAReleaseInside)
{
    ZettlyInfo.closeButton = 1;
    int slot = NewNote(100, 100, 300, 150);
    ASSERT_GE(slot, 0);
    HWND note = ZettlyTable[slot].window;
    RECT client;
    GetClientRect(note, &client);
    LPARAM inside = MAKELPARAM(client.right - 3, 3);
    LPARAM outside = MAKELPARAM(client.right / 2, 60);

    MessageBoxRecorder boxes(IDNO);
    SendMessageA(note, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageA(note, WM_LBUTTONUP, 0, outside);
    EXPECT_TRUE(boxes.Boxes().empty()) << "released outside: nothing happens";

    SendMessageA(note, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageA(note, WM_LBUTTONUP, 0, inside);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, CLOSE_ZETTLY_QUESTION);
    EXPECT_EQ(boxes.Boxes()[0].caption, ATTENTION_CAPTION);
    EXPECT_TRUE(IsWindow(note)) << "No keeps the note";

    boxes.QueueAnswer(IDYES);
    SendMessageA(note, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageA(note, WM_LBUTTONUP, 0, inside);
    EXPECT_FALSE(IsWindow(note));
    EXPECT_EQ(ZettlyTable[slot].window, nullptr);
    EXPECT_EQ(FindFreeZettlySlot(), slot);
}

TEST_F(NoteWindow, APressOnOneNotesCloseSquareIsNotAnotherNotesClose)
{
    ZettlyInfo.closeButton = 1;
    int pressed = NewNote(100, 100, 300, 150);
    int other = NewNote(420, 100, 300, 150);
    ASSERT_GE(pressed, 0);
    ASSERT_GE(other, 0);
    HWND first = ZettlyTable[pressed].window;
    HWND second = ZettlyTable[other].window;
    RECT client;
    GetClientRect(second, &client);
    LPARAM inside = MAKELPARAM(client.right - 3, 3);

    MessageBoxRecorder boxes(IDYES);
    SendMessageA(first, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageA(second, WM_LBUTTONUP, 0, inside);
    EXPECT_TRUE(boxes.Boxes().empty()) << "the release belongs to a note that was not pressed";
    EXPECT_TRUE(IsWindow(second));
    SendMessageA(first, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, 60));
    EXPECT_TRUE(IsWindow(first));
}

TEST_F(NoteWindow, EditorKeysTabShiftTabAndCtrlY)
{
    int slot = NewNote(100, 100, 300, 200);
    ASSERT_GE(slot, 0);
    HWND edit = ZettlyTable[slot].editWindow;
    SetFocus(edit);
    auto key = [&](WPARAM vk, WPARAM ch) {
        SendMessageA(edit, WM_KEYDOWN, vk, 1);
        if (ch)
            SendMessageA(edit, WM_CHAR, ch, 1);
        SendMessageA(edit, WM_KEYUP, vk, 0xC0000001);
    };
    SetWindowTextA(edit, "abc");
    SendMessageA(edit, EM_SETSEL, 3, 3);
    key(VK_TAB, '\t');
    EXPECT_EQ(EditText(edit), "abc    ") << "Tab inserts four blanks, no TAB";

    SetModifiers(true, false);
    key(VK_TAB, '\t');
    SetModifiers(false, false);
    EXPECT_EQ(EditText(edit), "abc    \t") << "Shift+Tab inserts one TAB";

    // Ctrl+Y deletes the caret's line whichever way its paragraphs end.
    for (std::string eol : {"\r", "\r\n"}) {
        SetWindowTextA(edit, ("one" + eol + "two" + eol + "three").c_str());
        size_t two = EditText(edit).find("two");
        ASSERT_NE(two, std::string::npos);
        SendMessageA(edit, EM_SETSEL, (WPARAM)two + 1, (LPARAM)two + 1);
        SetModifiers(false, true);
        key('Y', 0x19);
        SetModifiers(false, false);
        EXPECT_EQ(EditText(edit), "one" + eol + "three") << "the Ctrl+Y character is swallowed";
    }
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SendMessageA(edit, EM_REPLACESEL, FALSE, (LPARAM) "x");
    EXPECT_EQ(EditText(edit).substr(0, 4), "xone");

    // Tab over a selection indents every line; Shift+Tab takes it back.
    std::string before = EditText(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    key(VK_TAB, '\t');
    std::string indented = EditText(edit);
    EXPECT_EQ(indented[0], ' ');
    EXPECT_EQ(indented.size(), before.size() + 2);
    EXPECT_EQ(indented.find(" three") - indented.find('\r'), before.find("three") - before.find('\r'))
        << "the blank follows the whole line end";
    SetModifiers(true, false);
    key(VK_TAB, '\t');
    SetModifiers(false, false);
    EXPECT_EQ(EditText(edit), before);
}

TEST_F(NoteWindow, TextWalkPositionsMatchTheControl)
{
    int slot = NewNote(100, 100, 300, 200);
    ASSERT_GE(slot, 0);
    HWND edit = ZettlyTable[slot].editWindow;
    SetWindowTextA(edit, "ab\rcd\r\nef");
    std::string text = EditText(edit);
    // Whatever a paragraph end counts in this control, an index into the
    // walked text is a position in the control.
    for (char wanted : {'c', 'e', 'f'}) {
        size_t at = text.find(wanted);
        ASSERT_NE(at, std::string::npos);
        CHARRANGE one = {(LONG)at, (LONG)at + 1};
        SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&one);
        char got[8] = {};
        SendMessageA(edit, EM_GETSELTEXT, 0, (LPARAM)got);
        EXPECT_EQ(got[0], wanted) << text.size();
    }
}

TEST_F(NoteWindow, LineColumnIndicatorFollowsTheCaret)
{
    ZettlyInfo.lineColumnInfo = 1;
    int slot = NewNote(100, 100, 300, 200);
    ASSERT_GE(slot, 0);
    HWND edit = ZettlyTable[slot].editWindow;
    auto *state = (ZettlyEditState *)GetWindowLongPtrA(edit, GWLP_USERDATA);
    SetForegroundWindow(ZettlyTable[slot].window);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    ASSERT_NE(state->lineColumn, nullptr);
    SetWindowTextA(edit, "first\rsecond\rthird");
    LONG line2 = (LONG)SendMessageA(edit, EM_LINEINDEX, 1, 0);
    SendMessageA(edit, EM_SETSEL, line2 + 3, line2 + 3);
    SendMessageA(edit, WM_KEYUP, VK_RIGHT, 0xC0000001);
    char text[64];
    GetWindowTextA(state->lineColumn, text, sizeof text);
    EXPECT_STREQ(text, "Line 2 Col 4");
    EXPECT_TRUE(IsWindowVisible(state->lineColumn));

    // A selection dragged backwards reports its start.
    SendMessageA(edit, EM_SETSEL, line2 + 3, line2 + 1);
    CHARRANGE sel;
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&sel);
    SendMessageA(edit, WM_KEYUP, VK_LEFT, 0xC0000001);
    GetWindowTextA(state->lineColumn, text, sizeof text);
    EXPECT_STREQ(text, "Line 2 Col 2");

    // Select All ends behind the last paragraph mark; the indicator shows the
    // end of the text, as Ctrl+End does.
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_KEYUP, 'A', 0xC0000001);
    GetWindowTextA(state->lineColumn, text, sizeof text);
    EXPECT_STREQ(text, "Line 3 Col 6");

    SetFocus(ZettlyTable[slot].window);
    EXPECT_FALSE(IsWindowVisible(state->lineColumn)) << "hidden when the editor loses the focus";
}

TEST_F(NoteWindow, AnEditorThatCannotBeCreatedIsReportedAndTheSlotStaysFree)
{
    MessageBoxRecorder boxes;
    int slot = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    {
        WindowClassRefusal noEditor(RICH_EDIT_CLASS);
        EXPECT_EQ(CreateZettlyWindow(nullptr, slot, TRUE, TRUE), -1);
    }
    ASSERT_GE(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Can't Create Edit Control");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Out Of Memory");
    EXPECT_EQ(ZettlyTable[slot].window, nullptr);
    EXPECT_EQ(FindFreeZettlySlot(), slot);
    // The shared menu and icons survive: the next note is made normally.
    EXPECT_EQ(NewNote(10, 10, 200, 100), slot);
}

TEST_F(NoteWindow, TheSharedMenuLivesWhileANoteWindowDoesAndARefusedOneLeavesIt)
{
    int slot = NewNote(10, 10, 200, 100);
    ASSERT_GE(slot, 0);
    // The slot past the notes' range is refused before the window takes the menu.
    HWND refused = CreateWindowExA(WS_EX_TOOLWINDOW, ZETTLY_NOTE_CLASS, nullptr, WS_POPUP, 0, 0,
                                   50, 50, nullptr, nullptr, GetModuleHandleA(nullptr),
                                   (LPVOID)(INT_PTR)(ZETTLY_LAST_NOTE_SLOT + 1));
    EXPECT_EQ(refused, nullptr);
    HMENU menu = (HMENU)SendMessageA(ZettlyTable[slot].window, WM_CONTEXTMENU, 0, 0);
    ASSERT_TRUE(IsMenu(menu)) << "the refused window gave back a menu it never took";
    // One that took the menu and then failed gives it back.
    {
        MessageBoxRecorder boxes;
        WindowClassRefusal noEditor(RICH_EDIT_CLASS);
        int failing = FindFreeZettlySlot();
        CloneZettly(ZETTLY_DEFAULT_SLOT, failing);
        ASSERT_EQ(CreateZettlyWindow(nullptr, failing, TRUE, TRUE), -1);
    }

    DestroyWindow(ZettlyTable[slot].window);
    EXPECT_FALSE(IsMenu(menu)) << "the last note window takes the menu with it";
    slot = NewNote(10, 10, 200, 100);
    ASSERT_GE(slot, 0);
    EXPECT_TRUE(IsMenu((HMENU)SendMessageA(ZettlyTable[slot].window, WM_CONTEXTMENU, 0, 0)));
}

namespace {
// What reaches the control is the note's decision; the system clipboard is
// shared by every test program on the display and proves nothing more.
WNDPROC EditProcBeforeSpy;
std::vector<UINT> ClipboardRequests;
int FocusGains;

LRESULT CALLBACK ClipboardSpy(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPY || message == WM_CUT)
        ClipboardRequests.push_back(message);
    if (message == WM_SETFOCUS)
        ++FocusGains;
    return CallWindowProcA(EditProcBeforeSpy, edit, message, wParam, lParam);
}
} // namespace

TEST_F(NoteWindow, AutoCopyFollowsADragButNotTheFocusingClick)
{
    ZettlyInfo.autoCopy = 1;
    int slot = NewNote(100, 100, 300, 200);
    ASSERT_GE(slot, 0);
    HWND edit = ZettlyTable[slot].editWindow;
    SetWindowTextA(edit, "hello world");
    ClipboardRequests.clear();
    EditProcBeforeSpy = (WNDPROC)SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)ClipboardSpy);
    LPARAM at = MAKELPARAM(2, 2);
    // Later presses go to an editor that has the focus already. While other
    // test programs take the activation, the focus can come back on the
    // SetFocus before a press: the note rightly counts the next press as a
    // focusing one, so a plain click spends it first. Only a gain during the
    // press itself (no messages are pumped there) makes the try count for
    // nothing, and it is made again.
    auto press = [&](WPARAM downKeys, WPARAM upKeys, bool drag, WPARAM from, LPARAM to) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            SetFocus(edit);
            ASSERT_TRUE(PumpPostedMessages());
            SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(edit, WM_LBUTTONUP, 0, at);
            ASSERT_TRUE(PumpPostedMessages());
            ClipboardRequests.clear();
            int gains = FocusGains;
            SendMessageA(edit, WM_LBUTTONDOWN, downKeys, at);
            if (drag)
                SendMessageA(edit, WM_MOUSEMOVE, MK_LBUTTON, at);
            SendMessageA(edit, EM_SETSEL, from, to);
            SendMessageA(edit, WM_LBUTTONUP, upKeys, at);
            bool focusing = FocusGains != gains;
            ASSERT_TRUE(PumpPostedMessages());
            if (!focusing)
                return;
        }
    };
    // The press into an unfocused note gives its editor the focus before the
    // drag and the release come.
    SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(edit, WM_SETFOCUS, (WPARAM)ZettlyTable[slot].window, 0);
    SendMessageA(edit, WM_MOUSEMOVE, MK_LBUTTON, at);
    SendMessageA(edit, EM_SETSEL, 0, 5);
    SendMessageA(edit, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_TRUE(ClipboardRequests.empty()) << "the click that focused the note copies nothing";
    press(MK_LBUTTON, 0, true, 0, 5);
    EXPECT_EQ(ClipboardRequests, std::vector<UINT>{WM_COPY}) << "a drag copies its selection";

    ZettlyInfo.autoCopy = 0;
    press(MK_LBUTTON, 0, true, 0, 5);
    EXPECT_TRUE(ClipboardRequests.empty()) << "auto-copy off";
    press(MK_LBUTTON | MK_CONTROL, MK_CONTROL, false, 6, 11);
    EXPECT_EQ(ClipboardRequests, std::vector<UINT>{WM_COPY}) << "Ctrl+click copies anyway";
    SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)EditProcBeforeSpy);
}

TEST_F(NoteWindow, RoundBorderGivesTheWindowARegion)
{
    ZettlyInfo.roundBorder = 1;
    int slot = NewNote(100, 100, 200, 120);
    ASSERT_GE(slot, 0);
    HWND note = ZettlyTable[slot].window;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(note, region), ERROR);
    ZettlyInfo.roundBorder = 0;
    SetWindowPos(note, nullptr, 0, 0, 210, 120, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(GetWindowRgn(note, region), ERROR) << "the region goes with the setting";
    DeleteObject(region);
}

TEST_F(NoteWindow, WindowUserCodesAnswerAndTheTitleTimerNeedsAStillPointer)
{
    int slot = NewNote(100, 100, 200, 120);
    ASSERT_GE(slot, 0);
    HWND edit = ZettlyTable[slot].editWindow;
    EXPECT_EQ(SendMessageA(edit, WM_USER, EDIT_GET_TOOLBAR, 0), (LRESULT)EditToolbarWindow);
    EXPECT_EQ(SendMessageA(ZettlyTable[slot].window, WM_CONTEXTMENU, 0, 0) != 0, true)
        << "the note menu is handed out without being shown";
    // A drag moves the pointer away from the press: no title edit.
    POINT was;
    GetCursorPos(&was);
    SendMessageA(ZettlyTable[slot].window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 4));
    SetCursorPos(was.x + 40, was.y + 40);
    HWND note = ZettlyTable[slot].window;
    EXPECT_TRUE(PumpUntilDispatched([note](const MSG &m) {
        return m.hwnd == note && m.message == WM_TIMER && m.wParam == NOTE_TITLE_TIMER;
    })) << "the hold's timer never came";
    SetCursorPos(was.x, was.y);
    SendMessageA(ZettlyTable[slot].window, WM_LBUTTONUP, 0, MAKELPARAM(20, 4));
    EXPECT_FALSE(IsWindowVisible(ZettlyTable[slot].titleEdit));
}

TEST_F(NoteWindow, FontSizeCommandsSetTwentyTwipsAPoint)
{
    int slot = NewNote(100, 100, 300, 200);
    ASSERT_GE(slot, 0);
    HWND edit = ZettlyTable[slot].editWindow;
    SetWindowTextA(edit, "sized text");
    SendMessageA(edit, EM_SETSEL, 0, 5);
    SendMessageA(edit, WM_COMMAND, 9004, 0); // 10 points
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    EXPECT_EQ(format.yHeight, 200);
    SendMessageA(edit, EM_SETSEL, 0, 5);
    SendMessageA(edit, WM_COMMAND, 9017, 0); // 72 points
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    EXPECT_EQ(format.yHeight, 1440);
}
