#include <gtest/gtest.h>

#include <cstring>

#include "core/core_ids.h"
#include "core/note_window/group_window.h"
#include "core/note_window/note_window.h"
#include "core/note_window/window_creation.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "test_support.h"

namespace {

class ZettlySlots : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
        // A note window makes its rich-edit child as it is created.
        LoadLibraryA(RICH_EDIT_LIBRARY);
        RegisterNoteClass(GetModuleHandleA(nullptr));
        RegisterGroupClass(GetModuleHandleA(nullptr));
        ResetDefaultSettings();
    }
    void TearDown() override
    {
        for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
            if (ZettlyTable[slot].window)
                DestroyWindow(ZettlyTable[slot].window);
    }
    int NewNote()
    {
        int slot = FindFreeZettlySlot();
        if (slot < 0)
            return -1;
        CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
        return CreateZettlyWindow(nullptr, slot, TRUE, FALSE) == 0 ? slot : -1;
    }
};

} // namespace

TEST_F(ZettlySlots, NewNoteIsAWindowTenPixelsOffTheDefault)
{
    int slot = NewNote();
    ASSERT_EQ(slot, 0);
    ASSERT_NE(ZettlyTable[0].window, nullptr);
    EXPECT_EQ(FindZettlyByWindow(ZettlyTable[0].window), 0);
    RECT r;
    GetWindowRect(ZettlyTable[0].window, &r);
    const ZettlyRect &d = ZettlyTable[ZETTLY_DEFAULT_SLOT].windowRect;
    EXPECT_EQ(r.left, d.left + 10);
    EXPECT_EQ(r.top, d.top + 10);
    EXPECT_EQ(r.right - r.left, d.right - d.left);

    // a clone of a note is offset from the place the user moved it to, not its stored one
    ReleaseZettlyPlace(ZettlyTable[0].window);
    SetWindowPos(ZettlyTable[0].window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_EQ(NewNote(), 1);
    GetWindowRect(ZettlyTable[1].window, &r);
    EXPECT_EQ(r.left, d.left + 10) << "every new note starts from the default record";
    CloneZettly(0, 2);
    EXPECT_EQ(ZettlyTable[2].windowRect.left, 310);
    EXPECT_EQ(ZettlyTable[2].windowRect.top, 210);
}

TEST_F(ZettlySlots, DestroyingANoteFreesItsSlot)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    DestroyWindow(ZettlyTable[slot].window);
    EXPECT_EQ(ZettlyTable[slot].window, nullptr);
    EXPECT_EQ(FindFreeZettlySlot(), slot);
}

TEST_F(ZettlySlots, RolledUpNoteKeepsItsUnrolledHeight)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    ZettlyRecord &z = ZettlyTable[slot];
    z.unrolledRect = {0, 0, 200, 180};
    z.rolledUp = 1;
    ReleaseZettlyPlace(z.window); // moved by the user
    SetWindowPos(z.window, nullptr, 50, 60, 200, 20, SWP_NOZORDER);
    StoreZettlyRect(slot);
    EXPECT_EQ(z.windowRect.top, 60);
    EXPECT_EQ(z.windowRect.bottom, 60 + 180);
}

TEST_F(ZettlySlots, NoteLeftOfTheScreenIsBroughtBackWithItsWidth)
{
    int slot = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    ZettlyTable[slot].windowRect = {-400, 100, -250, 160};
    ASSERT_EQ(CreateZettlyWindow(nullptr, slot, TRUE, FALSE), 0);
    RECT r;
    GetWindowRect(ZettlyTable[slot].window, &r);
    EXPECT_EQ(r.right, 5);
    EXPECT_EQ(r.right - r.left, 150);
}

TEST_F(ZettlySlots, CaptureCopiesTheTextForSaving)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = CreateWindowExA(0, "EDIT", "remember the milk", WS_CHILD, 0, 0, 10, 10,
                                ZettlyTable[slot].window, nullptr, nullptr, nullptr);
    ZettlyTable[slot].editWindow = edit;
    EXPECT_EQ(FindZettlyByEdit(edit), slot);
    CaptureZettly(slot, TRUE);
    ASSERT_NE(ZettlyTable[slot].pendingText, nullptr);
    EXPECT_STREQ(ZettlyTable[slot].pendingText, "remember the milk");
    EXPECT_EQ(ZettlyTable[slot].textLength, 17);
    free(ZettlyTable[slot].pendingText);
    ZettlyTable[slot].pendingText = nullptr;
}

TEST_F(ZettlySlots, CreationFailureIsReportedAndLeavesTheSlotFree)
{
    MessageBoxRecorder boxes;
    int slot = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    UnregisterClassA(ZETTLY_NOTE_CLASS, GetModuleHandleA(nullptr));
    EXPECT_EQ(CreateZettlyWindow(nullptr, slot, TRUE, FALSE), -1);
    EXPECT_EQ(ZettlyTable[slot].window, nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Window Create Error");
    EXPECT_EQ(boxes.Boxes()[0].text, "Unable to create zettly!");
}

TEST_F(ZettlySlots, MemberPositionStaysBelowTheGroupTitle)
{
    int group = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, group);
    ZettlyTable[group].isGroup = 1;
    ZettlyTable[group].windowRect = {100, 100, 500, 400};
    ASSERT_EQ(CreateZettlyWindow(nullptr, group, TRUE, FALSE), 0);
    int note = NewNote();
    ASSERT_GE(note, 0);
    ZettlyTable[note].isMember = 1;
    ZettlyTable[note].groupSlot = group;
    RECT gr;
    GetWindowRect(ZettlyTable[group].window, &gr);
    int x = gr.left + 50, y = gr.top + 1;
    EXPECT_EQ(PlaceInGroup(note, &x, &y, TRUE), 1);
    POINT origin = {0, 0};
    ClientToScreen(ZettlyTable[group].window, &origin);
    EXPECT_EQ(x, gr.left + 50 - origin.x) << "the same screen column inside the group";
    EXPECT_GE(y, GetFontCharHeight(ZettlyTable[group].window, group));

    int fx = 10, fy = 30;
    ZettlyTable[note].isMember = 0;
    EXPECT_EQ(PlaceInGroup(note, &fx, &fy, TRUE), 1);
    EXPECT_EQ(fx, 10) << "a free note is not moved";
}
