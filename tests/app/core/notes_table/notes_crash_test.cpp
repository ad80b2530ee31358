// A save killed after any of its file operations: the next start must load
// the new notes or the previous complete set, never less.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "core/notes_table/notes_file_ids.h"
#include "notes_file_fixture.h"
#include "test_support.h"

using namespace notes_test;

namespace {

const std::string Child = WindowsPath(NOTES_SAVE_CHILD_EXE);

// One run of the program on a data folder.
struct EnteredDataFolder {
    char previous[MAX_PATH] = {};
    explicit EnteredDataFolder(const std::string &folder)
    {
        GetCurrentDirectoryA(sizeof previous, previous);
        SetCurrentDirectoryA(folder.c_str());
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
        ResetDefaultSettings();
        PrepareZettlyFileSet();
    }
    ~EnteredDataFolder()
    {
        DestroyAllNotes();
        CloseZettlyFileSet();
        SetCurrentDirectoryA(previous);
    }
};

struct CrashDataFolder {
    ScopedTempFolder folder;
    EnteredDataFolder entered{folder.Path()};
};

void SaveSet(const char *tag, int count)
{
    DestroyAllNotes();
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(MakeNote(i, i), 0);
        WriteRichText(ZettlyTable[i].editWindow, tag + std::to_string(i));
    }
    ASSERT_EQ(SaveZettlies(nullptr), 0);
}

// "A1 " with 3 notes or "A2 " with 4, each whole; anything else is a loss.
std::string LoadedSet(int loaded)
{
    std::string tag = loaded == 3 ? "A1 " : loaded == 4 ? "A2 " : "";
    if (tag.empty())
        return "count " + std::to_string(loaded);
    for (int i = 0; i < loaded; ++i) {
        std::string why;
        if (!HasRichText(ZettlyTable[i].editWindow, tag + std::to_string(i), &why))
            return tag + "note " + std::to_string(i) + ": " + why;
    }
    return tag;
}

void CopyFolder(const std::string &from, const std::string &to)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileA((from + "\\" + found.cFileName).c_str(),
                      (to + "\\" + found.cFileName).c_str(), FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Each run of the test kills the save at ten consecutive steps, so that no
// run's time grows with the length of the whole save: a program start per
// step costs seconds where the machine is busy.
const int StepsPerRun = 10;
const int Runs = 6;

class NotesFileCrash : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(NotesFileCrash, SaveKilledAtAnyStepLeavesNewOrPreviousNotes)
{
    const int first = GetParam() * StepsPerRun + 1;
    PrepareNoteWindows();
    ScopedTempFolder start;
    {
        // The backups hold an older set A0, the current files A1.
        CrashDataFolder data;
        SaveSet("A0 ", 2);
        SaveSet("A1 ", 3);
        CopyFolder(data.folder.Path(), start.Path());
    }
    // The backups are whole or not there: the older set or the one replaced.
    auto whole = [&](const char *older, const char *current) {
        std::string bytes = ReadFileBytes(start.Path() + "\\" + older);
        return std::vector<std::string>{bytes, ReadFileBytes(start.Path() + "\\" + current)};
    };
    const auto records = whole("zettly.rec_priorsave", "zettly.rec");
    const auto texts = whole("zettly.str_priorsave", "zettly.str");
    int completedAt = 0;
    int killedInBackupCopy = 0;
    for (int step = first; step < first + StepsPerRun && !completedAt; ++step) {
        ScopedTempFolder killed;
        CopyFolder(start.Path(), killed.Path());
        ChildProgram child(Child, "\"" + killed.Path() + "\" " + std::to_string(step));
        ASSERT_TRUE(child.Started()) << "step " << step << ": error " << child.StartError();
        DWORD code = 99;
        ASSERT_TRUE(child.WaitForExit(30000, &code)) << "step " << step << " still saving";
        ASSERT_TRUE(code == 0 || code == 77) << "step " << step << " exit " << code;
        if (code == 0)
            completedAt = step;
        // A backup copy stopped half-way leaves its part file, never a short backup.
        killedInBackupCopy += GetFileAttributesA((killed.Path() + "\\zettly.rec_priorsave_new")
                                                     .c_str()) != INVALID_FILE_ATTRIBUTES;
        for (auto backup : {std::make_pair("\\zettly.rec_priorsave", &records),
                            std::make_pair("\\zettly.str_priorsave", &texts)}) {
            std::string bytes = ReadFileBytes(killed.Path() + backup.first);
            EXPECT_TRUE(bytes == (*backup.second)[0] || bytes == (*backup.second)[1])
                << "killed after step " << step << ": " << backup.first << " holds "
                << bytes.size() << " bytes";
        }
        // From the moment the commit file is whole, or a new file is in
        // place, the save is done: the start finishes it. Before that the
        // set in place was never touched. Either way a kill is no damage:
        // the start asks nothing, and a Yes to a question would throw the
        // save away.
        std::string commitFile = ReadFileBytes(killed.Path() + "\\zettly.ok_saving");
        CommitRecord commit;
        bool committed = code == 0 || ReadFileBytes(killed.Path() + "\\zettly.rec") != records[1] ||
                         ParseCommitRecord((const uint8_t *)commitFile.data(), commitFile.size(),
                                           &commit) == 0;
        // The second start sees what the first left.
        for (int restart = 0; restart < 2; ++restart) {
            EnteredDataFolder data(killed.Path());
            MessageBoxRecorder boxes(IDYES);
            std::string set = LoadedSet(LoadZettlies());
            EXPECT_EQ(set, committed ? "A2 " : "A1 ")
                << "killed after step " << step << ", start " << restart;
            for (const auto &box : boxes.Boxes())
                ADD_FAILURE() << "killed after step " << step << ": " << box.text;
        }
        EXPECT_EQ(ReadFileBytes(killed.Path() + "\\zettly.rec_damaged"), "<missing>")
            << "killed after step " << step;
    }
    if (GetParam() == 0) {
        EXPECT_EQ(completedAt, 0) << "a save of four notes ended after " << completedAt << " file operations";
        EXPECT_GT(killedInBackupCopy, 0) << "no kill fell inside a backup copy";
    }
    if (GetParam() == Runs - 1) {
        EXPECT_EQ(completedAt, first) << "the save never ended";
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, NotesFileCrash, ::testing::Range(0, Runs),
                         [](const ::testing::TestParamInfo<int> &info) {
                             int from = info.param * StepsPerRun + 1;
                             return std::to_string(from) + "To" + std::to_string(from + StepsPerRun - 1);
                         });
