#include "alarm_blink.h"

#include <atomic>

// Per slot, in one word so that a turn and its phase change together: the
// turn of the thread that may write, shifted up by one, and the phase in bit
// 0. Written by the blink threads, read by the window while painting; a stale
// read costs one frame of the other colour.
static std::atomic<uint32_t> Blink[ZETTLY_SLOTS];

static bool ValidSlot(int slot)
{
    return slot >= 0 && slot < ZETTLY_SLOTS;
}

uint32_t TakeBlinkTurn(int slot)
{
    if (!ValidSlot(slot))
        return 0;
    uint32_t now = Blink[slot].load();
    uint32_t turn;
    do
        turn = ((now >> 1) + 1) & 0x7FFFFFFF;
    while (!Blink[slot].compare_exchange_weak(now, turn << 1));
    return turn;
}

bool SetBlinkShowsBackground(int slot, uint32_t turn, bool showsBackground)
{
    if (!ValidSlot(slot))
        return false;
    uint32_t now = Blink[slot].load();
    do
        if (now >> 1 != turn)
            return false;
    while (!Blink[slot].compare_exchange_weak(now, (now & ~1u) | (showsBackground ? 1 : 0)));
    return true;
}

bool BlinkShowsBackground(int slot)
{
    return ValidSlot(slot) && (Blink[slot].load() & 1);
}

uint32_t ShownBlinkColour(const ZettlyRecord *z, int slot)
{
    return z->blinking && BlinkShowsBackground(slot) ? z->backColour : z->blinkColour;
}

uint32_t StripBaseColour(const ZettlyRecord *z, int slot)
{
    return z->blinking ? ShownBlinkColour(z, slot) : z->backColour;
}
