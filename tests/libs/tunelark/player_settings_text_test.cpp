#include <gtest/gtest.h>

#include <cstring>

#include "player_settings_text.h"

TEST(PlayerWindowSettings, EveryNumberComesBackInItsPlace)
{
    PlayerWindowSettings saved = {100, 120, 400, 520, 7, 1, 1, 0, 1, 3, 180, 128, 1, 5};
    char text[PLAYER_WINDOW_TEXT_BYTES];
    ASSERT_EQ(FormatPlayerWindowSettings(&saved, text, sizeof text), 0);
    PlayerWindowSettings read;
    DefaultPlayerWindowSettings(&read);
    ParsePlayerWindowSettings(text, &read);
    EXPECT_EQ(memcmp(&read, &saved, sizeof saved), 0) << text;
}

TEST(PlayerWindowSettings, MissingNumbersKeepTheirDefaults)
{
    PlayerWindowSettings s;
    DefaultPlayerWindowSettings(&s);
    ParsePlayerWindowSettings("10 20 300 400 2", &s);
    EXPECT_EQ(s.left, 10);
    EXPECT_EQ(s.rowCount, 2);
    EXPECT_EQ(s.selectedRow, -1);
    EXPECT_EQ(s.listHeight, 200);
    EXPECT_EQ(s.alpha, 255);
    EXPECT_EQ(s.rollDirection, 2);
    EXPECT_EQ(s.scopeOpen, 0);
    EXPECT_EQ(s.scopeState, 2);
}

TEST(PlayerWindowSettings, HostileNumbersAreBroughtIntoRange)
{
    PlayerWindowSettings s;
    DefaultPlayerWindowSettings(&s);
    ParsePlayerWindowSettings("0 0 10 10 -5 1 0 7 9 40 100 999 0 0", &s);
    EXPECT_EQ(s.rowCount, 0);
    EXPECT_EQ(s.selectedRow, -1); // past the rows there are
    EXPECT_EQ(s.alpha, 255);
    EXPECT_EQ(s.rollDirection, 2);
    EXPECT_EQ(s.rolledUp, 1);
}

TEST(PlayerWindowSettings, AWindowOffTheDesktopComesBackWithItsSize)
{
    PlayerWindowSettings s;
    DefaultPlayerWindowSettings(&s);
    s.left = -200, s.right = 100, s.top = 2000, s.bottom = 2150;
    KeepPlayerOnDesktop(&s, 1280, 1024);
    EXPECT_EQ(s.left, 30);
    EXPECT_EQ(s.right - s.left, 300);
    EXPECT_EQ(s.top, 1024 - 30);
    EXPECT_EQ(s.bottom - s.top, 150);
    PlayerWindowSettings inside = s;
    inside.left = 500, inside.right = 800, inside.top = 300, inside.bottom = 450;
    PlayerWindowSettings moved = inside;
    KeepPlayerOnDesktop(&moved, 1280, 1024);
    EXPECT_EQ(memcmp(&moved, &inside, sizeof moved), 0);
}
