#include "arcade_about.h"

volatile int VuvovirRunning;
HWND VuvovirDialogWindow;
