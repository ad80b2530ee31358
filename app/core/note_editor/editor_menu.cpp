#include "editor_menu.h"

// Least form until the editor menu is built: nothing is shown.
LRESULT ShowEditorContextMenu(HWND edit, ZettlyEditState *state, int screenX, int screenY)
{
    return 0;
}

// Least forms until the editor menu is built: there is no menu.
void BuildSyntaxMenu(void)
{
}

void RemoveSyntaxMenu(void)
{
}

HMENU CurrentSyntaxMenu(void)
{
    return nullptr;
}
