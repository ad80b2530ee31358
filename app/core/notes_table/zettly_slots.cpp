#include "zettly_slots.h"

#include <cstdlib>
#include <cstring>

#include "core/core_ids.h"
#include "notes_phase_times.h"
#include "zettly_settings.h"

bool IsUsedSlot(int slot)
{
    return slot >= 0 && slot <= ZETTLY_LAST_NOTE_SLOT && ZettlyTable[slot].window;
}

int FindZettlyByWindow(HWND window)
{
    if (!window)
        return -1;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window == window)
            return slot;
    return -1;
}

int FindZettlyByEdit(HWND edit)
{
    if (!edit)
        return -1;
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].editWindow == edit)
            return slot;
    return -1;
}

// Where each window was asked to be made, while it has not been seen there
// and the user has not placed it since. A window manager moves windows as
// they are mapped, and the window system reports such a place (0,0 at times)
// until it settles: the record keeps the place the note was given.
static struct {
    bool held;
    ZettlyRect asked;
} AskedPlaces[ZETTLY_SLOTS];

void HoldZettlyPlace(int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return;
    AskedPlaces[slot].held = true;
    AskedPlaces[slot].asked = ZettlyTable[slot].windowRect;
}

void ReleaseZettlyPlace(HWND window)
{
    int slot = FindZettlyByWindow(window);
    if (slot >= 0)
        AskedPlaces[slot].held = false;
}

// A rolled-up note keeps its unrolled height in the stored rectangle so that
// it comes back at full size after a save and reload.
static void RefreshRect(ZettlyRecord *z)
{
    RECT r;
    if (!z->window || !GetWindowRect(z->window, &r))
        return;
    ZettlyRect now = {r.left, r.top, r.right, r.bottom};
    if (z->rolledUp)
        now.bottom = now.top + (z->unrolledRect.bottom - z->unrolledRect.top);
    size_t slot = (size_t)(z - ZettlyTable);
    if (slot < ZETTLY_SLOTS && AskedPlaces[slot].held) {
        const ZettlyRect &asked = AskedPlaces[slot].asked;
        // A rolled-up window is only its strip high: its height says nothing.
        if (now.left != asked.left || now.top != asked.top || now.right != asked.right ||
            (!z->rolledUp && now.bottom != asked.bottom))
            return;
        AskedPlaces[slot].held = false;
    }
    z->windowRect = now;
}

void StoreZettlyRect(int slot)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return;
    RefreshRect(&ZettlyTable[slot]);
}

void CaptureZettly(int slot, BOOL withText)
{
    if (slot < 0 || slot > ZETTLY_LAST_NOTE_SLOT)
        return;
    ZettlyRecord *z = &ZettlyTable[slot];
    StoreZettlyRect(slot);
    if (!withText)
        return;
    LRESULT length = z->editWindow ? SendMessageA(z->editWindow, WM_GETTEXTLENGTH, 0, 0) : -1;
    z->pendingText = nullptr;
    if (length < 0) {
        z->textLength = 0;
        return;
    }
    z->textLength = (int32_t)length;
    char *text = (char *)std::malloc((size_t)length + 1);
    if (!text)
        return;
    // The control may hold less than it reported a moment ago; the copy is
    // terminated at whatever it returns.
    LRESULT got = SendMessageA(z->editWindow, WM_GETTEXT, (WPARAM)length + 1, (LPARAM)text);
    text[got >= 0 && got <= length ? got : 0] = 0;
    z->pendingText = text;
}

static void ReleaseRecordObjects(ZettlyRecord *z)
{
    z->editWindow = nullptr;
    z->window = nullptr;
    if (z->editFontHandle)
        DeleteObject(z->editFontHandle);
    if (z->titleFontHandle)
        DeleteObject(z->titleFontHandle);
    if (z->backBrush)
        DeleteObject(z->backBrush);
    z->editFontHandle = nullptr;
    z->titleFontHandle = nullptr;
    z->backBrush = nullptr;
}

void ReleaseZettlySlot(HWND window)
{
    int slot = FindZettlyByWindow(window);
    if (slot >= 0)
        ReleaseRecordObjects(&ZettlyTable[slot]);
}

void ReleaseAllZettlies(void)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window)
            ReleaseRecordObjects(&ZettlyTable[slot]);
}

// Title strips are measured at every paint, size and roll step, and a
// measurement makes a font: the metrics depend on the font alone, so each
// distinct font is measured once. The roll threads measure too, hence the lock.
enum { MEASURED_FONTS = 16 };
struct MeasuredFont {
    ZettlyLogFont font;
    TEXTMETRICA metrics;
};
// The program's cache of measured fonts, shared by every note's thread.
static struct {
    MeasuredFont fonts[MEASURED_FONTS];
    int count, next;
    SRWLOCK lock;
} Measured = {{}, 0, 0, SRWLOCK_INIT};

static bool FindMeasuredFont(const ZettlyLogFont *font, TEXTMETRICA *metrics)
{
    AcquireSRWLockShared(&Measured.lock);
    bool found = false;
    for (int i = 0; i < Measured.count && !found; ++i)
        if (std::memcmp(&Measured.fonts[i].font, font, sizeof *font) == 0) {
            *metrics = Measured.fonts[i].metrics;
            found = true;
        }
    ReleaseSRWLockShared(&Measured.lock);
    return found;
}

static void KeepMeasuredFont(const ZettlyLogFont *font, const TEXTMETRICA *metrics)
{
    AcquireSRWLockExclusive(&Measured.lock);
    Measured.fonts[Measured.next] = MeasuredFont{*font, *metrics};
    Measured.next = (Measured.next + 1) % MEASURED_FONTS;
    if (Measured.count < MEASURED_FONTS)
        ++Measured.count;
    ReleaseSRWLockExclusive(&Measured.lock);
}

// The slot's title font as the window's context shows it; false when it
// cannot be measured.
static bool MeasureTitleFont(HWND window, int slot, TEXTMETRICA *metrics)
{
    ZettlyLogFont font = ZettlyTable[slot].titleFont;
    if (FindMeasuredFont(&font, metrics))
        return true;
    HDC dc = GetDC(window);
    if (!dc)
        return false;
    HFONT handle = CreateFontIndirectA(AsLOGFONT(&font));
    HGDIOBJ old = handle ? SelectObject(dc, handle) : nullptr;
    bool measured = GetTextMetricsA(dc, metrics) != 0;
    if (old)
        SelectObject(dc, old);
    if (handle)
        DeleteObject(handle);
    ReleaseDC(window, dc);
    if (measured && handle)
        KeepMeasuredFont(&font, metrics);
    return measured;
}

int GetFontCharHeight(HWND window, int slot)
{
    NotesPhaseMark mark(PHASE_FONTS);
    TEXTMETRICA metrics;
    if (MeasureTitleFont(window, slot, &metrics))
        return metrics.tmHeight;
    return std::abs(ZettlyTable[slot].titleFont.lfHeight);
}

int GetFontCharWidth(HWND window, int slot)
{
    TEXTMETRICA metrics;
    if (MeasureTitleFont(window, slot, &metrics))
        return metrics.tmAveCharWidth;
    return std::abs(ZettlyTable[slot].titleFont.lfWidth);
}

void CloneZettly(int src, int dst)
{
    if (src < 0 || src >= ZETTLY_SLOTS || dst < 0 ||
        (dst > ZETTLY_LAST_NEW_SLOT && dst != ZETTLY_DEFAULT_SLOT))
        return;
    RefreshRect(&ZettlyTable[src]);
    if (dst == ZETTLY_DEFAULT_SLOT)
        MakeDefaultRecordFrom(&ZettlyTable[src], &ZettlyTable[dst]);
    else
        CloneRecordInto(&ZettlyTable[src], &ZettlyTable[dst]);
}

void ResetDefaultSettings(void)
{
    FillDefaultRecord(&ZettlyTable[ZETTLY_DEFAULT_SLOT], GetSystemMetrics(SM_CXSCREEN),
                      GetSystemMetrics(SM_CYSCREEN));
    ZettlyInfo.latching = 1;
    ZettlyInfo.latchDistance = 10;
    ZettlyInfo.soundEffects = 1;
    SetDefaultSoundPaths(&ZettlySounds);
}
