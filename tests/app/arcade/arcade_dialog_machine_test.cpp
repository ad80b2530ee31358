// The About dialog driving the real machine on our own demo ROMs.
#include <gtest/gtest.h>

#include <cstring>

#include "arcade/arcade_about.h"
#include "arcade/arcade_ids.h"
#include "arcade/arcade_machine.h"
#include "arcade_pixels.h"
#include "test_support.h"
#include "z80_machine.h"

namespace {

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// The dialog with its machine running, topmost: what the screen shows is read
// back from it, and no other test's window may cover it.
HWND OpenRunningDialogOnTop()
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_VUVOVIR),
                                     nullptr, VuvovirDlgProc, 0);
    if (!dialog)
        return nullptr;
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!PumpUntil([] { return VuvovirEmulator.emulationActive != 0; }, 3000))
        ADD_FAILURE() << "the machine never ran";
    return dialog;
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
    ASSERT_TRUE(PumpUntil([] { return VuvovirEmulator.emulationActive != 0; }, 3000));
    EXPECT_EQ(ArcadeReadMem(0x7800) & 0x7F, 0x00) << "3 lives, 3000";

    Click(dialog, IDC_VUVOVIR_GAME_SORVALEN);
    Click(dialog, IDC_VUVOVIR_LIVES_6);
    Click(dialog, IDC_VUVOVIR_BONUS_6000);
    Click(dialog, IDC_VUVOVIR_RESET);
    ASSERT_TRUE(PumpUntil([] { return VuvovirEmulator.emulationActive != 0; }, 3000));
    EXPECT_EQ(ArcadeReadMem(0x7800) & 0x7F, 0x0F);

    Click(dialog, IDC_VUVOVIR_QUIT);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(VuvovirEmulator.emulationActive, 0) << "the emulation thread ended with the machine";
}

TEST(ArcadeDialogMachine, TheScreenShowsThePicturesLastRowsAtOneToOne)
{
    ScopedRegistryRoot root;
    MessageBoxRecorder boxes;
    HWND dialog = OpenRunningDialogOnTop();
    ASSERT_NE(dialog, nullptr);
    HWND screen = GetDlgItem(dialog, IDC_VUVOVIR_SCREEN);

    // The ship's row and the two below it, which a screen cut short hides.
    // The picture moves every frame, so both are read until they agree.
    const int top = 256 - 24, rows = 24;
    std::vector<uint32_t> shown, composed;
    bool same = PumpUntil([&] {
        HDC dc = GetDC(screen);
        shown = ReadPixels(dc, 0, top, 208, rows);
        ReleaseDC(screen, dc);
        std::vector<uint32_t> picture = ReadSurfacePicture();
        composed.assign(picture.begin() + top * 208, picture.end());
        bool lit = false;
        for (uint32_t pixel : composed)
            lit = lit || pixel != 0;
        return lit && shown == composed;
    }, 5000);
    EXPECT_TRUE(same) << "the bottom of the picture is not on the screen";

    SendMessageA(GetDlgItem(dialog, IDC_VUVOVIR_QUIT), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(dialog));
}

namespace {
// Whether every pixel of the screen's bottom rows and right columns comes
// from a frame: where frames are cut off, the control's own face shows.
bool FramesReachTheEdges(HWND screen)
{
    RECT client;
    GetClientRect(screen, &client);
    const int edge = 8;
    HDC dc = GetDC(screen);
    std::vector<uint32_t> bottom = ReadPixels(dc, 0, client.bottom - edge, client.right, edge);
    std::vector<uint32_t> right = ReadPixels(dc, client.right - edge, 0, edge, client.bottom);
    ReleaseDC(screen, dc);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    uint32_t faceRgb = (uint32_t)GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
    for (const std::vector<uint32_t> *block : {&bottom, &right})
        for (uint32_t pixel : *block)
            if (pixel == faceRgb)
                return false;
    return true;
}
} // namespace

// The stretch box resizes the dialog and its screen on the dialog's thread
// while the emulation thread paints frames into the screen: after each
// change the frames must cover the screen to its new edges.
TEST(ArcadeDialogMachine, ResizingWhileFramesArePaintedLeavesNoPartOfTheScreenUnpainted)
{
    ScopedRegistryRoot root;
    MessageBoxRecorder boxes;
    HWND dialog = OpenRunningDialogOnTop();
    ASSERT_NE(dialog, nullptr);
    HWND screen = GetDlgItem(dialog, IDC_VUVOVIR_SCREEN);
    RECT small;
    GetClientRect(screen, &small);
    // At full throttle frames follow each other without a pause: a resize
    // then meets a frame being drawn far more often.
    Click(dialog, IDC_VUVOVIR_FULL_THROTTLE);
    for (int change = 0; change < 16; ++change) {
        Click(dialog, IDC_VUVOVIR_STRETCH);
        RECT now;
        GetClientRect(screen, &now);
        EXPECT_EQ(now.right - small.right, change % 2 == 0 ? VUVOVIR_STRETCH_GROWTH : 0);
        EXPECT_TRUE(PumpUntil([&] { return FramesReachTheEdges(screen); }, 5000))
            << "after change " << change << " the frames stop short of the screen's edges";
    }
    Click(dialog, IDC_VUVOVIR_QUIT);
    EXPECT_FALSE(IsWindow(dialog));
}
