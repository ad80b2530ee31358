// Rolling a note up to its title strip and down again, at once or animated
// by a short-lived thread that notes, groups and dialogs share.
#pragma once
#include <windows.h>

struct RollParams {
    int targetBottom;
    int targetRight;
    int endSlot;       // slot whose rolled-up flag is set at the end, -1 for an unroll
    HWND focusWindow;  // gets the focus at the end of an unroll (null = none)
    int rolledUpValue; // the rolled-up flag's value at the end of a roll-up
    HWND window;
    int step;          // pixels; below 1 counts as 1
    int repaint;       // RedrawWindow at the end
    int busySlot;      // slot whose window is marked rolling while this runs, -1 for none
    int finalLeft, finalTop; // filled by the thread: where the window ends up
};

// Starts the animation on a thread of its own; the block is copied. Returns 0 or -1.
int StartRollAnimation(const RollParams *params);
DWORD WINAPI RollAnimThread(LPVOID block);

// Command 20110: rolls the note up or down. Returns 1.
LRESULT RollZettly(HWND note, int slot);

// True while an animation of the note runs (a second roll request is ignored).
BOOL ZettlyRollRunning(int slot, HWND note);

// The message the thread sends a note or group window when its roll ends,
// so the record is written on the window's own thread and never after the
// window is gone.
UINT RollFinishedMessage(void);
// The window procedure's answer to it: the window's roll no longer runs; at
// the end of a roll-up it sets the rolled-up flag and settles the window.
// Returns 1 then, else 0 (an unroll, or the window no longer holds that slot).
LRESULT FinishRoll(HWND window, const RollParams *params);
// Drops the window's roll mark: at WM_NCDESTROY, as a window must.
void ForgetRoll(HWND window);

// Height of the slot's window when rolled up.
int ZettlyRolledUpHeight(HWND window, int slot);
