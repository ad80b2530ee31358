#include "window_alpha.h"

typedef BOOL(WINAPI *SetLayeredWindowAttributesProc)(HWND, COLORREF, BYTE, DWORD);

// Looked up at every call rather than imported, so the program still starts
// on systems whose user32 has no layered windows.
void SetWindowAlpha(HWND window, int alpha)
{
    HMODULE user32 = LoadLibraryA("user32");
    if (!user32)
        return;
    SetLayeredWindowAttributesProc setLayered =
        (SetLayeredWindowAttributesProc)(void *)GetProcAddress(user32, "SetLayeredWindowAttributes");
    if (setLayered) {
        LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
        if (alpha >= 0) {
            SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
            setLayered(window, 0, (BYTE)(alpha > 255 ? 255 : alpha), LWA_ALPHA);
        } else if (exStyle & WS_EX_LAYERED) {
            SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle & ~(LONG_PTR)WS_EX_LAYERED);
        }
    }
    FreeLibrary(user32);
}
