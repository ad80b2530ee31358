#include "startup.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "core/arcade_features.h"
#include "core/editing_features.h"
#include "command_line.h"
#include "core/core_ids.h"
#include "core/notes_table/notes_file_format.h"
#include "core/notes_table/notes_file_ids.h"
#include "core/note_window/group_window.h"
#include "main_window.h"
#include "program_folder.h"
#include "core/note_window/note_window.h"
#include "core/note_editor/note_edit.h"
#include "core/note_editor/tooltip_window.h"
#include "ui_seams.h"
#include "window_class.h"

// Why the folder APPDATA names cannot hold the notes files, or null: every
// name a save gives a file there must stay within MAX_PATH, or Windows
// refuses it (error 206) after the folder itself was taken.
static const char *UnusableDataFolder(const char *folder, DWORD length)
{
    if (length + 1 + ZETTLY_LONGEST_NAME_CHARS >= MAX_PATH)
        return "its path is too long for the zettly files";
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "it does not exist";
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "it is not a folder";
    return nullptr;
}

BOOL EnterAppDataFolder(BOOL programFolderOnly)
{
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("APPDATA", folder, sizeof folder);
    if (!programFolderOnly && length > 0 && length < sizeof folder &&
        !UnusableDataFolder(folder, length))
        return SetCurrentDirectoryA(folder);
    if (!GetProgramFolder(folder, sizeof folder))
        return FALSE;
    return SetCurrentDirectoryA(folder);
}

static void RegisterMainClasses(HINSTANCE instance)
{
    RegisterWindowClass(instance, ZETTLIES_MAIN_CLASS, MainWndProc,
                        {CS_PARENTDC, nullptr, (HBRUSH)GetStockObject(WHITE_BRUSH)});

    RegisterNoteClass(instance);
    RegisterGroupClass(instance);
    RegisterToolTipClass(instance);
}

static void UnregisterMainClasses(HINSTANCE instance)
{
    UnregisterClassA(ZETTLIES_MAIN_CLASS, instance);
    UnregisterNoteClass(instance);
    UnregisterGroupClass(instance);
    UnregisterToolTipClass(instance);
}

// -1 is a message that could not be had, not the end: quitting on it lost
// the program to a sender whose data Wine could not deliver.
static void NoteFailedGetMessage(int *failuresInARow)
{
    static bool noted;
    if (!noted) {
        char text[96];
        wsprintfA(text, "Zettlies: GetMessage failed (error %lu); going on\n",
                  (unsigned long)GetLastError());
        OutputDebugStringA(text);
        noted = true;
    }
    // Failing again at once would spin: wait for the queue instead, a little.
    if (++*failuresInARow > 1)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, FAILED_GET_MESSAGE_PAUSE_MS, QS_ALLINPUT);
}

int RunMessageLoop(GetMessageFunction getMessage)
{
    MSG msg;
    int failuresInARow = 0;
    for (;;) {
        BOOL got = getMessage(&msg, nullptr, 0, 0);
        if (got == 0)
            return (int)msg.wParam;
        if (got == -1) {
            NoteFailedGetMessage(&failuresInARow);
            continue;
        }
        failuresInARow = 0;
        if (DispatchArcadeMessage(&msg))
            continue;
        if (Editing().findReplaceTakesMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

static void RestartWithCommandLine(const char *commandLine)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    ShellExecuteA(GetDesktopWindow(), "open", path, commandLine, nullptr, SW_SHOWDEFAULT);
}

// Said at start-up: otherwise the notes of the program's folder appear
// without a word in place of those of the folder the user set.
static void TellUnusableDataFolder(void)
{
    char named[1024];
    DWORD length = GetEnvironmentVariableA("APPDATA", named, sizeof named);
    if (length == 0)
        return;
    const char *why = length >= sizeof named ? "its path is too long for the zettly files"
                                             : UnusableDataFolder(named, length);
    if (!why)
        return;
    if (length >= sizeof named)
        std::strcpy(named + sizeof named - 4, "...");
    char program[MAX_PATH] = "";
    GetProgramFolder(program, sizeof program);
    char text[sizeof named + MAX_PATH + 256];
    std::snprintf(text, sizeof text, DATA_FOLDER_UNUSABLE, why, named, program);
    ZtMessageBox(nullptr, text, DATA_FOLDER_CAPTION, MB_ICONEXCLAMATION);
}

// What one run of the program started and must stop again, in reverse order.
struct ZettliesRun {
    HINSTANCE instance;
    HMODULE richEdit;
    bool mailAvailable;
};

// Start-up up to the main window: 0, or -1 when the rich-edit control is
// missing (after telling the user; nothing but the syntax file and the
// common controls has been started then).
static int StartServices(ZettliesRun *run)
{
    char folder[MAX_PATH];
    if (GetProgramFolder(folder, sizeof folder) && SetCurrentDirectoryA(folder))
        Editing().loadSyntaxConfig("syntax.cfg");
    EnterAppDataFolder(FALSE);
    InitCommonControls();
    TellUnusableDataFolder();

    run->richEdit = LoadLibraryA(RICH_EDIT_LIBRARY);
    if (!run->richEdit) {
        ZtMessageBox(nullptr, "Unable to load the Rich Edit control!", "Load riched32.dll error",
                     MB_ICONEXCLAMATION);
        Editing().freeSyntaxConfig();
        return -1;
    }
    OleInitialize(nullptr);
    RegisterMainClasses(run->instance);
    run->mailAvailable = Editing().mailInit() == 0;
    Editing().ddeServerStart();
    NoteKeys.note = LoadAcceleratorsA(run->instance, MAKEINTRESOURCEA(IDA_NOTE_COMMANDS));
    NoteKeys.edit = LoadAcceleratorsA(run->instance, MAKEINTRESOURCEA(IDA_EDIT_COMMANDS));

    // The emulator's sounds are played straight from the resources, which
    // are found once, before any window can start a game.
    LoadArcadeSounds(run->instance);
    return 0;
}

static void StopServices(ZettliesRun *run)
{
    UnregisterMainClasses(run->instance);
    if (run->mailAvailable)
        Editing().mailShutdown();
    Editing().ddeServerStop();
    OleUninitialize();
    // The control's library stays until the process ends: the notes left to
    // that end are still its windows, and a message handed to one must not
    // find its code gone.
    Editing().freeSyntaxConfig();
}

int ZettliesMain(HINSTANCE instance, HINSTANCE previous, const char *commandLine, int show)
{
    (void)previous;
    (void)show;
    if (!commandLine)
        commandLine = "";
    bool multiple = AsksForMultipleInstances(commandLine);
    bool namesFile = CommandLineNamesSomething(commandLine);

    if (!multiple && FindWindowA(ZETTLIES_MAIN_CLASS, nullptr)) {
        if (namesFile)
            Editing().ddeSendFileToRunningInstance(commandLine);
        return 0;
    }

    ZettliesRun run = {instance, nullptr, false};
    if (StartServices(&run) != 0)
        return 1;
    // The process ends with the loop: the main window may leave the notes to that end.
    MainWindowStart start = {TRUE};
    HWND main = CreateWindowExA(0, ZETTLIES_MAIN_CLASS, nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                GetDesktopWindow(), nullptr, instance, &start);
    int exitCode;
    if (!main) {
        exitCode = -1;
    } else {
        if (!multiple && namesFile)
            RestartWithCommandLine(commandLine);
        exitCode = RunMessageLoop();
    }
    StopServices(&run);
    return exitCode;
}
