// Real note windows for the editing features' tests: the note class, its
// edit control and the note table, as the program sets them up.
#pragma once
#include <gtest/gtest.h>

#include <richedit.h>

#include <cstring>
#include <string>

#include "core/core_ids.h"
#include "core/editing_features.h"
#include "core/main_window/startup.h"
#include "core/note_editor/note_edit.h"
#include "core/note_editor/text_walk_edit.h"
#include "core/note_window/note_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "test_support.h"

class EditingNotes : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadLibraryA(RICH_EDIT_LIBRARY);
        RegisterNoteClass(GetModuleHandleA(nullptr));
        NoteAccelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(120));
        EditAccelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(134));
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
        PumpUntil([] { return false; }, 20);
    }
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
    static HWND Edit(int slot) { return ZettlyTable[slot].editWindow; }
    static std::string Text(int slot)
    {
        std::string text;
        ReadEditText(Edit(slot), &text);
        return text;
    }
    static void Select(int slot, long start, long end)
    {
        CHARRANGE range = {start, end};
        SendMessageA(Edit(slot), EM_EXSETSEL, 0, (LPARAM)&range);
    }
    static CHARRANGE Selection(int slot)
    {
        CHARRANGE range = {};
        SendMessageA(Edit(slot), EM_EXGETSEL, 0, (LPARAM)&range);
        return range;
    }
};
