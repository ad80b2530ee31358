#include "clock_seams.h"

#include <ctime>

static HINSTANCE Instance;
static HKEY RegistryRoot;
static ClockMessageBoxHook MessageBoxHook;
static ClockTimeSource TimeSource;

HINSTANCE ClockInstance(void)
{
    return Instance;
}

void SetClockInstance(HINSTANCE instance)
{
    Instance = instance;
}

HKEY ClockRegistryRoot(void)
{
    return RegistryRoot ? RegistryRoot : HKEY_CURRENT_USER;
}

void SetClockRegistryRoot(HKEY root)
{
    RegistryRoot = root;
}

int ClockMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    if (MessageBoxHook)
        return MessageBoxHook(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

ClockMessageBoxHook SetClockMessageBoxHook(ClockMessageBoxHook hook)
{
    ClockMessageBoxHook previous = MessageBoxHook;
    MessageBoxHook = hook;
    return previous;
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
