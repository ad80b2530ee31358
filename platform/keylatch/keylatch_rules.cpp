#include "keylatch_rules.h"

static int IsAlt(unsigned vk)
{
    return vk == KEYLATCH_VK_MENU || vk == KEYLATCH_VK_LMENU || vk == KEYLATCH_VK_RMENU;
}

static int IsShift(unsigned vk)
{
    return vk == KEYLATCH_VK_SHIFT || vk == KEYLATCH_VK_LSHIFT || vk == KEYLATCH_VK_RSHIFT;
}

// Alt+Shift+Up or Down opens the list and then walks it; letting go of Alt or
// Shift jumps to the chosen note, as a task switcher does. Insert makes a new
// note at any time; Delete closes the chosen note only while the list shows
// which one that is. Any other key ends the pick and goes on to the program.
KeyLatchAction KeyLatchOnKey(KeyLatchState *state, unsigned vk, int down)
{
    KeyLatchAction action = {KEYLATCH_NONE, 0};
    if (IsAlt(vk) || IsShift(vk)) {
        if (IsAlt(vk))
            state->altDown = down;
        else
            state->shiftDown = down;
        if (!down && state->picking) {
            state->picking = 0;
            action.code = KEYLATCH_JUMP;
        }
        return action;
    }
    if (!down)
        return action;
    if (state->altDown && state->shiftDown) {
        switch (vk) {
        case KEYLATCH_VK_UP:
        case KEYLATCH_VK_DOWN:
            action.swallow = 1;
            if (!state->picking) {
                state->picking = 1;
                action.code = KEYLATCH_OPEN_LIST;
            } else {
                action.code = vk == KEYLATCH_VK_DOWN ? KEYLATCH_NEXT : KEYLATCH_PREVIOUS;
            }
            return action;
        case KEYLATCH_VK_INSERT:
            state->picking = 0;
            action.code = KEYLATCH_NEW_NOTE;
            action.swallow = 1;
            return action;
        case KEYLATCH_VK_DELETE:
            if (!state->picking)
                return action;
            state->picking = 0;
            action.code = KEYLATCH_DELETE_NOTE;
            action.swallow = 1;
            return action;
        }
    }
    if (state->picking) {
        state->picking = 0;
        action.code = KEYLATCH_CLOSE_LIST;
    }
    return action;
}
