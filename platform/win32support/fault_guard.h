// A processor fault inside a guarded call becomes a result instead of ending
// the program. GCC has no __try: a vectored handler sends a faulting thread
// that is inside a guard to a landing function, which jumps back to the
// guard. For calls into code of the system that is known to fault on some
// input, never instead of checking what is handed to them.
#pragma once
#include <windows.h>

// Runs operation(context) and leaves its result in *result. Returns false
// when a processor fault stopped it: *result is then untouched, and whatever
// the operation had begun is left where the fault stopped it.
bool RunGuarded(int (*operation)(void *context), void *context, int *result);
