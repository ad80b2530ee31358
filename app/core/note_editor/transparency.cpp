#include "transparency.h"

#include <shellapi.h>

#include "core/core_ids.h"
#include "core/notes_table/zettly_record.h"
#include "core/notes_table/zettly_settings.h"

void ApplyZettlyAlpha(HWND window, int slot)
{
    SetWindowAlpha(window, ZettlyInfo.allTransparent ? ZettlyInfo.allAlpha : -1);
    if (slot < 0 || slot >= ZETTLY_SLOTS)
        return;
    if (ZettlyTable[slot].ownAlpha)
        SetWindowAlpha(window, ZettlyTable[slot].alphaValue);
}

void OpenHelpFile(void)
{
    char folder[MAX_PATH + sizeof ZETTLY_HELP_SUBFOLDER];
    UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatA(folder, ZETTLY_HELP_SUBFOLDER);
    ShellExecuteA(nullptr, "open", ZETTLY_HELP_FILE, nullptr, folder, SW_SHOWNORMAL);
}
