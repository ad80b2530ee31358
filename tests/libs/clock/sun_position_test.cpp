#include <gtest/gtest.h>

#include <cmath>

#include "sun_position.h"

namespace {
const double PI = 3.14159265358979323846;
const double RAD = PI / 180.0;

// Days from 1970-01-01 counted year by year and month by month: an
// independent route to the Julian date (JD 2440587.5 is 1970-01-01 0h).
long long DaysSinceEpoch(int year, int month, int day)
{
    static const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
    long long days = 0;
    for (int y = 1970; y < year; ++y)
        days += leap(y) ? 366 : 365;
    for (int y = year; y < 1970; ++y)
        days -= leap(y) ? 366 : 365;
    for (int m = 1; m < month; ++m)
        days += monthDays[m - 1] + (m == 2 && leap(year) ? 1 : 0);
    return days + day - 1;
}

double ReferenceJulian(const CalendarTime &t)
{
    return 2440587.5 + DaysSinceEpoch(t.year, t.month, t.day) +
           (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
}

// The almanac's low-precision sun (good to 0.01 degree between 1950 and 2050).
void AlmanacSun(double jd, double *ra, double *dec)
{
    double n = jd - 2451545.0;
    double l = 280.460 + 0.9856474 * n;
    double g = (357.528 + 0.9856003 * n) * RAD;
    double lambda = (l + 1.915 * std::sin(g) + 0.020 * std::sin(2 * g)) * RAD;
    double eps = (23.439 - 0.0000004 * n) * RAD;
    *ra = std::atan2(std::cos(eps) * std::sin(lambda), std::cos(lambda)) / RAD;
    if (*ra < 0)
        *ra += 360;
    *dec = std::asin(std::sin(eps) * std::sin(lambda)) / RAD;
}

double AngleDifference(double a, double b)
{
    double d = std::fmod(a - b, 360.0);
    if (d > 180)
        d -= 360;
    if (d < -180)
        d += 360;
    return d;
}
} // namespace

TEST(JulianDate, PublishedDatesOfTheGregorianCalendar)
{
    struct Case {
        CalendarTime time;
        double julian;
    } cases[] = {
        {{2000, 1, 1, 12, 0, 0}, 2451545.0}, {{1999, 1, 1, 0, 0, 0}, 2451179.5},
        {{1987, 1, 27, 0, 0, 0}, 2446822.5}, {{1987, 6, 19, 12, 0, 0}, 2446966.0},
        {{1988, 1, 27, 0, 0, 0}, 2447187.5}, {{1988, 6, 19, 12, 0, 0}, 2447332.0},
        {{1900, 1, 1, 0, 0, 0}, 2415020.5}, {{1600, 1, 1, 0, 0, 0}, 2305447.5},
        {{1600, 12, 31, 0, 0, 0}, 2305812.5}, {{1957, 10, 4, 19, 26, 24}, 2436116.31},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.time.year);
        EXPECT_NEAR(JulianTime(c.time), c.julian, 1e-6);
    }
    EXPECT_EQ(JulianDate({2000, 1, 1, 0, 0, 0}), 2451545);
}

TEST(JulianDate, AgreesWithDaysCountedFromTheEpochAcrossLeapYears)
{
    for (int year = 1899; year <= 2101; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day : {1, 28, 29}) {
                if (month == 2 && day == 29 && DaysSinceEpoch(year, 3, 1) -
                                                       DaysSinceEpoch(year, 2, 1) == 28)
                    continue;
                CalendarTime t = {year, month, day, 18, 30, 15};
                ASSERT_NEAR(JulianTime(t), ReferenceJulian(t), 1e-7)
                    << year << "-" << month << "-" << day;
            }
}

TEST(UniversalTime, BreaksDownMomentsLikeTheCalendar)
{
    struct Case {
        long long seconds;
        CalendarTime time;
    } cases[] = {
        {0, {1970, 1, 1, 0, 0, 0}},
        {951782400, {2000, 2, 29, 0, 0, 0}},
        {1718916660, {2024, 6, 20, 20, 51, 0}},
        {-1, {1969, 12, 31, 23, 59, 59}},
        {4107542399LL, {2100, 2, 28, 23, 59, 59}},
    };
    for (const Case &c : cases) {
        CalendarTime t = UniversalTime(c.seconds);
        EXPECT_EQ(t.year, c.time.year) << c.seconds;
        EXPECT_EQ(t.month, c.time.month) << c.seconds;
        EXPECT_EQ(t.day, c.time.day) << c.seconds;
        EXPECT_EQ(t.hour * 3600 + t.minute * 60 + t.second,
                  c.time.hour * 3600 + c.time.minute * 60 + c.time.second)
            << c.seconds;
        EXPECT_NEAR(ReferenceJulian(t), 2440587.5 + c.seconds / 86400.0, 1e-7);
    }
}

TEST(SolveKepler, SolvesKeplersEquation)
{
    for (double m : {0.0, 3.5, 90.0, 179.0, 270.0, 359.9})
        for (double e : {0.0, 0.0167, 0.2}) {
            double ea = SolveKepler(m, e);
            EXPECT_NEAR(ea - e * std::sin(ea), m * RAD, 1e-9) << m << " " << e;
        }
}

TEST(SunPosition, SolsticesAndEquinoxesOf2024)
{
    // Published moments (UT, to the minute) and where the sun stands then.
    // They are apparent places; the clock's mean place lies ahead of them by
    // the aberration (20 seconds of arc) give or take the nutation.
    struct Case {
        CalendarTime time;
        double rightAscension, declination;
    } cases[] = {
        {{2024, 3, 20, 3, 6, 0}, 0.0, 0.0},
        {{2024, 6, 20, 20, 51, 0}, 90.0, 23.436},
        {{2024, 9, 22, 12, 44, 0}, 180.0, 0.0},
        {{2024, 12, 21, 9, 21, 0}, 270.0, -23.436},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.time.month);
        double ra, dec, radius, longitude;
        SunPosition(JulianTime(c.time), 1, &ra, &dec, &radius, &longitude);
        EXPECT_NEAR(AngleDifference(ra, c.rightAscension), 0.0, 0.01);
        EXPECT_NEAR(AngleDifference(longitude, c.rightAscension), 0.0, 0.01);
        EXPECT_NEAR(dec, c.declination, 0.01);
        EXPECT_GT(radius, 0.983);
        EXPECT_LT(radius, 1.017);

        double meanRa, meanDec, meanLongitude;
        SunPosition(JulianTime(c.time), 0, &meanRa, &meanDec, &radius, &meanLongitude);
        EXPECT_NEAR(meanDec, c.declination, 0.01);
        EXPECT_GT(AngleDifference(meanLongitude, c.rightAscension), 0.0);
        EXPECT_LT(AngleDifference(meanLongitude, c.rightAscension), 0.015);
        EXPECT_NEAR(AngleDifference(meanRa, c.rightAscension), 0.0, 0.015);
    }
}

TEST(SunPosition, FollowsTheAlmanacThroughTheYear)
{
    double start = JulianTime({2024, 1, 1, 0, 0, 0});
    for (int day = 0; day < 366; day += 5) {
        double jd = start + day + 0.3;
        double ra, dec, radius, longitude, almanacRa, almanacDec;
        SunPosition(jd, 0, &ra, &dec, &radius, &longitude);
        AlmanacSun(jd, &almanacRa, &almanacDec);
        EXPECT_NEAR(AngleDifference(ra, almanacRa), 0.0, 0.03) << day;
        EXPECT_NEAR(dec, almanacDec, 0.03) << day;
    }
    // Perihelion in early January, aphelion in early July.
    double ra, dec, nearest, farthest, longitude;
    SunPosition(JulianTime({2024, 1, 3, 0, 0, 0}), 0, &ra, &dec, &nearest, &longitude);
    SunPosition(JulianTime({2024, 7, 5, 0, 0, 0}), 0, &ra, &dec, &farthest, &longitude);
    EXPECT_NEAR(nearest, 0.98329, 0.0002);
    EXPECT_NEAR(farthest, 1.01671, 0.0002);
}

TEST(GreenwichSiderealTime, MatchesTheIauExpression)
{
    EXPECT_NEAR(GreenwichSiderealTime(2451545.0), 18.697, 0.0005);
    // GMST = 18.697374558 h + 24.06570982441908 h per day since J2000.0.
    for (double jd = 2447000.3; jd < 2470000; jd += 777.7) {
        double reference = std::fmod(18.697374558 + 24.06570982441908 * (jd - 2451545.0), 24.0);
        if (reference < 0)
            reference += 24;
        double difference = std::fabs(GreenwichSiderealTime(jd) - reference);
        EXPECT_LT(std::fmin(difference, 24 - difference), 0.001) << jd;
        EXPECT_GE(GreenwichSiderealTime(jd), 0.0);
        EXPECT_LT(GreenwichSiderealTime(jd), 24.0);
    }
}

namespace {
const int XDOTS = 3600, YDOTS = 1800; // a tenth of a degree per pixel

double HalfWidthDegrees(const std::vector<short> &table, int row)
{
    return table[row] * 360.0 / XDOTS;
}
} // namespace

TEST(ProjectIllumination, DayLengthAt45NorthOnTheJuneSolstice)
{
    double ra, dec, radius, longitude;
    SunPosition(JulianTime({2024, 6, 20, 20, 51, 0}), 0, &ra, &dec, &radius, &longitude);
    std::vector<short> table(YDOTS);
    ProjectIllumination(table.data(), XDOTS, YDOTS, dec);
    double expected = std::acos(-std::tan(45 * RAD) * std::tan(dec * RAD)) / RAD;
    EXPECT_NEAR(expected, 115.7, 0.05);
    int row = (int)((90 - 45) * YDOTS / 180.0) - 1;
    EXPECT_NEAR(HalfWidthDegrees(table, row), expected, 0.3);
    // And the other way round on the southern side.
    int south = (int)((90 + 45) * YDOTS / 180.0) - 1;
    EXPECT_NEAR(HalfWidthDegrees(table, south), 180 - expected, 0.3);
}

TEST(ProjectIllumination, EquinoxLightsHalfOfEveryRowAndNoPole)
{
    std::vector<short> table(YDOTS);
    ProjectIllumination(table.data(), XDOTS, YDOTS, 0.0);
    for (int row = 5; row < YDOTS - 5; ++row)
        ASSERT_NEAR(table[row], XDOTS / 4, 2) << row;
    // At most the pole's own row counts as the lit pole.
    for (int row = 1; row < YDOTS - 1; ++row)
        ASSERT_NE(table[row], XDOTS / 2) << row;
}

TEST(ProjectIllumination, SolsticesLightTheSummerPoleAndDarkenTheWinterOne)
{
    std::vector<short> table(YDOTS);
    ProjectIllumination(table.data(), XDOTS, YDOTS, 23.44);
    for (int row = 0; row < 200; ++row)
        ASSERT_EQ(table[row], XDOTS / 2) << row; // north of 70 N: midnight sun
    for (int row = YDOTS - 200; row < YDOTS; ++row)
        ASSERT_EQ(table[row], -1) << row; // south of 70 S: polar night

    ProjectIllumination(table.data(), XDOTS, YDOTS, -23.44);
    for (int row = 0; row < 200; ++row)
        ASSERT_EQ(table[row], -1) << row;
    for (int row = YDOTS - 200; row < YDOTS; ++row)
        ASSERT_EQ(table[row], XDOTS / 2) << row;
}

TEST(ProjectIllumination, EveryRowIsDarkOrWithinTheMapForAnyDeclination)
{
    // The terminator's last point lies on the pole-ward end of the circle;
    // stepping past it once turned the last half-width into -xdots/2.
    for (int size : {302, 1047, 1800})
        for (double dec = -23.5; dec <= 23.5; dec += 0.25) {
            std::vector<short> table(size);
            int width = size * 2;
            ProjectIllumination(table.data(), width, size, dec);
            for (int row = 0; row < size; ++row)
                ASSERT_TRUE(table[row] == -1 || (table[row] >= 1 && table[row] <= width / 2))
                    << "dec " << dec << " row " << row << " value " << table[row];
            // The half-width grows towards the summer pole without a gap.
            int lit = 0;
            for (int row = 0; row < size; ++row)
                lit += table[row] != -1;
            EXPECT_GT(lit, size * 3 / 4) << dec;
        }
}

TEST(SubSolarColumn, NoonAtGreenwichIsTheMiddleOfTheMap)
{
    // At 12:00 UT near an equinox the sun stands over Greenwich, within the
    // equation of time (about 7 minutes late, under 2 degrees, in March).
    double jd = JulianTime({2024, 3, 20, 12, 0, 0});
    double ra, dec, radius, longitude;
    SunPosition(jd, 0, &ra, &dec, &radius, &longitude);
    int column = SubSolarColumn(ra, GreenwichSiderealTime(jd), 3600);
    EXPECT_NEAR(column, 1800, 20);
    EXPECT_GT(column, 1800); // noon comes late in March: the sun is still east of Greenwich
    EXPECT_EQ(SubSolarColumn(359.999, 0.0, 360), 179);
    EXPECT_EQ(SubSolarColumn(180.0, 0.0, 360), 0);
    EXPECT_EQ(SubSolarColumn(179.9999999, 0.0, 360), 359);
}
