// The emulator's About dialog in the test process, driving a stand-in
// machine that records what the dialog asks of it.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arcade/arcade_about.h"
#include "arcade/arcade_ids.h"
#include "arcade/arcade_machine.h"
#include "test_support.h"

struct MachineCall {
    std::string what; // "init", "stop", "options", "key"
    int a, b, c, d;
};

// What the stand-in machine was asked, in order; cleared by the fixture.
struct RecordingMachine {
    std::vector<MachineCall> calls;
    bool failInit = false;
    HDC lastDc = nullptr;
    HWND lastScreen = nullptr;
    HANDLE stopped = nullptr; // set by stop, waited on by run
    int runs = 0;

    std::vector<MachineCall> Of(const std::string &what) const;
    int Count(const std::string &what) const { return (int)Of(what).size(); }
};
extern RecordingMachine Recorded;

class ArcadeDialogTest : public ::testing::Test {
protected:
    ScopedRegistryRoot root;
    MessageBoxRecorder boxes;
    HWND dialog = nullptr;

    void SetUp() override;
    void TearDown() override;

    // Opens dialog 700 as the About command does, with owner as its owner.
    void Open(HWND owner = nullptr);
    // Clicks a button of the dialog as a user would (BM_CLICK).
    void Click(int id);
    bool Checked(int id);
    RECT WindowRect(HWND window);
    // The control's rectangle in the dialog's client area.
    RECT ControlRect(int id);
    void StoreHiScore(const void *bytes, DWORD size, DWORD type = REG_SZ);
    // The stored "HiScore" text, or "(none)".
    std::string StoredHiScore();
    int CountBoxes(const char *caption);
};
