// What the notes core asks of the arcade emulator in the About box
// (app/arcade): the About command, the message loop and start-up reach it
// through these calls only, so the arcade may build on the core while the
// core never includes from it. Each is built in app/arcade.
#pragma once
#include <windows.h>

// arcade_about.cpp: opens the modeless About box (dialog 700) owned by owner,
// unless its machine runs. One box at a time: while one is open it is only
// brought to the front.
void OpenAboutBox(HWND owner);

// arcade_about.cpp: the message loop's first look at each message. While the
// machine runs, the box reads the keys itself, whichever of its children has
// the focus: the message is translated, a key aimed at a child goes to the
// box, and it is dispatched. Returns FALSE, having done nothing, otherwise.
BOOL DispatchArcadeMessage(MSG *msg);

// arcade_sound.cpp: finds and locks the machine's six sounds in the
// program's resources; called once at start-up, before any window can start
// a game. 0, or -1 when one is missing.
int LoadArcadeSounds(HINSTANCE instance);
