// Saves that run while the rest of the program works: the wallpaper changer
// on its thread and an import of notes on the GUI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

#include "editing/exchange/exchange_ids.h"
#include "editing/exchange/export_files.h"
#include "notes_file_case.h"
#include "wallpaper_change.h"

using namespace notes_test;

using NotesFile = NotesFileCase;

namespace {
struct PictureChanges {
    std::string folder;
    HANDLE stop;
    int changes;
};
DWORD WINAPI ChangePicturesUntilStopped(LPVOID p)
{
    PictureChanges *c = (PictureChanges *)p;
    char path[MAX_PATH * 2];
    while (WaitForSingleObject(c->stop, 0) == WAIT_TIMEOUT &&
           FindNextImageFile(c->folder.c_str(), path, sizeof path) == 0)
        ++c->changes;
    return 0;
}
struct SaveLoop {
    HWND owner;
    int rounds;
    int failed;
    std::atomic<int> done;
};
DWORD WINAPI SaveInALoop(LPVOID p)
{
    SaveLoop *loop = (SaveLoop *)p;
    for (int i = 0; i < loop->rounds; ++i) {
        if (SaveZettlies(loop->owner) != 0)
            ++loop->failed;
        ++loop->done;
    }
    return 0;
}
std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}
} // namespace

// The auto-save runs in a loop on its own thread while the wallpaper changer's
// thread picks the next picture (where it once moved the process's current
// folder) and this thread, the GUI thread, imports a folder of notes, with the
// process's current folder somewhere else altogether: every save lands whole
// in the data folder and nothing is written anywhere else.
TEST_F(NotesFile, SavesLandInTheDataFolderWhileTheChangerAndImportRun)
{
    ScopedTempFolder pictures, exports, elsewhere;
    struct BackHome {
        std::string folder;
        ~BackHome() { SetCurrentDirectoryA(folder.c_str()); }
    } backHome{data.Path()}; // a current folder cannot be removed
    for (const char *name : {"\\a.jpg", "\\b.jpg", "\\c.jpg"})
        std::ofstream(pictures.Path() + name) << "x";
    MakeNotes(2, "moving ");
    ASSERT_NE(WriteZettlyFile((exports.Path() + "\\one.exp").c_str(), 0, EXPORT_MODE_EXP), 0);
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.Path().c_str()));

    MessageBoxRecorder unexpected;
    PictureChanges changes = {pictures.Path(), CreateEventA(nullptr, TRUE, FALSE, nullptr), 0};
    HANDLE changer = CreateThread(nullptr, 0, ChangePicturesUntilStopped, &changes, 0, nullptr);
    HWND stand = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SaveLoop loop = {stand, 20, 0, {0}};
    HANDLE saver = CreateThread(nullptr, 0, SaveInALoop, &loop, 0, nullptr);
    int notes = 2;
    // Each import is followed by a whole save (the save asks the notes for
    // their texts through this thread's loop), so the two really interleave.
    for (int round = 0; round < 12; ++round) {
        int saves = loop.done;
        notes += ImportZettliesFromFolderPath(exports.Path().c_str());
        bool saved = PumpUntil(
            [&] { return loop.done > saves || WaitForSingleObject(saver, 0) == WAIT_OBJECT_0; }, 60000);
        if (!saved) {
            ADD_FAILURE() << "no save ended after import " << round;
            break;
        }
    }
    ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(saver, 0) == WAIT_OBJECT_0; }, 60000));
    SetEvent(changes.stop);
    ASSERT_EQ(WaitForSingleObject(changer, 10000), WAIT_OBJECT_0);
    for (HANDLE h : {changer, saver, changes.stop})
        CloseHandle(h);
    DestroyWindow(stand);
    EXPECT_EQ(loop.failed, 0);
    EXPECT_GT(changes.changes, 0);
    EXPECT_EQ(notes, 14);
    // The last import may have come after the last save of the loop.
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_TRUE(unexpected.Boxes().empty());

    char now[MAX_PATH];
    GetCurrentDirectoryA(sizeof now, now);
    EXPECT_EQ(std::string(now), elsewhere.Path()) << "nobody moved the current folder";
    EXPECT_TRUE(FilesIn(elsewhere.Path()).empty());
    std::vector<std::string> pictureFiles = FilesIn(pictures.Path());
    EXPECT_EQ(pictureFiles.size(), 4u) << "the pictures and cur_bmp.txt only";
    EXPECT_EQ(FilesIn(exports.Path()).size(), 1u);
    EXPECT_EQ(Bytes("zettly.rec").size(), 4u + (size_t)(notes + 1) * ZETTLY_RECORD_BYTES);
    EXPECT_EQ(Reload(), notes);
    EXPECT_TRUE(unexpected.Boxes().empty());
    std::string why;
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(HasRichText(ZettlyTable[i].editWindow, "moving " + std::to_string(i), &why))
            << why;
}
