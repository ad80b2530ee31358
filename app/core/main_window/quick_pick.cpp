#include "quick_pick.h"

int QuickPickSelectedSlot = -1;

// The shaped list with its animation arrives with its own dialog resource.
HWND OpenQuickPickList(HWND owner)
{
    (void)owner;
    return nullptr;
}
