#include "note_geometry.h"

#include <cstdlib>

TitleStripLayout LayoutTitleStrip(int clientWidth, int stripHeight, int closeButton,
                                  int alarmActive, int calculatorMode, int consoleMode)
{
    TitleStripLayout l;
    int h = stripHeight;
    l.size = h - 1;
    // Icon k counts places from the right edge; without the close button
    // everything moves one place to the right.
    int shift = closeButton ? 0 : 1;
    auto placeX = [&](int k) { return clientWidth - k * h - 1; };
    l.closeX = closeButton ? placeX(1) : STRIP_NO_ICON;
    l.alarmX = alarmActive ? placeX(2 - shift) : STRIP_NO_ICON;
    l.calculatorX = calculatorMode ? placeX(2 - shift) : STRIP_NO_ICON;
    int consoleK = (calculatorMode || alarmActive) ? 3 : 2;
    l.consoleX = consoleMode ? placeX(consoleK - shift) : STRIP_NO_ICON;
    return l;
}

StripPress ClassifyStripPress(int x, int y, int clientWidth, int stripHeight, int closeButton)
{
    if (y <= stripHeight && x < clientWidth - stripHeight)
        return STRIP_PRESS_TITLE;
    if (x >= clientWidth - stripHeight && closeButton)
        return STRIP_PRESS_CLOSE;
    return STRIP_PRESS_NONE;
}

bool InCloseHoverSquare(int x, int y, int clientWidth, int stripHeight)
{
    return x >= clientWidth - stripHeight && x <= clientWidth && y >= 1 && y <= stripHeight - 1;
}

int RolledUpHeight(int stripHeight, int thinBorder, int cyEdge, int cyFrame)
{
    if (thinBorder)
        return stripHeight + 2 * cyEdge;
    return std::abs(stripHeight + 2 * cyFrame) - cyEdge;
}

void AdvanceRollEdge(RollEdge *e, int step)
{
    if (step < 1)
        step = 1;
    if (e->edge < e->target) {
        e->offset += step;
        if (e->edge + e->offset >= e->target)
            e->offset = e->target - e->edge;
    } else if (e->edge > e->target) {
        e->offset -= step;
        if (e->edge + e->offset <= e->target)
            e->offset = e->target - e->edge;
    } else {
        e->offset = 0;
    }
}

void CommitRollEdge(RollEdge *e)
{
    if (e->edge != e->target)
        e->edge += e->offset;
}

int RollFrames(int from, int to, int step, int *positions, int max)
{
    RollEdge e = {from, 0, to};
    int frames = 0;
    do {
        AdvanceRollEdge(&e, step);
        CommitRollEdge(&e);
        if (frames < max)
            positions[frames] = e.edge;
        ++frames;
    } while (!RollEdgeDone(e));
    return frames;
}

namespace {

struct LatchState {
    LatchPoint result;
    bool vertical = false, horizontal = false;
    int candidate = -1; // neighbour that gave the current offer, on either axis
};

// A later neighbour takes over an offer unless the earlier one stretches
// over it on every side.
bool TakesOffer(const LatchState &s, const ZettlyRect *others, int o)
{
    if (s.candidate < 0)
        return true;
    const ZettlyRect &k = others[s.candidate];
    const ZettlyRect &n = others[o];
    bool refused = k.top <= n.top && k.bottom >= n.bottom && k.left >= n.left &&
                   k.left <= n.right && k.right >= n.left && k.right <= n.right;
    return !refused;
}

void Offer(LatchState *s, const ZettlyRect *others, int o, int *axis, int value)
{
    if (!TakesOffer(*s, others, o))
        return;
    *axis = value;
    s->candidate = o;
}

} // namespace

LatchPoint LatchToNeighbours(int x, int y, int w, int h, const ZettlyRect *others, int count,
                             int d)
{
    LatchState s;
    s.result = {x, y};
    for (int o = 0; o < count; ++o) {
        const ZettlyRect &n = others[o];
        bool nearHorizontally = !(x + w < n.left - d) && !(x > n.right + d);
        if (nearHorizontally) {
            if (n.top - d <= y + h && y + h <= n.top && !s.vertical)
                Offer(&s, others, o, &s.result.y, n.top - h);
            if (n.bottom <= y && y <= n.bottom + d && !s.vertical)
                Offer(&s, others, o, &s.result.y, n.bottom);
            if (n.bottom <= y + h && y + h <= n.bottom + d) {
                s.result.y = n.bottom - h;
                s.vertical = true;
            }
            if (n.top - d <= y && y <= n.top) {
                s.result.y = n.top;
                s.vertical = true;
            }
        }
        bool nearVertically = !(y + h < n.top - d) && !(y > n.bottom + d);
        if (nearVertically) {
            if (n.left - d <= x + w && x + w <= n.left && !s.horizontal)
                Offer(&s, others, o, &s.result.x, n.left - w);
            if (n.right <= x && x <= n.right + d && !s.horizontal)
                Offer(&s, others, o, &s.result.x, n.right);
            if (n.left - d <= x && x <= n.left) {
                s.result.x = n.left;
                s.horizontal = true;
            }
            if (n.right <= x + w && x + w <= n.right + d) {
                s.result.x = n.right - w;
                s.horizontal = true;
            }
        }
    }
    return s.result;
}

bool LatchGroupRuleAllows(const LatchMember &moving, const LatchMember &other)
{
    if (moving.isGroup && other.isMember && other.groupSlot == moving.slot)
        return false;
    if (moving.isMember)
        return other.isMember && other.groupSlot == moving.groupSlot;
    return !other.isMember;
}

static bool StartsWithNoCase(const char *text, const char *prefix)
{
    for (; *prefix; ++text, ++prefix) {
        char c = *text;
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != *prefix)
            return false;
    }
    return true;
}

bool IsOpenableLink(const char *text)
{
    if (!text)
        return false;
    while (*text == ' ' || *text == '\t')
        ++text;
    return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://") ||
           StartsWithNoCase(text, "mailto:");
}
