// The emulator's About dialog: what the main program and the tests see of it.
#pragma once
#include <windows.h>
#include <stdint.h>

#include <atomic>

#include "core/arcade_features.h"

// The process's one emulator as the main program's About command and message
// loop see it.
struct VuvovirEmulatorState {
    // 1 while a machine runs on the emulation thread; written by that thread
    // only. It may outlive its dialog while the thread ends.
    std::atomic<int> emulationActive;
    // The About dialog from its creation to its Quit, null otherwise: the
    // message loop hands the keys aimed at its children to it.
    HWND emulatorDialog;
    // 1 from the dialog's creation to its Quit: the about-text painter scrolls
    // while it is set. Written by the dialog only; Quit waits for the painter,
    // so a new dialog never finds the last one's painter still running.
    std::atomic<int> painterAlive;
};
extern VuvovirEmulatorState VuvovirEmulator;

// Procedure of dialog 700. Returns 0 for every message.
INT_PTR CALLBACK VuvovirDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the machine on its own thread; the parameter is ignored.
DWORD WINAPI VuvovirEmulationThread(LPVOID parameter);
// Scrolls the about text in the dialog given while painterAlive is set: 1, or
// 0 when there is no dialog or no strip to paint in.
DWORD WINAPI VuvovirAboutPaintThread(LPVOID dialog);

// Move HiScoreTable from and to "software\Kestrova\Vuvovir" "HiScore". Loading
// leaves the table alone when there is no readable value; saving returns -1
// when the value could not be written.
void LoadVuvovirHiScores(void);
int SaveVuvovirHiScores(void);

// The machine as the dialog drives it. Tests put their own in place to see
// what the dialog asks of it; null puts the real machine back.
struct ArcadeMachineCalls {
    int (*init)(HDC screenDc, HWND screenWindow, int stretch, int showFrameRate, int game,
                uint8_t lives, uint8_t bonus);
    void (*run)(void);
    void (*stop)(void);
    void (*setOptions)(int stretch, int showFrameRate, int fullThrottle);
    void (*key)(int keyCode, uint8_t up);
};
void SetArcadeMachineCalls(const ArcadeMachineCalls *calls);
