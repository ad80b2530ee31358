#include "find_replace.h"

HWND FindReplaceDialog;

// Least forms until find and replace are built.
void OpenFindReplaceDialog(HWND note, int slot, BOOL replace)
{
}

UINT FindReplaceMessage(void)
{
    static UINT message = RegisterWindowMessageA("commdlg_FindReplace");
    return message;
}

LRESULT OnFindReplaceMessage(HWND note, int slot, LPARAM request)
{
    return 0;
}
