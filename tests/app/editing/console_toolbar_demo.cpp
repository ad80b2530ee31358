// Shows a note in console mode with some output and a note with the edit
// toolbar expanded below it, for a screenshot: console_toolbar_demo <seconds>.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdlib>
#include <string>

#include "core/core_ids.h"
#include "editing/console_mode.h"
#include "core/note_window/note_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "editing/edit_toolbar.h"
#include "editing/edit_toolbar_ids.h"
#include "core/note_window/window_creation.h"

static void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

static bool WaitForText(HWND edit, const char *text, DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        char buffer[8192] = "";
        GetWindowTextA(edit, buffer, sizeof buffer);
        if (std::string(buffer).find(text) != std::string::npos)
            return true;
        Pump(50);
    }
    return false;
}

static int NewNote(int x, int y, int width, int height, const char *title)
{
    int slot = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    ZettlyTable[slot].windowRect = {x, y, x + width, y + height};
    lstrcpynA(ZettlyTable[slot].title, title, sizeof ZettlyTable[slot].title);
    CreateZettlyWindow(nullptr, slot, TRUE, TRUE);
    return slot;
}

static void TypeLine(HWND edit, const char *line)
{
    SendMessageA(edit, EM_SETSEL, -1, -1);
    SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)line);
    SendMessageA(edit, WM_CHAR, '\r', 0);
}

int main(int argc, char **argv)
{
    int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    LoadLibraryA(RICH_EDIT_LIBRARY);
    InitCommonControls();
    RegisterNoteClass(GetModuleHandleA(nullptr));
    SetDefaultInfoSettings(&ZettlyInfo);
    ResetDefaultSettings();
    ZettlyInfo.soundEffects = 0;
    ZettlyInfo.lineColumnInfo = 0;

    int console = NewNote(30, 30, 560, 330, "Console");
    HWND consoleEdit = ZettlyTable[console].editWindow;
    if (ConsoleStart(console) == 0) {
        ZettlyTable[console].consoleMode = 1;
        InvalidateRect(ZettlyTable[console].window, nullptr, TRUE);
        WaitForText(consoleEdit, ">", 30000);
        TypeLine(consoleEdit, "echo Hello from the note console");
        WaitForText(consoleEdit, "console\r", 30000);
        TypeLine(consoleEdit, "set /a 6*7");
        WaitForText(consoleEdit, "42", 30000);
    }

    int formatted = NewNote(620, 30, 380, 220, "Toolbar");
    HWND edit = ZettlyTable[formatted].editWindow;
    SetWindowTextA(edit, "The edit toolbar follows the focused note.");
    SetFocus(edit);
    Pump(300);
    HWND bar = (HWND)SendMessageA(edit, WM_USER, EDIT_GET_TOOLBAR, 0);
    if (bar) {
        SendMessageA(bar, WM_COMMAND, IDC_EDIT_BAR_STRIP, (LPARAM)GetDlgItem(bar, IDC_EDIT_BAR_STRIP));
        SendMessageA(edit, EM_SETSEL, 0, 8);
        RefreshEditBar(bar, edit);
    }
    Pump((DWORD)seconds * 1000);
    ConsoleStop(console, 1);
    return 0;
}
