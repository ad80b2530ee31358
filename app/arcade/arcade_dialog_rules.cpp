#include "arcade_dialog_rules.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

// Virtual-key codes of the keys that change meaning on their way to the machine.
enum {
    VK_CODE_CONTROL = 0x11,
    VK_CODE_ALT = 0x12,
    VK_CODE_LEFT = 0x25,
    VK_CODE_UP = 0x26,
    VK_CODE_RIGHT = 0x27,
};

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int ParseHiScoreText(const char *text, size_t length, uint8_t table[HISCORE_BYTES])
{
    if (!text)
        return 0;
    int stored = 0;
    size_t at = 0;
    while (stored < HISCORE_BYTES) {
        while (at < length && IsBlank(text[at]))
            ++at;
        if (at >= length || text[at] < '0' || text[at] > '9')
            break;
        // A value past 255 would land in a byte as something else: refuse it
        // rather than wrap it, and never let the digits overflow the sum.
        unsigned value = 0;
        bool tooLarge = false;
        while (at < length && text[at] >= '0' && text[at] <= '9') {
            if (!tooLarge) {
                value = value * 10 + (unsigned)(text[at] - '0');
                tooLarge = value > 255;
            }
            ++at;
        }
        if (tooLarge)
            break;
        // "12x" is no number: the value must end at a blank or at the text's end.
        if (at < length && text[at] && !IsBlank(text[at]))
            break;
        table[stored++] = (uint8_t)value;
    }
    return stored;
}

int FormatHiScoreText(const uint8_t table[HISCORE_BYTES], char *out, size_t outSize)
{
    if (!out || outSize == 0)
        return -1;
    size_t used = 0;
    for (int i = 0; i < HISCORE_BYTES; ++i) {
        int n = snprintf(out + used, outSize - used, i ? " %d" : "%d", table[i]);
        if (n < 0 || (size_t)n >= outSize - used) {
            out[0] = 0;
            return -1;
        }
        used += (size_t)n;
    }
    return (int)used;
}

// The first of buttons 1..3 that is checked, else 0 (button 0 or none).
static uint8_t FirstCheckedPastFirst(unsigned checked)
{
    for (uint8_t i = 1; i <= 3; ++i)
        if (checked & (1u << i))
            return i;
    return 0;
}

DipSettings DipSettingsFromButtons(unsigned bonusChecked, unsigned livesChecked, int sorvalen)
{
    DipSettings dip;
    dip.bonus = FirstCheckedPastFirst(bonusChecked);
    dip.lives = FirstCheckedPastFirst(livesChecked);
    dip.game = sorvalen ? ArcadeSorvalenGame : ArcadeVuvovirGame;
    return dip;
}

int MapDialogKey(int virtualKey)
{
    switch (virtualKey) {
    case VK_CODE_CONTROL:
        return ArcadeKeyFire;
    case VK_CODE_ALT:
    case VK_CODE_UP:
        return ArcadeKeyBarrier;
    case VK_CODE_LEFT:
        return ArcadeKeyLeft;
    case VK_CODE_RIGHT:
        return ArcadeKeyRight;
    }
    return virtualKey;
}

DialogRect MoveControlForResize(DialogRect control, int dx, int dy)
{
    int right = dx / 2;
    DialogRect moved = {control.left + right, control.top + dy, control.right + right,
                        control.bottom + dy};
    return moved;
}

DialogRect GrowScreenForResize(DialogRect screen, int dx, int dy)
{
    DialogRect grown = {screen.left, screen.top, screen.right + dx, screen.bottom + dy};
    return grown;
}

void ResizeDialogLayout(DialogLayout *layout, int clientWidth, int clientHeight)
{
    int dx = clientWidth - layout->clientWidth;
    int dy = clientHeight - layout->clientHeight;
    for (int i = 0; i < DIALOG_MOVING_CONTROLS; ++i)
        layout->moving[i] = MoveControlForResize(layout->moving[i], dx, dy);
    layout->screen = GrowScreenForResize(layout->screen, dx, dy);
    layout->clientWidth = clientWidth;
    layout->clientHeight = clientHeight;
}

DialogGrowth GrowthToHoldPicture(int clientWidth, int clientHeight)
{
    DialogGrowth growth = {0, 0};
    if (clientWidth < ArcadePictureWidth)
        growth.dx = ArcadePictureWidth - (clientWidth > 0 ? clientWidth : 0);
    if (clientHeight < ArcadePictureHeight)
        growth.dy = ArcadePictureHeight - (clientHeight > 0 ? clientHeight : 0);
    return growth;
}

void CaptionWithVersion(const char *caption, const char *version, size_t versionLength,
                        char *out, size_t outSize)
{
    if (!out || outSize == 0)
        return;
    size_t used = 0;
    for (const char *c = caption; c && *c && used + 1 < outSize; ++c)
        out[used++] = *c;
    size_t n = 0;
    while (version && n < versionLength && version[n])
        ++n;
    if (n > 0 && used + 1 < outSize) {
        out[used++] = ' ';
        for (size_t k = 0; k < n && used + 1 < outSize; ++k)
            out[used++] = version[k];
    }
    out[used] = 0;
}

void BuildSineTable(int table[SINE_TABLE_SIZE])
{
    for (int i = 0; i < SINE_TABLE_SIZE; ++i)
        table[i] = (int)(sin(i / 57.29577951) * SINE_SCALE);
}

int WaveOffset(int sineEntry)
{
    // Floor, not truncation: the wave dips as far below the line as above it.
    int scaled = sineEntry * WAVE_AMPLITUDE;
    if (scaled >= 0)
        return scaled / SINE_SCALE;
    return -((-scaled + SINE_SCALE - 1) / SINE_SCALE);
}

int ColumnWaveOffset(const int table[SINE_TABLE_SIZE], int column)
{
    if (column < 0)
        column = 0;
    return WaveOffset(table[(1 + 3 * (long long)column) % SINE_TABLE_SIZE]);
}

int NextTextPosition(int x, int textWidth, int stripWidth)
{
    if (x < -textWidth)
        return stripWidth + 1;
    return x - 1;
}
