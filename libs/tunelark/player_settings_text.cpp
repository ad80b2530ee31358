#include "player_settings_text.h"

#include <cstdio>

void DefaultPlayerWindowSettings(PlayerWindowSettings *s)
{
    *s = PlayerWindowSettings();
    s->rollDirection = PLAYER_ROLLED_DOWN;
    s->rolledUp = 1; // the first sizing at full height unrolls it
    s->selectedRow = -1;
    s->listHeight = PLAYER_DEFAULT_LIST_HEIGHT;
    s->alpha = 255;
    s->scopeState = PLAYER_DEFAULT_SCOPE_STATE;
}

int FormatPlayerWindowSettings(const PlayerWindowSettings *s, char *out, int size)
{
    int n = snprintf(out, size, PLAYER_WINDOW_FORMAT, s->left, s->top, s->right, s->bottom,
                     s->rowCount, s->topmost, s->shuffle, s->rollDirection, s->rolledUp,
                     s->selectedRow, s->listHeight, s->alpha, s->scopeOpen, s->scopeState);
    return n >= 0 && n < size ? 0 : -1;
}

void ParsePlayerWindowSettings(const char *text, PlayerWindowSettings *s)
{
    sscanf(text, PLAYER_WINDOW_FORMAT, &s->left, &s->top, &s->right, &s->bottom, &s->rowCount,
           &s->topmost, &s->shuffle, &s->rollDirection, &s->rolledUp, &s->selectedRow,
           &s->listHeight, &s->alpha, &s->scopeOpen, &s->scopeState);
    if (s->rowCount < 0)
        s->rowCount = 0;
    if (s->selectedRow < -1 || s->selectedRow >= s->rowCount)
        s->selectedRow = -1;
    if (s->alpha == 0 || s->alpha > 255 || s->alpha < -1)
        s->alpha = 255;
    if (s->rollDirection != PLAYER_ROLLED_UP)
        s->rollDirection = PLAYER_ROLLED_DOWN;
    s->rolledUp = s->rolledUp != 0;
}

void KeepPlayerOnDesktop(PlayerWindowSettings *s, int desktopWidth, int desktopHeight)
{
    int width = s->right - s->left, height = s->bottom - s->top;
    if (s->left < 0)
        s->left = PLAYER_DESKTOP_MARGIN;
    else if (s->left > desktopWidth - PLAYER_DESKTOP_MARGIN)
        s->left = desktopWidth - PLAYER_DESKTOP_MARGIN;
    if (s->top < 0)
        s->top = PLAYER_DESKTOP_MARGIN;
    else if (s->top > desktopHeight - PLAYER_DESKTOP_MARGIN)
        s->top = desktopHeight - PLAYER_DESKTOP_MARGIN;
    s->right = s->left + width;
    s->bottom = s->top + height;
}
