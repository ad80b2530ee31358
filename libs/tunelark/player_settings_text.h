// The player's "MP3_Window" registry value: its numbers, their defaults, and
// keeping a restored window on the desktop.
#pragma once

#define PLAYER_WINDOW_FORMAT "%d %d %d %d %d %d %d %d %d %d %d %d %d %d"

enum {
    PLAYER_WINDOW_TEXT_BYTES = 520,
    PLAYER_DESKTOP_MARGIN = 30,
    PLAYER_DEFAULT_LIST_HEIGHT = 200,
    PLAYER_DEFAULT_SCOPE_STATE = 2,
    PLAYER_ROLLED_DOWN = 2,     // roll direction after unrolling
    PLAYER_ROLLED_UP = 0,       // roll direction after rolling up
};

struct PlayerWindowSettings {
    int left, top, right, bottom;
    int rowCount;
    int topmost;
    int shuffle;
    int rollDirection;
    int rolledUp;
    int selectedRow;    // -1 none
    int listHeight;
    int alpha;          // -1 opaque, else 1 to 255
    int scopeOpen;
    int scopeState;
};

void DefaultPlayerWindowSettings(PlayerWindowSettings *settings);
// -1 when the text does not fit.
int FormatPlayerWindowSettings(const PlayerWindowSettings *settings, char *out, int size);
// Numbers that are missing keep the values already there; counts and flags
// that could do harm are brought into range.
void ParsePlayerWindowSettings(const char *text, PlayerWindowSettings *settings);
// Moves the rectangle, keeping its size, so its top-left corner lies within
// the desktop less the margin.
void KeepPlayerOnDesktop(PlayerWindowSettings *settings, int desktopWidth, int desktopHeight);
