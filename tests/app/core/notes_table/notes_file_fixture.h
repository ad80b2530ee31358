// Notes with rich text in a data folder of the test's own, for the save and
// load tests and the child program that the crash test kills.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <cstring>
#include <string>

#include "core/core_ids.h"
#include "core/note_window/group_window.h"
#include "core/note_window/note_window.h"
#include "core/main_window/zettlies_files.h"
#include "core/notes_table/zettly_slots.h"
#include "core/note_window/window_creation.h"

namespace notes_test {

inline void PrepareNoteWindows(void)
{
    static HMODULE richEdit = LoadLibraryA("RICHED32.DLL");
    (void)richEdit;
    InitCommonControls();
    RegisterNoteClass(GetModuleHandleA(nullptr));
    RegisterGroupClass(GetModuleHandleA(nullptr));
}

inline void DestroyAllNotes(void)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window && IsWindow(ZettlyTable[slot].window))
            DestroyWindow(ZettlyTable[slot].window);
    std::memset(ZettlyTable, 0, sizeof(ZettlyRecord) * (ZETTLY_LAST_NOTE_SLOT + 1));
}

// A note in the given slot, cloned from the defaults, with its own place and colours.
inline int MakeNote(int slot, int n, bool isGroup = false)
{
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    ZettlyRecord *z = &ZettlyTable[slot];
    z->windowRect = ZettlyRect{40 + 30 * n, 50 + 20 * n, 240 + 30 * n, 150 + 20 * n};
    z->backColour = 0x00102030u + (uint32_t)n;
    z->textColour = 0x00000100u * (uint32_t)n;
    z->isGroup = isGroup ? 1 : 0;
    z->wordWrap = n & 1;
    z->alarmYear = 2030 + n;
    std::snprintf(z->title, sizeof z->title, "Note number %d", n);
    return CreateZettlyWindow(nullptr, slot, TRUE, FALSE);
}

// "Bold Red plain": the first word bold, the second red.
inline void WriteRichText(HWND edit, const std::string &tail)
{
    std::string text = "Bold Red plain " + tail;
    CHARFORMATA plain = {};
    plain.cbSize = sizeof plain;
    plain.dwMask = CFM_BOLD | CFM_COLOR | CFM_FACE | CFM_SIZE;
    plain.yHeight = 200;
    lstrcpyA(plain.szFaceName, "Arial");
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&plain);
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&plain);
    CHARFORMATA bold = {};
    bold.cbSize = sizeof bold;
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    SendMessageA(edit, EM_SETSEL, 0, 4);
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&bold);
    CHARFORMATA red = {};
    red.cbSize = sizeof red;
    red.dwMask = CFM_COLOR;
    red.crTextColor = RGB(255, 0, 0);
    SendMessageA(edit, EM_SETSEL, 5, 8);
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&red);
    SendMessageA(edit, EM_SETSEL, 0, 0);
}

inline std::string PlainText(HWND edit)
{
    char text[8192] = {};
    GetWindowTextA(edit, text, sizeof text);
    return text;
}

inline CHARFORMATA FormatAt(HWND edit, int at)
{
    CHARFORMATA f = {};
    f.cbSize = sizeof f;
    SendMessageA(edit, EM_SETSEL, at, at + 1);
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&f);
    return f;
}

// The rich text as WriteRichText left it: checks the parsed formatting.
inline bool HasRichText(HWND edit, const std::string &tail, std::string *why)
{
    std::string text = PlainText(edit);
    if (text != "Bold Red plain " + tail) {
        *why = "text \"" + text + "\"";
        return false;
    }
    CHARFORMATA b = FormatAt(edit, 1), r = FormatAt(edit, 6), p = FormatAt(edit, 10);
    if (!(b.dwEffects & CFE_BOLD) || (r.dwEffects & CFE_BOLD) || (p.dwEffects & CFE_BOLD)) {
        *why = "bold lost";
        return false;
    }
    if ((r.dwEffects & CFE_AUTOCOLOR) || r.crTextColor != RGB(255, 0, 0) ||
        p.crTextColor == RGB(255, 0, 0)) {
        *why = "colour lost";
        return false;
    }
    return true;
}

} // namespace notes_test
