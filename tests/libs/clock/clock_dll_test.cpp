#include <gtest/gtest.h>

#include <string>

#include "clock_runner.h"
#include "clock_test_support.h"
#include "test_support.h"

namespace {
typedef HWND(WINAPI *Runner)(HWND);
typedef void(WINAPI *SetRoot)(HKEY);
typedef void(WINAPI *SetTime)(void (*)(SYSTEMTIME *, int64_t *));
} // namespace

TEST(ClockLibrary, ClockRunnerIsExportedByNameAndOpensTheClock)
{
    HMODULE library = LoadLibraryA(WindowsPath(CLOCK_DLL).c_str());
    ASSERT_NE(library, nullptr) << GetLastError();
    Runner runner = (Runner)(void *)GetProcAddress(library, "ClockRunner");
    SetRoot setRoot = (SetRoot)(void *)GetProcAddress(library, "ClockTestSetRegistryRoot");
    SetTime setTime = (SetTime)(void *)GetProcAddress(library, "ClockTestSetTime");
    ASSERT_NE(runner, nullptr);
    ASSERT_NE(setRoot, nullptr);
    ASSERT_NE(setTime, nullptr);
    {
        ScopedRegistryRoot root(setRoot);
        setTime(SummerMorning);
        HWND clock = runner(nullptr);
        ASSERT_NE(clock, nullptr);
        char className[32] = {};
        GetClassNameA(clock, className, sizeof className);
        EXPECT_STREQ(className, "CLOCKCLASS");
        EXPECT_TRUE(IsWindowVisible(clock));
        // Runs on this thread's loop: the face is painted from its timers.
        EXPECT_TRUE(PumpUntilDispatched(
            [clock](const MSG &m) { return m.hwnd == clock && m.message == WM_TIMER; }))
            << "no tick of the clock";
        EXPECT_TRUE(IsWindow(clock));
        EXPECT_TRUE(DestroyWindow(clock));
        EXPECT_EQ(ReadClockInfo(root), "5000 1 1 255 90.000000 10 10 160 160 0");

        // A second clock after the first registers nothing new and still opens.
        clock = runner(nullptr);
        ASSERT_NE(clock, nullptr);
        DestroyWindow(clock);
        setTime(nullptr);
    }
    FreeLibrary(library);
}

TEST(ClockLibrary, LinkedByImportAsTheMainProgramDoes)
{
    ScopedRegistryRoot root(ClockTestSetRegistryRoot);
    HWND clock = ClockRunner(nullptr);
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(IsWindowVisible(clock));
    DestroyWindow(clock);
    EXPECT_FALSE(IsWindow(clock));
    EXPECT_NE(ReadClockInfo(root), "");
}
