// The background changer's rules over plain data: its settings string, menu
// toggles, the choice of the next picture and the fitting arithmetic.
#pragma once
#include <cstddef>
#include <cstdint>

struct ChangerSettings {
    int refreshMinutes; // 10
    int sharpen;        // 1
    int sharpenMore;    // 0
    int bilinear;       // 1
};

void SetDefaultChangerSettings(ChangerSettings *s);

// "BG Changer Vars": up to four numbers; one that does not parse leaves its
// setting (and those after it) as they were. The text need not be terminated.
void ParseChangerVars(const char *text, size_t length, ChangerSettings *s);
int FormatChangerVars(const ChangerSettings *s, char *out, size_t outSize);

// The two sharpen commands keep the settings exclusive.
void ToggleSharpen(ChangerSettings *s);
void ToggleSharpenMore(ChangerSettings *s);

// "Loading Images @" followed by a blank and the folder; text without "@" is
// left alone. Returns false when the result does not fit.
bool FormatLoadingImagesItem(const char *itemText, const char *folder, char *out, size_t outSize);

// Index of the picture after the one named last (letter case ignored), the
// first one when the last is not found or was the final entry; -1 for none.
int ChooseNextImage(const char *const *names, int count, const char *lastName);

// True for a name ending in ".jpg" or ".jpeg" in any letter case.
bool HasJpegExtension(const char *name);

void UpperCaseAscii(char *text);

// Rows padded to four bytes, computed without wrap-around. Returns 0 when the
// result would pass the cap (a picture no real desktop could show).
enum : uint64_t { CHANGER_MAX_IMAGE_BYTES = 512u * 1024 * 1024 };
uint32_t PaddedRowBytes(int width, int channels);
uint32_t ImageBytes(int width, int height, int channels);

// Fits a picture to the desktop keeping its shape; both results at least 1.
// Returns -1 for sizes that are not positive.
int FitToDesktop(int width, int height, int desktopWidth, int desktopHeight, int *fitWidth,
                 int *fitHeight);
