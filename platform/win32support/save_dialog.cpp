#include "save_dialog.h"

#include <commdlg.h>

#include "ui_seams.h"

void ReportCommonDialogFailure(HWND owner, const char *function)
{
    DWORD error = CommDlgExtendedError();
    if (error == 0)
        return;
    char text[96];
    wsprintfA(text, "%s returned Error #%ld", function, (long)error);
    ZtMessageBox(owner, text, COMMON_DIALOG_FAILED_CAPTION, MB_ICONHAND);
}

int AskExportFileName(HWND owner, const char *filter, char *path, DWORD pathSize)
{
    OPENFILENAMEA ofn = {};
    // The older size: the dialog then looks the same on every Windows.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = pathSize;
    ofn.lpstrInitialDir = ".\\";
    ofn.lpstrTitle = "Select File Type To Export";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    ofn.lpstrDefExt = "*.exp";
    if (!GetSaveFileNameA(&ofn)) {
        ReportCommonDialogFailure(owner, "GetSaveFileName");
        return -1;
    }
    return (int)ofn.nFilterIndex;
}
