#include "check_list.h"

// Least form until check lists are built.
HWND CreateCheckList(HWND owner, int slot)
{
    return nullptr;
}
