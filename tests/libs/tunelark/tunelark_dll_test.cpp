// Tunelark.dll as the main program uses it: plain export names, the player
// opened by TunelarkRunner, saved once when closed the main program's way.
#include <gtest/gtest.h>

#include <windows.h>

#include "test_support.h"
#include "tunelark.h"

namespace {

int CountRows(HKEY root)
{
    HKEY key;
    if (RegOpenKeyA(root, "software\\Kestrova\\Tunelark", &key) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return (int)values;
}

TEST(TunelarkDll, ExportsItsFunctionsByTheirPlainNames)
{
    HMODULE library = LoadLibraryA("Tunelark.dll");
    ASSERT_NE(library, nullptr);
    FARPROC runner = GetProcAddress(library, "TunelarkRunner");
    FARPROC procedure = GetProcAddress(library, "Tunelark");
    EXPECT_NE(runner, nullptr);
    EXPECT_NE(procedure, nullptr);
    EXPECT_EQ(GetProcAddress(library, MAKEINTRESOURCEA(1)), procedure);
    EXPECT_EQ(GetProcAddress(library, MAKEINTRESOURCEA(2)), runner);
    FreeLibrary(library);
}

TEST(TunelarkDll, TheRunnerShowsThePlayerWhichSavesOnceWhenClosed)
{
    ScopedRegistryRoot registry(TunelarkTestSetRegistryRoot);
    HWND player = TunelarkRunner(nullptr);
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(IsWindowVisible(player));
    EXPECT_EQ(CountRows(registry.Key()), -1);
    SendMessageA(player, WM_USER, 1, 1);
    EXPECT_EQ(CountRows(registry.Key()), 2); // the window and the last folder
    // Settings written now would show up as a changed value: remove one and
    // see that destruction does not write it back.
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(registry.Key(), "software\\Kestrova\\Tunelark", &key), ERROR_SUCCESS);
    RegDeleteValueA(key, "MP3_LastAddDirPath");
    RegCloseKey(key);
    DestroyWindow(player);
    EXPECT_FALSE(IsWindow(player));
    EXPECT_EQ(CountRows(registry.Key()), 1);
}

} // namespace
