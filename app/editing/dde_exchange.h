// Hand-over of notes between copies of the program over DDE.
#pragma once

int DdeServerStart(void);
void DdeServerStop(void);
// Gives the file named on the command line to the running copy. Returns 0 or -1.
int DdeSendFileToRunningInstance(const char *commandLine);
