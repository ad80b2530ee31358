#include "ui_seams.h"

// What a test puts in place of the user and the user's registry: message
// boxes and the root of the settings. Null parts are the real ones.
static struct {
    MessageBoxHook messageBox;
    HKEY registryRoot;
} Seams;

int ZtMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    if (Seams.messageBox)
        return Seams.messageBox(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = Seams.messageBox;
    Seams.messageBox = hook;
    return previous;
}

HKEY ZtRegistryRoot(void)
{
    return Seams.registryRoot ? Seams.registryRoot : HKEY_CURRENT_USER;
}

void SetRegistryRoot(HKEY root)
{
    Seams.registryRoot = root;
}
