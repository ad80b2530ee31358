// Not a test: opens a note's print preview (argument "preview") or its spell
// check (argument "spell") for a screenshot; close the dialog to end it.
#include <windows.h>
#include <richedit.h>

#include <cstring>
#include <string>

#include "editing/printing.h"
#include "editing/spell_dialog.h"

static int NoPrinter(HWND, HDC *printer, DWORD *error)
{
    *printer = nullptr;
    *error = 0;
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    LoadLibraryA("RICHED32.DLL");
    HWND note = CreateWindowExA(0, "STATIC", "Trip to the coast", WS_POPUP | WS_VISIBLE | WS_BORDER, 40, 40, 360,
                                220, nullptr, nullptr, instance, nullptr);
    HWND edit = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 0, 360,
                                220, note, (HMENU)1, instance, nullptr);
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_FACE | CFM_SIZE | CFM_COLOR;
    format.yHeight = 240;
    format.crTextColor = RGB(30, 30, 140);
    lstrcpyA(format.szFaceName, "Arial");
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
    std::string text;
    if (strstr(commandLine, "spell")) {
        text = "Packing list for the trip: sun hat, a good book, and the tickets. "
               "Remember to water the plants befor leaving.";
    } else {
        for (int i = 1; i <= 70; i++)
            text += "Day " + std::to_string((i + 1) / 2) + (i % 2 ? ": walk along the cliffs, lunch in the harbour.\r"
                                                                   : ": museum in the morning, swim in the afternoon.\r");
    }
    SendMessageA(edit, EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
    CHARRANGE start = {0, 0};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&start);
    if (strstr(commandLine, "spell")) {
        SpellCheckZettly(edit);
    } else {
        SetPrinterDialogHook(NoPrinter);
        PrintPreviewZettly(instance, note, edit);
    }
    return 0;
}
