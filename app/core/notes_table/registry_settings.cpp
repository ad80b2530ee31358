#include "registry_settings.h"

#include <cstring>

#include "core/core_ids.h"
#include "ui_seams.h"
#include "zettly_settings.h"

LONG LoadSettings(int *playerOpen, int *clockOpen, int *changerOpen, int *meterOpen)
{
    HKEY key;
    LONG result = RegOpenKeyA(ZtRegistryRoot(), ZETTLIES_REGISTRY_KEY, &key);
    if (result != ERROR_SUCCESS)
        return result;

    char info[ZETTLY_INFO_BYTES];
    result = ReadRegistryString(key, "Zettly Info", info, sizeof info);
    if (result != ERROR_SUCCESS) {
        RegCloseKey(key);
        return result;
    }
    // The "open" numbers go to the caller; what is not in the value stays as the caller set it.
    ZettlyInfoSettings read = ZettlyInfo;
    read.playerOpen = *playerOpen;
    read.clockOpen = *clockOpen;
    read.changerOpen = *changerOpen;
    read.meterOpen = *meterOpen;
    ParseZettlyInfo(info, std::strlen(info), &read);
    *playerOpen = read.playerOpen;
    *clockOpen = read.clockOpen;
    *changerOpen = read.changerOpen;
    *meterOpen = read.meterOpen;
    read.playerOpen = read.clockOpen = read.changerOpen = read.meterOpen = 0;
    ZettlyInfo = read;

    char *paths[] = {ZettlySounds.rollup, ZettlySounds.unroll, ZettlySounds.alarm};
    const char *names[] = {"Rollup Wave", "Unroll Wave", "Alarm Wave"};
    for (int i = 0; i < 3; ++i) {
        char path[ZETTLY_PATH_BYTES];
        result = ReadRegistryString(key, names[i], path, sizeof path);
        if (result != ERROR_SUCCESS) {
            RegCloseKey(key);
            return result;
        }
        std::memcpy(paths[i], path, sizeof path);
    }
    return RegCloseKey(key);
}

int SaveSettings(int playerOpen, int clockOpen, int changerOpen, int meterOpen)
{
    HKEY key = CreateSettingsKey(ZETTLIES_REGISTRY_KEY, true);
    if (!key)
        return -1;
    ZettlyInfoSettings stored = ZettlyInfo;
    stored.playerOpen = playerOpen;
    stored.clockOpen = clockOpen;
    stored.changerOpen = changerOpen;
    stored.meterOpen = meterOpen;
    char info[ZETTLY_INFO_BYTES];
    int result = 0;
    if (FormatZettlyInfo(&stored, info, sizeof info) < 0 ||
        WriteRegistryString(key, "Zettly Info", info, sizeof info) != ERROR_SUCCESS)
        result = -1;
    const char *paths[] = {ZettlySounds.rollup, ZettlySounds.unroll, ZettlySounds.alarm};
    const char *names[] = {"Rollup Wave", "Unroll Wave", "Alarm Wave"};
    for (int i = 0; i < 3; ++i)
        if (WriteRegistryString(key, names[i], paths[i], ZETTLY_PATH_BYTES) != ERROR_SUCCESS)
            result = -1;
    RegCloseKey(key);
    return result;
}
