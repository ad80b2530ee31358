// Notes moved into and out of group windows.
#pragma once

// The group slot the note at mouse position (x, y) would be dropped on, or -1.
int DragIntoGroup(int slot, long mousePosition, int pressX, int pressY);
// Makes the note a child of the group window. Returns 0, or -1 when it stays free.
int AttachToGroup(int groupSlot, int slot);
