#include "edit_toolbar.h"

// Least form until the edit toolbar is built: there is no bar.
HWND CreateEditBar(void)
{
    return nullptr;
}

int AttachEditBar(HWND bar, int slot)
{
    return 0;
}

int EditBarSlot(HWND bar)
{
    return -1;
}

void PlaceEditBar(HWND bar, int slot)
{
}

void RefreshEditBar(HWND bar, HWND edit)
{
}
