#include "keylatch.h"

#include "keylatch_rules.h"

// The library's one latch: a keyboard hook has no parameter to carry it.
static struct {
    HMODULE module;
    HHOOK hook;
    HWND target;
    KeyLatchState state;
} Latch;

static const UINT KEYLATCH_MESSAGE = WM_USER;
static const WPARAM KEYLATCH_WPARAM = 104;

// A low-level hook runs on the installing thread between its messages and
// must answer at once, so the report is posted, never sent.
static LRESULT CALLBACK LatchProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && Latch.target) {
        const KBDLLHOOKSTRUCT *key = (const KBDLLHOOKSTRUCT *)lParam;
        int down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        KeyLatchAction action = KeyLatchOnKey(&Latch.state, key->vkCode, down);
        if (action.code != KEYLATCH_NONE)
            PostMessageA(Latch.target, KEYLATCH_MESSAGE, KEYLATCH_WPARAM, action.code);
        if (action.swallow)
            return 1;
    }
    return CallNextHookEx(Latch.hook, code, wParam, lParam);
}

extern "C" int WINAPI KB_InstallHook(HWND target)
{
    Latch.target = target;
    if (Latch.hook)
        return 0;
    Latch.state = KeyLatchState{};
    Latch.hook = SetWindowsHookExA(WH_KEYBOARD_LL, LatchProc, Latch.module, 0);
    if (!Latch.hook) {
        Latch.target = nullptr;
        return -1;
    }
    return 0;
}

extern "C" int WINAPI KB_RemoveHook(void)
{
    Latch.target = nullptr;
    if (!Latch.hook)
        return 0;
    if (!UnhookWindowsHookEx(Latch.hook))
        return -1;
    Latch.hook = nullptr;
    return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        Latch.module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
