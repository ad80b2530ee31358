// The arithmetic of group windows: scroll ranges over the members and the
// columns of rolled-up strips. No windows.h: tested natively.
#pragma once

#include "core/notes_table/zettly_record.h"

struct GroupScrollAxis {
    int enabled;
    int min, max;
    int page; // 0 while disabled
};
struct GroupScroll {
    GroupScrollAxis horizontal, vertical;
};

// The group's client area is width x height with the title strip (strip
// pixels) at its top; members are rectangles in client coordinates.
GroupScroll LayoutGroupScroll(int width, int height, int strip, const ZettlyRect *members,
                              int count);

// The next scroll position for a scroll-bar code (the SB_ values): lines of
// 10 pixels, pages of the bar's page, the thumb's own track position; kept
// within min..max.
int NextScrollPosition(int code, int position, int track, int min, int max, int page);

// Strips stacked downwards in columns, as re-align and unlink do.
struct StripStack {
    int x, y, columnWidth;
};
// Places a strip of stripHeight and width: a new column (x moves right past
// the widest strip, y back to top) when frame + 2 + y + stripHeight reaches
// limit. Returns the place in *x, *y and moves the stack past the strip by
// stripHeight + 2 + gap.
void StackStrip(StripStack *stack, int top, int limit, int frame, int stripHeight, int gap,
                int width, int *x, int *y);
