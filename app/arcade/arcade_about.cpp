// The emulator's About dialog: the screen, the options, the DIP switches, Reset,
// Help and Quit, and the thread that runs the machine.
#include "arcade_about.h"

#include <stdlib.h>

#include "arcade_dialog_rules.h"
#include "arcade_ids.h"
#include "arcade_machine.h"
#include "core/notes_table/note_windows.h"
#include "ui_seams.h"

VuvovirEmulatorState VuvovirEmulator;

static const ArcadeMachineCalls RealMachine = {
    ArcadeInit, ArcadeRun, ArcadeStop, ArcadeSetOptions, ArcadeKey,
};
static ArcadeMachineCalls Machine = RealMachine;

void SetArcadeMachineCalls(const ArcadeMachineCalls *calls)
{
    Machine = calls ? *calls : RealMachine;
}

// What one open dialog keeps; it lives from WM_INITDIALOG to WM_NCDESTROY.
struct VuvovirDialog {
    RECT initialWindow;
    RECT lastClient;
    HDC screenDc; // lent to the running machine; released once it has stopped
    HANDLE emulationThread;
    HANDLE painterThread;
    int machineReady;   // the last start succeeded: keys go to the machine
    int machineStarted; // some machine ran in this dialog: its scores are worth saving
    int scoresLoaded;
    int optionsChosen;  // a check box was clicked: the options are the boxes' now
    int closedDown;
};

static VuvovirDialog *StateOf(HWND dialog)
{
    return (VuvovirDialog *)GetWindowLongPtrA(dialog, DWLP_USER);
}

DWORD WINAPI VuvovirEmulationThread(LPVOID parameter)
{
    (void)parameter;
    VuvovirEmulator.emulationActive = 1;
    Machine.run();
    VuvovirEmulator.emulationActive = 0;
    return 0;
}

static void AppendVersionToCaption(HWND dialog)
{
    char path[MAX_PATH];
    DWORD pathLength = GetModuleFileNameA(nullptr, path, sizeof path);
    if (pathLength == 0 || pathLength >= sizeof path)
        return;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0 || size > 65536)
        return;
    char *block = (char *)calloc(1, size);
    if (!block)
        return;
    char *version = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(path, 0, size, block) &&
        VerQueryValueA(block, VUVOVIR_VERSION_QUERY, (void **)&version, &length) && version &&
        version >= block && version < block + size) {
        size_t room = (size_t)(block + size - version);
        char caption[128] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        char withVersion[192];
        CaptionWithVersion(caption, version, length < room ? length : room, withVersion,
                           sizeof withVersion);
        SetWindowTextA(dialog, withVersion);
    }
    free(block);
}

// Stops the machine, waits for its thread and takes back the screen's device
// context. Harmless when no machine runs.
static void StopMachine(HWND dialog, VuvovirDialog *state)
{
    Machine.stop();
    state->machineReady = 0;
    // The thread clears emulationActive after the machine returns: a new
    // thread must not start before that, or the old one would clear the flag
    // of the new machine and let a second dialog open beside this one.
    if (state->emulationThread) {
        WaitForSingleObject(state->emulationThread, VUVOVIR_THREAD_WAIT_MS);
        CloseHandle(state->emulationThread);
        state->emulationThread = nullptr;
    }
    if (state->screenDc) {
        ReleaseDC(GetDlgItem(dialog, IDC_VUVOVIR_SCREEN), state->screenDc);
        state->screenDc = nullptr;
    }
}

static bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// The picture always fills the screen control, whatever its size, so the
// machine always stretches.
static void SendBoxOptions(HWND dialog)
{
    Machine.setOptions(1, IsChecked(dialog, IDC_VUVOVIR_SHOW_FPS),
                       IsChecked(dialog, IDC_VUVOVIR_FULL_THROTTLE));
}

static void ReportStartFailure(HWND dialog)
{
    ZtMessageBox(dialog, VUVOVIR_INIT_ERROR_TEXT, VUVOVIR_INIT_ERROR_CAPTION, MB_ICONSTOP);
}

static int StartMachine(HWND dialog, VuvovirDialog *state, DipSettings dip)
{
    HWND screen = GetDlgItem(dialog, IDC_VUVOVIR_SCREEN);
    HDC dc = screen ? GetDC(screen) : nullptr;
    if (!dc || Machine.init(dc, screen, 0, 0, dip.game, dip.lives, dip.bonus) != 0) {
        if (dc)
            ReleaseDC(screen, dc);
        ReportStartFailure(dialog);
        return -1;
    }
    state->screenDc = dc;
    state->machineReady = 1;
    // Loaded before the first machine of the dialog runs, whenever that is:
    // a machine started only by Reset must not store zeros over the saved table.
    if (!state->scoresLoaded) {
        LoadVuvovirHiScores();
        state->scoresLoaded = 1;
    }
    if (state->optionsChosen)
        SendBoxOptions(dialog);
    state->emulationThread = CreateThread(nullptr, 0, VuvovirEmulationThread, nullptr, 0, nullptr);
    if (!state->emulationThread) {
        StopMachine(dialog, state);
        ReportStartFailure(dialog);
        return -1;
    }
    state->machineStarted = 1;
    return 0;
}

// Quit's work, done once: also when the dialog goes with its owner at the
// program's end, so that no thread outlives the windows it draws into.
static void CloseDown(HWND dialog, VuvovirDialog *state)
{
    if (state->closedDown)
        return;
    state->closedDown = 1;
    VuvovirEmulator.painterAlive = 0;
    if (VuvovirEmulator.emulatorDialog == dialog)
        VuvovirEmulator.emulatorDialog = nullptr;
    StopMachine(dialog, state);
    if (state->machineStarted)
        SaveVuvovirHiScores();
    // The painter draws into the strip: it must be gone before the strip is.
    if (state->painterThread) {
        WaitForSingleObject(state->painterThread, VUVOVIR_THREAD_WAIT_MS);
        CloseHandle(state->painterThread);
        state->painterThread = nullptr;
    }
}

// The 95/98/Me family lays out this dialog by itself.
static bool LaysOutItself(void)
{
    return (GetVersion() & 0x80000000u) != 0;
}

// The template is in dialog units: with small font metrics the screen comes
// out smaller than the picture and would cut off its bottom rows at 1:1. The
// dialog grows about its centre, and the resizing rule makes room in it.
static void GrowToHoldPicture(HWND dialog)
{
    RECT screen, window;
    if (LaysOutItself() || !GetClientRect(GetDlgItem(dialog, IDC_VUVOVIR_SCREEN), &screen) ||
        !GetWindowRect(dialog, &window))
        return;
    DialogGrowth growth = GrowthToHoldPicture(screen.right, screen.bottom);
    if (growth.dx == 0 && growth.dy == 0)
        return;
    SetWindowPos(dialog, nullptr, window.left - growth.dx / 2, window.top - growth.dy / 2,
                 window.right - window.left + growth.dx, window.bottom - window.top + growth.dy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

static void OnInitDialog(HWND dialog)
{
    VuvovirDialog *state = (VuvovirDialog *)calloc(1, sizeof *state);
    if (!state) {
        ReportStartFailure(dialog);
        return;
    }
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)state);
    AppendVersionToCaption(dialog);
    // Growing goes through the resizing rule, which measures from here; the
    // grown size is then the one the dialog keeps as its initial size.
    GetClientRect(dialog, &state->lastClient);
    GrowToHoldPicture(dialog);
    VuvovirEmulator.painterAlive = 1;
    state->painterThread = CreateThread(nullptr, 0, VuvovirAboutPaintThread, dialog, 0, nullptr);
    VuvovirEmulator.emulatorDialog = dialog;
    GetWindowRect(dialog, &state->initialWindow);
    GetClientRect(dialog, &state->lastClient);
    DipSettings first = {ArcadeVuvovirGame, 0, 0};
    StartMachine(dialog, state, first);
    CheckRadioButton(dialog, IDC_VUVOVIR_BONUS_3000, IDC_VUVOVIR_BONUS_6000, IDC_VUVOVIR_BONUS_3000);
    CheckRadioButton(dialog, IDC_VUVOVIR_LIVES_3, IDC_VUVOVIR_LIVES_6, IDC_VUVOVIR_LIVES_3);
    CheckRadioButton(dialog, IDC_VUVOVIR_GAME_VUVOVIR, IDC_VUVOVIR_GAME_SORVALEN,
                     IDC_VUVOVIR_GAME_VUVOVIR);
}

static void RepaintNote(HWND note, void *)
{
    InvalidateRect(note, nullptr, TRUE);
}

static void OnCheckBoxes(HWND dialog, VuvovirDialog *state)
{
    int growth = IsChecked(dialog, IDC_VUVOVIR_STRETCH) ? VUVOVIR_STRETCH_GROWTH : 0;
    int width = state->initialWindow.right - state->initialWindow.left + growth;
    int height = state->initialWindow.bottom - state->initialWindow.top + growth;
    SetWindowPos(dialog, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    state->optionsChosen = 1;
    SendBoxOptions(dialog);
    InvalidateRect(dialog, nullptr, TRUE);
    // The notes behind the shrunken dialog were covered: show them again.
    ForEachNoteWindow(RepaintNote, nullptr);
}

static unsigned CheckedButtons(HWND dialog, int first, int count)
{
    unsigned checked = 0;
    for (int i = 0; i < count; ++i)
        if (IsChecked(dialog, first + i))
            checked |= 1u << i;
    return checked;
}

static void OnReset(HWND dialog, VuvovirDialog *state)
{
    DipSettings dip = DipSettingsFromButtons(CheckedButtons(dialog, IDC_VUVOVIR_BONUS_3000, 4),
                                             CheckedButtons(dialog, IDC_VUVOVIR_LIVES_3, 4),
                                             IsChecked(dialog, IDC_VUVOVIR_GAME_SORVALEN));
    StopMachine(dialog, state);
    StartMachine(dialog, state, dip);
}

static void OnQuit(HWND dialog, VuvovirDialog *state)
{
    CloseDown(dialog, state);
    DestroyWindow(dialog);
}

static void OnCommand(HWND dialog, int id)
{
    VuvovirDialog *state = StateOf(dialog);
    if (!state)
        return;
    switch (id) {
    case IDC_VUVOVIR_SHOW_FPS:
    case IDC_VUVOVIR_FULL_THROTTLE:
    case IDC_VUVOVIR_STRETCH:
        OnCheckBoxes(dialog, state);
        break;
    case IDC_VUVOVIR_SKIP_MORE:
        if (state->machineReady)
            Machine.key(ArcadeKeyFrameSkipUp, 1);
        break;
    case IDC_VUVOVIR_SKIP_LESS:
        if (state->machineReady)
            Machine.key(ArcadeKeyFrameSkipDown, 1);
        break;
    case IDC_VUVOVIR_QUIT:
        OnQuit(dialog, state);
        break;
    case IDC_VUVOVIR_HELP:
        ZtMessageBox(dialog, VUVOVIR_HELP_TEXT, VUVOVIR_HELP_CAPTION, MB_ICONINFORMATION);
        break;
    case IDC_VUVOVIR_RESET:
        OnReset(dialog, state);
        break;
    }
}

static void OnKey(HWND dialog, int virtualKey, uint8_t up)
{
    VuvovirDialog *state = StateOf(dialog);
    if (state && state->machineReady)
        Machine.key(MapDialogKey(virtualKey), up);
}

static DialogRect ChildRect(HWND dialog, HWND child)
{
    RECT r = {};
    if (child) {
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, (POINT *)&r, 2);
    }
    DialogRect d = {r.left, r.top, r.right, r.bottom};
    return d;
}

static void PlaceChild(HWND child, DialogRect r)
{
    if (child)
        MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

static void ReadLayout(HWND dialog, const RECT &client, DialogLayout *layout)
{
    layout->clientWidth = client.right - client.left;
    layout->clientHeight = client.bottom - client.top;
    layout->screen = ChildRect(dialog, GetDlgItem(dialog, IDC_VUVOVIR_SCREEN));
    for (int i = 0; i < DIALOG_MOVING_CONTROLS; ++i)
        layout->moving[i] = ChildRect(dialog, GetDlgItem(dialog, IDC_VUVOVIR_FIRST_MOVING + i));
}

static void PlaceLayout(HWND dialog, const DialogLayout &layout)
{
    for (int i = 0; i < DIALOG_MOVING_CONTROLS; ++i)
        PlaceChild(GetDlgItem(dialog, IDC_VUVOVIR_FIRST_MOVING + i), layout.moving[i]);
    PlaceChild(GetDlgItem(dialog, IDC_VUVOVIR_SCREEN), layout.screen);
}

static void OnSize(HWND dialog, int width, int height)
{
    VuvovirDialog *state = StateOf(dialog);
    if (!state || LaysOutItself())
        return;
    DialogLayout layout;
    ReadLayout(dialog, state->lastClient, &layout);
    ResizeDialogLayout(&layout, width, height);
    PlaceLayout(dialog, layout);
    SetRect(&state->lastClient, 0, 0, width, height);
    InvalidateRect(dialog, nullptr, TRUE);
}

static void OnGetMinMaxInfo(HWND dialog, MINMAXINFO *info)
{
    VuvovirDialog *state = StateOf(dialog);
    if (!state)
        return;
    // No smaller than created: un-stretching must land on exactly that size.
    info->ptMinTrackSize.x = state->initialWindow.right - state->initialWindow.left;
    info->ptMinTrackSize.y = state->initialWindow.bottom - state->initialWindow.top;
}

static void OnDestroy(HWND dialog)
{
    VuvovirDialog *state = StateOf(dialog);
    if (state)
        CloseDown(dialog, state);
}

static void OnNcDestroy(HWND dialog)
{
    VuvovirDialog *state = StateOf(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    free(state);
}

INT_PTR CALLBACK VuvovirDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnCommand(dialog, LOWORD(wParam));
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKey(dialog, (int)wParam, 0);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        OnKey(dialog, (int)wParam, 1);
        break;
    case WM_SIZE:
        OnSize(dialog, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(dialog, (MINMAXINFO *)lParam);
        break;
    case WM_DESTROY:
        OnDestroy(dialog);
        break;
    case WM_NCDESTROY:
        OnNcDestroy(dialog);
        break;
    }
    return 0;
}

void OpenAboutBox(HWND owner)
{
    if (VuvovirEmulator.emulationActive)
        return;
    // One About box at a time, also while its machine failed to start and
    // nothing runs: the machine exists once per process.
    HWND open = VuvovirEmulator.emulatorDialog;
    if (open && IsWindow(open)) {
        SetForegroundWindow(open);
        return;
    }
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_VUVOVIR), owner,
                       VuvovirDlgProc, 0);
}

static bool IsEmulatorKey(const MSG &msg)
{
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Children only: a box the dialog owns has the dialog as its parent too.
        return VuvovirEmulator.emulatorDialog && (GetWindowLongA(msg.hwnd, GWL_STYLE) & WS_CHILD) &&
               GetParent(msg.hwnd) == VuvovirEmulator.emulatorDialog;
    }
    return false;
}

BOOL DispatchArcadeMessage(MSG *msg)
{
    if (!VuvovirEmulator.emulationActive)
        return FALSE;
    TranslateMessage(msg);
    if (IsEmulatorKey(*msg))
        msg->hwnd = VuvovirEmulator.emulatorDialog;
    DispatchMessageA(msg);
    return TRUE;
}
