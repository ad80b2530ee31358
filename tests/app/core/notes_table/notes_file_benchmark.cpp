// Save and load of a full table: 254 notes of about 4 KB of rich text each.
// Prints milliseconds beside what the rich-edit control and the window system
// alone take for the same notes. Not a test: run it by hand.
#include <cstdio>

#include "core/notes_table/rich_text_stream.h"
#include "notes_file_fixture.h"

using namespace notes_test;

enum { NOTES = 254 };

static double Since(LARGE_INTEGER from)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (double)(now.QuadPart - from.QuadPart) / (double)frequency.QuadPart;
}

static LARGE_INTEGER Now(void)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

int main()
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    lstrcatA(folder, "zt-notes-benchmark");
    CreateDirectoryA(folder, nullptr);
    SetCurrentDirectoryA(folder);
    PrepareNoteWindows();
    ResetDefaultSettings();
    PrepareZettlyFileSet();
    std::string filler;
    while (filler.size() < 4000)
        filler += "Lorem ipsum dolor sit amet, consectetur adipiscing elit. ";
    for (int i = 0; i < NOTES; ++i) {
        if (MakeNote(i, i % 20) != 0)
            return 1;
        WriteRichText(ZettlyTable[i].editWindow, filler + std::to_string(i));
    }

    static char block[1 << 20];
    LARGE_INTEGER t = Now();
    for (int i = 0; i < NOTES; ++i) {
        MemoryWriter writer = {block, sizeof block, 0};
        EDITSTREAM stream = {(DWORD_PTR)&writer, 0, StreamOutToMemory};
        SendMessageA(ZettlyTable[i].editWindow, EM_STREAMOUT, SF_RTF, (LPARAM)&stream);
    }
    double streamOut = Since(t);

    t = Now();
    int saved = SaveZettlies((HWND)1); // no progress window
    double save = Since(t);

    ZettlyRecord records[NOTES];
    std::memcpy(records, ZettlyTable, sizeof records);
    DestroyAllNotes();
    t = Now();
    int loaded = LoadZettlies();
    double load = Since(t);

    DestroyAllNotes();
    std::memcpy(ZettlyTable, records, sizeof records);
    t = Now();
    for (int i = 0; i < NOTES; ++i) {
        ZettlyTable[i].window = ZettlyTable[i].editWindow = nullptr;
        CreateZettlyWindow(nullptr, i, FALSE, TRUE);
    }
    double windows = Since(t);

    std::printf("save (%d): %.0f ms; the control's RTF output alone: %.0f ms (%.2fx)\n", saved,
                save, streamOut, save / streamOut);
    std::printf("load (%d notes): %.0f ms; making and showing the windows alone: %.0f ms "
                "(%.2fx)\n",
                loaded, load, windows, load / windows);
    DestroyAllNotes();
    CloseZettlyFileSet();
    for (const char *name : {"zettly.rec", "zettly.str", "zettly_chklist.str", "zettly.ok",
                             "zettly.rec_priorsave", "zettly.str_priorsave",
                             "zettly_chklist.str_priorsave"})
        DeleteFileA(name);
    SetCurrentDirectoryA("..");
    RemoveDirectoryA(folder);
    return 0;
}
