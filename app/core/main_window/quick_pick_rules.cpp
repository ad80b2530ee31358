#include "quick_pick_rules.h"

static bool Used(const uint8_t *used, int slot)
{
    return slot >= 0 && slot <= QUICK_PICK_LAST_SLOT && used[slot];
}

int QuickPickStartSlot(const uint8_t *used, int selected)
{
    if (Used(used, selected))
        return selected;
    for (int slot = 0; slot <= QUICK_PICK_LAST_SLOT; ++slot)
        if (used[slot])
            return slot;
    return -1;
}

int QuickPickNext(const uint8_t *used, int selected)
{
    if (selected < 0 || selected > QUICK_PICK_LAST_SLOT)
        return QuickPickStartSlot(used, -1);
    for (int slot = selected + 1; slot <= QUICK_PICK_LAST_SLOT; ++slot)
        if (used[slot])
            return slot;
    for (int slot = 0; slot < selected; ++slot)
        if (used[slot])
            return slot;
    return selected;
}

int QuickPickPrevious(const uint8_t *used, int selected)
{
    if (selected < 0 || selected > QUICK_PICK_LAST_SLOT)
        return QuickPickStartSlot(used, -1);
    for (int slot = selected - 1; slot >= 0; --slot)
        if (used[slot])
            return slot;
    for (int slot = QUICK_PICK_LAST_SLOT; slot > selected; --slot)
        if (used[slot])
            return slot;
    return selected;
}

int QuickPickListRows(const uint8_t *used, int middle, int rows, QuickPickRow *out, int max,
                      int *full)
{
    *full = 0;
    int count = 0;
    if (!Used(used, middle) || rows < 0)
        return 0;
    int row = rows / 2;
    // One lap of the ring at most, whatever the table holds.
    for (int step = 0; step < QUICK_PICK_SLOTS && row <= rows && count < max; ++step) {
        int slot = (middle + step) % QUICK_PICK_SLOTS;
        if (step > 0 && slot == middle)
            break;
        if (!Used(used, slot))
            continue;
        out[count++] = QuickPickRow{slot, row};
        if (row == rows)
            *full = 1;
        ++row;
    }
    row = rows / 2 - 1;
    for (int step = 1; step < QUICK_PICK_SLOTS && row >= 0 && count < max; ++step) {
        int slot = (middle - step + QUICK_PICK_SLOTS) % QUICK_PICK_SLOTS;
        if (slot == middle)
            break;
        if (!Used(used, slot))
            continue;
        out[count++] = QuickPickRow{slot, row};
        --row;
    }
    return count;
}

int AdvanceQuickPickAnimation(QuickPickAnimation *a)
{
    a->nameOffset += a->nameStep;
    int last = a->nameStep >= 0 ? a->nameOffset >= a->nameTarget : a->nameOffset <= a->nameTarget;
    if (last)
        a->nameOffset = a->nameTarget;
    a->listOffset += a->listStep;
    return last;
}

static uint32_t PixelAt(const uint8_t *row, int x, int bits, const uint32_t *table, int tableSize,
                        bool *known)
{
    *known = true;
    switch (bits) {
    case 8: {
        int index = row[x];
        if (!table || index >= tableSize) {
            *known = false;
            return 0;
        }
        return table[index] & 0xFFFFFF;
    }
    case 16:
        return (uint32_t)(row[2 * x] | (row[2 * x + 1] << 8)) & 0x7FFF;
    case 24:
        return (uint32_t)(row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16));
    default:
        return (uint32_t)(row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16));
    }
}

// The transparent COLORREF in the order and depth of the pixels.
static uint32_t TransparentPixel(uint32_t colour, int bits)
{
    uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    if (bits == 16)
        return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    return (r << 16) | (g << 8) | b;
}

int CollectOpaqueRuns(const uint8_t *pixels, std::size_t bytes, int width, int height, int bits,
                      const uint32_t *colourTable, int tableSize, uint32_t transparent,
                      std::vector<RegionRun> *runs)
{
    runs->clear();
    if (width <= 0 || height <= 0 || (bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return -1;
    std::size_t stride = (((std::size_t)width * (std::size_t)bits + 31) / 32) * 4;
    if (!pixels || bytes / stride < (std::size_t)height)
        return -1;
    uint32_t clear = TransparentPixel(transparent, bits);
    for (int y = 0; y < height; ++y) {
        // Bottom-up: the picture's top row is the buffer's last.
        const uint8_t *row = pixels + stride * (std::size_t)(height - 1 - y);
        int start = -1;
        for (int x = 0; x < width; ++x) {
            bool known;
            uint32_t p = PixelAt(row, x, bits, colourTable, tableSize, &known);
            bool opaque = !known || p != clear;
            if (opaque && start < 0)
                start = x;
            if (!opaque && start >= 0) {
                runs->push_back(RegionRun{start, y, x, y + 1});
                start = -1;
            }
        }
        if (start >= 0)
            runs->push_back(RegionRun{start, y, width, y + 1});
    }
    return 0;
}
