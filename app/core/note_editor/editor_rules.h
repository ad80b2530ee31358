// Arithmetic of the note's editor that needs no window system: the
// line/column indicator and the font-size commands.
#pragma once
#include <cstdint>

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

// ---------------------------------------------------------------- font sizes

enum { FONT_SIZE_FIRST_COMMAND = 9001, FONT_SIZE_LAST_COMMAND = 9017 };

// The point size a font-size command sets, or 0 for another id.
int PointsForSizeCommand(int id);
// A character height in twips: 20 to the point.
inline int32_t TwipsFromPoints(int points)
{
    return (int32_t)points * 20;
}
