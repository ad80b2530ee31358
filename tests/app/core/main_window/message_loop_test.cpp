#include <gtest/gtest.h>

#include <string>

#include "arcade/arcade_about.h"
#include "core/main_window/startup.h"
#include "test_support.h"

namespace {

std::string Received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN)
        Received += "down:" + std::to_string(wParam) + ";";
    if (message == WM_CHAR)
        Received += std::string("char:") + (char)wParam + ";";
    return DefWindowProcA(window, message, wParam, lParam);
}

struct LoopWindows {
    HWND dialog, button, note;
    LoopWindows()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "ZtLoopTest";
        RegisterClassA(&wc);
        dialog = CreateWindowExA(0, "ZtLoopTest", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
        button = CreateWindowExA(0, "BUTTON", "Reset", WS_CHILD, 0, 0, 20, 20, dialog, nullptr,
                                 nullptr, nullptr);
        note = CreateWindowExA(0, "ZtLoopTest", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
    }
    ~LoopWindows()
    {
        DestroyWindow(dialog);
        DestroyWindow(note);
        VuvovirEmulator.emulationActive = 0;
        VuvovirEmulator.emulatorDialog = nullptr;
    }
};

} // namespace

TEST(MessageLoop, EmulatorKeysAimedAtItsButtonsReachTheDialog)
{
    LoopWindows w;
    VuvovirEmulator.emulationActive = 1;
    VuvovirEmulator.emulatorDialog = w.dialog;
    Received.clear();
    PostMessageA(w.button, WM_KEYDOWN, VK_LEFT, 0);
    PostQuitMessage(7);
    EXPECT_EQ(RunMessageLoop(), 7) << "the loop ends with the quit message's code";
    EXPECT_EQ(Received, "down:37;");
}

TEST(MessageLoop, TypingInANoteWhileTheEmulatorRunsGivesEachCharacterOnce)
{
    LoopWindows w;
    VuvovirEmulator.emulationActive = 1;
    VuvovirEmulator.emulatorDialog = w.dialog;
    Received.clear();
    PostMessageA(w.note, WM_KEYDOWN, 'A', 0x001E0001);
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_EQ(Received, "down:65;char:a;");
}

TEST(MessageLoop, WithoutTheEmulatorKeysGoWhereTheyWereSent)
{
    LoopWindows w;
    VuvovirEmulator.emulatorDialog = w.dialog;
    Received.clear();
    PostMessageA(w.button, WM_KEYDOWN, VK_LEFT, 0);
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_EQ(Received, "");
}

namespace {

int FailuresLeft;

// GetMessage as Wine's fails after a DDE transfer it could not deliver.
BOOL WINAPI FailingGetMessage(MSG *msg, HWND window, UINT first, UINT last)
{
    if (FailuresLeft > 0) {
        --FailuresLeft;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    return GetMessageA(msg, window, first, last);
}

} // namespace

TEST(MessageLoop, AFailedGetMessageIsNotTheEnd)
{
    LoopWindows w;
    Received.clear();
    FailuresLeft = 3;
    PostMessageA(w.note, WM_KEYDOWN, 'B', 0x00300001);
    PostQuitMessage(4);
    EXPECT_EQ(RunMessageLoop(FailingGetMessage), 4) << "the loop ends only at the quit message";
    EXPECT_EQ(FailuresLeft, 0);
    EXPECT_EQ(Received, "down:66;char:b;") << "messages behind the failures are still handled";
}
