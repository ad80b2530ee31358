// Which colour a blinking note shows. The blink thread flips a phase kept
// here, beside the note table, so the record's blink colour is never touched
// and a save in the middle of blinking stores the colour the user chose.
#pragma once
#include <cstdint>

#include "core/notes_table/zettly_record.h"

// A note is blinked by one thread at a time: a blink thread takes the note's
// turn when it starts, and one whose turn a newer thread has taken (a
// reminder back from a snooze, the slot given to another note) stops without
// touching the phase the newer one shows.
uint32_t TakeBlinkTurn(int slot);
// The thread's step: true shows the background colour, false the blink
// colour. False, and nothing changed, when the turn is no longer the caller's.
bool SetBlinkShowsBackground(int slot, uint32_t turn, bool showsBackground);
bool BlinkShowsBackground(int slot);

// The blink colour as drawn now: the background colour in the blink's
// background phase, else the record's blink colour.
uint32_t ShownBlinkColour(const ZettlyRecord *z, int slot);
// The base colour of the title strip and frame: the shown blink colour while
// the note blinks, else the background colour.
uint32_t StripBaseColour(const ZettlyRecord *z, int slot);
