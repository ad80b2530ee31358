#include "alarms.h"

#include "core/notes_table/notes_file.h"

// Checking and the alarm threads arrive with the alarm dialogs.
void CheckAlarms(void)
{
}

void CheckMissedAlarms(void)
{
}

int GetRecordFileTime(SYSTEMTIME *out)
{
    ZeroMemory(out, sizeof *out);
    char path[MAX_PATH];
    if (DataFolderPath("zettly.rec", path, sizeof path) != 0)
        return -1;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    FILETIME written, local;
    BOOL ok = GetFileTime(file, nullptr, nullptr, &written) &&
              FileTimeToLocalFileTime(&written, &local) && FileTimeToSystemTime(&local, out);
    CloseHandle(file);
    if (!ok) {
        ZeroMemory(out, sizeof *out);
        return -1;
    }
    return 0;
}

DWORD WINAPI AlarmSndPlaybackThread(LPVOID slot)
{
    (void)slot;
    return 0;
}

DWORD WINAPI AlarmBlinkZettlyThread(LPVOID slot)
{
    (void)slot;
    return 0;
}

// Least form until the alarm dialog is built: it closes unchanged.
INT_PTR CALLBACK SetAlarmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        EndDialog(dialog, 0);
    return message == WM_INITDIALOG;
}
