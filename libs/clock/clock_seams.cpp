#include "clock_seams.h"

#include <ctime>

static HINSTANCE Instance;
static ClockTimeSource TimeSource;

HINSTANCE ClockInstance(void)
{
    return Instance;
}

void SetClockInstance(HINSTANCE instance)
{
    Instance = instance;
}

void ClockLocalTime(SYSTEMTIME *local)
{
    if (TimeSource) {
        int64_t ignored;
        TimeSource(local, &ignored);
        return;
    }
    GetLocalTime(local);
}

int64_t ClockUniversalNow(void)
{
    if (TimeSource) {
        SYSTEMTIME ignored;
        int64_t universal;
        TimeSource(&ignored, &universal);
        return universal;
    }
    return _time64(nullptr);
}

void SetClockTimeSource(ClockTimeSource source)
{
    TimeSource = source;
}
