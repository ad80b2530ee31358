#include "editing/console_mode.h"

#include <tlhelp32.h>

#include <vector>

#include "editing_notes.h"

namespace {

class Console : public EditingNotes {
protected:
    void TearDown() override
    {
        for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
            ConsoleStop(slot, 1);
        EditingNotes::TearDown();
    }
    // A note whose console runs and has shown its first prompt.
    int ConsoleNote(int x)
    {
        int slot = NewNote(x, 80, 420, 260);
        if (slot < 0 || ConsoleStart(slot) != 0)
            return -1;
        ZettlyTable[slot].consoleMode = 1;
        if (!WaitForText(slot, ">"))
            return -1;
        return slot;
    }
    bool WaitForText(int slot, const char *text)
    {
        return PumpUntil([&] { return Text(slot).find(text) != std::string::npos; },
                         30000);
    }
    // Types at the end of the note and presses Enter (CR) or Ctrl+Enter
    // (LF), as a user would.
    void TypeLine(int slot, const char *line, WPARAM enter = '\r')
    {
        LONG end = GetWindowTextLengthA(Edit(slot));
        Select(slot, end, end);
        SendMessageA(Edit(slot), EM_REPLACESEL, TRUE, (LPARAM)line);
        SendMessageA(Edit(slot), WM_CHAR, enter, 0);
    }
};

std::vector<DWORD> ChildrenOf(DWORD parent)
{
    std::vector<DWORD> children;
    HANDLE list = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(list, &entry); more; more = Process32Next(list, &entry))
        if (entry.th32ParentProcessID == parent)
            children.push_back(entry.th32ProcessID);
    CloseHandle(list);
    return children;
}

// The tabs in front of the process's line of a dumped tree, or -1 when no
// line of the text starts with it.
int DepthOf(const std::string &text, DWORD pid)
{
    std::string key = "-> " + std::to_string(pid) + " ";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        size_t start = at;
        while (start > 0 && text[start - 1] == '\t')
            --start;
        if (start == 0 || text[start - 1] == '\n' || text[start - 1] == '\r')
            return (int)(at - start);
    }
    return -1;
}

bool Ended(HANDLE process)
{
    return WaitForSingleObject(process, ScaledWait(10000)) == WAIT_OBJECT_0;
}

} // namespace

TEST_F(Console, TypedLinesRunAndTheirOutputLandsInTheNote)
{
    int slot = ConsoleNote(60);
    ASSERT_GE(slot, 0) << Text(slot);
    // The prompt the interpreter printed is not sent: only the command is.
    TypeLine(slot, "echo zettly-console");
    ASSERT_TRUE(WaitForText(slot, "zettly-console\r")) << Text(slot);
    TypeLine(slot, "set /a 6*7");
    ASSERT_TRUE(WaitForText(slot, "42")) << Text(slot);
    EXPECT_EQ(Text(slot).find("'C:"), std::string::npos) << "a prompt was run as a command";
    EXPECT_EQ(Text(slot).find("\n\n"), std::string::npos) << "line ends doubled";
}

TEST_F(Console, StoppingEndsTheInterpreterAndWhatItStarted)
{
    int slot = ConsoleNote(60);
    ASSERT_GE(slot, 0);
    DWORD pid = ZettlyTable[slot].consoleProcess.dwProcessId;
    // A second interpreter started from the first reads the same input.
    ConsoleWrite(slot, "cmd /k\r\n");
    std::vector<DWORD> children;
    ASSERT_TRUE(PumpUntil([&] { return !(children = ChildrenOf(pid)).empty(); },
                          30000));
    HANDLE interpreter = OpenProcess(SYNCHRONIZE, FALSE, pid);
    HANDLE grandchild = OpenProcess(SYNCHRONIZE, FALSE, children[0]);
    ASSERT_NE(interpreter, nullptr);
    ASSERT_NE(grandchild, nullptr);

    ConsoleStop(slot, 1);
    EXPECT_TRUE(Ended(grandchild));
    EXPECT_TRUE(Ended(interpreter));
    CloseHandle(grandchild);
    CloseHandle(interpreter);
    const ZettlyRecord &z = ZettlyTable[slot];
    EXPECT_EQ(z.consoleRunning, 0);
    EXPECT_EQ(z.consoleMode, 0);
    EXPECT_EQ(z.consoleReader, nullptr);
    EXPECT_EQ(z.consoleReadPipe, nullptr);
    EXPECT_EQ(z.consoleProcess.dwProcessId, 0u);
}

TEST_F(Console, OnlyTheInterpretersOwnEndsAreInherited)
{
    int first = ConsoleNote(40);
    int second = ConsoleNote(480);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    for (void *ours : {ZettlyTable[first].consoleReadPipe, ZettlyTable[first].consoleWritePipe}) {
        DWORD flags = HANDLE_FLAG_INHERIT;
        ASSERT_TRUE(GetHandleInformation((HANDLE)ours, &flags));
        EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);
    }
    // Nor the test's own output, which ctest reads until every holder ends.
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        DWORD flags = 0;
        if (GetHandleInformation(GetStdHandle(which), &flags)) {
            EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u) << "standard handle " << which;
        }
    }
    // With no handle of the first console held by the second interpreter,
    // closing the first one's input is enough to end it.
    HANDLE interpreter = OpenProcess(SYNCHRONIZE, FALSE, ZettlyTable[first].consoleProcess.dwProcessId);
    ASSERT_NE(interpreter, nullptr);
    ConsoleStop(first, 0);
    EXPECT_TRUE(Ended(interpreter));
    CloseHandle(interpreter);
}

TEST_F(Console, TwoThreadsStoppingAtOnceEndItOnce)
{
    int slot = ConsoleNote(60);
    ASSERT_GE(slot, 0);
    struct Stopper {
        static DWORD WINAPI Run(LPVOID slot)
        {
            ConsoleStop((int)(INT_PTR)slot, 1);
            return 0;
        }
    };
    HANDLE other = CreateThread(nullptr, 0, Stopper::Run, (LPVOID)(INT_PTR)slot, 0, nullptr);
    ASSERT_NE(other, nullptr);
    ConsoleStop(slot, 1);
    // The other stop may wait for a reader that is handing text to this thread.
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(other, 0) == WAIT_OBJECT_0; },
                          20000));
    CloseHandle(other);
    EXPECT_EQ(ZettlyTable[slot].consoleReadPipe, nullptr);

    // The slot is clean: a new console starts and answers there.
    ASSERT_EQ(ConsoleStart(slot), 0);
    ConsoleWrite(slot, "echo again-here\r\n");
    EXPECT_TRUE(WaitForText(slot, "again-here\r")) << Text(slot);
}

TEST_F(Console, WithoutComspecNothingStarts)
{
    int slot = NewNote(60, 80, 300, 200);
    ASSERT_GE(slot, 0);
    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("COMSPEC", saved, sizeof saved);
    SetEnvironmentVariableA("COMSPEC", nullptr);
    EXPECT_EQ(ConsoleStart(slot), -3);
    SetEnvironmentVariableA("COMSPEC", saved);
    EXPECT_EQ(ZettlyTable[slot].consoleRunning, 0);
    EXPECT_EQ(ZettlyTable[slot].consoleReadPipe, nullptr);
}

TEST_F(Console, WithTheCalculatorOnEnterEvaluatesAndCtrlEnterSends)
{
    int slot = ConsoleNote(60);
    ASSERT_GE(slot, 0);
    ZettlyTable[slot].calculatorMode = 1;
    TypeLine(slot, "\r\n6*7");
    // The control reads its paragraph ends back as CR alone.
    EXPECT_TRUE(WaitForText(slot, "6*7\r42")) << Text(slot);
    TypeLine(slot, "\r\necho by-line-feed", '\n');
    EXPECT_TRUE(WaitForText(slot, "by-line-feed\r")) << Text(slot);
}

TEST_F(Console, EnterAfterTheInterpreterEndedSendsNothingAndAddsNoLineBreak)
{
    int slot = ConsoleNote(60);
    ASSERT_GE(slot, 0);
    DWORD pid = ZettlyTable[slot].consoleProcess.dwProcessId;
    HANDLE interpreter = OpenProcess(SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(interpreter, nullptr);
    TypeLine(slot, "exit");
    ASSERT_TRUE(Ended(interpreter));
    CloseHandle(interpreter);
    // The reader sees the end and stops the console itself.
    ASSERT_TRUE(PumpUntil([&] { return ZettlyTable[slot].consoleReadPipe == nullptr; }, 10000));
    EXPECT_EQ(ZettlyTable[slot].consoleProcess.dwProcessId, 0u);
    EXPECT_EQ(ZettlyTable[slot].consoleMode, 0);

    // The mode set again by hand: a note still marked as a console whose
    // interpreter has gone.
    ZettlyTable[slot].consoleMode = 1;
    std::string before = Text(slot);
    SendMessageA(Edit(slot), WM_CHAR, '\r', 0);
    EXPECT_EQ(Text(slot), before);
}

TEST_F(Console, TheDumpedTreeShowsTheInterpreterOneLevelBelowThisProgram)
{
    int slot = ConsoleNote(60);
    ASSERT_GE(slot, 0);
    DWORD interpreter = ZettlyTable[slot].consoleProcess.dwProcessId;
    ConsoleListProcesses(slot);
    std::string text = Text(slot);
    EXPECT_EQ(text.find("Process Error"), std::string::npos) << text;
    int ours = DepthOf(text, GetCurrentProcessId());
    ASSERT_GE(ours, 0) << text;
    EXPECT_EQ(DepthOf(text, interpreter), ours + 1) << text;
}

TEST_F(Console, AnInterpreterInAFolderWithABlankStarts)
{
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, sizeof system), 0u);
    ScopedTempFolder folder;
    std::string blank = folder.Path() + "\\with blank";
    ASSERT_TRUE(CreateDirectoryA(blank.c_str(), nullptr));
    std::string copy = blank + "\\cmd.exe";
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\cmd.exe").c_str(), copy.c_str(), FALSE));
    // A program named by the path's first word must not be the one started.
    std::string decoy = folder.Path() + "\\with.exe";
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\find.exe").c_str(), decoy.c_str(), FALSE));

    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("COMSPEC", saved, sizeof saved);
    SetEnvironmentVariableA("COMSPEC", copy.c_str());
    int slot = ConsoleNote(60);
    SetEnvironmentVariableA("COMSPEC", saved);
    ASSERT_GE(slot, 0) << Text(slot);
    TypeLine(slot, "echo from-the-blank-folder");
    EXPECT_TRUE(WaitForText(slot, "from-the-blank-folder\r")) << Text(slot);
    ConsoleStop(slot, 1);
    DeleteFileA(copy.c_str());
    DeleteFileA(decoy.c_str());
    RemoveDirectoryA(blank.c_str());
}
