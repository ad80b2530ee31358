// Identifiers, class names and texts of the clock library. Read by the
// resource compiler too, so only plain definitions outside the C++ guard.
#pragma once

#define CLOCK_CLASS "CLOCKCLASS"
#define CLOCK_REGISTRY_KEY "software\\Kestrova\\RozUvedo"
#define CLOCK_INFO_VALUE "ClockInfo"
#define CLOCK_INFO_FORMAT "%d %d %d %d %f %d %d %d %d %d"

#define IDM_CLOCK_MENU 108
#define IDC_CLOCK_SHIFT 110
#define IDC_CLOCK_RESIZE 111
#define IDD_CLOCK_CALENDAR 113
#define IDC_CALENDAR_MONTH 1000
#define IDC_CALENDAR_QUIT 2

#define IDB_CLOCK_MAP_FIRST 5000
#define IDB_CLOCK_MAP_LAST 5005
#define IDM_CLOCK_NO_MAP 200

#define IDM_CLOCK_QUIT 40001
#define IDM_CLOCK_RESIZE 40002
#define IDM_CLOCK_SHIFT_MAP 40003
#define IDM_CLOCK_CALENDAR 40019
#define IDM_CLOCK_ROUND 40020
#define IDM_CLOCK_RECTANGLE 40021
#define IDM_CLOCK_VIEW_180 40022
#define IDM_CLOCK_VIEW_360 40023
#define IDM_CLOCK_TOPMOST 40024
#define IDM_CLOCK_ABOUT 40025
// Transparency entries are their percentage: 0, 10, ... 90.
#define IDM_CLOCK_ALPHA_FIRST 0
#define IDM_CLOCK_ALPHA_LAST 90

#ifndef RC_INVOKED
enum {
    CLOCK_TIMER_SECOND = 1,
    CLOCK_TIMER_MAP = 2,
    CLOCK_SECOND_PERIOD_MS = 100,
    CLOCK_MAP_PERIOD_MS = 600000,
    CLOCK_FULL_REDRAW_MS = 5000,
    CLOCK_START_X = 10,
    CLOCK_START_Y = 10,
    CLOCK_START_SIZE = 150,
    CLOCK_MIN_SIZE = 60,
    CLOCK_DESKTOP_MARGIN = 30,
    CLOCK_INFO_BYTES = 128,
};
static_assert(IDM_CLOCK_ALPHA_LAST < IDM_CLOCK_NO_MAP, "transparency ids stay below the map ids");
static_assert(IDM_CLOCK_NO_MAP < IDB_CLOCK_MAP_FIRST, "no-map id apart from the maps");
static_assert(IDB_CLOCK_MAP_LAST < IDM_CLOCK_QUIT, "map ids apart from the commands");
#endif
