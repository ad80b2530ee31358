#include "arcade_dialog_fixture.h"

#include "core/core_ids.h"
#include "core/main_window/main_commands.h"

namespace {

BOOL CALLBACK CountAboutDialog(HWND window, LPARAM counter)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && GetDlgItem(window, IDC_VUVOVIR_ABOUT_STRIP))
        ++*(int *)counter;
    return TRUE;
}

int OpenAboutDialogs()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountAboutDialog, (LPARAM)&count);
    return count;
}

HWND TheAboutDialog()
{
    return VuvovirEmulator.emulatorDialog;
}

} // namespace

TEST_F(ArcadeDialogTest, TheAboutCommandOpensOneDialogOwnedByTheMainWindow)
{
    HWND main = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    LRESULT result;
    VuvovirEmulator.emulationActive = 1;
    ASSERT_TRUE(RunMainCommand(main, CMD_ABOUT, &result));
    EXPECT_EQ(OpenAboutDialogs(), 0) << "not while a machine runs";
    VuvovirEmulator.emulationActive = 0;

    RunMainCommand(main, CMD_ABOUT, &result);
    dialog = TheAboutDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
    EXPECT_TRUE(PumpUntil([] { return VuvovirEmulator.emulationActive != 0; }));
    RunMainCommand(main, CMD_ABOUT, &result);
    EXPECT_EQ(OpenAboutDialogs(), 1);

    Click(IDC_VUVOVIR_QUIT);
    EXPECT_EQ(OpenAboutDialogs(), 0);
    RunMainCommand(main, CMD_ABOUT, &result);
    EXPECT_EQ(OpenAboutDialogs(), 1) << "a new dialog after Quit";
    dialog = TheAboutDialog();
    Click(IDC_VUVOVIR_QUIT);
    DestroyWindow(main);
}

TEST_F(ArcadeDialogTest, TheAboutCommandOpensNoSecondDialogBesideOneWithoutAMachine)
{
    HWND main = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    Recorded.failInit = true;
    LRESULT result;
    RunMainCommand(main, CMD_ABOUT, &result);
    dialog = TheAboutDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(VuvovirEmulator.emulationActive, 0);
    RunMainCommand(main, CMD_ABOUT, &result);
    EXPECT_EQ(OpenAboutDialogs(), 1);
    EXPECT_EQ(CountBoxes("Vuvovir Init Error"), 1);
    Click(IDC_VUVOVIR_QUIT);
    DestroyWindow(main);
}
