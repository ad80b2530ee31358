// The note record: the in-memory state of one note or group window and, packed,
// the 744-byte unit of the notes record file and of export records.
#pragma once
#include <cstddef>
#include <cstdint>

// Window-system handles are opaque here so this header stays free of windows.h;
// the declarations match the ones windows.h makes with STRICT.
struct HWND__;
struct HFONT__;
struct HBRUSH__;

struct ZettlyRect {
    int32_t left, top, right, bottom;
};

// Same layout as LOGFONTA.
struct ZettlyLogFont {
    int32_t lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
    uint8_t lfItalic, lfUnderline, lfStrikeOut, lfCharSet;
    uint8_t lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily;
    char lfFaceName[32];
};

// Same layout as PROCESS_INFORMATION.
struct ZettlyProcessInfo {
    void *hProcess;
    void *hThread;
    uint32_t dwProcessId;
    uint32_t dwThreadId;
};

enum {
    ZETTLY_RECORD_BYTES = 744,
    ZETTLY_TITLE_BYTES = 260,
    ZETTLY_SLOTS = 256,
    ZETTLY_DEFAULT_SLOT = 255,
    ZETTLY_LAST_NOTE_SLOT = 254, // slots 0..254 hold notes and groups
    ZETTLY_LAST_NEW_SLOT = 253,  // new notes and groups go to 0..253 only
    ZETTLY_MIN_ALPHA = 20,
    ZETTLY_NO_ALARM_YEAR = -2,
    // A note from elsewhere: the size of a new note at least, and fonts at
    // most twice the font dialog's largest listed size (72 points at 96
    // dots per inch): a title strip thousands of pixels high hides the note.
    ZETTLY_FOREIGN_MIN_WIDTH = 200,
    ZETTLY_FOREIGN_MIN_HEIGHT = 50,
    ZETTLY_FOREIGN_FONT_LIMIT = 192,
    // ShowWindow's SW_SHOWNORMAL, the command every note from elsewhere
    // arrives with.
    SHOW_COMMAND_NORMAL = 1,
};

struct ZettlyRecord {
    ZettlyRect windowRect;
    ZettlyRect unrolledRect;
    int32_t unrolledRectValid;
    ZettlyRect restoreRect;
    int32_t restoreRectValid;
    uint32_t textColour;
    uint32_t backColour;
    HBRUSH__ *backBrush;
    int32_t rolledUp;
    int32_t minimised;
    int32_t rollLimitOff;
    int32_t showCommand;
    int32_t topMost;
    int32_t vertScroll;
    int32_t horzScroll;
    int32_t thinBorder;
    int32_t calculatorMode;
    int32_t consoleMode;
    int32_t textLength;
    char *pendingText;
    int32_t wordWrap;
    HWND__ *window;
    HWND__ *editWindow;
    ZettlyLogFont editFont;
    HFONT__ *editFontHandle;
    ZettlyLogFont titleFont;
    char title[ZETTLY_TITLE_BYTES];
    // alarm block
    int32_t alarmYear;
    int32_t alarmMonth;
    int32_t alarmDays;
    int32_t alarmHour;
    int32_t alarmMinute;
    int32_t alarmPm;
    int32_t alarmRepeats;
    int32_t alarmContinuous;
    int32_t alarmActive;
    int32_t alarmWeekdays;
    int32_t alarmRepeating;
    uint32_t blinkColour;
    int32_t blinkOn;
    volatile int32_t blinking;
    volatile int32_t soundPlaying;
    volatile int32_t alarmPending;
    // console
    ZettlyProcessInfo consoleProcess;
    volatile int32_t consoleRunning;
    void *consoleReadPipe;
    void *consoleWritePipe;
    void *consoleReader;
    int32_t ownAlpha;
    uint8_t alphaValue;
    uint8_t alphaReserved[3];
    HWND__ *titleEdit;
    HFONT__ *titleFontHandle;
    int32_t isGroup;
    int32_t groupLastX;
    int32_t groupLastY;
    int32_t isMember;
    int32_t groupSlot;
    HWND__ *checkListWindow;
    uint16_t checkListWidth;
    uint16_t checkListHeight;
    uint8_t checkListDocked;
    uint8_t reserved[91];
};

// Three colours: text, background, blink.
struct ZettlyColourScheme {
    uint32_t text;
    uint32_t back;
    uint32_t blink;
};
enum { ZETTLY_MAX_SCHEMES = 50 };

extern ZettlyRecord ZettlyTable[ZETTLY_SLOTS];
// The colour schemes the user made, the first count of them in use.
struct ZettlySchemeTable {
    ZettlyColourScheme entries[ZETTLY_MAX_SCHEMES];
    int32_t count;
};
extern ZettlySchemeTable ZettlySchemes;

// Bytes <-> record. The packed form is the stored layout on every build, so a
// 64-bit build reads and writes the same files as the 32-bit program.
void PackZettlyRecord(const ZettlyRecord *record, uint8_t out[ZETTLY_RECORD_BYTES]);
void UnpackZettlyRecord(const uint8_t in[ZETTLY_RECORD_BYTES], ZettlyRecord *record);

// Every record that arrives from a file, another copy or the installer passes
// through here before it is used.
enum {
    ZETTLY_SANITISE_KEEP_GROUP = 0, // the notes file: group links are re-made after loading
    ZETTLY_SANITISE_FOREIGN = 1,    // import, DDE, installer: the sender's groups mean nothing here
};
void SanitiseZettlyRecord(ZettlyRecord *record, int mode);

// Places a record from elsewhere wholly on the screen (the work area), at a
// size between a new note's and the screen's; a rolled-up note keeps its
// strip's height.
void FitForeignRecordOnScreen(ZettlyRecord *record, ZettlyRect screen);

// The default record for a screen of the given size.
void FillDefaultRecord(ZettlyRecord *record, int screenWidth, int screenHeight);

// Copy src into dst as a new note: offset by 10 pixels, title, handles and
// runtime state cleared. src's rectangle must already be current.
void CloneRecordInto(const ZettlyRecord *src, ZettlyRecord *dst);
// The same for the default record: group links are not copied either.
void MakeDefaultRecordFrom(const ZettlyRecord *src, ZettlyRecord *defaults);

// The rectangle a note window is created at: 5 pixels stay on a screen of the given size.
ZettlyRect ClampCreationRect(ZettlyRect r, int screenWidth, int screenHeight);

int FindFreeZettlySlot(void);
