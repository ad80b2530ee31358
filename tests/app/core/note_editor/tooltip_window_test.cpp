#include <gtest/gtest.h>

#include <cstring>

#include "core/core_ids.h"
#include "core/note_editor/note_edit.h"
#include "core/note_window/note_window.h"
#include "core/note_editor/tooltip_window.h"
#include "core/note_editor/transparency.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "test_support.h"
#include "core/note_window/window_creation.h"

namespace {

HWND Toolbar;

// An editor that answers the toolbar question as the note's edit control does.
// Test programs run side by side on one desktop: the note is looked for among
// this thread's windows, never by class across the desktop.
BOOL CALLBACK TakeNoteWindow(HWND window, LPARAM found)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, ZETTLY_NOTE_CLASS) != 0)
        return TRUE;
    *(HWND *)found = window;
    return FALSE;
}

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER && wParam == EDIT_GET_TOOLBAR)
        return (LRESULT)Toolbar;
    return DefWindowProcA(window, message, wParam, lParam);
}

class ToolTipWindow : public ::testing::Test {
protected:
    ZettlyEditState state = {};
    HWND tip = nullptr;
    int slot = -1;

    void SetUp() override
    {
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
        SetDefaultInfoSettings(&ZettlyInfo);
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.lpszClassName = ZETTLY_NOTE_CLASS;
        RegisterClassA(&wc);
        wc.lpfnWndProc = EditorProc;
        wc.lpszClassName = "ZtEditorStandIn";
        RegisterClassA(&wc);
        RegisterToolTipClass(instance);
        ResetDefaultSettings();
        Toolbar = nullptr;

        slot = FindFreeZettlySlot();
        CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
        ZettlyTable[slot].windowRect = {300, 200, 500, 260};
        ASSERT_EQ(CreateZettlyWindow(nullptr, slot, TRUE, TRUE), 0);
        // The stand-in note class does not fill in the slot itself.
        HWND note = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), TakeNoteWindow, (LPARAM)&note);
        ZettlyTable[slot].window = note;
        ASSERT_NE(ZettlyTable[slot].window, nullptr);
        state.slot = slot;
        state.note = ZettlyTable[slot].window;
        state.edit = CreateWindowA("ZtEditorStandIn", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                         nullptr, instance, nullptr);
        tip = ShowZettlyToolTip(&state);
        ASSERT_NE(tip, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(tip);
        DestroyWindow(state.edit);
        if (Toolbar)
            DestroyWindow(Toolbar);
        DestroyWindow(ZettlyTable[slot].window);
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
    }
    RECT PaintedPlace(const char *text)
    {
        SetWindowTextA(tip, text);
        ShowWindow(tip, SW_SHOWNA);
        InvalidateRect(tip, nullptr, TRUE);
        UpdateWindow(tip);
        RECT r;
        GetWindowRect(tip, &r);
        return r;
    }
};

} // namespace

TEST_F(ToolTipWindow, MadeHiddenAndTopmost)
{
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_TRUE(GetWindowLongPtrA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongPtrA(tip, GWL_STYLE) & WS_DISABLED);
    EXPECT_EQ((ZettlyEditState *)GetWindowLongPtrA(tip, GWLP_USERDATA), &state);
}

TEST_F(ToolTipWindow, HangsCentredBelowTheNote)
{
    RECT r = PaintedPlace("Ln 3, Col 14");
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(r.top, 260);
    EXPECT_GT(r.right - r.left, 10);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - 400), 2) << "centred on the note";

    RECT wide = PaintedPlace("A line/column text a good deal wider than the note itself is");
    EXPECT_LT(wide.left, 300) << "sticks out on the left";
    EXPECT_GT(wide.right, 500) << "and on the right";
}

TEST_F(ToolTipWindow, NeverStartsLeftOfTheEditToolbar)
{
    Toolbar = CreateWindowA("STATIC", "", WS_POPUP, 250, 262, 180, 20, nullptr, nullptr, nullptr,
                            nullptr);
    RECT r = PaintedPlace("Ln 1, Col 1");
    EXPECT_EQ(r.left, 430);
}

TEST_F(ToolTipWindow, HidesItselfWhileTheNoteIsRolledUpOrHidden)
{
    PaintedPlace("Ln 1, Col 1");
    ZettlyTable[slot].rolledUp = 1;
    PaintedPlace("Ln 1, Col 2");
    EXPECT_FALSE(IsWindowVisible(tip));
    ZettlyTable[slot].rolledUp = 0;
    ZettlyTable[slot].showCommand = 0;
    PaintedPlace("Ln 1, Col 3");
    EXPECT_FALSE(IsWindowVisible(tip));
    ZettlyTable[slot].showCommand = 1;
    PaintedPlace("Ln 1, Col 4");
    EXPECT_TRUE(IsWindowVisible(tip));
}

TEST_F(ToolTipWindow, TakesTheNoteTransparency)
{
    ZettlyTable[slot].ownAlpha = 1;
    ZettlyTable[slot].alphaValue = 90;
    HWND second = ShowZettlyToolTip(&state);
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(second, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 90);
    DestroyWindow(second);
}

TEST(ToolTipClass, NoTooltipWithoutTheClass)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterToolTipClass(instance);
    UnregisterToolTipClass(instance);
    ZettlyEditState state = {};
    EXPECT_EQ(ShowZettlyToolTip(&state), nullptr);
    RegisterToolTipClass(instance);
}

// ---- transparency

namespace {
HWND PlainWindow()
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr,
                           nullptr);
}
BYTE AlphaOf(HWND window)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA))
        return 0;
    return alpha;
}
bool IsLayered(HWND window)
{
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}
} // namespace

TEST(WindowAlpha, ClampedAndRemovable)
{
    HWND window = PlainWindow();
    SetWindowAlpha(window, -1);
    EXPECT_FALSE(IsLayered(window)) << "an opaque window stays as it was";
    SetWindowAlpha(window, 300);
    EXPECT_TRUE(IsLayered(window));
    EXPECT_EQ(AlphaOf(window), 255);
    SetWindowAlpha(window, 20);
    EXPECT_EQ(AlphaOf(window), 20);
    SetWindowAlpha(window, -1);
    EXPECT_FALSE(IsLayered(window));
    DestroyWindow(window);
}

TEST(WindowAlpha, NoteOwnAlphaWinsOverTheGlobalOne)
{
    std::memset(ZettlyTable, 0, sizeof ZettlyTable);
    SetDefaultInfoSettings(&ZettlyInfo);
    HWND window = PlainWindow();
    ApplyZettlyAlpha(window, 3);
    EXPECT_FALSE(IsLayered(window));

    ZettlyInfo.allTransparent = 1;
    ZettlyInfo.allAlpha = 150;
    ApplyZettlyAlpha(window, 3);
    EXPECT_EQ(AlphaOf(window), 150);

    ZettlyTable[3].ownAlpha = 1;
    ZettlyTable[3].alphaValue = 60;
    ApplyZettlyAlpha(window, 3);
    EXPECT_EQ(AlphaOf(window), 60);
    ZettlyInfo.allTransparent = 0;
    ApplyZettlyAlpha(window, 3);
    EXPECT_EQ(AlphaOf(window), 60) << "whether or not the global setting is on";

    ZettlyTable[3].ownAlpha = 0;
    ApplyZettlyAlpha(window, 3);
    EXPECT_FALSE(IsLayered(window));
    DestroyWindow(window);
    SetDefaultInfoSettings(&ZettlyInfo);
}
