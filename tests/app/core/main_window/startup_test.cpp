// The real program, started as a user would start it.
#include <gtest/gtest.h>

#include "core/notes_table/notes_file_ids.h"
#include "test_support.h"

namespace {

const std::string Program = WindowsPath(ZETTLIES_EXE);

int CountMainWindows()
{
    return (int)TopLevelWindows("Zettlies").size();
}

class ZettliesProgram : public ::testing::Test {
protected:
    ScopedTempFolder data;
    std::vector<std::string> Environment() { return {"APPDATA=" + data.Path()}; }

    void CloseAll()
    {
        HWND w;
        while ((w = FindWindowA("Zettlies", nullptr)) != nullptr) {
            PostMessageA(w, WM_CLOSE, 0, 0);
            PumpUntil([&] { return !IsWindow(w); }, 10000);
        }
    }
    void TearDown() override { CloseAll(); }
};

} // namespace

TEST_F(ZettliesProgram, SecondCopyExitsAndLeavesTheFirstRunning)
{
    ChildProgram first(Program, "", Environment());
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(PumpUntil([] { return CountMainWindows() == 1; }, 20000));

    ChildProgram second(Program, "", Environment());
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(CountMainWindows(), 1);

    PostMessageA(FindWindowA("Zettlies", nullptr), WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(ZettliesProgram, MultiInstanceSwitchStartsAFullSecondCopy)
{
    ChildProgram first(Program, "", Environment());
    ASSERT_TRUE(PumpUntil([] { return CountMainWindows() == 1; }, 20000));
    ChildProgram second(Program, "-multinstances", Environment());
    EXPECT_TRUE(PumpUntil([] { return CountMainWindows() == 2; }, 20000));
    EXPECT_TRUE(second.Running());
}

TEST_F(ZettliesProgram, MissingRichEditLibraryIsReportedAndStartFails)
{
    // A copy of the program under its own name, for which Wine is told to
    // refuse the rich-edit library, as a system without it would.
    const char *name = "zettlies-norichedit.exe";
    std::string copy = data.Path() + "\\" + name;
    ASSERT_TRUE(CopyFileA(Program.c_str(), copy.c_str(), FALSE));
    std::string overrides = std::string("Software\\Wine\\AppDefaults\\") + name + "\\DllOverrides";
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, overrides.c_str(), &key), ERROR_SUCCESS);
    RegSetValueExA(key, "riched32", 0, REG_SZ, (const BYTE *)"", 1);
    RegCloseKey(key);

    ChildProgram program(copy, "", Environment());
    ASSERT_TRUE(program.Started());
    HWND box = WaitForDialog(program, "Load riched32.dll error", 20000);
    RegDeleteKeyA(HKEY_CURRENT_USER, overrides.c_str());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogMessageText(box), "Unable to load the Rich Edit control!");
    EXPECT_EQ(CountMainWindows(), 0);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD code = 0;
    ASSERT_TRUE(program.WaitForExit(20000, &code));
    EXPECT_NE(code, 0u);
    DeleteFileA(copy.c_str());
}

// A data folder the program cannot use is said at start-up, with the
// reason, before the notes of the program's own folder appear in its place.
TEST_F(ZettliesProgram, UnusableDataFolderIsToldWithItsReason)
{
    const std::string longName = data.Path() + "\\" + std::string(300, 'x');
    const std::pair<std::string, const char *> cases[] = {
        {longName.substr(0, 250), "too long"},
        {longName.substr(0, 258), "too long"},
        {longName.substr(0, 270), "too long"},
        {data.Path() + "\\absent", "does not exist"}};
    for (const auto &folder : cases) {
        ChildProgram program(Program, "-multinstances", {"APPDATA=" + folder.first});
        ASSERT_TRUE(program.Started());
        HWND box = WaitForDialog(program, DATA_FOLDER_CAPTION, 20000);
        ASSERT_NE(box, nullptr) << folder.first.size() << " characters";
        std::string text = DialogMessageText(box);
        EXPECT_NE(text.find(folder.second), std::string::npos) << text;
        EXPECT_NE(text.find(folder.first.substr(0, 200)), std::string::npos) << text;
        // Nothing of the program's folder is read or written before the box is answered.
        TerminateProcess(program.Process(), 1);
        WaitForSingleObject(program.Process(), ScaledWait(20000));
    }
}
