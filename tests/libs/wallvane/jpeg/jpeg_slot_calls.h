// Calls through the routine table during reads and writes: while counting,
// every table the codec fills has each of its fixed slots wrapped in a
// counter that hands the arguments on to the routine the fill put there.
// The run-time slots are copies of fixed ones and count as those.
#pragma once
#include <stddef.h>

#include "jpeg_dispatch.h"

enum { TABLE_SLOTS = 63 };

struct SlotCalls {
    long long calls[TABLE_SLOTS + 1] = {}; // by slot number, 1..63
};

// Counts into calls from the next JpgLibInit on, until StopCountingSlotCalls.
void CountSlotCalls(SlotCalls *calls);
void StopCountingSlotCalls(void);
// The slot number of a member of the table.
int SlotNumber(size_t offset);
