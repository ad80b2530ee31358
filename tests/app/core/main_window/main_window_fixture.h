// A main window of the program made in the test process, with its registry,
// data folder and message boxes kept to the test.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/main_window/companions.h"
#include "core/core_ids.h"
#include "core/note_window/group_window.h"
#include "core/main_window/main_window.h"
#include "core/note_window/note_window.h"
#include "core/main_window/quick_pick.h"
#include "core/note_editor/tooltip_window.h"
#include "core/main_window/tray_menu.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "test_support.h"

// Messages that a stand-in window received.
struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
extern std::vector<ReceivedMessage> Received;

// A visible window that records WM_USER and WM_COMMAND.
HWND CreateStandInWindow(bool visible = true);
// Launchers that open a stand-in, or fail.
HWND LaunchStandIn(HWND mainWindow);
HWND LaunchNothing(HWND mainWindow);

// Makes the note window of the slot record WM_COMMAND too.
void RecordCommandsOf(HWND note);
bool WasSent(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class MainWindowTest : public ::testing::Test {
protected:
    ScopedRegistryRoot root;
    ScopedTempFolder data;
    MessageBoxRecorder boxes;
    HWND main = nullptr;
    char previousFolder[MAX_PATH] = {};

    void SetUp() override;
    void TearDown() override;

    // Settings as the registry holds them before the window is made.
    void StoreSettings(const char *info);
    std::string StoredInfo();
    void CreateMain();
    int NewNote();
    int UsedSlots();
    int CountBoxes(const char *caption);
    static bool IsChecked(int command);
};
