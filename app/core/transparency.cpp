#include "transparency.h"

#include <shellapi.h>

// Least form until transparency is built: windows stay opaque.
void SetWindowAlpha(HWND window, int alpha)
{
}

void ApplyZettlyAlpha(HWND window, int slot)
{
}

void OpenHelpFile(void)
{
}
