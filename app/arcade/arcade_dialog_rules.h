// The About dialog's rules over plain data: the stored high-score text, the
// DIP switches, the keys, the resize arithmetic, the caption and the wave of
// the about strip. Portable, and tested natively.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "arcade_constants.h"
#include "arcade_ids.h"

enum {
    HISCORE_BYTES = ArcadeHiScoreSize,
    // The stored value is read into this much and no more.
    HISCORE_TEXT_LIMIT = 128,
    SINE_TABLE_SIZE = 360,
    SINE_SCALE = 1024,
    WAVE_AMPLITUDE = 4,
};

// Parses up to 12 decimal numbers separated by blanks from the first length
// bytes of text (which need not be terminated) into their own bytes of table.
// Parsing stops at the first thing that is not a number from 0 to 255 (a
// sign, a letter, an overlong or too large number, a NUL); the bytes from
// there on keep their values. Returns how many bytes were stored.
int ParseHiScoreText(const char *text, size_t length, uint8_t table[HISCORE_BYTES]);

// "%d %d ... %d" of the 12 bytes into out; returns the text's length, or -1
// when out is too small (out is then empty).
int FormatHiScoreText(const uint8_t table[HISCORE_BYTES], char *out, size_t outSize);

struct DipSettings {
    int game;      // ArcadeVuvovirGame or ArcadeSorvalenGame
    uint8_t lives; // 0..3 for 3..6 lives
    uint8_t bonus; // 0..3 for 3000..6000 points
};

// The settings the machine gets from the dialog's buttons. bonusChecked and
// livesChecked hold bit i for the i-th button of the group (3000..6000 and
// 3..6) that is checked; the lowest checked button past the first wins.
DipSettings DipSettingsFromButtons(unsigned bonusChecked, unsigned livesChecked, int sorvalen);

// The machine's key code for a virtual key of the dialog.
int MapDialogKey(int virtualKey);

struct DialogRect {
    int left, top, right, bottom;
};

// Where a control goes when the client area grows by dx, dy: the buttons
// move right by half the growth and down by all of it, the screen keeps its
// corner and grows.
DialogRect MoveControlForResize(DialogRect control, int dx, int dy);
DialogRect GrowScreenForResize(DialogRect screen, int dx, int dy);

enum { DIALOG_MOVING_CONTROLS = IDC_VUVOVIR_LAST_MOVING - IDC_VUVOVIR_FIRST_MOVING + 1 };

// The dialog's client size and its controls' rectangles in client
// coordinates; moving[i] is the control with id IDC_VUVOVIR_FIRST_MOVING + i.
struct DialogLayout {
    int clientWidth, clientHeight;
    DialogRect screen;
    DialogRect moving[DIALOG_MOVING_CONTROLS];
};

// Follows the client area to its new size: the screen grows with it and the
// other controls move below it.
void ResizeDialogLayout(DialogLayout *layout, int clientWidth, int clientHeight);

struct DialogGrowth {
    int dx, dy;
};

// How much the dialog must grow, each way, for a screen control whose client
// area is clientWidth x clientHeight to show the whole picture at 1:1. The
// template is in dialog units, and a font with small metrics makes the screen
// smaller than the picture; a larger one never shrinks it.
DialogGrowth GrowthToHoldPicture(int clientWidth, int clientHeight);

// The caption with the version behind it after one blank; the version is
// taken up to its length or its first NUL, whichever comes first. An empty
// or missing version leaves the caption alone. The result is cut to fit.
void CaptionWithVersion(const char *caption, const char *version, size_t versionLength,
                        char *out, size_t outSize);

// sin(i degrees) * 1024, truncated, for i = 0..359.
void BuildSineTable(int table[SINE_TABLE_SIZE]);
// floor(entry * 4 / 1024): the wave's offset in pixels for one table entry.
int WaveOffset(int sineEntry);
// The strip's column c is drawn at its base line plus this.
int ColumnWaveOffset(const int table[SINE_TABLE_SIZE], int column);
// Where the text goes next: one pixel left, or back past the right edge once
// it has wholly left the strip.
int NextTextPosition(int x, int textWidth, int stripWidth);

// One line of about text, without line breaks.
extern const char VuvovirAboutText[];
