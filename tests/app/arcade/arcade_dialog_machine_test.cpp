// The About dialog driving the real machine on our own demo ROMs.
#include <gtest/gtest.h>

#include <cstring>

#include "arcade/arcade_about.h"
#include "arcade/arcade_ids.h"
#include "arcade/arcade_machine.h"
#include "test_support.h"
#include "z80_machine.h"

namespace {

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

} // namespace

TEST(ArcadeDialogMachine, ResetSetsTheDipPortTheGameReads)
{
    ScopedRegistryRoot root;
    MessageBoxRecorder boxes;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_VUVOVIR),
                                     nullptr, VuvovirDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
    ASSERT_TRUE(PumpUntil([] { return emulationActive != 0; }, 3000));
    EXPECT_EQ(ArcadeReadMem(0x7800) & 0x7F, 0x00) << "3 lives, 3000";

    Click(dialog, IDC_VUVOVIR_GAME_SORVALEN);
    Click(dialog, IDC_VUVOVIR_LIVES_6);
    Click(dialog, IDC_VUVOVIR_BONUS_6000);
    Click(dialog, IDC_VUVOVIR_RESET);
    EXPECT_EQ(machineReady, 1);
    ASSERT_TRUE(PumpUntil([] { return emulationActive != 0; }, 3000));
    EXPECT_EQ(ArcadeReadMem(0x7800) & 0x7F, 0x0F);

    Click(dialog, IDC_VUVOVIR_QUIT);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(emulationActive, 0) << "the emulation thread ended with the machine";
}
