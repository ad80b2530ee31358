#include "editor_menu.h"

// Least form until the editor menu is built: nothing is shown.
LRESULT ShowEditorContextMenu(HWND edit, ZettlyEditState *state, int screenX, int screenY)
{
    return 0;
}

HMENU EditorContextMenu;

void BuildSyntaxMenu(void)
{
}

void RemoveSyntaxMenu(void)
{
}
