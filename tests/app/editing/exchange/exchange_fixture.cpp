#include "exchange_fixture.h"

#include <cstdio>
#include <cstring>

#include "core/core_ids.h"
#include "core/note_window/note_window.h"
#include "editing/exchange/export_record.h"
#include "core/note_window/window_creation.h"

static HMODULE RichEdit;

void NoteTableTest::SetUp()
{
    if (!RichEdit)
        RichEdit = LoadLibraryA(RICH_EDIT_LIBRARY);
    std::memset(ZettlyTable, 0, sizeof ZettlyTable);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ZettlyWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = ZETTLY_NOTE_CLASS;
    RegisterClassA(&wc);
    ResetDefaultSettings();
}

void NoteTableTest::TearDown()
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        HWND window = ZettlyTable[slot].window;
        if (window && IsWindow(window))
            DestroyWindow(window);
        ZettlyTable[slot].window = nullptr;
    }
}

int NoteTableTest::NewNote(const char *title, const char *text)
{
    int slot = FindFreeZettlySlot();
    if (slot < 0)
        return -1;
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    lstrcpynA(ZettlyTable[slot].title, title, ZETTLY_TITLE_BYTES);
    if (CreateZettlyWindow(nullptr, slot, TRUE, TRUE) != 0)
        return -1;
    SendMessageA(ZettlyTable[slot].editWindow, WM_SETTEXT, 0, (LPARAM)text);
    return slot;
}

std::string NoteTableTest::NoteText(int slot)
{
    if (slot < 0 || !ZettlyTable[slot].editWindow)
        return "<no note>";
    char text[4096] = {};
    GetWindowTextA(ZettlyTable[slot].editWindow, text, sizeof text);
    return text;
}

int NoteTableTest::CountNotes()
{
    int count = 0;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        count += ZettlyTable[slot].window != nullptr;
    return count;
}

void NoteTableTest::FillAllFreeSlots()
{
    // A window handle that is no window: the slot counts as taken.
    for (int slot = 0; slot <= ZETTLY_LAST_NEW_SLOT; ++slot)
        if (!ZettlyTable[slot].window)
            ZettlyTable[slot].window = (HWND)(UINT_PTR)(0x7000 + slot * 4);
}

ZettlyRecord TitledRecord(const char *title)
{
    ZettlyRecord r;
    FillDefaultRecord(&r, 1280, 1024);
    lstrcpynA(r.title, title, ZETTLY_TITLE_BYTES);
    return r;
}

std::string ExportBytes(const ZettlyRecord &record, const std::string &text)
{
    uint8_t head[ZETTLY_EXPORT_HEADER_BYTES + ZETTLY_RECORD_BYTES];
    WriteExportHeader(head);
    PackZettlyRecord(&record, head + ZETTLY_EXPORT_HEADER_BYTES);
    return std::string((const char *)head, sizeof head) + text;
}
