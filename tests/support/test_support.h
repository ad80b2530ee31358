// Driving the program's windows from a test without a person at the screen.
#pragma once
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

// Pumps this thread's messages until the condition holds or the time is up.
// Bounds on waits for other processes, threads and the X server: ZT_WAIT_SCALE
// in the environment multiplies them where the tests run slower (emulated).
DWORD ScaledWait(DWORD timeoutMs);
bool PumpUntil(const std::function<bool()> &condition, DWORD timeoutMs = 5000);

// A test that shows that something does NOT happen waits for proof that the
// program got that far, never for time. PumpPostedMessages pumps until every
// message posted to this thread before the call has been handled (a marker
// posted behind them has come back). PumpUntilDispatched pumps until a message
// the test names (a window's timer tick, say) has been dispatched, and then
// until what its handling posted has been handled too. False on the deadline.
bool PumpPostedMessages(DWORD timeoutMs = 5000);
bool PumpUntilDispatched(const std::function<bool(const MSG &)> &match, DWORD timeoutMs = 5000);

// The ids of this process's threads as they are now. (Wine hands a thread id
// out again only after hundreds of others, so a new one is never an old one.)
std::set<DWORD> ProcessThreads();

// Answers every message box of the program while it lives, recording each.
class MessageBoxRecorder {
public:
    struct Box {
        std::string caption, text;
        UINT type;
    };
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    void QueueAnswer(int answer); // answers used in order, then the default
    const std::vector<Box> &Boxes() const;

private:
    static int Hook(HWND owner, const char *text, const char *caption, UINT type);
};

// Answers the modal dialogs that open on this thread while it lives: the
// handler runs once each dialog is active and must end it (EndDialog or a
// button click).
class ModalDialogAnswerer {
public:
    explicit ModalDialogAnswerer(std::function<void(HWND dialog)> handler);
    ~ModalDialogAnswerer();
    int Count() const;
};

// Refuses, while it lives, every window of the named class made on this
// thread: its creation fails as it would for want of memory.
class WindowClassRefusal {
public:
    explicit WindowClassRefusal(const char *className);
    ~WindowClassRefusal();
    WindowClassRefusal(const WindowClassRefusal &) = delete;
    WindowClassRefusal &operator=(const WindowClassRefusal &) = delete;

private:
    HHOOK hook;
};

// A registry root of the test's own, deleted at the end: settings written
// through the registry seam land here. A library loaded as a DLL has a seam
// of its own: hand over its setter instead.
class ScopedRegistryRoot {
public:
    ScopedRegistryRoot();
    explicit ScopedRegistryRoot(std::function<void(HKEY)> setRoot);
    ~ScopedRegistryRoot();
    HKEY Key() const { return key; }
    // The program's own key below the root, created when asked for.
    HKEY OpenProgramKey();
    // A text value of a key below the root as stored, less one trailing
    // terminator; "" when there is none. Writes store no terminator, as the
    // program's own settings are stored.
    std::string ReadText(const char *subKey, const char *name) const;
    void WriteText(const char *subKey, const char *name, const std::string &text) const;

private:
    HKEY key = nullptr;
    HKEY programKey = nullptr;
    std::string path;
    std::function<void(HKEY)> setRoot;
};

// The whole of a file as bytes; "<missing>" when it cannot be opened.
std::string ReadFileBytes(const std::string &path);
bool WriteFileBytes(const std::string &path, const std::string &bytes);

// Rich text with a bitmap picture (\dibitmap, a 2 x 2 device-independent
// bitmap) between two words: Wine's control takes it in and shows it, but
// its writer stops at it.
std::string RichTextWithBitmapPicture(const std::string &before, const std::string &after);

// A folder of the test's own under the temporary folder, removed at the end.
class ScopedTempFolder {
public:
    ScopedTempFolder();
    ~ScopedTempFolder();
    const std::string &Path() const { return path; }

private:
    std::string path;
};

// The Windows form of a path of the build tree (Wine maps / to Z:\).
std::string WindowsPath(const std::string &unixPath);

// The top-level windows of a class, of one process or of any (0), taken in
// one snapshot: a walk with FindWindowEx skips or repeats windows that other
// programs on the desktop restack meanwhile.
std::vector<HWND> TopLevelWindows(const char *windowClass, DWORD process = 0);

// A program started as a user would; killed at the end if still running.
class ChildProgram {
public:
    ChildProgram(const std::string &exe, const std::string &arguments,
                 const std::vector<std::string> &environment = {});
    ~ChildProgram();
    bool Started() const { return info.hProcess != nullptr; }
    bool WaitForExit(DWORD timeoutMs, DWORD *exitCode);
    bool Running() const;
    HANDLE Process() const { return info.hProcess; }
    DWORD ProcessId() const { return info.dwProcessId; }

    DWORD StartError() const { return startError; }

private:
    PROCESS_INFORMATION info = {};
    DWORD startError = 0;
};

// The processes that the given running process started and that still run:
// those whose parent is its id and that were created after it. Wine hands the
// ids of ended processes out again at once, so a process whose parent id merely
// equals it (a child of an earlier holder of the id) is not counted.
struct StartedProcess {
    DWORD id;
    std::string name;
};
std::vector<StartedProcess> ProcessesStartedBy(HANDLE process, DWORD id);

// Finds a dialog of another process by its caption; reads its message text.
// Test programs run side by side, and several show dialogs of the same
// caption: the form that names the process finds only that one's.
HWND WaitForDialog(const char *caption, DWORD timeoutMs);
HWND WaitForDialog(const ChildProgram &owner, const char *caption, DWORD timeoutMs);
std::string DialogMessageText(HWND dialog);
