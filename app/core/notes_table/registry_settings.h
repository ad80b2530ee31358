// "Zettly Info" and the three sound paths under software\Kestrova.
#pragma once
#include <windows.h>

#include "registry_text.h"

LONG LoadSettings(int *playerOpen, int *clockOpen, int *changerOpen, int *meterOpen);
int SaveSettings(int playerOpen, int clockOpen, int changerOpen, int meterOpen);
