// The save-file dialog of the note export, shared by the program and the
// installer so that both offer the same choice in the same way.
#pragma once
#include <windows.h>

// The caption of the box that reports a common dialog that could not open.
#define COMMON_DIALOG_FAILED_CAPTION "- WARNING - Something Weird Ocurred!"

// Asks where to export a note. path holds the proposed name on entry and the
// chosen file on return; filter is a common-dialog filter list whose first
// entry is chosen at the start. Returns the 1-based filter chosen, or -1 when
// the user cancelled or the dialog failed (a failure is reported in a box).
int AskExportFileName(HWND owner, const char *filter, char *path, DWORD pathSize);

// Reports the extended error of a common dialog that returned no file, if any.
void ReportCommonDialogFailure(HWND owner, const char *function);
