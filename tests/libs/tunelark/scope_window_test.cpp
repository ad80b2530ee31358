// The audio scope under Wine's null audio device: opening in a mode, the
// plasma while idle, sampling silence, and closing with its threads gone.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "player_test_support.h"
#include "scope_state.h"
#include "test_support.h"
#include "ui_seams.h"

namespace {

struct ScopeFixture : ::testing::Test {
    ScopedRegistryRoot registry;
    MessageBoxRecorder boxes;
    HWND player = nullptr;
    HWND scopeWindow = nullptr;
    ScopeState *scope = nullptr;

    void SetUp() override
    {
        SetRegistryRoot(registry.Key());
        player = CreateTestPlayer();
        ASSERT_NE(player, nullptr);
    }
    void TearDown() override
    {
        if (player && IsWindow(player)) {
            SendMessageA(player, WM_USER, PLAYER_SAVE_STATE, 1);
            DestroyWindow(player);
        }
        SetRegistryRoot(nullptr);
    }
    void OpenScope(int mode)
    {
        SendMessageA(player, WM_COMMAND, CM_AUDIO_SCOPE, mode);
        scopeWindow = PlayerOf(player)->scope;
        ASSERT_NE(scopeWindow, nullptr);
        scope = ScopeOf(scopeWindow);
        ASSERT_NE(scope, nullptr);
        ASSERT_TRUE(PumpPostedMessages()); // the posted mode command
    }
    SIZE Client()
    {
        RECT r;
        GetClientRect(scopeWindow, &r);
        return {r.right, r.bottom};
    }
    HANDLE Copy(HANDLE thread)
    {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
        return copy;
    }
};

TEST_F(ScopeFixture, OpensInItsModeShowsPlasmaSamplesSilenceAndClosesWithNoThreadLeft)
{
    OpenScope(5);
    EXPECT_EQ(scope->mode, 5);
    EXPECT_EQ(Client().cx, 230);
    EXPECT_EQ(Client().cy, 50);
    ASSERT_TRUE(PumpUntil([&] { return scope->plasmaRunning != 0; }, 5000)) << "no plasma";
    HANDLE plasma = Copy(scope->plasmaThread);

    SendMessageA(scopeWindow, WM_USER, SCOPE_START, 0);
    ASSERT_TRUE(scope->sampling) << (boxes.Boxes().empty() ? "" : boxes.Boxes().back().text);
    // The plasma gives way to the samples at once.
    EXPECT_EQ(WaitForSingleObject(plasma, 0), (DWORD)WAIT_OBJECT_0);
    ASSERT_TRUE(PumpUntil([&] { return scope->frameCounter >= 5; }, 5000)) << "no buffers arrived";
    EXPECT_EQ(scope->sampleBytes, 1024);
    HANDLE draw = Copy(scope->drawThread);

    SendMessageA(scopeWindow, WM_USER, SCOPE_STOP, 0);
    SendMessageA(scopeWindow, WM_USER, SCOPE_STOP, 0); // a second stop is harmless
    EXPECT_FALSE(scope->sampling);
    EXPECT_EQ(WaitForSingleObject(draw, 0), (DWORD)WAIT_OBJECT_0);
    ASSERT_TRUE(PumpUntil([&] { return scope->plasmaThread != nullptr; }, 2000)) << "no plasma after the stop";
    HANDLE plasmaAgain = Copy(scope->plasmaThread);

    SendMessageA(player, WM_COMMAND, CM_AUDIO_SCOPE, 0); // closes it
    EXPECT_FALSE(IsWindow(scopeWindow));
    EXPECT_EQ(WaitForSingleObject(plasmaAgain, 0), (DWORD)WAIT_OBJECT_0);
    CloseHandle(plasma);
    CloseHandle(draw);
    CloseHandle(plasmaAgain);
    // A failed switch of the recording source is told once at most.
    EXPECT_LE(boxes.Boxes().size(), 1u);
}

TEST_F(ScopeFixture, ClosingWhileSamplingEndsTheDrawingThread)
{
    OpenScope(3);
    RECT playerClient;
    GetClientRect(player, &playerClient);
    EXPECT_EQ(Client().cx, playerClient.right);
    EXPECT_EQ(Client().cy, 78);
    SendMessageA(scopeWindow, WM_USER, SCOPE_START, 1);
    ASSERT_TRUE(scope->sampling);
    ASSERT_TRUE(PumpUntil([&] { return scope->frameCounter >= 2; }, 5000));
    HANDLE draw = Copy(scope->drawThread);
    SendMessageA(scopeWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(scopeWindow));
    EXPECT_EQ(WaitForSingleObject(draw, 0), (DWORD)WAIT_OBJECT_0);
    CloseHandle(draw);
}

TEST_F(ScopeFixture, ASkipOfZeroFromTheRegistryDrawsEveryBuffer)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(registry.Key(), "Software\\Kestrova\\ZezazUzizu", &key), ERROR_SUCCESS);
    const char text[] = "0 -1 20 0";
    RegSetValueExA(key, "ScopeInfo", 0, REG_SZ, (const BYTE *)text, sizeof text);
    RegCloseKey(key);
    OpenScope(1);
    EXPECT_EQ(scope->skip, 1);
    EXPECT_EQ(scope->gain, 20);
    SendMessageA(scopeWindow, WM_USER, SCOPE_START, 1);
    ASSERT_TRUE(PumpUntil([&] { return scope->frameCounter >= 3; }, 5000));
    int state = 0;
    SendMessageA(scopeWindow, WM_USER, SCOPE_GET_MODE, (LPARAM)&state);
    EXPECT_EQ(state, 1);
}

} // namespace
