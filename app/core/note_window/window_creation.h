// Making the window of a note or group from its record, and converting a
// member note's place between the screen and its group.
#pragma once
#include <windows.h>

// 0, or -1 after telling the user (owned by owner) that the window could not
// be made; the slot then stays free.
int CreateZettlyWindow(HWND owner, int slot, BOOL isNew, BOOL show);
// True while a note or group window is in the middle of its creation.
BOOL ZettlyWindowBeingCreated(void);
// A member's position from screen to group-client coordinates (toGroup) or
// back; never above the group's title strip. 1, or 0 when the group has no window.
int PlaceInGroup(int slot, int *x, int *y, BOOL toGroup);
