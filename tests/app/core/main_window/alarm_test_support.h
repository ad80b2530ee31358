// A main window with the clock, the pauses and the sound taken over, for the
// alarm tests.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "clock_seam.h"
#include "core/note_window/alarm_ids.h"
#include "main_window_fixture.h"
#include "sound_seam.h"

struct PlayedSound {
    std::string sound;
    DWORD flags;
    bool stop;
};
extern std::mutex SoundLock;
extern std::vector<PlayedSound> Sounds;
std::vector<PlayedSound> PlayedSounds();

void SetTestTime(int year, int month, int day, int dayOfWeek, int hour, int minute);
// Every reminder window, shown or hidden.
std::vector<HWND> Reminders();
// The first reminder once it shows; null after the wait.
HWND WaitForReminder();

class AlarmTest : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A new note with an alarm on 7 December 2026 at the given 12-hour time.
    int NoteWithAlarm(int hour, int pm, int minute, bool repeating);
    int BlinkingNote();
};
