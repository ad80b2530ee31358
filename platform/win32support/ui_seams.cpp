#include "ui_seams.h"

static MessageBoxHook CurrentMessageBoxHook;
static HKEY CurrentRegistryRoot;

int ZtMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    if (CurrentMessageBoxHook)
        return CurrentMessageBoxHook(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = CurrentMessageBoxHook;
    CurrentMessageBoxHook = hook;
    return previous;
}

HKEY ZtRegistryRoot(void)
{
    return CurrentRegistryRoot ? CurrentRegistryRoot : HKEY_CURRENT_USER;
}

void SetRegistryRoot(HKEY root)
{
    CurrentRegistryRoot = root;
}
