// Where the sun stands: calendar to Julian date, the sun's place on the sky,
// sidereal time, and the lit half-width of every row of a world map.
// Plain arithmetic; no windows.h.
#pragma once
#include <cstdint>

// A universal calendar date and time of day.
struct CalendarTime {
    int year;  // full year
    int month; // 1 to 12
    int day;   // 1 to 31
    int hour, minute, second;
};

const double DEGREES_TO_RADIANS = 0.017453292519943295;

// The universal calendar time of a moment (seconds since 1970 UTC). Moments
// are 64-bit everywhere: the 32-bit Windows time_t ends in 2038.
CalendarTime UniversalTime(int64_t moment);

long JulianDate(const CalendarTime &time);
double JulianTime(const CalendarTime &time);
// Mean anomaly in degrees; the eccentric anomaly in radians.
double SolveKepler(double meanAnomaly, double eccentricity);
// Right ascension and ecliptic longitude in degrees 0..360, declination in
// degrees, radius vector in astronomical units. The apparent flag adds
// nutation and aberration.
void SunPosition(double julianDate, int apparent, double *rightAscension, double *declination,
                 double *radiusVector, double *eclipticLongitude);
// Greenwich mean sidereal time in hours, 0 to 24.
double GreenwichSiderealTime(double julianDate);
// Reduces an angle in degrees into 0..360.
double ReduceDegrees(double degrees);

// Fills one half-width per map row (row 0 north): the lit span's half-width
// in pixels around the sub-solar column, -1 where the row is dark.
void ProjectIllumination(short *table, int xdots, int ydots, double declination);
// The map column under the sun (column 0 is 180 degrees west).
int SubSolarColumn(double rightAscension, double siderealHours, int xdots);
