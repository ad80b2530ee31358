// Reminders as the user meets them: opened by the checks on a thread of their
// own, with the clock, the pauses and the sound taken over by the test.
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <string>

#include "alarm_test_support.h"
#include "core/note_window/alarm_blink.h"
#include "core/main_window/alarms.h"
#include "core/main_window/zettlies_files.h"

std::vector<PlayedSound> PlayedSounds()
{
    std::lock_guard<std::mutex> lock(SoundLock);
    return Sounds;
}

std::mutex SoundLock;
std::vector<PlayedSound> Sounds;
SYSTEMTIME TestNow;

static BOOL RecordSound(const char *sound, DWORD flags)
{
    std::lock_guard<std::mutex> lock(SoundLock);
    Sounds.push_back({sound ? sound : "", flags, sound == nullptr});
    return TRUE;
}

static void TestClock(SYSTEMTIME *out, int64_t *)
{
    *out = TestNow;
}

// Blink frames come quickly but never faster than the emulated 32-bit run
// can paint three blinking notes.
static void ShortPause(DWORD)
{
    Sleep(20);
}

void SetTestTime(int year, int month, int day, int dayOfWeek, int hour, int minute)
{
    TestNow = SYSTEMTIME{};
    TestNow.wYear = (WORD)year;
    TestNow.wMonth = (WORD)month;
    TestNow.wDay = (WORD)day;
    TestNow.wDayOfWeek = (WORD)dayOfWeek;
    TestNow.wHour = (WORD)hour;
    TestNow.wMinute = (WORD)minute;
}

void AlarmTest::SetUp()
{
    MainWindowTest::SetUp();
    {
        std::lock_guard<std::mutex> lock(SoundLock);
        Sounds.clear();
    }
    SetPlaySoundHook(RecordSound);
    SetTimeSource(TestClock);
    SetPauseHook(ShortPause);
    SetTestTime(2026, 12, 7, 1, 12, 30); // a Monday
}

void AlarmTest::TearDown()
{
    for (HWND reminder : Reminders())
        PostMessageA(reminder, WM_CLOSE, 0, 0);
    PumpUntil([] { return Reminders().empty(); });
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
        ZettlyTable[slot].blinking = 0;
    MainWindowTest::TearDown();
    SetPlaySoundHook(nullptr);
    SetTimeSource(nullptr);
    SetPauseHook(nullptr);
}

static BOOL CALLBACK CollectReminder(HWND window, LPARAM list)
{
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(caption, REMINDER_CAPTION) == 0)
        ((std::vector<HWND> *)list)->push_back(window);
    return TRUE;
}

std::vector<HWND> Reminders()
{
    std::vector<HWND> found;
    EnumWindows(CollectReminder, (LPARAM)&found);
    return found;
}

HWND WaitForReminder()
{
    HWND found = nullptr;
    PumpUntil([&] {
        std::vector<HWND> all = Reminders();
        found = all.empty() ? nullptr : all[0];
        return found && IsWindowVisible(found);
    });
    return found;
}

int AlarmTest::NoteWithAlarm(int hour, int pm, int minute, bool repeating)
{
    int slot = NewNote();
    // A note taking the focus stops its blinking, as a click on it would, and
    // a new note's focus comes through the X server whenever it comes: these
    // alarms ring for a hidden note, which never takes it.
    ShowWindow(ZettlyTable[slot].window, SW_HIDE);
    ZettlyRecord *z = &ZettlyTable[slot];
    z->alarmYear = 2026;
    z->alarmMonth = 12;
    z->alarmDays = 1 << 6; // the 7th
    z->alarmWeekdays = 0;
    z->alarmHour = hour;
    z->alarmPm = pm;
    z->alarmMinute = minute;
    z->alarmRepeating = repeating;
    z->alarmRepeats = 2;
    z->alarmContinuous = 0;
    z->alarmActive = 1;
    z->blinkOn = 1;
    return slot;
}

// A check opens each reminder on a thread that it starts itself: the threads
// that are new when it returns are every reminder it will ever open, with no
// wait for one that might still come. (Wine hands a thread id out again only
// after hundreds of others, so a new thread is never taken for an old one.)
static size_t ThreadsStartedBy(const std::function<void()> &check)
{
    std::set<DWORD> before = ProcessThreads();
    check();
    size_t started = 0;
    for (DWORD id : ProcessThreads())
        started += before.count(id) == 0;
    return started;
}

static int CountPurges(size_t from)
{
    std::vector<PlayedSound> all = PlayedSounds();
    int purges = 0;
    for (size_t i = from; i < all.size(); ++i)
        purges += all[i].stop && (all[i].flags & SND_PURGE);
    return purges;
}

// The settings name "alarm.wav": played from the data folder, wherever the
// process's current folder is.
static std::string DataFolderAlarm()
{
    char full[MAX_PATH] = {};
    DataFolderPath("alarm.wav", full, sizeof full);
    return full;
}

static int CountAlarmPlays(size_t from)
{
    std::vector<PlayedSound> all = PlayedSounds();
    int plays = 0;
    for (size_t i = from; i < all.size(); ++i)
        plays += all[i].sound == DataFolderAlarm();
    return plays;
}

TEST_F(AlarmTest, HalfPastNoonOpensOneReminderAndDismissStopsTheSound)
{
    CreateMain();
    int slot = NoteWithAlarm(12, 1, 30, false);
    ZettlyRecord *z = &ZettlyTable[slot];
    z->alarmContinuous = 1;

    SetTestTime(2026, 12, 7, 1, 0, 30);
    CheckAlarms();
    EXPECT_EQ(z->alarmPending, 0) << "half past midnight is not 12:30 PM";
    SetTestTime(2026, 12, 7, 1, 12, 30);
    CheckAlarms();
    CheckAlarms();
    HWND reminder = WaitForReminder();
    ASSERT_NE(reminder, nullptr);
    EXPECT_EQ(ThreadsStartedBy(CheckAlarms), 0u) << "no second reminder while one is open";
    EXPECT_EQ(Reminders().size(), 1u);
    char text[96] = {};
    GetDlgItemTextA(reminder, IDC_REMINDER_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Date 07/12/2026  Time 12:30:PM");
    std::vector<PlayedSound> played = PlayedSounds();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].sound, DataFolderAlarm());
    EXPECT_EQ(played[0].flags & (SND_LOOP | SND_ASYNC), (DWORD)(SND_LOOP | SND_ASYNC))
        << "a continuous alarm loops until dismissed";
    // The phases themselves are stepped through in the test below; polling
    // them here can fall into step with the thread and never see one.
    EXPECT_NE(z->blinking, 0) << "blinking";

    // Switching the sound effects off meanwhile must not leave it looping.
    ZettlyInfo.soundEffects = 0;
    size_t before = PlayedSounds().size();
    SendMessageA(reminder, WM_COMMAND, IDC_REMINDER_DISMISS, 0);
    ASSERT_TRUE(PumpUntil([] { return Reminders().empty(); }));
    EXPECT_GE(CountPurges(before), 1);
    EXPECT_EQ(z->alarmPending + z->soundPlaying + z->blinking, 0);
    EXPECT_EQ(z->alarmActive, 0) << "a one-off alarm on one day is spent";
    EXPECT_EQ(z->alarmDays, 0);
    ASSERT_TRUE(PumpUntil([&] { return !BlinkShowsBackground(slot); }));
}

TEST_F(AlarmTest, ALateTickRemindsAndMondayDismissedKeepsWednesday)
{
    CreateMain();
    int slot = NoteWithAlarm(9, 0, 15, false);
    ZettlyRecord *z = &ZettlyTable[slot];
    z->alarmDays = 1 << 1 | 1 << 3; // Monday and Wednesday of this month
    z->alarmWeekdays = 1;

    SetTestTime(2026, 12, 7, 1, 9, 14);
    CheckAlarms();
    EXPECT_EQ(z->alarmPending, 0);
    SetTestTime(2026, 12, 7, 1, 9, 16); // no tick in 9:15
    CheckAlarms();
    HWND reminder = WaitForReminder();
    ASSERT_NE(reminder, nullptr);
    char text[96] = {};
    GetDlgItemTextA(reminder, IDC_REMINDER_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Date Monday/12/2026  Time 09:15:AM");
    SendMessageA(reminder, WM_COMMAND, IDC_REMINDER_DISMISS, 0);
    ASSERT_TRUE(PumpUntil([] { return Reminders().empty(); }));
    EXPECT_EQ(z->alarmDays, 1 << 3) << "Monday spent, Wednesday to come";
    EXPECT_EQ(z->alarmActive, 1);

    // A reminder is marked due before its thread starts: none marked, none coming.
    CheckAlarms(); // a second tick in 9:16
    EXPECT_EQ(z->alarmPending, 0) << "not again on Monday";
    SetTestTime(2026, 12, 8, 2, 9, 15);
    CheckAlarms();
    EXPECT_EQ(z->alarmPending, 0) << "nor on Tuesday";

    SetTestTime(2026, 12, 9, 3, 9, 15);
    CheckAlarms();
    reminder = WaitForReminder();
    ASSERT_NE(reminder, nullptr);
    SendMessageA(reminder, WM_COMMAND, IDC_REMINDER_DISMISS, 0);
    ASSERT_TRUE(PumpUntil([] { return Reminders().empty(); }));
    EXPECT_EQ(z->alarmActive, 0);
}

static HANDLE BlinkPaused, BlinkStep;

static bool Signalled(HANDLE h)
{
    return WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
}

// Holds the blink thread in its pause until the test lets it take a step.
static void SteppedPause(DWORD)
{
    SetEvent(BlinkPaused);
    WaitForSingleObject(BlinkStep, INFINITE);
}

// A hidden note with an alarm, blinking red on yellow, and fresh events for
// the stepped pauses.
int AlarmTest::BlinkingNote()
{
    BlinkPaused = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    BlinkStep = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    int slot = NoteWithAlarm(12, 1, 30, false);
    ZettlyRecord *z = &ZettlyTable[slot];
    z->blinkColour = RGB(255, 0, 0);
    z->backColour = RGB(255, 255, 0);
    z->blinking = 1;
    return slot;
}

TEST_F(AlarmTest, BlinkingNeverReachesTheSavedBlinkColour)
{
    SetPauseHook(SteppedPause);
    CreateMain();
    int slot = BlinkingNote();
    ZettlyRecord *z = &ZettlyTable[slot];
    // The focus the note got when it was made can arrive late through the X
    // server and end its blinking, as a click would: such a try is made again.
    HANDLE thread = nullptr;
    bool stepped = false;
    for (int attempt = 0; attempt < 3 && !stepped; ++attempt) {
        z->blinking = 1;
        thread = CreateThread(nullptr, 0, AlarmBlinkZettlyThread, (LPVOID)(intptr_t)slot, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return Signalled(BlinkPaused) || Signalled(thread); }));
        uint32_t background = ShownBlinkColour(z, slot);
        bool blinking = z->blinking != 0;
        if (blinking) {
            ASSERT_EQ(SaveZettlies(main), 0);
        }
        SetEvent(BlinkStep);
        ASSERT_TRUE(PumpUntil([&] { return Signalled(BlinkPaused) || Signalled(thread); }));
        stepped = blinking && z->blinking;
        if (stepped) {
            EXPECT_EQ(background, (uint32_t)RGB(255, 255, 0)) << "the background phase";
            EXPECT_EQ(ShownBlinkColour(z, slot), (uint32_t)RGB(255, 0, 0)) << "the blink phase";
        }
        z->blinking = 0;
        SetEvent(BlinkStep);
        ASSERT_TRUE(PumpUntil([&] { return Signalled(thread); }));
        CloseHandle(thread);
        ResetEvent(BlinkPaused);
        ResetEvent(BlinkStep);
    }
    ASSERT_TRUE(stepped) << "the note's focus ended the blinking in every try";
    CloseHandle(BlinkPaused);
    CloseHandle(BlinkStep);
    EXPECT_EQ(z->blinkColour, (uint32_t)RGB(255, 0, 0));
    EXPECT_EQ(ShownBlinkColour(z, slot), (uint32_t)RGB(255, 0, 0));

    // What the save wrote while the note showed its background colour.
    HANDLE file = CreateFileA("zettly.rec", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> bytes(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, bytes.data(), (DWORD)bytes.size(), &got, nullptr);
    CloseHandle(file);
    uint32_t schemes = bytes[0] | bytes[1] << 8;
    size_t record = 4 + schemes * 12 + ZETTLY_RECORD_BYTES; // after the default record
    ASSERT_GE(got, record + ZETTLY_RECORD_BYTES);
    const uint8_t *colour = &bytes[record + 556];
    EXPECT_EQ(colour[0] | colour[1] << 8 | colour[2] << 16, 0x0000FF) << "red, as chosen";
}

static DWORD HeldThread;
static HANDLE HeldPaused, HeldGo;

// Holds one chosen blink thread in its pause, apart from the stepped ones.
static void HoldOneThreadApart(DWORD period)
{
    if (GetCurrentThreadId() != HeldThread) {
        SteppedPause(period);
        return;
    }
    SetEvent(HeldPaused);
    WaitForSingleObject(HeldGo, INFINITE);
}

// A snooze stops the blinking while the thread sleeps in its pause, and the
// reminder back from it starts the next thread for the same note before the
// first wakes: the note is blinked by the second alone.
TEST_F(AlarmTest, ABlinkThreadOvertakenByTheNextLeavesItsPhaseAlone)
{
    HeldPaused = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HeldGo = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    SetPauseHook(HoldOneThreadApart);
    CreateMain();
    int slot = BlinkingNote();
    ZettlyRecord *z = &ZettlyTable[slot];
    // The note is hidden, but the focus it got when it was made can still
    // arrive late through the X server and end its blinking before the first
    // thread takes a step; such a try is made again.
    HANDLE first = nullptr;
    bool paused = false;
    for (int attempt = 0; attempt < 3 && !paused; ++attempt) {
        z->blinking = 1;
        DWORD firstId = 0;
        first = CreateThread(nullptr, 0, AlarmBlinkZettlyThread, (LPVOID)(intptr_t)slot,
                             CREATE_SUSPENDED, &firstId);
        ASSERT_NE(first, nullptr);
        HeldThread = firstId;
        ResumeThread(first);
        ASSERT_TRUE(PumpUntil([&] {
            paused = paused || Signalled(HeldPaused);
            return paused || Signalled(first);
        }));
        if (!paused) {
            ASSERT_EQ(z->blinking, 0) << "the first thread ended without a step while the note blinks";
            CloseHandle(first);
        }
    }
    ASSERT_TRUE(paused) << "the note's focus ended the blinking in every try";
    z->blinking = 0; // snoozed
    z->blinking = 1; // and back
    HANDLE second = CreateThread(nullptr, 0, AlarmBlinkZettlyThread, (LPVOID)(intptr_t)slot, 0, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(PumpUntil([] { return Signalled(BlinkPaused); }));
    SetEvent(HeldGo);
    // The first thread either ends or takes another step and pauses again.
    ASSERT_TRUE(PumpUntil([&] { return Signalled(first) || Signalled(HeldPaused); }));
    EXPECT_TRUE(Signalled(first)) << "two threads blink one note";
    EXPECT_EQ(ShownBlinkColour(z, slot), (uint32_t)RGB(255, 255, 0))
        << "the second thread's background phase";

    z->blinking = 0;
    SetEvent(BlinkStep);
    SetEvent(HeldGo);
    ASSERT_TRUE(PumpUntil([&] { return Signalled(first) && Signalled(second); }));
    for (HANDLE h : {first, second, BlinkPaused, BlinkStep, HeldPaused, HeldGo})
        CloseHandle(h);
}

TEST_F(AlarmTest, SnoozeHidesTheReminderUntilItsTimerAndForgetsAClosedNote)
{
    CreateMain();
    int slot = NoteWithAlarm(12, 1, 30, true);
    ZettlyRecord *z = &ZettlyTable[slot];
    HWND note = z->window;
    CheckAlarms();
    HWND reminder = WaitForReminder();
    ASSERT_NE(reminder, nullptr);
    ASSERT_TRUE(PumpUntil([] { return CountAlarmPlays(0) == 2; }));

    SendDlgItemMessageA(reminder, IDC_REMINDER_DELAY, CB_SETCURSEL, 5, 0);
    size_t before = PlayedSounds().size();
    SendMessageA(reminder, WM_COMMAND, IDC_REMINDER_SNOOZE, 0);
    EXPECT_FALSE(IsWindowVisible(reminder));
    EXPECT_GE(CountPurges(before), 1);
    EXPECT_EQ(z->soundPlaying + z->blinking, 0);
    EXPECT_EQ(z->alarmPending, 1) << "snoozed is still due";
    EXPECT_EQ(ThreadsStartedBy(CheckAlarms), 0u) << "no second reminder while one is snoozed";
    EXPECT_EQ(Reminders().size(), 1u);

    before = PlayedSounds().size();
    SendMessageA(reminder, WM_TIMER, REMINDER_SNOOZE_TIMER, 0);
    // Read before this thread pumps: the note may still have the focus that
    // the first snooze's hiding handed it coming, and a note taking the focus
    // stops its blinking, as a click on it would.
    EXPECT_EQ(z->blinking, 1) << "blinks again";
    EXPECT_TRUE(IsWindowVisible(reminder));
    ASSERT_TRUE(PumpUntil([&] { return CountAlarmPlays(before) == 2; })) << "sounds again";

    // Snoozed again, and meanwhile the note is closed and its slot given to a new one.
    SendMessageA(reminder, WM_COMMAND, IDC_REMINDER_SNOOZE, 0);
    DestroyWindow(note);
    ASSERT_EQ(NewNote(), slot);
    before = PlayedSounds().size();
    SendMessageA(reminder, WM_TIMER, REMINDER_SNOOZE_TIMER, 0);
    ASSERT_TRUE(PumpUntil([] { return Reminders().empty(); }));
    // The reminder asks the main window for its sound and blinking by posted
    // messages: once those are handled, neither is coming.
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_EQ(CountAlarmPlays(before), 0);
    EXPECT_EQ(z->alarmPending + z->blinking + z->soundPlaying, 0) << "the new note is left alone";
}

TEST_F(AlarmTest, ExpandShowsTheNoteTextInAPlainReadOnlyBox)
{
    CreateMain();
    int slot = NoteWithAlarm(12, 1, 30, true);
    ZettlyRecord *z = &ZettlyTable[slot];
    SetWindowTextA(z->editWindow, "Call the plumber");
    CheckAlarms();
    HWND reminder = WaitForReminder();
    ASSERT_NE(reminder, nullptr);
    HWND box = GetDlgItem(reminder, IDC_REMINDER_NOTE_TEXT);
    ASSERT_NE(box, nullptr);
    LONG style = GetWindowLongA(box, GWL_STYLE);
    LONG exStyle = GetWindowLongA(box, GWL_EXSTYLE);
    EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY), ES_MULTILINE | ES_READONLY);
    EXPECT_EQ(style & ES_PASSWORD, 0) << "the note's text is not hidden behind stars";
    EXPECT_EQ(exStyle & WS_EX_RTLREADING, 0);

    RECT first;
    GetWindowRect(reminder, &first);
    SendMessageA(reminder, WM_COMMAND, IDC_REMINDER_EXPAND, 0);
    ASSERT_TRUE(PumpUntil([&] {
        RECT now;
        GetWindowRect(reminder, &now);
        return now.bottom - now.top == first.bottom - first.top + 100;
    }));
    char text[64] = {};
    GetWindowTextA(box, text, sizeof text);
    EXPECT_STREQ(text, "Call the plumber");
    RECT boxRect;
    GetClientRect(box, &boxRect);
    EXPECT_GT(boxRect.bottom, 50) << "the box fills the room expanding made";

    SendMessageA(reminder, WM_COMMAND, IDC_REMINDER_EXPAND, 0);
    ASSERT_TRUE(PumpUntil([&] {
        RECT now;
        GetWindowRect(reminder, &now);
        return now.bottom - now.top == first.bottom - first.top;
    }));
}

TEST_F(AlarmTest, StartUpRemindsOnceOfAlarmsMissedOverNewYear)
{
    CreateMain();
    // The last save: New Year's Eve, 10 PM local time.
    HANDLE file = CreateFileA("zettly.rec", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SYSTEMTIME saved = {2026, 12, 4, 31, 22, 0, 0, 0}, savedUtc;
    FILETIME utc;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &saved, &savedUtc));
    ASSERT_TRUE(SystemTimeToFileTime(&savedUtc, &utc));
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);
    SetTestTime(2027, 1, 1, 5, 9, 0);

    int eve = NewNote(); // 11 PM on New Year's Eve
    ZettlyTable[eve].alarmYear = 2026;
    ZettlyTable[eve].alarmMonth = 12;
    ZettlyTable[eve].alarmDays = 1 << 30;
    ZettlyTable[eve].alarmHour = 11;
    ZettlyTable[eve].alarmPm = 1;
    ZettlyTable[eve].alarmMinute = 0;
    ZettlyTable[eve].alarmActive = 1;
    int everyMinute = NoteWithAlarm(-1, 0, -1, true); // due every minute of the 7th
    ZettlyTable[everyMinute].alarmMonth = -1;
    ZettlyTable[everyMinute].alarmYear = -1;
    ZettlyTable[everyMinute].alarmDays = -1;
    int open = NoteWithAlarm(3, 0, 0, false); // its reminder was open at the save
    ZettlyTable[open].alarmYear = -1;
    ZettlyTable[open].alarmPending = 1;
    int stale = NoteWithAlarm(3, 0, 0, false); // an open reminder of an alarm since switched off
    ZettlyTable[stale].alarmPending = 1;
    ZettlyTable[stale].alarmActive = 0;

    EXPECT_EQ(ThreadsStartedBy(CheckMissedAlarms), 3u)
        << "once per note, however many minutes were missed";
    ASSERT_TRUE(PumpUntil([] { return Reminders().size() == 3; }));
    EXPECT_EQ(ZettlyTable[eve].alarmPending + ZettlyTable[everyMinute].alarmPending +
                  ZettlyTable[open].alarmPending,
              3);
    EXPECT_EQ(ZettlyTable[stale].alarmPending, 0);

    // Dismissing New Year's Eve spends that one-off alarm.
    for (HWND reminder : Reminders()) {
        char title[64] = {};
        GetDlgItemTextA(reminder, IDC_REMINDER_TEXT, title, sizeof title);
        if (std::strstr(title, "12/2026"))
            SendMessageA(reminder, WM_COMMAND, IDC_REMINDER_DISMISS, 0);
    }
    ASSERT_TRUE(PumpUntil([] { return Reminders().size() == 2; }));
    EXPECT_EQ(ZettlyTable[eve].alarmActive, 0);
}
