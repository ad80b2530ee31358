#include "group_members.h"

// Least form until groups are built: no note is ever over a group.
int DragIntoGroup(int slot, long mousePosition, int pressX, int pressY)
{
    return -1;
}
