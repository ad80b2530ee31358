#include "printing.h"

// Least forms until printing and the preview are built.
int PrintZettly(HINSTANCE instance, HWND owner, HWND edit)
{
    return 0;
}

INT_PTR CALLBACK PrintPreviewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        EndDialog(dialog, 0);
    return message == WM_INITDIALOG;
}
