// Platform services of the player library that tests take over: the module
// whose resources it loads, the registry root and the message box.
#pragma once
#include <windows.h>

HINSTANCE TunelarkInstance(void);
void SetTunelarkInstance(HINSTANCE instance);

// The key under which "software\Kestrova\..." lives: HKEY_CURRENT_USER unless
// a test moved it.
HKEY TunelarkRegistryRoot(void);
void SetTunelarkRegistryRoot(HKEY root);

typedef int (*TunelarkMessageBoxHook)(HWND owner, const char *text, const char *caption, UINT type);
int TunelarkMessageBox(HWND owner, const char *text, const char *caption, UINT type);
TunelarkMessageBoxHook SetTunelarkMessageBoxHook(TunelarkMessageBoxHook hook);
