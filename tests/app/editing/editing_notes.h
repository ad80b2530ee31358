// Notes for the editing features' tests, with their edit controls at hand.
#pragma once
#include <richedit.h>

#include <string>

#include "core/note_editor/note_edit.h"
#include "core/note_editor/text_walk_edit.h"
#include "note_fixture.h"

class EditingNotes : public NoteTestBase {
protected:
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
