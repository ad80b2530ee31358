#include "companions.h"

#include "changer_window.h"
#include "clock_runner.h"
#include "core/core_ids.h"
#include "core/sysmon_features.h"
#include "tray_menu.h"
#include "tunelark.h"

// The libraries that provide these windows are linked in as they land; until
// then the launcher reports that the window could not be opened.
static HWND LaunchNotLinkedYet(HWND mainWindow)
{
    (void)mainWindow;
    return nullptr;
}

// The player and the changer are windows of their own; the clock belongs to
// the main window.
static HWND LaunchPlayer(HWND mainWindow)
{
    (void)mainWindow;
    return TunelarkRunner(nullptr);
}

static HWND LaunchClock(HWND mainWindow)
{
    return ClockRunner(mainWindow);
}

static HWND LaunchChanger(HWND mainWindow)
{
    (void)mainWindow;
    return BGChangerRunner(nullptr);
}

static const CompanionLauncher RealLaunchers[COMPANION_COUNT] = {
    LaunchPlayer,
    LaunchClock,
    LaunchChanger,
    MemStatCreateWindow,
};

CompanionEntry Companions[COMPANION_COUNT] = {
    {nullptr, CMD_PLAYER, PLAYER_REGISTRY_KEY, LaunchPlayer},
    {nullptr, CMD_CLOCK, CLOCK_REGISTRY_KEY, LaunchClock},
    {nullptr, CMD_CHANGER, nullptr, LaunchChanger},
    {nullptr, CMD_METER, METER_REGISTRY_KEY, MemStatCreateWindow},
};

void SetCompanionLauncher(Companion which, CompanionLauncher launcher)
{
    Companions[which].launch = launcher ? launcher : RealLaunchers[which];
}

int CompanionOfCommand(int command)
{
    for (int i = 0; i < COMPANION_COUNT; ++i)
        if (Companions[i].command == command)
            return i;
    return -1;
}

HWND LiveCompanionWindow(Companion which)
{
    CompanionEntry *c = &Companions[which];
    if (c->window && !IsWindow(c->window)) {
        c->window = nullptr;
        CheckTrayMenuItem(c->command, FALSE);
    }
    return c->window;
}

void CloseCompanion(Companion which)
{
    HWND window = LiveCompanionWindow(which);
    if (window) {
        // The player writes its settings on this; its own destruction then
        // knows they are saved and does not write them a second time.
        if (which == COMPANION_PLAYER)
            SendMessageA(window, WM_USER, COMPANION_SAVE_STATE, 1);
        DestroyWindow(window);
    }
    Companions[which].window = nullptr;
    CheckTrayMenuItem(Companions[which].command, FALSE);
}

void ToggleCompanion(HWND mainWindow, Companion which)
{
    CompanionEntry *c = &Companions[which];
    if (LiveCompanionWindow(which)) {
        CloseCompanion(which);
        return;
    }
    c->window = c->launch ? c->launch(mainWindow) : nullptr;
    CheckTrayMenuItem(c->command, c->window != nullptr);
}

INT_PTR RunProcessTreeDialog(HWND owner)
{
    return RunProcessTree(owner);
}
