// Arithmetic of the note window that needs no window system: the title
// strip's layout, the rolled-up height, the roll animation's
// frames, latching onto neighbours and the links a click opens.
#pragma once
#include <cstdint>

#include "core/note_editor/colour_steps.h"
#include "core/notes_table/zettly_record.h"

// ---------------------------------------------------------------- title strip

enum { STRIP_NO_ICON = -1 };

// Where the strip's icons go, in client coordinates; STRIP_NO_ICON when an
// icon is not drawn. Every icon is size x size pixels at y = 0.
struct TitleStripLayout {
    int size;
    int closeX;
    int alarmX;      // alarm and calculator share one place
    int calculatorX; // the calculator is drawn last, so it covers the alarm
    int consoleX;
};

TitleStripLayout LayoutTitleStrip(int clientWidth, int stripHeight, int closeButton,
                                  int alarmActive, int calculatorMode, int consoleMode);

// What a left-button press at (x, y) on the note's client area starts.
enum StripPress { STRIP_PRESS_NONE, STRIP_PRESS_TITLE, STRIP_PRESS_CLOSE };
StripPress ClassifyStripPress(int x, int y, int clientWidth, int stripHeight, int closeButton);

// The close button's hover square: x from width - h to width, y from 1 to h - 1.
bool InCloseHoverSquare(int x, int y, int clientWidth, int stripHeight);

// Height of a rolled-up note (its title strip with the frame).
int RolledUpHeight(int stripHeight, int thinBorder, int cyEdge, int cyFrame);

// ---------------------------------------------------------------- roll animation

// One edge of a window moving towards its target. Frame k moves the edge by
// k x step pixels, so the movement speeds up and the last frame lands on the
// target exactly.
struct RollEdge {
    int edge;
    int offset;
    int target;
};

// Works out this frame's offset; the edge itself moves with CommitRollEdge
// once the window has been moved to edge + offset.
void AdvanceRollEdge(RollEdge *e, int step);
void CommitRollEdge(RollEdge *e);
inline bool RollEdgeDone(const RollEdge &e)
{
    return e.edge == e.target;
}

// The positions an edge takes, frame by frame, from one place to another:
// fills at most max entries, returns the number of frames.
int RollFrames(int from, int to, int step, int *positions, int max);

// ---------------------------------------------------------------- latching

struct LatchPoint {
    int x, y;
};

// Moves the proposed top-left (x, y) of a w x h window onto the edges of the
// given neighbours that lie within distance.
LatchPoint LatchToNeighbours(int x, int y, int w, int h, const ZettlyRect *others, int count,
                             int distance);

// Whether a moving window may latch onto another, by their group membership.
struct LatchMember {
    int slot;
    int isGroup;
    int isMember;
    int groupSlot;
};
bool LatchGroupRuleAllows(const LatchMember &moving, const LatchMember &other);

// ---------------------------------------------------------------- links

// Only web and mail links open on a click; anything else a note's text
// happens to call a link (file:, shell commands) stays put.
bool IsOpenableLink(const char *text);
