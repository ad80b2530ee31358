// Load, save and quit of a full table (254 notes of about 4 KB of rich text)
// through the program's own code, beside the floor that the window system
// and the rich-edit control set: 254 bare windows, each with a rich-edit
// child, given the same RTF texts. Prints the median of several runs, the
// ratio to the floor and where the time of a load and a save goes. The notes
// are made as the program makes them, with the editing features and the
// line/column indicators in place. The quit is the program's own:
// zettlies.exe started on the files the runs leave, one note typed into,
// told to quit and timed until its process has ended.
// Not a test: "./dev bench" runs it under Wine.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <ole2.h>

#include "core/editing_features.h"
#include "core/note_editor/tooltip_window.h"
#include "core/notes_table/notes_file_format.h"
#include "core/notes_table/notes_phase_times.h"
#include "core/notes_table/rich_text_stream.h"
#include "editing/editing_entry.h"
#include "notes_file_fixture.h"

using namespace notes_test;

enum { NOTES = 254 };

static const char *const PhaseNames[PHASE_COUNT] = {
    "reading files", "window creation", "fonts",       "stream-in", "showing",
    "stream-out",    "progress dialog", "writing files", "other"};

static double Now(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (double)now.QuadPart / (double)frequency.QuadPart;
}

static double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Handles messages until none has come for 100 ms and returns when the last
// was done: the X server's exposures of newly shown windows arrive a while
// after the showing, and their painting belongs to what is timed, not to
// whatever is timed next.
static double Settle(void)
{
    double last = Now();
    for (;;) {
        MSG msg;
        bool handled = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            handled = true;
        }
        if (handled)
            last = Now();
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_TIMEOUT)
            return last;
    }
}

static bool ReadTextFile(ByteBuffer *bytes)
{
    bytes->clear();
    FILE *file = std::fopen(ZettlyFileNames().current[TEXT_FILE], "rb");
    if (!file)
        return false;
    char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0)
        bytes->insert(bytes->end(), block, block + n);
    std::fclose(file);
    return true;
}

// ---------------------------------------------------------------- the program itself

struct ProgramWindows {
    DWORD process;
    int shownNotes;
    HWND main;
    HWND edit; // of the first shown note found
};

static BOOL CALLBACK LookAtProgramWindow(HWND window, LPARAM context)
{
    ProgramWindows *p = (ProgramWindows *)context;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != p->process)
        return TRUE;
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, ZETTLIES_MAIN_CLASS) == 0) {
        p->main = window;
    } else if (std::strcmp(name, ZETTLY_NOTE_CLASS) == 0 && IsWindowVisible(window)) {
        ++p->shownNotes;
        if (!p->edit)
            p->edit = FindWindowExA(window, nullptr, RICH_EDIT_CLASS, nullptr);
    }
    return TRUE;
}

enum : DWORD { LOOK_INTERVAL_MS = 250, PROGRAM_WAIT_MS = 600000 };

// Until the program shows every note and waits for input. False when it
// ended or did not get there in time.
static bool WaitForProgramNotes(const PROCESS_INFORMATION &child, ProgramWindows *found)
{
    DWORD start = GetTickCount();
    for (;;) {
        *found = ProgramWindows{child.dwProcessId, 0, nullptr, nullptr};
        EnumWindows(LookAtProgramWindow, (LPARAM)found);
        if (found->shownNotes == NOTES && found->main && found->edit &&
            WaitForInputIdle(child.hProcess, 0) == 0)
            return true;
        if (GetTickCount() - start > PROGRAM_WAIT_MS)
            return false;
        // Each look asks the window server about every window of the
        // program, which slows the program down: a few looks a second.
        if (WaitForSingleObject(child.hProcess, LOOK_INTERVAL_MS) == WAIT_OBJECT_0)
            return false;
    }
}

// (d) The program started on the files the runs leave (APPDATA names their
// folder), one of its notes typed into, then told to quit as its tray menu
// does: the time from the command to the end of its process, when its last
// window has gone. *startUp: from its start until its notes were up, to the
// nearest look. -1 when it did not start, show its notes or end by itself
// with exit code 0.
static double ProgramQuit(const std::string &program, double *startUp)
{
    std::string commandLine = "\"" + program + "\" -multinstances";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    double started = Now();
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &child))
        return -1;
    ProgramWindows windows;
    double took = -1;
    if (WaitForProgramNotes(child, &windows)) {
        *startUp = Now() - started;
        PostMessageA(windows.edit, WM_CHAR, 'x', 0);
        WaitForInputIdle(child.hProcess, PROGRAM_WAIT_MS);
        double start = Now();
        PostMessageA(windows.main, WM_COMMAND, CMD_QUIT, 0);
        DWORD code = 1;
        if (WaitForSingleObject(child.hProcess, PROGRAM_WAIT_MS) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(child.hProcess, &code) && code == 0)
            took = Now() - start;
    }
    if (WaitForSingleObject(child.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, PROGRAM_WAIT_MS);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return took;
}

static std::string WindowsPath(const char *unixPath)
{
    std::string path = std::string("Z:") + unixPath;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// (a) The floor: what the windows themselves cost.
static double BareWindows(const std::vector<NoteText> &texts, double *closing)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZtBenchBareNote";
    RegisterClassA(&wc);
    std::vector<HWND> windows;
    double start = Now();
    for (int i = 0; i < NOTES; ++i) {
        HWND note = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_THICKFRAME,
                                    40 + i % 20 * 30, 50 + i % 20 * 20, 200, 100, nullptr,
                                    nullptr, wc.hInstance, nullptr);
        HWND edit = CreateWindowExA(0, RICH_EDIT_CLASS, "", WS_CHILD | WS_VISIBLE | ES_MULTILINE,
                                    0, 16, 200, 84, note, nullptr, wc.hInstance, nullptr);
        CHARFORMATA plain = {};
        plain.cbSize = sizeof plain;
        plain.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD;
        plain.yHeight = 200;
        lstrcpyA(plain.szFaceName, "Arial");
        SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&plain);
        const NoteText &text = texts[(size_t)i % texts.size()];
        MemoryReader reader = {(const char *)text.rtf.data(), (DWORD)text.rtf.size(), 0};
        EDITSTREAM stream = {(DWORD_PTR)&reader, 0, StreamInFromMemory};
        SendMessageA(edit, EM_STREAMIN, SF_RTF, (LPARAM)&stream);
        ShowWindow(note, SW_SHOWNOACTIVATE);
        UpdateWindow(note);
        windows.push_back(note);
    }
    double took = Settle() - start;
    start = Now();
    for (HWND w : windows)
        DestroyWindow(w);
    *closing = Settle() - start;
    return took;
}

// The time outside every mark is shown as "other", so the phases add up.
static void PrintPhases(const char *what, const std::vector<std::vector<double>> &runs,
                        const std::vector<double> &totals)
{
    std::printf("  %s by phase (ms, median):", what);
    for (int p = 0; p < PHASE_COUNT; ++p) {
        std::vector<double> v;
        for (size_t r = 0; r < runs.size(); ++r) {
            double marked = 0;
            for (int q = 0; q < PHASE_OTHER; ++q)
                marked += runs[r][(size_t)q];
            v.push_back(p == PHASE_OTHER ? totals[r] - marked : runs[r][(size_t)p]);
        }
        double m = Median(v);
        if (m >= 0.5)
            std::printf(" %s %.0f;", PhaseNames[p], m);
    }
    std::printf("\n");
}

int main(int argc, char **argv)
{
    int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    if (runs < 1 || runs > 50)
        runs = 5;
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    lstrcatA(folder, "zt-notes-benchmark");
    CreateDirectoryA(folder, nullptr);
    SetCurrentDirectoryA(folder);
    SetEnvironmentVariableA("APPDATA", folder); // for the program
    // Another build's program may be named (a Windows path) to compare it.
    const std::string program = argc > 2 ? argv[2] : WindowsPath(ZETTLIES_EXE);
    // As the program has them: a note gets its OLE container and, while the
    // setting is on, its line/column indicator.
    OleInitialize(nullptr);
    UseEditingFeatures(ZettliesEditingFeatures());
    PrepareNoteWindows();
    RegisterToolTipClass(GetModuleHandleA(nullptr));
    ResetDefaultSettings();
    if (PrepareZettlyFileSet() != 0)
        return 1;
    std::string filler;
    while (filler.size() < 4000)
        filler += "Lorem ipsum dolor sit amet, consectetur adipiscing elit. ";
    for (int i = 0; i < NOTES; ++i) {
        if (MakeNote(i, i % 20) != 0)
            return 1;
        WriteRichText(ZettlyTable[i].editWindow, filler + std::to_string(i));
    }
    if (SaveZettlies((HWND)1) != 0)
        return 2;
    DestroyAllNotes();
    ByteBuffer textFile;
    if (!ReadTextFile(&textFile))
        return 3;
    std::vector<NoteText> texts;
    SplitRichNoteTexts(textFile.data(), textFile.size(), &texts);
    if (texts.size() != NOTES)
        return 4;

    std::vector<double> floor, floorClosing, load, ratio, save, saveAgain, saveTyped, quit;
    std::vector<double> programStart;
    std::vector<double> painting;
    std::vector<std::vector<double>> loadPhases, savePhases, saveAgainPhases;
    int textsChanged = 0;
    // Run 0 warms Wine up (its first windows, fonts and the control's code)
    // and is not counted.
    for (int run = 0; run <= runs; ++run) {
        if (run == 1) {
            for (auto *v : {&floor, &floorClosing, &load, &ratio, &save, &saveAgain, &saveTyped,
                            &quit, &programStart, &painting})
                v->clear();
            for (auto *v : {&loadPhases, &savePhases, &saveAgainPhases})
                v->clear();
            textsChanged = 0;
        }
        ByteBuffer textsBefore, textsAfter;
        if (!ReadTextFile(&textsBefore))
            return 3;
        double closing = 0;
        floor.push_back(BareWindows(texts, &closing));
        floorClosing.push_back(closing);

        std::vector<double> phases(PHASE_COUNT, 0.0);
        NotesPhaseTimer timer = {};
        timer.ms = phases.data();
        NotesPhases = &timer;
        double start = Now();
        int loaded = LoadZettlies();
        // What the window system does after the load has returned (the
        // exposures of the shown notes, their painting) is the showing's.
        // Marks met meanwhile keep their own time.
        double returned = Now();
        double markedBefore = 0, markedAfter = 0;
        for (int p = 0; p < PHASE_OTHER; ++p)
            markedBefore += phases[(size_t)p];
        load.push_back(Settle() - start);
        for (int p = 0; p < PHASE_OTHER; ++p)
            markedAfter += phases[(size_t)p];
        double unmarked = start + load.back() - returned - (markedAfter - markedBefore);
        phases[PHASE_SHOWING] += unmarked;
        painting.push_back(unmarked);
        ratio.push_back(load.back() / floor.back());
        NotesPhases = nullptr;
        loadPhases.push_back(phases);
        if (loaded != NOTES)
            return 5;

        // The first save writes the texts as the load read them; the second,
        // with nothing changed, finds them as the first took them.
        for (int again = 0; again < 2; ++again) {
            std::fill(phases.begin(), phases.end(), 0.0);
            timer = NotesPhaseTimer{};
            timer.ms = phases.data();
            NotesPhases = &timer;
            start = Now();
            if (SaveZettlies(nullptr) != 0)
                return 6;
            (again ? saveAgain : save).push_back(Now() - start);
            NotesPhases = nullptr;
            (again ? saveAgainPhases : savePhases).push_back(phases);
        }
        if (!ReadTextFile(&textsAfter))
            return 3;
        if (textsAfter != textsBefore)
            ++textsChanged;

        // One note typed into: that note alone is taken afresh.
        SendMessageA(ZettlyTable[run % NOTES].editWindow, WM_CHAR, 'x', 0);
        start = Now();
        if (SaveZettlies(nullptr) != 0)
            return 7;
        saveTyped.push_back(Now() - start);
        DestroyAllNotes();
        Settle();

        double startUp = 0;
        double took = ProgramQuit(program, &startUp);
        if (took < 0)
            return 8;
        quit.push_back(took);
        programStart.push_back(startUp);
    }

    double a = Median(floor), b = Median(load);
    std::printf("notes benchmark: %d notes, %zu bytes of text, median of %d runs\n", NOTES,
                textFile.size(), runs);
    std::printf("(a) bare windows with rich-edit children: %.0f ms (closing them %.0f)\n", a,
                Median(floorClosing));
    std::printf("(b) load through LoadZettlies:             %.0f ms (%.2fx the bare windows)\n", b,
                b / a);
    // Each run's load against the floor of the same run: the machine's own
    // drift between runs cancels out.
    std::vector<double> sorted = ratio;
    std::sort(sorted.begin(), sorted.end());
    std::printf("  (b)/(a) run by run: median %.2fx, from %.2fx to %.2fx\n", Median(ratio),
                sorted.front(), sorted.back());
    PrintPhases("load", loadPhases, load);
    std::printf("  of the showing, painting after the load returned: %.0f ms\n", Median(painting));
    std::printf("(c) Save Now through SaveZettlies:         %.0f ms\n", Median(save));
    PrintPhases("save", savePhases, save);
    std::printf("(c') Save Now again, nothing changed:      %.0f ms\n", Median(saveAgain));
    PrintPhases("save again", saveAgainPhases, saveAgain);
    std::printf("(c'') Save Now, one note typed into:       %.0f ms\n", Median(saveTyped));
    std::printf("(d) the program's quit, one note typed into: %.0f ms, from the command to the end\n"
                "    of its process (its start until the notes were up: %.0f ms)\n",
                Median(quit), Median(programStart));
    if (textsChanged == 0)
        std::printf("text file after load and Save Now: the bytes loaded, in every run\n");
    else
        std::printf("text file after load and Save Now: CHANGED in %d of %d runs\n", textsChanged,
                    runs);

    const ZettlyFileSet &f = ZettlyFileNames();
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind)
        for (const char *name : {f.current[kind], f.prior[kind], f.damaged[kind], f.held[kind],
                                 f.saving[kind], f.aside[kind]})
            DeleteFileA(name);
    for (const char *name : {f.marker, f.committing, f.unsaved, f.sessionNote})
        DeleteFileA(name);
    CloseZettlyFileSet();
    SetCurrentDirectoryA("..");
    RemoveDirectoryA(folder);
    return 0;
}
