#include "test_support.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "ui_seams.h"

DWORD ScaledWait(DWORD timeoutMs)
{
    static const DWORD scale = [] {
        char value[16] = {};
        DWORD length = GetEnvironmentVariableA("ZT_WAIT_SCALE", value, sizeof value);
        int parsed = length > 0 && length < sizeof value ? atoi(value) : 1;
        return (DWORD)(parsed >= 1 && parsed <= 100 ? parsed : 1);
    }();
    return timeoutMs >= INFINITE / scale ? INFINITE - 1 : timeoutMs * scale;
}

// The one loop every wait of the tests pumps through: each message retrieved
// is shown to the observer before it is dispatched.
static bool PumpWatching(const std::function<bool()> &condition,
                         const std::function<void(const MSG &)> &observe, DWORD timeoutMs)
{
    timeoutMs = ScaledWait(timeoutMs);
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        // Windows repainted faster than the emulated run can paint them keep
        // the queue full for ever: the deadline holds inside the drain too.
        MSG msg;
        while (GetTickCount() - start < timeoutMs && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (observe)
                observe(msg);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool PumpUntil(const std::function<bool()> &condition, DWORD timeoutMs)
{
    return PumpWatching(condition, nullptr, timeoutMs);
}

namespace {
// A message-only window of the test thread that counts the markers it is
// sent: posted messages come back in the order they were posted, so a marker
// that is back proves that everything posted before it has been handled.
const char MarkerClass[] = "ZtPostedMarker";
const UINT MarkerMessage = WM_APP + 0x3A7;
long MarkersBack;

LRESULT CALLBACK MarkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MarkerMessage) {
        ++MarkersBack;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MarkerWindow()
{
    static HWND window;
    if (window && IsWindow(window))
        return window;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MarkerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = MarkerClass;
    RegisterClassA(&wc);
    window = CreateWindowA(MarkerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    return window;
}
} // namespace

bool PumpPostedMessages(DWORD timeoutMs)
{
    HWND marker = MarkerWindow();
    long awaited = MarkersBack + 1;
    if (!marker || !PostMessageA(marker, MarkerMessage, 0, 0))
        return false;
    return PumpUntil([awaited] { return MarkersBack >= awaited; }, timeoutMs);
}

bool PumpUntilDispatched(const std::function<bool(const MSG &)> &match, DWORD timeoutMs)
{
    bool seen = false;
    bool dispatched = PumpWatching([&] { return seen; },
                                   [&](const MSG &msg) { seen = seen || match(msg); }, timeoutMs);
    return dispatched && PumpPostedMessages(timeoutMs);
}

namespace {
struct RecorderState {
    std::vector<MessageBoxRecorder::Box> boxes;
    std::deque<int> answers;
    int defaultAnswer = IDOK;
    MessageBoxHook previous = nullptr;
};
RecorderState *ActiveRecorder;
} // namespace

MessageBoxRecorder::MessageBoxRecorder(int answer)
{
    ActiveRecorder = new RecorderState;
    ActiveRecorder->defaultAnswer = answer;
    ActiveRecorder->previous = SetMessageBoxHook(&MessageBoxRecorder::Hook);
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxHook(ActiveRecorder->previous);
    delete ActiveRecorder;
    ActiveRecorder = nullptr;
}

void MessageBoxRecorder::QueueAnswer(int answer)
{
    ActiveRecorder->answers.push_back(answer);
}

const std::vector<MessageBoxRecorder::Box> &MessageBoxRecorder::Boxes() const
{
    return ActiveRecorder->boxes;
}

int MessageBoxRecorder::Hook(HWND, const char *text, const char *caption, UINT type)
{
    ActiveRecorder->boxes.push_back({caption ? caption : "", text ? text : "", type});
    if (ActiveRecorder->answers.empty())
        return ActiveRecorder->defaultAnswer;
    int answer = ActiveRecorder->answers.front();
    ActiveRecorder->answers.pop_front();
    return answer;
}

namespace {
struct AnswererState {
    std::function<void(HWND)> handler;
    HHOOK hook = nullptr;
    int count = 0;
};
AnswererState *ActiveAnswerer;

void CALLBACK RunDialogHandler(HWND dialog, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(dialog, timer);
    if (ActiveAnswerer && IsWindow(dialog)) {
        ++ActiveAnswerer->count;
        ActiveAnswerer->handler(dialog);
    }
}

LRESULT CALLBACK DialogActivationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && ActiveAnswerer) {
        HWND window = (HWND)wParam;
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        // The handler runs from the dialog's own loop once it is up, not inside activation.
        if (lstrcmpA(className, "#32770") == 0 && !GetPropA(window, "zt.answered")) {
            SetPropA(window, "zt.answered", (HANDLE)1);
            SetTimer(window, 0x7A7A, 1, RunDialogHandler);
        }
    }
    return CallNextHookEx(ActiveAnswerer ? ActiveAnswerer->hook : nullptr, code, wParam, lParam);
}
} // namespace

ModalDialogAnswerer::ModalDialogAnswerer(std::function<void(HWND)> handler)
{
    ActiveAnswerer = new AnswererState;
    ActiveAnswerer->handler = std::move(handler);
    ActiveAnswerer->hook =
        SetWindowsHookExA(WH_CBT, DialogActivationHook, nullptr, GetCurrentThreadId());
}

ModalDialogAnswerer::~ModalDialogAnswerer()
{
    UnhookWindowsHookEx(ActiveAnswerer->hook);
    delete ActiveAnswerer;
    ActiveAnswerer = nullptr;
}

int ModalDialogAnswerer::Count() const
{
    return ActiveAnswerer->count;
}

std::set<DWORD> ProcessThreads()
{
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.insert(entry.th32ThreadID);
    CloseHandle(snapshot);
    return ids;
}

namespace {
std::string RefusedClass;
HHOOK RefusalHook;

LRESULT CALLBACK RefuseCreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        char className[64] = {};
        GetClassNameA((HWND)wParam, className, sizeof className);
        if (lstrcmpiA(className, RefusedClass.c_str()) == 0)
            return 1;
    }
    return CallNextHookEx(RefusalHook, code, wParam, lParam);
}
} // namespace

WindowClassRefusal::WindowClassRefusal(const char *className)
{
    RefusedClass = className;
    hook = RefusalHook =
        SetWindowsHookExA(WH_CBT, RefuseCreationHook, nullptr, GetCurrentThreadId());
}

WindowClassRefusal::~WindowClassRefusal()
{
    UnhookWindowsHookEx(hook);
    RefusalHook = nullptr;
}

static LONG DeleteTree(HKEY parent, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char child[256];
        while (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS)
            if (DeleteTree(key, child) != ERROR_SUCCESS)
                break;
        RegCloseKey(key);
    }
    return RegDeleteKeyA(parent, name);
}

ScopedRegistryRoot::ScopedRegistryRoot() : ScopedRegistryRoot(SetRegistryRoot) {}

ScopedRegistryRoot::ScopedRegistryRoot(std::function<void(HKEY)> set) : setRoot(std::move(set))
{
    static int counter;
    path = "Software\\ZettliesTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
    DeleteTree(HKEY_CURRENT_USER, path.c_str());
    RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key);
    setRoot(key);
}

ScopedRegistryRoot::~ScopedRegistryRoot()
{
    setRoot(nullptr);
    if (programKey)
        RegCloseKey(programKey);
    RegCloseKey(key);
    DeleteTree(HKEY_CURRENT_USER, path.c_str());
}

HKEY ScopedRegistryRoot::OpenProgramKey()
{
    if (!programKey)
        RegCreateKeyA(key, "software\\Kestrova", &programKey);
    return programKey;
}

std::string ScopedRegistryRoot::ReadText(const char *subKey, const char *name) const
{
    HKEY below;
    if (RegOpenKeyExA(key, subKey, 0, KEY_READ, &below) != ERROR_SUCCESS)
        return "";
    std::string text;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(below, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        text.resize(size);
        if (RegQueryValueExA(below, name, nullptr, &type, (BYTE *)&text[0], &size) != ERROR_SUCCESS)
            size = 0;
        text.resize(size);
        if (!text.empty() && text.back() == 0)
            text.pop_back();
    }
    RegCloseKey(below);
    return text;
}

void ScopedRegistryRoot::WriteText(const char *subKey, const char *name,
                                   const std::string &text) const
{
    HKEY below;
    if (RegCreateKeyA(key, subKey, &below) != ERROR_SUCCESS)
        return;
    RegSetValueExA(below, name, 0, REG_SZ, (const BYTE *)text.data(), (DWORD)text.size());
    RegCloseKey(below);
}

std::string ReadFileBytes(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

std::string RichTextWithBitmapPicture(const std::string &before, const std::string &after)
{
    // BITMAPINFOHEADER: 40 bytes, 2 x 2, one plane, 24 bits, uncompressed,
    // 16 bytes of pixels; then two rows of two pixels, each padded to 8 bytes.
    static const char Bitmap[] = "28000000020000000200000001001800000000001000000000000000"
                                 "0000000000000000000000000000ff00ff000000ff0000ffffff0000";
    return "{\\rtf1\\ansi " + before + "{\\pict\\dibitmap0\\picw2\\pich2\\picwgoal300\\pichgoal300 " +
           Bitmap + "}" + after + "\\par}";
}

bool WriteFileBytes(const std::string &path, const std::string &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

ScopedTempFolder::ScopedTempFolder()
{
    static int counter;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    // Wine hands out the same small process ids again and again: a name of a
    // folder left behind by an earlier test must never be taken over.
    for (;;) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        path = std::string(temp) + "zt-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++counter) + "-" + std::to_string(now.QuadPart % 1000000007);
        if (CreateDirectoryA(path.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

ScopedTempFolder::~ScopedTempFolder()
{
    std::string pattern = path + "\\*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((path + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string WindowsPath(const std::string &unixPath)
{
    std::string out = "Z:" + unixPath;
    for (char &c : out)
        if (c == '/')
            c = '\\';
    return out;
}

namespace {
struct WindowSearch {
    const char *windowClass;
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK TakeIfSought(HWND window, LPARAM context)
{
    WindowSearch *search = (WindowSearch *)context;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (lstrcmpiA(name, search->windowClass) == 0 && (!search->process || process == search->process))
        search->found.push_back(window);
    return TRUE;
}
} // namespace

std::vector<HWND> TopLevelWindows(const char *windowClass, DWORD process)
{
    WindowSearch search = {windowClass, process, {}};
    EnumWindows(TakeIfSought, (LPARAM)&search);
    return search.found;
}

ChildProgram::ChildProgram(const std::string &exe, const std::string &arguments,
                           const std::vector<std::string> &environment)
{
    std::string commandLine = "\"" + exe + "\" " + arguments;
    // The child gets this process's environment with the given NAME=value lines on top.
    std::string block;
    std::vector<std::string> names;
    for (const std::string &entry : environment)
        names.push_back(entry.substr(0, entry.find('=') + 1));
    char *current = GetEnvironmentStringsA();
    for (const char *p = current; *p; p += lstrlenA(p) + 1) {
        bool replaced = false;
        for (const std::string &name : names)
            if (_strnicmp(p, name.c_str(), name.size()) == 0)
                replaced = true;
        if (!replaced)
            block.append(p).push_back('\0');
    }
    FreeEnvironmentStringsA(current);
    for (const std::string &entry : environment)
        block.append(entry).push_back('\0');
    block.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    // Wine's process start fails now and then while many programs start and
    // end at once on a busy machine; a program that is missing or bad fails
    // the same way every time, so a second and third try hide no fault of
    // the child. The error is printed for the log all the same.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, block.data(), nullptr,
                           &startup, &info))
            return;
        info = {};
        startError = GetLastError();
        std::fprintf(stderr, "starting %s failed with error %lu (try %d of 3)\n", exe.c_str(),
                     (unsigned long)startError, attempt + 1);
        if (startError == ERROR_FILE_NOT_FOUND || startError == ERROR_PATH_NOT_FOUND ||
            startError == ERROR_BAD_EXE_FORMAT)
            return;
    }
}

static bool CreationTime(HANDLE process, ULONGLONG *when)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return false;
    *when = ((ULONGLONG)created.dwHighDateTime << 32) | created.dwLowDateTime;
    return true;
}

std::vector<StartedProcess> ProcessesStartedBy(HANDLE process, DWORD id)
{
    std::vector<StartedProcess> started;
    ULONGLONG parentCreated = 0;
    HANDLE list = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (list == INVALID_HANDLE_VALUE || !CreationTime(process, &parentCreated)) {
        if (list != INVALID_HANDLE_VALUE)
            CloseHandle(list);
        return started;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(list, &entry); more; more = Process32Next(list, &entry)) {
        if (entry.th32ParentProcessID != id || entry.th32ProcessID == id)
            continue;
        // One that ended since the list was taken started nothing that runs.
        HANDLE child = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        ULONGLONG created = 0;
        if (child && CreationTime(child, &created) && created >= parentCreated)
            started.push_back({entry.th32ProcessID, entry.szExeFile});
        if (child)
            CloseHandle(child);
    }
    CloseHandle(list);
    return started;
}

ChildProgram::~ChildProgram()
{
    if (!info.hProcess)
        return;
    if (Running())
        TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

bool ChildProgram::WaitForExit(DWORD timeoutMs, DWORD *exitCode)
{
    if (!info.hProcess || WaitForSingleObject(info.hProcess, ScaledWait(timeoutMs)) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(info.hProcess, exitCode);
    return true;
}

bool ChildProgram::Running() const
{
    return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

HWND WaitForDialog(const char *caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindWindowA("#32770", caption)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForDialog(const ChildProgram &owner, const char *caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    PumpUntil(
        [&] {
            for (HWND w : TopLevelWindows("#32770", owner.ProcessId())) {
                char text[256] = {};
                GetWindowTextA(w, text, sizeof text);
                if (lstrcmpiA(text, caption) == 0)
                    return (found = w) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::string DialogMessageText(HWND dialog)
{
    char text[512] = {};
    GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
    return text;
}
