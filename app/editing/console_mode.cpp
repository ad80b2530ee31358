#include "console_mode.h"

// Least form until the console mode is built: it cannot start.
int ConsoleStart(int slot)
{
    return -2;
}

void ConsoleStop(int slot, int killTree)
{
}

void ConsoleWrite(int slot, const char *text)
{
}

void ConsoleListProcesses(int slot)
{
}
