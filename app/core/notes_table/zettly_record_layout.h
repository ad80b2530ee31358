// Stored offsets of every record field. One list drives packing, unpacking and,
// on 32-bit builds, the checks that the in-memory record is the stored one.
#pragma once

// X(offset, field) for 32-bit integer fields
#define ZETTLY_INT_FIELDS(X)                                                   \
    X(32, unrolledRectValid) X(52, restoreRectValid) X(56, textColour)         \
    X(60, backColour) X(68, rolledUp) X(72, minimised) X(76, rollLimitOff)     \
    X(80, showCommand) X(84, topMost) X(88, vertScroll) X(92, horzScroll)      \
    X(96, thinBorder) X(100, calculatorMode) X(104, consoleMode)               \
    X(108, textLength) X(116, wordWrap) X(512, alarmYear) X(516, alarmMonth)   \
    X(520, alarmDays) X(524, alarmHour) X(528, alarmMinute) X(532, alarmPm)    \
    X(536, alarmRepeats) X(540, alarmContinuous) X(544, alarmActive)           \
    X(548, alarmWeekdays) X(552, alarmRepeating) X(556, blinkColour)           \
    X(560, blinkOn) X(564, blinking) X(568, soundPlaying) X(572, alarmPending) \
    X(592, consoleRunning) X(608, ownAlpha) X(624, isGroup) X(628, groupLastX) \
    X(632, groupLastY) X(636, isMember) X(640, groupSlot)

// X(offset, field) for handles and pointers: 32 bits in the stored form
#define ZETTLY_HANDLE_FIELDS(X)                                                \
    X(64, backBrush) X(112, pendingText) X(120, window) X(124, editWindow)     \
    X(188, editFontHandle) X(596, consoleReadPipe) X(600, consoleWritePipe)    \
    X(604, consoleReader) X(616, titleEdit) X(620, titleFontHandle)            \
    X(644, checkListWindow)

#define ZETTLY_RECT_FIELDS(X) X(0, windowRect) X(16, unrolledRect) X(36, restoreRect)
#define ZETTLY_FONT_FIELDS(X) X(128, editFont) X(192, titleFont)
