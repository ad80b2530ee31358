#include "transparency.h"

#include <shellapi.h>

#include "core/core_ids.h"
#include "core/notes_table/zettly_record.h"
#include "core/notes_table/zettly_settings.h"

typedef BOOL(WINAPI *SetLayeredWindowAttributesProc)(HWND, COLORREF, BYTE, DWORD);

// Looked up at every call rather than imported, so the program still starts
// on systems whose user32 has no layered windows.
void SetWindowAlpha(HWND window, int alpha)
{
    HMODULE user32 = LoadLibraryA("user32");
    if (!user32)
        return;
    SetLayeredWindowAttributesProc setLayered =
        (SetLayeredWindowAttributesProc)(void *)GetProcAddress(user32, "SetLayeredWindowAttributes");
    if (setLayered) {
        LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
        if (alpha >= 0) {
            SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
            setLayered(window, 0, (BYTE)(alpha > 255 ? 255 : alpha), LWA_ALPHA);
        } else if (exStyle & WS_EX_LAYERED) {
            SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle & ~(LONG_PTR)WS_EX_LAYERED);
        }
    }
    FreeLibrary(user32);
}

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
