// Geometry and texts of the clock face: mark and hand positions, the tooltip,
// the transparency menu and the slices of the map shown in the face.
// Plain arithmetic; no windows.h.
#pragma once
#include <cstddef>

struct FacePoint {
    int x, y;
};

int RimPenWidth(int cx);
// Centre of mark number index of perTurn marks round the dial (12 hours or 60 minutes).
FacePoint MarkCentre(int index, int perTurn, int cx, int cy);
// Half-sizes of a mark whose size is the given fraction of the radius.
void MarkHalfSize(int cx, int cy, double fraction, int *a, int *b);
// Marks this small vanish in a black outline; they are drawn with a white one.
bool MarkWantsWhitePen(int a, int b);

// Hand angles in radians, clockwise from 12. Minutes carry the seconds as a fraction.
double HourHandAngle(int hour, double minutes);
double MinuteHandAngle(double minutes);
double SecondHandAngle(int second, int milliseconds);
// The closed five-point outline of a hand: tail, left, tip, right, tail.
void HandPolygon(double angle, double tail, double half, double tip, int cx, int cy,
                 FacePoint out[5]);
FacePoint SecondHandEnd(int second, int milliseconds, int cx, int cy);

// "07:05:09PM Sunday 02/Jan/2005"; returns the length, or -1 when it did not fit.
int FormatClockTooltip(char *out, size_t size, int year, int month, int dayOfWeek, int day,
                       int hour, int minute, int second);

// Alpha of a transparency menu entry (its percentage), and back.
int TransparencyAlpha(int percent);
int TransparencyMenuId(int alpha);

// The map shift as a longitude in 0..360, whichever way it was dragged.
double WrapMapShift(double shift);

// A part of one map row stretched into one face row.
struct MapSlice {
    int sourceX, sourceWidth; // map columns
    int destX, destWidth;     // offset within the face row and its width
};
// The slices of a face row of the given width: the columns of the map that end
// at the shift's longitude, one slice or two where they wrap round the map.
int MapRowSlices(int mapWidth, double shift, int view180, int destWidth, MapSlice out[2]);

// New width or height when the corner is dragged from last to now; never below the minimum.
int ResizedExtent(int current, int last, int now);
