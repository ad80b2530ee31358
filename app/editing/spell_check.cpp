#include "spell_check.h"

// Least form until the spell check is built.
INT_PTR CALLBACK SpellCheckDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        EndDialog(dialog, 0);
    return message == WM_INITDIALOG;
}
