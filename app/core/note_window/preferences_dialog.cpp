#include "preferences_dialog.h"

int PreferencesDialogOpen;

// The dialog and its controls arrive with the preferences work.
INT_PTR RunPreferencesDialog(HWND owner, int slot)
{
    (void)owner;
    (void)slot;
    return -1;
}
