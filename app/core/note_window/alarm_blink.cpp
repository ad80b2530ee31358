#include "alarm_blink.h"

#include <atomic>

// Written by a note's blink thread, read by its window while painting; a
// stale read costs one frame of the other colour.
static std::atomic<bool> ShowsBackground[ZETTLY_SLOTS];

static bool ValidSlot(int slot)
{
    return slot >= 0 && slot < ZETTLY_SLOTS;
}

void SetBlinkShowsBackground(int slot, bool showsBackground)
{
    if (ValidSlot(slot))
        ShowsBackground[slot] = showsBackground;
}

bool BlinkShowsBackground(int slot)
{
    return ValidSlot(slot) && ShowsBackground[slot];
}

uint32_t ShownBlinkColour(const ZettlyRecord *z, int slot)
{
    return z->blinking && BlinkShowsBackground(slot) ? z->backColour : z->blinkColour;
}

uint32_t StripBaseColour(const ZettlyRecord *z, int slot)
{
    return z->blinking ? ShownBlinkColour(z, slot) : z->backColour;
}
