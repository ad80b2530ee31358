#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "clock_face.h"

namespace {
const double PI = 3.14159265358979323846;

// Where a hand points, in degrees clockwise from 12, from its drawn tip.
double TipBearing(const FacePoint outline[5], int cx, int cy)
{
    double degrees = std::atan2(outline[2].x - cx, cy - outline[2].y) * 180 / PI;
    return degrees < 0 ? degrees + 360 : degrees;
}

double HourBearing(int hour, int minute, int second)
{
    FacePoint hand[5];
    HandPolygon(HourHandAngle(hour, minute + second / 60.0), 0.1, 0.05, 0.5, 1000, 1000, hand);
    return TipBearing(hand, 1000, 1000);
}

double MinuteBearing(int hour, int minute, int second)
{
    FacePoint hand[5];
    (void)hour;
    HandPolygon(MinuteHandAngle(minute + second / 60.0), 0.08, 0.04, 0.75, 1000, 1000, hand);
    return TipBearing(hand, 1000, 1000);
}
} // namespace

TEST(ClockHands, PointWhereTheDialSays)
{
    // Points are whole pixels: a tenth of a degree either way on this dial.
    EXPECT_NEAR(HourBearing(15, 0, 0), 90, 0.2);
    EXPECT_NEAR(MinuteBearing(15, 0, 0), 0, 0.2) << "the hour must not push the minute hand";
    EXPECT_NEAR(HourBearing(6, 30, 0), 195, 0.2); // halfway between 6 and 7
    EXPECT_NEAR(MinuteBearing(6, 30, 0), 180, 0.2);
    EXPECT_NEAR(HourBearing(23, 59, 59), 360, 0.2);
    EXPECT_NEAR(MinuteBearing(23, 45, 30), 273, 0.2);
    EXPECT_NEAR(HourBearing(0, 0, 0), 0, 0.2);
}

TEST(ClockHands, SecondHandSweepsWithTheMilliseconds)
{
    FacePoint end = SecondHandEnd(0, 0, 100, 100);
    EXPECT_EQ(end.x, 100);
    EXPECT_EQ(end.y, 20);
    end = SecondHandEnd(15, 0, 100, 100);
    EXPECT_EQ(end.x, 180);
    EXPECT_NEAR(end.y, 100, 1);
    EXPECT_NEAR(SecondHandAngle(29, 500), 29.5 * PI / 30, 1e-12);
}

TEST(ClockMarks, HourMarksSitOnTheNineTenthsCircle)
{
    FacePoint twelve = MarkCentre(12, 12, 100, 100);
    FacePoint three = MarkCentre(3, 12, 100, 100);
    FacePoint six = MarkCentre(6, 12, 100, 100);
    FacePoint nine = MarkCentre(9, 12, 100, 100);
    EXPECT_NEAR(twelve.x, 100, 1);
    EXPECT_NEAR(twelve.y, 10, 1);
    EXPECT_NEAR(three.x, 190, 1);
    EXPECT_NEAR(six.y, 190, 1);
    EXPECT_NEAR(nine.x, 10, 1);
    FacePoint minute15 = MarkCentre(15, 60, 100, 100);
    EXPECT_NEAR(minute15.x, three.x, 1);
    int a, b;
    MarkHalfSize(75, 75, 0.015, &a, &b);
    EXPECT_EQ(a, 2);
    EXPECT_TRUE(MarkWantsWhitePen(a, b));
    MarkHalfSize(200, 200, 0.015, &a, &b);
    EXPECT_EQ(a, 4);
    EXPECT_FALSE(MarkWantsWhitePen(a, b));
    EXPECT_EQ(RimPenWidth(75), 3);
}

TEST(ClockTooltip, ReadsTwelveHourTimeAndTheDate)
{
    char text[64];
    struct Case {
        int year, month, weekday, day, hour, minute, second;
        const char *expected;
    } cases[] = {
        {2005, 1, 0, 2, 0, 5, 9, "00:05:09AM Sunday 02/Jan/2005"},
        {2024, 6, 4, 20, 12, 0, 0, "12:00:00PM Thursday 20/Jun/2024"},
        {2024, 12, 6, 21, 23, 59, 58, "11:59:58PM Saturday 21/Dec/2024"},
        {1999, 9, 3, 1, 11, 0, 1, "11:00:01AM Wednesday 01/Sep/1999"},
        {2024, 13, 7, 1, 13, 0, 0, "01:00:00PM  01//2024"}, // out-of-range names stay empty
    };
    for (const Case &c : cases) {
        int length = FormatClockTooltip(text, sizeof text, c.year, c.month, c.weekday, c.day,
                                        c.hour, c.minute, c.second);
        EXPECT_STREQ(text, c.expected);
        EXPECT_EQ(length, (int)std::string(c.expected).size());
    }
    EXPECT_EQ(FormatClockTooltip(text, 10, 2005, 1, 0, 2, 0, 5, 9), -1);
}

TEST(ClockTransparency, MenuEntriesAndAlphaMatchBothWays)
{
    const int alphas[] = {255, 230, 205, 179, 154, 128, 103, 77, 52, 26};
    for (int percent = 0; percent <= 90; percent += 10) {
        EXPECT_EQ(TransparencyAlpha(percent), alphas[percent / 10]) << percent;
        EXPECT_EQ(TransparencyMenuId(alphas[percent / 10]), percent) << percent;
    }
    EXPECT_EQ(TransparencyMenuId(-1), 100); // opaque: no entry checked
}

TEST(MapShift, WrapsIntoOneTurnBothWays)
{
    EXPECT_DOUBLE_EQ(WrapMapShift(90), 90);
    EXPECT_DOUBLE_EQ(WrapMapShift(-30), 330);
    EXPECT_DOUBLE_EQ(WrapMapShift(-390), 330);
    EXPECT_DOUBLE_EQ(WrapMapShift(725), 5);
    EXPECT_DOUBLE_EQ(WrapMapShift(360), 0);
    EXPECT_DOUBLE_EQ(WrapMapShift(NAN), 90);
}

TEST(MapRowSlices, ShowTheColumnsThatEndAtTheShift)
{
    MapSlice s[2];
    // 360 columns, 180-degree view, shift 270: columns 90..270 in one piece.
    ASSERT_EQ(MapRowSlices(360, 270, 1, 100, s), 1);
    EXPECT_EQ(s[0].sourceX, 90);
    EXPECT_EQ(s[0].sourceWidth, 180);
    EXPECT_EQ(s[0].destX, 0);
    EXPECT_EQ(s[0].destWidth, 100);

    // Shift 90 wraps: the last 90 columns, then the first 90.
    ASSERT_EQ(MapRowSlices(360, 90, 1, 100, s), 2);
    EXPECT_EQ(s[0].sourceX, 270);
    EXPECT_EQ(s[0].sourceWidth, 90);
    EXPECT_EQ(s[0].destWidth, 50);
    EXPECT_EQ(s[1].sourceX, 0);
    EXPECT_EQ(s[1].sourceWidth, 90);
    EXPECT_EQ(s[1].destX, 50);
    EXPECT_EQ(s[1].destWidth, 50);

    // A negative shift is the same longitude as its wrapped value.
    MapSlice w[2];
    ASSERT_EQ(MapRowSlices(360, -270, 1, 100, w), 2);
    EXPECT_EQ(w[0].sourceX, 270);

    // The whole map in the 360-degree view, ending at the shift.
    ASSERT_EQ(MapRowSlices(720, 180, 0, 200, s), 2);
    EXPECT_EQ(s[0].sourceX, 360);
    EXPECT_EQ(s[0].sourceWidth + s[1].sourceWidth, 720);
    EXPECT_EQ(s[0].destWidth + s[1].destWidth, 200);

    EXPECT_EQ(MapRowSlices(360, 90, 1, 0, s), 0);
}

TEST(ClockResize, NeverBelowSixtyPixels)
{
    EXPECT_EQ(ResizedExtent(150, 100, 130), 180);
    EXPECT_EQ(ResizedExtent(150, 100, 20), 70);
    EXPECT_EQ(ResizedExtent(150, 100, 11), 61);
    EXPECT_EQ(ResizedExtent(150, 100, 10), 60);
    EXPECT_EQ(ResizedExtent(150, 100, 0), 60);
    EXPECT_EQ(ResizedExtent(150, 100, -500), 60);
}
