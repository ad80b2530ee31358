#include "dde_exchange.h"

int DdeServerStart(void)
{
    return 0;
}

void DdeServerStop(void) {}

int DdeSendFileToRunningInstance(const char *commandLine)
{
    (void)commandLine;
    return -1;
}
