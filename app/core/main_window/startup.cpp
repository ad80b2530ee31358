#include "startup.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "../arcade/arcade_about.h"
#include "../arcade/arcade_machine.h"
#include "core/editing_features.h"
#include "command_line.h"
#include "core/core_ids.h"
#include "core/note_window/group_window.h"
#include "main_window.h"
#include "core/note_window/note_window.h"
#include "core/note_editor/tooltip_window.h"
#include "ui_seams.h"
#include "window_class.h"

HINSTANCE ZettliesInstance;
HACCEL NoteAccelerators;
HACCEL EditAccelerators;
char RichEditClassName[16];

static HMODULE RichEditLibrary;
BOOL MailAvailable;

bool GetProgramFolder(char *out, DWORD outSize)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A full buffer means the path was cut: better no folder than a wrong one.
    if (length == 0 || length >= sizeof path)
        return false;
    return FolderOfPath(path, out, outSize);
}

BOOL EnterAppDataFolder(BOOL programFolderOnly)
{
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("APPDATA", folder, sizeof folder);
    if (!programFolderOnly && length > 0 && length < sizeof folder)
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

static bool IsEmulatorKey(const MSG &msg)
{
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Children only: a box the dialog owns has the dialog as its parent too.
        return emulatorDialog && (GetWindowLongA(msg.hwnd, GWL_STYLE) & WS_CHILD) &&
               GetParent(msg.hwnd) == emulatorDialog;
    }
    return false;
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
        if (emulationActive) {
            // The emulator dialog reads the keys itself, whichever of its
            // buttons has the focus.
            TranslateMessage(&msg);
            if (IsEmulatorKey(msg))
                msg.hwnd = emulatorDialog;
            DispatchMessageA(&msg);
            continue;
        }
        if (FindReplaceDialog && IsDialogMessageA(FindReplaceDialog, &msg))
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

int ZettliesMain(HINSTANCE instance, HINSTANCE previous, const char *commandLine, int show)
{
    (void)previous;
    (void)show;
    ZettliesInstance = instance;
    if (!commandLine)
        commandLine = "";
    bool multiple = AsksForMultipleInstances(commandLine);
    bool namesFile = CommandLineNamesSomething(commandLine);

    if (!multiple && FindWindowA(ZETTLIES_MAIN_CLASS, nullptr)) {
        if (namesFile)
            DdeSendFileToRunningInstance(commandLine);
        return 0;
    }

    char folder[MAX_PATH];
    if (GetProgramFolder(folder, sizeof folder) && SetCurrentDirectoryA(folder))
        LoadSyntaxConfig("syntax.cfg");
    EnterAppDataFolder(FALSE);
    InitCommonControls();

    lstrcpyA(RichEditClassName, RICH_EDIT_CLASS);
    RichEditLibrary = LoadLibraryA(RICH_EDIT_LIBRARY);
    if (!RichEditLibrary) {
        ZtMessageBox(nullptr, "Unable to load the Rich Edit control!", "Load riched32.dll error",
                     MB_ICONEXCLAMATION);
        FreeSyntaxConfig();
        return 1;
    }
    OleInitialize(nullptr);
    RegisterMainClasses(instance);
    MailAvailable = MailInit() == 0;
    DdeServerStart();
    NoteAccelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_NOTE_COMMANDS));
    EditAccelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_EDIT_COMMANDS));

    // The emulator's sounds are played straight from the resources, which
    // are found once, before any window can start a game.
    LoadArcadeSounds(instance);

    HWND main = CreateWindowExA(0, ZETTLIES_MAIN_CLASS, nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                GetDesktopWindow(), nullptr, instance, nullptr);
    int exitCode;
    if (!main) {
        exitCode = -1;
    } else {
        if (!multiple && namesFile)
            RestartWithCommandLine(commandLine);
        exitCode = RunMessageLoop();
    }

    UnregisterMainClasses(instance);
    if (MailAvailable)
        MailShutdown();
    DdeServerStop();
    OleUninitialize();
    FreeLibrary(RichEditLibrary);
    RichEditLibrary = nullptr;
    FreeSyntaxConfig();
    return exitCode;
}
