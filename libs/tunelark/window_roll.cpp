// Rolling the player up to its button strip and down again, and its
// transparency.
#include "player.h"

namespace {

// Moves edge toward target by a growing offset, landing exactly on it.
LONG StepEdge(LONG edge, LONG target, LONG *offset, LONG step)
{
    if (edge == target)
        return edge;
    *offset += step;
    if (edge < target)
        return edge + *offset > target ? target : edge + *offset;
    return edge - *offset < target ? target : edge - *offset;
}

} // namespace

DWORD WINAPI WindowRollThread(LPVOID parameter)
{
    RollParams *roll = (RollParams *)parameter;
    if (!roll)
        return (DWORD)-1;
    if (!roll->window || !IsWindow(roll->window)) {
        if (roll->rollDone)
            InterlockedExchange(roll->rollDone, 1);
        delete roll;
        return (DWORD)-1;
    }
    LONG step = roll->step > 0 ? roll->step : 1;
    RECT area;
    GetWindowRect(roll->window, &area);
    LONG bottomOffset = 0, rightOffset = 0;
    while (IsWindow(roll->window) &&
           (area.bottom != roll->targetBottom || area.right != roll->targetRight)) {
        area.bottom = StepEdge(area.bottom, roll->targetBottom, &bottomOffset, step);
        area.right = StepEdge(area.right, roll->targetRight, &rightOffset, step);
        MoveWindow(roll->window, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, TRUE);
        SleepEx(ROLL_TICK_MS, FALSE);
    }
    InterlockedExchange(roll->rollDone, 1);
    SleepEx(ROLL_TICK_MS, FALSE);
    if (IsWindow(roll->window))
        RedrawWindow(roll->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    delete roll;
    return 0;
}

void SetWindowTransparency(HWND window, int alpha)
{
    if (!window)
        return;
    LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    if (alpha < 0) {
        if (style & WS_EX_LAYERED)
            SetWindowLongA(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        return;
    }
    typedef BOOL(WINAPI * SetLayeredAttributes)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user = GetModuleHandleA("user32");
    SetLayeredAttributes set =
        user ? (SetLayeredAttributes)(void *)GetProcAddress(user, "SetLayeredWindowAttributes") : nullptr;
    if (!set)
        return;
    SetWindowLongA(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    set(window, 0, (BYTE)(alpha > 255 ? 255 : alpha), LWA_ALPHA);
}
