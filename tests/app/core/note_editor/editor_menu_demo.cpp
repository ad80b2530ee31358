// A note with mixed formatting and one of its menus open, for a look (not a
// test). Usage: zt_editor_menu_demo editor|note [seconds] [syntax.cfg path].
#include <windows.h>
#include <richedit.h>

#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "core/note_editor/tooltip_window.h"
#include "core/note_window/note_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "editing/syntax_config.h"
#include "core/note_window/window_creation.h"

static void Format(HWND edit, LONG from, LONG to, DWORD mask, DWORD effects, COLORREF text,
                   LONG twips)
{
    CHARRANGE r = {from, to};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&r);
    CHARFORMAT2A f = {};
    f.cbSize = sizeof f;
    f.dwMask = mask;
    f.dwEffects = effects;
    f.crTextColor = text;
    f.yHeight = twips;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&f);
}

static void CALLBACK EndShow(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
    PostQuitMessage(0);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    char line[512];
    lstrcpynA(line, commandLine ? commandLine : "", sizeof line);
    char *which = std::strtok(line, " ");
    char *secondsText = std::strtok(nullptr, " ");
    char *config = std::strtok(nullptr, " ");
    int seconds = secondsText ? std::atoi(secondsText) : 8;
    if (config)
        LoadSyntaxConfig(config);
    LoadLibraryA(RICH_EDIT_LIBRARY);
    RegisterNoteClass(instance);
    RegisterToolTipClass(instance);
    ResetDefaultSettings();
    ZettlyInfo.soundEffects = 0;
    ZettlyInfo.lineColumnInfo = 0;
    ZettlySchemes.entries[0] = {RGB(0, 0, 0), RGB(255, 255, 160), RGB(255, 0, 0)};
    ZettlySchemes.entries[1] = {RGB(255, 255, 255), RGB(0, 64, 128), RGB(0, 200, 255)};
    ZettlySchemes.entries[2] = {RGB(0, 80, 0), RGB(200, 255, 200), RGB(0, 128, 0)};
    ZettlySchemes.count = 3;

    int slot = FindFreeZettlySlot();
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    ZettlyRecord &z = ZettlyTable[slot];
    std::strcpy(z.title, "Mixed formatting");
    z.windowRect = {60, 60, 460, 300};
    z.titleFont.lfHeight = -16;
    z.editFont.lfHeight = -14;
    std::strcpy(z.editFont.lfFaceName, "Tahoma");
    if (CreateZettlyWindow(nullptr, slot, TRUE, TRUE) != 0)
        return 1;
    HWND edit = z.editWindow;
    SetWindowTextA(edit, "Bold words, italic words\r\nRed and underlined\r\nBig text\r\nplain");
    Format(edit, 0, 10, CFM_BOLD, CFE_BOLD, 0, 0);
    Format(edit, 12, 24, CFM_ITALIC, CFE_ITALIC, 0, 0);
    Format(edit, 26, 29, CFM_COLOR, 0, RGB(255, 0, 0), 0);
    Format(edit, 34, 44, CFM_UNDERLINE, CFE_UNDERLINE, 0, 0);
    Format(edit, 46, 54, CFM_SIZE | CFM_BOLD, CFE_BOLD, 0, 20 * 20);
    CHARRANGE none = {0, 0};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&none);
    UpdateWindow(z.window);

    SetTimer(nullptr, 0, (UINT)seconds * 1000, EndShow);
    if (which && std::strcmp(which, "note") == 0)
        SendMessageA(z.window, WM_CONTEXTMENU, (WPARAM)z.window, MAKELPARAM(200, 160));
    else
        SendMessageA(edit, WM_RBUTTONUP, 0, MAKELPARAM(120, 100));
    return 0;
}
