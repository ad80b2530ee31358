// Least form of the arcade machine's Win32 side: it shows a black screen.
#include "arcade_machine.h"

#include "arcade_core.h"

int ArcadeInit(HDC screenDc, HWND screenWindow, int stretch, int showFrameRate,
               int game, uint8_t lives, uint8_t bonus)
{
    RECT area = {0, 0, 208, 256};
    FillRect(screenDc, &area, (HBRUSH)GetStockObject(BLACK_BRUSH));
    return 0;
}

void ArcadeRun(void)
{
}

void ArcadeStop(void)
{
}

int LoadArcadeSounds(HINSTANCE instance)
{
    return 0;
}
