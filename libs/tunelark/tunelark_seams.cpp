#include "tunelark_seams.h"

namespace {
HINSTANCE Instance;
HKEY RegistryRoot;
TunelarkMessageBoxHook MessageBoxHook;
} // namespace

HINSTANCE TunelarkInstance(void)
{
    return Instance ? Instance : GetModuleHandleA(nullptr);
}

void SetTunelarkInstance(HINSTANCE instance)
{
    Instance = instance;
}

HKEY TunelarkRegistryRoot(void)
{
    return RegistryRoot ? RegistryRoot : HKEY_CURRENT_USER;
}

void SetTunelarkRegistryRoot(HKEY root)
{
    RegistryRoot = root;
}

int TunelarkMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    if (MessageBoxHook)
        return MessageBoxHook(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

TunelarkMessageBoxHook SetTunelarkMessageBoxHook(TunelarkMessageBoxHook hook)
{
    TunelarkMessageBoxHook old = MessageBoxHook;
    MessageBoxHook = hook;
    return old;
}
