#include <windows.h>

#include <cstdio>
#include <string>

#include "editing/exchange/exchange_ids.h"
#include "installer.h"
#include "editing/exchange/installer_hunk.h"
#include "save_dialog.h"

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
    static const char filter[] = "Save As Zettly Record File\0*.exp\0Save As Text File\0*.txt\0";
    if (AskExportFileName(nullptr, filter, path, sizeof path) < 0)
        return -1;
    return WriteBlockFile(path, block);
}
