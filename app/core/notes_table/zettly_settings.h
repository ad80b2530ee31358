// The program's global options, stored as one string of 24 numbers ("Zettly Info").
#pragma once
#include <cstddef>
#include <cstdint>

struct ZettlyInfoSettings {
    int32_t latching;          // 1
    int32_t latchDistance;     // 2
    int32_t soundEffects;      // 3
    int32_t autoCopy;          // 4
    int32_t animateRoll;       // 5
    int32_t animationStep;     // 6
    int32_t closeButton;       // 7
    int32_t lineColumnInfo;    // 8
    int32_t titleGradient;     // 9
    int32_t customBorder;      // 10
    int32_t blackBorder;       // 11
    int32_t playerOpen;        // 12
    int32_t allTransparent;    // 13
    int32_t allAlpha;          // 14
    int32_t caretStyle;        // 15
    int32_t clockOpen;         // 16
    int32_t autoSavePeriod;    // 17, milliseconds
    int32_t changerOpen;       // 18
    int32_t keyboardHook;      // 19
    int32_t groupWarning;      // 20
    int32_t roundBorder;       // 21
    int32_t syntaxBlockFormat; // 22
    int32_t syntaxBlockColour; // 23
    int32_t meterOpen;         // 24
};
enum { ZETTLY_SETTING_COUNT = 24, ZETTLY_PATH_BYTES = 260, ZETTLY_INFO_BYTES = 260 };
static_assert(sizeof(ZettlyInfoSettings) == ZETTLY_SETTING_COUNT * 4, "24 numbers");

struct ZettlySoundPaths {
    char rollup[ZETTLY_PATH_BYTES];
    char unroll[ZETTLY_PATH_BYTES];
    char alarm[ZETTLY_PATH_BYTES];
};

extern ZettlyInfoSettings ZettlyInfo;
extern ZettlySoundPaths ZettlySounds;

void SetDefaultInfoSettings(ZettlyInfoSettings *s);
void SetDefaultSoundPaths(ZettlySoundPaths *p);

// Setting number 1..24 in stored order; null for any other number.
int32_t *SettingByNumber(ZettlyInfoSettings *s, int number);

// Reads up to 24 numbers from text (which need not be terminated); stops at
// the first position without a number, leaving later settings as they are.
// Every value read is brought into its setting's range. Returns how many were read.
int ParseZettlyInfo(const char *text, size_t length, ZettlyInfoSettings *s);

// Formats the 24 settings as stored; returns the length, or -1 when it does not fit.
int FormatZettlyInfo(const ZettlyInfoSettings *s, char *out, size_t outSize);

// Brings one setting into its range.
int32_t ClampSetting(int number, int32_t value);

// Copies a value of srcLength bytes that may lack a terminator: stops at the
// first NUL, truncates to dstSize - 1 and always terminates.
void CopyStoredString(char *dst, size_t dstSize, const char *src, size_t srcLength);
