#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "folder_browser.h"
#include "memory_bitmap.h"
#include "program_folder.h"
#include "registry_text.h"
#include "save_dialog.h"
#include "ui_seams.h"
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

std::string StoredBytes(HKEY key, const char *name)
{
    char bytes[64];
    DWORD type = 0, size = sizeof bytes;
    if (RegQueryValueExA(key, name, nullptr, &type, (BYTE *)bytes, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return "<none>";
    return std::string(bytes, size);
}

TEST(RegistryText, AWrittenTextEndsAsAskedAndNeverReadsPastItsBuffer)
{
    ScopedRegistryRoot root;
    HKEY key = root.OpenProgramKey();
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    struct Case {
        const char *why;
        const char *text;
        size_t limit;
        RegistryTextEnd end;
        std::string stored;
    } cases[] = {
        // The system stores the terminator that follows a text in its buffer
        // even when the length given leaves it out, as NT does.
        {"bare, terminated in its buffer", "1 2 3", 16, REGISTRY_TEXT_BARE,
         std::string("1 2 3\0", 6)},
        {"with its terminator", "1 2 3", 16, REGISTRY_TEXT_WITH_NUL, std::string("1 2 3\0", 6)},
        {"empty", "", 16, REGISTRY_TEXT_BARE, ""},
        {"cut at the buffer", unterminated, sizeof unterminated, REGISTRY_TEXT_BARE, "abc"},
        {"cut, then terminated", unterminated, sizeof unterminated, REGISTRY_TEXT_WITH_NUL,
         std::string("abc\0", 4)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(WriteRegistryString(key, "Value", c.text, c.limit, c.end), ERROR_SUCCESS) << c.why;
        EXPECT_EQ(StoredBytes(key, "Value"), c.stored) << c.why;
    }

    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key, nullptr, 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    EXPECT_NE(WriteRegistryString(readOnly, "Refused", "x", 2), ERROR_SUCCESS)
        << "a write that fails says so";
    EXPECT_EQ(StoredBytes(key, "Refused"), "<none>");

    MessageBoxRecorder boxes;
    RegCloseKey(readOnly);
    SetRegistryRoot((HKEY)(ULONG_PTR)0x7654321);
    EXPECT_EQ(CreateSettingsKey("Quiet", false), nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(CreateSettingsKey("Told", true), nullptr);
    SetRegistryRoot(root.Key());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, REGISTRY_ERROR_CAPTION);
    EXPECT_EQ(boxes.Boxes()[0].text, REGISTRY_ERROR_TEXT);
    HKEY made = CreateSettingsKey("Made", true);
    EXPECT_NE(made, nullptr);
    if (made)
        RegCloseKey(made);
}

TEST(MemoryBitmap, RowZeroIsTheTopAndAFreedBitmapLeavesNoHandles)
{
    void *bits = nullptr;
    HBITMAP bitmap = CreateTopDownBitmap(nullptr, 3, 2, &bits);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bits, nullptr);
    HGDIOBJ kept = nullptr;
    HDC dc = SelectIntoMemoryDc(nullptr, bitmap, &kept);
    ASSERT_NE(dc, nullptr);
    EXPECT_NE(kept, nullptr);
    SetPixel(dc, 0, 0, RGB(255, 0, 0));
    SetPixel(dc, 2, 1, RGB(0, 0, 255));
    GdiFlush();
    const uint32_t *pixels = (const uint32_t *)bits;
    EXPECT_EQ(pixels[0], 0x00FF0000u) << "the top-left pixel, red, first";
    EXPECT_EQ(pixels[5], 0x000000FFu) << "the bottom-right pixel, blue, last";

    FreeMemoryBitmap(&dc, &bitmap, &kept);
    EXPECT_EQ(dc, nullptr);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(kept, nullptr);
    FreeMemoryBitmap(&dc, &bitmap, &kept); // a second free finds nothing to free

    EXPECT_EQ(CreateTopDownBitmap(nullptr, 0, 2, &bits), nullptr);
    EXPECT_EQ(bits, nullptr);
    EXPECT_EQ(SelectIntoMemoryDc(nullptr, nullptr, &kept), nullptr);
}

static int PlacedBrowsers;

TEST(FolderBrowser, OkGivesAFolderAndACancelLeavesTheBufferAlone)
{
    ScopedTempFolder folder;
    PlacedBrowsers = 0;
    FolderBrowserLook look = {"Current folder is:", folder.Path().c_str(), true,
                              [](HWND) { ++PlacedBrowsers; }};
    char out[MAX_PATH];
    memset(out, 'X', sizeof out);
    {
        ModalDialogAnswerer answer([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
        EXPECT_EQ(BrowseForFolder(nullptr, look, out, sizeof out), 0);
    }
    // Wine fills the tree after the browser opens: an OK that comes first may
    // find another folder selected, so only a full path and its zeroed rest
    // are certain here.
    EXPECT_TRUE(strlen(out) > 3 && out[1] == ':' && out[2] == '\\') << out;
    EXPECT_EQ(out[sizeof out - 1], 0);
    EXPECT_EQ(PlacedBrowsers, 1);

    strcpy(out, "kept");
    {
        ModalDialogAnswerer answer([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_EQ(BrowseForFolder(nullptr, look, out, sizeof out), -1);
    }
    EXPECT_STREQ(out, "kept");
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
