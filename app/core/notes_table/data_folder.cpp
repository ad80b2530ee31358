#include "data_folder.h"

#include <mmsystem.h>

#include "notes_file_format.h"
#include "sound_seam.h"

// One per program: the folder start-up made current.
static char Folder[MAX_PATH];

const char *DataFolder(void)
{
    if (Folder[0])
        return Folder;
    DWORD length = GetCurrentDirectoryA(sizeof Folder, Folder);
    if (length == 0 || length >= sizeof Folder) {
        Folder[0] = 0;
        return nullptr;
    }
    return Folder;
}

void ForgetDataFolder(void)
{
    Folder[0] = 0;
}

int DataFolderPath(const char *name, char *out, size_t outSize)
{
    const char *folder = DataFolder();
    if (!name || !folder)
        return -1;
    return ResolveInFolder(folder, name, out, outSize);
}

BOOL PlayDataFolderSound(const char *path, DWORD flags)
{
    char full[MAX_PATH];
    if (!path || !path[0] || DataFolderPath(path, full, sizeof full) != 0)
        return FALSE;
    return ZtPlaySound(full, flags | SND_FILENAME);
}
