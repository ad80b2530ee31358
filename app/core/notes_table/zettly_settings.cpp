#include "zettly_settings.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

ZettlyInfoSettings ZettlyInfo = {1, 10, 1, 0, 1, 3, 1, 1, 0, 1, 1, 0,
                                 0, 137, 0, 0, 600000, 0, 0, 1, 0, 0, 0x00FFFFFF, 0};
ZettlySoundPaths ZettlySounds = {"rollup.wav", "unroll.wav", "alarm.wav"};

namespace {

enum RangeKind { FLAG, RANGE, OPEN_FLAG, PERIOD, COLOUR };

struct SettingRule {
    int32_t ZettlyInfoSettings::*field;
    int32_t defaultValue;
    RangeKind kind;
    int32_t low, high;
};

const int32_t MINUTE_MS = 60000;

const SettingRule Rules[ZETTLY_SETTING_COUNT] = {
    {&ZettlyInfoSettings::latching, 1, FLAG, 0, 1},
    {&ZettlyInfoSettings::latchDistance, 10, RANGE, 0, 300},
    {&ZettlyInfoSettings::soundEffects, 1, FLAG, 0, 1},
    {&ZettlyInfoSettings::autoCopy, 0, FLAG, 0, 1},
    {&ZettlyInfoSettings::animateRoll, 1, FLAG, 0, 1},
    {&ZettlyInfoSettings::animationStep, 3, RANGE, 1, 20},
    {&ZettlyInfoSettings::closeButton, 1, FLAG, 0, 1},
    {&ZettlyInfoSettings::lineColumnInfo, 1, FLAG, 0, 1},
    {&ZettlyInfoSettings::titleGradient, 0, FLAG, 0, 1},
    {&ZettlyInfoSettings::customBorder, 1, FLAG, 0, 1},
    {&ZettlyInfoSettings::blackBorder, 1, FLAG, 0, 1},
    {&ZettlyInfoSettings::playerOpen, 0, OPEN_FLAG, 0, 0},
    {&ZettlyInfoSettings::allTransparent, 0, FLAG, 0, 1},
    {&ZettlyInfoSettings::allAlpha, 137, RANGE, 20, 255},
    {&ZettlyInfoSettings::caretStyle, 0, RANGE, 0, 8},
    {&ZettlyInfoSettings::clockOpen, 0, OPEN_FLAG, 0, 0},
    {&ZettlyInfoSettings::autoSavePeriod, 600000, PERIOD, 0, 720 * MINUTE_MS},
    {&ZettlyInfoSettings::changerOpen, 0, OPEN_FLAG, 0, 0},
    {&ZettlyInfoSettings::keyboardHook, 0, FLAG, 0, 1},
    {&ZettlyInfoSettings::groupWarning, 1, FLAG, 0, 1},
    {&ZettlyInfoSettings::roundBorder, 0, FLAG, 0, 1},
    {&ZettlyInfoSettings::syntaxBlockFormat, 0, FLAG, 0, 1},
    {&ZettlyInfoSettings::syntaxBlockColour, 0x00FFFFFF, COLOUR, 0, 0},
    {&ZettlyInfoSettings::meterOpen, 0, OPEN_FLAG, 0, 0},
};

} // namespace

void SetDefaultInfoSettings(ZettlyInfoSettings *s)
{
    for (const SettingRule &rule : Rules)
        s->*rule.field = rule.defaultValue;
}

void SetDefaultSoundPaths(ZettlySoundPaths *p)
{
    std::memset(p, 0, sizeof *p);
    std::strcpy(p->rollup, "rollup.wav");
    std::strcpy(p->unroll, "unroll.wav");
    std::strcpy(p->alarm, "alarm.wav");
}

int32_t *SettingByNumber(ZettlyInfoSettings *s, int number)
{
    if (number < 1 || number > ZETTLY_SETTING_COUNT)
        return nullptr;
    return &(s->*Rules[number - 1].field);
}

int32_t ClampSetting(int number, int32_t value)
{
    if (number < 1 || number > ZETTLY_SETTING_COUNT)
        return value;
    const SettingRule &rule = Rules[number - 1];
    switch (rule.kind) {
    case FLAG:
        return value ? 1 : 0;
    case RANGE:
        return value < rule.low ? rule.low : (value > rule.high ? rule.high : value);
    case OPEN_FLAG:
        // After a session end these hold window handle values: any non-zero means open.
        return value;
    case PERIOD:
        if (value <= 0)
            return 0;
        if (value > rule.high)
            return rule.high;
        return value - value % MINUTE_MS;
    case COLOUR:
        return value & 0x00FFFFFF;
    }
    return value;
}

int ParseZettlyInfo(const char *text, size_t length, ZettlyInfoSettings *s)
{
    char buffer[ZETTLY_INFO_BYTES + 1];
    CopyStoredString(buffer, sizeof buffer, text, length);
    const char *p = buffer;
    int count = 0;
    while (count < ZETTLY_SETTING_COUNT) {
        char *end;
        errno = 0;
        long value = std::strtol(p, &end, 10);
        if (end == p)
            break;
        if (errno == ERANGE || value > INT32_MAX || value < INT32_MIN)
            value = value < 0 ? INT32_MIN : INT32_MAX;
        ++count;
        *SettingByNumber(s, count) = ClampSetting(count, (int32_t)value);
        p = end;
    }
    return count;
}

int FormatZettlyInfo(const ZettlyInfoSettings *s, char *out, size_t outSize)
{
    size_t used = 0;
    for (int number = 1; number <= ZETTLY_SETTING_COUNT; ++number) {
        int32_t value = *SettingByNumber(const_cast<ZettlyInfoSettings *>(s), number);
        int n = std::snprintf(out + used, outSize - used, number == 1 ? "%d" : " %d", (int)value);
        if (n < 0 || (size_t)n >= outSize - used)
            return -1;
        used += (size_t)n;
    }
    return (int)used;
}

void CopyStoredString(char *dst, size_t dstSize, const char *src, size_t srcLength)
{
    if (dstSize == 0)
        return;
    size_t n = 0;
    while (n < srcLength && n < dstSize - 1 && src[n])
        ++n;
    std::memcpy(dst, src, n);
    dst[n] = 0;
}
