// Puts the About dialog on the screen for a few seconds with the machine the
// program has. Usage: zt_arcade_dialog_demo [seconds] [stretch] [sorvalen];
// "stretch" ticks the stretch box, "sorvalen" starts the second game.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "arcade/arcade_about.h"
#include "arcade/arcade_ids.h"
#include "arcade/arcade_machine.h"

static void CALLBACK QuitAfter(HWND, UINT, UINT_PTR, DWORD)
{
    if (VuvovirEmulator.emulatorDialog)
        SendMessageA(GetDlgItem(VuvovirEmulator.emulatorDialog, IDC_VUVOVIR_QUIT), BM_CLICK, 0, 0);
    PostQuitMessage(0);
}

int main(int argc, char **argv)
{
    int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    LoadArcadeSounds(GetModuleHandleA(nullptr));
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_VUVOVIR),
                                     nullptr, VuvovirDlgProc, 0);
    if (!dialog)
        return 1;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "stretch"))
            SendMessageA(GetDlgItem(dialog, IDC_VUVOVIR_STRETCH), BM_CLICK, 0, 0);
        if (!std::strcmp(argv[i], "sorvalen")) {
            SendMessageA(GetDlgItem(dialog, IDC_VUVOVIR_GAME_SORVALEN), BM_CLICK, 0, 0);
            SendMessageA(GetDlgItem(dialog, IDC_VUVOVIR_RESET), BM_CLICK, 0, 0);
        }
    }
    SetTimer(nullptr, 0, (UINT)seconds * 1000, QuitAfter);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
