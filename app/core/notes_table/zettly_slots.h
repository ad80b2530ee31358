// Slot operations on the note table that need the window system.
#pragma once
#include <windows.h>

#include "zettly_record.h"

inline RECT *AsRECT(ZettlyRect *r)
{
    return reinterpret_cast<RECT *>(r);
}
inline LOGFONTA *AsLOGFONT(ZettlyLogFont *f)
{
    return reinterpret_cast<LOGFONTA *>(f);
}
static_assert(sizeof(RECT) == sizeof(ZettlyRect), "RECT layout");
static_assert(sizeof(LOGFONTA) == sizeof(ZettlyLogFont), "LOGFONTA layout");

// A note or group slot whose window exists: commands aimed at any other do nothing.
bool IsUsedSlot(int slot);
int FindZettlyByWindow(HWND window);
int FindZettlyByEdit(HWND edit);
void StoreZettlyRect(int slot);
// A window just made at its record's place: until it is seen there, or the
// user moves or sizes it (ReleaseZettlyPlace), refreshing its rectangle keeps
// the record's place.
void HoldZettlyPlace(int slot);
void ReleaseZettlyPlace(HWND window);
void CaptureZettly(int slot, BOOL withText);
void ReleaseZettlySlot(HWND window);
void ReleaseAllZettlies(void);
void CloneZettly(int src, int dst);
void ResetDefaultSettings(void);
// Title-strip height: the title font's tmHeight, |lfHeight| when it cannot be measured.
int GetFontCharHeight(HWND window, int slot);
// Its average character width; |lfWidth| when it cannot be measured.
int GetFontCharWidth(HWND window, int slot);
