// The alarm-setting dialog driven through its controls.
#include <cstring>

#include "alarm_test_support.h"
#include "core/note_window/alarm_dialog.h"

namespace {
void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Select(HWND dialog, int id, int entry)
{
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, entry, 0);
}

void SelectDay(HWND dialog, int entry, bool on)
{
    SendDlgItemMessageA(dialog, IDC_ALARM_DAYS, LB_SETSEL, on, entry);
}
} // namespace

TEST_F(AlarmTest, DialogCancelLeavesTheRecordExactlyAsItWas)
{
    CreateMain();
    int slot = NoteWithAlarm(9, 0, 15, true);
    ZettlyRecord before = ZettlyTable[slot];
    ModalDialogAnswerer answer([](HWND dialog) {
        Click(dialog, IDC_ALARM_SINGLE);
        Click(dialog, IDC_ALARM_ACTIVE);
        Click(dialog, IDC_ALARM_CONTINUOUS);
        SetDlgItemTextA(dialog, IDC_ALARM_REPEATS, "9");
        Click(dialog, IDC_ALARM_CANCEL);
    });
    EXPECT_EQ(SetAlarmDialog(main, slot), 0);
    EXPECT_EQ(answer.Count(), 1);
    EXPECT_EQ(std::memcmp(&ZettlyTable[slot], &before, sizeof before), 0);
}

TEST_F(AlarmTest, DialogRefusesEachBadPatternAndStaysOpen)
{
    CreateMain();
    int slot = NoteWithAlarm(9, 0, 15, false);
    ZettlyRecord before = ZettlyTable[slot];
    bool unchangedWhileRefused = true;
    ModalDialogAnswerer answer([&](HWND dialog) {
        Click(dialog, IDC_ALARM_PATTERN);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_ALARM_HOUR)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ALARM_DATE)));
        SelectDay(dialog, -1, false);
        SelectDay(dialog, 1, true); // Monday
        Select(dialog, IDC_ALARM_HOUR, 1); // 0 o'clock ...
        Select(dialog, IDC_ALARM_AM_PM, 1); // ... PM
        Click(dialog, IDC_ALARM_SAVE);
        Select(dialog, IDC_ALARM_HOUR, 2);
        SelectDay(dialog, -1, false);
        Click(dialog, IDC_ALARM_SAVE);
        SelectDay(dialog, 1, true);
        SelectDay(dialog, 7, true); // Day 1
        Click(dialog, IDC_ALARM_SAVE);
        unchangedWhileRefused =
            IsWindow(dialog) && std::memcmp(&ZettlyTable[slot], &before, sizeof before) == 0;
        SelectDay(dialog, 7, false);
        Click(dialog, IDC_ALARM_SAVE);
    });
    EXPECT_EQ(SetAlarmDialog(main, slot), 1);
    EXPECT_TRUE(unchangedWhileRefused);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Bad AM/PM setting");
    EXPECT_EQ(boxes.Boxes()[1].text, "You must select a day for the alarm to occur.");
    EXPECT_EQ(boxes.Boxes()[2].text, "You CANNOT mix week and month day selections together.");
    EXPECT_EQ(boxes.Boxes()[2].caption, "Day Select Error");
    const ZettlyRecord &z = ZettlyTable[slot];
    EXPECT_EQ(z.alarmWeekdays, 1);
    EXPECT_EQ(z.alarmDays, 1 << 1);
    EXPECT_EQ(z.alarmHour, 1);
    EXPECT_EQ(z.alarmPm, 1);
}

TEST_F(AlarmTest, DialogStoresAHostileAlarmAsAValidOne)
{
    CreateMain();
    int slot = NoteWithAlarm(9, 0, 15, true);
    ZettlyRecord *z = &ZettlyTable[slot];
    z->alarmYear = 2500;
    z->alarmMonth = 13;
    z->alarmHour = 15;
    z->alarmPm = 3;
    z->alarmMinute = 75;
    ModalDialogAnswerer answer([](HWND dialog) { Click(dialog, IDC_ALARM_SAVE); });
    EXPECT_EQ(SetAlarmDialog(main, slot), 1);
    EXPECT_EQ(z->alarmYear, 2026) << "this year, as the test's clock tells";
    EXPECT_EQ(z->alarmMonth, 12);
    EXPECT_EQ(z->alarmHour, 12);
    EXPECT_EQ(z->alarmPm, 1);
    EXPECT_EQ(z->alarmMinute, 30);
    EXPECT_EQ(z->alarmDays, 1 << 6) << "the day stored before";
}

TEST_F(AlarmTest, DialogSetsANewAlarmFromThePickers)
{
    CreateMain();
    int slot = NewNote();
    ModalDialogAnswerer answer([](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_ALARM_SINGLE), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_ALARM_ACTIVE), BST_CHECKED);
        EXPECT_EQ(GetDlgItemInt(dialog, IDC_ALARM_REPEATS, nullptr, FALSE), 1u);
        Click(dialog, IDC_ALARM_CONTINUOUS);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ALARM_REPEATS)));
        Click(dialog, IDC_ALARM_SAVE);
    });
    EXPECT_EQ(SetAlarmDialog(main, slot), 1);
    const ZettlyRecord &z = ZettlyTable[slot];
    EXPECT_EQ(z.alarmActive, 1);
    EXPECT_EQ(z.alarmYear, 2026);
    EXPECT_EQ(z.alarmMonth, 12);
    EXPECT_EQ(z.alarmDays, 1 << 6);
    EXPECT_EQ(z.alarmWeekdays + z.alarmRepeating, 0);
    EXPECT_EQ(z.alarmHour, 12);
    EXPECT_EQ(z.alarmPm, 1);
    EXPECT_EQ(z.alarmMinute, 30);
    EXPECT_EQ(z.alarmContinuous, 1);
}
