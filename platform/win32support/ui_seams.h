// Platform services that tests take over: message boxes and the registry root.
// The program sets nothing; tests replace the hooks before they drive a window.
#pragma once
#include <windows.h>

typedef int (*MessageBoxHook)(HWND owner, const char *text, const char *caption, UINT type);

// Every message box of the program goes through here.
int ZtMessageBox(HWND owner, const char *text, const char *caption, UINT type);
// Replaces the message box; null restores the real one. Returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// The key under which "software\Kestrova" lives: HKEY_CURRENT_USER unless a test moved it.
HKEY ZtRegistryRoot(void);
void SetRegistryRoot(HKEY root);
