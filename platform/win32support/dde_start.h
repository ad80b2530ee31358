// Starting the DDE management library, as the program's server and client
// and the note installer do.
#pragma once
#include <windows.h>

#include <ddeml.h>

// Starts DDEML for this thread with callback and flags. Returns the instance,
// or 0 when it failed; then, when failureText is given, the user is told in a
// box captioned captionFormat with the DDEML error code for its one %d.
DWORD StartDde(PFNCALLBACK callback, DWORD flags, const char *captionFormat,
               const char *failureText);
