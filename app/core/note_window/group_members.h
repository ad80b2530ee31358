// Notes moved into and out of group windows, and the re-link dialog.
#pragma once

#include "group_window.h" // AttachToGroup, DetachFromGroup

// Called while a note is dragged by its strip (mouse position and press point
// in the note's client coordinates, the position packed as a mouse message's
// lParam). A free note over a group window: that group's slot, to be joined
// on release. A member dragged above its group by more than a strip leaves
// the group at the same place on the screen. Otherwise -1.
int DragIntoGroup(int slot, long mousePosition, int pressX, int pressY);
