#include "export_files.h"

// The file dialogs and the export format arrive with the exchange work.
int ImportZettlyDialog(int slot)
{
    (void)slot;
    return -1;
}

int ExportZettliesToFolder(HWND owner, int group)
{
    (void)owner;
    (void)group;
    return 0;
}

int ImportZettliesFromFolder(HWND owner)
{
    (void)owner;
    return 0;
}
