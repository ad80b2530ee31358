// The module whose resources the player library loads; tests that link the
// library statically set it. Message boxes and the registry root go through
// the shared seams of ui_seams.h.
#pragma once
#include <windows.h>

#include "ui_seams.h"

HINSTANCE TunelarkInstance(void);
void SetTunelarkInstance(HINSTANCE instance);
