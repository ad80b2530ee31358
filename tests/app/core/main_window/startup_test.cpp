// The real program, started as a user would start it.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const std::string Program = WindowsPath(ZETTLIES_EXE);

int CountMainWindows()
{
    int count = 0;
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "Zettlies", nullptr)) != nullptr)
        ++count;
    return count;
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
