// The hidden main window: owner of the note table's lifetime, timers and tray.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The creation parameter that the program's entry gives its main window: the
// process ends when the message loop does. At quit, once everything else is
// done, the notes are then left to that end, which takes every window at
// once; under Wine destroying 254 notes one by one costs most of a second.
// Only notes whose own end reaches outside the process are destroyed. A main
// window made without it (a test's) destroys every note.
struct MainWindowStart {
    BOOL processEndsWithLoop;
};

// Whether the keyboard shortcut hook is in; turning it on or off keeps
// setting 19 in step. Installing twice keeps the one hook.
BOOL KeyboardHookActive(void);
void SetKeyboardHook(BOOL on);
