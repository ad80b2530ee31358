// The clock's settings as plain data: the "ClockInfo" text, the checks its
// values must pass, and where the clock and its calendar go on the desktop.
// No windows.h.
#pragma once
#include <cstddef>

struct ClockRect {
    int left, top, right, bottom;
};

struct ClockSettings {
    int mapId;       // 5000 to 5005, or 200 for no map
    int round;       // 1 round face, 0 rectangle
    int view180;     // 1 half the map's width, 0 all of it
    int alpha;       // -1 opaque (not layered), 1 to 255
    double mapShift; // longitude at the face's right edge
    ClockRect rect;  // screen pixels
    int topmost;
};

ClockSettings DefaultClockSettings();

// Writes the value's text; returns its length, or -1 when it did not fit.
int FormatClockInfo(const ClockSettings &settings, char *out, size_t size);
// Reads the fields in order from text of the given length (no terminator
// needed); a field that does not parse ends the reading and it and the later
// fields keep their values. Returns the number of fields read.
int ParseClockInfo(const char *text, size_t length, ClockSettings *settings);
// Puts values another program or an old copy may have stored back into range.
void SanitiseClockSettings(ClockSettings *settings);

// Keeps the size and brings the rectangle within the desktop less the margin.
ClockRect ClampClockRect(ClockRect rect, int desktopWidth, int desktopHeight);
// A window whose left or top lies past the desktop's far edge is moved back
// so its far edge meets the desktop's.
ClockRect KeepClockOnDesktop(ClockRect rect, int desktopRight, int desktopBottom);
// The calendar's top-left corner: centred under the clock, or raised so its
// bottom meets the desktop's.
void PlaceCalendar(const ClockRect &clock, int dialogWidth, int dialogHeight, int desktopBottom,
                   int *left, int *top);
