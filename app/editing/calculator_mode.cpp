#include "calculator_mode.h"

// Least form until the calculator is built: nothing is evaluated.
void RunEditTextOp(HWND note)
{
}
