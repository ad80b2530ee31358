#include "find_replace.h"

HWND FindReplaceDialog;
