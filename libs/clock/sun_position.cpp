#include "sun_position.h"

#include <cmath>

static const double PI = 3.14159265358979323846;

CalendarTime UniversalTime(int64_t moment)
{
    long long seconds = moment;
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Days since 1970-01-01 to a proleptic Gregorian date, counted in
    // 400-year eras that start on 1 March so the leap day ends each year.
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long dayOfEra = days - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long monthIndex = (5 * dayOfYear + 2) / 153;
    CalendarTime out;
    out.day = (int)(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    out.month = (int)(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    out.year = (int)(yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0));
    out.hour = (int)(rest / 3600);
    out.minute = (int)(rest / 60 % 60);
    out.second = (int)(rest % 60);
    return out;
}

long JulianDate(const CalendarTime &time)
{
    long y, m;
    if (time.month > 2) {
        y = time.year;
        m = time.month - 3;
    } else {
        y = time.year - 1;
        m = time.month + 9;
    }
    long c = y / 100;
    long ya = y % 100;
    return time.day + (c * 146097) / 4 + (ya * 1461) / 4 + (m * 153 + 2) / 5 + 1721119;
}

double JulianTime(const CalendarTime &time)
{
    return (double)JulianDate(time) - 0.5 +
           (time.hour * 3600.0 + time.minute * 60.0 + time.second) / 86400.0;
}

double ReduceDegrees(double degrees)
{
    return degrees - 360.0 * std::floor(degrees / 360.0);
}

double SolveKepler(double meanAnomaly, double eccentricity)
{
    double m = meanAnomaly * DEGREES_TO_RADIANS;
    double e = m;
    // Newton's method converges in a handful of steps for the earth's orbit;
    // the cap only guards against a nonsense eccentricity.
    for (int step = 0; step < 100; ++step) {
        double delta = e - eccentricity * std::sin(e) - m;
        e -= delta / (1.0 - eccentricity * std::cos(e));
        if (std::fabs(delta) <= 1e-6)
            break;
    }
    return e;
}

void SunPosition(double julianDate, int apparent, double *rightAscension, double *declination,
                 double *radiusVector, double *eclipticLongitude)
{
    double t = (julianDate - 2415020.0) / 36525.0;
    double t2 = t * t;
    double t3 = t2 * t;
    double l = ReduceDegrees(279.69668 + 36000.76892 * t + 0.0003025 * t2);
    double m = ReduceDegrees(358.47583 + 35999.04975 * t - 0.00015 * t2 - 0.0000033 * t3);
    double e = 0.01675104 - 0.0000418 * t - 0.000000126 * t2;
    double ea = SolveKepler(m, e);
    double v = ReduceDegrees(2.0 * std::atan(std::sqrt((1.0 + e) / (1.0 - e)) * std::tan(ea / 2.0)) /
                             DEGREES_TO_RADIANS);
    double theta = l + v - m;
    double eps = 23.452294 - 0.0130125 * t - 0.00000164 * t2 + 0.000000503 * t3;
    if (apparent) {
        double omega = ReduceDegrees(259.18 - 1934.142 * t) * DEGREES_TO_RADIANS;
        theta = theta - 0.00569 - 0.00479 * std::sin(omega);
        eps += 0.00256 * std::cos(omega);
    }
    *eclipticLongitude = theta;
    *radiusVector = 1.0000002 * (1.0 - e * e) / (1.0 + e * std::cos(v * DEGREES_TO_RADIANS));
    double thetaRad = theta * DEGREES_TO_RADIANS, epsRad = eps * DEGREES_TO_RADIANS;
    *rightAscension = ReduceDegrees(
        std::atan2(std::cos(epsRad) * std::sin(thetaRad), std::cos(thetaRad)) / DEGREES_TO_RADIANS);
    *declination = std::asin(std::sin(epsRad) * std::sin(thetaRad)) / DEGREES_TO_RADIANS;
}

double GreenwichSiderealTime(double julianDate)
{
    double midnight = std::floor(julianDate + 0.5) - 0.5;
    double t = (midnight - 2415020.0) / 36525.0;
    double g = 6.6460656 + 2400.051262 * t + 0.00002581 * t * t;
    double f = (julianDate + 0.5) - std::floor(julianDate + 0.5);
    g += f * 24.0 * 1.002737908;
    return g - 24.0 * std::floor(g / 24.0);
}

static void SetRow(short *table, int ydots, int row, int halfWidth)
{
    if (row < 0 || row >= ydots)
        return;
    table[row] = (short)(halfWidth == 0 ? 1 : halfWidth);
}

void ProjectIllumination(short *table, int xdots, int ydots, double declination)
{
    for (int row = 0; row < ydots; ++row)
        table[row] = -1;
    double s = std::sin(-declination * DEGREES_TO_RADIANS);
    double c = std::cos(-declination * DEGREES_TO_RADIANS);
    double rowsPerDegree = ydots / 180.0, columnsPerDegree = xdots / 360.0;
    int previousRow = 0, previousWidth = 0;
    // Walk the terminator's great circle from pole to pole. The angle is
    // computed from the step number and the last one pinned at pi/2: summed
    // steps end a hair past it, where the cosine turns negative and the last
    // half-width would flip to the far side of the globe.
    for (int step = 0; step <= 100; ++step) {
        double th = -PI / 2 + step * (PI / 100);
        if (th > PI / 2)
            th = PI / 2;
        double x = -s * std::sin(th), y = std::cos(th), z = c * std::sin(th);
        double lon = (x == 0.0 && y == 0.0) ? 0.0 : std::atan2(y, x) / DEGREES_TO_RADIANS;
        double lat = std::asin(z) / DEGREES_TO_RADIANS;
        int row = (int)(ydots - (lat + 90.0) * rowsPerDegree);
        int width = (int)(lon * columnsPerDegree);
        if (width < 0)
            width = 0;
        if (width > xdots / 2)
            width = xdots / 2;
        if (step > 0) {
            if (row == previousRow) {
                SetRow(table, ydots, ydots - 1 - row, width);
            } else {
                double slope = (double)(width - previousWidth) / (row - previousRow);
                int direction = row > previousRow ? 1 : -1;
                for (int j = previousRow; j != row; j += direction)
                    SetRow(table, ydots, ydots - 1 - j,
                           previousWidth + (int)std::floor(slope * (j - previousRow) + 0.5));
            }
        }
        previousRow = row;
        previousWidth = width;
    }

    // Polar day: from the pole on the sun's side to the first lit row.
    int start = declination >= 0 ? 0 : ydots - 1;
    int direction = declination >= 0 ? 1 : -1;
    for (int row = start; direction > 0 ? row < ydots / 2 : row > ydots / 2; row += direction) {
        if (table[row] != -1) {
            for (int back = row; back != start - direction; back -= direction)
                table[back] = (short)(xdots / 2);
            break;
        }
    }
}

int SubSolarColumn(double rightAscension, double siderealHours, int xdots)
{
    double b = ReduceDegrees(rightAscension - siderealHours * 15.0 + 180.0);
    int column = (int)(xdots / 360.0 * b);
    return column >= xdots ? xdots - 1 : column;
}
