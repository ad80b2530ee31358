#include "arcade_dialog_fixture.h"

#include <cstring>

RecordingMachine Recorded;

std::vector<MachineCall> RecordingMachine::Of(const std::string &what) const
{
    std::vector<MachineCall> found;
    for (const MachineCall &call : calls)
        if (call.what == what)
            found.push_back(call);
    return found;
}

static int StandInInit(HDC dc, HWND screen, int stretch, int showFrameRate, int game, uint8_t lives,
                       uint8_t bonus)
{
    Recorded.calls.push_back({"init", game, lives, bonus, stretch * 2 + showFrameRate});
    Recorded.lastDc = dc;
    Recorded.lastScreen = screen;
    if (Recorded.failInit)
        return -1;
    ResetEvent(Recorded.stopped);
    return 0;
}

static void StandInRun(void)
{
    ++Recorded.runs;
    WaitForSingleObject(Recorded.stopped, 20000);
}

static void StandInStop(void)
{
    Recorded.calls.push_back({"stop", 0, 0, 0, 0});
    SetEvent(Recorded.stopped);
}

static void StandInOptions(int stretch, int showFrameRate, int fullThrottle)
{
    Recorded.calls.push_back({"options", stretch, showFrameRate, fullThrottle, 0});
}

static void StandInKey(int keyCode, uint8_t up)
{
    Recorded.calls.push_back({"key", keyCode, up, 0, 0});
}

static const ArcadeMachineCalls StandIn = {StandInInit, StandInRun, StandInStop, StandInOptions,
                                           StandInKey};

void ArcadeDialogTest::SetUp()
{
    Recorded.calls.clear();
    Recorded.failInit = false;
    Recorded.runs = 0;
    if (!Recorded.stopped)
        Recorded.stopped = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    SetEvent(Recorded.stopped);
    SetArcadeMachineCalls(&StandIn);
    std::memset(ArcadeKept.HiScoreTable, 0, sizeof ArcadeKept.HiScoreTable);
}

void ArcadeDialogTest::TearDown()
{
    if (dialog && IsWindow(dialog))
        Click(IDC_VUVOVIR_QUIT);
    PumpUntil([] { return !VuvovirEmulator.emulationActive; }, 3000);
    SetArcadeMachineCalls(nullptr);
    VuvovirEmulator.emulatorDialog = nullptr;
    MSG msg;
    // Only posted messages: a window left invalid would hand back WM_PAINT for ever.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE))
        ;
}

void ArcadeDialogTest::Open(HWND owner)
{
    dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_VUVOVIR), owner,
                                VuvovirDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    if (!Recorded.failInit) {
        ASSERT_TRUE(PumpUntil([] { return VuvovirEmulator.emulationActive != 0; }, 3000));
    }
}

void ArcadeDialogTest::Click(int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool ArcadeDialogTest::Checked(int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

RECT ArcadeDialogTest::WindowRect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

RECT ArcadeDialogTest::ControlRect(int id)
{
    RECT r = WindowRect(GetDlgItem(dialog, id));
    MapWindowPoints(nullptr, dialog, (POINT *)&r, 2);
    return r;
}

void ArcadeDialogTest::StoreHiScore(const void *bytes, DWORD size, DWORD type)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(root.Key(), VUVOVIR_REGISTRY_KEY, &key), ERROR_SUCCESS);
    RegSetValueExA(key, VUVOVIR_HISCORE_VALUE, 0, type, (const BYTE *)bytes, size);
    RegCloseKey(key);
}

std::string ArcadeDialogTest::StoredHiScore()
{
    HKEY key;
    if (RegOpenKeyA(root.Key(), VUVOVIR_REGISTRY_KEY, &key) != ERROR_SUCCESS)
        return "(none)";
    char text[512] = {};
    DWORD size = sizeof text - 1;
    LONG result = RegQueryValueExA(key, VUVOVIR_HISCORE_VALUE, nullptr, nullptr, (BYTE *)text, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "(none)";
    while (size > 0 && text[size - 1] == 0)
        --size;
    return std::string(text, size);
}

int ArcadeDialogTest::CountBoxes(const char *caption)
{
    int count = 0;
    for (const MessageBoxRecorder::Box &box : boxes.Boxes())
        if (box.caption == caption)
            ++count;
    return count;
}
