#include "zettly_record.h"
#include "little_endian.h"
#include "note_windows.h"
#include "zettly_record_layout.h"

#include <cstring>
#include <type_traits>

ZettlyRecord ZettlyTable[ZETTLY_SLOTS];
ZettlySchemeTable ZettlySchemes;

#if UINTPTR_MAX == 0xFFFFFFFFu
#define ZETTLY_CHECK_OFFSET(off, field) \
    static_assert(offsetof(ZettlyRecord, field) == (off), #field " moved");
ZETTLY_INT_FIELDS(ZETTLY_CHECK_OFFSET)
ZETTLY_HANDLE_FIELDS(ZETTLY_CHECK_OFFSET)
ZETTLY_RECT_FIELDS(ZETTLY_CHECK_OFFSET)
ZETTLY_FONT_FIELDS(ZETTLY_CHECK_OFFSET)
ZETTLY_CHECK_OFFSET(252, title)
ZETTLY_CHECK_OFFSET(576, consoleProcess)
ZETTLY_CHECK_OFFSET(612, alphaValue)
ZETTLY_CHECK_OFFSET(648, checkListWidth)
ZETTLY_CHECK_OFFSET(650, checkListHeight)
ZETTLY_CHECK_OFFSET(652, checkListDocked)
ZETTLY_CHECK_OFFSET(653, reserved)
static_assert(sizeof(ZettlyRecord) == ZETTLY_RECORD_BYTES, "record is a file format");
#endif
static_assert(sizeof(ZettlyLogFont) == 60, "LOGFONTA layout");
static_assert(sizeof(ZettlyColourScheme) == 12, "scheme layout");

namespace {

void PutRect(uint8_t *p, const ZettlyRect &r)
{
    Put32(p, (uint32_t)r.left);
    Put32(p + 4, (uint32_t)r.top);
    Put32(p + 8, (uint32_t)r.right);
    Put32(p + 12, (uint32_t)r.bottom);
}

ZettlyRect GetRect(const uint8_t *p)
{
    return ZettlyRect{(int32_t)Get32(p), (int32_t)Get32(p + 4), (int32_t)Get32(p + 8),
                      (int32_t)Get32(p + 12)};
}

void PutFont(uint8_t *p, const ZettlyLogFont &f)
{
    Put32(p, (uint32_t)f.lfHeight);
    Put32(p + 4, (uint32_t)f.lfWidth);
    Put32(p + 8, (uint32_t)f.lfEscapement);
    Put32(p + 12, (uint32_t)f.lfOrientation);
    Put32(p + 16, (uint32_t)f.lfWeight);
    std::memcpy(p + 20, &f.lfItalic, 8);
    std::memcpy(p + 28, f.lfFaceName, 32);
}

ZettlyLogFont GetFont(const uint8_t *p)
{
    ZettlyLogFont f;
    f.lfHeight = (int32_t)Get32(p);
    f.lfWidth = (int32_t)Get32(p + 4);
    f.lfEscapement = (int32_t)Get32(p + 8);
    f.lfOrientation = (int32_t)Get32(p + 12);
    f.lfWeight = (int32_t)Get32(p + 16);
    std::memcpy(&f.lfItalic, p + 20, 8);
    std::memcpy(f.lfFaceName, p + 28, 32);
    return f;
}

// Handles are stored as they stand (a 32-bit value); a 64-bit build keeps the
// low half, which is all Windows uses of a handle.
template <class T> uint32_t HandleBits(T *h)
{
    return (uint32_t)(uintptr_t)h;
}

template <class T> void SetHandleBits(T *&h, uint32_t bits)
{
    h = (T *)(uintptr_t)bits;
}

int32_t ClampInt(int32_t v, int32_t low, int32_t high)
{
    return v < low ? low : (v > high ? high : v);
}

// Window coordinates beyond this are nonsense on any desktop and would
// overflow the width and height arithmetic.
const int32_t COORDINATE_LIMIT = 32767;

void ClampRect(ZettlyRect *r)
{
    r->left = ClampInt(r->left, -COORDINATE_LIMIT, COORDINATE_LIMIT);
    r->top = ClampInt(r->top, -COORDINATE_LIMIT, COORDINATE_LIMIT);
    r->right = ClampInt(r->right, r->left, COORDINATE_LIMIT);
    r->bottom = ClampInt(r->bottom, r->top, COORDINATE_LIMIT);
}

// The font dialog offers sizes up to 1638 points, 2730 pixels at 120 dots per
// inch. A record from elsewhere can hold any number, and GDI builds glyphs as
// asked: a title font 65535 pixels high took gigabytes to draw.
const int32_t FONT_SIZE_LIMIT = 2730;
const char DEFAULT_FACE_NAME[] = "MS Sans Serif";
const int32_t FONT_ANGLE_LIMIT = 3600;
const int32_t FONT_WEIGHT_LIMIT = 1000;

void SanitiseFont(ZettlyLogFont *f, int32_t sizeLimit)
{
    f->lfHeight = ClampInt(f->lfHeight, -sizeLimit, sizeLimit);
    f->lfWidth = ClampInt(f->lfWidth, 0, sizeLimit);
    f->lfEscapement = ClampInt(f->lfEscapement, -FONT_ANGLE_LIMIT, FONT_ANGLE_LIMIT);
    f->lfOrientation = ClampInt(f->lfOrientation, -FONT_ANGLE_LIMIT, FONT_ANGLE_LIMIT);
    f->lfWeight = ClampInt(f->lfWeight, 0, FONT_WEIGHT_LIMIT);
    f->lfItalic = f->lfItalic ? 1 : 0;
    f->lfUnderline = f->lfUnderline ? 1 : 0;
    f->lfStrikeOut = f->lfStrikeOut ? 1 : 0;
    f->lfFaceName[sizeof f->lfFaceName - 1] = 0;
    // The rich-edit control writes a note's face name into its text as it
    // stands: a brace, backslash or semicolon there ends the font table or
    // the text early, and control bytes make the text look damaged when it is
    // read back. No installed face has them, so such a name gets the default.
    // A byte after a double-byte lead byte is a trail byte and may be any.
    bool trail = false;
    for (const char *c = f->lfFaceName; *c; ++c) {
        unsigned char b = (unsigned char)*c;
        bool control = b < 32 || b == 127;
        if (trail && !control) {
            trail = false;
            continue;
        }
        trail = b >= 0x81 && b <= 0xFE;
        if (control || std::strchr("\\{};", b)) {
            std::strcpy(f->lfFaceName, DEFAULT_FACE_NAME);
            break;
        }
    }
}

// The text form of a poke shows control bytes in a title as blanks; the
// binary forms cut the title only at its NUL, so they get the same treatment:
// the C0 and C1 controls (0x9B introduces a terminal's escape sequence as
// ESC [ does), DEL, and 0xFF, which some code pages use as a control too.
void BlankControlCharacters(char *title)
{
    for (char *c = title; *c; ++c) {
        unsigned char b = (unsigned char)*c;
        if (b < 32 || (b >= 127 && b <= 159) || b == 255)
            *c = ' ';
    }
}

// A note from elsewhere is no larger than the screen and no smaller than a
// new note, whose width the layout bounds of outside text assume.
void FitRectOnScreen(ZettlyRect *r, const ZettlyRect &screen, int32_t minHeight)
{
    int32_t screenWidth = screen.right - screen.left, screenHeight = screen.bottom - screen.top;
    int32_t width = ClampInt(r->right - r->left, ZETTLY_FOREIGN_MIN_WIDTH, screenWidth);
    int32_t height = ClampInt(r->bottom - r->top, minHeight, screenHeight);
    r->left = ClampInt(r->left, screen.left, screen.right - width);
    r->top = ClampInt(r->top, screen.top, screen.bottom - height);
    r->right = r->left + width;
    r->bottom = r->top + height;
}

void FillDefaultFont(ZettlyLogFont *f)
{
    std::memset(f, 0, sizeof *f);
    f->lfHeight = -10;
    f->lfWeight = 400;
    f->lfOutPrecision = 1;
    f->lfClipPrecision = 2;
    f->lfQuality = 1;
    f->lfPitchAndFamily = 0x22;
    std::strcpy(f->lfFaceName, DEFAULT_FACE_NAME);
}

} // namespace

void PackZettlyRecord(const ZettlyRecord *r, uint8_t out[ZETTLY_RECORD_BYTES])
{
    std::memset(out, 0, ZETTLY_RECORD_BYTES);
#define PACK_INT(off, field) Put32(out + (off), (uint32_t)r->field);
#define PACK_HANDLE(off, field) Put32(out + (off), HandleBits(r->field));
#define PACK_RECT(off, field) PutRect(out + (off), r->field);
#define PACK_FONT(off, field) PutFont(out + (off), r->field);
    ZETTLY_INT_FIELDS(PACK_INT)
    ZETTLY_HANDLE_FIELDS(PACK_HANDLE)
    ZETTLY_RECT_FIELDS(PACK_RECT)
    ZETTLY_FONT_FIELDS(PACK_FONT)
    std::memcpy(out + 252, r->title, ZETTLY_TITLE_BYTES);
    Put32(out + 576, HandleBits(r->consoleProcess.hProcess));
    Put32(out + 580, HandleBits(r->consoleProcess.hThread));
    Put32(out + 584, r->consoleProcess.dwProcessId);
    Put32(out + 588, r->consoleProcess.dwThreadId);
    out[612] = r->alphaValue;
    std::memcpy(out + 613, r->alphaReserved, 3);
    out[648] = (uint8_t)r->checkListWidth;
    out[649] = (uint8_t)(r->checkListWidth >> 8);
    out[650] = (uint8_t)r->checkListHeight;
    out[651] = (uint8_t)(r->checkListHeight >> 8);
    out[652] = r->checkListDocked;
    std::memcpy(out + 653, r->reserved, sizeof r->reserved);
}

void UnpackZettlyRecord(const uint8_t in[ZETTLY_RECORD_BYTES], ZettlyRecord *r)
{
    std::memset(r, 0, sizeof *r);
#define UNPACK_INT(off, field) r->field = (std::remove_cv_t<decltype(r->field)>)Get32(in + (off));
#define UNPACK_HANDLE(off, field) SetHandleBits(r->field, Get32(in + (off)));
#define UNPACK_RECT(off, field) r->field = GetRect(in + (off));
#define UNPACK_FONT(off, field) r->field = GetFont(in + (off));
    ZETTLY_INT_FIELDS(UNPACK_INT)
    ZETTLY_HANDLE_FIELDS(UNPACK_HANDLE)
    ZETTLY_RECT_FIELDS(UNPACK_RECT)
    ZETTLY_FONT_FIELDS(UNPACK_FONT)
    std::memcpy(r->title, in + 252, ZETTLY_TITLE_BYTES);
    SetHandleBits(r->consoleProcess.hProcess, Get32(in + 576));
    SetHandleBits(r->consoleProcess.hThread, Get32(in + 580));
    r->consoleProcess.dwProcessId = Get32(in + 584);
    r->consoleProcess.dwThreadId = Get32(in + 588);
    r->alphaValue = in[612];
    std::memcpy(r->alphaReserved, in + 613, 3);
    r->checkListWidth = (uint16_t)(in[648] | in[649] << 8);
    r->checkListHeight = (uint16_t)(in[650] | in[651] << 8);
    r->checkListDocked = in[652];
    std::memcpy(r->reserved, in + 653, sizeof r->reserved);
}

void SanitiseZettlyRecord(ZettlyRecord *r, int mode)
{
    // Handles, pointers and thread flags of another run or another process.
    r->backBrush = nullptr;
    r->pendingText = nullptr;
    r->window = nullptr;
    r->editWindow = nullptr;
    r->editFontHandle = nullptr;
    r->titleEdit = nullptr;
    r->titleFontHandle = nullptr;
    std::memset(&r->consoleProcess, 0, sizeof r->consoleProcess);
    r->consoleRunning = 0;
    r->consoleReadPipe = nullptr;
    r->consoleWritePipe = nullptr;
    r->consoleReader = nullptr;
    r->blinking = 0;
    r->soundPlaying = 0;
    // A reminder open at the last save is shown again once the notes are
    // loaded (CheckMissedAlarms); from anywhere else the flag means nothing.
    r->alarmPending = mode == ZETTLY_SANITISE_KEEP_GROUP && r->alarmPending ? 1 : 0;
    // A stored check-list handle only says "this note has a list"; keep that
    // meaning without keeping a stale window handle.
    if (r->checkListWindow)
        r->checkListWindow = (HWND__ *)(uintptr_t)1;
    r->checkListDocked = r->checkListDocked ? 1 : 0;

    r->title[ZETTLY_TITLE_BYTES - 1] = 0;
    int32_t fontLimit =
        mode == ZETTLY_SANITISE_FOREIGN ? ZETTLY_FOREIGN_FONT_LIMIT : FONT_SIZE_LIMIT;
    SanitiseFont(&r->editFont, fontLimit);
    SanitiseFont(&r->titleFont, fontLimit);

    ClampRect(&r->windowRect);
    ClampRect(&r->unrolledRect);
    ClampRect(&r->restoreRect);
    r->textColour &= 0x00FFFFFF;
    r->backColour &= 0x00FFFFFF;
    r->blinkColour &= 0x00FFFFFF;
    if (r->alphaValue < ZETTLY_MIN_ALPHA)
        r->alphaValue = ZETTLY_MIN_ALPHA;
    r->showCommand = ClampInt(r->showCommand, 0, 11);
    if (r->textLength < 0)
        r->textLength = 0;

    // An alarm whose fields are out of range can never fall due sensibly.
    if (r->alarmMonth < -1 || r->alarmMonth > 12 || r->alarmHour < -1 || r->alarmHour > 12 ||
        r->alarmMinute < -1 || r->alarmMinute > 59 || r->alarmYear < -2)
        r->alarmActive = 0;
    r->alarmRepeats = ClampInt(r->alarmRepeats, 0, 100);

    if (r->isMember && (r->groupSlot < 0 || r->groupSlot > ZETTLY_LAST_NOTE_SLOT))
        r->isMember = 0;
    r->groupLastX = ClampInt(r->groupLastX, -COORDINATE_LIMIT, COORDINATE_LIMIT);
    r->groupLastY = ClampInt(r->groupLastY, -COORDINATE_LIMIT, COORDINATE_LIMIT);
    if (mode == ZETTLY_SANITISE_FOREIGN) {
        r->isMember = 0;
        r->groupSlot = 0;
        r->isGroup = 0;
        // A note from elsewhere must not start a command interpreter here,
        // nor take a slot without ever showing, nor arrive minimised (a
        // minimised window sits at -32000,-32000 where nobody sees it): it
        // arrives shown as it is, and the receiving user changes the rest.
        r->consoleMode = 0;
        r->showCommand = SHOW_COMMAND_NORMAL;
        r->minimised = 0;
        BlankControlCharacters(r->title);
    }
}

void FitForeignRecordOnScreen(ZettlyRecord *r, ZettlyRect screen)
{
    if (screen.right - screen.left < ZETTLY_FOREIGN_MIN_WIDTH ||
        screen.bottom - screen.top < ZETTLY_FOREIGN_MIN_HEIGHT)
        return;
    // A rolled-up note's rectangle is its title strip.
    FitRectOnScreen(&r->windowRect, screen, r->rolledUp ? 1 : ZETTLY_FOREIGN_MIN_HEIGHT);
    FitRectOnScreen(&r->unrolledRect, screen, ZETTLY_FOREIGN_MIN_HEIGHT);
    FitRectOnScreen(&r->restoreRect, screen, ZETTLY_FOREIGN_MIN_HEIGHT);
}

void FillDefaultRecord(ZettlyRecord *r, int screenWidth, int screenHeight)
{
    std::memset(r, 0, sizeof *r);
    r->windowRect = ZettlyRect{screenWidth / 2 - 100, screenHeight / 2 - 25,
                               screenWidth / 2 + 100, screenHeight / 2 + 25};
    r->textColour = 0x00000000;
    r->backColour = 0x0000FFFF;
    r->showCommand = 1;
    r->alarmYear = ZETTLY_NO_ALARM_YEAR;
    r->alarmRepeats = 1;
    r->blinkColour = 0x000000FF;
    r->blinkOn = 1;
    r->alphaValue = 137;
    FillDefaultFont(&r->titleFont);
    FillDefaultFont(&r->editFont);
}

void CloneRecordInto(const ZettlyRecord *src, ZettlyRecord *dst)
{
    if (src != dst)
        std::memcpy(dst, src, sizeof *dst);
    dst->rolledUp = 0;
    dst->showCommand = 1;
    dst->title[0] = 0;
    dst->windowRect.left += 10;
    dst->windowRect.top += 10;
    dst->windowRect.right += 10;
    dst->windowRect.bottom += 10;
    dst->unrolledRect = dst->windowRect;
    dst->restoreRect = dst->windowRect;
    dst->pendingText = nullptr;
    dst->window = nullptr;
    dst->editWindow = nullptr;
    dst->editFontHandle = nullptr;
    dst->alarmActive = 0;
    dst->blinking = 0;
    dst->consoleRunning = 0;
    dst->consoleReadPipe = nullptr;
    dst->consoleWritePipe = nullptr;
    dst->consoleReader = nullptr;
    dst->titleEdit = nullptr;
    dst->titleFontHandle = nullptr;
    dst->alarmYear = ZETTLY_NO_ALARM_YEAR;
    // The brush, the console and the check list belong to the source's own
    // window: a copy of the brush handle would be deleted under the source
    // by the new window, a console flag would start a second interpreter,
    // and a list handle would make the new note grow an empty check list.
    dst->backBrush = nullptr;
    dst->consoleMode = 0;
    dst->consoleProcess = ZettlyProcessInfo{};
    dst->soundPlaying = 0;
    dst->alarmPending = 0;
    dst->checkListWindow = nullptr;
    dst->textLength = 0;
}

void MakeDefaultRecordFrom(const ZettlyRecord *src, ZettlyRecord *defaults)
{
    CloneRecordInto(src, defaults);
    // New notes start outside any group.
    defaults->isGroup = 0;
    defaults->isMember = 0;
    defaults->groupSlot = 0;
    defaults->groupLastX = 0;
    defaults->groupLastY = 0;
}

ZettlyRect ClampCreationRect(ZettlyRect r, int screenWidth, int screenHeight)
{
    if (r.right < 5) {
        r.left += 5 - r.right;
        r.right = 5;
    }
    if (r.bottom < 5) {
        r.top += 5 - r.bottom;
        r.bottom = 5;
    }
    if (r.left > screenWidth - 5)
        r.left = screenWidth - 5;
    if (r.top > screenHeight - 5)
        r.top = screenHeight - 5;
    return r;
}

int FindFreeZettlySlot(void)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NEW_SLOT; ++slot)
        if (!ZettlyTable[slot].window)
            return slot;
    return -1;
}

void ForEachNoteWindow(void (*visit)(HWND__ *window, void *context), void *context)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        if (ZettlyTable[slot].window)
            visit(ZettlyTable[slot].window, context);
}
