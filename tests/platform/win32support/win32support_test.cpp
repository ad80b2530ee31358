#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "program_folder.h"
#include "registry_text.h"
#include "save_dialog.h"
#include "test_support.h"
#include "window_class.h"

namespace {

struct StoredText {
    const char *why;
    std::string bytes;
    DWORD type;
    DWORD outSize;
    RegistryTextFit fit;
    LONG result;
    const char *text;
};

TEST(RegistryText, ReadsOnlyWhatIsThereAndFitsTheBuffer)
{
    ScopedRegistryRoot root;
    const StoredText cases[] = {
        {"no terminator", "abc", REG_SZ, 16, REGISTRY_TEXT_CUT, ERROR_SUCCESS, "abc"},
        {"expandable", "abc", REG_EXPAND_SZ, 16, REGISTRY_TEXT_CUT, ERROR_SUCCESS, "abc"},
        {"cut to fit", "abcdef", REG_SZ, 4, REGISTRY_TEXT_CUT, ERROR_SUCCESS, "abc"},
        {"too long to cut", "abcdef", REG_SZ, 4, REGISTRY_TEXT_WHOLE, ERROR_MORE_DATA, ""},
        {"fits without its terminator", "abc", REG_SZ, 4, REGISTRY_TEXT_WHOLE, ERROR_SUCCESS,
         "abc"},
        {"fits with it", std::string("abc\0", 4), REG_SZ, 4, REGISTRY_TEXT_WHOLE, ERROR_SUCCESS,
         "abc"},
        {"ends at the first NUL", std::string("ab\0cdefgh", 9), REG_SZ, 4, REGISTRY_TEXT_WHOLE,
         ERROR_SUCCESS, "ab"},
        {"room for the terminator only", "abc", REG_SZ, 1, REGISTRY_TEXT_CUT, ERROR_SUCCESS, ""},
        {"no text", "abc", REG_BINARY, 16, REGISTRY_TEXT_CUT, ERROR_INVALID_DATA, ""},
    };
    HKEY key = root.OpenProgramKey();
    for (const StoredText &c : cases) {
        ASSERT_EQ(RegSetValueExA(key, "Value", 0, c.type, (const BYTE *)c.bytes.data(),
                                 (DWORD)c.bytes.size()),
                  ERROR_SUCCESS);
        char out[16];
        memset(out, 'X', sizeof out);
        EXPECT_EQ(ReadRegistryString(key, "Value", out, c.outSize, c.fit), c.result) << c.why;
        EXPECT_STREQ(out, c.text) << c.why;
    }

    char out[16] = "X";
    EXPECT_EQ(ReadRegistryString(key, "Missing", out, sizeof out), ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(out, "");
}

TEST(RegistryText, AValueOfHostileLengthIsRefused)
{
    ScopedRegistryRoot root;
    HKEY key = root.OpenProgramKey();
    std::string huge(200000, 'a');
    ASSERT_EQ(RegSetValueExA(key, "Huge", 0, REG_SZ, (const BYTE *)huge.data(), (DWORD)huge.size()),
              ERROR_SUCCESS);
    char out[16] = "X";
    EXPECT_NE(ReadRegistryString(key, "Huge", out, sizeof out), ERROR_SUCCESS);
    EXPECT_STREQ(out, "");
}

TEST(WindowClass, ASecondRegistrationCountsAsRegistered)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WindowClassLook look = {CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), nullptr};
    ASSERT_EQ(RegisterWindowClass(instance, "ZtSupportTestClass", DefWindowProcA, look), 0);
    EXPECT_EQ(RegisterWindowClass(instance, "ZtSupportTestClass", DefWindowProcA, look), 0);
    HWND window = CreateWindowExA(0, "ZtSupportTestClass", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetClassLongA(window, GCL_STYLE), (DWORD)CS_DBLCLKS);
    DestroyWindow(window);
    UnregisterClassA("ZtSupportTestClass", instance);
}

// Types a name into the save dialog and saves, as a person would.
void SaveAs(HWND dialog, const std::string &name)
{
    // The file-name field: an edit in the old dialog, a combo box in the explorer one.
    HWND field = GetDlgItem(dialog, 0x480);
    if (!field)
        field = GetDlgItem(dialog, 0x47c);
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM)name.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST(SaveDialog, TheChosenFileComesBackAndACancelIsNoFailure)
{
    ScopedTempFolder folder;
    MessageBoxRecorder boxes;
    std::string chosen = folder.Path() + "\\Chosen.txt";
    static const char filter[] = "Records\0*.exp\0Texts\0*.txt\0";
    char path[MAX_PATH] = "Proposed";
    {
        ModalDialogAnswerer answer([&](HWND dialog) { SaveAs(dialog, chosen); });
        EXPECT_EQ(AskExportFileName(nullptr, filter, path, sizeof path), 1);
        EXPECT_EQ(answer.Count(), 1);
    }
    EXPECT_STREQ(path, chosen.c_str());

    {
        ModalDialogAnswerer answer([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_EQ(AskExportFileName(nullptr, filter, path, sizeof path), -1);
    }
    EXPECT_TRUE(boxes.Boxes().empty()) << "a cancel is no failure to report";
}

} // namespace

TEST(ProgramFolder, FolderOfPathKeepsTheLastSeparator)
{
    char out[32];
    ASSERT_TRUE(FolderOfPath("C:\\Program Files\\Zettlies\\zettlies.exe", out, sizeof out));
    EXPECT_STREQ(out, "C:\\Program Files\\Zettlies\\");
    EXPECT_FALSE(FolderOfPath("zettlies.exe", out, sizeof out));
    char small[8];
    EXPECT_FALSE(FolderOfPath("C:\\a long folder\\x.exe", small, sizeof small));
}
