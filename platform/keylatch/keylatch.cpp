#include "keylatch.h"

#include "keylatch_rules.h"

static HMODULE ThisModule;
static HHOOK Hook;
static HWND Target;
static KeyLatchState State;

static const UINT KEYLATCH_MESSAGE = WM_USER;
static const WPARAM KEYLATCH_WPARAM = 104;

// A low-level hook runs on the installing thread between its messages and
// must answer at once, so the report is posted, never sent.
static LRESULT CALLBACK LatchProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && Target) {
        const KBDLLHOOKSTRUCT *key = (const KBDLLHOOKSTRUCT *)lParam;
        int down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        KeyLatchAction action = KeyLatchOnKey(&State, key->vkCode, down);
        if (action.code != KEYLATCH_NONE)
            PostMessageA(Target, KEYLATCH_MESSAGE, KEYLATCH_WPARAM, action.code);
        if (action.swallow)
            return 1;
    }
    return CallNextHookEx(Hook, code, wParam, lParam);
}

extern "C" int WINAPI KB_InstallHook(HWND target)
{
    Target = target;
    if (Hook)
        return 0;
    State = KeyLatchState{};
    Hook = SetWindowsHookExA(WH_KEYBOARD_LL, LatchProc, ThisModule, 0);
    if (!Hook) {
        Target = nullptr;
        return -1;
    }
    return 0;
}

extern "C" int WINAPI KB_RemoveHook(void)
{
    Target = nullptr;
    if (!Hook)
        return 0;
    if (!UnhookWindowsHookEx(Hook))
        return -1;
    Hook = nullptr;
    return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        ThisModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
