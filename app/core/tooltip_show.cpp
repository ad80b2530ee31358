#include "tooltip_show.h"

#include "core_ids.h"

// Least form until the tooltip window is built: a hidden window that holds
// its text.
HWND ShowZettlyToolTip(ZettlyEditState *state)
{
    HWND tip = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, ZETTLY_TOOLTIP_CLASS, nullptr,
                               WS_POPUP | WS_DISABLED | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (tip)
        SetWindowLongPtrA(tip, GWLP_USERDATA, (LONG_PTR)state);
    return tip;
}
