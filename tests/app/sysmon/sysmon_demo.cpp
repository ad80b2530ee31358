// Opens the load meter and the processor identifier on this machine's real
// data, for a look at them (not a test). The process tree opens instead with
// the argument "tree".
#include <windows.h>

#include <cstring>

#include "cpu_id_dialog.h"
#include "memstat_window.h"
#include "process_tree_dialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (commandLine && std::strstr(commandLine, "tree"))
        return (int)RunProcessTree(nullptr);
    HWND meter = MemStatCreateWindow(nullptr);
    if (meter)
        SetWindowPos(meter, nullptr, 20, 20, 260, 90, SWP_NOZORDER);
    RunCpuIdDialog(nullptr);
    if (meter)
        DestroyWindow(meter);
    return 0;
}
