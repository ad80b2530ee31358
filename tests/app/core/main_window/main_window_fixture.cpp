#include "main_window_fixture.h"

#include <cstring>

#include "core/notes_table/registry_settings.h"

std::vector<ReceivedMessage> Received;

static LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER || message == WM_COMMAND)
        Received.push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateStandInWindow(bool visible)
{
    static bool registered;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = StandInProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZtStandIn";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(WS_EX_TOOLWINDOW, "ZtStandIn", "", WS_POPUP | (visible ? WS_VISIBLE : 0),
                           900, 10, 50, 50, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND LaunchStandIn(HWND)
{
    return CreateStandInWindow();
}

HWND LaunchNothing(HWND)
{
    return nullptr;
}

static WNDPROC NoteProc;
static LRESULT CALLBACK RecordingNoteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        Received.push_back({window, message, wParam, lParam});
    return CallWindowProcA(NoteProc, window, message, wParam, lParam);
}

void RecordCommandsOf(HWND note)
{
    NoteProc = (WNDPROC)SetWindowLongPtrA(note, GWLP_WNDPROC, (LONG_PTR)RecordingNoteProc);
}

bool WasSent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const ReceivedMessage &m : Received)
        if (m.window == window && m.message == message && m.wParam == wParam &&
            m.lParam == lParam)
            return true;
    return false;
}

void MainWindowTest::SetUp()
{
    GetCurrentDirectoryA(sizeof previousFolder, previousFolder);
    SetEnvironmentVariableA("APPDATA", data.Path().c_str());
    // The notes files live in the current folder: the test's own.
    SetCurrentDirectoryA(data.Path().c_str());
    SetDefaultInfoSettings(&ZettlyInfo);
    SetDefaultSoundPaths(&ZettlySounds);
    static bool prepared;
    if (!prepared) {
        LoadLibraryA("RICHED32.DLL");
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        wc.style = CS_PARENTDC;
        wc.lpfnWndProc = MainWndProc;
        wc.hInstance = instance;
        wc.lpszClassName = ZETTLIES_MAIN_CLASS;
        RegisterClassA(&wc);
        RegisterGroupClass(instance);
        RegisterToolTipClass(instance);
        prepared = true;
    }
    RegisterNoteClass(GetModuleHandleA(nullptr));
    for (int i = 0; i < COMPANION_COUNT; ++i)
        SetCompanionLauncher((Companion)i, LaunchStandIn);
    Received.clear();
}

void MainWindowTest::TearDown()
{
    if (main && IsWindow(main))
        DestroyWindow(main);
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window && IsWindow(ZettlyTable[slot].window))
            DestroyWindow(ZettlyTable[slot].window);
    std::memset(ZettlyTable, 0, sizeof ZettlyTable);
    for (int i = 0; i < COMPANION_COUNT; ++i) {
        if (Companions[i].window && IsWindow(Companions[i].window))
            DestroyWindow(Companions[i].window);
        Companions[i].window = nullptr;
        SetCompanionLauncher((Companion)i, nullptr);
    }
    // The window's destruction asks the loop to end; the next test's modal
    // loops must not see that.
    MSG msg;
    // Only posted messages: a window left invalid would hand back WM_PAINT for ever.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE))
        ;
    SetCurrentDirectoryA(previousFolder);
}

void MainWindowTest::StoreSettings(const char *info)
{
    RegSetValueExA(root.OpenProgramKey(), "Zettly Info", 0, REG_SZ, (const BYTE *)info,
                   (DWORD)std::strlen(info));
}

std::string MainWindowTest::StoredInfo()
{
    char text[ZETTLY_INFO_BYTES] = {};
    HKEY key;
    if (RegOpenKeyA(root.Key(), ZETTLIES_REGISTRY_KEY, &key) != ERROR_SUCCESS)
        return "";
    LONG result = ReadRegistryString(key, "Zettly Info", text, sizeof text);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? text : "";
}

void MainWindowTest::CreateMain()
{
    main = CreateWindowExA(0, ZETTLIES_MAIN_CLASS, nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                           GetDesktopWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(MainWindow, main);
}

int MainWindowTest::NewNote()
{
    return (int)SendMessageA(main, WM_COMMAND, CMD_NEW_ZETTLY, 0);
}

int MainWindowTest::UsedSlots()
{
    int used = 0;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window)
            ++used;
    return used;
}

int MainWindowTest::CountBoxes(const char *caption)
{
    int count = 0;
    for (const MessageBoxRecorder::Box &box : boxes.Boxes())
        if (box.caption == caption)
            ++count;
    return count;
}

bool MainWindowTest::IsChecked(int command)
{
    return (GetMenuState(TrayMenu, (UINT)command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}
