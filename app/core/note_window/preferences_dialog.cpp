#include "preferences_dialog.h"

int PreferencesDialogOpen;

// The dialog and its controls arrive with the preferences work.
INT_PTR RunPreferencesDialog(HWND owner, int slot)
{
    (void)owner;
    (void)slot;
    return -1;
}

// Least form until the dialog is built: any button ends it with its id.
INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        EndDialog(dialog, LOWORD(wParam));
    return message == WM_INITDIALOG;
}
