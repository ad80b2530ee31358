#include "roll_animation.h"

#include <cstdlib>
#include <mmsystem.h>

#include "core/core_ids.h"
#include "group_window.h"
#include "note_geometry.h"
#include "core/notes_table/data_folder.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "window_creation.h"

enum { ROLL_FRAME_MS = 16 };

// Set on a note or group window while its roll animation runs. Only the
// window's own thread sets and removes it: the animation thread asks the
// window to, and once the window is gone the mark has gone with it.
static const char ROLL_MARK[] = "ZettlyRollRunning";

UINT RollFinishedMessage(void)
{
    static UINT message;
    if (!message)
        message = RegisterWindowMessageA("ZettlyRollFinished");
    return message;
}

BOOL ZettlyRollRunning(int slot, HWND note)
{
    return slot >= 0 && slot < ZETTLY_SLOTS && note && GetPropA(note, ROLL_MARK) != nullptr;
}

void ForgetRoll(HWND window)
{
    RemovePropA(window, ROLL_MARK);
}

int ZettlyRolledUpHeight(HWND window, int slot)
{
    return RolledUpHeight(GetFontCharHeight(window, slot), ZettlyTable[slot].thinBorder,
                          GetSystemMetrics(SM_CYEDGE), GetSystemMetrics(SM_CYFRAME));
}

int StartRollAnimation(const RollParams *params)
{
    RollParams *block = (RollParams *)std::calloc(1, sizeof *block);
    if (!block)
        return -1;
    *block = *params;
    bool marked = block->busySlot >= 0 && block->busySlot < ZETTLY_SLOTS && block->window &&
                  SetPropA(block->window, ROLL_MARK, (HANDLE)1);
    HANDLE thread = CreateThread(nullptr, 512, RollAnimThread, block, 0, nullptr);
    if (!thread) {
        if (marked)
            ForgetRoll(block->window);
        std::free(block);
        return -1;
    }
    CloseHandle(thread);
    return 0;
}

static void ToWindowCoordinates(int slot, RECT *r)
{
    if (slot < 0)
        return;
    int left = r->left, top = r->top, right = r->right, bottom = r->bottom;
    PlaceInGroup(slot, &left, &top, TRUE);
    PlaceInGroup(slot, &right, &bottom, TRUE);
    *r = RECT{left, top, right, bottom};
}

static void FollowGroup(int slot)
{
    if (slot < 0 || !ZettlyTable[slot].isMember)
        return;
    int group = ZettlyTable[slot].groupSlot;
    if (group >= 0 && group <= ZETTLY_LAST_NOTE_SLOT)
        LayoutGroupScrollBars(group);
}

LRESULT FinishRoll(HWND window, const RollParams *p)
{
    ForgetRoll(window);
    int slot = p->endSlot;
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT || ZettlyTable[slot].window != window)
        return 0;
    ZettlyRecord *z = &ZettlyTable[slot];
    z->rolledUp = p->rolledUpValue;
    // A note marked rolled up always has the rectangle to unroll to.
    if (z->rolledUp && !z->unrolledRectValid) {
        z->unrolledRect = z->windowRect;
        z->unrolledRectValid = 1;
    }
    ShowScrollBar(window, SB_BOTH, p->rolledUpValue == 0);
    MoveWindow(window, p->finalLeft, p->finalTop, p->targetRight - p->finalLeft,
               p->targetBottom - p->finalTop, TRUE);
    if (z->editWindow) {
        // Each frame's resize realigned the check list and the edit bar at
        // the note, which was not rolled up yet: only now can they go.
        if (z->rolledUp)
            SendMessageA(z->editWindow, WM_USER, EDIT_HIDE_COMPANIONS, 0);
        SendMessageA(z->editWindow, WM_KILLFOCUS, 0, 0);
    }
    return 1;
}

DWORD WINAPI RollAnimThread(LPVOID parameter)
{
    RollParams *p = (RollParams *)parameter;
    if (!p)
        return (DWORD)-1;
    if (!p->window) {
        std::free(p);
        return (DWORD)-1;
    }
    HWND window = p->window;
    int step = p->step < 1 ? 1 : p->step;
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    int slot = FindZettlyByWindow(window);
    ToWindowCoordinates(slot, &r);

    RollEdge bottom = {r.bottom, 0, p->targetBottom};
    RollEdge right = {r.right, 0, p->targetRight};
    do {
        AdvanceRollEdge(&bottom, step);
        AdvanceRollEdge(&right, step);
        MoveWindow(window, r.left, r.top, right.edge + right.offset - r.left,
                   bottom.edge + bottom.offset - r.top, TRUE);
        FollowGroup(slot);
        CommitRollEdge(&bottom);
        CommitRollEdge(&right);
        SleepEx(ROLL_FRAME_MS, FALSE);
    } while (!(RollEdgeDone(bottom) && RollEdgeDone(right)) && IsWindow(window));

    if (IsWindow(window)) {
        if (p->endSlot < 0 && p->focusWindow)
            SetFocus(p->focusWindow);
        if (p->endSlot >= 0 || p->busySlot >= 0) {
            // The record and the window's roll mark belong to the window's
            // thread: they are written there, and not at all once the window
            // is gone.
            p->finalLeft = r.left;
            p->finalTop = r.top;
            SendMessageA(window, RollFinishedMessage(), 0, (LPARAM)p);
        }
        if (p->repaint)
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
    }
    std::free(p);
    return 0;
}

static void PlayRollSound(const char *path)
{
    if (ZettlyInfo.soundEffects)
        PlayDataFolderSound(path, SND_ASYNC);
}

static int Width(const ZettlyRect &r)
{
    return r.right - r.left;
}
static int Height(const ZettlyRect &r)
{
    return r.bottom - r.top;
}

static void RollUp(HWND note, int slot)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    PlayRollSound(ZettlySounds.rollup);
    RECT now;
    GetWindowRect(note, &now);
    z->windowRect = z->unrolledRect = ZettlyRect{now.left, now.top, now.right, now.bottom};
    z->unrolledRectValid = 1;
    if (!z->restoreRectValid) {
        z->restoreRect = z->windowRect;
        z->restoreRectValid = 1;
    }
    int x = z->unrolledRect.left, y = z->unrolledRect.top;
    PlaceInGroup(slot, &x, &y, TRUE);
    int rolledHeight = ZettlyRolledUpHeight(note, slot);
    int width = Width(z->restoreRect);
    if (!ZettlyInfo.animateRoll) {
        z->rolledUp = 1;
        MoveWindow(note, x, y, width, rolledHeight, TRUE);
        UpdateWindow(note);
        if (z->editWindow) {
            SendMessageA(z->editWindow, WM_USER, EDIT_HIDE_COMPANIONS, 0);
            SendMessageA(z->editWindow, WM_KILLFOCUS, 0, 0);
        }
        return;
    }
    RollParams p = {y + rolledHeight, x + width, slot, nullptr, 1, note,
                    ZettlyInfo.animationStep, 0, slot, 0, 0};
    StartRollAnimation(&p);
}

static void Unroll(HWND note, int slot)
{
    ZettlyRecord *z = &ZettlyTable[slot];
    PlayRollSound(ZettlySounds.unroll);
    z->rolledUp = 0;
    RECT now;
    GetWindowRect(note, &now);
    z->restoreRect = ZettlyRect{now.left, now.top, now.right, now.bottom};
    z->restoreRectValid = 1;
    if (!z->unrolledRectValid) {
        z->unrolledRect = z->windowRect;
        z->unrolledRectValid = 1;
    }
    int x = z->restoreRect.left, y = z->restoreRect.top;
    PlaceInGroup(slot, &x, &y, TRUE);
    if (ZettlyInfo.animateRoll) {
        RollParams p = {y + Height(z->unrolledRect), x + Width(z->unrolledRect), -1,
                        z->editWindow, 0, note, ZettlyInfo.animationStep, 0, slot, 0, 0};
        StartRollAnimation(&p);
    } else {
        MoveWindow(note, x, y, Width(z->unrolledRect), Height(z->unrolledRect), TRUE);
        if (z->editWindow)
            SendMessageA(z->editWindow, WM_USER, EDIT_SHOW_COMPANIONS, 0);
    }
    if (z->editWindow) {
        RECT client;
        GetClientRect(note, &client);
        int h = GetFontCharHeight(note, slot);
        MoveWindow(z->editWindow, 0, h, client.right, client.bottom - h, TRUE);
        SetFocus(z->editWindow);
    }
}

LRESULT RollZettly(HWND note, int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return 1;
    // The animation reads the record's rectangles as they were when it
    // started; a second roll on top of it would leave them crossed.
    if (ZettlyRollRunning(slot, note))
        return 1;
    if (ZettlyTable[slot].rolledUp)
        Unroll(note, slot);
    else
        RollUp(note, slot);
    return 1;
}
