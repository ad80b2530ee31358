// Puts two notes on the screen for a few seconds: one yellow with text, one
// blue and rolled up, one green in calculator mode. Usage: zt_note_demo
// [seconds] [title]; with "title" the green note's title edit is open.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "core/note_window/note_window.h"
#include "core/note_editor/tooltip_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "core/note_window/window_creation.h"

static int MakeNote(const char *title, const char *text, ZettlyRect r, COLORREF back, bool rolled)
{
    int slot = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    ZettlyRecord &z = ZettlyTable[slot];
    std::strcpy(z.title, title);
    z.windowRect = r;
    z.backColour = back;
    z.titleFont.lfHeight = -16;
    z.editFont.lfHeight = -14;
    if (CreateZettlyWindow(nullptr, slot, TRUE, TRUE) != 0)
        return -1;
    SetWindowTextA(z.editWindow, text);
    if (rolled)
        SendMessageA(z.window, WM_COMMAND, CMD_ROLL_ZETTLY, 0);
    return slot;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    int seconds = commandLine && *commandLine ? std::atoi(commandLine) : 5;
    LoadLibraryA(RICH_EDIT_LIBRARY);
    RegisterNoteClass(instance);
    RegisterToolTipClass(instance);
    ResetDefaultSettings();
    ZettlyInfo.soundEffects = 0;
    ZettlyInfo.animateRoll = 0;
    ZettlyInfo.lineColumnInfo = 0;
    ZettlyTable[ZETTLY_DEFAULT_SLOT].alarmActive = 0;

    int a = MakeNote("Shopping list", "milk\r\nbread\r\ncoffee beans\r\nsee https://example.org",
                     {100, 100, 420, 300}, RGB(255, 255, 0), false);
    if (a >= 0) {
        ZettlyTable[a].alarmActive = 1;
        InvalidateRect(ZettlyTable[a].window, nullptr, FALSE);
    }
    MakeNote("Rolled up: ideas", "hidden text", {100, 340, 420, 500}, RGB(150, 200, 255), true);
    MakeNote("Calculator", "1+2", {460, 100, 760, 260}, RGB(200, 255, 200), false);
    for (int s = 0; s <= ZETTLY_LAST_NOTE_SLOT; ++s)
        if (ZettlyTable[s].window && std::strcmp(ZettlyTable[s].title, "Calculator") == 0) {
            ZettlyTable[s].calculatorMode = 1;
            InvalidateRect(ZettlyTable[s].window, nullptr, FALSE);
            if (commandLine && std::strstr(commandLine, "title"))
                SendMessageA(ZettlyTable[s].window, WM_COMMAND, CMD_SET_TITLE, 0);
        }

    DWORD end = GetTickCount() + (DWORD)seconds * 1000;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    return 0;
}
