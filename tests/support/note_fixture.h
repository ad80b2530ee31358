// Real note windows for window tests: the note class with its key tables,
// the note table and the settings reset as the program sets them up.
#pragma once
#include <gtest/gtest.h>

#include <cstring>

#include "core/core_ids.h"
#include "core/note_editor/note_edit.h"
#include "core/note_editor/tooltip_window.h"
#include "core/note_window/note_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "test_support.h"
#include "core/note_window/window_creation.h"

class NoteTestBase : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadLibraryA(RICH_EDIT_LIBRARY);
        RegisterNoteClass(GetModuleHandleA(nullptr));
        RegisterToolTipClass(GetModuleHandleA(nullptr));
        NoteKeys.note = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(120));
        NoteKeys.edit = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(134));
    }
    void SetUp() override
    {
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
        SetDefaultInfoSettings(&ZettlyInfo);
        ResetDefaultSettings();
        ZettlyInfo.soundEffects = 0;
        ZettlyInfo.animateRoll = 0;
        ZettlyInfo.lineColumnInfo = 0;
    }
    void TearDown() override
    {
        for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
            if (ZettlyTable[slot].window)
                DestroyWindow(ZettlyTable[slot].window);
        PumpPostedMessages();
    }
    // A shown note with its top-left at (x, y) and the given outer size.
    int NewNote(int x, int y, int width, int height)
    {
        int slot = FindFreeZettlySlot();
        if (slot < 0)
            return -1;
        CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
        ZettlyTable[slot].windowRect = {x, y, x + width, y + height};
        if (CreateZettlyWindow(nullptr, slot, TRUE, TRUE) != 0)
            return -1;
        return slot;
    }
};
