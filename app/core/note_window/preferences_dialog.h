// The preferences dialog, for one note or group or for the defaults (slot
// 255), and the small dialogs and helpers that live beside it.
#pragma once
#include <windows.h>

#include "core/notes_table/zettly_record.h"
#include "core/notes_table/zettly_settings.h"

// The preferences dialog beyond any one opening: there is only ever one open
// anywhere, and each opening shows the view and the colour picker's custom
// colours as the last one left them.
struct PreferencesDialogRun {
    int open; // held by whoever runs the dialog, while it is open
    int expanded;
    COLORREF customColours[16];
};
extern PreferencesDialogRun PrefsDialog;

// What dialog 500 edits. The colour-scheme table is not in here: additions
// and deletions act on the program's table at once and Cancel keeps them.
struct PreferencesData {
    ZettlyRecord record;         // the look of the note, group or default record
    ZettlyInfoSettings settings; // the global options
    ZettlySoundPaths sounds;
    int hookWanted;              // "Keyboard Shortcut Hook Active" as confirmed
    int framesChanged;           // out: a frame setting changed, every window repaints its frame
};

// Dialog 500 over the data: the controls are filled from it and it is
// written back only on O.K. Returns 1 after O.K, 0 after Cancel or closing,
// -1 when the dialog could not be shown.
INT_PTR PreferencesDialog(HWND owner, PreferencesData *inout);
INT_PTR CALLBACK PrefsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog for a slot: brings the stored values into range, runs the
// dialog and on O.K stores the result into the record and the settings,
// repaints the frames of every window when a frame setting changed and
// installs or removes the keyboard hook. The caller holds the open guard.
INT_PTR RunPreferencesDialog(HWND owner, int slot);

// After O.K: every note and group takes the global transparency again, then
// its own alpha where it has one.
void ApplyPreferencesTransparency(void);

// Makes a font from the LOGFONT into *held (the old one deleted) and gives it
// to the window; tells the user when the font cannot be made.
void SetWindowFontFromLogFont(HWND window, LOGFONTA *font, HFONT *held);

// Paints the control's client area with the colour, or "TEXT" in the colour
// and font, centred, when withText.
void DrawColourSample(HWND control, COLORREF colour, LOGFONTA *font, int withText);

// Lets the user pick a wave file into path (size bytes, also the start).
// 1 when a file was chosen, 0 otherwise.
int ChooseWaveFile(HWND owner, char *path, int size);

// Dialog 4002: over-write (209), append (210), create new (211) or cancel (1010).
INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs dialog 4002 and returns the answer; 1010 when it cannot be shown.
int AskDropChoice(HWND owner);
