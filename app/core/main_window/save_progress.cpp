#include "save_progress.h"

#include <commctrl.h>

#include "core/notes_table/notes_file_ids.h"

static void OnProgressInit(HWND dialog)
{
    RECT r;
    GetWindowRect(dialog, &r);
    HRGN round = CreateRoundRectRgn(0, 0, r.right - r.left + 1, r.bottom - r.top + 1, 16, 16);
    if (round && !SetWindowRgn(dialog, round, TRUE))
        DeleteObject(round);
    SetWindowLongPtrA(dialog, GWL_EXSTYLE, GetWindowLongPtrA(dialog, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(dialog, 0, SAVE_PROGRESS_ALPHA, LWA_ALPHA);
}

static void OnProgressStep(HWND dialog, int saved, int used)
{
    HWND bar = GetDlgItem(dialog, IDC_SAVE_PROGRESS_BAR);
    SendMessageA(bar, PBM_SETRANGE32, 0, used);
    SendMessageA(bar, PBM_SETPOS, (WPARAM)saved, 0);
}

INT_PTR CALLBACK SaveProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnProgressInit(dialog);
        return TRUE;
    case WM_PAINT:
        // Above the notes, which may be topmost themselves, without taking the focus.
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        return FALSE;
    case WM_USER:
        OnProgressStep(dialog, (int)wParam, (int)lParam);
        return TRUE;
    }
    return FALSE;
}

HWND CreateSaveProgress(HWND owner)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SAVE_PROGRESS), owner,
                                     SaveProgressDlgProc, 0);
    if (dialog) {
        ShowWindow(dialog, SW_SHOWNOACTIVATE);
        UpdateWindow(dialog);
    }
    return dialog;
}

void ShowSaveProgress(HWND progress, int saved, int used)
{
    if (!progress)
        return;
    SendMessageA(progress, WM_USER, (WPARAM)saved, (LPARAM)used);
    // The save does not hand the loop any time; paint the step now.
    UpdateWindow(progress);
}
