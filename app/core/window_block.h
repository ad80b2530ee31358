// A zeroed block of memory kept as a window's user data: the state of one
// note or group window, made at WM_NCCREATE and freed at WM_NCDESTROY.
#pragma once
#include <windows.h>

#include <cstddef>

inline void *WindowBlock(HWND window)
{
    return (void *)GetWindowLongPtrA(window, GWLP_USERDATA);
}

// False when there is no memory: the window is then not created.
inline BOOL MakeWindowBlock(HWND window, std::size_t bytes)
{
    void *block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
    if (!block)
        return FALSE;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)block);
    return TRUE;
}

inline void FreeWindowBlock(HWND window)
{
    void *block = WindowBlock(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}
