// The quick-pick list's walks over the note table, its rows, its scroll
// animation and the runs of a bitmap that make a window region. No
// windows.h: tested natively.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// used[slot] is non-zero while slot 0..255 has a window.
enum { QUICK_PICK_SLOTS = 256, QUICK_PICK_LAST_SLOT = 254 };

// The selection kept when it still names a note, else the first note, else -1.
int QuickPickStartSlot(const uint8_t *used, int selected);
// The next note above selected (wrapping to the lowest), or the previous one
// below it (wrapping to the highest); selected itself when it is the only one.
int QuickPickNext(const uint8_t *used, int selected);
int QuickPickPrevious(const uint8_t *used, int selected);

struct QuickPickRow {
    int slot;
    int row;
};
// The list around the middle slot: forward from it in ring order into rows
// rows/2 .. rows, backward into rows rows/2 - 1 .. 0; each pass stops when
// it comes round to the middle slot again, so a short table shows a note
// above and below.
// *full is set when the forward pass filled its last row.
int QuickPickListRows(const uint8_t *used, int middle, int rows, QuickPickRow *out, int max,
                      int *full);

// The animation record the scroll thread shares with the window (28 bytes
// on the 32-bit program).
struct QuickPickAnimation {
    float nameOffset, nameStep, nameTarget;
    void *window;
    std::atomic<int> running;
    float listOffset, listStep;
};
// One round: the name strip moves one step and stops on its target, reached
// or passed; the list moves its step. Returns 1 when this was the last round.
int AdvanceQuickPickAnimation(QuickPickAnimation *a);

// Rectangles (left, top, right, bottom) of the runs of pixels that differ
// from the transparent colour (a COLORREF: 0x00BBGGRR). The pixels are a
// bottom-up device-independent bitmap of the given depth as GetDIBits gives
// it: rows padded to 4 bytes; 8 bits index colourTable (0x00RRGGBB
// entries, tableSize of them); 16 bits are 5-5-5; 24 and 32 bits are blue,
// green, red. bytes is the size of the pixel buffer: nothing past it is read.
struct RegionRun {
    int32_t left, top, right, bottom;
};
int CollectOpaqueRuns(const uint8_t *pixels, std::size_t bytes, int width, int height, int bits,
                      const uint32_t *colourTable, int tableSize, uint32_t transparent,
                      std::vector<RegionRun> *runs);
