#include "changer_rules.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void SetDefaultChangerSettings(ChangerSettings *s)
{
    s->refreshMinutes = 10;
    s->sharpen = 1;
    s->sharpenMore = 0;
    s->bilinear = 1;
}

void ParseChangerVars(const char *text, size_t length, ChangerSettings *s)
{
    char buffer[521];
    size_t n = 0;
    while (n < length && n < sizeof buffer - 1 && text[n])
        ++n;
    std::memcpy(buffer, text, n);
    buffer[n] = 0;
    int *fields[] = {&s->refreshMinutes, &s->sharpen, &s->sharpenMore, &s->bilinear};
    const char *p = buffer;
    for (int *field : fields) {
        char *end;
        errno = 0;
        long value = std::strtol(p, &end, 10);
        if (end == p)
            break;
        if (errno == ERANGE || value > INT_MAX || value < INT_MIN)
            value = value < 0 ? INT_MIN : INT_MAX;
        *field = (int)value;
        p = end;
    }
    // The dialog allows 0..720 minutes; a stored value outside would make a
    // timer of days or a negative period.
    if (s->refreshMinutes < 0)
        s->refreshMinutes = 0;
    if (s->refreshMinutes > 720)
        s->refreshMinutes = 720;
}

int FormatChangerVars(const ChangerSettings *s, char *out, size_t outSize)
{
    int n = std::snprintf(out, outSize, "%d %d %d %d", s->refreshMinutes, s->sharpen,
                          s->sharpenMore, s->bilinear);
    return n < 0 || (size_t)n >= outSize ? -1 : n;
}

void ToggleSharpen(ChangerSettings *s)
{
    s->sharpen = s->sharpen ? 0 : 1;
    s->sharpenMore = 0;
}

void ToggleSharpenMore(ChangerSettings *s)
{
    s->sharpenMore = s->sharpenMore ? 0 : 1;
    s->sharpen = 0;
}

bool FormatLoadingImagesItem(const char *itemText, const char *folder, char *out, size_t outSize)
{
    const char *at = std::strchr(itemText, '@');
    if (!at) {
        int n = std::snprintf(out, outSize, "%s", itemText);
        return n >= 0 && (size_t)n < outSize;
    }
    int n = std::snprintf(out, outSize, "%.*s %s", (int)(at - itemText + 1), itemText, folder);
    return n >= 0 && (size_t)n < outSize;
}

void UpperCaseAscii(char *text)
{
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z')
            *text = (char)(*text - 'a' + 'A');
}

static bool SameIgnoringCase(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? (char)(*a - 32) : *a;
        char y = (*b >= 'a' && *b <= 'z') ? (char)(*b - 32) : *b;
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

int ChooseNextImage(const char *const *names, int count, const char *lastName)
{
    if (count <= 0)
        return -1;
    for (int i = 0; i < count; ++i)
        if (SameIgnoringCase(names[i], lastName))
            return i + 1 < count ? i + 1 : 0;
    return 0;
}

bool HasJpegExtension(const char *name)
{
    const char *dot = std::strrchr(name, '.');
    return dot && (SameIgnoringCase(dot, ".jpg") || SameIgnoringCase(dot, ".jpeg"));
}

uint32_t PaddedRowBytes(int width, int channels)
{
    if (width <= 0 || channels <= 0)
        return 0;
    uint64_t bytes = ((uint64_t)width * (uint64_t)channels + 3) & ~(uint64_t)3;
    return bytes > CHANGER_MAX_IMAGE_BYTES ? 0 : (uint32_t)bytes;
}

uint32_t ImageBytes(int width, int height, int channels)
{
    uint64_t row = PaddedRowBytes(width, channels);
    if (row == 0 || height <= 0)
        return 0;
    uint64_t total = row * (uint64_t)height;
    return total > CHANGER_MAX_IMAGE_BYTES ? 0 : (uint32_t)total;
}

int FitToDesktop(int width, int height, int desktopWidth, int desktopHeight, int *fitWidth,
                 int *fitHeight)
{
    if (width <= 0 || height <= 0 || desktopWidth <= 0 || desktopHeight <= 0)
        return -1;
    double sx = (double)desktopWidth / width;
    double sy = (double)desktopHeight / height;
    double s = sx < sy ? sx : sy;
    *fitWidth = (int)(width * s + 0.5);
    *fitHeight = (int)(height * s + 0.5);
    // A very long thin picture would round to nothing.
    if (*fitWidth < 1)
        *fitWidth = 1;
    if (*fitHeight < 1)
        *fitHeight = 1;
    return 0;
}
