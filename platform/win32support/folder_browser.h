// The shell's folder browser, as the player, the changer and the export of
// every note offer it.
#pragma once
#include <windows.h>

struct FolderBrowserLook {
    const char *title;    // above the tree; null for none
    const char *start;    // the folder selected at the start; null for none
    bool statusLine;      // the selected folder's path shown under the title
    void (*place)(HWND browser); // moves the browser once it is shown; may be null
};

// Asks the user for a file-system folder. On OK with a folder that has a path,
// out receives it (cut to outSize, the rest of out zeroed) and the result is
// 0; -1 when the user cancelled or chose something that is no folder on disk,
// out untouched then.
int BrowseForFolder(HWND owner, const FolderBrowserLook &look, char *out, int outSize);
