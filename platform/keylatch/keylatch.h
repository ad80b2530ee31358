// The program-wide keyboard shortcut hook. While installed it reports each
// shortcut to the given window as WM_USER with wParam 104 and a code 1..7 in
// lParam (see keylatch_rules.h).
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif
// 0 on success, -1 when the hook cannot be set. A second call only changes the window.
int WINAPI KB_InstallHook(HWND target);
// 0 on success (also when nothing was installed), -1 when the hook cannot be removed.
int WINAPI KB_RemoveHook(void);
#ifdef __cplusplus
}
#endif
