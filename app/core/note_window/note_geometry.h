// Arithmetic of the note window that needs no window system: the title
// strip's layout and colours, the rolled-up height, the roll animation's
// frames, latching onto neighbours and the line/column indicator.
#pragma once
#include <cstdint>

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

// A COLORREF with 30 taken off red, green and blue, each floored at 0.
uint32_t DarkenColour(uint32_t colour);

// Colour of column i of an n-column gradient from left to right: each channel
// grows per column by (right - left) / n in single precision, truncated.
uint32_t GradientColumnColour(uint32_t left, uint32_t right, int n, int i);

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

// ---------------------------------------------------------------- line/column

// The selection seen at the last indicator update, and the end that moved last.
struct CaretTrack {
    int32_t lastStart;
    int32_t lastEnd;
    int32_t caretEnd;
};

// Records a new selection; returns true when the reported caret end changed.
bool TrackCaretEnd(CaretTrack *track, int32_t start, int32_t end);

// "Line %d Col %d" for a caret at position caretEnd on line (0-based) whose
// first character is lineStart. Returns the text length.
int FormatLineColumn(char *out, int outSize, int line, int32_t caretEnd, int32_t lineStart);

// ---------------------------------------------------------------- links

// Only web and mail links open on a click; anything else a note's text
// happens to call a link (file:, shell commands) stays put.
bool IsOpenableLink(const char *text);

// ---------------------------------------------------------------- font sizes

enum { FONT_SIZE_FIRST_COMMAND = 9001, FONT_SIZE_LAST_COMMAND = 9017 };

// The point size a font-size command sets, or 0 for another id.
int PointsForSizeCommand(int id);
// A character height in twips: 20 to the point.
inline int32_t TwipsFromPoints(int points)
{
    return (int32_t)points * 20;
}
