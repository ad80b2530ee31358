#include "console_mode.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "console_text.h"
#include "core/notes_table/zettly_record.h"
#include "sysmon/process_snapshot.h"

#define CONSOLE_ARGUMENTS " /k  set prompt=$p$g"
#define CONSOLE_PIPE_NAME "\\\\.\\pipe\\Zettlies.Console.%lu.%lu.%lu"
#define CONSOLE_DUMP_ERROR "\r\nProcess Error: Unable to read process list."

// What the record cannot hold of a console: the event that ends its reader
// and the job that holds the interpreter with everything it starts.
struct ConsoleLink {
    HANDLE stop;
    HANDLE job;
    DWORD readerId;
};
static ConsoleLink Links[ZETTLY_SLOTS];

// Guards the console fields of every record and the links while they are
// handed over; the GUI thread and a reader may stop the same console at once.
static CRITICAL_SECTION *ConsoleLock(void)
{
    static CRITICAL_SECTION lock;
    static bool ready = (InitializeCriticalSection(&lock), true);
    (void)ready;
    return &lock;
}

struct LockHeld {
    LockHeld() { EnterCriticalSection(ConsoleLock()); }
    ~LockHeld() { LeaveCriticalSection(ConsoleLock()); }
};

// Everything one console owns, taken out of the record in one step by
// whoever stops it, so each handle is closed exactly once.
struct ConsoleSession {
    HANDLE readPipe, writePipe, reader, stop, job, process, thread;
    DWORD readerId, pid, tid;
};

static bool ValidSlot(int slot)
{
    return slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT;
}

static void CloseIfSet(HANDLE handle)
{
    if (handle)
        CloseHandle(handle);
}

static ConsoleSession TakeSession(int slot)
{
    LockHeld held;
    ZettlyRecord *z = &ZettlyTable[slot];
    ConsoleLink *link = &Links[slot];
    ConsoleSession s = {(HANDLE)z->consoleReadPipe, (HANDLE)z->consoleWritePipe,
                        (HANDLE)z->consoleReader, link->stop, link->job,
                        (HANDLE)z->consoleProcess.hProcess, (HANDLE)z->consoleProcess.hThread,
                        link->readerId, z->consoleProcess.dwProcessId,
                        z->consoleProcess.dwThreadId};
    z->consoleReadPipe = z->consoleWritePipe = z->consoleReader = nullptr;
    z->consoleRunning = 0;
    z->consoleMode = 0;
    std::memset(&z->consoleProcess, 0, sizeof z->consoleProcess);
    *link = ConsoleLink{};
    return s;
}

// ---------------------------------------------------------------- ending

static uint64_t FileTimeNumber(const FILETIME &t)
{
    return ((uint64_t)t.dwHighDateTime << 32) | t.dwLowDateTime;
}

static bool StartedAt(HANDLE process, uint64_t *created)
{
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(process, &creation, &exit, &kernel, &user))
        return false;
    *created = FileTimeNumber(creation);
    return true;
}

int KillProcessSubtree(const ProcessInfo *snapshot, int count, uint32_t parentPid,
                       uint64_t notBefore)
{
    std::unique_ptr<uint32_t[]> order(new uint32_t[PROCESS_SNAPSHOT_CAPACITY]);
    int n = CollectProcessSubtree(snapshot, count, parentPid, order.get(),
                                  PROCESS_SNAPSHOT_CAPACITY);
    int ended = 0;
    for (int i = 0; i < n; ++i) {
        if (order[i] == parentPid || !MayKillProcess(order[i]))
            continue;
        HANDLE p = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, order[i]);
        if (!p)
            continue;
        uint64_t created;
        if (StartedAt(p, &created) && created >= notBefore && TerminateProcess(p, 1))
            ++ended;
        CloseHandle(p);
    }
    return ended;
}

static void KillTreeBySnapshot(const ConsoleSession &s)
{
    uint64_t created;
    if (!s.process || !StartedAt(s.process, &created))
        return;
    std::unique_ptr<ProcessInfo[]> records(new ProcessInfo[PROCESS_SNAPSHOT_CAPACITY]);
    int n = ReadSystemProcessSnapshot(records.get(), PROCESS_SNAPSHOT_CAPACITY);
    KillProcessSubtree(records.get(), n, s.pid, created);
}

static void KillConsoleTree(const ConsoleSession &s)
{
    if (s.job)
        TerminateJobObject(s.job, 1);
    else
        KillTreeBySnapshot(s);
    // The interpreter through its own handle: its identifier may already
    // name another process.
    if (s.process)
        TerminateProcess(s.process, 1);
}

// The reader may be inside a SendMessage to this very thread: serve those
// while waiting, or neither would go on.
static void WaitForReader(HANDLE reader)
{
    for (;;) {
        DWORD w = MsgWaitForMultipleObjects(1, &reader, FALSE, INFINITE, QS_SENDMESSAGE);
        if (w != WAIT_OBJECT_0 + 1)
            return;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

static void EndSession(const ConsoleSession &s, int killTree)
{
    if (s.stop)
        SetEvent(s.stop);
    // The interpreter sees the end of its input.
    CloseIfSet(s.writePipe);
    if (killTree)
        KillConsoleTree(s);
    if (s.reader) {
        if (s.readerId != GetCurrentThreadId())
            WaitForReader(s.reader);
        CloseHandle(s.reader);
    }
    CloseIfSet(s.readPipe);
    CloseIfSet(s.stop);
    CloseIfSet(s.job);
    CloseIfSet(s.process);
    CloseIfSet(s.thread);
}

void ConsoleStop(int slot, int killTree)
{
    if (!ValidSlot(slot))
        return;
    ConsoleSession s = TakeSession(slot);
    EndSession(s, killTree);
    HWND note = ZettlyTable[slot].window;
    if (note)
        InvalidateRect(note, nullptr, FALSE);
}

// ---------------------------------------------------------------- reading

enum ReadResult { READ_STOPPED = -1, READ_ENDED = 0, READ_GOT = 1 };

static ReadResult ReadChildOutput(HANDLE pipe, HANDLE stop, HANDLE done, char *buffer,
                                  DWORD size, DWORD *got)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = done;
    ResetEvent(done);
    *got = 0;
    if (!ReadFile(pipe, buffer, size, nullptr, &overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING)
            return READ_ENDED;
        HANDLE both[2] = {done, stop};
        if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &overlapped, got, TRUE);
            return READ_STOPPED;
        }
    }
    if (!GetOverlappedResult(pipe, &overlapped, got, TRUE) || *got == 0)
        return READ_ENDED;
    return READ_GOT;
}

DWORD WINAPI ConsoleReaderThread(LPVOID parameter)
{
    int slot = (int)(INT_PTR)parameter;
    if (!ValidSlot(slot))
        return 1;
    ZettlyRecord *z = &ZettlyTable[slot];
    HANDLE pipe, stop;
    {
        LockHeld held;
        if (!z->consoleRunning)
            return 1;
        pipe = (HANDLE)z->consoleReadPipe;
        stop = Links[slot].stop;
    }
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char in[CONSOLE_READ_BYTES];
    char out[ConsoleOutputBytes(CONSOLE_READ_BYTES)];
    ReadResult r = READ_ENDED;
    while (done && pipe && stop) {
        DWORD got;
        r = ReadChildOutput(pipe, stop, done, in, sizeof in, &got);
        if (r != READ_GOT)
            break;
        ConvertConsoleOutput(in, (int)got, out);
        HWND edit = z->editWindow;
        if (edit)
            SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)out);
        if (!z->consoleRunning) {
            r = READ_STOPPED;
            break;
        }
    }
    CloseIfSet(done);
    // Stopped from outside: the one who stopped it owns and ends everything.
    if (r != READ_STOPPED)
        ConsoleStop(slot, 0);
    return 1;
}

// ---------------------------------------------------------------- starting

// The interpreter's output goes through a named pipe so that the reader can
// wait for it and for its stop together; only the child's end is inheritable.
static bool MakeOutputPipe(HANDLE *ours, HANDLE *childs)
{
    static LONG counter;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    for (int attempt = 0; attempt < 8; ++attempt) {
        char name[96];
        std::snprintf(name, sizeof name, CONSOLE_PIPE_NAME, GetCurrentProcessId(),
                      (unsigned long)GetTickCount(), (unsigned long)InterlockedIncrement(&counter));
        *ours = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED |
                                           FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
        if (*ours == INVALID_HANDLE_VALUE)
            continue;
        *childs = CreateFileA(name, GENERIC_WRITE, 0, &inherit, OPEN_EXISTING, 0, nullptr);
        if (*childs != INVALID_HANDLE_VALUE)
            return true;
        CloseHandle(*ours);
    }
    *ours = *childs = nullptr;
    return false;
}

struct ChildEnds {
    HANDLE in, out, err;
};

static void CloseChildEnds(ChildEnds *ends)
{
    CloseIfSet(ends->in);
    CloseIfSet(ends->out);
    CloseIfSet(ends->err);
    *ends = ChildEnds{};
}

// Our own ends are not inheritable: a second console's interpreter must not
// hold the first one's pipes open.
static bool MakePipes(ConsoleSession *s, ChildEnds *child)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    if (!MakeOutputPipe(&s->readPipe, &child->out))
        return false;
    HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, child->out, self, &child->err, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return false;
    if (!CreatePipe(&child->in, &s->writePipe, &inherit, 0))
        return false;
    return SetHandleInformation(s->writePipe, HANDLE_FLAG_INHERIT, 0) != 0;
}

// Only the interpreter's own ends are handed down. The standard handles
// Zettlies was started with (a terminal, or a pipe a script waits to see
// closed) are inheritable under Wine and would stay open in the interpreter,
// and in the console host Wine starts for it, after Zettlies has ended.
static void KeepStandardHandlesHome(void)
{
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE handle = GetStdHandle(which);
        if (handle && handle != INVALID_HANDLE_VALUE)
            SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    }
}

static bool StartInterpreter(const char *comspec, ConsoleSession *s, const ChildEnds &child)
{
    // Unquoted, a path with blanks lets the system try its first word as a
    // program ("C:\Program" for "C:\Program Files\...").
    bool quote = std::strchr(comspec, ' ') && comspec[0] != '"';
    char commandLine[MAX_PATH + 2 + sizeof CONSOLE_ARGUMENTS];
    std::snprintf(commandLine, sizeof commandLine, quote ? "\"%s\"%s" : "%s%s", comspec,
                  CONSOLE_ARGUMENTS);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = child.in;
    startup.hStdOutput = child.out;
    startup.hStdError = child.err;
    KeepStandardHandlesHome();
    PROCESS_INFORMATION info = {};
    // Suspended until it is in the job, so nothing it starts escapes the job.
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE,
                        CREATE_NEW_CONSOLE | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info))
        return false;
    s->process = info.hProcess;
    s->thread = info.hThread;
    s->pid = info.dwProcessId;
    s->tid = info.dwThreadId;
    s->job = CreateJobObjectA(nullptr, nullptr);
    if (s->job && !AssignProcessToJobObject(s->job, info.hProcess)) {
        CloseHandle(s->job);
        s->job = nullptr;
    }
    ResumeThread(info.hThread);
    return true;
}

static void PublishSession(int slot, const ConsoleSession &s)
{
    LockHeld held;
    ZettlyRecord *z = &ZettlyTable[slot];
    z->consoleReadPipe = s.readPipe;
    z->consoleWritePipe = s.writePipe;
    z->consoleReader = s.reader;
    z->consoleProcess.hProcess = s.process;
    z->consoleProcess.hThread = s.thread;
    z->consoleProcess.dwProcessId = s.pid;
    z->consoleProcess.dwThreadId = s.tid;
    z->consoleRunning = 1;
    Links[slot] = ConsoleLink{s.stop, s.job, s.readerId};
}

int ConsoleStart(int slot)
{
    if (!ValidSlot(slot))
        return -2;
    char comspec[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
    if (length == 0)
        return -3;
    if (length >= sizeof comspec)
        return -2;
    // Whatever still runs in the slot goes first, tree and all; the note
    // keeps its mode.
    ZettlyRecord *z = &ZettlyTable[slot];
    if (z->consoleReadPipe || z->consoleWritePipe || z->consoleReader) {
        int32_t mode = z->consoleMode;
        ConsoleStop(slot, 1);
        z->consoleMode = mode;
    }

    ConsoleSession s = {};
    ChildEnds child = {};
    s.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool started = s.stop && MakePipes(&s, &child) && StartInterpreter(comspec, &s, child);
    CloseChildEnds(&child);
    if (started) {
        s.reader = CreateThread(nullptr, 0, ConsoleReaderThread, (LPVOID)(INT_PTR)slot,
                                CREATE_SUSPENDED, &s.readerId);
        started = s.reader != nullptr;
    }
    if (!started) {
        EndSession(s, 1);
        z->consoleMode = 0;
        return -2;
    }
    // Published before the reader runs, so a child that ends at once is
    // stopped with everything it owns.
    PublishSession(slot, s);
    ResumeThread(s.reader);
    return 0;
}

// ---------------------------------------------------------------- writing

void ConsoleWrite(int slot, const char *text)
{
    if (!ValidSlot(slot) || !text)
        return;
    // A copy of the pipe: a reader that stops the console meanwhile closes
    // the record's handle, never the one written to here.
    HANDLE pipe = nullptr;
    {
        LockHeld held;
        ZettlyRecord *z = &ZettlyTable[slot];
        HANDLE self = GetCurrentProcess();
        if (z->consoleReader && z->consoleWritePipe &&
            !DuplicateHandle(self, (HANDLE)z->consoleWritePipe, self, &pipe, 0, FALSE,
                             DUPLICATE_SAME_ACCESS))
            pipe = nullptr;
    }
    if (!pipe)
        return;
    DWORD length = (DWORD)std::strlen(text), written = 0;
    BOOL ok = WriteFile(pipe, text, length, &written, nullptr) && written == length;
    CloseHandle(pipe);
    if (!ok)
        ConsoleStop(slot, 0);
}

// ---------------------------------------------------------------- process tree

void ConsoleListProcesses(int slot)
{
    if (!ValidSlot(slot) || !ZettlyTable[slot].editWindow)
        return;
    HWND edit = ZettlyTable[slot].editWindow;
    std::unique_ptr<ProcessInfo[]> records(new ProcessInfo[CONSOLE_SNAPSHOT_RECORDS]());
    int n = ReadProcessSnapshot(records.get(), CONSOLE_SNAPSHOT_RECORDS);
    if (n <= 0) {
        SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)CONSOLE_DUMP_ERROR);
        return;
    }
    ProcessWindowSearch search = {records.get(), n};
    EnumWindows(ProcessWindowEnumProc, (LPARAM)&search);
    std::string text = ProcessDumpText(records.get(), n);
    SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
}
