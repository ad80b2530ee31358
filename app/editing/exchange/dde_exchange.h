// Hand-over of notes between copies of the program over DDE.
#pragma once
#include <windows.h>

#include <ddeml.h>

#include <cstddef>

// 1 when the server runs, 0 after a reported failure.
int DdeServerStart(void);
void DdeServerStop(void);
// Gives the file named on the command line to the running copy. Returns 0
// when the running copy acknowledged it, -1 otherwise.
int DdeSendFileToRunningInstance(const char *commandLine);

HDDEDATA CALLBACK ZettlyDdeCallback(UINT type, UINT format, HCONV conversation, HSZ hsz1, HSZ hsz2,
                                    HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
// Makes a new note from a poked block. Returns its slot, or -1 when the block
// cannot become a note; *reason is then the refusal's RICH_TEXT_ number, or 0
// for a cut record or a full table.
int InsertPokedBlock(const void *data, size_t size, int *reason);
int InsertZettlyRecordData(const void *data, size_t size);
// Pokes a block to the running copy and waits for its answer. 0 when it was
// taken, -1 when there is no running copy or it refused the block.
int DdePokeToRunningInstance(const void *data, size_t size);
