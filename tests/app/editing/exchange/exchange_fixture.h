// A note table with real note windows in this process.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/notes_table/zettly_slots.h"
#include "test_support.h"

class NoteTableTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A new shown note with this title and plain text; its slot.
    int NewNote(const char *title, const char *text);
    std::string NoteText(int slot);
    int CountNotes();
    // Marks every slot a new note could take as in use.
    void FillAllFreeSlots();
};

// A default record with this title, and its export form (header, record, text).
ZettlyRecord TitledRecord(const char *title);
std::string ExportBytes(const ZettlyRecord &record, const std::string &text);
