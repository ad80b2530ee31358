// The text of the "Zettly Information" box.
#pragma once
#include <cstddef>

struct ZettlyInformation {
    const char *folder;     // the data folder
    int autoSavePeriodMs;   // setting 17
    int hour, minute, second, day, month, year; // last save, all 0 when unknown
    int usedCount;          // used slots 0..254
};

// English name of month 1..12, "" for any other number.
const char *MonthName(int month);

// Writes the box's text; returns its length, or -1 when it does not fit.
int FormatZettlyInformation(const ZettlyInformation *info, char *out, size_t outSize);
