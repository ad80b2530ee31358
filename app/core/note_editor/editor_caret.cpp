#include "editor_caret.h"

// Least form until the custom carets are built: the system caret stays.
void UpdateZettlyCaret(HWND edit, BOOL reset)
{
}
