#include "group_geometry.h"

#include <cstdlib>

enum {
    SB_CODE_LINEUP = 0,
    SB_CODE_LINEDOWN = 1,
    SB_CODE_PAGEUP = 2,
    SB_CODE_PAGEDOWN = 3,
    SB_CODE_THUMBPOSITION = 4,
    SB_CODE_THUMBTRACK = 5,
    SB_CODE_TOP = 6,
    SB_CODE_BOTTOM = 7,
    SCROLL_LINE = 10,
};

static GroupScrollAxis Axis(int enabled, int min, int max, int visible)
{
    GroupScrollAxis a = {0, min, max, 0};
    int span = std::abs(max - min);
    // A span that fits the window needs no bar, even when members stick out.
    if (!enabled || span < visible || span <= 0)
        return a;
    a.enabled = 1;
    a.page = (int)((double)visible * visible / span);
    return a;
}

GroupScroll LayoutGroupScroll(int width, int height, int strip, const ZettlyRect *members,
                              int count)
{
    int minX = 0, maxX = width, maxY = height - strip;
    for (int i = 0; i < count; ++i) {
        if (members[i].left < minX)
            minX = members[i].left;
        if (members[i].right > maxX)
            maxX = members[i].right;
        if (members[i].bottom > maxY)
            maxY = members[i].bottom;
    }
    GroupScroll s;
    s.horizontal = Axis(minX < 0 || maxX > width, minX, maxX, width);
    s.vertical = Axis(maxY > height - strip, strip, maxY, height - strip);
    return s;
}

int NextScrollPosition(int code, int position, int track, int min, int max, int page)
{
    int next = position;
    switch (code) {
    case SB_CODE_LINEUP:
        next -= SCROLL_LINE;
        break;
    case SB_CODE_LINEDOWN:
        next += SCROLL_LINE;
        break;
    case SB_CODE_PAGEUP:
        next -= page > 0 ? page : SCROLL_LINE;
        break;
    case SB_CODE_PAGEDOWN:
        next += page > 0 ? page : SCROLL_LINE;
        break;
    case SB_CODE_THUMBPOSITION:
    case SB_CODE_THUMBTRACK:
        next = track;
        break;
    case SB_CODE_TOP:
        next = min;
        break;
    case SB_CODE_BOTTOM:
        next = max;
        break;
    }
    if (next > max)
        next = max;
    if (next < min)
        next = min;
    return next;
}

void StackStrip(StripStack *stack, int top, int limit, int frame, int stripHeight, int gap,
                int width, int *x, int *y)
{
    if (frame + 2 + stack->y + stripHeight >= limit && stack->y > top) {
        stack->x += stack->columnWidth + 1;
        stack->columnWidth = 0;
        stack->y = top;
    }
    *x = stack->x;
    *y = stack->y;
    stack->y += stripHeight + 2 + gap;
    if (width > stack->columnWidth)
        stack->columnWidth = width;
}
