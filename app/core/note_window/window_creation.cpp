#include "window_creation.h"

#include "core/core_ids.h"
#include "core/notes_table/notes_phase_times.h"
#include "core/notes_table/zettly_slots.h"
#include "group_window.h"
#include "ui_seams.h"

// The group's client origin is mapped, not guessed from a frame metric: a
// guess that is off by the border moves a member a few pixels each time it
// is put into or taken out of its group.
int PlaceInGroup(int slot, int *x, int *y, BOOL toGroup)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return 0;
    ZettlyRecord *z = &ZettlyTable[slot];
    if (!z->isMember)
        return 1;
    int group = z->groupSlot;
    if (group < 0 || group > ZETTLY_LAST_NOTE_SLOT || !ZettlyTable[group].window)
        return 0;
    POINT origin = {0, 0};
    if (!ClientToScreen(ZettlyTable[group].window, &origin))
        return 0;
    if (toGroup) {
        *x -= origin.x;
        *y -= origin.y;
        int titleHeight = GetFontCharHeight(ZettlyTable[group].window, group);
        if (*y < titleHeight)
            *y = titleHeight;
    } else {
        *x += origin.x;
        *y += origin.y;
    }
    LayoutGroupScrollBars(group);
    return 1;
}

// A box raised while a window is made runs a message loop; whatever arrives
// from outside meanwhile must not make a note into a slot not yet settled.
static int WindowsBeingCreated;

BOOL ZettlyWindowBeingCreated(void)
{
    return WindowsBeingCreated > 0;
}

int CreateZettlyWindow(HWND owner, int slot, BOOL isNew, BOOL show)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return -1;
    ZettlyRecord *z = &ZettlyTable[slot];
    int width = z->windowRect.right - z->windowRect.left;
    int height = z->windowRect.bottom - z->windowRect.top;
    if (isNew)
        z->alarmPending = 0;
    z->window = nullptr;
    z->windowRect = ClampCreationRect(z->windowRect, GetSystemMetrics(SM_CXSCREEN),
                                      GetSystemMetrics(SM_CYSCREEN));
    DWORD exStyle = WS_EX_TOOLWINDOW;
    if (z->thinBorder)
        exStyle |= WS_EX_STATICEDGE;
    if (z->topMost)
        exStyle |= WS_EX_TOPMOST;
    const char *className = z->isGroup ? ZETTLY_GROUP_CLASS : ZETTLY_NOTE_CLASS;
    DWORD style = z->isGroup ? 0x80340000u : 0x80040000u;
    ++WindowsBeingCreated;
    HWND window = CreateWindowExA(exStyle, className, nullptr, style, z->windowRect.left,
                                  z->windowRect.top, width, height, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), (LPVOID)(INT_PTR)(slot & 0xFFFF));
    --WindowsBeingCreated;
    if (!window) {
        z->window = nullptr;
        z->editWindow = nullptr;
        ZtMessageBox(owner, "Unable to create zettly!", "Window Create Error", MB_ICONHAND);
        return -1;
    }
    HoldZettlyPlace(slot);
    NotesPhaseMark mark(PHASE_SHOWING);
    if (show)
        ShowWindow(window, z->showCommand);
    UpdateWindow(window);
    return 0;
}
