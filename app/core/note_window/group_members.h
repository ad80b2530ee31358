// Notes moved into and out of group windows.
#pragma once

#include "group_window.h" // AttachToGroup

// The group slot the note at mouse position (x, y) would be dropped on, or -1.
int DragIntoGroup(int slot, long mousePosition, int pressX, int pressY);
