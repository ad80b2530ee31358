// The block each note's edit control keeps as its user data; the note's
// tooltip (line/column window) keeps a pointer to the same block.
#pragma once
#include <windows.h>

struct ZettlyEditState {
    int slot;
    HWND noteWindow;
    WNDPROC previousProc;
    HWND lineColumnWindow;
    HWND editWindow;
    LONG lastSelectionStart;
    LONG lastSelectionEnd;
    LONG caretEnd;
    void *oleDocument;
    void *oleFrame;
};
