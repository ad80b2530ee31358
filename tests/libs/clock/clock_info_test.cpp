#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "clock_info.h"

namespace {
ClockSettings Parsed(const std::string &text, int *fields = nullptr)
{
    ClockSettings s = DefaultClockSettings();
    int read = ParseClockInfo(text.data(), text.size(), &s);
    if (fields)
        *fields = read;
    return s;
}
} // namespace

TEST(ClockInfo, DefaultsAreTheFirstMapRoundHalfViewOpaque)
{
    ClockSettings s = DefaultClockSettings();
    char text[128];
    ASSERT_GT(FormatClockInfo(s, text, sizeof text), 0);
    EXPECT_STREQ(text, "5000 1 1 255 90.000000 10 10 160 160 0");
}

TEST(ClockInfo, RoundTripKeepsEveryFieldAndTheShiftInSinglePrecision)
{
    ClockSettings s = {5003, 0, 0, 179, 123.456789, {-20, 40, 330, 400}, 1};
    char text[128];
    int length = FormatClockInfo(s, text, sizeof text);
    ASSERT_GT(length, 0);
    EXPECT_EQ(length, (int)std::strlen(text));
    EXPECT_STREQ(text, "5003 0 0 179 123.456789 -20 40 330 400 1");

    int fields = 0;
    ClockSettings back = Parsed(text, &fields);
    EXPECT_EQ(fields, 10);
    EXPECT_EQ(back.mapId, 5003);
    EXPECT_EQ(back.round, 0);
    EXPECT_EQ(back.view180, 0);
    EXPECT_EQ(back.alpha, 179);
    EXPECT_EQ(back.rect.left, -20);
    EXPECT_EQ(back.rect.bottom, 400);
    EXPECT_EQ(back.topmost, 1);
    // The shift comes back as the nearest float, and is written as such next time.
    EXPECT_EQ(back.mapShift, (double)123.456789f);
    FormatClockInfo(back, text, sizeof text);
    EXPECT_STREQ(text, "5003 0 0 179 123.456787 -20 40 330 400 1");
}

TEST(ClockInfo, FieldsThatDoNotParseKeepTheirValues)
{
    int fields = 0;
    ClockSettings s = Parsed("5002 0 x 12", &fields);
    EXPECT_EQ(fields, 2);
    EXPECT_EQ(s.mapId, 5002);
    EXPECT_EQ(s.round, 0);
    EXPECT_EQ(s.view180, 1);
    EXPECT_EQ(s.alpha, 255);

    s = Parsed("", &fields);
    EXPECT_EQ(fields, 0);
    EXPECT_EQ(s.mapId, 5000);

    // The text need not be terminated; reading stops at the given length.
    const char unterminated[] = {'5', '0', '0', '4', ' ', '1', ' ', '7'};
    ClockSettings t = DefaultClockSettings();
    EXPECT_EQ(ParseClockInfo(unterminated, 6, &t), 2);
    EXPECT_EQ(t.mapId, 5004);
    EXPECT_EQ(t.view180, 1);

    // Overlong text is cut at the buffer's size, not read past.
    std::string longText(4000, '7');
    s = Parsed(longText, &fields);
    EXPECT_EQ(fields, 1);
    EXPECT_EQ(s.mapId, 2147483647);
}

TEST(ClockInfo, SanitisingBringsStrangeValuesBack)
{
    ClockSettings s = {4999, 7, -3, 0, 1e300 * 1e10, {0, 0, 10, 10}, 9};
    SanitiseClockSettings(&s);
    EXPECT_EQ(s.mapId, 5000);
    EXPECT_EQ(s.round, 1);
    EXPECT_EQ(s.view180, 1);
    EXPECT_EQ(s.alpha, -1); // never an invisible window
    EXPECT_EQ(s.mapShift, 90.0);
    EXPECT_EQ(s.topmost, 1);

    ClockSettings keep = {200, 0, 0, 26, -45.5, {0, 0, 10, 10}, 0};
    SanitiseClockSettings(&keep);
    EXPECT_EQ(keep.mapId, 200);
    EXPECT_EQ(keep.alpha, 26);
    EXPECT_EQ(keep.mapShift, -45.5);
    keep.alpha = 4000;
    SanitiseClockSettings(&keep);
    EXPECT_EQ(keep.alpha, 255);
}

TEST(ClockPlacement, StoredRectanglesComeBackOnTheDesktop)
{
    ClockRect r = ClampClockRect({-400, 10, -250, 160}, 1024, 768);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.right, 180);
    EXPECT_EQ(r.top, 10);

    r = ClampClockRect({5000, 100, 5150, 250}, 1024, 768);
    EXPECT_EQ(r.left, 994);
    EXPECT_EQ(r.right, 1144);

    r = ClampClockRect({100, -5, 250, 145}, 1024, 768);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.bottom, 180);
    r = ClampClockRect({100, 2000, 250, 2150}, 1024, 768);
    EXPECT_EQ(r.top, 738);

    // Sizes nobody could have dragged: inverted, or larger than the desktop.
    r = ClampClockRect({100, 100, 50, 40}, 1024, 768);
    EXPECT_EQ(r.right - r.left, 60);
    EXPECT_EQ(r.bottom - r.top, 60);
    r = ClampClockRect({0, 0, 2147483647, 2147483647}, 1024, 768);
    EXPECT_EQ(r.right - r.left, 1024);
    EXPECT_EQ(r.bottom - r.top, 768);
    r = ClampClockRect({-2147483647 - 1, 0, 100, 100}, 1024, 768);
    EXPECT_EQ(r.left, 30);
}

TEST(ClockPlacement, WindowPastTheDesktopsFarEdgeMovesBack)
{
    ClockRect r = KeepClockOnDesktop({1300, 1100, 1450, 1250}, 1280, 1024);
    EXPECT_EQ(r.right, 1280);
    EXPECT_EQ(r.left, 1130);
    EXPECT_EQ(r.bottom, 1024);
    EXPECT_EQ(r.top, 874);
    r = KeepClockOnDesktop({100, 100, 250, 250}, 1280, 1024);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
}

TEST(ClockPlacement, CalendarCentresUnderTheClockOrRisesAboveTheScreenBottom)
{
    int left, top;
    PlaceCalendar({100, 100, 250, 250}, 200, 180, 1024, &left, &top);
    EXPECT_EQ(top, 250);
    EXPECT_EQ(left, 75);
    PlaceCalendar({100, 850, 250, 1000}, 200, 180, 1024, &left, &top);
    EXPECT_EQ(top, 1024 - 180);
}
