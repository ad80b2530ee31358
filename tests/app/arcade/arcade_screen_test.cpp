#include <string.h>

#include "arcade_core.h"
#include "arcade_machine.h"
#include "arcade_platform.h"
#include "arcade_reference_picture.h"
#include "arcade_window_fixture.h"
#include "z80_machine.h"

std::vector<uint8_t> ResourceImage(int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "RT_DATA");
    if (!found)
        return {};
    const uint8_t *data = (const uint8_t *)LockResource(LoadResource(module, found));
    return std::vector<uint8_t>(data, data + SizeofResource(module, found));
}

::testing::AssertionResult SamePicture(const std::vector<uint32_t> &got, const std::vector<uint32_t> &want,
                                       int width) {
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << "sizes differ";
    for (size_t i = 0; i < got.size(); i++) {
        if (got[i] != want[i])
            return ::testing::AssertionFailure() << "pixel (" << i % width << ", " << i / width << ") is "
                                                 << std::hex << got[i] << ", not " << want[i];
    }
    return ::testing::AssertionSuccess();
}

void ArcadeWindow::SetUp() {
    window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 40, 40, 208, 256, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    UpdateWindow(window);
    dc = GetDC(window);
    ASSERT_NE(nullptr, dc);
}

void ArcadeWindow::TearDown() {
    ArcadeStop();
    if (dc)
        ReleaseDC(window, dc);
    if (window)
        DestroyWindow(window);
}

void ArcadeWindow::ResizeClient(int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
}

namespace {

class ArcadeScreen : public ArcadeWindow {
protected:
    std::vector<uint8_t> chars;
    uint8_t foreground[832], background[832], backgroundBank[832];

    void SetUp() override {
        ArcadeWindow::SetUp();
        chars = ResourceImage(106);
        ASSERT_EQ(8192u, chars.size());
        ArcadeKept.videoRegisterValue = 0;
        ASSERT_EQ(0, ArcadeInit(dc, window, 0, 0, 1, 0, 0));
        memset(background, 0, sizeof background);
        memset(backgroundBank, 0, sizeof backgroundBank);
    }
    void FillVideo() {
        for (int i = 0; i < 832; i++) {
            foreground[i] = (uint8_t)(i * 29 + 3);
            if (i % 7 == 0)
                foreground[i] = (uint8_t)(i % 3 == 0 ? 0x00 : i % 3 == 1 ? 0x2D : 0x2E);
            ArcadeWriteMem((uint16_t)(0x4000 + i), foreground[i]);
            WriteBackground(i, (uint8_t)(i * 11 + 1));
        }
    }
    void WriteBackground(int i, uint8_t code) {
        ArcadeWriteMem((uint16_t)(0x4800 + i), code);
        background[i] = code;
        backgroundBank[i] = Arcade.characterBank;
    }
    std::vector<uint32_t> Reference(int scroll) {
        ReferenceScreen screen = {chars.data(), foreground, background, backgroundBank, Arcade.characterBank,
                                  scroll};
        return ReferencePicture(screen);
    }
};

TEST_F(ArcadeScreen, ShowsTheTileSetsUntilTheFirstFrame) {
    std::vector<uint32_t> sets = ReferenceTileSets(chars.data());
    EXPECT_TRUE(SamePicture(ReadSurfacePicture(), sets, 208));
    EXPECT_TRUE(SamePicture(ReadPixels(dc, 0, 0, 208, 256), sets, 208));
}

TEST_F(ArcadeScreen, FramesMatchThePixelRulesOnSurfaceAndScreen) {
    FillVideo();
    for (int scroll : {0, 1, 255}) {
        ArcadeWriteMem(0x5800, (uint8_t)scroll);
        ArcadeRender();
        std::vector<uint32_t> want = Reference(scroll);
        EXPECT_TRUE(SamePicture(ReadSurfacePicture(), want, 208)) << "surface, scroll " << scroll;
        EXPECT_TRUE(SamePicture(ReadPixels(dc, 0, 0, 208, 256), want, 208)) << "screen, scroll " << scroll;
    }
    // Bank 1: the foreground changes colour at once, the background only
    // where a code changes.
    ArcadeWriteMem(0x5000, 0x01);
    for (int i = 0; i < 832; i += 3)
        WriteBackground(i, (uint8_t)(i * 11 + 2));
    WriteBackground(1, background[1]);
    ArcadeRender();
    EXPECT_TRUE(SamePicture(ReadPixels(dc, 0, 0, 208, 256), Reference(255), 208));
}

TEST_F(ArcadeScreen, StretchOnAWindowOfThePictureSizeIsThePlainCopy) {
    FillVideo();
    ArcadeRender();
    std::vector<uint32_t> plain = ReadPixels(dc, 0, 0, 208, 256);
    HDC screen = GetDC(window);
    RECT area = {0, 0, 208, 256};
    FillRect(screen, &area, (HBRUSH)GetStockObject(WHITE_BRUSH));
    ReleaseDC(window, screen);
    ArcadeSetOptions(1, 0, 0);
    ArcadeRender();
    EXPECT_TRUE(SamePicture(ReadPixels(dc, 0, 0, 208, 256), plain, 208));
}

TEST_F(ArcadeScreen, StretchFillsALargerWindow) {
    FillVideo();
    ArcadeRender();
    std::vector<uint32_t> plain = ReadPixels(dc, 0, 0, 208, 256);
    ResizeClient(416, 512);
    ArcadeSetOptions(1, 0, 0);
    ArcadeRender();
    std::vector<uint32_t> doubled = ReadPixels(dc, 0, 0, 416, 512);
    int same = 0;
    for (int y = 0; y < 512; y++)
        for (int x = 0; x < 416; x++)
            same += doubled[y * 416 + x] == plain[(y / 2) * 208 + x / 2];
    EXPECT_GT(same, 416 * 512 * 95 / 100) << "each picture pixel covers two by two";
}

TEST_F(ArcadeScreen, FrameRateTextSitsAtTheBottomLeft) {
    FillVideo();
    strcpy(ArcadeKept.frameRateText, "FPS = 60 FS = 0");
    ArcadeRender();
    std::vector<uint32_t> without = ReadSurfacePicture();
    ArcadeSetOptions(0, 1, 0);
    ArcadeRender();
    std::vector<uint32_t> with = ReadSurfacePicture();
    int white = 0, changedAbove = 0, lowestChange = 0;
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 208; x++) {
            if (with[y * 208 + x] == without[y * 208 + x])
                continue;
            if (with[y * 208 + x] == 0xFFFFFF)
                white++;
            if (y < 200)
                changedAbove++;
            lowestChange = y;
        }
    }
    EXPECT_GT(white, 20);
    EXPECT_EQ(0, changedAbove);
    EXPECT_EQ(255, lowestChange);
}

} // namespace
