// Least form of the arcade machine: it shows a black screen and runs no game.
#include "arcade_machine.h"

uint8_t HiScoreTable[12];

static volatile LONG machineRunning;
static HWND screen;

int ArcadeInit(HDC screenDc, HWND screenWindow, int stretch, int showFrameRate,
               int game, uint8_t lives, uint8_t bonus)
{
    (void)stretch; (void)showFrameRate; (void)game; (void)lives; (void)bonus;
    RECT area = {0, 0, 208, 256};
    FillRect(screenDc, &area, (HBRUSH)GetStockObject(BLACK_BRUSH));
    screen = screenWindow;
    return 0;
}

void ArcadeRun(void)
{
    InterlockedExchange(&machineRunning, 1);
    while (machineRunning)
        Sleep(14);
}

void ArcadeStop(void)
{
    InterlockedExchange(&machineRunning, 0);
    Sleep(100);
    screen = NULL;
}

void ArcadeSetOptions(int stretch, int showFrameRate, int fullThrottle)
{
    (void)stretch; (void)showFrameRate; (void)fullThrottle;
}

void ArcadeKey(int keyCode, uint8_t up)
{
    (void)keyCode; (void)up;
}

int LoadArcadeSounds(HINSTANCE instance)
{
    (void)instance;
    return 0;
}
