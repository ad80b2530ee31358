#include <windows.h>

#include <commdlg.h>

#include <cstdio>
#include <string>

#include "editing/exchange/exchange_ids.h"
#include "installer.h"
#include "editing/exchange/installer_hunk.h"

static int WriteBlockFile(const char *path, const std::vector<uint8_t> &block)
{
    // The name, not the filter, chooses the kind of file.
    std::string text;
    const void *data = block.data();
    size_t bytes = block.size();
    if (!PathNamesExportFile(path)) {
        text = NoteBlockAsText(block.data(), block.size());
        data = text.data();
        bytes = text.size();
    }
    FILE *file = std::fopen(path, "wb");
    if (!file)
        return -1;
    bool ok = bytes == 0 || std::fwrite(data, 1, bytes, file) == bytes;
    if (std::fclose(file) != 0)
        ok = false;
    return ok ? 0 : -1;
}

int SaveNoteBlockWithDialog(const std::vector<uint8_t> &block)
{
    char path[EXCHANGE_PATH_CHARS] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFilter = "Save As Zettly Record File\0*.exp\0Save As Text File\0*.txt\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrInitialDir = ".\\";
    ofn.lpstrTitle = "Select File Type To Export";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    ofn.lpstrDefExt = "*.exp";
    if (!GetSaveFileNameA(&ofn)) {
        DWORD error = CommDlgExtendedError();
        if (error != 0) {
            char text[64];
            wsprintfA(text, "GetSaveFileName returned Error #%ld", (long)error);
            MessageBoxA(nullptr, text, TEXT_DIALOG_FAILED, MB_ICONHAND);
        }
        return -1;
    }
    return WriteBlockFile(path, block);
}
