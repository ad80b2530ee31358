// Puts the preferences dialog, a group with three notes or the quick-pick
// list on the screen for a look. Usage: zt_note_dialogs_demo prefs|group|pick [seconds]
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "core/main_window/quick_pick.h"
#include "core/note_editor/tooltip_window.h"
#include "core/note_window/group_window.h"
#include "core/note_window/note_window.h"
#include "core/note_window/preferences_dialog.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "core/note_window/window_creation.h"

static int Make(const char *title, const char *text, ZettlyRect r, COLORREF back, bool group)
{
    int slot = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    ZettlyRecord &z = ZettlyTable[slot];
    std::strcpy(z.title, title);
    z.windowRect = r;
    z.backColour = back;
    z.isGroup = group;
    z.titleFont.lfHeight = -14;
    if (CreateZettlyWindow(nullptr, slot, TRUE, TRUE) != 0)
        return -1;
    if (text && z.editWindow)
        SetWindowTextA(z.editWindow, text);
    return slot;
}

static void CALLBACK Quit(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    const char *mode = commandLine ? commandLine : "";
    const char *space = std::strchr(mode, ' ');
    int seconds = space ? std::atoi(space + 1) : 5;
    LoadLibraryA(RICH_EDIT_LIBRARY);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    RegisterNoteClass(instance);
    RegisterGroupClass(instance);
    RegisterToolTipClass(instance);
    ResetDefaultSettings();
    ZettlyInfo.soundEffects = 0;
    ZettlyInfo.animateRoll = 0;
    ZettlyInfo.lineColumnInfo = 0;
    ZettlyInfo.closeButton = 1;
    ZettlySchemes.count = 4;
    ZettlySchemes.entries[0] = {RGB(0, 0, 0), RGB(255, 255, 0), RGB(255, 0, 0)};
    ZettlySchemes.entries[1] = {RGB(0, 0, 128), RGB(180, 220, 255), RGB(0, 0, 255)};
    ZettlySchemes.entries[2] = {RGB(0, 80, 0), RGB(200, 255, 200), RGB(0, 160, 0)};
    ZettlySchemes.entries[3] = {RGB(255, 255, 255), RGB(90, 40, 120), RGB(255, 128, 0)};
    SetTimer(nullptr, 0, (UINT)seconds * 1000, Quit);

    if (std::strncmp(mode, "prefs", 5) == 0) {
        int note = Make("Shopping list", "milk", {60, 60, 300, 200}, RGB(255, 255, 0), false);
        ZettlyInfo.allTransparent = 1;
        if (RunPreferencesDialog(nullptr, note) < 0)
            MessageBoxA(nullptr, "The preferences dialog could not be shown.", "Demo", MB_OK);
        return 0;
    }
    if (std::strncmp(mode, "group", 5) == 0) {
        int group = Make("Project group", nullptr, {100, 100, 620, 460}, RGB(180, 220, 255), true);
        const char *titles[3] = {"Ideas", "To do", "Phone numbers"};
        const char *texts[3] = {"a shaped list\r\nround borders", "write tests\r\nmerge",
                                "Anna 555-0101\r\nBo 555-0102"};
        COLORREF backs[3] = {RGB(255, 255, 0), RGB(200, 255, 200), RGB(255, 210, 230)};
        for (int i = 0; i < 3; ++i) {
            int x = 130 + i * 170, y = 150 + (i % 2) * 60;
            int note = Make(titles[i], texts[i], {x, y, x + 160, y + 120}, backs[i], false);
            AttachToGroup(group, note);
        }
        // One note sticks out to the right: the horizontal bar comes on.
        int wide = Make("Sticks out", "more to the right", {520, 330, 700, 420},
                        RGB(255, 230, 180), false);
        AttachToGroup(group, wide);
        LayoutGroupScrollBars(group);
    } else {
        Make("Shopping list", "milk", {60, 600, 260, 680}, RGB(255, 255, 0), false);
        Make("Ideas", "x", {300, 600, 500, 680}, RGB(200, 255, 200), false);
        Make("Phone numbers", "x", {540, 600, 740, 680}, RGB(255, 210, 230), false);
        Make("Meeting at ten", "x", {780, 600, 980, 680}, RGB(180, 220, 255), false);
        static int selected = 1;
        OpenQuickPickList(nullptr, &selected);
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
