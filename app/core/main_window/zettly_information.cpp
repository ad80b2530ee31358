#include "zettly_information.h"

#include <cstdio>

#include "core/notes_table/zettly_record.h"

const char *MonthName(int month)
{
    static const char *const names[12] = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December",
    };
    // An unreadable file time comes back as month 0.
    if (month < 1 || month > 12)
        return "";
    return names[month - 1];
}

int FormatZettlyInformation(const ZettlyInformation *info, char *out, size_t outSize)
{
    // Slot 255 is counted as available although it holds the defaults: the
    // box has always reported usage out of 255.
    const int available = ZETTLY_SLOTS - 1;
    int minutes = info->autoSavePeriodMs > 0 ? info->autoSavePeriodMs / 60000 : 0;
    const char *inactive = info->autoSavePeriodMs < 1 ? " (Not Active)" : "";
    int written = std::snprintf(
        out, outSize,
        "Backup File Information...\r\n"
        "Zettly Record File\t\t: %s\\%s\r\n"
        "Zettly String File\t\t: %s\\%s\r\n"
        "Zettlies are saved every\t: %d minutes%s\r\n"
        "Last save occured at\t: %02d:%02d.%02d\t%02d/(%02d)%s/%04d\r\n"
        "\r\n"
        "Usage Information...\r\n"
        "(%d/%d)\t%d%% of available zettlies are used.\r\n"
        "\r\n",
        info->folder, "zettly.rec", info->folder, "zettly.str", minutes, inactive, info->hour,
        info->minute, info->second, info->day, info->month, MonthName(info->month), info->year,
        info->usedCount, available, info->usedCount * 100 / available);
    if (written < 0 || (size_t)written >= outSize)
        return -1;
    return written;
}
