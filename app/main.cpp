#include <windows.h>

#include "core/editing_features.h"
#include "core/main_window/startup.h"
#include "editing/editing_entry.h"

// The program is the notes core with the editing features in place.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    UseEditingFeatures(ZettliesEditingFeatures());
    return ZettliesMain(instance, previous, commandLine, show);
}
