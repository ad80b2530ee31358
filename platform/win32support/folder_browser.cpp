#include "folder_browser.h"

#include <shlobj.h>

#include <cstring>

static int CALLBACK FolderBrowserEvent(HWND browser, UINT message, LPARAM lParam, LPARAM data)
{
    const FolderBrowserLook *look = (const FolderBrowserLook *)data;
    char path[MAX_PATH];
    switch (message) {
    case BFFM_INITIALIZED:
        if (look->start && look->start[0])
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)look->start);
        if (look->place)
            look->place(browser);
        break;
    case BFFM_SELCHANGED:
        if (look->statusLine && SHGetPathFromIDListA((LPCITEMIDLIST)lParam, path))
            SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
        break;
    }
    return 0;
}

int BrowseForFolder(HWND owner, const FolderBrowserLook &look, char *out, int outSize)
{
    if (!out || outSize <= 0)
        return -1;
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.lpszTitle = look.title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | (look.statusLine ? BIF_STATUSTEXT : 0);
    info.lpfn = FolderBrowserEvent;
    info.lParam = (LPARAM)&look;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (!chosen)
        return -1;
    char path[MAX_PATH] = {};
    BOOL found = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!found || !path[0])
        return -1;
    std::memset(out, 0, (size_t)outSize);
    lstrcpynA(out, path, outSize);
    return 0;
}
