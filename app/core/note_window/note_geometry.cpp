#include "note_geometry.h"

#include <cstdio>
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

static int Channel(uint32_t colour, int shift)
{
    return (int)((colour >> shift) & 0xFF);
}

static uint32_t MakeColour(int r, int g, int b)
{
    return (uint32_t)r | (uint32_t)g << 8 | (uint32_t)b << 16;
}

uint32_t DarkenColour(uint32_t colour)
{
    auto down = [](int v) { return v > 30 ? v - 30 : 0; };
    return MakeColour(down(Channel(colour, 0)), down(Channel(colour, 8)),
                      down(Channel(colour, 16)));
}

uint32_t GradientColumnColour(uint32_t left, uint32_t right, int n, int i)
{
    if (n <= 0)
        return left;
    int c[3];
    for (int k = 0; k < 3; ++k) {
        float from = (float)Channel(left, 8 * k);
        float perColumn = (float)(Channel(right, 8 * k) - Channel(left, 8 * k)) / (float)n;
        int v = (int)(from + perColumn * (float)i);
        c[k] = v < 0 ? 0 : v > 255 ? 255 : v;
    }
    return MakeColour(c[0], c[1], c[2]);
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

bool TrackCaretEnd(CaretTrack *t, int32_t start, int32_t end)
{
    bool startMoved = start != t->lastStart;
    bool endMoved = end != t->lastEnd;
    int32_t caret = t->caretEnd;
    if (endMoved)
        caret = end;
    else if (startMoved)
        caret = start;
    else if (start == end)
        caret = end;
    bool changed = caret != t->caretEnd;
    t->lastStart = start;
    t->lastEnd = end;
    t->caretEnd = caret;
    return changed;
}

int FormatLineColumn(char *out, int outSize, int line, int32_t caretEnd, int32_t lineStart)
{
    int n = std::snprintf(out, (size_t)outSize, "Line %d Col %d", line + 1,
                          (int)(caretEnd - lineStart + 1));
    return n < 0 ? 0 : n >= outSize ? outSize - 1 : n;
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

int PointsForSizeCommand(int id)
{
    static const int points[] = {6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    static_assert(sizeof points / sizeof points[0] ==
                      FONT_SIZE_LAST_COMMAND - FONT_SIZE_FIRST_COMMAND + 1,
                  "one size per command");
    if (id < FONT_SIZE_FIRST_COMMAND || id > FONT_SIZE_LAST_COMMAND)
        return 0;
    return points[id - FONT_SIZE_FIRST_COMMAND];
}
