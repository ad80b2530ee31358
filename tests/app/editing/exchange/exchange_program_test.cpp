// The real program and the real installer, started as a user would.
#include <gtest/gtest.h>

#include <cstring>

#include "editing/exchange/export_record.h"
#include "editing/exchange/installer_hunk.h"
#include "exchange_fixture.h"
#include "test_support.h"

namespace {

const std::string Program = WindowsPath(ZETTLIES_EXE);
const std::string Installer = WindowsPath(INSTALLER_EXE);

// The text of each note window of other processes on this desktop, or of
// one process only: tests of other programs make notes beside these.
std::vector<std::string> NoteTexts(DWORD processId = 0)
{
    std::vector<std::string> texts;
    for (HWND note : TopLevelWindows("Zettly Class", processId)) {
        HWND edit = FindWindowExA(note, nullptr, nullptr, nullptr);
        char text[512] = {};
        DWORD_PTR got = 0;
        if (edit)
            SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                                &got);
        texts.push_back(text);
    }
    return texts;
}

bool NoteWithTextShows(const std::string &text, DWORD timeoutMs)
{
    return PumpUntil(
        [&] {
            for (const std::string &t : NoteTexts())
                if (t == text)
                    return true;
            return false;
        },
        timeoutMs);
}

class Exchange : public ::testing::Test {
protected:
    ScopedTempFolder data;
    std::vector<std::string> Environment() { return {"APPDATA=" + data.Path()}; }
    std::string Path(const std::string &name) { return data.Path() + "\\" + name; }

    void CloseAll()
    {
        HWND w;
        while ((w = FindWindowA("Zettlies", nullptr)) != nullptr) {
            PostMessageA(w, WM_CLOSE, 0, 0);
            PumpUntil([&] { return !IsWindow(w); }, 10000);
        }
    }
    void SetUp() override { CloseAll(); }
    void TearDown() override { CloseAll(); }

    // A copy of the installer program with a note appended, as e-mail carries it.
    std::string InstallerWithNote(const char *title, const char *text)
    {
        std::string program = ReadFileBytes(Installer);
        std::vector<uint8_t> file(program.begin(), program.end());
        ZettlyRecord r = TitledRecord(title);
        AppendInstallerHunk(&file, &r, text, std::strlen(text));
        std::string path = Path("gift.exe");
        WriteFileBytes(path, std::string(file.begin(), file.end()));
        return path;
    }
};

} // namespace

TEST_F(Exchange, SecondCopyHandsItsCommandLineFileToTheRunningCopy)
{
    ChildProgram first(Program, "", Environment());
    ASSERT_TRUE(PumpUntil([] { return FindWindowA("Zettlies", nullptr) != nullptr; }, 20000));
    std::string file = Path("handed over.exp");
    ASSERT_TRUE(WriteFileBytes(file, ExportBytes(TitledRecord("Handed"), "{\\rtf1 handed over}")));

    ChildProgram second(Program, "\"" + file + "\"", Environment());
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(NoteWithTextShows("handed over", 10000));
    EXPECT_TRUE(first.Running());
}

TEST_F(Exchange, SecondCopyGivenAFileItCannotTakeExitsAndTheRunningCopySaysWhy)
{
    ChildProgram first(Program, "", Environment());
    ASSERT_TRUE(PumpUntil([] { return FindWindowA("Zettlies", nullptr) != nullptr; }, 20000));
    std::string large = Path("large.txt");
    ASSERT_TRUE(WriteFileBytes(large, std::string(2 << 20, 'x')));
    for (const std::string &file : {large, std::string("Z:\\dev\\zero")}) {
        ChildProgram second(Program, "\"" + file + "\"", Environment());
        DWORD code = 99;
        EXPECT_TRUE(second.WaitForExit(ScaledWait(10000), &code)) << file << " waits on someone";
        HWND box = WaitForDialog(first, "File Read Error", 20000);
        ASSERT_NE(box, nullptr) << file;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 10000));
    }
    EXPECT_TRUE(NoteTexts(first.ProcessId()).empty());
    EXPECT_TRUE(first.Running());
}

TEST_F(Exchange, LoneCopyStartedWithAFileEndsUpShowingIt)
{
    std::string file = Path("plain.txt");
    ASSERT_TRUE(WriteFileBytes(file, "a plain text file"));
    ChildProgram only(Program, "\"" + file + "\"", Environment());
    EXPECT_TRUE(NoteWithTextShows("a plain text file", 30000));
}

TEST_F(Exchange, InstallerHandsItsNoteToTheRunningCopy)
{
    ChildProgram running(Program, "", Environment());
    ASSERT_TRUE(PumpUntil([] { return FindWindowA("Zettlies", nullptr) != nullptr; }, 20000));
    ChildProgram installer(InstallerWithNote("Gift", "from afar"), "");
    HWND box = WaitForDialog(installer, "Zettly upload o.k", 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogMessageText(box), "Zettly note transfer completed without errors.");
    EXPECT_TRUE(NoteWithTextShows("from afar", 5000));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD code = 99;
    EXPECT_TRUE(installer.WaitForExit(10000, &code));
}

TEST_F(Exchange, InstallerWithNoRunningCopyOffersToSaveAndNoEndsWithoutSuccess)
{
    ChildProgram installer(InstallerWithNote("Gift", "nobody home"), "");
    HWND question = WaitForDialog(installer, "Zettlies Server Connection Error", 20000);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(DialogMessageText(question).find("Do you wish to export zettly record"), std::string::npos);
    PostMessageA(question, WM_COMMAND, IDNO, 0);
    bool success = false;
    PumpUntil(
        [&] {
            success = success || FindWindowA("#32770", "Zettly upload o.k") != nullptr;
            return !installer.Running();
        },
        10000);
    EXPECT_FALSE(installer.Running());
    EXPECT_FALSE(success);
}

TEST_F(Exchange, InstallerWithoutANoteSaysSo)
{
    std::string copy = Path("plain-installer.exe");
    ASSERT_TRUE(CopyFileA(Installer.c_str(), copy.c_str(), FALSE));
    ChildProgram installer(copy, "");
    HWND box = WaitForDialog(installer, "Zettly Installer File Search ERROR!", 20000);
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD code = 99;
    EXPECT_TRUE(installer.WaitForExit(10000, &code));
}

namespace {

// Answers the installer's offer with Yes and types the name into its save dialog.
bool SaveThroughInstaller(const ChildProgram &installer, const std::string &path)
{
    HWND question = WaitForDialog(installer, "Zettlies Server Connection Error", 20000);
    if (!question)
        return false;
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    HWND save = WaitForDialog(installer, "Select File Type To Export", 20000);
    if (!save)
        return false;
    // The file-name field: an edit in the old dialog, a combo box in the explorer one.
    HWND name = GetDlgItem(save, 0x480);
    if (!name)
        name = GetDlgItem(save, 0x47c);
    if (!name)
        return false;
    SendMessageA(name, WM_SETTEXT, 0, (LPARAM)path.c_str());
    PostMessageA(save, WM_COMMAND, IDOK, 0);
    HWND done = WaitForDialog(installer, "Zettly upload o.k", 20000);
    if (!done)
        return false;
    PostMessageA(done, WM_COMMAND, IDOK, 0);
    return true;
}

std::string StoredName(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return "<missing>";
    FindClose(search);
    return found.cFileName;
}

} // namespace

TEST_F(Exchange, InstallerSavesTheExportFormByNameAndKeepsTheChosenName)
{
    std::string gift = InstallerWithNote("Gift", "kept safe");
    {
        ChildProgram installer(gift, "");
        ASSERT_TRUE(SaveThroughInstaller(installer, Path("SAVED.EXP")));
        DWORD code;
        EXPECT_TRUE(installer.WaitForExit(10000, &code));
    }
    EXPECT_EQ(StoredName(Path("SAVED.EXP")), "SAVED.EXP");
    std::string saved = ReadFileBytes(Path("SAVED.EXP"));
    ASSERT_EQ(saved.size(), 18u + 744u + 10u);
    EXPECT_EQ(saved.substr(0, 18), std::string("ZettlyExport V1.8\x1A"));
    EXPECT_EQ(saved.substr(18 + 744), std::string("kept safe\0", 10));

    {
        ChildProgram installer(gift, "");
        ASSERT_TRUE(SaveThroughInstaller(installer, Path("Saved.txt")));
        DWORD code;
        EXPECT_TRUE(installer.WaitForExit(10000, &code));
    }
    EXPECT_EQ(ReadFileBytes(Path("Saved.txt")), "Gift\r\n----\r\nkept safe");
}

TEST_F(Exchange, LongFontNamesReachTheControlCutBySecondCopyOrInstaller)
{
    // Font names of these lengths once took the program's instruction
    // pointer inside the system's rich-text reader: the notes arrive, their
    // names cut to what a font takes.
    ChildProgram running(Program, "", Environment());
    ASSERT_TRUE(PumpUntil([] { return FindWindowA("Zettlies", nullptr) != nullptr; }, 20000));
    auto handOver = [&](const std::string &name, const std::string &text) {
        std::string file = Path(name);
        WriteFileBytes(file, ExportBytes(TitledRecord(name.c_str()), text));
        ChildProgram second(Program, "\"" + file + "\"", Environment());
        DWORD code = 99;
        EXPECT_TRUE(second.WaitForExit(20000, &code)) << name;
    };
    for (size_t letters : {1100, 5000}) {
        std::string hostile = "{\\rtf1{\\fonttbl{\\f0\\fswiss " + std::string(letters, 'N') +
                              ";}}\\f0 hostile " + std::to_string(letters) + "}";
        handOver("font " + std::to_string(letters) + ".exp", hostile);
        ASSERT_TRUE(NoteWithTextShows("hostile " + std::to_string(letters), 10000)) << letters;

        ChildProgram installer(InstallerWithNote("font", hostile.c_str()), "");
        HWND box = WaitForDialog(installer, "Zettly upload o.k", 20000);
        ASSERT_NE(box, nullptr) << letters;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        DWORD code;
        EXPECT_TRUE(installer.WaitForExit(10000, &code));
        ASSERT_TRUE(running.Running()) << letters;
    }
    // Taken as plain text a note would show its codes.
    for (const std::string &text : NoteTexts(running.ProcessId()))
        EXPECT_EQ(text.find("fonttbl"), std::string::npos) << text;
    EXPECT_TRUE(running.Running());
}
