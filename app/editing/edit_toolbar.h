// The one floating edit toolbar that follows the focused note: formatting
// buttons, font and size boxes, colour drop-downs and a few note commands,
// each only turned into a command for the attached note.
#pragma once
#include <windows.h>

#include "core/editing_features.h"

// The window procedure that replaces the bar class's default one.
LRESULT CALLBACK EditBarWndProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the bar shows its bands (false while collapsed to its strip).
bool EditBarExpanded(HWND bar);

// The font size the bar shows for a height in twips: whole points, rounded.
inline int PointsFromTwips(long twips)
{
    return (int)((twips + 10) / 20);
}
