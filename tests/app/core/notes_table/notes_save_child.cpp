// A copy of the program's save that the crash test stops dead at a chosen
// file operation: "notes_save_child <folder> <step>" loads the notes of the
// folder, replaces them with four new ones and saves, killing itself right
// after file operation <step>. Exit code 0: the save ran to its end.
#include <cstdlib>

#include "notes_file_fixture.h"

using namespace notes_test;

enum { KILLED = 77 };
static int KillStep;

static void KillAtStep(int step)
{
    if (step == KillStep)
        TerminateProcess(GetCurrentProcess(), KILLED);
}

int main(int argc, char **argv)
{
    if (argc != 3 || !SetCurrentDirectoryA(argv[1]))
        return 2;
    KillStep = std::atoi(argv[2]);
    PrepareNoteWindows();
    ResetDefaultSettings();
    if (PrepareZettlyFileSet() != 0 || LoadZettlies() != 3)
        return 3;
    DestroyAllNotes();
    for (int i = 0; i < 4; ++i) {
        if (MakeNote(i, i) != 0)
            return 4;
        WriteRichText(ZettlyTable[i].editWindow, "A2 " + std::to_string(i));
    }
    SetNotesFileStepHook(KillAtStep);
    return SaveZettlies(nullptr) == 0 ? 0 : 5;
}
