// Which global shortcut a key event makes: plain data in, a code out.
// Kept free of windows.h so the rules are tested natively.
#pragma once

// The virtual-key codes the rules look at (the values Windows uses).
enum {
    KEYLATCH_VK_SHIFT = 0x10,
    KEYLATCH_VK_MENU = 0x12,
    KEYLATCH_VK_UP = 0x26,
    KEYLATCH_VK_DOWN = 0x28,
    KEYLATCH_VK_INSERT = 0x2D,
    KEYLATCH_VK_DELETE = 0x2E,
    KEYLATCH_VK_LSHIFT = 0xA0,
    KEYLATCH_VK_RSHIFT = 0xA1,
    KEYLATCH_VK_LMENU = 0xA4,
    KEYLATCH_VK_RMENU = 0xA5,
};

// Codes sent to the main window with WM_USER 104.
enum {
    KEYLATCH_NONE = 0,
    KEYLATCH_OPEN_LIST = 1,
    KEYLATCH_JUMP = 2,
    KEYLATCH_NEXT = 3,
    KEYLATCH_PREVIOUS = 4,
    KEYLATCH_NEW_NOTE = 5,
    KEYLATCH_DELETE_NOTE = 6,
    KEYLATCH_CLOSE_LIST = 7,
};

struct KeyLatchState {
    int altDown;
    int shiftDown;
    int picking; // the quick-pick list was opened by us and not yet ended
};

struct KeyLatchAction {
    int code;    // KEYLATCH_NONE when nothing is to be sent
    int swallow; // 1 when the key must not reach the focused program
};

KeyLatchAction KeyLatchOnKey(KeyLatchState *state, unsigned virtualKey, int down);
