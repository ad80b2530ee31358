#include <gtest/gtest.h>

#include <vector>

#include "keylatch.h"
#include "test_support.h"

namespace {

std::vector<LPARAM> Codes;

// A key sent last and taken out of the input by a hook of the test's own:
// once that hook has seen it, every key sent before it has been through the
// latch, which has posted its codes for them.
const DWORD SentinelKey = VK_F24;
bool SentinelSeen;

LRESULT CALLBACK SentinelProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && ((const KBDLLHOOKSTRUCT *)lParam)->vkCode == SentinelKey) {
        SentinelSeen = true;
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER && wParam == 104)
        Codes.push_back(lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

class KeyLatchHook : public ::testing::Test {
protected:
    HWND target = nullptr;
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KeyLatchTarget";
        RegisterClassA(&wc);
        target = CreateWindowA("KeyLatchTarget", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(target, nullptr);
        Codes.clear();
    }
    void TearDown() override
    {
        KB_RemoveHook();
        DestroyWindow(target);
    }
    static void Key(WORD vk, bool down)
    {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
    }
    // Every code of the keys sent so far has reached the window.
    static void KeysHandled()
    {
        HHOOK sentinel = SetWindowsHookExA(WH_KEYBOARD_LL, SentinelProc, GetModuleHandleA(nullptr), 0);
        ASSERT_NE(sentinel, nullptr);
        SentinelSeen = false;
        Key((WORD)SentinelKey, true);
        Key((WORD)SentinelKey, false);
        bool seen = PumpUntil([] { return SentinelSeen; }, 3000);
        UnhookWindowsHookEx(sentinel);
        ASSERT_TRUE(seen) << "the keys never came through";
        ASSERT_TRUE(PumpPostedMessages());
    }
};

} // namespace

TEST_F(KeyLatchHook, AltShiftArrowsReachTheWindowAsCodes)
{
    ASSERT_EQ(KB_InstallHook(target), 0);
    Key(VK_MENU, true);
    Key(VK_SHIFT, true);
    Key(VK_DOWN, true);
    Key(VK_DOWN, false);
    Key(VK_DOWN, true);
    Key(VK_DOWN, false);
    Key(VK_UP, true);
    Key(VK_UP, false);
    Key(VK_SHIFT, false);
    Key(VK_MENU, false);
    KeysHandled();
    EXPECT_EQ(Codes, (std::vector<LPARAM>{1, 3, 4, 2}));
}

TEST_F(KeyLatchHook, InsertAndDeleteAndNothingOnceRemoved)
{
    ASSERT_EQ(KB_InstallHook(target), 0);
    EXPECT_EQ(KB_InstallHook(target), 0) << "a second install keeps the one hook";
    Key(VK_MENU, true);
    Key(VK_SHIFT, true);
    Key(VK_INSERT, true);
    Key(VK_INSERT, false);
    Key(VK_DOWN, true);
    Key(VK_DOWN, false);
    Key(VK_DELETE, true);
    Key(VK_DELETE, false);
    Key(VK_SHIFT, false);
    Key(VK_MENU, false);
    KeysHandled();
    EXPECT_EQ(Codes, (std::vector<LPARAM>{5, 1, 6}));

    EXPECT_EQ(KB_RemoveHook(), 0);
    EXPECT_EQ(KB_RemoveHook(), 0);
    Codes.clear();
    Key(VK_MENU, true);
    Key(VK_SHIFT, true);
    Key(VK_INSERT, true);
    Key(VK_INSERT, false);
    Key(VK_SHIFT, false);
    Key(VK_MENU, false);
    KeysHandled();
    EXPECT_TRUE(Codes.empty());
}
